#pragma once

#include <QString>

#include <functional>
#include <memory>

#include "SqliteStatement.h"
#include "SqliteStatementCache.h"

struct sqlite3;
class WalCheckpointer;

// One open SQLite database file. Opening never creates a file by accident:
// openExisting refuses a missing file, a file that is not a database and an
// empty database; createNew refuses an existing file and builds the schema.
// A file the user may only read, or one in a folder the user may only read,
// opens for reading, and every write to it fails as SQLITE_READONLY.
//
// Transactions nest the way SQL Server's do: an inner begin/commit pair only
// counts, the outermost commit writes, and a rollback ends them all.
class SqliteDatabase
{
public:
    // label names the database in messages ("健康档案数据库").
    static SqliteDatabase openExisting(const QString &path, const QString &label);
    // Creates the file (never overwriting one) and runs schemaSql in one
    // transaction; a file it created is removed again when that fails.
    static SqliteDatabase createNew(const QString &path, const QString &label, const QString &schemaSql);

    SqliteDatabase(SqliteDatabase &&) noexcept;
    // Not assignable: the old connection's parts must close in their order.
    SqliteDatabase &operator=(SqliteDatabase &&) = delete;
    ~SqliteDatabase();

    sqlite3 *handle() const { return m_db.get(); }
    const QString &path() const { return m_path; }
    const QString &label() const { return m_label; }

    // Runs every statement of an SQLite text in turn (the text may hold several,
    // separated by ";"), handing each prepared statement to visit, which steps
    // it. context is added to error messages (e.g. the text before translation).
    void forEachStatement(const QString &sqliteText, const std::function<void(SqliteStatement &)> &visit,
                          const QString &context = QString());
    // Runs every statement to its end. A write statement reuses the prepared
    // statement of an earlier one that differed in its string literals only.
    void execute(const QString &sqliteText, const QString &context = QString());
    // Runs a write statement already split into its shape and values (sql,
    // from utf8) with the values bound; false, having run nothing, when the
    // shape does not prepare. Raises data::LumoError when running fails.
    bool executeBound(const ParameterisedSql &sql, const QByteArray &utf8);
    // One statement, prepared for repeated use with bindings.
    SqliteStatement prepare(const QString &sqliteText);

    void begin();
    void commit();     // raises when no transaction is open
    void rollback();   // does nothing when no transaction is open; never raises
    bool inTransaction() const;

private:
    struct Closer
    {
        void operator()(sqlite3 *db) const;
    };
    enum class Access {
        ReadWrite,  // SQLite falls back to reading alone where the user may not write the file
        Immutable,  // read only, no locks and no log index: nobody can write the file
    };
    SqliteDatabase(sqlite3 *db, QString path, QString label);
    // Opens an existing file, never creating it.
    static SqliteDatabase openFile(const QString &path, const QString &label, Access access);
    // The database opened as openExisting hands it over, given rc and tables
    // from readSchema; raises the failure in words.
    static SqliteDatabase opened(SqliteDatabase db, int rc, qint64 tables);
    // Configures the connection and counts the tables: SQLITE_OK, or SQLite's
    // extended code of the failure.
    int readSchema(qint64 &tables);
    void configure();
    // Switches the file to the write-ahead log where it can be.
    void useWriteAheadLog();
    QString errorContext(const QString &context) const;

    std::unique_ptr<sqlite3, Closer> m_db;
    QString m_path;
    QString m_label;
    int m_depth = 0;
    // After m_db: the kept statements are finalized before the database closes.
    std::unique_ptr<SqliteStatementCache> m_statements = std::make_unique<SqliteStatementCache>();
    // After m_db too: it stops before the database closes, so the close still
    // copies the last of the log back and removes it.
    std::unique_ptr<WalCheckpointer> m_checkpointer;
};
