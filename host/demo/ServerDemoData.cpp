#include "ServerDemoData.h"

#include <QStringList>

#include <exception>
#include <future>

#include <sqlite3.h>

#include "DatabaseSchema.h"
#include "LumoError.h"
#include "OdbcConnection.h"
#include "OdbcResultReader.h"
#include "SqliteDatabase.h"
#include "SqlQuoted.h"

namespace {

// Rows per statement: a few round trips, statements of about a megabyte.
constexpr int kRowsPerInsert = 5000;

void requirePostgres(const OdbcConnection &server)
{
    if (server.dialect() != OdbcDialect::PostgreSql)
        throw data::LumoError(server.label() + QStringLiteral("的演示数据只能建在 PostgreSQL 服务器上 (方言 postgresql)"));
}

QVariant firstValue(OdbcConnection &server, const QString &sql)
{
    QVariant value;
    server.run(sql, [&](OdbcStatement &statement) { value = readOdbcFirstValue(statement); });
    return value;
}

// A value of the demo file as a JSON string, appended to `out`: the server
// converts it to the column's type (numbers, timestamps) as it stores it.
void appendJsonValue(QString &out, sqlite3_stmt *statement, int column)
{
    if (sqlite3_column_type(statement, column) == SQLITE_NULL) {
        out += QLatin1String("null");
        return;
    }
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(statement, column));
    const QString value = QString::fromUtf8(text, sqlite3_column_bytes(statement, column));
    out += QLatin1Char('"');
    for (const QChar c : value) {
        if (c == u'"' || c == u'\\') {
            out += QLatin1Char('\\');
            out += c;
        } else if (c == u'\'') {
            out += QLatin1String("''");  // the whole JSON text is one SQL literal
        } else if (c.unicode() < 0x20) {
            out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        } else {
            out += c;
        }
    }
    out += QLatin1Char('"');
}

// Columns the server numbers itself: copied, they would leave its counter
// behind the rows, and the next row written would take a number in use.
bool serverNumbered(const QString &table, const QString &column)
{
    return table.compare(QLatin1String("TSys_UserAudit"), Qt::CaseInsensitive) == 0
        && column.compare(QLatin1String("AuditID"), Qt::CaseInsensitive) == 0;
}

void copyTable(SqliteDatabase &file, const QString &table, OdbcConnection &server)
{
    QStringList columns;
    bool numbered = false;
    file.forEachStatement(QStringLiteral("SELECT * FROM \"%1\" LIMIT 0").arg(table), [&](SqliteStatement &rows) {
        for (int c = 0; c < rows.columnCount(); ++c) {
            const QString column = QString::fromUtf8(sqlite3_column_name(rows.handle(), c));
            if (serverNumbered(table, column))
                numbered = true;
            else
                columns << column;
        }
    });
    // A table the server numbers goes in the file's order, which the numbers
    // then follow. Any other goes in the order of its key: the server sorts
    // the rows again to build the key after the copy, and a sort that finds
    // them in order already ends after one pass instead of comparing each
    // row about twenty times (each comparison of two citext values
    // lower-cases both).
    QStringList key;
    file.forEachStatement(QStringLiteral("SELECT name FROM pragma_table_info('%1') WHERE pk > 0 ORDER BY pk").arg(table),
                          [&](SqliteStatement &rows) {
                              while (rows.step())
                                  key << QLatin1Char('"') + QString::fromUtf8(reinterpret_cast<const char *>(
                                             sqlite3_column_text(rows.handle(), 0))) + QLatin1Char('"');
                          });
    const QString select = QStringLiteral("SELECT \"%1\" FROM \"%2\" ORDER BY %3")
                               .arg(columns.join(QStringLiteral("\", \"")), table,
                                    numbered || key.isEmpty() ? QStringLiteral("rowid") : key.join(QStringLiteral(", ")));
    // Parsing a multi-row VALUES costs the server more than storing its rows:
    // each statement carries its rows as one JSON literal instead.
    QStringList keys;
    for (const QString &column : columns)
        keys << QLatin1Char('"') + column.toLower() + QStringLiteral("\":");
    const QString head = QStringLiteral("INSERT INTO %1 (%2) SELECT %2 FROM json_populate_recordset(NULL::%1, '[")
                             .arg(table, columns.join(QStringLiteral(", ")));
    file.forEachStatement(select, [&](SqliteStatement &rows) {
        sqlite3_stmt *handle = rows.handle();
        QString statement;
        int rowsHeld = 0;
        auto flush = [&] {
            if (rowsHeld > 0)
                server.executeAsWritten(statement + QStringLiteral("]')"));
            rowsHeld = 0;
        };
        while (rows.step()) {
            if (rowsHeld == 0)
                statement = head;
            else
                statement += QLatin1Char(',');
            statement += QLatin1Char('{');
            for (int c = 0; c < columns.size(); ++c) {
                if (c > 0)
                    statement += QLatin1Char(',');
                statement += keys[c];
                appendJsonValue(statement, handle, c);
            }
            statement += QLatin1Char('}');
            if (++rowsHeld == kRowsPerInsert)
                flush();
        }
        flush();
    });
}

