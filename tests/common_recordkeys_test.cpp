// Time-stamp keys: the statement that searches the largest key of the stamp,
// and the sequence that follows from its answer.

#include <gtest/gtest.h>

#include <QDateTime>

#include "TestHostObjects.h"
#include "UGlobalFunUnt.h"
#include "UGlobalHRFunUnt.h"
#include "UGlobalValue.h"

using data::FieldType;

namespace {

const QDateTime kMoment(QDate(2024, 1, 5), QTime(9, 30, 15, 123));

data::DataPacket maxKey(const QVariant &id)
{
    return RecordingSession::packet({{QStringLiteral("ID"), FieldType::String, 20}}, {{id}});
}

class RecordKeys : public ::testing::Test
{
protected:
    RecordKeys()
    {
        host.session.OrgCode = QStringLiteral("A01");
        host.session.RcmsAreaCode = QStringLiteral("123456789");
    }

    TestHost host;
    ScopedModuleClock clock{[] { return kMoment; }};
};

} // namespace

TEST_F(RecordKeys, FirstKeyOfAStampEndsIn001AndTheStatementIsExact)
{
    EXPECT_EQ(NewKeyValue(QStringLiteral("T1"), QStringLiteral("K"), true), "20240105093015123001");
    ASSERT_EQ(host.session.calls().size(), 1u);
    EXPECT_EQ(host.session.calls()[0].slot, "OpenRcmsQuery");
    EXPECT_EQ(host.session.calls()[0].sql,
              " Select Max(K) as ID  From T1 With(RowLock)  Where K Like '20240105093015123%' And  OrgCode = 'A01'");
}

TEST_F(RecordKeys, NextSequenceFollowsTheLargestKey)
{
    host.session.queuePacket(maxKey(QStringLiteral("20240105093015123041")));
    EXPECT_EQ(NewKeyValue(QStringLiteral("T1"), QStringLiteral("K"), true), "20240105093015123042");
    host.session.queuePacket(maxKey(QStringLiteral("20240105093015123009")));
    EXPECT_EQ(NewHrKeyValue(QStringLiteral("T1"), QStringLiteral("K"), QStringLiteral("OrgCode"), true),
              "20240105093015123010");
}

TEST_F(RecordKeys, NullOrBlankMaximumStartsAt001)
{
    host.session.queuePacket(maxKey(QVariant()));
    EXPECT_EQ(NewKeyValue(QStringLiteral("T1"), QStringLiteral("K"), true), "20240105093015123001");
    host.session.queuePacket(maxKey(QStringLiteral("   ")));
    EXPECT_EQ(NewKeyValue(QStringLiteral("T1"), QStringLiteral("K"), true), "20240105093015123001");
}

TEST_F(RecordKeys, WithoutOrganisationRcmsFiltersOnTheAreaPrefix)
{
    host.session.whenMatch(QStringLiteral("ParamName='yptyml'"),
                           RecordingSession::Reply::ofPacket(RecordingSession::packet(
                               {{QStringLiteral("ParamValue"), FieldType::String, 10}},
                               {{QStringLiteral("1")}})));
    EXPECT_EQ(NewKeyValue(QStringLiteral("T1"), QStringLiteral("K"), false), "20240105093015123001");
    EXPECT_EQ(host.session.statements().last(),
              " Select Max(K) as ID  From T1 With(RowLock)  Where K Like '20240105093015123%' And  AreaCode = '123456'");
}

TEST_F(RecordKeys, UnreadableAreaParameterFiltersOnAnEmptyArea)
{
    // No parameter row at all: the prefix stays empty.
    EXPECT_EQ(NewKeyValue(QStringLiteral("T1"), QStringLiteral("K"), false), "20240105093015123001");
    EXPECT_TRUE(host.session.statements().last().endsWith(" And  AreaCode = ''"));
}

TEST_F(RecordKeys, HealthRecordKeysUseTheGivenColumnOrNoFilter)
{
    NewHrKeyValue(QStringLiteral("TData_X"), QStringLiteral("ID"), QStringLiteral("UnitCode"), true);
    NewHrKeyValue(QStringLiteral("TData_X"), QStringLiteral("ID"), QStringLiteral("UnitCode"), false);
    ASSERT_EQ(host.session.statements(QStringLiteral("OpenHrQuery")),
              QStringList({" Select Max(ID) as ID  From TData_X With(RowLock)  Where ID Like '20240105093015123%' And  UnitCode = 'A01'",
                           " Select Max(ID) as ID  From TData_X With(RowLock)  Where ID Like '20240105093015123%'"}));
    EXPECT_EQ(host.session.count(QStringLiteral("OpenRcmsQuery")), 0);
}

TEST_F(RecordKeys, NamesAreUsedUntrimmedAndValuesQuoted)
{
    host.session.OrgCode = QStringLiteral("O'1");
    NewKeyValue(QStringLiteral(" T1 "), QStringLiteral("K"), true);
    EXPECT_EQ(host.session.statements().last(),
              " Select Max(K) as ID  From  T1  With(RowLock)  Where K Like '20240105093015123%' And  OrgCode = 'O''1'");
}

TEST_F(RecordKeys, FailuresLeaveTheOutputAsPassed)
{
    QString key = QStringLiteral("unchanged");
    host.session.failOnStatement(1);
    NewKeyValue(QStringLiteral("T1"), QStringLiteral("K"), true, key);
    EXPECT_EQ(key, "unchanged");

    // A maximum without digits at characters 18 to 20.
    host.session.queuePacket(maxKey(QStringLiteral("20240105093015123ab1")));
    NewHrKeyValue(QStringLiteral("T1"), QStringLiteral("K"), QStringLiteral("OrgCode"), true, key);
    EXPECT_EQ(key, "unchanged");
    host.session.queuePacket(maxKey(QStringLiteral("2024")));
    EXPECT_EQ(NewHrKeyValue(QStringLiteral("T1"), QStringLiteral("K"), QStringLiteral("OrgCode"), true), "");

    // No session at all.
    UGlobalValue::HostSessionRef = nullptr;
    NewKeyValue(QStringLiteral("T1"), QStringLiteral("K"), true, key);
    EXPECT_EQ(key, "unchanged");
}

TEST_F(RecordKeys, AFullStampMovesOnToTheNextMillisecond)
{
    host.session.queuePacket(maxKey(QStringLiteral("20240105093015123999")));
    host.session.queuePacket(maxKey(QStringLiteral("20240105093015124005")));
    EXPECT_EQ(NewKeyValue(QStringLiteral("T1"), QStringLiteral("K"), true), "20240105093015124006");
    const QStringList sql = host.session.statements();
    ASSERT_EQ(sql.size(), 2);
    EXPECT_TRUE(sql[1].contains("Like '20240105093015124%'"));

    host.session.queuePacket(maxKey(QStringLiteral("20240105093015123998")));
    EXPECT_EQ(NewKeyValue(QStringLiteral("T1"), QStringLiteral("K"), true), "20240105093015123999");
}
