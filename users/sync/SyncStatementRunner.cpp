#include "SyncStatementRunner.h"

#include <system_error>

#include "LumoError.h"
#include "URCMSObjValueClass.h"
#include "UserSync.h"

namespace {

// Statements handed on at a time: enough that passing them costs little
// beside running them, few enough that the run's count lags the users worked
// out by a moment only.
constexpr std::size_t kBatch = 128;

} // namespace

SyncStatementRunner::SyncStatementRunner(HostSession &session)
    : m_session(session), m_aside(session.HrWritesAside)
{
    m_filling.reserve(kBatch);
}

SyncStatementRunner::~SyncStatementRunner()
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void SyncStatementRunner::add(int user, const QString &userCode, QString sql)
{
    m_users.push_back(user);
    Statement statement{userCode, std::move(sql)};
    if (!m_aside) {
        if (!m_failed)
            runOne(statement);
        return;
    }
    m_filling.push_back(std::move(statement));
    if (m_filling.size() >= kBatch)
        handOn();
}

void SyncStatementRunner::handOn()
{
    if (m_filling.empty())
        return;
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait(lock, [this] { return !m_inboxFull || m_failed; });
    if (m_failed)
        return;
    // The inbox holds the batch the thread ran before: its statements are
    // freed here, on the thread that made them, while the thread runs on.
    m_inbox.swap(m_filling);
    m_inboxFull = true;
    if (!m_thread.joinable()) {
        try {
            m_thread = std::thread([this] { work(); });
        } catch (const std::system_error &) {
            // No thread to be had: the statements run here, as they come.
            m_aside = false;
            std::vector<Statement> batch;
            batch.swap(m_inbox);
            m_inboxFull = false;
            lock.unlock();
            m_filling.clear();
            for (const Statement &statement : batch)
                if (!runOne(statement))
                    break;
            return;
        }
    }
    lock.unlock();
    m_changed.notify_all();
    m_filling.clear();
}

void SyncStatementRunner::work()
{
    std::vector<Statement> batch;
    batch.reserve(kBatch);
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_changed.wait(lock, [this] { return m_stop || m_inboxFull; });
            if (m_stop)
                return;
            batch.swap(m_inbox);
            m_inboxFull = false;
            m_running = true;
        }
        m_changed.notify_all();  // the inbox is free for the next batch
        bool ok = true;
        for (const Statement &statement : batch) {
            const std::lock_guard<std::mutex> use(m_use);
            if (m_stop)
                break;
            if (!(ok = runOne(statement)))
                break;
        }
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_running = false;
        }
        m_changed.notify_all();
        if (!ok)
            return;
    }
}

bool SyncStatementRunner::runOne(const Statement &statement)
{
    try {
        if (!m_session.ExecHrSql(statement.sql))
            throw data::LumoError(QStringLiteral("同步语句执行失败: ") + statement.sql,
                                  QStringLiteral("数据库未执行同步语句"));
        m_ran.fetch_add(1, std::memory_order_release);
        return true;
    } catch (...) {
        std::exception_ptr failure = UserSyncFailure::of(statement.userCode, std::current_exception());
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_failure = std::move(failure);
            m_failed = true;
        }
        m_changed.notify_all();
        return false;
    }
}

void SyncStatementRunner::finish()
{
    if (!m_aside)
        return;
    handOn();
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait(lock, [this] { return m_failed || (!m_inboxFull && !m_running); });
}

int SyncStatementRunner::usersDone(int workedOut)
{
    // The first statement not run yet holds its user and every later one back.
    const std::size_t ran = std::size_t(m_ran.load(std::memory_order_acquire));
    return ran < m_users.size() ? m_users[ran] - 1 : workedOut;
}

void SyncStatementRunner::raiseFailure() const
{
    if (m_failed.load(std::memory_order_acquire))
        std::rethrow_exception(m_failure);
}
