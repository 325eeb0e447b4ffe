#pragma once

#include <QString>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "HostConfig.h"
#include "TempDatabases.h"
#include "URCMSObjValueClass.h"

// The session implementations the shared session tests run over. Each opens a
// session on a pair of databases made from the host's schema, of the storage
// it names (the test makes them: TempDatabases files{GetParam().storage}).
struct SessionBackend
{
    std::string name;
    std::function<std::unique_ptr<HostSession>(const TempDatabases &databases)> open;
    TempDatabases::Storage storage = TempDatabases::Storage::Files;

    // False for the server backend when the run has no test server: the
    // tests skip it then (GTEST_SKIP).
    bool available() const;
};

// Sqlite: the SQLite session on both files. Odbc: the ODBC session on both,
// through the SQLite ODBC driver with the T-SQL translated. Composite: the
// health-record database over ODBC and the RCMS database as a SQLite file.
// Postgres: the ODBC session on both databases on the PostgreSQL test server.
std::vector<SessionBackend> sessionBackends();

// An SQLite file reached through the SQLite ODBC driver ({SQLite3}; Debian's
// [SQLite] entry names a driver file that is not installed), sqlite dialect.
DatabaseLocation sqliteOverOdbc(const QString &file);
