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

std::vector<SessionBackend> sessionBackends()
{
    std::vector<SessionBackend> backends;
    backends.push_back({"Sqlite", [](const QString &hr, const QString &rcms) -> std::unique_ptr<HostSession> {
                            return std::make_unique<SqliteSession>(hr, rcms);
                        }});
    backends.push_back({"Odbc", [](const QString &hr, const QString &rcms) -> std::unique_ptr<HostSession> {
                            return std::make_unique<OdbcSession>(sqliteOverOdbc(hr), sqliteOverOdbc(rcms),
                                                                 kLoginTimeoutSeconds);
                        }});
    backends.push_back({"Composite", [](const QString &hr, const QString &rcms) -> std::unique_ptr<HostSession> {
                            return std::make_unique<CompositeSession>(
                                OdbcSession::forOneDatabase(sqliteOverOdbc(hr),
                                                            databaseLabel(SchemaDatabase::HealthRecord),
                                                            kLoginTimeoutSeconds),
                                std::make_unique<SqliteSession>(rcms, rcms));
                        }});
    return backends;
}
