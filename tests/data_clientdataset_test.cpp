// Loading, navigation, editing, locate and notifications of the client dataset.

#include <gtest/gtest.h>

#include <QSignalSpy>

#include <functional>

#include "ClientDataSet.h"
#include "ColumnStore.h"
#include "DataSource.h"
#include "LumoError.h"
#include "data_fixtures.h"

using namespace data;
using datatest::columnTexts;
using datatest::def;
using datatest::packet;

namespace {

DataPacket users(int n)
{
    DataPacket p{{def("UserCode", FieldType::String, 20), def("UserName", FieldType::WideString, 50),
                  def("Grade", FieldType::Integer)},
                 {}};
    for (int i = 1; i <= n; ++i)
        p.rows.append({QVariant(QStringLiteral("U%1").arg(i)), QVariant(QStringLiteral("用户%1").arg(i)),
                       QVariant(qint64(i % 3))});
    return p;
}

} // namespace

// --- loading ---------------------------------------------------------------

TEST(DataClientDataSet, RepeatedColumnNamesOfAJoinAreNumbered)
{
    // Select * From p_User, P_YlFwDw: both tables have OrgCode and Spell.
    ClientDataSet ds;
    ds.SetData(packet({def("UserCode"), def("OrgCode"), def("Spell"), def("ORGCODE"), def("OrgName"),
                       def("spell"), def("OrgCode"), def("OrgCode_1")},
                      {{"u1", "o1", "s1", "o2", "n", "s2", "o3", "x"}}));
    QStringList names;
    for (const auto &f : ds.Fields())
        names << f->FieldName();
    EXPECT_EQ(names, QStringList({"UserCode", "OrgCode", "Spell", "ORGCODE_1", "OrgName", "spell_1", "OrgCode_2",
                                  "OrgCode_1_1"}));
    EXPECT_EQ(ds.FieldByName("orgcode")->AsString(), "o1");
    EXPECT_EQ(ds.FieldByName("OrgCode_1")->AsString(), "o2");
    EXPECT_EQ(ds.FieldByName("OrgCode_2")->AsString(), "o3");

    const DataPacket back = ds.Data();
    ASSERT_EQ(back.fields.size(), 8);
    EXPECT_EQ(back.fields[3].name, "ORGCODE_1");
    EXPECT_EQ(back.rows, QVector<QVector<QVariant>>({{"u1", "o1", "s1", "o2", "n", "s2", "o3", "x"}}));
}

TEST(DataClientDataSet, FieldByNameIsCaseInsensitiveAndNamesAMissingField)
{
    ClientDataSet ds;
    ds.SetData(users(1));
    EXPECT_EQ(ds.FieldByName("usercode"), ds.FindField("USERCODE"));
    EXPECT_EQ(ds.FindField("Nope"), nullptr);
    try {
        ds.FieldByName("Nope");
        FAIL();
    } catch (const LumoError &e) {
        EXPECT_TRUE(e.message().contains("Nope"));
    }
}

TEST(DataClientDataSet, CreateDataSetOpensWithNoRows)
{
    ClientDataSet ds;
    EXPECT_FALSE(ds.Active());
    ds.CreateDataSet({def("A"), def("N", FieldType::Integer)});
    EXPECT_TRUE(ds.Active());
    EXPECT_EQ(ds.State(), DataSetState::Browse);
    EXPECT_TRUE(ds.IsEmpty());
    EXPECT_TRUE(ds.Eof());
    EXPECT_TRUE(ds.Bof());
    EXPECT_EQ(ds.RecNo(), 0);
    EXPECT_TRUE(ds.FieldByName("A")->IsNull());
}

TEST(DataClientDataSet, ReloadWithSameLayoutKeepsFieldObjects)
{
    ClientDataSet ds;
    ds.SetData(users(2));
    Field *f = ds.FieldByName("UserName");
    ds.SetData(users(3));
    EXPECT_EQ(ds.FieldByName("UserName"), f);
    EXPECT_EQ(f->AsString(), "用户1");
}

TEST(DataClientDataSet, CloseDropsEverything)
{
    ClientDataSet ds;
    ds.SetData(users(2));
    ds.Close();
    EXPECT_FALSE(ds.Active());
    EXPECT_EQ(ds.FieldCount(), 0);
    EXPECT_EQ(ds.RecordCount(), 0);
    EXPECT_TRUE(ds.Eof());
    EXPECT_THROW(ds.First(), LumoError);
    EXPECT_THROW(ds.Append(), LumoError);
}

