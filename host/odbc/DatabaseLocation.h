#pragma once

#include <QString>

// Where a database lives: a SQLite file, or an ODBC connection string with the
// SQL dialect the server speaks ("mssql" passes the module's T-SQL through,
// "sqlite" translates it for the SQLite ODBC driver, "postgresql" for
// PostgreSQL).
struct DatabaseLocation
{
    QString sqliteFile;
    QString odbcConnection;
    QString dialect = QStringLiteral("mssql");

    bool isOdbc() const { return !odbcConnection.isEmpty(); }
    bool isSet() const { return !sqliteFile.isEmpty() || isOdbc(); }
    QString describe() const;

    // "odbc:<connection string>" is an ODBC connection; anything else a file path.
    static DatabaseLocation parse(const QString &text, const QString &dialect = QString());
};
