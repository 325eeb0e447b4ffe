#pragma once

#include <QString>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "HostConfig.h"
#include "URCMSObjValueClass.h"

// The session implementations the shared session tests run over. Each opens a
// session on two existing database files made from the host's schema.
struct SessionBackend
{
    std::string name;
    std::function<std::unique_ptr<HostSession>(const QString &hrFile, const QString &rcmsFile)> open;
};

// Sqlite: the SQLite session on both files. Odbc: the ODBC session on both,
// through the SQLite ODBC driver with the T-SQL translated. Composite: the
// health-record database over ODBC and the RCMS database as a SQLite file.
std::vector<SessionBackend> sessionBackends();

// An SQLite file reached through the SQLite ODBC driver ({SQLite3}; Debian's
// [SQLite] entry names a driver file that is not installed), sqlite dialect.
DatabaseLocation sqliteOverOdbc(const QString &file);
