// The host session on real database files: every statement form the module
// sends, run against the real schema. The shared tests run over every session
// implementation (SessionBackends); the SQLite-only ones follow at the end.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <ctime>
#include <memory>
#include <utility>
#include <sqlite3.h>

#include "ClientDataSet.h"
#include "ErrorMessages.h"
#include "LocalTimeZone.h"
#include "LumoError.h"
#include "ModuleSqlTexts.h"
#include "SessionBackends.h"
#include "SqliteSession.h"
#include "TempDatabases.h"
#include "TsqlTranslator.h"
#include "UGlobalFunUnt.h"

using namespace ModuleSql;

namespace {

std::string text(const QVariant &v)
{
    return v.toString().toStdString();
}

class SessionTest : public ::testing::TestWithParam<SessionBackend>
{
protected:
    void SetUp() override
    {
        if (!GetParam().available())
            GTEST_SKIP() << "no PostgreSQL test server (scripts/test.sh starts one)";
        // A county with two townships and a village, a neighbouring county,
        // three units and four users.
        files.hr(QStringLiteral(
            "INSERT INTO P_XZQH VALUES ('341621', '青山县', '3416', '410001'), "
            "('341621101', '城关镇', '341621', '41000101'), ('341621102', '石桥乡', '341621', '41000102'), "
            "('34162110101', '东村', '341621101', NULL), ('341622', '邻县', '3416', '410002');"
            "INSERT INTO P_YLFWDW VALUES ('O1', '城关镇卫生院', '41000101', '341621101', 'CGZWSY', 'FUFB'), "
            "('O2', '东村卫生室', '41000101', '341621101', 'DCWSS', 'AIBP'), "
            "('Z1', '邻县卫生局', '410002', '341622', 'LXWSJ', 'WEBN');"
            "INSERT INTO p_User VALUES ('34162110100001', '张三', 'ZS', 'XD', 'O1', '4', '138', 'p1', 'admin', '2024-01-05 09:30:15'), "
            "('34162110100002', '李四', 'LS', 'SL', 'O2', '4', NULL, 'p2', 'admin', NULL), "
            "('34162110100003', '王五', 'WW', 'GG', 'O1', '4', NULL, 'p3', NULL, NULL), "
            "('34162200000001', '赵六', 'ZL', 'FU', 'Z1', '3', NULL, 'p4', NULL, NULL);"
            "INSERT INTO TDict_CodDatDet VALUES (2, '3', '县级', '2'), (2, '4', '乡级', '2'), (2, '6', '组级', '1');"));
        files.rcms(QStringLiteral("INSERT INTO TSys_Param VALUES ('yptyml', '乡镇编码级次', '1');"
                                  "INSERT INTO p_User VALUES ('u1', '甲', 'J', 'L', 'O1', '4', NULL, 'x'), "
                                  "('u2', '乙', 'Y', 'N', 'O2', '4', NULL, 'y');"));
        session = GetParam().open(files);
    }

    qint64 hrCount(const QString &where) const
    {
        return files.hrValue(QStringLiteral("SELECT count(*) FROM ") + where).toLongLong();
    }

