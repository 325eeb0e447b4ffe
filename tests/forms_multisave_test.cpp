// The health-record dialogs over a master and two detail tables: the exact
// statements of add and edit and their order inside the one HR transaction,
// the detail keys, failures at each step, the birthday check, the row
// numbers of a list grid and the detail key counter.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <functional>
#include <memory>

#include "FormFactory.h"
#include "LumoError.h"
#include "ModuleClock.h"
#include "TcxEditStyleController.h"
#include "TcxGridDBTableView.h"
#include "TestEditDialogs.h"
#include "TestHostObjects.h"

using namespace testdialogs;
using Reply = RecordingSession::Reply;

namespace {

QString masterSelect(const QString &key)
{
    return QStringLiteral(" Select *  From TMaster Where MKey = '%1' ").arg(key);
}
QString detailASelect(const QString &key)
{
    return QStringLiteral(" Select * From TDetailA Where MKey = '%1' Order By DKey").arg(key);
}
QString detailBSelect(const QString &key)
{
    return QStringLiteral(" Select * From TDetailB Where MKey = '%1' Order By BKey").arg(key);
}
QString insertA(const QString &key, const QString &master, const QString &item)
{
    return QStringLiteral(" Insert Into TDetailA With(RowLock) (  DKey , MKey , Item , OrgCode ) "
                          "Values (  '%1' , %2 , '%3' , 'ORG1')  ").arg(key, master, item);
}
QString insertB(const QString &key, const QString &master)
{
    return QStringLiteral(" Insert Into TDetailB With(RowLock) (  BKey , MKey , Note , OrgCode , InpPerCode , InpDate ) "
                          "Values (  '%1' , %2 , 'n1' , 'ORG1' , 'U01' , '%3')  ").arg(key, master, StampText);
}

class MultiDialog : public ::testing::Test
{
protected:
    void SetUp() override
    {
        host.session.OrgCode = QStringLiteral("ORG1");
        host.session.UserCode = QStringLiteral("U01");
        scriptRows(QString(), {}, {{QVariant(), QVariant(), "a", QVariant()}, {QVariant(), QVariant(), "b", QVariant()}},
                   {{QVariant(), QVariant(), "n1", QVariant(), QVariant(), QVariant()}});
        dialog.reset(CreateForm<TestMultiDialog>());
    }

    void scriptRows(const QString &key, const QVector<QVector<QVariant>> &master,
                    const QVector<QVector<QVariant>> &a, const QVector<QVector<QVariant>> &b)
    {
        host.session.when(masterSelect(key), Reply::ofPacket(RecordingSession::packet(masterFields(), master)));
        host.session.when(detailASelect(key), Reply::ofPacket(RecordingSession::packet(detailAFields(), a)));
        host.session.when(detailBSelect(key), Reply::ofPacket(RecordingSession::packet(detailBFields(), b)));
    }

    void open(const QString &key = QString())
    {
        if (!key.isNull())
            dialog->SetKeyValue(key);
        dialog->FormShow(dialog.get());
        TestMultiDialog::type(dialog->EdtName, QStringLiteral("甲"));
        TestMultiDialog::type(dialog->EdtMemo, QStringLiteral("乙"));
        loaded = int(host.session.calls().size());
    }

    ScopedModuleClock clock{testNow};
    TestHost host;
    std::unique_ptr<TestMultiDialog, void (*)(QWidget *)> dialog{nullptr, DestroyForm};
    int loaded = 0;
};

} // namespace

