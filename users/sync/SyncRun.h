#pragma once

#include <QDateTime>
#include <QElapsedTimer>
#include <QString>

#include <functional>
#include <mutex>
#include <optional>

#include "SyncPreview.h"

class HostSession;
class UserAudit;
class UserSync;

// One synchronisation of the RCMS users into the health-record database, in a
// transaction of its own: committed when every user is written, rolled back
// when any step fails or the caller asks to stop. Where the database keeps the
// synchronisation log, the run leaves one row there however it ends, written
// after the commit or rollback in a transaction of its own: a log that cannot
// be written never undoes the users, and a run that was not committed is
// logged with no counts. Shows nothing itself: the caller is told through the
// callbacks and reads the outcome afterwards.
class SyncRun
{
public:
    enum End { Done, Failed, Cancelled };

    explicit SyncRun(HostSession &session) : m_session(session) {}

    // The transaction is open and the users are about to be read.
    std::function<void()> onBegun;
    // As UserSync::run reports it: (0, total) before the first user, then
    // (n, total) once the n-th user is written.
    std::function<void(int done, int total)> onProgress;
    // Asked after each report of a written user: true stops the run, which is
    // rolled back as for a failure and ends Cancelled.
    std::function<bool()> cancelRequested;
    // Every user is written and the commit is about to start: from here on a
    // request to stop can no longer be honoured.
    std::function<void()> onCommitting;
    // The transaction is committed or rolled back; the run's log row is
    // still to be written.
    std::function<void()> onEnded;
    // The run's start as the log keeps it, its id's time; now when not set.
    std::function<QDateTime()> clock;
    // The random part of the log row's id; the system's when not set.
    std::function<quint32()> logIdRandom;
    // The trail of changes, lent: where the database keeps it, each user the
    // run writes gets a row there (同步, naming the run's log row) in the
    // run's transaction. Without one the run records nothing there.
    UserAudit *audit = nullptr;

    // Runs once. What the callbacks raise ends the run as a failure of
    // its own, except onEnded's, which goes on to the caller.
    End run();

    // From onProgress: while the lock is held no statement of the run is
    // running, so the caller may use the session itself.
    std::unique_lock<std::mutex> holdStatements();

    // What the run wrote and left alone, counted as the preview counts.
    const SyncPreview &ran() const { return m_ran; }
    // Whether the database keeps the synchronisation log.
    bool logged() const { return m_logged; }
    // Why the run has no log row though the database may keep the log: the
    // check for the log tables failed, or the row could not be written.
    // Empty when the row was written or the database has no log tables.
    const QString &logFailure() const { return m_logFailure; }
    // Why a failed run failed, in a person's words (empty when cancelled).
    const QString &cause() const { return m_cause; }
    // The user whose step failed, when the failure was a user's.
    const std::optional<QString> &failedUser() const { return m_failedUser; }
    // How long the run took, from its start to its commit or rollback, to
    // the millisecond: taken once, so that the log row and whatever the
    // caller shows tell the same figure.
    double seconds() const { return m_seconds; }

private:
    HostSession &m_session;
    UserSync *m_sync = nullptr;  // while the users are written
    SyncPreview m_ran;
    bool m_logged = false;
    QString m_logFailure;
    QString m_cause;
    std::optional<QString> m_failedUser;
    QElapsedTimer m_clock;
    double m_seconds = 0;
};
