#pragma once

#include <QString>
#include <QVector>

#include "LumoError.h"
#include "UserRef.h"

class HostSession;
class UserAudit;

// Setting users' passwords back to the one a new user starts with, all users
// in one transaction: all of them or none. Where the database keeps the trail
// of changes, each reset writes its row there in the same transaction. Asking
// the person and telling the outcome are the window's.
class PasswordReset
{
public:
    using User = UserRef;

    PasswordReset(HostSession &session, QVector<User> users, QString password)
        : m_session(session), m_users(std::move(users)), m_password(std::move(password))
    {
    }

    // The session answered an update with false instead of raising: nothing
    // was reset.
    class Refused : public data::LumoError
    {
    public:
        Refused() : data::LumoError(QString()) {}
    };

    void setAudit(UserAudit *audit) { m_audit = audit; }
    // Resets every user's password; rolled back and raised again on any failure.
    void run();

    // The question that names the users: the first by name and code, and how
    // many there are when more than one.
    static QString question(const QVector<User> &users);

private:
    HostSession &m_session;
    const QVector<User> m_users;
    const QString m_password;
    UserAudit *m_audit = nullptr;
};
