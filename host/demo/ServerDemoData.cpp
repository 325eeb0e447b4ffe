#include "ServerDemoData.h"

#include <QByteArray>
#include <QHash>
#include <QStringList>

#include <exception>
#include <future>
#include <utility>
#include <vector>

#include <sqlite3.h>

#include "DatabaseSchema.h"
#include "LumoError.h"
#include "OdbcConnection.h"
#include "OdbcResultReader.h"
#include "SqliteDatabase.h"
#include "SqlQuoted.h"

namespace {

// Rows per statement: a few round trips, about half a megabyte of values each.
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

// A value of the demo file appended to an array literal of the server: the
// file's text as it is (UTF-8, both sides' encoding) in double quotes, or
// NULL. The server converts it to the column's type as it stores it.
void appendArrayElement(QByteArray &out, sqlite3_stmt *statement, int column)
{
    if (sqlite3_column_type(statement, column) == SQLITE_NULL) {
        out += "NULL";
        return;
    }
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(statement, column));
    const char *const end = text + sqlite3_column_bytes(statement, column);
    out += '"';
    for (const char *run = text; run < end;) {
        const char *special = run;
        while (special < end && *special != '"' && *special != '\\')
            ++special;
        out.append(run, special - run);
        if (special == end)
            break;
        out += '\\';
        out += *special;
        run = special + 1;
    }
    out += '"';
}

// The server's type of each column of the table (lower-case names), as the
// element type of the arrays its rows arrive in.
QHash<QString, QString> columnTypes(OdbcConnection &server, const QString &table)
{
    QHash<QString, QString> types;
    server.run(QStringLiteral("SELECT lower(attname), format_type(atttypid, NULL) FROM pg_attribute "
                              "WHERE attrelid = to_regclass(%1) AND attnum > 0 AND NOT attisdropped")
                   .arg(sqlQuoted(table)),
               [&types](OdbcStatement &statement) {
                   for (const auto &row : readOdbcDataPacket(statement).rows)
                       types.insert(row.at(0).toString(), row.at(1).toString());
               });
    return types;
}

// Columns the server numbers itself: copied, they would leave its counter
// behind the rows, and the next row written would take a number in use.
bool serverNumbered(const QString &table, const QString &column)
{
    return table.compare(QLatin1String("TSys_UserAudit"), Qt::CaseInsensitive) == 0
        && column.compare(QLatin1String("AuditID"), Qt::CaseInsensitive) == 0;
}

// Returns whether the server numbers the table's rows.
bool copyTable(SqliteDatabase &file, const QString &table, OdbcConnection &server)
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
    // them nearly in order (a row that fits a gap an earlier page left lands
    // there) compares each row a few times instead of about twenty (each
    // comparison of two citext values lower-cases both).
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
    // Parsing a multi-row VALUES costs the server more than storing its rows,
    // and so does a JSON text of objects naming every value's column. Each
    // statement carries a column's values as one array, bound as a parameter:
    // neither quoted into the statement nor read by the driver's parser.
    // The arrays are taken apart in the select list, side by side (they are
    // of one length): unnest in FROM would first store all the rows aside.
    const QHash<QString, QString> types = columnTypes(server, table);
    QStringList arrays;
    for (const QString &column : columns)
        arrays << QStringLiteral("unnest(?::%1[])").arg(types.value(column.toLower(), QStringLiteral("text")));
    const QString insert = QStringLiteral("INSERT INTO %1 (%2) SELECT %3")
                               .arg(table, columns.join(QStringLiteral(", ")), arrays.join(QStringLiteral(", ")));
    file.forEachStatement(select, [&](SqliteStatement &rows) {
        sqlite3_stmt *handle = rows.handle();
        std::vector<QByteArray> values(std::size_t(columns.size()));
        int rowsHeld = 0;
        auto flush = [&] {
            if (rowsHeld == 0)
                return;
            for (QByteArray &array : values)
                array += '}';
            server.executeAsWritten(insert, std::exchange(values, std::vector<QByteArray>(values.size())));
            rowsHeld = 0;
        };
        while (rows.step()) {
            for (int c = 0; c < columns.size(); ++c) {
                QByteArray &array = values[std::size_t(c)];
                array += rowsHeld == 0 ? '{' : ',';
                appendArrayElement(array, handle, c);
            }
            if (++rowsHeld == kRowsPerInsert)
                flush();
        }
        flush();
    });
    return numbered;
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
        m_constraints = statementsOf(server, QStringLiteral(
            "SELECT coalesce((SELECT string_agg('ALTER TABLE ' || conrelid::regclass || ' ADD CONSTRAINT ' "
            "|| quote_ident(conname) || ' ' || pg_get_constraintdef(oid), '; ') %1), '')").arg(constraints));
        m_indexes = statementsOf(server, QStringLiteral("SELECT coalesce((SELECT string_agg(indexdef, '; ') %1), '')")
                                             .arg(indexes));
        server.run(QStringLiteral("SELECT lower(conrelid::regclass::text), quote_ident(conname) FROM pg_constraint "
                                  "WHERE contype = 'p' AND connamespace = current_schema()::regnamespace"),
                   [this](OdbcStatement &statement) {
                       for (const auto &row : readOdbcDataPacket(statement).rows)
                           m_keys.insert(row.at(0).toString(), row.at(1).toString());
                   });
        const QString drop = statementsOf(server, QStringLiteral(
            "SELECT coalesce((SELECT string_agg('DROP INDEX ' || quote_ident(indexname), '; ') %2), '') || '; ' "
            "|| coalesce((SELECT string_agg('ALTER TABLE ' || conrelid::regclass || ' DROP CONSTRAINT ' "
            "|| quote_ident(conname), '; ') %1), '')").arg(constraints, indexes));
        server.execute(drop);
    }

    // The keys first. The rows of a table the server numbers went in in the
    // order of their numbers, yet a row that fits a gap an earlier page left
    // lands there: rewritten once in the order of the key (a number, cheap
    // to sort), the table's indexes that lead with the time or with a value
    // most rows share then find their rows sorted, and each is built in one
    // pass instead of a sort of a million citext comparisons and more.
    void restore(const QStringList &numberedTables)
    {
        QString sql = QStringLiteral("SET LOCAL maintenance_work_mem = '256MB'; ") + m_constraints;
        for (const QString &table : numberedTables) {
            const QString key = m_keys.value(table.toLower());
            if (!key.isEmpty())
                sql += QStringLiteral("; CLUSTER %1 USING %2; ALTER TABLE %1 SET WITHOUT CLUSTER").arg(table, key);
        }
        m_server.execute(sql + QStringLiteral("; ") + m_indexes);
    }

private:
    OdbcConnection &m_server;
    QString m_constraints;
    QString m_indexes;
    QHash<QString, QString> m_keys;  // the primary key's name by lower-case table name
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
        QStringList numbered;
        for (const QString &table : tables) {
            if (copyTable(file, table, server))
                numbered << table;
        }
        indexes.restore(numbered);
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
