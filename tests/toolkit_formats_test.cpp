// Stateless pieces of the toolkit: display-format masks, stored colours and
// the lookup index over a list dataset.

#include <gtest/gtest.h>

#include "ClientDataSet.h"
#include "Field.h"
#include "TcxGridDBTableView.h"
#include "TcxLookupIndex.h"
#include "ToolkitColors.h"

namespace {

data::FieldDef fieldDef(const QString &name, data::FieldType type = data::FieldType::String)
{
    return data::FieldDef{name, type, 0};
}

struct FormatCase
{
    const char *format;
    double value;
    const char *expected;
};

class DisplayFormat : public ::testing::TestWithParam<FormatCase>
{
};

TEST_P(DisplayFormat, ReplacesPlaceholdersByTheNumber)
{
    const FormatCase &c = GetParam();
    EXPECT_EQ(TcxGridDBTableView::FormatNumber(QString::fromUtf8(c.format), c.value),
              QString::fromUtf8(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Masks, DisplayFormat,
    ::testing::Values(FormatCase{"记录数: 0", 0, "记录数: 0"}, FormatCase{"记录数: 0", 12345, "记录数: 12345"},
                      FormatCase{"共0人", 7, "共7人"}, FormatCase{"000", 7, "007"},
                      FormatCase{"#,##0", 1234567, "1,234,567"}, FormatCase{"0.00", 2.5, "2.50"},
                      FormatCase{"0.##", 2.5, "2.5"}, FormatCase{"0.##", 3, "3"},
                      FormatCase{"'合计 0: '0", 9, "合计 0: 9"}, FormatCase{"0;(0)", -4, "(4)"},
                      FormatCase{"0", -4, "-4"}, FormatCase{"0;-0;无", 0, "无"},
                      FormatCase{"#", 0, ""}, FormatCase{"没有占位", 5, "没有占位"}));

TEST(DisplayFormat, CountWithoutFormatIsTheBareNumber)
{
    EXPECT_EQ(TcxGridDBTableView::FormatCount(QString(), 42), QString("42"));
    EXPECT_EQ(TcxGridDBTableView::FormatCount(QString::fromUtf8("记录数: 0"), 100000), QString::fromUtf8("记录数: 100000"));
}

TEST(StoredColours, LowestByteIsRed)
{
    EXPECT_EQ(colorFromTColor(16510676), QColor(212, 238, 251));
    EXPECT_EQ(colorFromTColor(16776176), QColor(240, 251, 255));
    EXPECT_EQ(colorFromTColor(0x0000FF), QColor(255, 0, 0));
}

class LookupIndexTest : public ::testing::Test
{
protected:
    data::ClientDataSet list;
    TcxLookupIndex index;

    void SetUp() override
    {
        list.SetData(data::DataPacket{{fieldDef("Id", data::FieldType::Integer), fieldDef("Name"), fieldDef("Kind")},
                                      {{qint64(1), "Alpha", "x"},
                                       {qint64(2), "Beta", "y"},
                                       {qint64(2), "Second two", "y"},
                                       {QVariant(), "Nameless", "z"}}});
        index.setDataSet(&list);
        index.setKeyFieldNames("Id");
        index.setListFieldNames("Name;Kind");
    }
};

TEST_F(LookupIndexTest, FindsRowsByKeyOfAnyNumericForm)
{
    EXPECT_EQ(index.rowOfKey(qint64(1)), 0);
    EXPECT_EQ(index.rowOfKey(QVariant(1.0)), 0);
    EXPECT_EQ(index.rowOfKey(QString("2")), 1);  // the first row wins
    EXPECT_EQ(index.listTextOf(2), QString("Beta"));
    EXPECT_EQ(index.rowOfKey(3), -1);
    EXPECT_EQ(index.rowOfKey(QVariant()), -1);  // null keys never match
    EXPECT_EQ(index.listTextOf(QVariant()), QString());
    EXPECT_EQ(index.rowOfListText("BETA"), 1);
    EXPECT_EQ(index.keyOfRow(1), QVariant(qint64(2)));
    EXPECT_FALSE(index.keyOfRow(9).isValid());
}

TEST_F(LookupIndexTest, FollowsChangesOfTheList)
{
    EXPECT_EQ(index.listTextOf(1), QString("Alpha"));
    list.First();
    list.Edit();
    list.FieldByName("Name")->SetAsString("Changed");
    list.Post();
    EXPECT_EQ(index.listTextOf(1), QString("Changed"));

    list.SetFilter("Kind = 'y'");
    list.SetFiltered(true);
    EXPECT_EQ(index.rowOfKey(1), -1);
    EXPECT_EQ(index.rowOfKey(2), 0);
    list.SetFiltered(false);
    EXPECT_EQ(index.rowOfKey(1), 0);

    list.Close();
    EXPECT_EQ(index.rowOfKey(1), -1);
}

TEST_F(LookupIndexTest, KeysOfSeveralFields)
{
    index.setKeyFieldNames("Id; Kind");
    EXPECT_EQ(index.rowOfKey(QVariantList{qint64(2), "y"}), 1);
    EXPECT_EQ(index.rowOfKey(QVariantList{qint64(1), "y"}), -1);
    EXPECT_EQ(index.keyOfRow(0), QVariant(QVariantList{qint64(1), "x"}));
    index.setKeyFieldNames("Id;Missing");
    EXPECT_EQ(index.rowOfKey(QVariantList{qint64(1), "x"}), -1);
}

} // namespace
