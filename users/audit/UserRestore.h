#pragma once

#include <QString>

#include "LumoError.h"

class HostSession;
class UserAudit;

// Bringing a deleted user back from the trail's 删除 row: every column as it
// was read when the user was deleted, the stored password included, in one
// transaction with the trail's 恢复 row. Asking the person and telling the
// outcome are the window's.
class UserRestore
{
public:
    // Why the user cannot come back; nothing was changed. The text is the
    // person's to read.
    class Refused : public data::LumoError
    {
    public:
        explicit Refused(const QString &reason) : data::LumoError(reason, reason) {}
    };

    UserRestore(HostSession &session, UserAudit &audit, qint64 auditId)
        : m_session(session), m_audit(audit), m_auditId(auditId)
    {
    }

    // Brings the user back; raises Refused when the row is no deletion, the
    // code is taken again, or the user's unit or its area is gone, and
    // data::LumoError on any failure, rolled back. Returns the user's code.
    QString run();

private:
    HostSession &m_session;
    UserAudit &m_audit;
    const qint64 m_auditId;
};
