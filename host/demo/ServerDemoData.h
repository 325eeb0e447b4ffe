#pragma once

#include <QString>

#include <vector>

class OdbcConnection;
enum class SchemaDatabase;

// The demo data on a database server: the schema of the server's dialect is
// created and every table of a demo file (made by DemoData) is copied row by
// row, in one transaction. Only PostgreSQL is supported.
namespace ServerDemoData {

enum class State { Empty, Filled };

// Empty: the database holds no table of its own; Filled: it holds the
// schema's user table. Raises data::LumoError for a database holding other
// tables only (never touched) or a server of another dialect.
State state(OdbcConnection &server, SchemaDatabase database);

// Creates the schema on an empty server database and copies the file's rows.
void copy(const QString &demoFile, OdbcConnection &server, SchemaDatabase database);

struct Copy
{
    QString demoFile;
    OdbcConnection *server;
    SchemaDatabase database;
};

// Each copy as copy() makes it, all at once on threads of their own (the
// server works on each database with a process of its own). Every copy runs
// to its end; the first failure is then raised.
void copyEach(const std::vector<Copy> &copies);

} // namespace ServerDemoData