    TempDatabases files{GetParam().storage};
    std::unique_ptr<HostSession> session;
};

TEST_P(SessionTest, AreaTreeHoldsStartAreaAndEverythingBelow)
{
    auto tree = session->OpenHrQuery(areaTree(QStringLiteral("341621")));
    ASSERT_EQ(tree->RecordCount(), 4);  // not the neighbouring county
    ASSERT_TRUE(tree->Locate(QStringLiteral("StaAreaCode"), QStringLiteral("341621101")));
    EXPECT_EQ(tree->FieldByName(QStringLiteral("AreaCode"))->AsString(), QStringLiteral("41000101"));
    EXPECT_EQ(tree->FieldByName(QStringLiteral("AreaName"))->AsString(), QStringLiteral("[341621101] 城关镇"));
    EXPECT_EQ(tree->FieldByName(QStringLiteral("PAreaCode"))->AsString(), QStringLiteral("341621"));
    // A village without RCMS code keeps its own code.
    ASSERT_TRUE(tree->Locate(QStringLiteral("StaAreaCode"), QStringLiteral("34162110101")));
    EXPECT_EQ(tree->FieldByName(QStringLiteral("AreaCode"))->AsString(), QStringLiteral("34162110101"));
}

TEST_P(SessionTest, AreaMappingGivesCodeOrEmptyText)
{
    EXPECT_EQ(text(session->GetHrValue(hrAreaOfRcms(QStringLiteral("41000102")))), "341621102");
    const QVariant none = session->GetHrValue(hrAreaOfRcms(QStringLiteral("nowhere")));
    EXPECT_EQ(none.typeId(), QMetaType::QString);
    EXPECT_TRUE(none.toString().isEmpty());
    EXPECT_TRUE(session->GetHrValue(QStringLiteral("Select RCMSAreaCode From P_XZQH Where AreaCode = '34162110101'")).isNull());
}

TEST_P(SessionTest, UserListJoinRenamesTheUnitsDuplicateColumns)
{
    auto users = session->OpenHrQuery(userList(QStringLiteral("341621101")));
    EXPECT_EQ(users->RecordCount(), 3);
    ASSERT_NE(users->FindField(QStringLiteral("OrgCode_1")), nullptr);
    ASSERT_TRUE(users->Locate(QStringLiteral("UserCode"), QStringLiteral("34162110100002")));
    // The first Spell is the user's, the second the unit's.
    EXPECT_EQ(users->FieldByName(QStringLiteral("Spell"))->AsString(), QStringLiteral("LS"));
    EXPECT_EQ(users->FieldByName(QStringLiteral("Spell_1"))->AsString(), QStringLiteral("DCWSS"));
    EXPECT_EQ(users->FieldByName(QStringLiteral("OrgCode"))->AsString(), QStringLiteral("O2"));
    EXPECT_EQ(session->OpenHrData(organisations()).rows.size(), 3);
}

TEST_P(SessionTest, GuardCountsEachReferencingTableOnce)
{
    const QString user = QStringLiteral("34162110100001");
    EXPECT_EQ(session->GetHrValue(guard(user)).toLongLong(), 0);
    // Every table on its own refuses the deletion; two rows in one table count once.
    const QStringList &tables = guardTables();
    for (int i = 0; i < tables.size(); ++i) {
        files.hr(QStringLiteral("INSERT INTO %1 (RecordID, InpPerCode) VALUES ('r%2a', '%3'), ('r%2b', '%3')")
                     .arg(tables.at(i)).arg(i).arg(user));
        const QVariant count = session->GetHrValue(guard(user));
        EXPECT_TRUE(count.typeId() == QMetaType::LongLong || count.typeId() == QMetaType::Int) << count.typeName();
        EXPECT_EQ(count.toLongLong(), i + 1) << tables.at(i).toStdString();
    }
}

TEST_P(SessionTest, GuardSearchesCreatorColumnsByPrefixAndQuotes)
{
    files.hr(QStringLiteral("INSERT INTO TData_PerBaseInfo (RecordID, CreaRchPerCode, InpPerCode) VALUES ('1', 'c1', 'x');"
                            "INSERT INTO TData_PVRVVaccMat (RecordID, CreaCardPerCode, InpPerCode) VALUES ('1', 'c1', 'x');"
                            "INSERT INTO TData_AdmiRec (RecordID, InpPerCode) VALUES ('1', '012');"
                            "INSERT INTO TData_UserRight (RecordID, InpPerCode) VALUES ('1', 'O''Neil');"));
    EXPECT_EQ(session->GetHrValue(guard(QStringLiteral("c1"))).toLongLong(), 2);
    EXPECT_EQ(session->GetHrValue(guard(QStringLiteral("01"))).toLongLong(), 1);  // 012 begins with 01
    EXPECT_EQ(session->GetHrValue(guard(QStringLiteral("012"))).toLongLong(), 1);
    EXPECT_EQ(session->GetHrValue(guard(QStringLiteral("O'Neil"))).toLongLong(), 1);
    EXPECT_EQ(session->GetHrValue(guard(QStringLiteral("0123"))).toLongLong(), 0);
}

TEST_P(SessionTest, DeleteWithoutFromRemovesOnlyThatUser)
{
    EXPECT_TRUE(session->ExecHrSql(deleteUser(QStringLiteral("34162110100003"))));
    EXPECT_EQ(hrCount(QStringLiteral("p_User")), 3);
    EXPECT_EQ(hrCount(QStringLiteral("p_User WHERE UserCode = '34162110100003'")), 0);
}

TEST_P(SessionTest, SynchronisationStatementsWriteQuotedValues)
{
    SyncUser u{QStringLiteral("u9"), QStringLiteral("O'Neil"), QStringLiteral("ON"), QStringLiteral("KE"),
               QStringLiteral("4"), QStringLiteral("O1"), QStringLiteral("办公室'分机"), QStringLiteral("pw")};
    session->BeginHrTrans();
    EXPECT_TRUE(session->ExecHrSql(syncInsert(u)));
    session->CommitHrTrans();
    EXPECT_EQ(text(files.hrValue(QStringLiteral("SELECT UserName || '|' || ContactType FROM p_User WHERE UserCode = 'u9'"))),
              "O'Neil|办公室'分机");

    u.userName = QStringLiteral("它's");
    u.password = QStringLiteral("new");
    u.orgCode = QStringLiteral("O2");
    EXPECT_TRUE(session->ExecHrSql(syncUpdate(u)));
    EXPECT_EQ(text(files.hrValue(QStringLiteral(
                  "SELECT UserName || '|' || PassWord || '|' || OrgCode FROM p_User WHERE UserCode = 'u9'"))),
              "它's|new|O2");
}

TEST_P(SessionTest, DialogInsertAndUpdateWithHintAndLineBreaks)
{
    const QStringList columns = {QStringLiteral("UserCode"), QStringLiteral("UserName"), QStringLiteral("Spell"),
                                 QStringLiteral("FiveStrokes"), QStringLiteral("OrgCode"), QStringLiteral("Grade"),
                                 QStringLiteral("ContactType"), QStringLiteral("PassWord"), QStringLiteral("InpPerCode"),
                                 QStringLiteral("InpDate")};
    QStringList values = {QStringLiteral("'34162110100009'"), QStringLiteral("'周‘七'"), QStringLiteral("'ZQ'"),
                          QStringLiteral("'MA'"), QStringLiteral("'O1'"), QStringLiteral("Null"),
                          builderText(QStringLiteral("电话\r\n\r\n手机")), QStringLiteral("'5f1d'"),
                          QStringLiteral("Null"), QStringLiteral("Null")};
    EXPECT_EQ(session->GetHrValue(duplicateCount(QStringLiteral("34162110100009"))).toLongLong(), 0);
    EXPECT_TRUE(session->ExecHrSql(builderInsert(QStringLiteral(" P_User "), columns, values)));
    EXPECT_EQ(session->GetHrValue(duplicateCount(QStringLiteral("34162110100009"))).toLongLong(), 1);
    EXPECT_EQ(text(files.hrValue(QStringLiteral("SELECT ContactType FROM p_User WHERE UserCode = '34162110100009'"))),
              "电话\r\n\r\n手机");

    // The update assigns every column, the code included, found by the code shown.
    values[0] = QStringLiteral("'34162110100010'");
    values[1] = QStringLiteral("'周八'");
    EXPECT_TRUE(session->ExecHrSql(userUpdate(QStringLiteral(" P_User "), columns, values, QStringLiteral("34162110100009"))));
    EXPECT_EQ(text(files.hrValue(QStringLiteral("SELECT UserName FROM p_User WHERE UserCode = '34162110100010'"))), "周八");
    EXPECT_EQ(hrCount(QStringLiteral("p_User WHERE UserCode = '34162110100009'")), 0);
}

// A text's line breaks reach SQLite as one literal, however many there are:
// as a chain each would deepen the expression past SQLite's limit.
TEST_P(SessionTest, TextsWithTenThousandLineBreaksSaveAndSynchronise)
{
    // A server keeps ContactType to its declared 100 characters, as SQL Server does.
    if (GetParam().storage == TempDatabases::Storage::Postgres)
        GTEST_SKIP() << "the column's length holds on a server";
    const QString lines = QStringLiteral("第一行") + QStringLiteral("\r\n行").repeated(10000);
    const QStringList columns = {QStringLiteral("UserCode"), QStringLiteral("UserName"), QStringLiteral("ContactType")};
    QStringList values = {QStringLiteral("'34162110100009'"), QStringLiteral("'周七'"), builderText(lines)};
    EXPECT_TRUE(session->ExecHrSql(builderInsert(QStringLiteral(" P_User "), columns, values)));
    values[2] = builderText(lines + QStringLiteral("\r\n末行"));
    EXPECT_TRUE(session->ExecHrSql(userUpdate(QStringLiteral(" P_User "), columns, values, QStringLiteral("34162110100009"))));
    EXPECT_EQ(files.hrValue(QStringLiteral("SELECT ContactType FROM p_User WHERE UserCode = '34162110100009'")).toString(),
              lines + QStringLiteral("\r\n末行"));

    SyncUser u{QStringLiteral("u9"), QStringLiteral("甲"), QStringLiteral("J"), QStringLiteral("L"),
               QStringLiteral("4"), QStringLiteral("O1"), lines, QStringLiteral("pw")};
    EXPECT_TRUE(session->ExecHrSql(syncInsert(u)));
    u.contactType += QStringLiteral("\r\n");
    EXPECT_TRUE(session->ExecHrSql(syncUpdate(u)));
    EXPECT_EQ(files.hrValue(QStringLiteral("SELECT ContactType FROM p_User WHERE UserCode = 'u9'")).toString(),
              u.contactType);
}

// A picture in a blob column goes through load, update and insert byte for
// byte: the builders write it as 0x..., which the session makes a blob.
TEST_P(SessionTest, BytesSurviveLoadAndSaveByteForByte)
{
    QByteArray jpeg("\xFF\xD8\xFF\xE0\x00\x10JFIF", 10);
    // Every byte value, and more than a driver reads in one piece.
    for (int round = 0; round < 300; ++round) {
        for (int b = 255; b >= 0; --b)
            jpeg.append(char(b ^ round));
    }
    // The module creates no tables: the server's one is made in its own words.
    const bool onServer = GetParam().storage == TempDatabases::Storage::Postgres;
    if (onServer)
        files.hr(QStringLiteral("Create Table TPhoto (PKey varchar(20) Primary Key, Photo bytea)"));
    else
        ASSERT_TRUE(session->ExecHrSql(QStringLiteral("Create Table TPhoto (PKey varchar(20) Primary Key, Photo blob)")));
    data::ClientDataSet photos;
    photos.CreateDataSet({{QStringLiteral("PKey"), data::FieldType::String, 20},
                          {QStringLiteral("Photo"), data::FieldType::Bytes, 0}});
    photos.Append();
    photos.FieldByName(QStringLiteral("PKey"))->SetAsString(QStringLiteral("P1"));
    photos.FieldByName(QStringLiteral("Photo"))->SetValue(jpeg);
    photos.Post();
    ASSERT_TRUE(session->ExecHrSql(BuildInsertSql(&photos, QStringLiteral("TPhoto"), QStringLiteral("PKey"), QString(), true,
                                                  QStringLiteral("'NeedReplacePkeyValue'"))));

    photos.SetData(session->OpenHrData(QStringLiteral("Select * From TPhoto")));
    EXPECT_EQ(photos.FieldByName(QStringLiteral("Photo"))->DataType(), data::FieldType::Bytes);
    EXPECT_EQ(photos.FieldByName(QStringLiteral("Photo"))->Value().toByteArray(), jpeg);
    ASSERT_TRUE(session->ExecHrSql(BuildUpdateSql(&photos, QStringLiteral("TPhoto"), QStringLiteral("PKey"), QString(), true)));
    photos.Edit();
    photos.FieldByName(QStringLiteral("PKey"))->SetAsString(QStringLiteral("P2"));
    photos.Post();
    ASSERT_TRUE(session->ExecHrSql(BuildInsertSql(&photos, QStringLiteral("TPhoto"), QStringLiteral("PKey"), QString(), true,
                                                  QStringLiteral("'NeedReplacePkeyValue'"))));
    for (const char *key : {"P1", "P2"}) {
        const QString stored = onServer ? QStringLiteral("SELECT 'blob:' || upper(encode(Photo, 'hex')) FROM TPhoto WHERE PKey = '%1'")
                                        : QStringLiteral("SELECT typeof(Photo) || ':' || hex(Photo) FROM TPhoto WHERE PKey = '%1'");
        EXPECT_EQ(files.hrValue(stored.arg(QLatin1String(key))).toString(),
                  "blob:" + QString::fromLatin1(jpeg.toHex().toUpper()))
            << key;
    }
}

TEST_P(SessionTest, DialogMasterStatementWithPlaceholder)
{
    const QString master = dialogMaster();
    const data::DataPacket one =
        session->OpenHrData(session->ReplacePlaceholder(master, QStringLiteral("34162110100001"), QStringLiteral(" %s ")));
    ASSERT_EQ(one.rows.size(), 1);
    ASSERT_EQ(one.fields.size(), 10);
    EXPECT_EQ(one.fields.at(0).name, QStringLiteral("UserCode"));
    const data::DataPacket none = session->OpenHrData(session->ReplacePlaceholder(master, QString(), QStringLiteral(" %s ")));
    EXPECT_TRUE(none.rows.isEmpty());
    EXPECT_EQ(none.fields.size(), 10);  // an empty row can be appended to it
}

TEST_P(SessionTest, NewKeySearchReadsLargestKeyOfTheOrganisation)
{
    const QString stamp = QStringLiteral("20240105093015123");
    auto none = session->OpenHrQuery(newKey(QStringLiteral("TData_AdmiRec"), QStringLiteral("RecordID"), stamp, QStringLiteral("A01")));
    ASSERT_EQ(none->RecordCount(), 1);
    EXPECT_TRUE(none->FieldByName(QStringLiteral("ID"))->IsNull());

    files.hr(QStringLiteral("INSERT INTO TData_AdmiRec (RecordID, OrgCode) VALUES "
                            "('20240105093015123040', 'A01'), ('20240105093015123041', 'A01'), "
                            "('20240105093015123099', 'B02'), ('20240105093015124001', 'A01')"));
    auto found = session->OpenHrQuery(newKey(QStringLiteral("TData_AdmiRec"), QStringLiteral("RecordID"), stamp, QStringLiteral("A01")));
    EXPECT_EQ(found->FieldByName(QStringLiteral("ID"))->AsString(), QStringLiteral("20240105093015123041"));
}

TEST_P(SessionTest, ParametersAndSearchTimeRepair)
{
    EXPECT_EQ(session->OpenRcmsQuery(paramValue(QStringLiteral("yptyml")))->FieldByName(QStringLiteral("ParamValue"))->AsInteger(), 1);
    const QVariant missing = session->GetRcmsValue(searchTime());
    EXPECT_TRUE(missing.toString().isEmpty());
    EXPECT_TRUE(session->ExecRcmsSql(searchTimeRepair()));
    EXPECT_EQ(session->GetRcmsValue(searchTime()).toInt(), 2000);
    EXPECT_EQ(text(files.rcmsValue(QStringLiteral("SELECT ParamDesc FROM TSys_Param WHERE ParamName = 'SearchTime'"))),
              "查询等待时间");
    // The parameter table belongs to the RCMS database only.
    EXPECT_THROW(session->OpenHrData(searchTime()), data::LumoError);
}

TEST_P(SessionTest, DictionaryListsAndPacketTypes)
{
    const data::DataPacket items = session->OpenHrData(dictionaryItems(2));
    EXPECT_EQ(items.rows.size(), 2);  // the stopped item is left out
    const data::DataPacket empty = session->OpenRcmsData(dictionaryItems(99999));
    EXPECT_TRUE(empty.rows.isEmpty());
    EXPECT_EQ(empty.fields.size(), 2);

    const data::DataPacket all = session->OpenHrData(wholeDictionary());
    ASSERT_EQ(all.fields.size(), 4);
    EXPECT_EQ(all.fields.at(0).type, data::FieldType::Integer);
    EXPECT_EQ(all.rows.at(0).at(0).typeId(), QMetaType::LongLong);
    EXPECT_TRUE(data::isTextType(all.fields.at(1).type));
    EXPECT_EQ(all.fields.at(1).size, 20);

    const data::DataPacket users = session->OpenHrData(QStringLiteral("Select UserCode, InpDate, Count(*) As N, 1.5 As F From p_User Where UserCode = '34162110100001' Group By UserCode, InpDate"));
    EXPECT_TRUE(data::isTextType(users.fields.at(0).type));
    EXPECT_EQ(users.fields.at(1).type, data::FieldType::DateTime);
    EXPECT_EQ(users.rows.at(0).at(1).toDateTime(), QDateTime(QDate(2024, 1, 5), QTime(9, 30, 15)));
    EXPECT_TRUE(data::isIntegerType(users.fields.at(2).type));
    EXPECT_TRUE(data::isFloatType(users.fields.at(3).type));  // a decimal on a server
}

TEST_P(SessionTest, RcmsDataSetIsOpenOnItsFirstRow)
{
    auto source = session->OpenRcmsDataSet(QStringLiteral(" Select * From p_User "));
    EXPECT_EQ(source->RecordCount(), 2);
    EXPECT_FALSE(source->Eof());
    int seen = 0;
    for (; !source->Eof(); source->Next())
        ++seen;
    EXPECT_EQ(seen, 2);
}

TEST_P(SessionTest, TransactionsCommitAndRollBackPerDatabase)
{
    session->RollbackHrTrans();  // nothing open: nothing happens
    EXPECT_THROW(session->CommitHrTrans(), data::LumoError);

    session->BeginHrTrans();
    session->BeginRcmsTrans();
    session->ExecHrSql(deleteUser(QStringLiteral("34162110100001")));
    session->ExecRcmsSql(QStringLiteral("Delete p_User Where UserCode = 'u1'"));
    session->RollbackHrTrans();
    session->CommitRcmsTrans();
    EXPECT_EQ(hrCount(QStringLiteral("p_User")), 4);
    EXPECT_EQ(files.rcmsValue(QStringLiteral("SELECT count(*) FROM p_User")).toLongLong(), 1);

    // Nested pairs count; the outermost commit writes.
    session->BeginHrTrans();
    session->BeginHrTrans();
    session->ExecHrSql(deleteUser(QStringLiteral("34162110100001")));
    session->CommitHrTrans();
    EXPECT_EQ(hrCount(QStringLiteral("p_User")), 4) << "written before the outer commit";
    session->CommitHrTrans();
    EXPECT_EQ(hrCount(QStringLiteral("p_User")), 3);
}

TEST_P(SessionTest, FailingStatementRaisesWithMessageAndStatement)
{
    try {
        session->ExecHrSql(QStringLiteral("Delete NoSuchTable Where a = 'x'"));
        FAIL() << "no error raised";
    } catch (const data::LumoError &e) {
        EXPECT_TRUE(e.message().contains(QLatin1String("no such table"), Qt::CaseInsensitive)
                    || e.message().contains(QLatin1String("does not exist"), Qt::CaseInsensitive))
            << e.what();
        EXPECT_TRUE(e.message().contains(QLatin1String("NoSuchTable"))) << e.what();
    }
    EXPECT_THROW(session->OpenHrQuery(QStringLiteral("Select Nonsense From p_User")), data::LumoError);
    EXPECT_THROW(session->GetRcmsValue(QStringLiteral("Selec 1")), data::LumoError);
    // A duplicate key fails as well; inside a transaction the caller rolls back
    // and the statements before it are gone too. A server that takes a
    // transaction's writes in batches may tell it at the commit.
    session->BeginHrTrans();
    EXPECT_THROW(
        {
            session->ExecHrSql(deleteUser(QStringLiteral("34162110100002")) + QStringLiteral(" ")
                               + syncInsert({QStringLiteral("34162110100001"), {}, {}, {}, {}, {}, {}, {}}));
            session->CommitHrTrans();
        },
        data::LumoError);
    session->RollbackHrTrans();
    EXPECT_EQ(hrCount(QStringLiteral("p_User")), 4);
}

TEST_P(SessionTest, ExecRunsEveryStatementOfTheText)
{
    EXPECT_TRUE(session->ExecHrSql(QString()));  // the detail delete of a new record is empty
    EXPECT_TRUE(session->ExecHrSql(deleteUser(QStringLiteral("34162110100001")) + QStringLiteral("  ")
                                   + deleteUser(QStringLiteral("34162110100002")) + QStringLiteral(";")
                                   + deleteUser(QStringLiteral("34162110100003"))));
    EXPECT_EQ(hrCount(QStringLiteral("p_User")), 1);
}

TEST_P(SessionTest, ReplacePlaceholderReplacesEveryOccurrenceAsPlainText)
{
    EXPECT_EQ(session->ReplacePlaceholder(QStringLiteral("a %s b %s"), QStringLiteral("K"), QStringLiteral(" %s ")),
              QStringLiteral("aKb %s"));
    EXPECT_EQ(session->ReplacePlaceholder(QStringLiteral("x(.*)y(.*)"), QStringLiteral("$1"), QStringLiteral("(.*)")),
              QStringLiteral("x$1y$1"));
    EXPECT_EQ(session->ReplacePlaceholder(QStringLiteral("'NeedReplacePkeyValue','NeedReplacePkeyValue'"),
                                          QStringLiteral("NeedReplacePkeyValue1"), QStringLiteral("NeedReplacePkeyValue")),
              QStringLiteral("'NeedReplacePkeyValue1','NeedReplacePkeyValue1'"));
    EXPECT_EQ(session->ReplacePlaceholder(QStringLiteral("abc"), QStringLiteral("x"), QString()), QStringLiteral("abc"));
}

INSTANTIATE_TEST_SUITE_P(Backends, SessionTest, ::testing::ValuesIn(sessionBackends()),
                         [](const ::testing::TestParamInfo<SessionBackend> &info) { return info.param.name; });

// ---- SQLite only ----------------------------------------------------------

TEST(SqliteSessionFiles, MissingEmptyOrForeignFilesGiveClearErrors)
{
    TempDatabases files;
    const QString missing = files.filePath(QStringLiteral("missing.db"));
    EXPECT_NE(messageOf([&] { SqliteSession s(missing, files.rcmsFile()); }).find("不存在"), std::string::npos);
    EXPECT_FALSE(QFile::exists(missing)) << "opening must not create a file";

    const QString foreign = files.filePath(QStringLiteral("notes.txt"));
    {
        QFile f(foreign);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray("this is not a database, just some text that is long enough").repeated(40));
    }
    EXPECT_NE(messageOf([&] { SqliteSession s(files.hrFile(), foreign); }).find("不是有效的SQLite数据库"), std::string::npos);

