#pragma once

#include <QPointer>
#include <QWidget>

class TcxGridDBTableView;

// The grid control: shows one view (its level's GridView) filling the control.
class TcxGrid : public QWidget
{
    Q_OBJECT

public:
    explicit TcxGrid(QWidget *parent = nullptr);

    // Creates the grid's view (replacing an earlier one) with the given name.
    TcxGridDBTableView *CreateView(const QString &name = QString());
    // Puts an existing view into the grid (the grid takes ownership).
    void SetView(TcxGridDBTableView *view);
    TcxGridDBTableView *View() const;

    TcxGridDBTableView *FocusedView() const;
    void SetFocusedView(TcxGridDBTableView *view);

private:
    QPointer<TcxGridDBTableView> m_view;
};
