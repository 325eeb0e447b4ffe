// Field types, value storage and conversions of dataset fields.

#include <gtest/gtest.h>

#include <QDate>
#include <QDateTime>

#include "ClientDataSet.h"
#include "LumoError.h"
#include "data_fixtures.h"

using namespace data;
using datatest::def;
using datatest::packet;

TEST(DataFieldType, DeclarationsMapRegardlessOfCaseAndBlanks)
{
    const struct
    {
        const char *declared;
        FieldType expected;
    } cases[] = {
        {"varchar(20)", FieldType::String},
        {"VARCHAR ( 20 )", FieldType::String},
        {"NVARCHAR(50)", FieldType::WideString},
        {"nchar(4)", FieldType::WideString},
        {"char(2)", FieldType::FixedChar},
        {"text", FieldType::Memo},
        {"NTEXT", FieldType::Memo},
        {"varchar(max)", FieldType::Memo},
        {"INT", FieldType::Integer},
        {"integer", FieldType::Integer},
        {"smallint", FieldType::Smallint},
        {"tinyint", FieldType::Smallint},
        {"bigint", FieldType::Largeint},
        {"int identity(1,1)", FieldType::AutoInc},
        {"bit", FieldType::Boolean},
        {"Boolean", FieldType::Boolean},
        {"real", FieldType::Float},
        {"float", FieldType::Float},
        {"double precision", FieldType::Float},
        {"money", FieldType::Currency},
        {"smallmoney", FieldType::Currency},
        {"Decimal ( 18 , 4 )", FieldType::BCD},
        {"numeric", FieldType::BCD},
        {"date", FieldType::Date},
        {"datetime", FieldType::DateTime},
        {"DateTime2(7)", FieldType::DateTime},
        {"smalldatetime", FieldType::DateTime},
        {"timestamp", FieldType::DateTime},
        {"time", FieldType::Time},
        {"varbinary(max)", FieldType::Bytes},
        {"IMAGE", FieldType::Bytes},
        {"blob", FieldType::Bytes},
        {"rowversion", FieldType::RowVersion},
        {"", FieldType::String},
        {"   ", FieldType::String},
        {"geography", FieldType::String},
    };
    for (const auto &c : cases)
        EXPECT_EQ(fieldTypeFromDeclaration(QString::fromUtf8(c.declared)), c.expected) << c.declared;
}

namespace {

// A one-row dataset with one field of each kind, for conversion checks.
class DataFieldTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ds.SetData(packet({def("S", FieldType::String, 20), def("I", FieldType::Integer),
                           def("F", FieldType::Float), def("B", FieldType::Boolean), def("D", FieldType::Date),
                           def("DT", FieldType::DateTime), def("T", FieldType::Time),
                           def("C", FieldType::Currency)},
                          {{QVariant(QStringLiteral("abc")), QVariant(qint64(42)), QVariant(2.5), QVariant(true),
                            QVariant(QDate(2024, 2, 29)), QVariant(QDateTime(QDate(2024, 3, 1), QTime(8, 5, 9))),
                            QVariant(QTime(23, 59, 1)), QVariant(12.5)}}));
    }

    ClientDataSet ds;
};

} // namespace

TEST_F(DataFieldTest, TextFormsOfEachType)
{
    EXPECT_EQ(ds.FieldByName("S")->AsString(), "abc");
    EXPECT_EQ(ds.FieldByName("I")->AsString(), "42");
    EXPECT_EQ(ds.FieldByName("F")->AsString(), "2.5");
    EXPECT_EQ(ds.FieldByName("B")->AsString(), "True");
    EXPECT_EQ(ds.FieldByName("D")->AsString(), "2024-02-29");
    EXPECT_EQ(ds.FieldByName("DT")->AsString(), "2024-03-01 08:05:09");
    EXPECT_EQ(ds.FieldByName("T")->AsString(), "23:59:01");
    EXPECT_EQ(ds.FieldByName("C")->AsString(), "12.5");
}