    const QString empty = files.filePath(QStringLiteral("empty.db"));
    QFile(empty).open(QIODevice::WriteOnly);
    EXPECT_NE(messageOf([&] { SqliteSession s(empty, files.rcmsFile()); }).find("没有任何数据表"), std::string::npos);
}

// Another program's connection to a file, with SQLite text run on it.
struct OtherConnection
{
    sqlite3 *db = nullptr;
    explicit OtherConnection(const QString &file) { sqlite3_open(file.toUtf8().constData(), &db); }
    ~OtherConnection() { sqlite3_close(db); }
    int run(const char *sql) { return sqlite3_exec(db, sql, nullptr, nullptr, nullptr); }
};

TEST(SqliteSessionFiles, AReaderDoesNotHoldUpTheHostsCommit)
{
    TempDatabases files;
    SqliteSession session(files.hrFile(), files.rcmsFile());
    EXPECT_EQ(files.hrValue(QStringLiteral("PRAGMA journal_mode")).toString(), QStringLiteral("wal"));
    OtherConnection reader(files.hrFile());
    ASSERT_EQ(reader.run("BEGIN; SELECT count(*) FROM p_User;"), SQLITE_OK);
    // With the rollback journal this commit waits out the busy timeout and fails.
    session.BeginHrTrans();
    session.ExecHrSql(QStringLiteral("Insert Into p_User (UserCode, UserName) Values ('w1', '写')"));
    EXPECT_NO_THROW(session.CommitHrTrans());
    reader.run("COMMIT");
    EXPECT_EQ(files.hrValue(QStringLiteral("Select UserName From p_User Where UserCode = 'w1'")).toString(),
              QStringLiteral("写"));
}