// --- navigation ------------------------------------------------------------

TEST(DataClientDataSet, NextPastTheLastRowSetsEofAndStays)
{
    ClientDataSet ds;
    ds.SetData(users(3));
    EXPECT_TRUE(ds.Bof());
    EXPECT_FALSE(ds.Eof());
    EXPECT_EQ(ds.RecNo(), 1);
    QStringList seen;
    while (!ds.Eof()) {
        seen << ds.FieldByName("UserCode")->AsString();
        ds.Next();
    }
    EXPECT_EQ(seen, QStringList({"U1", "U2", "U3"}));
    EXPECT_EQ(ds.RecNo(), 3);
    EXPECT_EQ(ds.FieldByName("UserCode")->AsString(), "U3");
    EXPECT_FALSE(ds.Bof());

    ds.Prior();
    EXPECT_FALSE(ds.Eof());
    EXPECT_EQ(ds.RecNo(), 2);
    ds.Prior();
    ds.Prior();
    EXPECT_TRUE(ds.Bof());
    EXPECT_EQ(ds.RecNo(), 1);

    ds.Last();
    EXPECT_TRUE(ds.Eof());
    EXPECT_EQ(ds.RecNo(), 3);
    ds.SetRecNo(2);
    EXPECT_FALSE(ds.Eof());
    EXPECT_FALSE(ds.Bof());
    EXPECT_EQ(ds.FieldByName("UserCode")->AsString(), "U2");
    ds.SetRecNo(99);  // out of range: stays
    EXPECT_EQ(ds.RecNo(), 2);
}

TEST(DataClientDataSet, EmptyDataSetIsAtBothEnds)
{
    ClientDataSet ds;
    ds.SetData(users(0));
    for (auto move : {&ClientDataSet::First, &ClientDataSet::Next, &ClientDataSet::Prior, &ClientDataSet::Last}) {
        (ds.*move)();
        EXPECT_TRUE(ds.Eof());
        EXPECT_TRUE(ds.Bof());
        EXPECT_EQ(ds.RecNo(), 0);
    }
    EXPECT_TRUE(ds.FieldByName("UserCode")->IsNull());
    EXPECT_THROW(ds.Delete(), LumoError);
}

TEST(DataClientDataSet, SingleRow)
{
    ClientDataSet ds;
    ds.SetData(users(1));
    EXPECT_TRUE(ds.Bof());
    EXPECT_FALSE(ds.Eof());
    ds.Next();
    EXPECT_TRUE(ds.Eof());
    EXPECT_FALSE(ds.Bof());
    EXPECT_EQ(ds.RecNo(), 1);
}

// --- editing ---------------------------------------------------------------

TEST(DataClientDataSet, AppendPostAndCancel)
{
    ClientDataSet ds;
    ds.SetData(users(2));
    ds.Append();
    EXPECT_EQ(ds.State(), DataSetState::Insert);
    EXPECT_EQ(ds.RecNo(), 3);
    EXPECT_TRUE(ds.FieldByName("UserCode")->IsNull());
    ds.FieldByName("UserCode")->SetAsString("U9");
    EXPECT_EQ(ds.valueAt(2, 0), QVariant("U9"));  // views see the buffer
    EXPECT_EQ(ds.Data().rows.size(), 2);          // not stored before Post
    ds.Post();
    EXPECT_EQ(ds.State(), DataSetState::Browse);
    EXPECT_EQ(ds.RecordCount(), 3);
    EXPECT_EQ(ds.Data().rows.last().first(), QVariant("U9"));

    ds.SetRecNo(1);
    ds.Append();
    ds.FieldByName("UserCode")->SetAsString("gone");
    ds.Cancel();
    EXPECT_EQ(ds.State(), DataSetState::Browse);
    EXPECT_EQ(ds.RecordCount(), 3);
    EXPECT_EQ(ds.RecNo(), 1);
    EXPECT_EQ(columnTexts(ds, "UserCode"), QStringList({"U1", "U2", "U9"}));
}

