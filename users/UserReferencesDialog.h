#pragma once

#include <QDialog>
#include <QVector>

#include "UserReferences.h"

class QLabel;
class QTableWidget;

// Shows which business tables hold records of one user and how many: the
// reason a deletion is refused, table by table. Read-only.
class UserReferencesDialog : public QDialog
{
    Q_OBJECT

public:
    UserReferencesDialog(const QString &userCode, const QString &userName,
                         const QVector<UserReference> &references, QWidget *parent = nullptr);

    // The line above the table: the user and the total, or that nothing refers to them.
    static QString summary(const QString &userCode, const QString &userName,
                           const QVector<UserReference> &references);
};