// The log of a commit too large for SQLite to leave in the write-ahead log is
// copied into the file behind the commit: while the session stays open, with
// a second such commit running into the copy, and at a close right after it.
TEST(SqliteSessionFiles, ALargeCommitReachesTheFileWhileOpenAndAtClose)
{
    TempDatabases files;
    const QString name(2000, QLatin1Char('x'));  // 3,000 users: some 1,500 pages of log
    const auto writeUsers = [&name](SqliteSession &session, char prefix) {
        session.BeginHrTrans();
        for (int i = 0; i < 3000; ++i)
            session.ExecHrSql(QStringLiteral("Insert Into p_User (UserCode, UserName) Values ('%1%2', '%3')")
                                  .arg(QLatin1Char(prefix)).arg(i).arg(name));
        session.CommitHrTrans();
    };
    const qint64 users = files.hrValue(QStringLiteral("Select Count(*) From p_User")).toLongLong();
    const qint64 sizeBefore = QFileInfo(files.hrFile()).size();
    {
        SqliteSession session(files.hrFile(), files.rcmsFile());
        writeUsers(session, 'a');
        QElapsedTimer waited;
        waited.start();
        while (QFileInfo(files.hrFile()).size() < sizeBefore + 3000 * 2000 && waited.elapsed() < 10000)
            QThread::msleep(10);
        EXPECT_GE(QFileInfo(files.hrFile()).size(), sizeBefore + 3000 * 2000) << "the log was not copied into the file";
        writeUsers(session, 'b');
    }
    EXPECT_FALSE(QFile::exists(files.hrFile() + QStringLiteral("-wal")));
    EXPECT_EQ(files.hrValue(QStringLiteral("Select Count(*) From p_User")).toLongLong(), users + 6000);
}

