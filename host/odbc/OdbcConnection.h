#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

#include <functional>
#include <future>
#include <optional>
#include <vector>

#include "LumoError.h"
#include "OdbcBatch.h"
#include "OdbcDialect.h"
#include "OdbcHandles.h"

class OdbcStatement;
struct DatabaseLocation;

// One ODBC connection to one of the host's databases, with its own
// environment. Connecting is bounded by the login timeout; a connection that
// cannot be made raises data::LumoError naming the database, where it was
// looked for (never with its password) and the driver's text.
//
// Transactions nest the way SQL Server's do: an inner begin/commit pair only
// counts, the outermost commit writes, and a rollback ends them all. Outside
// a transaction every statement commits on its own (autocommit).
//
// On PostgreSQL the statements a transaction executes without reading are
// held and sent many to a request (a round trip each costs more than the
// server's work for them), before the next read, before the commit and when
// enough are held. Consecutive writes of one shape go as one statement (see
// PostgresWriteMerge). A request that fills up goes on a thread of its own
// while the caller makes the next statements, so that the client's work and
// the server's overlap; at most one is on its way, and every other use of
// the connection waits for it first. A held statement that fails is found by
// running the request's statements once more one by one, as they came, and
// its own error is raised by the commit (so no later statement or read is
// blamed for it; later writes are not sent and reads go on). The transaction
// can then only be rolled back, as after any failure on that server.
//
// A connection the server cut (stopped, restarted, the session ended) fails
// its request with a message starting "<label>与数据库的连接已断开". The
// server has then thrown away whatever transaction was open: until the caller
// rolls back, every request fails the same way, so nothing of the transaction
// is written on its own afterwards. The next request outside a transaction
// connects again (and fails the same way while the server is still away).
class OdbcConnection
{
public:
    // location must be an ODBC location; label names the database in messages.
    OdbcConnection(const DatabaseLocation &location, QString label, int loginTimeoutSeconds);
    ~OdbcConnection();  // rolls back what is still open, then disconnects

    OdbcConnection(const OdbcConnection &) = delete;
    OdbcConnection &operator=(const OdbcConnection &) = delete;

    const QString &label() const { return m_label; }
    OdbcDialect dialect() const { return m_dialect; }

    // Runs a text of the module (translated and cut into statements as the
    // dialect needs) and hands every result that has columns to visit, which
    // may read its rows or leave them. Results without columns (row counts)
    // are passed over.
    void run(const QString &tsql, const std::function<void(OdbcStatement &)> &visit);
    // Runs a text whose results are not wanted; within a transaction on
    // PostgreSQL it may be held for a batch (see above).
    void execute(const QString &tsql);
    // As execute, for one statement the host wrote itself in the server's
    // own dialect: neither translated nor cut, work that for a statement of
    // a megabyte costs more than the server's.
    void executeAsWritten(const QString &statement);
    // As executeAsWritten, each `?` of the statement bound in turn to one of
    // texts (UTF-8). Within a transaction on PostgreSQL it goes after the
    // held statements, on a thread of its own as a full batch does, and a
    // failure is raised by the commit.
    void executeAsWritten(const QString &statement, std::vector<QByteArray> texts);

    void begin();
    void commit();     // raises when no transaction is open
    void rollback();   // does nothing when no transaction is open; never raises
    bool inTransaction() const { return m_depth > 0; }

    // The text every failure on a cut connection starts with.
    static QString lostConnectionText();

private:
    void connect();
    void disconnect();
    // Connects again after a cut outside a transaction; raises while the
    // transaction the cut ended is not rolled back, or the server is away.
    void reconnectIfLost();
    // After a failed call: whether the driver finds the connection dead.
    bool connectionDead() const;
    [[noreturn]] void failLost(const QString &details);
    void setAutocommit(bool on);
    int statementTimeout() const;
    // One statement of the connection, its results handed to visit.
    void runStatement(const QString &text, const QString &context,
                      const std::function<void(OdbcStatement &)> &visit,
                      const std::vector<QByteArray> &texts = {});
    // Sends the held statements. A failure is kept for the commit, or raised
    // at once when `keep` is false; a cut connection is always raised.
    void sendBatch(bool keep);
    // Sends the held statements on a thread of their own, keeping a failure
    // for the commit; a cut connection is raised by the next use.
    void sendBatchAside();
    // Waits for the request on its way, if any; raises when the connection
    // was cut under it.
    void finishSending();
    void sendEntries(const std::vector<OdbcBatch::Entry> &entries, const QString &text, bool keep);
    // The request's text for the held statements, writes merged.
    QString requestText(const std::vector<QString> &statements);
    // Raises the failure a batch kept, if any.
    void raiseKeptFailure() const;
    // A PostgreSQL column's type as the server names it; empty when unknown.
    // A table's types are asked for once per connection.
    QString columnType(const QString &table, const QString &column);

    OdbcEnvironmentHandle m_environment;  // declared first: freed last
    OdbcConnectionHandle m_connection;
    QString m_label;
    OdbcDialect m_dialect;  // before the connection string made for it
    QString m_connectionString;
    QString m_described;  // where the database is, password masked
    int m_timeoutSeconds;
    bool m_connected = false;
    bool m_lost = false;
    bool m_autocommit = true;
    int m_depth = 0;
    OdbcBatch m_batch;
    std::optional<data::LumoError> m_batchFailure;
    QHash<QString, QHash<QString, QString>> m_columnTypes;  // lower-case names
    // The request sent aside. While it is on its way, its thread alone uses
    // the connection and the states above.
    std::future<void> m_sending;
};
