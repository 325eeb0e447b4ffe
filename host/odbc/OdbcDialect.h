#pragma once

#include <QString>
#include <QStringList>

// What an ODBC connection's server understands. The module speaks T-SQL:
// SQL Server takes it as sent; the SQLite ODBC driver and PostgreSQL need the
// host's translation, sent one statement per call (so that a failing
// statement is the one named in the message).
enum class OdbcDialect { SqlServer, Sqlite, PostgreSql };

// "mssql", "sqlite" or "postgresql" (any case); raises data::LumoError on
// anything else.
OdbcDialect odbcDialectFromName(const QString &name);

// The texts to send, one call each, for one text of the module. SQL Server
// gets the whole batch untouched (its results are walked with SQLMoreResults);
// for SQLite and PostgreSQL the translated text is cut at its statement
// boundaries (the translation writes nothing the two read differently). A text
// with nothing to run gives no statements.
QStringList odbcStatements(OdbcDialect dialect, const QString &tsql);

// Cuts SQLite text after each ";" that ends a complete statement (never inside
// a literal, a quoted name, a comment or a trigger body). Pieces holding only
// blanks and ";" are left out; a last piece without ";" is kept.
QStringList splitSqliteStatements(const QString &sqliteText);
