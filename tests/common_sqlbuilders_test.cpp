// Statement texts from dataset records, compared as whole strings: the blanks
// of the fixed fragments are part of what the database and the host's
// translator receive.

#include <gtest/gtest.h>

#include <QDate>
#include <QDateTime>

#include "ClientDataSet.h"
#include "TestHostObjects.h"
#include "UGlobalFunUnt.h"

using data::FieldDef;
using data::FieldType;

namespace {

const QString kPlaceholder = QStringLiteral("'NeedReplacePkeyValue'");
const QChar kLeftQuote(0x2018);
const QChar kRightDoubleQuote(0x201D);

std::unique_ptr<data::ClientDataSet> dataSetOf(const QVector<FieldDef> &fields,
                                               const QVector<QVector<QVariant>> &rows)
{
    auto dataSet = std::make_unique<data::ClientDataSet>();
    dataSet->SetData(RecordingSession::packet(fields, rows));
    return dataSet;
}

// One field, one row: the literal of that value.
QString literalOf(FieldType type, const QVariant &value, quint8 dialect = SqlDialectSqlServer)
{
    auto dataSet = dataSetOf({{QStringLiteral("V"), type, 50}}, {{value}});
    return FieldToSqlValue(*dataSet->FieldAt(0), dialect);
}

// The worked example: F1 (key, text 1), F2 (text x), F3 (integer 5).
std::unique_ptr<data::ClientDataSet> t1(const QVariant &f1 = QStringLiteral("1"))
{
    return dataSetOf({{QStringLiteral("F1"), FieldType::String, 20},
                      {QStringLiteral("F2"), FieldType::String, 20},
                      {QStringLiteral("F3"), FieldType::Integer, 0}},
                     {{f1, QStringLiteral("x"), qint64(5)}});
}

class SqlBuilders : public ::testing::Test
{
protected:
    TestHost host;  // FindItemList reports through the host
};

} // namespace

TEST_F(SqlBuilders, EmptyAndBlankValuesAreNull)
{
    EXPECT_EQ(literalOf(FieldType::String, QVariant()), "Null");
    EXPECT_EQ(literalOf(FieldType::String, QStringLiteral("   ")), "Null");
    EXPECT_EQ(literalOf(FieldType::String, QStringLiteral(" \t\r\n ")), "Null");
    EXPECT_EQ(literalOf(FieldType::Integer, QVariant()), "Null");
    EXPECT_EQ(literalOf(FieldType::Boolean, QVariant()), "Null");
    EXPECT_EQ(literalOf(FieldType::DateTime, QVariant()), "Null");
}

TEST_F(SqlBuilders, NumbersFollowOneBlankAndZeroIsAValue)
{
    EXPECT_EQ(literalOf(FieldType::Integer, qint64(0)), " 0");
    EXPECT_EQ(literalOf(FieldType::Integer, qint64(-42)), " -42");
    EXPECT_EQ(literalOf(FieldType::Smallint, qint64(7)), " 7");
    EXPECT_EQ(literalOf(FieldType::Float, 1.5), " 1.5");
    EXPECT_EQ(literalOf(FieldType::Currency, 12.25), " 12.25");
}

// Decimals and money read from the database go back with every digit; bytes
// as a binary literal; a row version never.
TEST_F(SqlBuilders, ExactValuesAndBytesAreWrittenAsTheyWereRead)
{
    const auto ds = dataSetOf({{"K", FieldType::String, 20}, {"D", FieldType::BCD, 0}, {"M", FieldType::Currency, 0},
                               {"P", FieldType::Bytes, 0}, {"R", FieldType::RowVersion, 0}},
                              {{"k1", "12345678901234.5678", "-922337203685477.5808",
                                QByteArray("\xFF\xD8\xFF\xE0\x00", 5), QByteArray(8, '\x01')},
                               {"k2", "99999999999999.9999", "922337203685477.5807", QByteArray(), QVariant()}});
    EXPECT_EQ(BuildUpdateSql(ds.get(), "T", "K", "", false),
              "  UpDate T With(RowLock) Set D =  12345678901234.5678 , M =  -922337203685477.5808 , P =  0xFFD8FFE000"
              "   Where 1 = 1  And K = 'k1'  "
              "  UpDate T With(RowLock) Set D =  99999999999999.9999 , M =  922337203685477.5807 , P =  0x"
              "   Where 1 = 1  And K = 'k2'  ");
    ds->First();
    EXPECT_EQ(BuildInsertSql(ds.get(), "T", "K", "", true, kPlaceholder),
              " Insert Into T With(RowLock) (  K , D , M , P ) Values (  'k1' , 12345678901234.5678 , "
              "-922337203685477.5808 , 0xFFD8FFE000)  ");
    EXPECT_EQ(FieldToSqlValue(*ds->FieldByName("P"), SqlDialectOracle), " hextoraw('FFD8FFE000')");
    EXPECT_EQ(literalOf(FieldType::Bytes, QVariant()), "Null");
}

