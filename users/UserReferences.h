#pragma once

#include <QString>
#include <QVector>

class HostSession;

// How many records of each business table name a user, counted as the deletion
// guard matches them (the user's code as a prefix of the entering user's code,
// and of the creator's code where the table has one). Read-only: it answers
// "why can this user not be deleted?" without touching anything.
struct UserReference
{
    QString table;    // the table's name in the database
    QString caption;  // its name as a person reads it
    qint64 count = 0;
};

// The statement counting the records per business table, one row per table in
// the guard's order: TableName, RecordCount.
QString BuildUserReferencesSql(const QString &userCode);

// The tables that hold at least one record of the user, in the guard's order.
QVector<UserReference> CountUserReferences(HostSession &session, const QString &userCode);