// Leaving an appended row that nobody filled in drops it, whatever moves the
// cursor; a row with a value set is posted as before.
TEST(DataClientDataSet, AppendedRowLeftUntouchedIsDropped)
{
    const QList<QPair<const char *, std::function<void(ClientDataSet &)>>> moves{
        {"First", [](ClientDataSet &ds) { ds.First(); }},
        {"Prior", [](ClientDataSet &ds) { ds.Prior(); }},
        {"Next", [](ClientDataSet &ds) { ds.Next(); }},
        {"Last", [](ClientDataSet &ds) { ds.Last(); }},
        {"SetRecNo", [](ClientDataSet &ds) { ds.SetRecNo(1); }},
        {"Append", [](ClientDataSet &ds) { ds.Append(); ds.FieldByName("UserCode")->SetAsString("U9"); ds.Post(); }},
        {"Locate", [](ClientDataSet &ds) { ds.Locate("UserCode", "U1"); }},
        {"Filter", [](ClientDataSet &ds) { ds.SetFilter("UserCode <> 'x'"); ds.SetFiltered(true); }},
    };
    for (const auto &move : moves) {
        SCOPED_TRACE(move.first);
        ClientDataSet ds;
        ds.SetData(users(2));
        ds.Append();
        move.second(ds);
        EXPECT_EQ(ds.State(), DataSetState::Browse);
        EXPECT_EQ(ds.Data().rows.size(), move.first == QLatin1String("Append") ? 3 : 2);
        EXPECT_FALSE(columnTexts(ds, "UserCode").contains(QString()));

        ds.Append();
        ds.FieldByName("Grade")->SetAsString("");  // setting a value counts, even an empty one
        move.second(ds);
        EXPECT_EQ(ds.Data().rows.size(), move.first == QLatin1String("Append") ? 5 : 3);
    }
    ClientDataSet posted;
    posted.SetData(users(1));
    posted.Append();
    posted.Post();  // an explicit Post keeps the blank row
    EXPECT_EQ(posted.RecordCount(), 2);
}

TEST(DataClientDataSet, EditCancelRestoresAndNavigationPosts)
{
    ClientDataSet ds;
    ds.SetData(users(2));
    ds.Edit();
    ds.FieldByName("UserName")->SetAsString("changed");
    EXPECT_EQ(ds.Data().rows[0][1], QVariant("用户1"));  // the stored row is untouched until Post
    ds.Cancel();
    EXPECT_EQ(ds.FieldByName("UserName")->AsString(), "用户1");

    ds.Edit();
    ds.FieldByName("UserName")->SetAsString("posted by Next");
    ds.Next();
    EXPECT_EQ(ds.State(), DataSetState::Browse);
    ds.First();
    EXPECT_EQ(ds.FieldByName("UserName")->AsString(), "posted by Next");
}

TEST(DataClientDataSet, EditOnEmptyDataSetAppends)
{
    ClientDataSet ds;
    ds.CreateDataSet({def("A")});
    ds.Edit();
    EXPECT_EQ(ds.State(), DataSetState::Insert);
    ds.FieldByName("A")->SetAsString("x");
    ds.Post();
    EXPECT_EQ(ds.RecordCount(), 1);
}

TEST(DataClientDataSet, DeleteMovesToTheNextRowAndEmptiesInALoop)
{
    ClientDataSet ds;
    ds.SetData(users(3));
    ds.SetRecNo(2);
    ds.Delete();
    EXPECT_EQ(ds.FieldByName("UserCode")->AsString(), "U3");
    ds.Delete();  // the last row: the cursor falls back to the new last
    EXPECT_EQ(ds.FieldByName("UserCode")->AsString(), "U1");
    EXPECT_EQ(ds.RecordCount(), 1);

    ds.SetData(users(4));
    ds.First();
    while (!ds.Eof())
        ds.Delete();
    EXPECT_TRUE(ds.IsEmpty());
    EXPECT_TRUE(ds.Bof());
}

TEST(DataClientDataSet, DeleteWhileInsertingCancelsTheInsert)
{
    ClientDataSet ds;
    ds.SetData(users(2));
    ds.Append();
    ds.Delete();
    EXPECT_EQ(ds.RecordCount(), 2);
    EXPECT_EQ(ds.State(), DataSetState::Browse);
}

// --- locate ----------------------------------------------------------------