TEST(SqliteSessionFiles, AFileLockedAtStartIsReportedAsLocked)
{
    TempDatabases files;
    OtherConnection writer(files.hrFile());
    ASSERT_EQ(writer.run("BEGIN EXCLUSIVE"), SQLITE_OK);
    const std::string message = messageOf([&] { SqliteSession s(files.hrFile(), files.rcmsFile()); });
    EXPECT_NE(message.find("锁定"), std::string::npos) << message;
    EXPECT_EQ(message.find("不是有效的"), std::string::npos) << message;
    writer.run("ROLLBACK");
}

TEST(SqliteSessionFiles, CreatingRefusesExistingFilesBeforeMakingAny)
{
    TempDatabases files;
    const QString fresh = files.filePath(QStringLiteral("fresh.db"));
    const QByteArray before = [&] { QFile f(files.rcmsFile()); f.open(QIODevice::ReadOnly); return f.readAll(); }();
    EXPECT_THROW(SqliteSession::createDatabases(fresh, files.rcmsFile()), data::LumoError);
    EXPECT_FALSE(QFile::exists(fresh));
    QFile after(files.rcmsFile());
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_EQ(after.readAll(), before);
}

// What the SQLite session reads from a table made by sqliteText.
data::DataPacket packetOf(const QString &sqliteText, const QString &query)
{
    TempDatabases files;
    files.hr(sqliteText);
    SqliteSession session(files.hrFile(), files.rcmsFile());
    return session.OpenHrData(query);
}

