#pragma once

#include <QRegularExpression>
#include <QString>

#include "DatabaseLocation.h"
#include "OdbcConnection.h"

// A database of the throw-away server of scripts/postgres.sh, for the server
// benchmarks: its connection string is the test server's with another
// database named.
namespace bench_server {

inline QString withDatabase(const QString &database)
{
    QString connection = qEnvironmentVariable("LUMO_TEST_PG_HR");
    const QRegularExpression key(QStringLiteral("(^|;)\\s*Database\\s*=[^;]*"), QRegularExpression::CaseInsensitiveOption);
    return connection.replace(key, QStringLiteral("\\1Database=") + database);
}

inline DatabaseLocation location(const QString &database, const char *dialect = "postgresql")
{
    return DatabaseLocation::parse(QStringLiteral("odbc:") + withDatabase(database), QLatin1String(dialect));
}

// Text as written, on a connection of its own.
inline void run(const QString &database, const QString &sql, const QString &name, int timeoutSeconds)
{
    OdbcConnection(location(database, "mssql"), name, timeoutSeconds).execute(sql);
}

} // namespace bench_server
