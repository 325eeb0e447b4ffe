#pragma once

class QStandardItemModel;
class QTableView;
class QWidget;

// A read-only list of whole rows, one chosen at a time, as the dialogs that
// show a log or a trail use it: found by its object name, no row numbers.
QTableView *makeListTable(QWidget *parent, const char *name, QStandardItemModel *model);
