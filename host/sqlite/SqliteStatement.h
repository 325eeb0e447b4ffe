#pragma once

#include <QString>
#include <QVariant>

#include <memory>

#include "LumoError.h"

struct sqlite3;
struct sqlite3_stmt;

// One prepared SQLite statement, finalized when it goes out of scope. Errors of
// stepping raise data::LumoError carrying SQLite's message and the statement.
class SqliteStatement
{
public:
    // Prepares exactly one statement (trailing blanks allowed); raises when the
    // text does not prepare or holds nothing.
    SqliteStatement(sqlite3 *db, const QString &sql, const QString &context = QString());
    // Takes over a statement prepared elsewhere.
    SqliteStatement(sqlite3 *db, sqlite3_stmt *statement, const QString &context = QString());

    SqliteStatement(SqliteStatement &&) noexcept = default;
    SqliteStatement &operator=(SqliteStatement &&) noexcept = default;

    sqlite3_stmt *handle() const { return m_statement.get(); }
    int columnCount() const;
    QString sql() const;

    // Binds a parameter (1-based): null, integers, bool (as 0/1), doubles,
    // QDate/QDateTime (as ISO text), byte arrays as blobs, anything else as text.
    void bind(int index, const QVariant &value);
    void bind(int index, const QString &value);
    void bind(int index, qint64 value);
    void bindNull(int index);

    // Returns true while a row is available, false when done (and from then on,
    // until reset).
    bool step();
    // Steps to the end, discarding rows.
    void drain();
    // Ready for the next run with new bindings.
    void reset();

private:
    [[noreturn]] void fail(int code) const;

    struct Finalizer
    {
        void operator()(sqlite3_stmt *statement) const;
    };
    sqlite3 *m_db = nullptr;
    std::unique_ptr<sqlite3_stmt, Finalizer> m_statement;
    QString m_context;
    bool m_done = false;
};

// "database message" + statement, the text every failing step raises.
QString sqliteErrorText(sqlite3 *db, const QString &what, const QString &statement,
                        const QString &context = QString());
// What a failing step raises: that text, and the cause a person can read (a
// busy or locked database, a read-only one, a lost file, the column and rule
// of a violated constraint, else SQLite's own words). The whole text goes to the log.
data::LumoError sqliteError(sqlite3 *db, const QString &what, const QString &statement,
                            const QString &context = QString());
// The readable cause of the error SQLite reports for db.
QString sqliteErrorCause(sqlite3 *db);
