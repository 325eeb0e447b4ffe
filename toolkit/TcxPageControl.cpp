#include "TcxPageControl.h"

#include "TcxTabSheet.h"

TcxPageControl::TcxPageControl(QWidget *parent)
    : QTabWidget(parent)
{
}

void TcxPageControl::AddPage(TcxTabSheet *sheet)
{
    if (!sheet || indexOf(sheet) >= 0)
        return;
    if (sheet->m_pageControl && sheet->m_pageControl != this)
        sheet->m_pageControl->RemovePage(sheet);
    sheet->m_pageControl = this;
    addTab(sheet, sheet->Caption());
}

void TcxPageControl::RemovePage(TcxTabSheet *sheet)
{
    const int index = indexOf(sheet);
    if (index < 0)
        return;
    removeTab(index);
    sheet->m_pageControl = nullptr;
    // The sheet stays alive and owned by us until it is given elsewhere.
    sheet->setParent(this);
    sheet->hide();
}

TcxTabSheet *TcxPageControl::Page(int index) const
{
    return qobject_cast<TcxTabSheet *>(widget(index));
}

TcxTabSheet *TcxPageControl::ActivePage() const
{
    return qobject_cast<TcxTabSheet *>(currentWidget());
}

void TcxPageControl::SetActivePage(TcxTabSheet *sheet)
{
    const int index = indexOf(sheet);
    if (index >= 0)
        setCurrentIndex(index);
}

void TcxPageControl::SetActivePageIndex(int index)
{
    if (index >= 0 && index < count())
        setCurrentIndex(index);
}
