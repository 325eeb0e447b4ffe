#include "SessionFactory.h"

#include <QFileInfo>

#include "CompositeSession.h"
#include "DatabaseSchema.h"
#include "DemoData.h"
#include "HostConfig.h"
#include "LumoError.h"
#include "OdbcSession.h"
#include "SearchCodes.h"
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

std::unique_ptr<HostSession> openHostSession(const HostConfig &config)
{
    if (!config.hr.isOdbc() && !config.rcms.isOdbc())
        return std::make_unique<SqliteSession>(config.hr.sqliteFile, config.rcms.sqliteFile);
    if (config.hr.isOdbc() && config.rcms.isOdbc())
        return std::make_unique<OdbcSession>(config.hr, config.rcms, config.loginTimeoutSeconds);
    auto hrSide = openOneSide(config.hr, SchemaDatabase::HealthRecord, config.loginTimeoutSeconds);
    auto rcmsSide = openOneSide(config.rcms, SchemaDatabase::Rcms, config.loginTimeoutSeconds);
    return std::make_unique<CompositeSession>(std::move(hrSide), std::move(rcmsSide));
}

void createDemoDatabasesIfMissing(const HostConfig &config)
{
    if (config.hr.isOdbc() || config.rcms.isOdbc())
        throw data::LumoError(QStringLiteral("演示数据库只能建在 SQLite 文件中 (--create-demo 不能与 ODBC 连接同用)"));
    if (QFileInfo::exists(config.hr.sqliteFile) && QFileInfo::exists(config.rcms.sqliteFile))
        return;
    DemoData::Options options;
    options.areas = config.demoAreas;
    options.users = config.demoUsers;
    options.pinyin = SearchCodes::pinyinInitials;
    options.wubi = SearchCodes::wubiInitials;
    DemoData::create(config.hr.sqliteFile, config.rcms.sqliteFile, options, DemoData::ExistingFiles::Skip);
}

QString rightsTableName()
{
    return DemoData::RightsTable;
}