TEST(SqliteSessionFiles, ValuesThatDoNotFitTheDeclaredTypeWidenTheColumn)
{
    const data::DataPacket p =
        packetOf(QStringLiteral("CREATE TABLE Mixed (i int, r int, d datetime, b bit);"
                                "INSERT INTO Mixed VALUES (1, 1, '2024-01-05', 1), ('abc', 2.5, 'someday', 0)"),
                 QStringLiteral("Select * From Mixed"));
    EXPECT_TRUE(data::isTextType(p.fields.at(0).type));
    EXPECT_EQ(p.rows.at(1).at(0).toString(), QStringLiteral("abc"));
    EXPECT_EQ(p.fields.at(1).type, data::FieldType::Float);
    EXPECT_DOUBLE_EQ(p.rows.at(1).at(1).toDouble(), 2.5);
    EXPECT_TRUE(data::isTextType(p.fields.at(2).type));
    EXPECT_EQ(p.fields.at(3).type, data::FieldType::Boolean);
    EXPECT_EQ(p.rows.at(0).at(3), QVariant(true));
}

// Date-times written the usual way are read without the general parser; the
// packet and the dataset must give what that parser gives, for every form.
TEST(SqliteSessionFiles, DateTimeTextsReadAsTheGeneralParserReadsThem)
{
    const QDateTime local(QDate(2024, 1, 5), QTime(9, 30, 15));
    const struct
    {
        const char *stored;
        QDateTime expected;
    } cases[] = {
        {"2024-01-05 09:30:15", local},
        {"2024/01/05T09:30:15", local},
        {" 2024-01-05 09:30:15 ", local},
        {"2024-01-05 09:30", QDateTime(QDate(2024, 1, 5), QTime(9, 30))},
        {"2024-01-05 09:30:15.123", QDateTime(QDate(2024, 1, 5), QTime(9, 30, 15, 123))},
        {"2024-01-05 09:30:15.5", QDateTime(QDate(2024, 1, 5), QTime(9, 30, 15, 500))},
        {"2024-01-05", QDateTime(QDate(2024, 1, 5), QTime(0, 0))},
        {"2024-01-05T09:30:15Z", QDateTime(QDate(2024, 1, 5), QTime(9, 30, 15), Qt::UTC)},
    };
    QString sql = QStringLiteral("CREATE TABLE Stamps (n int, d datetime);");
    for (int i = 0; i < int(std::size(cases)); ++i)
        sql += QStringLiteral("INSERT INTO Stamps VALUES (%1, '%2');").arg(i).arg(QLatin1String(cases[i].stored));
    TempDatabases files;
    files.hr(sql);
    SqliteSession session(files.hrFile(), files.rcmsFile());
    const data::DataPacket packet = session.OpenHrData(QStringLiteral("Select d From Stamps Order By n"));
    const std::unique_ptr<data::ClientDataSet> dataSet =
        session.OpenHrQuery(QStringLiteral("Select d From Stamps Order By n"));
    ASSERT_EQ(packet.fields.at(0).type, data::FieldType::DateTime);
    ASSERT_EQ(dataSet->RecordCount(), int(std::size(cases)));
    for (int i = 0; i < int(std::size(cases)); ++i) {
        const QDateTime fromPacket = packet.rows.at(i).at(0).toDateTime();
        dataSet->SetRecNo(i + 1);
        const QDateTime fromDataSet = dataSet->FieldAt(0)->AsDateTime();
        for (const QDateTime &read : {fromPacket, fromDataSet}) {
            EXPECT_EQ(read, cases[i].expected) << cases[i].stored;
            EXPECT_EQ(read.timeSpec(), cases[i].expected.timeSpec()) << cases[i].stored;
        }
    }
}

