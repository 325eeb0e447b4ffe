#include "SessionFactory.h"

#include <QFileInfo>

#include "DemoData.h"
#include "HostConfig.h"
#include "LumoError.h"
#include "SearchCodes.h"
#include "SqliteSession.h"

std::unique_ptr<HostSession> openHostSession(const HostConfig &config)
{
    if (config.hr.isOdbc() || config.rcms.isOdbc())
        throw data::LumoError(QStringLiteral("此版本的宿主尚不支持 ODBC 连接"));
    return std::make_unique<SqliteSession>(config.hr.sqliteFile, config.rcms.sqliteFile);
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
