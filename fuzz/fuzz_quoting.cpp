// Quoting under libFuzzer: any text, quoted and sent through the translation
// to SQLite, reads back as itself, prepared as written and with its literals
// bound by the statement cache alike.
#include <cstddef>
#include <cstdint>

#include <sqlite3.h>

#include "FuzzCheck.h"
#include "SqliteStatementCache.h"
#include "TextRules.h"
#include "TsqlTranslator.h"

namespace {

struct Database
{
    Database()
    {
        sqlite3_open(":memory:", &db);
        sqlite3_exec(db, "CREATE TABLE t (v TEXT)", nullptr, nullptr, nullptr);
    }
    ~Database() { sqlite3_close(db); }
    sqlite3 *db = nullptr;
};

QString readBack(sqlite3 *db, const QByteArray &sql, bool *prepared)
{
    sqlite3_stmt *statement = nullptr;
    *prepared = sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &statement, nullptr) == SQLITE_OK
                && statement && sqlite3_step(statement) == SQLITE_ROW;
    QString value;
    if (*prepared) {
        value = QString::fromUtf16(static_cast<const char16_t *>(sqlite3_column_text16(statement, 0)),
                                   sqlite3_column_bytes16(statement, 0) / 2);
    }
    sqlite3_finalize(statement);
    return value;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static Database database;
    static SqliteStatementCache cache;
    sqlite3 *db = database.db;
    const QString value = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString quoted = QuotedStr(value);
    QString appended = QStringLiteral("x");
    AppendQuoted(appended, value);
    fuzzCheck(appended == QLatin1Char('x') + quoted, "AppendQuoted differs from QuotedStr", value);

    bool prepared = false;
    const QString selected = readBack(db, translateTsqlToSqlite(QStringLiteral("Select ") + quoted).toUtf8(), &prepared);
    fuzzCheck(prepared, "the quoted value does not prepare", value, quoted);
    fuzzCheck(selected == value, "the quoted value reads back otherwise", value, selected);

    sqlite3_exec(db, "DELETE FROM t", nullptr, nullptr, nullptr);
    const QByteArray insert =
        translateTsqlToSqlite(QStringLiteral("Insert Into t (v) Values (") + quoted + QLatin1Char(')')).toUtf8();
    fuzzCheck(cache.tryExecute(db, insert, QString()), "the statement cache refused a quoted value", value,
              QString::fromUtf8(insert));
    const QString stored = readBack(db, "SELECT v FROM t", &prepared);
    fuzzCheck(prepared && stored == value, "the bound value reads back otherwise", value, stored);
    return 0;
}