TEST_F(DataFieldTest, FloatsPrintShortestAndWholeNumbersWithoutFraction)
{
    ds.Edit();
    Field *f = ds.FieldByName("F");
    f->SetAsFloat(0.1 + 0.2);
    EXPECT_EQ(f->AsString(), "0.30000000000000004");
    f->SetAsFloat(3.0);
    EXPECT_EQ(f->AsString(), "3");
    f->SetAsFloat(-0.0);
    EXPECT_EQ(f->AsString(), "0");
    f->SetAsFloat(1234567.125);
    EXPECT_EQ(f->AsString(), "1234567.125");
    ds.Cancel();
}

TEST_F(DataFieldTest, CurrencyKeepsFourDecimals)
{
    ds.Edit();
    ds.FieldByName("C")->SetAsFloat(1.23456);
    EXPECT_DOUBLE_EQ(ds.FieldByName("C")->AsFloat(), 1.2346);
    ds.Cancel();
}

// Decimals and money hold every digit: what is read is what is written back.
TEST(DataFieldExact, DecimalsAndMoneyKeepEveryDigit)
{
    const struct
    {
        FieldType type;
        QVariant value;
        const char *text;  // nullptr: refused
    } cases[] = {
        {FieldType::BCD, QStringLiteral("12345678901234.5678"), "12345678901234.5678"},
        {FieldType::BCD, QStringLiteral("99999999999999.9999"), "99999999999999.9999"},
        {FieldType::BCD, QStringLiteral("12345678901234567890123456789012345678"), "12345678901234567890123456789012345678"},
        {FieldType::BCD, QStringLiteral("-0.00000000000000000000000000000000000001"), "-0.00000000000000000000000000000000000001"},
        {FieldType::BCD, QStringLiteral(" 001.5000 "), "1.5"},
        {FieldType::BCD, QStringLiteral("-0.000"), "0"},
        {FieldType::BCD, QStringLiteral("1.5e3"), "1500"},
        {FieldType::BCD, qint64(9007199254740993), "9007199254740993"},
        {FieldType::BCD, 0.1, "0.1"},
        {FieldType::BCD, QStringLiteral("1.2.3"), nullptr},
        {FieldType::BCD, QStringLiteral("abc"), nullptr},
        {FieldType::Currency, QStringLiteral("922337203685477.5807"), "922337203685477.5807"},
        {FieldType::Currency, QStringLiteral("-922337203685477.5808"), "-922337203685477.5808"},
        {FieldType::Currency, QStringLiteral("1.23455"), "1.2346"},
        {FieldType::Currency, QStringLiteral("-9.99995"), "-10"},
        {FieldType::Currency, 12.5, "12.5"},
    };
    for (const auto &c : cases) {
        ClientDataSet ds;
        ds.CreateDataSet({def("V", c.type)});
        ds.Append();
        if (!c.text) {
            EXPECT_THROW(ds.FieldByName("V")->SetValue(c.value), LumoError) << c.value.toString().toStdString();
            continue;
        }
        ds.FieldByName("V")->SetValue(c.value);
        ds.Post();
        EXPECT_EQ(ds.FieldByName("V")->AsString(), QLatin1String(c.text));
        ds.SetData(ds.Data());  // loaded again from its own packet
        EXPECT_EQ(ds.FieldByName("V")->AsString(), QLatin1String(c.text));
    }
}

// Bytes stay bytes: no text conversion touches them.
TEST(DataFieldExact, BytesAreKeptAsTheyAre)
{
    QByteArray jpeg("\xFF\xD8\xFF\xE0\x00\x10JFIF\x00\x01", 12);
    for (int b = 0; b < 256; ++b)
        jpeg.append(char(b));
    ClientDataSet ds;
    ds.SetData(packet({def("P", FieldType::Bytes), def("R", FieldType::RowVersion)},
                      {{jpeg, QByteArray("\x00\x00\x00\x00\x00\x00\x07\xD1", 8)}, {QByteArray(), QVariant()}}));
    EXPECT_EQ(ds.FieldByName("P")->Value().toByteArray(), jpeg);
    EXPECT_TRUE(ds.FieldByName("P")->AsString().startsWith("FFD8FFE000104A464946"));
    EXPECT_EQ(ds.FieldByName("R")->AsString(), "00000000000007D1");
    ds.Next();
    EXPECT_FALSE(ds.FieldByName("P")->IsNull()) << "no bytes is still a value";
    ds.Edit();
    ds.FieldByName("P")->SetAsString("00ff");
    EXPECT_EQ(ds.FieldByName("P")->Value().toByteArray(), QByteArray("\x00\xFF", 2));
    EXPECT_THROW(ds.FieldByName("P")->SetAsString("abc"), LumoError);
    ds.FieldByName("P")->SetAsString("");
    EXPECT_TRUE(ds.FieldByName("P")->IsNull());
}

