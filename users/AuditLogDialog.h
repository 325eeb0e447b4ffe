#pragma once

#include <QDialog>

class HostSession;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QStandardItemModel;
class QTableView;
class UserAudit;
struct AuditQuery;

// The trail of user changes, newest first, filtered by days, operator, user
// and kind; the chosen row's columns before and after. From a 删除 row the
// user can be brought back, where the login may add users.
class AuditLogDialog : public QDialog
{
    Q_OBJECT

public:
    // Reads the first page at once; raises data::LumoError when it cannot be read.
    AuditLogDialog(HostSession &session, UserAudit &audit, bool mayRestore, QWidget *parent = nullptr);

    // Whether a user was brought back while the dialog was open.
    bool restoredAny() const { return m_restoredAny; }
    // Reads the rows again with the filter as typed; says why it cannot.
    void query();

private:
    void load(const AuditQuery &filter);
    void showChanges(int row);
    void exportRows();
    void restore();

    HostSession &m_session;
    UserAudit &m_audit;
    const bool m_mayRestore;
    bool m_restoredAny = false;
    QLineEdit *m_from = nullptr;
    QLineEdit *m_to = nullptr;
    QLineEdit *m_operator = nullptr;
    QLineEdit *m_user = nullptr;
    QComboBox *m_kind = nullptr;
    QLabel *m_count = nullptr;
    QStandardItemModel *m_rows = nullptr;
    QStandardItemModel *m_changes = nullptr;
    QTableView *m_rowsView = nullptr;
    QTableView *m_changesView = nullptr;
    QPushButton *m_restore = nullptr;
};