TEST(DataClientDataSet, LocateExactByDefault)
{
    ClientDataSet ds;
    ds.SetData(packet({def("ModFunTyp", FieldType::Integer), def("ModFunID", FieldType::Integer),
                       def("Name")},
                      {{qint64(1), qint64(254), "Ab"}, {qint64(3), qint64(2540), "abc"},
                       {qint64(3), qint64(254), "ABC"}}));
    EXPECT_TRUE(ds.Locate("ModFunID", QStringLiteral("254")));
    EXPECT_EQ(ds.RecNo(), 1);
    EXPECT_TRUE(ds.Locate("ModFunTyp;ModFunID", QVariantList{3, QStringLiteral("254")}));
    EXPECT_EQ(ds.RecNo(), 3);
    EXPECT_FALSE(ds.Locate("ModFunID", QStringLiteral("25")));
    EXPECT_EQ(ds.RecNo(), 3);  // a miss leaves the cursor alone
    EXPECT_FALSE(ds.Locate("ModFunID", QStringLiteral("x")));
    EXPECT_FALSE(ds.Locate("Name", QStringLiteral("abC")));
    EXPECT_TRUE(ds.Locate("Name", QStringLiteral("abc")));
    EXPECT_EQ(ds.RecNo(), 2);
}

TEST(DataClientDataSet, LocateOptions)
{
    ClientDataSet ds;
    ds.SetData(packet({def("Name"), def("Id", FieldType::Integer)},
                      {{"Zhang San", qint64(10)}, {"zhang si", qint64(205)}, {"Li", qint64(20)}}));
    EXPECT_FALSE(ds.Locate("Name", QStringLiteral("zhang")));
    EXPECT_TRUE(ds.Locate("Name", QStringLiteral("zhang"), loPartialKey));
    EXPECT_EQ(ds.RecNo(), 2);
    EXPECT_TRUE(ds.Locate("name", QStringLiteral("ZHANG"), loPartialKey | loCaseInsensitive));
    EXPECT_EQ(ds.RecNo(), 1);
    EXPECT_TRUE(ds.Locate("Name", QStringLiteral("LI"), loCaseInsensitive));
    EXPECT_EQ(ds.RecNo(), 3);
    EXPECT_FALSE(ds.Locate("Name", QStringLiteral("L"), loCaseInsensitive));
    EXPECT_TRUE(ds.Locate("Id", QStringLiteral("20"), loPartialKey));
    EXPECT_EQ(ds.RecNo(), 2);
    EXPECT_THROW(ds.Locate("Missing", QStringLiteral("x")), LumoError);
    EXPECT_THROW(ds.Locate("Name;Id", QStringLiteral("x")), LumoError);
}

TEST(DataClientDataSet, LocateTextFieldAgainstANumberAndNulls)
{
    ClientDataSet ds;
    ds.SetData(packet({def("ModFunID"), def("Note")},
                      {{"0254", "a"}, {"254", QVariant()}, {QVariant(), "c"}}));
    EXPECT_TRUE(ds.Locate("ModFunID", 254));  // the number's text, exactly
    EXPECT_EQ(ds.RecNo(), 2);
    EXPECT_TRUE(ds.Locate("ModFunID", QVariant()));
    EXPECT_EQ(ds.RecNo(), 3);
    EXPECT_FALSE(ds.Locate("Note", QStringLiteral("")));
}

TEST(DataClientDataSet, LocateSeesOnlyVisibleRows)
{
    ClientDataSet ds;
    ds.SetData(packet({def("T", FieldType::Integer), def("Id")}, {{qint64(1), "7"}, {qint64(3), "7"}}));
    ds.SetFilter("T = 3");
    ds.SetFiltered(true);
    ASSERT_TRUE(ds.Locate("Id", QStringLiteral("7")));
    EXPECT_EQ(ds.FieldByName("T")->AsInteger(), 3);
}

// --- notifications ---------------------------------------------------------

