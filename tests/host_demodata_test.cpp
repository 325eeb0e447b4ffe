// The demo databases: never overwritten, deterministic, and shaped so that
// every command of the module has something to do.
#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "DatabaseSchema.h"
#include "DemoData.h"
#include "LumoError.h"
#include "ModuleSqlTexts.h"
#include "OdbcConnection.h"
#include "PostgresDatabases.h"
#include "ServerDemoData.h"
#include "SqliteSession.h"
#include "TempDatabases.h"

namespace {

class DemoDataTest : public ::testing::Test
{
protected:
    QString hr() const { return dir.filePath(QStringLiteral("hr.db")); }
    QString rcms() const { return dir.filePath(QStringLiteral("rcms.db")); }
    qint64 count(const QString &file, const QString &sql) const { return TempDatabases::value(file, sql).toLongLong(); }
    QString text(const QString &file, const QString &sql) const { return TempDatabases::value(file, sql).toString(); }

    QTemporaryDir dir;
};

QByteArray contents(const QString &file)
{
    QFile f(file);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

TEST_F(DemoDataTest, NeverOverwritesAFile)
{
    {
        QFile f(rcms());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("precious");
    }
    EXPECT_THROW(DemoData::create(hr(), rcms()), data::LumoError);
    EXPECT_EQ(contents(rcms()), QByteArray("precious"));
    EXPECT_FALSE(QFile::exists(hr())) << "nothing is made when a file is refused";

    // Skipping creates only what is missing and leaves the rest alone.
    const DemoData::Summary s = DemoData::create(hr(), rcms(), {}, DemoData::ExistingFiles::Skip);
    EXPECT_TRUE(s.hrCreated);
    EXPECT_FALSE(s.rcmsCreated);
    EXPECT_EQ(contents(rcms()), QByteArray("precious"));
    EXPECT_EQ(count(hr(), QStringLiteral("SELECT count(*) FROM p_User")), s.hrUsers);
}

TEST_F(DemoDataTest, DefaultCountyHasTheDescribedShape)
{
    const DemoData::Summary s = DemoData::create(hr(), rcms());
    EXPECT_EQ(s.areas, 222);
    EXPECT_EQ(s.units, 102);
    EXPECT_EQ(s.hrUsers, 402);
    EXPECT_EQ(count(hr(), QStringLiteral("SELECT count(*) FROM P_XZQH")), 222);

    // Codes nest by prefix; villages have 11 digits and no RCMS code; counties
    // and townships have unique RCMS codes of 6 and 8 digits.
    EXPECT_EQ(count(hr(), QStringLiteral("SELECT count(*) FROM P_XZQH WHERE length(AreaCode) > 4 AND substr(AreaCode, 1, length(ParentAreaCode)) <> ParentAreaCode")), 0);
    EXPECT_EQ(count(hr(), QStringLiteral("SELECT count(*) FROM P_XZQH WHERE length(AreaCode) = 11 AND RCMSAreaCode IS NULL")), 200);
    EXPECT_EQ(count(hr(), QStringLiteral("SELECT count(*) FROM P_XZQH WHERE length(AreaCode) = 6 AND length(RCMSAreaCode) = 6 AND ParentAreaCode = substr(AreaCode, 1, 4)")), 1);
    EXPECT_EQ(count(hr(), QStringLiteral("SELECT count(DISTINCT RCMSAreaCode) FROM P_XZQH WHERE length(AreaCode) = 9 AND length(RCMSAreaCode) = 8")), 20);

    // Units: RCMS coding in AreaCode, health-record coding in StaAreaCode.
    EXPECT_EQ(count(hr(), QStringLiteral("SELECT count(*) FROM P_YLFWDW u JOIN P_XZQH a ON a.AreaCode = u.StaAreaCode AND a.RCMSAreaCode = u.AreaCode")), 102);
    // User codes: the unit's area padded to 11 characters and two digits.
    EXPECT_EQ(count(hr(), QStringLiteral("SELECT count(*) FROM p_User p JOIN P_YLFWDW u ON u.OrgCode = p.OrgCode WHERE length(p.UserCode) = 13 AND substr(p.UserCode, 1, 11) = substr(u.StaAreaCode || '00000000000', 1, 11)")), 400);
    EXPECT_EQ(count(hr(), QStringLiteral("SELECT count(*) FROM p_User WHERE UserName GLOB '*[A-Za-z]*' OR Spell = ''")), 0);
    // The trail: each user's 新增, by who entered the user, when.
    EXPECT_EQ(s.trailRows, 402);
    EXPECT_EQ(count(hr(), QStringLiteral("SELECT count(*) FROM TSys_UserAudit a JOIN p_User p ON p.UserCode = a.UserCode AND "
                                         "p.InpPerCode = a.OperatorCode AND p.InpDate = a.AuditTime WHERE a.Kind = '新增'")), 402);
}

TEST_F(DemoDataTest, LoginsRightsAndParameters)
{
    const DemoData::Summary s = DemoData::create(hr(), rcms());
    EXPECT_EQ(text(hr(), QStringLiteral("SELECT group_concat(ModFunID) FROM (SELECT ModFunID FROM TSys_UserRight WHERE UserCode = 'admin' AND ModFunTyp = 3 ORDER BY 1)")),
              QStringLiteral("254,255,256,257"));
    EXPECT_EQ(text(hr(), QStringLiteral("SELECT group_concat(ModFunID) FROM (SELECT ModFunID FROM TSys_UserRight WHERE UserCode = 'clerk' AND ModFunTyp = 3 ORDER BY 1)")),
              QStringLiteral("254,255"));
    EXPECT_EQ(text(hr(), QStringLiteral("SELECT UserName FROM p_User WHERE UserCode = 'admin'")), QStringLiteral("管理员"));
    EXPECT_EQ(text(rcms(), QStringLiteral("SELECT ParamValue FROM TSys_Param WHERE ParamName = 'yptyml'")), QStringLiteral("1"));
    EXPECT_EQ(text(rcms(), QStringLiteral("SELECT ParamValue FROM TSys_Param WHERE ParamName = 'SearchTime'")), QStringLiteral("2000"));
    EXPECT_GT(count(rcms(), QStringLiteral("SELECT count(*) FROM TDict_CodDatDet WHERE IsStop = '2'")), 0);

    // From the admin's unit the module finds the county and all 221 areas of it.
    SqliteSession session(hr(), rcms());
    const QString area = session.GetHrValue(ModuleSql::hrAreaOfRcms(s.adminRcmsAreaCode)).toString();
    EXPECT_EQ(area.size(), 6);
    EXPECT_EQ(session.OpenHrData(ModuleSql::areaTree(area)).rows.size(), 221);
    EXPECT_GT(session.GetHrValue(ModuleSql::guard(DemoData::ClerkCode)).toLongLong(), 0);
}

TEST_F(DemoDataTest, RcmsUsersPartlyDifferAndSomeUsersAreReferenced)
{
    const DemoData::Summary s = DemoData::create(hr(), rcms());
    const QString attach = QStringLiteral("ATTACH '%1' AS r; ").arg(rcms());
    auto joined = [&](const QString &sql) { return count(hr(), attach + sql); };
    const QString same = QStringLiteral("h.UserName IS r.UserName AND h.Spell IS r.Spell AND h.FiveStrokes IS r.FiveStrokes AND h.OrgCode IS r.OrgCode AND h.Grade IS r.Grade AND h.PassWord IS r.PassWord AND h.ContactType IS r.ContactType");
    const qint64 identical = joined(QStringLiteral("SELECT count(*) FROM main.p_User h JOIN r.p_User r USING (UserCode) WHERE ") + same);
    const qint64 changed = joined(QStringLiteral("SELECT count(*) FROM main.p_User h JOIN r.p_User r USING (UserCode) WHERE NOT (") + same + QStringLiteral(")"));
    const qint64 onlyHr = joined(QStringLiteral("SELECT count(*) FROM main.p_User WHERE UserCode NOT IN (SELECT UserCode FROM r.p_User)"));
    const qint64 onlyRcms = joined(QStringLiteral("SELECT count(*) FROM r.p_User WHERE UserCode NOT IN (SELECT UserCode FROM main.p_User)"));
    EXPECT_GT(identical, 200);
    EXPECT_GT(changed, 20);
    EXPECT_GT(onlyHr, 20);
    EXPECT_GT(onlyRcms, 20);
    EXPECT_EQ(identical + changed + onlyRcms, s.rcmsUsers);
    EXPECT_EQ(count(rcms(), QStringLiteral("SELECT count(*) FROM p_User WHERE ContactType LIKE '%''%'")), 1);

    // Business rows: some users are referenced, by InpPerCode or a creator column.
    EXPECT_GT(s.businessRows, 10);
    SqliteSession session(hr(), rcms());
    int referenced = 0;
    auto users = session.OpenHrQuery(QStringLiteral("Select UserCode From p_User"));
    for (; !users->Eof(); users->Next())
        referenced += session.GetHrValue(ModuleSql::guard(users->FieldByName(QStringLiteral("UserCode"))->AsString())).toLongLong() > 0;
    EXPECT_GT(referenced, 5);
    EXPECT_LT(referenced, 100);
}

TEST_F(DemoDataTest, SameSeedSameData)
{
    QTemporaryDir other;
    DemoData::Options options;
    options.areas = 700;
    options.users = 900;
    DemoData::create(hr(), rcms(), options);
    DemoData::create(other.filePath(QStringLiteral("hr.db")), other.filePath(QStringLiteral("rcms.db")), options);
    const QString dump = QStringLiteral("SELECT group_concat(UserCode || UserName || Spell || ifnull(ContactType, '') || PassWord, ',') FROM p_User");
    EXPECT_EQ(text(hr(), dump), text(other.filePath(QStringLiteral("hr.db")), dump));
    EXPECT_EQ(text(rcms(), dump), text(other.filePath(QStringLiteral("rcms.db")), dump));

    QTemporaryDir third;
    options.seed = 7;
    DemoData::create(third.filePath(QStringLiteral("hr.db")), third.filePath(QStringLiteral("rcms.db")), options);
    EXPECT_NE(text(hr(), dump), text(third.filePath(QStringLiteral("hr.db")), dump));
}

TEST_F(DemoDataTest, SizesOnDemandAndCodersUsed)
{
    DemoData::Options options;
    options.areas = 1000;
    options.users = 1500;
    options.trailRows = 5000;
    options.pinyin = [](const QString &name) { return QStringLiteral("PY") + QString::number(name.size()); };
    const DemoData::Summary s = DemoData::create(hr(), rcms(), options);
    EXPECT_EQ(s.areas, 1000);
    EXPECT_EQ(count(hr(), QStringLiteral("SELECT count(*) FROM p_User")), 1502);
    EXPECT_EQ(count(hr(), QStringLiteral("SELECT count(*) FROM p_User WHERE Spell NOT LIKE 'PY%'")), 0);
    EXPECT_EQ(count(hr(), QStringLiteral("SELECT count(*) FROM P_XZQH WHERE length(AreaCode) = 6")), 5);
    // A trail of the size asked for, with every kind its filter may pick.
    EXPECT_EQ(s.trailRows, 5000);
    EXPECT_EQ(count(hr(), QStringLiteral("SELECT count(*) FROM TSys_UserAudit")), 5000);
    EXPECT_EQ(count(hr(), QStringLiteral("SELECT count(DISTINCT Kind) FROM TSys_UserAudit")), 5);
}

TEST_F(DemoDataTest, TooManyUsersForTheAreasLeavesNoFiles)
{
    DemoData::Options options;
    options.areas = 30;  // a city, a county and three townships: 4 areas with units
    options.users = 1000;
    EXPECT_THROW(DemoData::create(hr(), rcms(), options), data::LumoError);
    EXPECT_FALSE(QFile::exists(hr()));
    EXPECT_FALSE(QFile::exists(rcms()));
}

TEST(DemoDataCoders, StandInsAreStableAndKeepAscii)
{
    EXPECT_EQ(DemoData::standInPinyin(QStringLiteral("张三")).size(), 2);
    EXPECT_EQ(DemoData::standInPinyin(QStringLiteral("张三")), DemoData::standInPinyin(QStringLiteral("张三")));
    EXPECT_EQ(DemoData::standInWubi(QStringLiteral("ab 1")), QStringLiteral("AB1"));
    EXPECT_FALSE(DemoData::standInPinyin(QStringLiteral("欧阳修")).contains(QRegularExpression(QStringLiteral("[IUV]"))));
}

// The copy to a server is one transaction: a row the server refuses, in the
// first statement of a table or in a later one while earlier ones are on
// their way, leaves the database as empty as it was; a sound file arrives
// whole. A file made only to be copied has no index besides the keys.
TEST_F(DemoDataTest, AServerCopyArrivesWholeOrNotAtAll)
{
    if (!PostgresDatabases::available())
        GTEST_SKIP() << "no PostgreSQL test server (scripts/test.sh starts one)";
    DemoData::Options options;
    options.areas = 1000;
    options.users = 6000;  // two statements' worth of users and of trail rows
    options.hrCopiedOnly = true;
    DemoData::create(hr(), rcms(), options);
    EXPECT_EQ(count(hr(), QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'index' AND sql IS NOT NULL")), 0);
    EXPECT_GT(count(rcms(), QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'index' AND sql IS NOT NULL")), 0);

    const QString tooLong = QStringLiteral("'") + QString(101, QLatin1Char('X')) + QStringLiteral("'");
    const struct
    {
        const char *name;
        QString breaking;  // run on a copy of the health-record file; empty: none
        const char *refusedBy;  // the check the failure names
    } cases[] = {
        {"sound", {}, ""},
        {"the first row of the first table",
         QStringLiteral("UPDATE P_XZQH SET AreaName = %1 WHERE rowid = (SELECT min(rowid) FROM P_XZQH)"),
         "p_xzqh_areaname_check"},
        {"a user of the second statement",
         QStringLiteral("UPDATE p_User SET UserName = %1 WHERE UserCode = (SELECT max(UserCode) FROM p_User)"),
         "p_user_username_check"},
        {"the last row of the trail",
         QStringLiteral("UPDATE TSys_UserAudit SET UserName = %1 WHERE rowid = (SELECT max(rowid) FROM TSys_UserAudit)"),
         "tsys_useraudit_username_check"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString file = dir.filePath(QStringLiteral("copy.db"));
        QFile::remove(file);
        ASSERT_TRUE(QFile::copy(hr(), file));
        if (!c.breaking.isEmpty())
            TempDatabases::exec(file, c.breaking.arg(tooLong));
        PostgresDatabases databases(PostgresDatabases::Schema::None);
        OdbcConnection server(databases.hr(), QStringLiteral("hr"), 30);
        if (c.breaking.isEmpty()) {
            ServerDemoData::copy(file, server, SchemaDatabase::HealthRecord);
            EXPECT_EQ(ServerDemoData::state(server, SchemaDatabase::HealthRecord), ServerDemoData::State::Filled);
            for (const char *table : {"p_User", "TSys_UserAudit", "P_XZQH"}) {
                const QString sql = QStringLiteral("SELECT count(*) FROM %1").arg(QLatin1String(table));
                EXPECT_EQ(databases.value(SchemaDatabase::HealthRecord, sql).toLongLong(), count(file, sql)) << table;
            }
        } else {
            try {
                ServerDemoData::copy(file, server, SchemaDatabase::HealthRecord);
                ADD_FAILURE() << "the copy succeeded";
            } catch (const data::LumoError &e) {
                EXPECT_TRUE(e.message().contains(QLatin1String(c.refusedBy))) << qPrintable(e.message().left(600));
            }
            EXPECT_EQ(ServerDemoData::state(server, SchemaDatabase::HealthRecord), ServerDemoData::State::Empty);
        }
    }
}

} // namespace