QString statementsOf(OdbcConnection &server, const QString &query)
{
    return firstValue(server, query).toString();
}

// Indexes are built faster from the rows at the end than row by row: the
// schema's keys and indexes are dropped before the copy and made again
// after it, in the same transaction.
class IndexesSetAside
{
public:
    explicit IndexesSetAside(OdbcConnection &server) : m_server(server)
    {
        const QString constraints = QStringLiteral(
            "FROM pg_constraint WHERE contype IN ('p', 'u') AND connamespace = current_schema()::regnamespace");
        const QString indexes = QStringLiteral(
            "FROM pg_indexes WHERE schemaname = current_schema() AND indexname NOT IN "
            "(SELECT conname FROM pg_constraint WHERE connamespace = current_schema()::regnamespace)");
        m_restore = statementsOf(server, QStringLiteral(
            "SELECT coalesce((SELECT string_agg('ALTER TABLE ' || conrelid::regclass || ' ADD CONSTRAINT ' "
            "|| quote_ident(conname) || ' ' || pg_get_constraintdef(oid), '; ') %1), '') || '; ' "
            "|| coalesce((SELECT string_agg(indexdef, '; ') %2), '')").arg(constraints, indexes));
        const QString drop = statementsOf(server, QStringLiteral(
            "SELECT coalesce((SELECT string_agg('DROP INDEX ' || quote_ident(indexname), '; ') %2), '') || '; ' "
            "|| coalesce((SELECT string_agg('ALTER TABLE ' || conrelid::regclass || ' DROP CONSTRAINT ' "
            "|| quote_ident(conname), '; ') %1), '')").arg(constraints, indexes));
        server.execute(drop);
    }
    void restore()
    {
        m_server.execute(QStringLiteral("SET LOCAL maintenance_work_mem = '256MB'; ") + m_restore);
    }

private:
    OdbcConnection &m_server;
    QString m_restore;
};

} // namespace

namespace ServerDemoData {

State state(OdbcConnection &server, SchemaDatabase database)
{
    requirePostgres(server);
    Q_UNUSED(database);
    if (!firstValue(server, QStringLiteral("SELECT to_regclass('p_user') IS NOT NULL")).toBool()) {
        const qint64 tables = firstValue(server, QStringLiteral("SELECT count(*) FROM information_schema.tables "
                                                                "WHERE table_schema = current_schema()"))
                                  .toLongLong();
        if (tables == 0)
            return State::Empty;
        throw data::LumoError(server.label() + QStringLiteral("不是空的数据库, 也不是本系统的数据库: 演示数据不会写入"));
    }
    return State::Filled;
}

void copy(const QString &demoFile, OdbcConnection &server, SchemaDatabase database)
{
    requirePostgres(server);
    SqliteDatabase file = SqliteDatabase::openExisting(demoFile, databaseLabel(database));
    QStringList tables;
    file.forEachStatement(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY rowid"),
                          [&](SqliteStatement &statement) {
                              while (statement.step())
                                  tables << QString::fromUtf8(reinterpret_cast<const char *>(
                                      sqlite3_column_text(statement.handle(), 0)));
                          });
    // SQLite's own tables (the counter of AUTOINCREMENT keys) stay in the file.
    tables.removeIf([](const QString &table) {
        return table.startsWith(QLatin1String("sqlite_"), Qt::CaseInsensitive);
                          });
    server.begin();
    try {
        server.execute(databaseSchema(database, SchemaDialect::PostgreSql));
        IndexesSetAside indexes(server);
        for (const QString &table : tables)
            copyTable(file, table, server);
        indexes.restore();
        server.commit();
    } catch (...) {
        server.rollback();
        throw;
    }
}

void copyEach(const std::vector<Copy> &copies)
{
    std::vector<std::future<void>> running;
    for (const Copy &c : copies)
        running.push_back(std::async(std::launch::async, [c] { copy(c.demoFile, *c.server, c.database); }));
    std::exception_ptr failure;
    for (std::future<void> &copying : running) {
        try {
            copying.get();
        } catch (...) {
            if (!failure)
                failure = std::current_exception();
        }
    }
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace ServerDemoData
