#pragma once

#include <QString>
#include <QVariant>

#include <memory>

#include "DatabaseSchema.h"
#include "HostConfig.h"

class OdbcConnection;

// Two fresh databases made from the host's PostgreSQL schema on the test
// server that scripts/postgres.sh starts (it exports LUMO_TEST_PG_HR and
// LUMO_TEST_PG_RCMS, the ODBC connection strings of its two databases, which
// hold the schema and serve as templates). Each object has databases of its
// own, so tests may run in parallel; they are dropped with the object,
// connections still open to them included.
//
// The direct helpers run PostgreSQL text as written (no translation) on
// connections of their own, outside the session's transactions.
class PostgresDatabases
{
public:
    // Whether the test run has a server; tests skip the server backend without one.
    static bool available();
    // The server's connection string for its database `database`
    // (available() must be true).
    static QString connectionTo(const QString &database);
    // An ODBC location on the server that sends text as written.
    static DatabaseLocation untranslated(const QString &database);

    // Schema::None leaves the databases empty (for the demo generator).
    enum class Schema { Create, None };
    explicit PostgresDatabases(Schema schema = Schema::Create);
    ~PostgresDatabases();

    // The databases as the host reaches them: ODBC, dialect postgresql.
    DatabaseLocation hr() const;
    DatabaseLocation rcms() const;
    DatabaseLocation location(SchemaDatabase database) const;
    QString name(SchemaDatabase database) const;

    void exec(SchemaDatabase database, const QString &sql);
    QVariant value(SchemaDatabase database, const QString &sql);
    // Every row of every table, as text in a stable order: the same dump
    // before and after means the database did not change.
    QString dump(SchemaDatabase database);
    // Ends every connection to the two databases on the server side, as a
    // server restart would, and waits until they are gone.
    void cutConnections();

private:
    OdbcConnection &direct(SchemaDatabase database);

    QString m_prefix;
    std::unique_ptr<OdbcConnection> m_admin;
    std::unique_ptr<OdbcConnection> m_hr;
    std::unique_ptr<OdbcConnection> m_rcms;
};
