#pragma once

#include <QString>

#include <memory>

class HostSession;
struct HostConfig;

// The session on the configured databases (SQLite files or ODBC connections).
// Raises data::LumoError naming the database that could not be opened.
std::unique_ptr<HostSession> openHostSession(const HostConfig &config);

// Creates the demo databases of the configuration where they are missing: a
// file that does not exist, a PostgreSQL database without any table. An
// existing file or filled database is never touched.
void createDemoDatabasesIfMissing(const HostConfig &config);

// The host's own table of each user's rights (columns UserCode, ModFunTyp, ModFunID).
QString rightsTableName();
