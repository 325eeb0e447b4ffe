#include "DatabaseLocation.h"

#include <QStringList>

#include "OdbcDialect.h"

QString DatabaseLocation::describe() const
{
    if (isOdbc()) {
        // Never show a password in a message.
        QStringList parts = odbcConnection.split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString &part : parts) {
            const QString key = part.section(QLatin1Char('='), 0, 0).trimmed().toUpper();
            if (key == QLatin1String("PWD") || key == QLatin1String("PASSWORD"))
                part = part.section(QLatin1Char('='), 0, 0) + QStringLiteral("=***");
        }
        return QStringLiteral("ODBC(%1)").arg(parts.join(QLatin1Char(';')));
    }
    return sqliteFile;
}

DatabaseLocation DatabaseLocation::parse(const QString &text, const QString &dialect)
{
    DatabaseLocation location;
    const QString trimmed = text.trimmed();
    if (trimmed.startsWith(QLatin1String("odbc:"), Qt::CaseInsensitive)) {
        location.odbcConnection = trimmed.mid(5);
        location.dialect = dialect.isEmpty() ? QStringLiteral("mssql") : dialect.toLower();
    } else {
        location.sqliteFile = trimmed;
        location.dialect = QStringLiteral("sqlite");
    }
    odbcDialectFromName(location.dialect);  // raises on a name it does not know
    return location;
}
