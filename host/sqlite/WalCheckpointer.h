#pragma once

#include <QString>

#include <condition_variable>
#include <mutex>
#include <thread>

struct sqlite3;

// Copies a database file's write-ahead log back into the file on a thread and
// a connection of its own. SQLite's automatic copy runs inside the commit that
// filled the log, so a large commit (a synchronisation of a whole county's
// users) kept its caller waiting for a second write of every page it changed.
// Installed on a connection, it replaces that automatic copy: the commit
// returns, and the copy follows beside whatever the caller does next.
//
// The copy is SQLite's passive checkpoint: it never waits for nor blocks the
// connection's readers and writers, and what it cannot copy yet is copied the
// next time or when the last connection closes the file.
class WalCheckpointer
{
public:
    // Takes over the automatic checkpoint of db, a connection to path in
    // write-ahead-log mode. Must be destroyed before db is closed.
    WalCheckpointer(sqlite3 *db, QString path);
    // Waits for a copy under way; one asked for but not begun is left to the
    // connection's close.
    ~WalCheckpointer();
    WalCheckpointer(const WalCheckpointer &) = delete;
    WalCheckpointer &operator=(const WalCheckpointer &) = delete;

private:
    static int committed(void *self, sqlite3 *db, const char *schema, int logPages);
    void request();
    void work();

    sqlite3 *m_db;
    const QString m_path;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_pending = false;
    bool m_stopping = false;
    std::thread m_thread;  // started by the first request
};
