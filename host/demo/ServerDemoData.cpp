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

void copyTable(SqliteDatabase &file, const QString &table, OdbcConnection &server)
{
    file.forEachStatement(QStringLiteral("SELECT * FROM \"%1\"").arg(table), [&](SqliteStatement &rows) {
        sqlite3_stmt *handle = rows.handle();
        QStringList columns;
        for (int c = 0; c < rows.columnCount(); ++c)
            columns << QString::fromUtf8(sqlite3_column_name(handle, c));
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
