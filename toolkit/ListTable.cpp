#include "ListTable.h"

#include <QHeaderView>
#include <QStandardItemModel>
#include <QTableView>

QTableView *makeListTable(QWidget *parent, const char *name, QStandardItemModel *model)
{
    auto *table = new QTableView(parent);
    table->setObjectName(QString::fromLatin1(name));
    table->setModel(model);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->setVisible(false);
    return table;
}