TEST_F(SqlBuilders, BooleansAreQuotedDigits)
{
    EXPECT_EQ(literalOf(FieldType::Boolean, true), " '1'");
    EXPECT_EQ(literalOf(FieldType::Boolean, false), " '0'");
}

TEST_F(SqlBuilders, WordAutoIncLargeintAndTimeAreWrittenAsText)
{
    EXPECT_EQ(literalOf(FieldType::Word, qint64(3)), "'3'");
    EXPECT_EQ(literalOf(FieldType::AutoInc, qint64(4)), "'4'");
    EXPECT_EQ(literalOf(FieldType::Largeint, qint64(20240105093015)), "'20240105093015'");
    EXPECT_EQ(literalOf(FieldType::Time, QTime(9, 30, 15)), "'09:30:15'");
}

TEST_F(SqlBuilders, DatesInBothDialects)
{
    const QDateTime moment(QDate(2024, 1, 5), QTime(9, 30, 15));
    EXPECT_EQ(literalOf(FieldType::DateTime, moment), "'2024-01-05 09:30:15'");
    EXPECT_EQ(literalOf(FieldType::Date, QDate(2024, 1, 5)), "'2024-01-05'");
    EXPECT_EQ(literalOf(FieldType::DateTime, moment, SqlDialectOracle),
              " to_date('2024-01-05 09:30:15','yyyy-mm-dd hh24:mi:ss')");
    // Any dialect byte but 1 is SQL Server.
    EXPECT_EQ(literalOf(FieldType::Date, QDate(2024, 1, 5), 7), "'2024-01-05'");
}

TEST_F(SqlBuilders, TextIsCleanedAndQuoted)
{
    EXPECT_EQ(literalOf(FieldType::String, QStringLiteral("O'Neil")),
              QStringLiteral("'O") + kLeftQuote + QStringLiteral("Neil'"));
    EXPECT_EQ(literalOf(FieldType::String, QStringLiteral("say \"hi\"")),
              QStringLiteral("'say ") + kRightDoubleQuote + QStringLiteral("hi")
                  + kRightDoubleQuote + QStringLiteral("'"));
    EXPECT_EQ(literalOf(FieldType::String, QStringLiteral("a\tb")), "'a  b'");
    EXPECT_EQ(literalOf(FieldType::String, QStringLiteral("  padded  ")), "'padded'");
    EXPECT_EQ(literalOf(FieldType::WideString, QStringLiteral("张三")), QStringLiteral("'张三'"));
    // The ideographic space is a character of the text, not a blank.
    EXPECT_EQ(literalOf(FieldType::String, QStringLiteral("\u3000张\u3000")),
              QStringLiteral("'\u3000张\u3000'"));
}

TEST_F(SqlBuilders, LineBreaksSplitTheLiteral)
{
    EXPECT_EQ(literalOf(FieldType::Memo, QStringLiteral("a\r\nb")), "'a'+char(13)+char(10)+'b'");
    EXPECT_EQ(literalOf(FieldType::Memo, QStringLiteral("a\r\nb"), SqlDialectOracle),
              "'a'||chr(10)||'b'");
    // Two breaks in a row leave an empty piece between the joins.
    EXPECT_EQ(literalOf(FieldType::Memo, QStringLiteral("a\r\n\r\nb")),
              "'a'+char(13)+char(10)+''+char(13)+char(10)+'b'");
    EXPECT_EQ(literalOf(FieldType::Memo, QStringLiteral("a\r\n\r\nb"), SqlDialectOracle),
              "'a'||chr(10)||''||chr(10)||'b'");
    // A lone CR or LF stays inside; breaks at the ends are trimmed away.
    EXPECT_EQ(literalOf(FieldType::Memo, QStringLiteral("a\rb\nc")), "'a\rb\nc'");
    EXPECT_EQ(literalOf(FieldType::Memo, QStringLiteral("\r\na'b\r\n")),
              QStringLiteral("'a") + kLeftQuote + QStringLiteral("b'"));
}

