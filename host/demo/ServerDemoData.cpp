#include "ServerDemoData.h"

#include <QStringList>

#include <sqlite3.h>

#include "DatabaseSchema.h"
#include "LumoError.h"
#include "OdbcConnection.h"
#include "OdbcResultReader.h"
#include "SqliteDatabase.h"
#include "SqlQuoted.h"

namespace {

// Rows per Insert: few round trips, statements of a modest size.
constexpr int kRowsPerInsert = 500;

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

// A value of the demo file as a literal: the server converts a quoted text to
// the column's type (numbers, timestamps) as it stores it.
QString literalOf(sqlite3_stmt *statement, int column)
{
    if (sqlite3_column_type(statement, column) == SQLITE_NULL)
        return QStringLiteral("Null");
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(statement, column));
    return sqlQuoted(QString::fromUtf8(text, sqlite3_column_bytes(statement, column)));
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
    file.forEachStatement(QStringLiteral("SELECT * FROM \"%1\" LIMIT 0").arg(table), [&](SqliteStatement &rows) {
        for (int c = 0; c < rows.columnCount(); ++c) {
            const QString column = QString::fromUtf8(sqlite3_column_name(rows.handle(), c));
            if (!serverNumbered(table, column))
                columns << column;
        }
    });
    // In the file's order, which the server's numbers then follow.
    const QString select = QStringLiteral("SELECT \"%1\" FROM \"%2\" ORDER BY rowid")
                               .arg(columns.join(QStringLiteral("\", \"")), table);
    file.forEachStatement(select, [&](SqliteStatement &rows) {
        sqlite3_stmt *handle = rows.handle();
        const QString head = QStringLiteral("INSERT INTO %1 (%2) VALUES ").arg(table, columns.join(QStringLiteral(", ")));
        QStringList values;
        auto flush = [&] {
            if (!values.isEmpty())
                server.execute(head + values.join(QStringLiteral(", ")));
            values.clear();
        };
        while (rows.step()) {
            QStringList row;
            for (int c = 0; c < columns.size(); ++c)
                row << literalOf(handle, c);
            values << QLatin1Char('(') + row.join(QStringLiteral(", ")) + QLatin1Char(')');
            if (values.size() == kRowsPerInsert)
                flush();
        }
        flush();
    });
}

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
        for (const QString &table : tables)
            copyTable(file, table, server);
        server.commit();
    } catch (...) {
        server.rollback();
        throw;
    }
}

} // namespace ServerDemoData
