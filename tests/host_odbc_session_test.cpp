// The ODBC session beyond what every session shares (host_session_test runs
// that part over ODBC too): the dialects, statement cutting, column types
// from the driver's description, Unicode text, transactions on a connection
// in manual-commit mode, and failures that name the database and the driver.
#include <gtest/gtest.h>

#include <QDate>
#include <QDateTime>
#include <QTime>

#include <clocale>
#include <memory>

#include "ErrorMessages.h"
#include "LumoError.h"
#include "OdbcDialect.h"
#include "OdbcResultReader.h"
#include "OdbcSession.h"
#include "SessionBackends.h"
#include "TempDatabases.h"

namespace {

class OdbcSessionTest : public ::testing::Test
{
protected:
    std::unique_ptr<OdbcSession> open(const QString &hrDialect = QStringLiteral("sqlite")) const
    {
        DatabaseLocation hr = sqliteOverOdbc(files.hrFile());
        hr.dialect = hrDialect;
        return std::make_unique<OdbcSession>(hr, sqliteOverOdbc(files.rcmsFile()), 10);
    }

    TempDatabases files;
};

// ---- dialects and statement boundaries ------------------------------------

TEST_F(OdbcSessionTest, SqlServerDialectSendsTheModulesTextUntouched)
{
    // "+" between strings is a concatenation only once translated; SQLite
    // itself adds the two texts as numbers.
    EXPECT_EQ(open(QStringLiteral("sqlite"))->GetHrValue(QStringLiteral("Select 'a' + 'b'")).toString(),
              QStringLiteral("ab"));
    auto untouched = open(QStringLiteral("mssql"));
    EXPECT_EQ(untouched->GetHrValue(QStringLiteral("Select 'a' + 'b'")).toLongLong(), 0);
    const std::string message =
        messageOf([&] { untouched->OpenHrData(QStringLiteral("Select Top 1 UserCode From p_User With(NoLock)")); });
    EXPECT_NE(message.find("语句: Select Top 1 UserCode From p_User With(NoLock)"), std::string::npos) << message;
    EXPECT_EQ(message.find("原语句"), std::string::npos) << "nothing was translated: " << message;
}

TEST_F(OdbcSessionTest, BatchesAreCutOnlyWhereAStatementEnds)
{
    auto session = open();
    // The SQLite driver refuses two statements in one call; literals holding
    // ";" must not be cut.
    EXPECT_TRUE(session->ExecHrSql(QStringLiteral(
        "Insert Into TDict_CodDatDet (DatCodID, ItemID, ItemName, IsStop) Values (7, 'a', 'x;y', '2') "
        "Insert Into TDict_CodDatDet (DatCodID, ItemID, ItemName, IsStop) Values (7, 'b', '-- ;', '2');"
        "Update TDict_CodDatDet Set IsStop = '1' Where ItemID = 'b';;")));
    EXPECT_EQ(files.hrValue(QStringLiteral("SELECT group_concat(ItemID || '=' || ItemName || IsStop, '|') FROM "
                                           "(SELECT * FROM TDict_CodDatDet WHERE DatCodID = 7 ORDER BY ItemID)"))
                  .toString(),
              QStringLiteral("a=x;y2|b=-- ;1"));

    // A value and a packet come from the first result; what follows still runs.
    EXPECT_EQ(session->GetHrValue(QStringLiteral("Select ItemName From TDict_CodDatDet Where ItemID = 'a' "
                                                 "Delete TDict_CodDatDet Where ItemID = 'a'"))
                  .toString(),
              QStringLiteral("x;y"));
    const data::DataPacket packet = session->OpenHrData(
        QStringLiteral("Update TDict_CodDatDet Set ItemName = 'z' Where ItemID = 'b'; "
                       "Select ItemID, ItemName From TDict_CodDatDet Where DatCodID = 7; "
                       "Select 1"));
    ASSERT_EQ(packet.rows.size(), 1);
    EXPECT_EQ(packet.rows.at(0).at(1).toString(), QStringLiteral("z"));
    EXPECT_EQ(packet.fields.size(), 2);
}

TEST(OdbcStatementCutting, SplitsAtCompleteStatementsOnly)
{
    const struct
    {
        const char *text;
        QStringList pieces;
    } cases[] = {
        {"", {}},
        {" ;; ; ", {}},
        {"Select 1", {QStringLiteral("Select 1")}},
        {"Select 1;Select 2 ; ", {QStringLiteral("Select 1;"), QStringLiteral("Select 2 ;")}},
        {"Select 'a;b'; Select \"c;d\"", {QStringLiteral("Select 'a;b';"), QStringLiteral("Select \"c;d\"")}},
        {"Select 1 -- x;y\n; Select [p;q]", {QStringLiteral("Select 1 -- x;y\n;"), QStringLiteral("Select [p;q]")}},
        {"Select 'it''s;'; Select 2", {QStringLiteral("Select 'it''s;';"), QStringLiteral("Select 2")}},
        {"Create Trigger t After Insert On a Begin Select 1; Select 2; End; Select 3",
         {QStringLiteral("Create Trigger t After Insert On a Begin Select 1; Select 2; End;"),
          QStringLiteral("Select 3")}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(splitSqliteStatements(QString::fromUtf8(c.text)), c.pieces) << c.text;
}

TEST(OdbcStatementCutting, EachDialectGetsItsStatements)
{
    const QString batch = QStringLiteral("Delete p_User Where UserCode = 'a' Insert Into p_User (UserCode) Values ('a;')");
    EXPECT_EQ(odbcStatements(OdbcDialect::SqlServer, batch), QStringList{batch});
    EXPECT_EQ(odbcStatements(OdbcDialect::Sqlite, batch).size(), 2);
    EXPECT_TRUE(odbcStatements(OdbcDialect::SqlServer, QStringLiteral("  \r\n")).isEmpty());
    EXPECT_TRUE(odbcStatements(OdbcDialect::Sqlite, QString()).isEmpty());
    EXPECT_EQ(odbcDialectFromName(QStringLiteral(" MSSQL ")), OdbcDialect::SqlServer);
    EXPECT_THROW(odbcDialectFromName(QStringLiteral("oracle")), data::LumoError);
}

// ---- column types and values ----------------------------------------------

TEST_F(OdbcSessionTest, ColumnTypesComeFromTheDriversDescription)
{
    files.hr(QStringLiteral(
        "CREATE TABLE Kinds (b bit, s smallint, i int, g bigint, d decimal(18,4), m money, f float, "
        "dt date, tm time, ts datetime, c char(4), w nvarchar(30), t text);"
        "INSERT INTO Kinds VALUES (1, -3, 42, 5000000000, 12.5, 3.25, 0.5, '2024-02-29', '23:59:58', "
        "'2024-01-05 09:30:15.250', 'ab  ', '名字', 'long');"
        "INSERT INTO Kinds VALUES (NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL)"));
    const data::DataPacket p = open()->OpenHrData(QStringLiteral("Select * From Kinds"));
    using data::FieldType;
    const QVector<FieldType> expected = {FieldType::Boolean, FieldType::Smallint, FieldType::Integer,
                                         FieldType::Largeint, FieldType::BCD, FieldType::Currency,
                                         FieldType::Float, FieldType::Date, FieldType::Time,
                                         FieldType::DateTime, FieldType::FixedChar, FieldType::WideString,
                                         FieldType::Memo};
    ASSERT_EQ(p.fields.size(), expected.size());
    for (int c = 0; c < expected.size(); ++c)
        EXPECT_EQ(p.fields.at(c).type, expected.at(c)) << p.fields.at(c).name.toStdString();

    const auto &row = p.rows.at(0);
    EXPECT_EQ(row.at(0), QVariant(true));
    EXPECT_EQ(row.at(1), QVariant(qint64(-3)));
    EXPECT_EQ(row.at(3), QVariant(qint64(5000000000)));
    EXPECT_DOUBLE_EQ(row.at(4).toDouble(), 12.5);
    EXPECT_DOUBLE_EQ(row.at(5).toDouble(), 3.25);
    EXPECT_EQ(row.at(7), QVariant(QDate(2024, 2, 29)));
    EXPECT_EQ(row.at(8), QVariant(QTime(23, 59, 58)));
    EXPECT_EQ(row.at(9).toDateTime(), QDateTime(QDate(2024, 1, 5), QTime(9, 30, 15, 250)));
    EXPECT_EQ(row.at(11), QVariant(QStringLiteral("名字")));
    EXPECT_EQ(p.fields.at(11).size, 30);
    EXPECT_EQ(p.fields.at(12).size, 4) << "a long text's size is what it holds";
    for (const QVariant &v : p.rows.at(1))
        EXPECT_TRUE(v.isNull()) << v.typeName();
}

TEST(OdbcColumnTypes, SqlServerDescriptionsMapToFieldTypes)
{
    using data::FieldType;
    const struct
    {
        SQLSMALLINT sqlType;
        SQLULEN size;
        const char *typeName;
        FieldType type;
    } cases[] = {
        {SQL_WVARCHAR, 50, "nvarchar", FieldType::WideString},
        {SQL_WVARCHAR, 0, "nvarchar", FieldType::Memo},  // nvarchar(max)
        {SQL_WCHAR, 10, "nchar", FieldType::WideString},
        {SQL_WLONGVARCHAR, 1073741823, "ntext", FieldType::Memo},
        {SQL_VARCHAR, 20, "varchar", FieldType::String},
        {SQL_VARCHAR, 0, "varchar", FieldType::Memo},
        {SQL_CHAR, 4, "char", FieldType::FixedChar},
        {SQL_INTEGER, 10, "int", FieldType::Integer},
        {SQL_INTEGER, 10, "int identity", FieldType::AutoInc},
        {SQL_TINYINT, 3, "tinyint", FieldType::Smallint},
        {SQL_BIGINT, 19, "bigint", FieldType::Largeint},
        {SQL_BIT, 1, "bit", FieldType::Boolean},
        {SQL_DECIMAL, 18, "decimal", FieldType::BCD},
        {SQL_NUMERIC, 10, "numeric", FieldType::BCD},
        {SQL_DECIMAL, 19, "money", FieldType::Currency},
        {SQL_DECIMAL, 10, "smallmoney", FieldType::Currency},
        {SQL_FLOAT, 53, "float", FieldType::Float},
        {SQL_REAL, 24, "real", FieldType::Float},
        {SQL_TYPE_TIMESTAMP, 23, "datetime", FieldType::DateTime},
        {SQL_TYPE_TIMESTAMP, 16, "smalldatetime", FieldType::DateTime},
        {-155, 34, "datetimeoffset", FieldType::DateTime},
        {SQL_TYPE_DATE, 10, "date", FieldType::Date},
        {-154, 16, "time", FieldType::Time},
        {SQL_GUID, 36, "uniqueidentifier", FieldType::String},
        {SQL_VARBINARY, 16, "varbinary", FieldType::Bytes},
        {SQL_LONGVARBINARY, 2147483647, "image", FieldType::Bytes},
        {SQL_BINARY, 8, "timestamp", FieldType::RowVersion},
    };
    for (const auto &c : cases) {
        OdbcColumn column;
        column.sqlType = c.sqlType;
        column.size = c.size;
        column.typeName = QString::fromLatin1(c.typeName);
        EXPECT_EQ(fieldTypeFromOdbc(column), c.type) << c.typeName << " " << c.sqlType;
    }
}

TEST_F(OdbcSessionTest, UnicodeTextSurvivesBothWaysWhateverItsLength)
{
    auto session = open();
    // Rare characters of the basic plane (CJK extension A, a surname), an
    // apostrophe, and a text far longer than one read of the driver.
    const QString rare = QStringLiteral("㐀䶵喆 O'Neil");
    QString longText;
    for (int i = 0; i < 3000; ++i)
        longText += QStringLiteral("健康档案㐀");
    auto quoted = [](QString s) { return QLatin1Char('\'') + s.replace(QLatin1Char('\''), QStringLiteral("''")) + QLatin1Char('\''); };
    EXPECT_TRUE(session->ExecHrSql(QStringLiteral("Insert Into p_User (UserCode, UserName, ContactType) Values ('u1', %1, %2)")
                                       .arg(quoted(rare), quoted(longText))));
    // Written as Unicode: the file holds the same characters...
    EXPECT_EQ(files.hrValue(QStringLiteral("SELECT UserName FROM p_User WHERE UserCode = 'u1'")).toString(), rare);
    // ...and read back as Unicode, whole.
    const data::DataPacket p =
        session->OpenHrData(QStringLiteral("Select UserName, ContactType From p_User Where UserCode = 'u1'"));
    EXPECT_EQ(p.rows.at(0).at(0).toString(), rare);
    EXPECT_EQ(p.rows.at(0).at(1).toString().size(), longText.size());
    EXPECT_EQ(p.rows.at(0).at(1).toString(), longText);
    EXPECT_EQ(p.fields.at(1).size, longText.size());
    EXPECT_EQ(session->GetHrValue(QStringLiteral("Select ContactType From p_User Where UserCode = 'u1'")).toString(),
              longText);
}

// A host started without a locale (LANG unset, as under some service
// managers) runs in "C", whose character set is ASCII.
TEST_F(OdbcSessionTest, ChineseSurvivesAProcessStartedInTheCLocale)
{
    const std::string saved = std::setlocale(LC_CTYPE, nullptr);
    std::setlocale(LC_CTYPE, "C");
    {
        auto session = open();
        session->ExecHrSql(QStringLiteral("Insert Into p_User (UserCode, UserName) Values ('c1', '张三')"));
        EXPECT_EQ(session->GetHrValue(QStringLiteral("Select UserName From p_User Where UserCode = 'c1'")).toString(),
                  QStringLiteral("张三"));
    }
    EXPECT_EQ(files.hrValue(QStringLiteral("SELECT UserName FROM p_User WHERE UserCode = 'c1'")).toString(),
              QStringLiteral("张三"));
    std::setlocale(LC_CTYPE, saved.c_str());
}

TEST_F(OdbcSessionTest, ValuesTheDriverCannotConvertWidenTheColumn)
{
    // SQLite keeps whatever it is given; its driver reports such a value in a
    // typed column as NULL. It must come through as the text it is.
    files.hr(QStringLiteral("CREATE TABLE Mixed (i int, d datetime, n int);"
                            "INSERT INTO Mixed VALUES (1, '2024-01-05 00:00:00', NULL), ('abc', 'someday', NULL)"));
    auto session = open();
    const data::DataPacket p = session->OpenHrData(QStringLiteral("Select * From Mixed"));
    EXPECT_EQ(p.fields.at(0).type, data::FieldType::String);
    EXPECT_EQ(p.rows.at(0).at(0), QVariant(QStringLiteral("1")));
    EXPECT_EQ(p.rows.at(1).at(0), QVariant(QStringLiteral("abc")));
    EXPECT_EQ(p.fields.at(1).type, data::FieldType::String);
    EXPECT_EQ(p.rows.at(0).at(1), QVariant(QStringLiteral("2024-01-05 00:00:00")));
    EXPECT_EQ(p.rows.at(1).at(1), QVariant(QStringLiteral("someday")));
    // A real NULL stays NULL and keeps its column's type.
    EXPECT_EQ(p.fields.at(2).type, data::FieldType::Integer);
    EXPECT_TRUE(p.rows.at(1).at(2).isNull());
    // A dataset, read column by column, holds the same.
    const auto dataSet = session->OpenHrQuery(QStringLiteral("Select * From Mixed"));
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(dataSet->Fields()[c]->DataType(), p.fields.at(c).type) << c;
        for (int row = 0; row < 2; ++row)
            EXPECT_EQ(dataSet->storedValue(row, c), p.rows.at(row).at(c)) << row << c;
    }
    EXPECT_EQ(session->GetHrValue(QStringLiteral("Select i From Mixed Where d = 'someday'")),
              QVariant(QStringLiteral("abc")));
    EXPECT_TRUE(session->GetHrValue(QStringLiteral("Select n From Mixed")).isNull());
}

// ---- transactions -----------------------------------------------------------

TEST_F(OdbcSessionTest, OutsideATransactionEachStatementIsWrittenAtOnce)
{
    auto session = open();
    session->BeginHrTrans();
    session->ExecHrSql(QStringLiteral("Insert Into p_User (UserCode) Values ('t1')"));
    session->CommitHrTrans();
    // Autocommit is back on: another connection sees the next statement at once.
    session->ExecHrSql(QStringLiteral("Insert Into p_User (UserCode) Values ('t2')"));
    EXPECT_EQ(files.hrValue(QStringLiteral("SELECT count(*) FROM p_User WHERE UserCode IN ('t1', 't2')")).toLongLong(), 2);

    session->BeginHrTrans();
    session->ExecHrSql(QStringLiteral("Delete p_User Where UserCode = 't1'"));
    session->RollbackHrTrans();
    session->RollbackHrTrans();  // a second rollback finds nothing open
    session->ExecHrSql(QStringLiteral("Delete p_User Where UserCode = 't2'"));
    EXPECT_EQ(files.hrValue(QStringLiteral("SELECT group_concat(UserCode) FROM p_User")).toString(), QStringLiteral("t1"));
}

TEST_F(OdbcSessionTest, ClosingTheSessionAbandonsAnOpenTransaction)
{
    {
        auto session = open();
        session->BeginRcmsTrans();
        session->ExecRcmsSql(QStringLiteral("Insert Into TSys_Param Values ('p', 'd', 'v')"));
    }
    EXPECT_EQ(files.rcmsValue(QStringLiteral("SELECT count(*) FROM TSys_Param")).toLongLong(), 0);
    // and the file is free for the next writer
    files.rcms(QStringLiteral("INSERT INTO TSys_Param VALUES ('q', 'd', 'v')"));
}

TEST_F(OdbcSessionTest, OneDatabaseServesBothBlocksOfSlotsUnderItsOwnName)
{
    auto session = OdbcSession::forOneDatabase(sqliteOverOdbc(files.rcmsFile()), QStringLiteral("农合数据库"), 10);
    session->ExecRcmsSql(QStringLiteral("Insert Into TSys_Param Values ('p', 'd', 'v')"));
    EXPECT_EQ(session->GetHrValue(QStringLiteral("Select ParamValue From TSys_Param")).toString(), QStringLiteral("v"));
    const std::string message = messageOf([&] { session->ExecRcmsSql(QStringLiteral("Delete Nowhere")); });
    EXPECT_EQ(message.rfind("农合数据库", 0), 0u) << message;
}

// ---- failures ----------------------------------------------------------------

TEST_F(OdbcSessionTest, FailureNamesDatabaseDriverTextAndBothTexts)
{
    auto session = open();
    const std::string message =
        messageOf([&] { session->ExecHrSql(QStringLiteral("Update Nowhere With(RowLock) Set a = 'x' + b")); });
    EXPECT_EQ(message.rfind("健康档案数据库", 0), 0u) << message;
    EXPECT_NE(message.find("no such table: Nowhere"), std::string::npos) << message;
    EXPECT_NE(message.find("语句: Update Nowhere  Set a = 'x' || b"), std::string::npos) << message;
    EXPECT_NE(message.find("原语句: Update Nowhere With(RowLock) Set a = 'x' + b"), std::string::npos) << message;

    // The second statement of a batch fails after the first was done, as
    // SQL Server does it outside a transaction.
    const std::string second = messageOf([&] {
        session->ExecHrSql(QStringLiteral("Insert Into p_User (UserCode) Values ('f1') Insert Into Nowhere Values (1)"));
    });
    EXPECT_NE(second.find("语句: Insert Into Nowhere Values (1)"), std::string::npos) << second;
    EXPECT_EQ(files.hrValue(QStringLiteral("SELECT count(*) FROM p_User WHERE UserCode = 'f1'")).toLongLong(), 1);

    EXPECT_NE(messageOf([&] { session->OpenHrData(QStringLiteral("Delete p_User Where 1 = 0")); })
                  .find("没有返回数据集"),
              std::string::npos);
}

} // namespace
