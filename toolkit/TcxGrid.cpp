#include "TcxGrid.h"

#include <QVBoxLayout>

#include "TcxGridDBTableView.h"

TcxGrid::TcxGrid(QWidget *parent)
    : QWidget(parent)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
}

TcxGridDBTableView *TcxGrid::CreateView(const QString &name)
{
    auto *view = new TcxGridDBTableView(this);
    if (!name.isEmpty())
        view->setObjectName(name);
    SetView(view);
    return view;
}

void TcxGrid::SetView(TcxGridDBTableView *view)
{
    if (m_view == view)
        return;
    if (m_view)
        delete m_view.data();
    m_view = view;
    if (view) {
        view->setParent(this);
        layout()->addWidget(view);
        setFocusProxy(view);
        view->show();
    }
}

TcxGridDBTableView *TcxGrid::View() const
{
    return m_view;
}

TcxGridDBTableView *TcxGrid::FocusedView() const
{
    return m_view;
}

void TcxGrid::SetFocusedView(TcxGridDBTableView *view)
{
    // The grid holds one view, which is always its focused one; a view of
    // another grid cannot become focused here.
    Q_UNUSED(view);
}