TEST_F(DataFieldTest, SetAsStringConvertsToTheFieldsType)
{
    ds.Edit();
    ds.FieldByName("I")->SetAsString(" 17 ");
    ds.FieldByName("F")->SetAsString("1e3");
    ds.FieldByName("B")->SetAsString("false");
    ds.FieldByName("D")->SetAsString("2023/7/4");
    ds.FieldByName("DT")->SetAsString("2023-07-04 13:14:15.1234567");
    ds.FieldByName("T")->SetAsString("7:08");
    ds.Post();
    EXPECT_EQ(ds.FieldByName("I")->Value(), QVariant(qint64(17)));
    EXPECT_EQ(ds.FieldByName("F")->AsFloat(), 1000.0);
    EXPECT_FALSE(ds.FieldByName("B")->AsBoolean());
    EXPECT_EQ(ds.FieldByName("D")->Value(), QVariant(QDate(2023, 7, 4)));
    EXPECT_EQ(ds.FieldByName("DT")->AsDateTime(), QDateTime(QDate(2023, 7, 4), QTime(13, 14, 15, 123)));
    EXPECT_EQ(ds.FieldByName("T")->AsString(), "07:08:00");
}

TEST_F(DataFieldTest, EmptyTextStoresNullForNonTextTypesButNotForText)
{
    ds.Edit();
    for (const char *name : {"I", "F", "B", "D", "DT", "T"}) {
        ds.FieldByName(name)->SetAsString("  ");
        EXPECT_TRUE(ds.FieldByName(name)->IsNull()) << name;
    }
    ds.FieldByName("S")->SetAsString("");
    EXPECT_FALSE(ds.FieldByName("S")->IsNull());
    EXPECT_EQ(ds.FieldByName("S")->AsString(), "");
    ds.Post();
}

TEST_F(DataFieldTest, NullsReadAsEmptyOrZero)
{
    ds.Edit();
    for (const auto &f : ds.Fields())
        f->Clear();
    ds.Post();
    for (const auto &f : ds.Fields()) {
        EXPECT_TRUE(f->IsNull());
        EXPECT_EQ(f->AsString(), "");
    }
    EXPECT_EQ(ds.FieldByName("I")->AsInteger(), 0);
    EXPECT_EQ(ds.FieldByName("F")->AsFloat(), 0.0);
    EXPECT_FALSE(ds.FieldByName("B")->AsBoolean());
    EXPECT_FALSE(ds.FieldByName("DT")->AsDateTime().isValid());
}

TEST_F(DataFieldTest, ReadsAcrossTypes)
{
    EXPECT_EQ(ds.FieldByName("F")->AsInteger(), 3);  // 2.5 rounds away from zero
    EXPECT_EQ(ds.FieldByName("I")->AsFloat(), 42.0);
    EXPECT_TRUE(ds.FieldByName("I")->AsBoolean());
    EXPECT_EQ(ds.FieldByName("D")->AsDateTime(), QDateTime(QDate(2024, 2, 29), QTime(0, 0)));
    EXPECT_EQ(ds.FieldByName("T")->AsDateTime().time(), QTime(23, 59, 1));
    ds.Edit();
    ds.FieldByName("S")->SetAsString(" 12 ");
    EXPECT_EQ(ds.FieldByName("S")->AsInteger(), 12);
    EXPECT_EQ(ds.FieldByName("S")->AsFloat(), 12.0);
    ds.FieldByName("S")->SetAsString("2020-01-02 03:04:05");
    EXPECT_EQ(ds.FieldByName("S")->AsDateTime(), QDateTime(QDate(2020, 1, 2), QTime(3, 4, 5)));
    ds.Cancel();
}

