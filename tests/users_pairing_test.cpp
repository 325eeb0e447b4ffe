#include <gtest/gtest.h>

#include "CodeRowIndex.h"
#include "UserPairing.h"
#include "data_fixtures.h"

using namespace datatest;

namespace {

// Codes as a health-record table may hold them: a repeated code, one in
// another letter case, one with trailing blanks, a null and an empty one.
void fillCodes(data::ClientDataSet &ds)
{
    ds.SetData(packet({def("UserCode")}, {{"a01"}, {"B02"}, {"a01"}, {"A01"}, {"c03  "}, {QVariant()}, {""}, {"b02"}}));
}

} // namespace

// Each key finds the first row of its code as the key compares codes; a row
// put later takes its key over.
TEST(UsersCodeRowIndex, FindsTheFirstRowOfEachKeyAsTheKeyComparesCodes)
{
    struct Case
    {
        bool ignoreCase, ignoreTrailing;
        const char16_t *key;
        int row;
    };
    const Case cases[] = {
        {false, false, u"a01", 0},   {false, false, u"A01", 3},   {false, false, u"b02", 7},
        {false, false, u"c03", -1},  {false, false, u"c03  ", 4}, {false, false, u"", 5},
        {true, false, u"A01", 0},    {true, false, u"b02", 1},    {true, false, u"C03  ", 4},
        {true, false, u"c03", -1},   {false, true, u"c03", 4},    {false, true, u"a01 ", 0},
        {false, true, u"B02", 1},    {true, true, u"C03 ", 4},    {true, true, u"  ", 5},
    };
    data::ClientDataSet ds;
    fillCodes(ds);
    for (const Case &c : cases) {
        CodeRowIndex index(ds, ds.FieldByName("UserCode"), c.ignoreCase, c.ignoreTrailing);
        index.addAllRows();
        EXPECT_EQ(index.find(QStringView(c.key)), c.row)
            << "case " << c.ignoreCase << " blanks " << c.ignoreTrailing << " key " << QStringView(c.key).toString().toStdString();
    }
}

TEST(UsersCodeRowIndex, APutRowTakesItsKeyOverAndTheIndexGrowsWithoutLosingKeys)
{
    data::ClientDataSet ds;
    QVector<QVector<QVariant>> rows;
    for (int i = 0; i < 5000; ++i)
        rows.append({QStringLiteral("u%1").arg(i % 2500)});
    ds.SetData(packet({def("UserCode")}, rows));
    CodeRowIndex index(ds, ds.FieldByName("UserCode"), true, false);
    for (int row = 0; row < 5000; ++row)
        index.put(row);
    for (int i = 0; i < 2500; ++i)
        ASSERT_EQ(index.find(QStringLiteral("U%1").arg(i)), 2500 + i);
    EXPECT_EQ(index.find(u"u2500"), -1);
}

namespace {

void fillUsers(data::ClientDataSet &ds, const QStringList &codes)
{
    QVector<data::FieldDef> fields;
    for (const char *name : {"UserCode", "UserName", "Spell", "FiveStrokes", "OrgCode", "Grade", "ContactType", "Password"})
        fields.append(def(name));
    QVector<QVector<QVariant>> rows;
    for (const QString &code : codes)
        rows.append({code, code + QStringLiteral("名"), "", "", "A1", "3", "", ""});
    ds.SetData(packet(fields, rows));
}

} // namespace

// A code pairs with the health-record user of exactly that code, else with the
// first of the same key, whether the health-record codes are all their own
// keys (digits and capitals) or not.
TEST(UsersUserPairing, PairsACodeWithTheFirstUserOfItsKey)
{
    struct Case
    {
        QStringList target;
        bool ignoreCase, ignoreTrailing;
        QString code;
        int row;
    };
    const QStringList ownKeys{"A01", "B02", "5101"}, mixed{"a01", "A01", "b02 ", "B02"};
    const Case cases[] = {
        {ownKeys, true, false, "a01", 0},  {ownKeys, true, false, "A01", 0},  {ownKeys, true, false, "c03", -1},
        {ownKeys, false, false, "a01", -1}, {ownKeys, false, true, "A01  ", 0}, {ownKeys, true, true, "b02 ", 1},
        {mixed, true, false, "A01", 1},     {mixed, true, false, "a01", 0},     {mixed, true, false, "B02", 3},
        {mixed, true, true, "B02", 3},      {mixed, false, true, "b02", 2},     {mixed, true, false, "c03", -1},
    };
    for (const Case &c : cases) {
        data::ClientDataSet target, source;
        fillUsers(target, c.target);
        fillUsers(source, {c.code});
        UserPairing pairing(target, source, c.ignoreCase, c.ignoreTrailing);
        const auto paired = pairing.findRow(c.code);
        EXPECT_EQ(paired ? paired->row : -1, c.row) << c.code.toStdString() << " in " << c.target.join(',').toStdString();
        if (paired)
            EXPECT_EQ(paired->dataSet, &target);
    }
}