TEST_F(MultiDialog, AddMakesTwoMasterKeysAndCountsDetailKeysPerTable)
{
    open();
    EXPECT_EQ(host.session.statements(QStringLiteral("OpenHrData")),
              QStringList({masterSelect(""), detailASelect(""), detailBSelect("")}));
    // The master's key search answers "none" first, then the first key, as if
    // another save had stored it in between.
    host.session.queuePacket(RecordingSession::packet({{"ID", data::FieldType::String, 20}}));
    host.session.queuePacket(RecordingSession::packet({{"ID", data::FieldType::String, 20}}, {{Stamp + "001"}}));

    ASSERT_TRUE(dialog->SaveData());
    EXPECT_EQ(slotsFrom(host.session, loaded),
              QStringList({"BeginHrTrans", "OpenHrQuery", "ReplacePlaceholder",       // the save's key
                           "OpenHrQuery", "ReplacePlaceholder", "ExecHrSql",            // master with the second key
                           "ExecHrSql", "OpenHrQuery", "ReplacePlaceholder", "ExecHrSql", "ReplacePlaceholder", "ExecHrSql",
                           "ExecHrSql", "OpenHrQuery", "ReplacePlaceholder", "ExecHrSql", "CommitHrTrans"}));
    const QString master = Stamp + "002";
    EXPECT_EQ(execsFrom(host.session, loaded, "ExecHrSql"),
              QStringList({QStringLiteral(" Insert Into TMaster With(RowLock) (  MKey , Name , Memo , OrgCode , InpPerCode , InpDate ) "
                                          "Values (  '%1' , '甲' , '乙' , 'ORG1' , 'U01' , '%2')  ").arg(master, StampText),
                           "", insertA(Stamp + "001", "Null", "a"), insertA(Stamp + "002", "Null", "b"),
                           "", insertB(Stamp + "001", "Null")}));
    EXPECT_EQ(dialog->FKeyValue, master) << "the second key is the one written";
    EXPECT_EQ(host.dispatch.prompts(), QStringList({"数据保存成功!"}));
}

TEST_F(MultiDialog, WithoutCurRecOnlyEachNewRowGetsItsOwnKeyInOneBatch)
{
    dialog->FDetailCurRecOnly = false;
    open();
    dialog->FCDSDetail->Append();
    dialog->FCDSDetail->FieldByName("Item")->SetAsString("c");
    dialog->FCDSDetail->Post();
    dialog->FCDSDetail->Append();  // left untouched: dropped, not saved with a key

    ASSERT_TRUE(dialog->SaveData());
    const QStringList execs = execsFrom(host.session, loaded, "ExecHrSql");
    ASSERT_EQ(execs.size(), 5);
    EXPECT_EQ(execs[2], " " + insertA(Stamp + "001", "Null", "a") + " " + insertA(Stamp + "002", "Null", "b") + " "
                            + insertA(Stamp + "003", "Null", "c"));
    EXPECT_EQ(dialog->FCDSDetail->RecordCount(), 3);
}

TEST_F(MultiDialog, EditDeletesByTheLinkFieldsAndInsertsEveryRowAgain)
{
    scriptRows("K1", {{"K1", "旧", "m", "X", "Y", QVariant()}},
               {{"D1", "K1", "a", QVariant()}, {QVariant(), "K1", "b", QVariant()}},
               {{"B1", "K1", "n1", QVariant(), QVariant(), QVariant()}});
    dialog->FPKeyField = QStringLiteral("MKey, Name");  // two link fields
    open(QStringLiteral("K1"));

    ASSERT_TRUE(dialog->SaveData());
    EXPECT_EQ(slotsFrom(host.session, loaded),
              QStringList({"BeginHrTrans", "ExecHrSql", "ExecHrSql", "ExecHrSql", "OpenHrQuery", "ReplacePlaceholder",
                           "ExecHrSql", "ExecHrSql", "ExecHrSql", "CommitHrTrans"}));
    const QString where = QStringLiteral(" Where 1= 1  And MKey  = 'K1' And Name  = '甲'");
    EXPECT_EQ(execsFrom(host.session, loaded, "ExecHrSql"),
              QStringList({QStringLiteral(" UpDate TMaster With(RowLock) Set Name = '甲' , Memo = '乙' , OrgCode = 'ORG1' , "
                                          "InpPerCode = 'U01' , InpDate = '%1'   Where 1 = 1  And MKey = 'K1'  ").arg(StampText),
                           " Delete From TDetailA" + where, insertA("D1", "'K1'", "a"), insertA(Stamp + "001", "'K1'", "b"),
                           " Delete From TDetailB" + where, insertB("B1", "'K1'")}));
    EXPECT_EQ(dialog->FKeyValue, QStringLiteral("K1"));
}