TEST_F(SqlBuilders, CleanSqlTextOrderOfSteps)
{
    EXPECT_EQ(CleanSqlText(QStringLiteral("\t'x'\t")), QString(kLeftQuote) + "x" + kLeftQuote);
    EXPECT_EQ(CleanSqlText(QStringLiteral("a\t\"b")),
              QStringLiteral("a  ") + kRightDoubleQuote + QStringLiteral("b"));
    EXPECT_EQ(CleanSqlText(QString()), QString());
}

TEST_F(SqlBuilders, WorkedExampleUpdateAndInsert)
{
    auto dataSet = t1();
    EXPECT_EQ(BuildUpdateSql(dataSet.get(), QStringLiteral("T1"), QStringLiteral("F1"), QString(), true),
              " UpDate T1 With(RowLock) Set F2 = 'x' , F3 =  5   Where 1 = 1  And F1 = '1'  ");
    EXPECT_EQ(BuildInsertSql(dataSet.get(), QStringLiteral("T1"), QStringLiteral("F1"), QString(), true,
                             kPlaceholder),
              " Insert Into T1 With(RowLock) (  F1 , F2 , F3 ) Values (  '1' , 'x' , 5)  ");
}

TEST_F(SqlBuilders, EmptyKeyTakesTheKeyDefaultAndEmptyOtherFieldIsNull)
{
    auto dataSet = dataSetOf({{QStringLiteral("F1"), FieldType::String, 20},
                              {QStringLiteral("F2"), FieldType::String, 20},
                              {QStringLiteral("F3"), FieldType::Integer, 0}},
                             {{QVariant(), QStringLiteral("x"), qint64(5)},
                              {QStringLiteral("  "), QVariant(), QVariant()}});
    EXPECT_EQ(BuildInsertSql(dataSet.get(), QStringLiteral("T1"), QStringLiteral("F1"), QString(), true,
                             kPlaceholder),
              " Insert Into T1 With(RowLock) (  F1 , F2 , F3 ) Values (  'NeedReplacePkeyValue' , 'x' , 5)  ");
    dataSet->Next();
    EXPECT_EQ(BuildInsertSql(dataSet.get(), QStringLiteral("T1"), QStringLiteral("F1"), QString(), true,
                             kPlaceholder),
              " Insert Into T1 With(RowLock) (  F1 , F2 , F3 ) Values (  'NeedReplacePkeyValue' , Null , Null)  ");
    // An empty key field in an UPDATE is compared with Null.
    EXPECT_EQ(BuildUpdateSql(dataSet.get(), QStringLiteral("T1"), QStringLiteral("F1"), QString(), true),
              " UpDate T1 With(RowLock) Set F2 = Null , F3 = Null   Where 1 = 1  And F1 = Null  ");
}

TEST_F(SqlBuilders, KeyAndExcludedListsMatchIgnoringCaseAndBlanks)
{
    auto dataSet = t1();
    EXPECT_EQ(BuildUpdateSql(dataSet.get(), QStringLiteral("  T1 "), QStringLiteral(" f1 ;"),
                             QStringLiteral("f3"), true),
              " UpDate T1 With(RowLock) Set F2 = 'x'   Where 1 = 1  And F1 = '1'  ");
    EXPECT_EQ(BuildInsertSql(dataSet.get(), QStringLiteral("T1"), QStringLiteral("F1"),
                             QStringLiteral("f2; F3"), true, kPlaceholder),
              " Insert Into T1 With(RowLock) (  F1 ) Values (  '1')  ");
    // Two keys, both in the where clause in field order.
    EXPECT_EQ(BuildUpdateSql(dataSet.get(), QStringLiteral("T1"), QStringLiteral("F3;F1"), QString(), true),
              " UpDate T1 With(RowLock) Set F2 = 'x'   Where 1 = 1  And F1 = '1' And F3 =  5  ");
}

