#pragma once

#include <QDialog>

class QStandardItemModel;
class QTableView;
class SyncLog;
class TableColumnFit;

// The synchronisation log, newest run first; choosing a run lists the users
// it changed. Read-only.
class SyncLogDialog : public QDialog
{
    Q_OBJECT

public:
    // Reads the runs at once; raises data::LumoError when they cannot be read.
    explicit SyncLogDialog(SyncLog &log, QWidget *parent = nullptr);

private:
    void showChanges(int row);

    SyncLog &m_log;
    QStandardItemModel *m_runs = nullptr;
    QStandardItemModel *m_changes = nullptr;
    QTableView *m_changesView = nullptr;
    TableColumnFit *m_changesFit = nullptr;
};
