#pragma once

#include <QObject>
#include <QVector>

class QTableView;

// Keeps a table's texts whole: every column as wide as its widest text (the
// header's and the cells' the view measures), never narrower than its designed
// width, and the last column over whatever width is left, so that the free
// width goes to the texts instead of a blank band. A table too narrow scrolls
// sideways rather than cutting a code or a name to "…". Measured again by
// refit(), after the rows change.
class TableColumnFit : public QObject
{
    Q_OBJECT

public:
    TableColumnFit(QTableView *table, QVector<int> designedWidths = {});

    void refit();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void stretchLast();

    QTableView *m_table;
    QObject *m_viewport;  // compared, never called: it outlives the view's own type while the view is destroyed
    QVector<int> m_designed;
    int m_lastNeeded = 0;  // the last visible column's own widest text
};
