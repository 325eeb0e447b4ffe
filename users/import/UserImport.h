#pragma once

#include <QDateTime>
#include <QString>

#include <functional>

#include "ImportCheck.h"

class HostSession;
class UserAudit;

// Adds the users of an import plan, in one transaction: all of them or none.
// Each user's insert is the add dialog's (the save's statement builder over a
// row of p_User as "Select *" reads it: the composed code, the name, the
// host's search codes, the unit, the grade, the contact and the initial
// password; stamps left as the dialog leaves them). Inside the transaction the
// run first makes sure no code of the plan has been taken and every unit is
// still the area's since the plan was made; after the inserts it reads the
// users back, requires them to be what the plan said, and writes each one's
// row of the trail (导入) from what the database holds. Shows nothing itself:
// the caller is told through the callbacks and reads the result.
class UserImport
{
public:
    enum End { Done, Failed, Cancelled };
    struct Result
    {
        End end = Failed;
        int added = 0;       // users committed (0 unless Done)
        QString cause;       // why a failed run failed, in a person's words
        int failedLine = 0;  // the file's row whose user failed, when it was a user's
        double seconds = 0;  // from the start to the commit or rollback
    };

    UserImport(HostSession &session, ImportPlan plan, QString initialPassword)
        : m_session(session), m_plan(std::move(plan)), m_password(std::move(initialPassword))
    {
    }

    // The trail, lent: where the database keeps it, each added user gets a row.
    UserAudit *audit = nullptr;
    // (0, total) once the transaction is open, then (n, total) once the n-th user is inserted.
    std::function<void(int done, int total)> onProgress;
    // Asked after each inserted user: true stops the run, which is rolled back.
    std::function<bool()> cancelRequested;
    // Every user is written and the commit is about to start.
    std::function<void()> onCommitting;
    // The time the trail's rows are stamped with; now when not set.
    std::function<QDateTime()> clock;

    // Runs once; never raises for a failure of the run (what the callbacks
    // raise ends it as a failure too).
    Result run();

private:
    HostSession &m_session;
    const ImportPlan m_plan;
    const QString m_password;
};