TEST(DataClientDataSet, SignalsAndDisabledControls)
{
    ClientDataSet ds;
    QSignalSpy data(&ds, &ClientDataSet::dataChanged);
    QSignalSpy scrolled(&ds, &ClientDataSet::scrolled);
    QSignalSpy state(&ds, &ClientDataSet::stateChanged);
    QSignalSpy record(&ds, &ClientDataSet::recordChanged);
    ds.SetData(users(3));
    EXPECT_EQ(data.count(), 1);
    EXPECT_EQ(state.count(), 1);
    ds.Next();
    EXPECT_GE(scrolled.count(), 1);
    ds.Edit();
    EXPECT_EQ(state.count(), 2);
    ds.FieldByName("UserName")->SetAsString("x");
    EXPECT_EQ(record.count(), 1);
    ds.Post();
    EXPECT_EQ(state.count(), 3);

    data.clear();
    scrolled.clear();
    ds.DisableControls();
    ds.DisableControls();
    EXPECT_TRUE(ds.ControlsDisabled());
    ds.First();
    ds.Next();
    ds.SetFilter("Grade = 1");
    ds.SetFiltered(true);
    ds.EnableControls();
    EXPECT_EQ(data.count(), 0);
    ds.EnableControls();
    EXPECT_FALSE(ds.ControlsDisabled());
    EXPECT_EQ(data.count(), 1);
    EXPECT_EQ(scrolled.count(), 0);
    ds.EnableControls();  // unbalanced: ignored
    EXPECT_EQ(data.count(), 1);
}

TEST(DataDataSource, PassesSignalsOnAndFollowsItsDataSet)
{
    ClientDataSet a;
    auto *b = new ClientDataSet;
    DataSource src;
    QSignalSpy changed(&src, &DataSource::dataSetChanged);
    QSignalSpy scrolled(&src, &DataSource::scrolled);
    a.SetData(users(2));
    b->SetData(users(2));
    src.SetDataSet(&a);
    EXPECT_EQ(changed.count(), 1);
    src.SetDataSet(&a);
    EXPECT_EQ(changed.count(), 1);
    a.Next();
    EXPECT_EQ(scrolled.count(), 1);
    src.SetDataSet(b);
    EXPECT_EQ(changed.count(), 2);
    a.First();  // no longer connected
    EXPECT_EQ(scrolled.count(), 1);
    b->Next();
    EXPECT_EQ(scrolled.count(), 2);
    delete b;
    EXPECT_EQ(src.DataSet(), nullptr);
    EXPECT_EQ(changed.count(), 3);
}

// --- views -----------------------------------------------------------------

TEST(DataClientDataSet, ValueAtAndRowOfViewFollowTheFilter)
{
    ClientDataSet ds;
    ds.SetData(users(6));
    ds.SetFilter("Grade = 0");
    ds.SetFiltered(true);
    ASSERT_EQ(ds.RecordCount(), 2);
    EXPECT_EQ(ds.valueAt(0, 0), QVariant("U3"));
    EXPECT_EQ(ds.valueAt(1, 0), QVariant("U6"));
    EXPECT_EQ(ds.rowOfView(1), 5);
    EXPECT_EQ(ds.rowOfView(2), -1);
    EXPECT_FALSE(ds.valueAt(2, 0).isValid());
    EXPECT_FALSE(ds.valueAt(0, 9).isValid());
}

// --- the stored rows ----------------------------------------------------------

// Whatever kind a value has, and whatever came before it in its column, it
// reads back as it was stored, also after rows around it are replaced or go,
// with texts packed or shared.
class DataColumnStore : public testing::TestWithParam<ColumnStore::Texts>
{
};

INSTANTIATE_TEST_SUITE_P(Texts, DataColumnStore, testing::Values(ColumnStore::Texts::Packed, ColumnStore::Texts::Shared));