TEST_F(SqlBuilders, EmptyKeyListUpdatesEveryRow)
{
    auto dataSet = t1();
    EXPECT_EQ(BuildUpdateSql(dataSet.get(), QStringLiteral("T1"), QStringLiteral("  "), QString(), true),
              " UpDate T1 With(RowLock) Set F1 = '1' , F2 = 'x' , F3 =  5   Where 1 = 1   ");
}

TEST_F(SqlBuilders, EveryFieldKeyOrExcludedStillBuildsTheText)
{
    auto dataSet = t1();
    EXPECT_EQ(BuildUpdateSql(dataSet.get(), QStringLiteral("T1"), QStringLiteral("F1;F2;F3"), QString(), true),
              " UpDate T1 With(RowLock) Set    Where 1 = 1  And F1 = '1' And F2 = 'x' And F3 =  5  ");
    EXPECT_EQ(BuildInsertSql(dataSet.get(), QStringLiteral("T1"), QString(), QStringLiteral("F1;F2;F3"),
                             true, kPlaceholder),
              " Insert Into T1 With(RowLock) (  ) Values ( )  ");
}

TEST_F(SqlBuilders, WholeDataSetModeJoinsStatementsAndEndsAtTheEnd)
{
    auto dataSet = dataSetOf({{QStringLiteral("K"), FieldType::String, 20},
                              {QStringLiteral("N"), FieldType::Integer, 0}},
                             {{QStringLiteral("a"), qint64(1)}, {QStringLiteral("b"), qint64(2)}});
    dataSet->Last();
    EXPECT_EQ(BuildInsertSql(dataSet.get(), QStringLiteral("T"), QStringLiteral("K"), QString(), false,
                             kPlaceholder),
              "  Insert Into T With(RowLock) (  K , N ) Values (  'a' , 1)  "
              "  Insert Into T With(RowLock) (  K , N ) Values (  'b' , 2)  ");
    EXPECT_TRUE(dataSet->Eof());
    EXPECT_EQ(BuildUpdateSql(dataSet.get(), QStringLiteral("T"), QStringLiteral("K"), QString(), false),
              "  UpDate T With(RowLock) Set N =  1   Where 1 = 1  And K = 'a'  "
              "  UpDate T With(RowLock) Set N =  2   Where 1 = 1  And K = 'b'  ");
}

TEST_F(SqlBuilders, CurrentRecordModeLeavesTheCursor)
{
    auto dataSet = dataSetOf({{QStringLiteral("K"), FieldType::String, 20}},
                             {{QStringLiteral("a")}, {QStringLiteral("b")}, {QStringLiteral("c")}});
    dataSet->Next();
    EXPECT_EQ(BuildInsertSql(dataSet.get(), QStringLiteral("T"), QString(), QString(), true, kPlaceholder),
              " Insert Into T With(RowLock) (  K ) Values (  'b')  ");
    EXPECT_EQ(dataSet->RecNo(), 2);
}

TEST_F(SqlBuilders, EmptyClosedOrMissingDataSetGivesEmptyText)
{
    auto empty = dataSetOf({{QStringLiteral("K"), FieldType::String, 20}}, {});
    EXPECT_EQ(BuildInsertSql(empty.get(), QStringLiteral("T"), QString(), QString(), false, kPlaceholder), "");
    EXPECT_EQ(BuildUpdateSql(empty.get(), QStringLiteral("T"), QString(), QString(), false), "");

    data::ClientDataSet closed;
    EXPECT_EQ(BuildUpdateSql(&closed, QStringLiteral("T"), QString(), QString(), true), "");
    EXPECT_EQ(BuildInsertSql(nullptr, QStringLiteral("T"), QString(), QString(), true, kPlaceholder), "");
    EXPECT_TRUE(host.dispatch.prompts().isEmpty());
}

TEST_F(SqlBuilders, OutArgumentIsClearedOnEntry)
{
    QString sql = QStringLiteral("left over");
    BuildUpdateSql(nullptr, QStringLiteral("T"), QString(), QString(), true, sql);
    EXPECT_EQ(sql, "");
    sql = QStringLiteral("left over");
    auto dataSet = t1();
    BuildInsertSql(dataSet.get(), QStringLiteral("T1"), QStringLiteral("F1"), QString(), true,
                   kPlaceholder, sql);
    EXPECT_EQ(sql, " Insert Into T1 With(RowLock) (  F1 , F2 , F3 ) Values (  '1' , 'x' , 5)  ");
}