// How to make one step fail, and the calls after the load.
struct MultiFailure
{
    const char *step;
    std::function<void(TestMultiDialog &, RecordingSession &)> arrange;
    QStringList calls;
    QString reason = QString();  // shown under the failure text
};

static void PrintTo(const MultiFailure &failure, std::ostream *os)
{
    *os << failure.step;
}

class MultiFailureTest : public MultiDialog, public ::testing::WithParamInterface<MultiFailure>
{
};

TEST_P(MultiFailureTest, RollsBackTheWholeSave)
{
    open();
    GetParam().arrange(*dialog, host.session);
    dialog->FErrorText = QStringLiteral("(附言)");
    EXPECT_FALSE(dialog->SaveData());
    EXPECT_EQ(slotsFrom(host.session, loaded), GetParam().calls);
    EXPECT_EQ(host.session.hrCommits(), 0);
    EXPECT_EQ(dialog->FKeyValue, QStringLiteral("0"));
    const QString reason = GetParam().reason.isEmpty() ? QString() : "\n" + GetParam().reason;
    EXPECT_EQ(host.dispatch.prompts(), QStringList({"数据保存失败!(附言)" + reason}));
    EXPECT_TRUE(dialog->FErrorText.isEmpty());
}

const QStringList kUpToMaster{"BeginHrTrans", "OpenHrQuery", "ReplacePlaceholder", "OpenHrQuery", "ReplacePlaceholder", "ExecHrSql"};

INSTANTIATE_TEST_SUITE_P(
    EachStep, MultiFailureTest,
    ::testing::Values(
        MultiFailure{"stamping", [](TestMultiDialog &d, RecordingSession &) { d.StampOk = false; }, {"RollbackHrTrans"}},
        MultiFailure{"building", [](TestMultiDialog &d, RecordingSession &) { d.BuildOk = false; },
                     {"BeginHrTrans", "OpenHrQuery", "ReplacePlaceholder", "RollbackHrTrans"}},
        MultiFailure{"masterAnswersFalse", [](TestMultiDialog &, RecordingSession &s) { s.execFalseOnCall(1); },
                     kUpToMaster + QStringList{"RollbackHrTrans"}},
        // Exec calls: master, empty delete, first detail row.
        // A key search that fails must not leave the rows with '' as their key.
        MultiFailure{"masterKeySearchFails", [](TestMultiDialog &, RecordingSession &s) { s.failWhen("Select Max\\(MKey\\)"); },
                     {"BeginHrTrans", "OpenHrQuery", "RollbackHrTrans"}, "无法生成新的记录主键"},
        MultiFailure{"detailKeySearchFails", [](TestMultiDialog &, RecordingSession &s) { s.failWhen("Select Max\\(DKey\\)"); },
                     kUpToMaster + QStringList{"ExecHrSql", "OpenHrQuery", "RollbackHrTrans"}, "无法生成新的记录主键"},
        MultiFailure{"detailTableWithoutDataSet", [](TestMultiDialog &d, RecordingSession &) { d.FDetail3.TableName = "TDetailC"; },
                     kUpToMaster + QStringList{"ExecHrSql", "OpenHrQuery", "ReplacePlaceholder", "ExecHrSql", "ReplacePlaceholder",
                                               "ExecHrSql", "ExecHrSql", "OpenHrQuery", "ReplacePlaceholder", "ExecHrSql",
                                               "RollbackHrTrans"}, "明细表 TDetailC 没有数据集"},
        MultiFailure{"detailAnswersFalse", [](TestMultiDialog &, RecordingSession &s) { s.execFalseOnCall(3); },
                     kUpToMaster + QStringList{"ExecHrSql", "OpenHrQuery", "ReplacePlaceholder", "ExecHrSql", "RollbackHrTrans"}},
        MultiFailure{"laterDetailRaises", [](TestMultiDialog &, RecordingSession &s) { s.failWhen("Insert Into TDetailB"); },
                     kUpToMaster + QStringList{"ExecHrSql", "OpenHrQuery", "ReplacePlaceholder", "ExecHrSql", "ReplacePlaceholder",
                                               "ExecHrSql", "ExecHrSql", "OpenHrQuery", "ReplacePlaceholder", "ExecHrSql",
                                               "RollbackHrTrans"}}),
    [](const ::testing::TestParamInfo<MultiFailure> &info) { return std::string(info.param.step); });