// A dataset the session reads straight into its columns holds exactly what a
// dataset loaded from the same query's packet holds: every declared type,
// nulls, texts that repeat, values that widen their column, bytes.
TEST(SqliteSessionFiles, DataSetReadDirectlyEqualsOneLoadedFromThePacket)
{
    TempDatabases files;
    files.hr(QStringLiteral(
        "CREATE TABLE Kinds (i int, l bigint, d decimal(10,2), m money, f float, b bit, dt date, ts datetime, "
        "t time, v varbinary(8), s varchar(10), n nvarchar(10), w int, x, p decimal(8,2));"
        "INSERT INTO Kinds VALUES (1, 9007199254740993, '12.30', 5, 2.5, 1, '2024-02-29', '2024-01-05 09:30:15.123', "
        "'08:00:01', X'00FF', 'A1', '张三', 7, 1, 4);"
        "INSERT INTO Kinds VALUES (NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, 'abc', 'x', NULL);"
        "INSERT INTO Kinds VALUES (-2, 0, 0.5, '1.23456', 1e300, 0, '1999/12/31', '2024-01-05', '23:59:59.5', X'', '', "
        "'', 2.5, 2.5, 0);"
        "INSERT INTO Kinds VALUES (3, 1, 3, 0, -0.0, 'true', '2000-01-01', '2024-01-05T09:30:15Z', '00:00', X'41', "
        "'A1', '张三', 4, NULL, -7)"));
    SqliteSession session(files.hrFile(), files.rcmsFile());
    const QString sql = QStringLiteral("Select * From Kinds");
    const std::unique_ptr<data::ClientDataSet> direct = session.OpenHrQuery(sql);
    data::ClientDataSet fromPacket;
    fromPacket.SetData(session.OpenHrData(sql));
    const data::DataPacket a = direct->Data(), b = fromPacket.Data();
    ASSERT_EQ(a.fields.size(), b.fields.size());
    for (int c = 0; c < a.fields.size(); ++c) {
        EXPECT_EQ(a.fields[c].type, b.fields[c].type) << a.fields[c].name.toStdString();
        EXPECT_EQ(a.fields[c].size, b.fields[c].size) << a.fields[c].name.toStdString();
    }
    ASSERT_EQ(a.rows.size(), 4);
    ASSERT_EQ(b.rows.size(), 4);
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < a.fields.size(); ++c) {
            const QVariant &x = a.rows[r][c], &y = b.rows[r][c];
            EXPECT_TRUE(x.typeId() == y.typeId() && x == y)
                << a.fields[c].name.toStdString() << " row " << r << ": " << x.toString().toStdString() << " / "
                << y.toString().toStdString();
        }
    }
}

TEST(SqliteSessionFiles, TextColumnsKeepEmptyTextsAndTakeTheTextOfOtherValues)
{
    // A blob keeps its type in a text column; SQLite converts numbers itself.
    const data::DataPacket p =
        packetOf(QStringLiteral("CREATE TABLE Texts (t varchar(5));"
                                "INSERT INTO Texts VALUES (''), (NULL), (X'E4B8AD'), ('abcdefgh'), (42)"),
                 QStringLiteral("Select t From Texts"));
    ASSERT_EQ(p.rows.size(), 5);
    EXPECT_TRUE(data::isTextType(p.fields.at(0).type));
    EXPECT_EQ(p.fields.at(0).size, 8);  // the longest text, beyond the declared 5
    EXPECT_EQ(p.rows.at(0).at(0).typeId(), QMetaType::QString);
    EXPECT_FALSE(p.rows.at(0).at(0).toString().isNull());
    EXPECT_FALSE(p.rows.at(1).at(0).isValid());
    EXPECT_EQ(p.rows.at(2).at(0), QVariant(QStringLiteral("中")));
    EXPECT_EQ(p.rows.at(4).at(0), QVariant(QStringLiteral("42")));
}