TEST_F(DataFieldTest, ConversionErrorsNameTheField)
{
    const auto expectNamed = [](const std::function<void()> &fn, const char *field) {
        try {
            fn();
            ADD_FAILURE() << "no error for " << field;
        } catch (const LumoError &e) {
            EXPECT_TRUE(e.message().contains(QString::fromUtf8(field))) << e.what();
        }
    };
    // Reading a text that is no number, date or boolean.
    expectNamed([&] { ds.FieldByName("S")->AsInteger(); }, "S");
    expectNamed([&] { ds.FieldByName("S")->AsFloat(); }, "S");
    expectNamed([&] { ds.FieldByName("S")->AsDateTime(); }, "S");
    expectNamed([&] { ds.FieldByName("S")->AsBoolean(); }, "S");
    expectNamed([&] { ds.FieldByName("D")->AsInteger(); }, "D");
    // Writing a value the field cannot hold leaves the old value in place.
    ds.Edit();
    expectNamed([&] { ds.FieldByName("I")->SetAsString("12a"); }, "I");
    expectNamed([&] { ds.FieldByName("I")->SetAsString("1.5"); }, "I");
    expectNamed([&] { ds.FieldByName("D")->SetAsString("2023-02-30"); }, "D");
    expectNamed([&] { ds.FieldByName("B")->SetAsString("maybe"); }, "B");
    expectNamed([&] { ds.FieldByName("T")->SetAsString("25:00"); }, "T");
    expectNamed([&] { ds.FieldByName("F")->SetValue(QVariant(QDate(2020, 1, 1))); }, "F");
    EXPECT_EQ(ds.FieldByName("I")->AsInteger(), 42);
    ds.Cancel();
}

TEST_F(DataFieldTest, SettersNeedEditOrInsertState)
{
    EXPECT_EQ(ds.State(), DataSetState::Browse);
    try {
        ds.FieldByName("S")->SetAsString("x");
        FAIL() << "a setter in browse state must raise";
    } catch (const LumoError &e) {
        EXPECT_TRUE(e.message().contains("S"));
    }
    EXPECT_THROW(ds.FieldByName("I")->Clear(), LumoError);
    EXPECT_EQ(ds.FieldByName("S")->AsString(), "abc");
}

TEST(DataField, PacketValuesAreNormalisedOnLoad)
{
    // Databases hand back integers for bit columns and texts for dates.
    ClientDataSet ds;
    ds.SetData(packet({def("I", FieldType::Smallint), def("B", FieldType::Boolean), def("D", FieldType::DateTime),
                       def("S", FieldType::String), def("F", FieldType::BCD)},
                      {{QVariant(int(5)), QVariant(qint64(1)), QVariant(QStringLiteral("2021-05-06 07:08:09")),
                        QVariant(qint64(7)), QVariant(QStringLiteral("3.25"))}}));
    EXPECT_EQ(ds.FieldByName("I")->Value().typeId(), QMetaType::LongLong);
    EXPECT_EQ(ds.FieldByName("B")->Value(), QVariant(true));
    EXPECT_EQ(ds.FieldByName("D")->Value(), QVariant(QDateTime(QDate(2021, 5, 6), QTime(7, 8, 9))));
    EXPECT_EQ(ds.FieldByName("S")->Value(), QVariant(QStringLiteral("7")));
    EXPECT_EQ(ds.FieldByName("F")->Value(), QVariant(3.25));
}

TEST(DataField, PacketValueThatDoesNotFitRaisesAndLeavesTheDataSetClosed)
{
    ClientDataSet ds;
    try {
        ds.SetData(packet({def("Age", FieldType::Integer)}, {{QVariant(QStringLiteral("old"))}}));
        FAIL();
    } catch (const LumoError &e) {
        EXPECT_TRUE(e.message().contains("Age"));
        EXPECT_TRUE(e.message().contains("old"));
    }
    EXPECT_FALSE(ds.Active());
    EXPECT_EQ(ds.FieldCount(), 0);
}