TEST_F(MultiDialog, EditingAFailedDeleteInsertsNothing)
{
    scriptRows("K1", {{"K1", "旧", "m", "X", "Y", QVariant()}}, {{"D1", "K1", "a", QVariant()}}, {});
    open(QStringLiteral("K1"));
    host.session.execFalseOnCall(2);
    EXPECT_FALSE(dialog->SaveData());
    EXPECT_EQ(execsFrom(host.session, loaded, "ExecHrSql").size(), 2);
    EXPECT_EQ(host.session.hrRollbacks(), 1);
}

TEST_F(MultiDialog, BirthdayIsCheckedOnlyWithAPersonSource)
{
    open();
    dialog->FCheckDateEdit = dialog->EdtVisitDate;
    dialog->EdtVisitDate->SetDate(QDate(2000, 1, 1));
    EXPECT_TRUE(dialog->CheckData()) << "no person source, no check";

    data::ClientDataSet person;
    person.SetData(RecordingSession::packet({{"Birthday", data::FieldType::Date, 0}}, {{QDate(2001, 3, 4)}}));
    data::DataSource personSource;
    personSource.SetDataSet(&person);
    dialog->FPersonSource = &personSource;
    EXPECT_FALSE(dialog->CheckData());
    EXPECT_EQ(host.dispatch.prompts().last(), QStringLiteral("随访日期不能小于人员的出生日期!请重新输入!"));
    EXPECT_EQ(dialog->EdtVisitDate->StyleController(), dialog->StyCtlError);

    person.Edit();
    person.FieldByName("Birthday")->Clear();
    person.Post();
    EXPECT_TRUE(dialog->CheckData()) << "an empty birthday leaves only today as the bound";
    dialog->EdtVisitDate->SetDate(QDate::currentDate().addDays(1));
    EXPECT_FALSE(dialog->CheckData());
    EXPECT_EQ(host.dispatch.prompts().last(), QStringLiteral("随访日期不能大于系统当前日期!请重新输入!"));
}

TEST_F(MultiDialog, IndicatorCellsOfDataRowsAreNumberedFromOne)
{
    QImage canvas(40, 20, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    QPainter painter(&canvas);
    TcxIndicatorCellInfo cell;
    cell.IsDataRow = false;
    bool done = false;
    dialog->grdvwFamLstCustomDrawIndicatorCell(nullptr, &painter, cell, done);
    EXPECT_FALSE(done) << "the grid draws the other indicator cells";
    cell = TcxIndicatorCellInfo{true, 4, false, true, QRect(0, 0, 40, 20), QFont(), Qt::black, Qt::white};
    dialog->grdvwFamLstCustomDrawIndicatorCell(nullptr, &painter, cell, done);
    EXPECT_TRUE(done);
    painter.end();
    EXPECT_NE(canvas, [] { QImage blank(40, 20, QImage::Format_RGB32); blank.fill(Qt::white); return blank; }());
}

TEST(DetailKeys, CountOnFromTheLastKeyAndKeepEveryCounterDigit)
{
    EXPECT_EQ(nextDetailKey("20240105093015123041"), QStringLiteral("20240105093015123042"));
    EXPECT_EQ(nextDetailKey("20240105093015123999"), QStringLiteral("202401050930151231000"));
    EXPECT_EQ(nextDetailKey("202401050930151231000"), QStringLiteral("202401050930151231001"));
    EXPECT_THROW(nextDetailKey("20240105093015123x01"), data::LumoError);
    EXPECT_THROW(nextDetailKey("2024"), data::LumoError);
    EXPECT_EQ(splitLinkFields(" MKey, Name  Other,"), QStringList({"MKey", "Name", "Other"}));
}
