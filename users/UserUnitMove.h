#pragma once

#include <QString>
#include <QVector>

#include "LumoError.h"
#include "UserRef.h"

class HostSession;
class UserAudit;

// Moving users to another unit (p_User.OrgCode), all of them in one
// transaction or none; where the database keeps the trail, each moved user
// writes its row (调整单位, the unit before and after) in the same
// transaction. A user already in the unit is left alone. Asking the person
// and telling the outcome are the window's.
class UserUnitMove
{
public:
    UserUnitMove(HostSession &session, QVector<UserRef> users, QString orgCode)
        : m_session(session), m_users(std::move(users)), m_orgCode(std::move(orgCode))
    {
    }

    // The session answered an update with false instead of raising: nothing
    // was moved.
    class Refused : public data::LumoError
    {
    public:
        Refused() : data::LumoError(QString()) {}
    };

    void setAudit(UserAudit *audit) { m_audit = audit; }
    // Moves every user; rolled back and raised again on any failure, a user
    // no longer in the database included. Returns how many users changed unit.
    int run();

    // The question that names the users and the unit.
    static QString question(const QVector<UserRef> &users, const QString &orgCode, const QString &orgName);

private:
    HostSession &m_session;
    const QVector<UserRef> m_users;
    const QString m_orgCode;
    UserAudit *m_audit = nullptr;
};