TEST_P(DataColumnStore, ValuesReadBackExactlyAsStored)
{
    const QDateTime utc(QDate(2024, 1, 5), QTime(9, 30), Qt::UTC);
    const QVector<QVector<QVariant>> rows = {
        {QStringLiteral("U1"), qint64(-7), 2.5, true, QDate(2024, 2, 29), QDateTime(QDate(2024, 1, 5), QTime(9, 30, 15, 123)), QTime(23, 59), QByteArray("\0\1", 2)},
        {QString(), QVariant(), QVariant(), false, QVariant(), utc, QVariant(), QByteArray()},
        {QStringLiteral(""), QStringLiteral("七"), qint64(3), QStringLiteral("x"), QDate(), QVariant(), QTime(0, 0), QByteArray("")},
        {QStringLiteral("U1"), qint64(1) << 40, -0.0, QVariant(), QDate(1, 1, 1), QDateTime(QDate(1899, 12, 30), QTime(0, 0)), QVariant(), QVariant()},
        {QStringLiteral("中文代码很长的一段文字, 比共享的最长的文字还要更长一些"), qint64(0), 1e300, true, QDate(9999, 12, 31), QVariant(), QTime(12, 0, 0, 1), QByteArray(3, '\xff')},
    };
    ColumnStore store;
    store.reset(8, GetParam());
    for (const auto &row : rows)
        store.appendRow(row);
    QVector<QVector<QVariant>> expected = rows;
    const auto check = [&](const char *when) {
        ASSERT_EQ(store.rowCount(), expected.size()) << when;
        for (int r = 0; r < expected.size(); ++r) {
            for (int c = 0; c < 8; ++c) {
                const QVariant v = store.value(r, c);
                EXPECT_EQ(v.typeId(), expected[r][c].typeId()) << when << " row " << r << " column " << c;
                EXPECT_EQ(v, expected[r][c]) << when << " row " << r << " column " << c;
                if (expected[r][c].typeId() == QMetaType::QString)
                    EXPECT_EQ(v.toString().isNull(), expected[r][c].toString().isNull()) << when << " row " << r;
            }
            const QVariant &text = expected[r][0];
            EXPECT_EQ(store.text(r, 0).toString(), text.toString());
            EXPECT_EQ(store.text(r, 0).isNull(), text.toString().isNull()) << when << " row " << r;
        }
    };
    check("loaded");
    store.setRow(1, rows[0]);
    expected[1] = rows[0];
    check("replaced");
    store.removeRow(0);
    expected.removeAt(0);
    check("removed");
    store.setUtf8(0, 0, "\xe4\xb8\xad\xff", 4);
    expected[0][0] = QString::fromUtf8("\xe4\xb8\xad\xff", 4);
    store.setLocalDateTime(1, 5, QDate(2024, 3, 1), QTime(8, 0));
    expected[1][5] = QDateTime(QDate(2024, 3, 1), QTime(8, 0));
    check("set one by one");
}

// Rows a reader hands over column by column read, copy and change as the same
// rows held as row vectors; a dataset takes the columns over with every value.
TEST(DataPacketRows, RowsHeldByColumnAreTheRowsTheyWereMadeFrom)
{
    const QVector<QVector<QVariant>> rows = {
        {QStringLiteral("U1"), qint64(-7), QDateTime(QDate(2024, 1, 5), QTime(9, 30, 15, 123)), QVariant()},
        {QString(), QVariant(), QVariant(), QStringLiteral("七")},
        {QStringLiteral(""), qint64(1) << 40, QDateTime(QDate(1899, 12, 30), QTime(0, 0)), QStringLiteral("x")},
    };
    const auto heldByColumn = [&] {
        auto store = std::make_unique<ColumnStore>();
        store->reset(4);
        for (const auto &row : rows)
            store->appendRow(row);
        return PacketRows(std::move(store));
    };
    const QVector<FieldDef> fields = {{QStringLiteral("Code"), FieldType::String, 10},
                                      {QStringLiteral("N"), FieldType::Largeint, 0},
                                      {QStringLiteral("At"), FieldType::DateTime, 0},
                                      {QStringLiteral("Name"), FieldType::String, 10}};

    PacketRows read = heldByColumn();
    EXPECT_EQ(read.size(), 3);
    EXPECT_TRUE(read.heldByColumn());  // counting rows does not make them
    const PacketRows copy = read;
    EXPECT_EQ(read, rows);
    EXPECT_FALSE(read.heldByColumn());
    EXPECT_EQ(copy, rows);
    read.append(rows[0]);
    read[1][0] = QStringLiteral("U2");
    EXPECT_EQ(read.size(), 4);
    EXPECT_EQ(read.at(1).at(0), QStringLiteral("U2"));

    for (PacketRows packetRows : {heldByColumn(), PacketRows(rows)}) {
        ClientDataSet ds;
        ds.SetData(DataPacket{fields, std::move(packetRows)});
        ASSERT_EQ(ds.RecordCount(), 3);
        for (int r = 0; r < 3; ++r) {
            for (int c = 0; c < 4; ++c)
                EXPECT_EQ(ds.valueAt(r, c), rows[r][c]) << "row " << r << " column " << c;
        }
    }
}
