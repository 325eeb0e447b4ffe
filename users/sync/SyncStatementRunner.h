#pragma once

#include <QString>

#include <atomic>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

class HostSession;

// Runs the health-record statements of a synchronisation in the order they
// are handed on. Where the session allows it (HrWritesAside) they run on a
// thread of their own, a batch at a time, while the caller works out the next
// users: on SQLite the statements take longer than working the users out.
// The caller runs ahead by two batches at most, and waits there. Otherwise
// each statement runs as it is handed on.
//
// The first statement that fails (raises, or the session answers false) stops
// the rest; its failure, a UserSyncFailure naming its user, is kept for
// raiseFailure(). The caller learns which users are wholly done from
// usersDone(), so that it counts no user past a failed one. On destruction the
// statement running ends and the rest are dropped: the session is then the
// caller's alone again, to roll back.
class SyncStatementRunner
{
public:
    explicit SyncStatementRunner(HostSession &session);
    ~SyncStatementRunner();

    SyncStatementRunner(const SyncStatementRunner &) = delete;
    SyncStatementRunner &operator=(const SyncStatementRunner &) = delete;

    // Hands on a statement of the user-th user of the run (1-based, never
    // falling: a user's statements come one after another).
    void add(int user, const QString &userCode, QString sql);
    // Waits until every statement handed on has run, or one has failed.
    void finish();
    // Of the first workedOut users, how many lead the run with their
    // statements run (all of them once the statements have caught up).
    int usersDone(int workedOut);
    // Raises the failure kept, if a statement failed.
    void raiseFailure() const;
    // While the lock is held no statement runs, so the caller's thread may use
    // the session itself (an event pass of the window, say).
    std::unique_lock<std::mutex> hold() { return std::unique_lock<std::mutex>(m_use); }

private:
    struct Statement
    {
        QString userCode;
        QString sql;
    };
    // Passes the statements filled so far to the thread, once it has taken
    // the previous batch; does nothing after a failure.
    void handOn();
    void work();
    // Runs one statement; false, with the failure kept, when it failed.
    bool runOne(const Statement &statement);

    HostSession &m_session;
    bool m_aside;
    std::vector<Statement> m_filling;  // the caller's, not yet handed on
    std::vector<int> m_users;          // the caller's: each statement's user, in order

    std::mutex m_mutex;  // guards the members below it, up to m_ran
    std::condition_variable m_changed;
    std::vector<Statement> m_inbox;  // the next batch, or the one run before it
    bool m_inboxFull = false;        // with the next batch
    bool m_running = false;  // the thread holds a batch
    std::exception_ptr m_failure;
    std::atomic<bool> m_failed{false};
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_ran{0};  // statements run, in order

    std::mutex m_use;  // held while a statement runs
    std::thread m_thread;
};
