#include "TempDatabases.h"

#include <sqlite3.h>

#include "LumoError.h"
#include "SqliteDatabase.h"
#include "SqliteSession.h"

TempDatabases::TempDatabases(Storage storage)
{
    if (!m_dir.isValid())
        throw data::LumoError(QStringLiteral("temporary directory: ") + m_dir.errorString());
    SqliteSession::createDatabases(hrFile(), rcmsFile());
    if (storage == Storage::Postgres && PostgresDatabases::available())
        m_server = std::make_unique<PostgresDatabases>();
}

TempDatabases::~TempDatabases() = default;

void TempDatabases::hr(const QString &sql) const
{
    if (m_server)
        m_server->exec(SchemaDatabase::HealthRecord, sql);
    else
        exec(hrFile(), sql);
}

void TempDatabases::rcms(const QString &sql) const
{
    if (m_server)
        m_server->exec(SchemaDatabase::Rcms, sql);
    else
        exec(rcmsFile(), sql);
}

QVariant TempDatabases::hrValue(const QString &sql) const
{
    return m_server ? m_server->value(SchemaDatabase::HealthRecord, sql) : value(hrFile(), sql);
}

QVariant TempDatabases::rcmsValue(const QString &sql) const
{
    return m_server ? m_server->value(SchemaDatabase::Rcms, sql) : value(rcmsFile(), sql);
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
