#pragma once

#include <QString>

#include "LumoError.h"

class HostSession;
class UserAudit;
struct BusinessTable;

// Deleting a user account. A user who entered a record of any business table
// stays (the guard); otherwise the user is deleted in a transaction of its own.
// Asking the person and telling the outcome are the window's.
class UserDeletion
{
public:
    UserDeletion(HostSession &session, QString userCode) : m_session(session), m_userCode(std::move(userCode)) {}

    // The session answered the delete with false instead of raising: nothing
    // was deleted.
    class Refused : public data::LumoError
    {
    public:
        Refused() : data::LumoError(QString()) {}
    };

    // Whether a business table holds a record the user entered: such a user
    // cannot be deleted.
    bool referenced();
    static bool referenced(HostSession &session, const QString &userCode);
    // Where the database keeps the trail of changes, the delete writes its
    // row there, the user's whole row, in the delete's transaction.
    void setAudit(UserAudit *audit) { m_audit = audit; }
    // Deletes the user; rolled back and raised again on any failure,
    // Refused included. Ask referenced() first.
    void run();
    // The delete itself, inside a transaction the caller holds: the user's row
    // (and, where audit is given, its 删除 row on the trail). Raises Refused
    // when the session answers false.
    static void deleteUser(HostSession &session, UserAudit *audit, const QString &userCode);

    // The statement that counts the business tables holding a record entered
    // by a user whose code begins with userCode (0 to 32).
    static QString guardSql(const QString &userCode);
    // The condition under which a record of table was entered by a user whose
    // code begins as pattern (a quoted "code%") says: the entering user's code,
    // or where the table names one, the creator's. orGap is what stands before
    // the "Or" of the two, so that each statement keeps its own text.
    static QString enteredByCondition(const BusinessTable &table, const QString &pattern, const QString &orGap);

private:
    HostSession &m_session;
    const QString m_userCode;
    UserAudit *m_audit = nullptr;
};
