#include "SessionBackends.h"

#include "CompositeSession.h"
#include "DatabaseSchema.h"
#include "OdbcSession.h"
#include "SqliteSession.h"

namespace {

constexpr int kLoginTimeoutSeconds = 10;

} // namespace

DatabaseLocation sqliteOverOdbc(const QString &file)
{
    return DatabaseLocation::parse(QStringLiteral("odbc:Driver={SQLite3};Database=%1;").arg(file),
                                   QStringLiteral("sqlite"));
}

bool SessionBackend::available() const
{
    return storage == TempDatabases::Storage::Files || PostgresDatabases::available();
}

std::vector<SessionBackend> sessionBackends()
{
    using Storage = TempDatabases::Storage;
    std::vector<SessionBackend> backends;
    backends.push_back({"Sqlite", [](const TempDatabases &d) -> std::unique_ptr<HostSession> {
                            return std::make_unique<SqliteSession>(d.hrFile(), d.rcmsFile());
                        }});
    backends.push_back({"Odbc", [](const TempDatabases &d) -> std::unique_ptr<HostSession> {
                            return std::make_unique<OdbcSession>(sqliteOverOdbc(d.hrFile()),
                                                                 sqliteOverOdbc(d.rcmsFile()), kLoginTimeoutSeconds);
                        }});
    backends.push_back({"Composite", [](const TempDatabases &d) -> std::unique_ptr<HostSession> {
                            return std::make_unique<CompositeSession>(
                                OdbcSession::forOneDatabase(sqliteOverOdbc(d.hrFile()),
                                                            databaseLabel(SchemaDatabase::HealthRecord),
                                                            kLoginTimeoutSeconds),
                                std::make_unique<SqliteSession>(d.rcmsFile(), d.rcmsFile()));
                        }});
    backends.push_back({"Postgres",
                        [](const TempDatabases &d) -> std::unique_ptr<HostSession> {
                            return std::make_unique<OdbcSession>(d.server()->hr(), d.server()->rcms(),
                                                                 kLoginTimeoutSeconds);
                        },
                        Storage::Postgres});
    return backends;
}
