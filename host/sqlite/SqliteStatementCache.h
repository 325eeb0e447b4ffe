#pragma once

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

// A statement whose string literals were taken out: shape holds "?" where
// each literal stood, values the literals' texts in order (quotes undoubled).
struct ParameterisedSql
{
    QByteArray shape;
    std::vector<QByteArray> values;
};

// Splits one INSERT, UPDATE, DELETE or REPLACE statement (SQLite text, UTF-8)
// into its shape and literal values. nullopt for anything else: other
// statements, several statements, texts that already hold parameters, blob
// literals or an unterminated literal. Values may share utf8's bytes, so utf8
// must outlive the result.
std::optional<ParameterisedSql> parameteriseLiterals(const QByteArray &utf8);

// Keeps the prepared statements of recently run write statements by shape.
// The module sends its writes as texts with the values written in, and the
// synchronisation alone sends tens of thousands that differ in their literals
// only; preparing each anew costs more than running it.
class SqliteStatementCache
{
public:
    explicit SqliteStatementCache(int capacity = 16);
    ~SqliteStatementCache();
    SqliteStatementCache(const SqliteStatementCache &) = delete;
    SqliteStatementCache &operator=(const SqliteStatementCache &) = delete;

    // Runs utf8 with its literals bound to a cached statement of the same
    // shape, preparing one when there is none. Returns false, having run
    // nothing, when the text is not a single write statement or its shape
    // does not prepare (a literal where SQLite takes a name, say): the caller
    // runs the text as it stands then. Raises data::LumoError when running
    // fails; errorContext ends the message.
    bool tryExecute(sqlite3 *db, const QByteArray &utf8, const QString &errorContext);
    // The same for a text already split (sql, from utf8, which messages quote).
    bool tryExecute(sqlite3 *db, const ParameterisedSql &sql, const QByteArray &utf8, const QString &errorContext);

    // Finalizes every kept statement.
    void clear();

private:
    struct Finalizer
    {
        void operator()(sqlite3_stmt *statement) const;
    };
    struct Entry
    {
        QByteArray shape;
        std::unique_ptr<sqlite3_stmt, Finalizer> statement;
    };
    sqlite3_stmt *statementFor(sqlite3 *db, const ParameterisedSql &sql);

    int m_capacity;
    std::vector<Entry> m_entries;  // least recently used first
};
