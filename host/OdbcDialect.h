#pragma once

#include <QString>
#include <QStringList>

// What an ODBC connection's server understands. The module speaks T-SQL:
// SQL Server takes it as sent; the SQLite ODBC driver needs the host's
// translation and runs only one statement per call.
enum class OdbcDialect { SqlServer, Sqlite };

// "mssql" or "sqlite" (any case); raises data::LumoError on anything else.
OdbcDialect odbcDialectFromName(const QString &name);

// The texts to send, one call each, for one text of the module. SQL Server
// gets the whole batch untouched (its results are walked with SQLMoreResults);
// for SQLite the translated text is cut at its statement boundaries. A text
// with nothing to run gives no statements.
QStringList odbcStatements(OdbcDialect dialect, const QString &tsql);

// Cuts SQLite text after each ";" that ends a complete statement (never inside
// a literal, a quoted name, a comment or a trigger body). Pieces holding only
// blanks and ";" are left out; a last piece without ";" is kept.
QStringList splitSqliteStatements(const QString &sqliteText);
