#include "WalCheckpointer.h"

#include <QFile>

#include <sqlite3.h>

#include <exception>
#include <memory>

namespace {

// SQLite's own threshold for its automatic copy, in pages of the log.
constexpr int kCopyFromPages = 1000;

struct Closer
{
    void operator()(sqlite3 *db) const { sqlite3_close_v2(db); }
};

} // namespace

WalCheckpointer::WalCheckpointer(sqlite3 *db, QString path) : m_db(db), m_path(std::move(path))
{
    // The hook replaces the automatic checkpoint, which SQLite runs through
    // this same hook.
    sqlite3_wal_hook(m_db, &WalCheckpointer::committed, this);
}

WalCheckpointer::~WalCheckpointer()
{
    // Without the hook the connection would call back into a freed object; it
    // gets its automatic checkpoint back for any commit after this.
    sqlite3_wal_autocheckpoint(m_db, kCopyFromPages);
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_one();
    if (m_thread.joinable())
        m_thread.join();
}

int WalCheckpointer::committed(void *self, sqlite3 *db, const char *schema, int logPages)
{
    if (logPages < kCopyFromPages)
        return SQLITE_OK;
    try {
        static_cast<WalCheckpointer *>(self)->request();
    } catch (const std::exception &) {
        // No thread to be had: copied here, as SQLite itself would have.
        sqlite3_wal_checkpoint(db, schema);
    }
    return SQLITE_OK;
}

void WalCheckpointer::request()
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_pending = true;
        if (!m_thread.joinable())
            m_thread = std::thread(&WalCheckpointer::work, this);
    }
    m_wake.notify_one();
}

void WalCheckpointer::work()
{
    std::unique_ptr<sqlite3, Closer> own;
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_pending || m_stopping; });
        if (m_stopping)
            return;
        m_pending = false;
        lock.unlock();
        if (!own) {
            // Never creates the file: one removed meanwhile has nothing to copy into.
            sqlite3 *raw = nullptr;
            sqlite3_open_v2(QFile::encodeName(m_path).constData(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                            nullptr);
            own.reset(raw);
            // A new connection finds the file in log mode with its first
            // read; before that a checkpoint has no log to copy.
            if (sqlite3_exec(raw, "PRAGMA schema_version", nullptr, nullptr, nullptr) != SQLITE_OK)
                own.reset();
        }
        // A copy that fails (the file gone, a disk error) leaves the log as it
        // is, its pages still valid; the next copy or the close tries again.
        if (own && sqlite3_wal_checkpoint_v2(own.get(), nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr) != SQLITE_OK)
            own.reset();
        lock.lock();
    }
}
