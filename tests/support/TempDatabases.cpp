#include "TempDatabases.h"

#include <sqlite3.h>

#include "LumoError.h"
#include "SqliteDatabase.h"
#include "SqliteSession.h"

TempDatabases::TempDatabases()
{
    if (!m_dir.isValid())
        throw data::LumoError(QStringLiteral("temporary directory: ") + m_dir.errorString());
    SqliteSession::createDatabases(hrFile(), rcmsFile());
}

void TempDatabases::exec(const QString &file, const QString &sql)
{
    SqliteDatabase db = SqliteDatabase::openExisting(file, file);
    db.execute(sql);
}

QVariant TempDatabases::value(const QString &file, const QString &sql)
{
    SqliteDatabase db = SqliteDatabase::openExisting(file, file);
    QVariant result;
    db.forEachStatement(sql, [&result](SqliteStatement &statement) {
        if (result.isNull() && statement.step()) {
            sqlite3_stmt *raw = statement.handle();
            switch (sqlite3_column_type(raw, 0)) {
            case SQLITE_INTEGER:
                result = qint64(sqlite3_column_int64(raw, 0));
                break;
            case SQLITE_FLOAT:
                result = sqlite3_column_double(raw, 0);
                break;
            case SQLITE_NULL:
                break;
            default:
                result = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(raw, 0)));
            }
        }
        statement.drain();
    });
    return result;
}
