#include "SessionFactory.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include "CompositeSession.h"
#include "DatabaseSchema.h"
#include "DemoData.h"
#include "HostConfig.h"
#include "LumoError.h"
#include "OdbcConnection.h"
#include "OdbcSession.h"
#include "SearchCodes.h"
#include "ServerDemoData.h"
#include "SqliteSession.h"

namespace {

// A session of which only the slots of one database will be called: an ODBC
// connection, or the SQLite file opened for both blocks of slots.
std::unique_ptr<HostSession> openOneSide(const DatabaseLocation &location, SchemaDatabase database,
                                         int loginTimeoutSeconds)
{
    if (location.isOdbc())
        return OdbcSession::forOneDatabase(location, databaseLabel(database), loginTimeoutSeconds);
    // Opened once under its own name first: SqliteSession would name a
    // missing or foreign file after the block of slots it opens first.
    SqliteDatabase::openExisting(location.sqliteFile, databaseLabel(database));
    return std::make_unique<SqliteSession>(location.sqliteFile, location.sqliteFile);
}

} // namespace

namespace {

std::unique_ptr<HostSession> openSessionOf(const HostConfig &config)
{
    if (!config.hr.isOdbc() && !config.rcms.isOdbc())
        return std::make_unique<SqliteSession>(config.hr.sqliteFile, config.rcms.sqliteFile);
    if (config.hr.isOdbc() && config.rcms.isOdbc())
        return std::make_unique<OdbcSession>(config.hr, config.rcms, config.loginTimeoutSeconds);
    auto hrSide = openOneSide(config.hr, SchemaDatabase::HealthRecord, config.loginTimeoutSeconds);
    auto rcmsSide = openOneSide(config.rcms, SchemaDatabase::Rcms, config.loginTimeoutSeconds);
    return std::make_unique<CompositeSession>(std::move(hrSide), std::move(rcmsSide));
}

} // namespace

std::unique_ptr<HostSession> openHostSession(const HostConfig &config)
{
    std::unique_ptr<HostSession> session = openSessionOf(config);
    // SQL Server compares texts as if the shorter were padded with blanks.
    session->HrCodesIgnoreTrailingBlanks = config.hr.isOdbc() && config.hr.dialect == QLatin1String("mssql");
    return session;
}

void createDemoDatabasesIfMissing(const HostConfig &config)
{
    // A server database is filled from a demo file made in a folder of its
    // own; a file database is made where it belongs. Both come from the one
    // generator run, so the two databases agree with each other.
    struct Side
    {
        const DatabaseLocation &location;
        SchemaDatabase database;
        QString file;
        std::unique_ptr<OdbcConnection> server;
        bool missing = false;
    };
    QTemporaryDir scratch;
    Side sides[] = {{config.hr, SchemaDatabase::HealthRecord, {}, {}},
                    {config.rcms, SchemaDatabase::Rcms, {}, {}}};
    for (Side &side : sides) {
        if (side.location.isOdbc()) {
            side.server = std::make_unique<OdbcConnection>(side.location, databaseLabel(side.database),
                                                           config.loginTimeoutSeconds);
            side.missing = ServerDemoData::state(*side.server, side.database) == ServerDemoData::State::Empty;
            side.file = scratch.filePath(side.database == SchemaDatabase::HealthRecord ? QStringLiteral("hr.db")
                                                                                       : QStringLiteral("rcms.db"));
        } else {
            side.file = side.location.sqliteFile;
            side.missing = !QFileInfo::exists(side.file);
        }
    }
    if (!sides[0].missing && !sides[1].missing)
        return;
    if (!scratch.isValid())
        throw data::LumoError(QStringLiteral("无法创建临时目录: ") + scratch.errorString());
    DemoData::Options options;
    options.areas = config.demoAreas;
    options.users = config.demoUsers;
    options.trailRows = config.demoTrailRows;
    options.pinyin = SearchCodes::pinyinInitials;
    options.wubi = SearchCodes::wubiInitials;
    options.hrCopiedOnly = sides[0].server != nullptr;
    options.rcmsCopiedOnly = sides[1].server != nullptr;
    DemoData::create(sides[0].file, sides[1].file, options, DemoData::ExistingFiles::Skip);
    std::vector<ServerDemoData::Copy> copies;
    for (Side &side : sides) {
        if (side.server && side.missing)
            copies.push_back({side.file, side.server.get(), side.database});
    }
    ServerDemoData::copyEach(copies);
}

QString rightsTableName()
{
    return DemoData::RightsTable;
}
