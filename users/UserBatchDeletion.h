#pragma once

#include <QString>
#include <QVector>

#include <functional>

#include "LumoError.h"
#include "UserRef.h"

class HostSession;
class UserAudit;

// Deleting several users at once, in one transaction: each user the guard
// allows is deleted (with its row on the trail where the database keeps it),
// each user who entered a business record stays and is named in the outcome.
// A failure of any statement undoes every delete. Asking the person and
// telling the outcome are the window's.
class UserBatchDeletion
{
public:
    UserBatchDeletion(HostSession &session, QVector<UserRef> users) : m_session(session), m_users(std::move(users)) {}

    struct Outcome
    {
        QVector<UserRef> deleted;
        QVector<UserRef> referenced;  // kept: they entered business records
    };

    // The person stopped the run: nothing was deleted.
    class Cancelled : public data::LumoError
    {
    public:
        Cancelled() : data::LumoError(QStringLiteral("已取消")) {}
    };

    void setAudit(UserAudit *audit) { m_audit = audit; }
    // Told after each user (done of total); answering false stops the run,
    // which is then rolled back and raises Cancelled.
    std::function<bool(int done, int total)> progress;
    // Rolled back and raised again on any failure (UserDeletion::Refused
    // where the session answers a delete with false).
    Outcome run();

    // The one question asked before the run, naming how many users.
    static QString question(int count);
    // What the run did: how many were deleted, and who stayed and why.
    static QString report(const Outcome &outcome);

private:
    HostSession &m_session;
    const QVector<UserRef> m_users;
    UserAudit *m_audit = nullptr;
};