TEST(SqliteSessionFiles, ErrorNamesTranslatedAndOriginalStatement)
{
    TempDatabases files;
    SqliteSession session(files.hrFile(), files.rcmsFile());
    const std::string message =
        messageOf([&] { session.ExecHrSql(QStringLiteral("Update Nowhere With(RowLock) Set a = 'x' + b")); });
    EXPECT_NE(message.find("健康档案数据库"), std::string::npos) << message;
    EXPECT_NE(message.find("Update Nowhere  Set a = 'x' || b"), std::string::npos) << message;
    EXPECT_NE(message.find("Update Nowhere With(RowLock) Set a = 'x' + b"), std::string::npos) << message;
}

// A value holding U+0000 is stored whole, whether its statement runs with the
// literals bound (one write) or prepared as written (two writes in one text),
// and a query finds it by that value.
TEST(SqliteSessionFiles, ValuesHoldingNulStoreAlikeBoundOrPreparedAsWritten)
{
    TempDatabases files;
    SqliteSession session(files.hrFile(), files.rcmsFile());
    const QString value = QStringLiteral("甲") + QChar(0) + QStringLiteral("'乙");
    const QString quoted = QStringLiteral("N'甲") + QChar(0) + QStringLiteral("''乙'");
    const QString insert = QStringLiteral("Insert Into p_User (UserCode, UserName) Values ('%1', ") + quoted
                           + QStringLiteral(")");
    EXPECT_TRUE(session.ExecHrSql(insert.arg(QStringLiteral("bound"))));
    EXPECT_TRUE(session.ExecHrSql(insert.arg(QStringLiteral("p1")) + QLatin1Char(' ') + insert.arg(QStringLiteral("p2"))));
    const data::DataPacket found = session.OpenHrData(
        QStringLiteral("Select UserCode, UserName From p_User Where UserName = ") + quoted + QStringLiteral(" Order By 1"));
    ASSERT_EQ(found.rows.size(), 3);
    for (const auto &row : found.rows)
        EXPECT_EQ(row.at(1).toString(), value) << row.at(0).toString().toStdString();
}

// Writes of one shape run bound once the first has run untranslated; a later
// one whose value the translator would rewrite (U+0000), or whose text is no
// longer the same shape, still stores exactly what it says.
TEST(SqliteSessionFiles, WritesOfOneShapeStoreEachValueExactly)
{
    TempDatabases files;
    SqliteSession session(files.hrFile(), files.rcmsFile());
    const QStringList values{QStringLiteral("甲乙"), QStringLiteral("甲") + QChar(0) + QStringLiteral("乙"),
                             QStringLiteral("it's"), QString(), QStringLiteral("丙")};
    for (int i = 0; i < values.size(); ++i) {
        QString quoted = values[i];
        quoted.replace(QLatin1Char('\''), QStringLiteral("''"));
        EXPECT_TRUE(session.ExecHrSql(QStringLiteral("Insert Into p_User (UserCode, UserName) Values ('u%1', '%2')")
                                          .arg(i)
                                          .arg(quoted)));
        EXPECT_TRUE(session.ExecHrSql(QStringLiteral("Update p_User Set Spell = '%1' Where UserCode = 'u%2'")
                                          .arg(quoted)
                                          .arg(i)));
    }
    const data::DataPacket rows =
        session.OpenHrData(QStringLiteral("Select UserName, Spell From p_User Order By UserCode"));
    ASSERT_EQ(rows.rows.size(), values.size());
    for (int i = 0; i < values.size(); ++i) {
        EXPECT_EQ(rows.rows[i].at(0).toString(), values[i]) << i;
        EXPECT_EQ(rows.rows[i].at(1).toString(), values[i]) << i;
    }
}

// The deletion check runs on every user deletion; with many business rows it
// must search the indexes, never scan a table.
TEST(SqliteSessionFiles, GuardSearchesIndexesOnly)
{
    TempDatabases files;
    SqliteSession session(files.hrFile(), files.rcmsFile());
    QStringList plan;
    session.hrDatabase().forEachStatement(
        QStringLiteral("EXPLAIN QUERY PLAN ") + translateTsqlToSqlite(guard(QStringLiteral("34162110100001"))),
        [&plan](SqliteStatement &statement) {
            while (statement.step())
                plan << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement.handle(), 3)));
        });
    int searches = 0;
    for (const QString &line : plan) {
        EXPECT_FALSE(line.startsWith(QLatin1String("SCAN T"))) << line.toStdString();
        if (line.startsWith(QLatin1String("SEARCH T")))
            ++searches;
    }
    EXPECT_EQ(searches, 34);  // 30 tables with one column, 2 with two
}

} // namespace

// Naming the zone file in TZ keeps every local time where it was; a zone
// someone chose is left alone.
TEST(LocalTimeZone, PinningKeepsLocalTimesAndAChosenZone)
{
    const QByteArray saved = qgetenv("TZ");
    const auto epochs = [] {
        return std::pair{QDateTime(QDate(2024, 1, 15), QTime(8, 30)).toMSecsSinceEpoch(),
                         QDateTime(QDate(2024, 7, 15), QTime(8, 30)).toMSecsSinceEpoch()};
    };
    qunsetenv("TZ");
    tzset();
    const auto unpinned = epochs();
    pinLocalTimeZone();
    EXPECT_EQ(qgetenv("TZ"), QByteArray(":/etc/localtime"));
    EXPECT_EQ(epochs(), unpinned);

    qputenv("TZ", "Asia/Shanghai");
    pinLocalTimeZone();
    EXPECT_EQ(qgetenv("TZ"), QByteArray("Asia/Shanghai"));
    EXPECT_EQ(QDateTime(QDate(2024, 7, 15), QTime(8, 30)).offsetFromUtc(), 8 * 3600);

    if (saved.isNull())
        qunsetenv("TZ");
    else
        qputenv("TZ", saved);
    tzset();
}
