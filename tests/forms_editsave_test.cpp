// The RCMS add/edit dialog: loading through the key placeholder, the exact
// statements of a save and their order in one RCMS transaction, and what a
// failure at each step leaves behind.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "FormFactory.h"
#include "ModuleClock.h"
#include "LumoError.h"
#include "TcxCheckBox.h"
#include "TcxDBComboBox.h"
#include "TestEditDialogs.h"
#include "TestHostObjects.h"

using namespace testdialogs;

namespace {

const QString kMasterAdd = QStringLiteral(" Select *  From TMaster Where MKey = '' ");
const QString kDetailAdd = QStringLiteral(" Select * From TDetailA Where MKey = '' Order By DKey");

class RcmsDialog : public ::testing::Test
{
protected:
    void SetUp() override
    {
        host.session.OrgCode = QStringLiteral("ORG1");
        host.session.UserCode = QStringLiteral("U01");
        host.session.when(kMasterAdd, RecordingSession::Reply::ofPacket(RecordingSession::packet(masterFields())));
        host.session.when(kDetailAdd, RecordingSession::Reply::ofPacket(RecordingSession::packet(
            detailAFields(), {{QStringLiteral("D1"), QVariant(), QStringLiteral("a"), QVariant()},
                              {QStringLiteral("D2"), QVariant(), QStringLiteral("b"), QVariant()}})));
        dialog.reset(CreateForm<TestRcmsDialog>());
    }

    // Shows for adding (or editing `key`) and types both required editors.
    void open(const QString &key = QString())
    {
        if (!key.isNull())
            dialog->SetKeyValue(key);
        dialog->FormShow(dialog.get());
        TestRcmsDialog::type(dialog->EdtName, QStringLiteral("甲"));
        TestRcmsDialog::type(dialog->EdtMemo, QStringLiteral("乙"));
        loaded = int(host.session.calls().size());
    }

    QString masterInsert(const QString &key) const
    {
        return QStringLiteral(" Insert Into TMaster With(RowLock) (  MKey , Name , Memo , OrgCode , InpPerCode , InpDate ) "
                              "Values (  '%1' , '甲' , '乙' , 'ORG1' , 'U01' , '%2')  ").arg(key, StampText);
    }
    QString detailInserts(const QString &key) const
    {
        return QStringLiteral("  Insert Into TDetailA With(RowLock) (  DKey , MKey , Item , OrgCode ) Values (  'D1' , '%1' , 'a' , 'ORG1')  "
                              "  Insert Into TDetailA With(RowLock) (  DKey , MKey , Item , OrgCode ) Values (  'D2' , '%1' , 'b' , 'ORG1')  ").arg(key);
    }

    ScopedModuleClock clock{testNow};
    TestHost host;
    std::unique_ptr<TestRcmsDialog, void (*)(QWidget *)> dialog{nullptr, DestroyForm};
    int loaded = 0;
};

} // namespace

TEST_F(RcmsDialog, AddBuildsFirstThenMakesTheKeyAndRunsOneBatchInTheTransaction)
{
    open();
    EXPECT_EQ(host.session.statements(QStringLiteral("OpenRcmsData")), QStringList({kMasterAdd, kDetailAdd}));
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("新增测试记录"));

    ASSERT_TRUE(dialog->SaveData());
    EXPECT_EQ(slotsFrom(host.session, loaded),
              QStringList({"BeginRcmsTrans", "OpenRcmsQuery", "ReplacePlaceholder", "ExecRcmsSql", "CommitRcmsTrans"}));
    const QString key = Stamp + QStringLiteral("001");
    // One replacement gives the detail rows' link field the master's new key.
    EXPECT_EQ(execsFrom(host.session, loaded, "ExecRcmsSql"), QStringList({masterInsert(key) + detailInserts(key)}));
    EXPECT_EQ(dialog->FKeyValue, key);
    EXPECT_EQ(host.dispatch.prompts(), QStringList({"数据保存成功!"}));
}

TEST_F(RcmsDialog, EditRunsTheUpdatesWithoutAKey)
{
    host.session.when(QStringLiteral(" Select *  From TMaster Where MKey = 'K1' "),
                      RecordingSession::Reply::ofPacket(RecordingSession::packet(
                          masterFields(), {{"K1", "旧", "m", "X", "Y", QVariant()}})));
    host.session.when(QStringLiteral(" Select * From TDetailA Where MKey = 'K1' Order By DKey"),
                      RecordingSession::Reply::ofPacket(RecordingSession::packet(
                          detailAFields(), {{"D1", "K1", "a", QVariant()}})));
    open(QStringLiteral("  K1 "));
    EXPECT_TRUE(dialog->FIsEdit);
    EXPECT_EQ(dialog->FKeyValue, QStringLiteral("K1"));

    ASSERT_TRUE(dialog->SaveData());
    EXPECT_EQ(slotsFrom(host.session, loaded), QStringList({"BeginRcmsTrans", "ExecRcmsSql", "CommitRcmsTrans"}));
    EXPECT_EQ(execsFrom(host.session, loaded, "ExecRcmsSql"),
              QStringList({QStringLiteral(" UpDate TMaster With(RowLock) Set Name = '甲' , Memo = '乙' , OrgCode = 'ORG1' , "
                                          "InpPerCode = 'U01' , InpDate = '%1'   Where 1 = 1  And MKey = 'K1'  "
                                          "  UpDate TDetailA With(RowLock) Set DKey = 'D1' , Item = 'a' , OrgCode = 'ORG1'   "
                                          "Where 1 = 1  And MKey = 'K1'  ").arg(StampText)}));
    EXPECT_EQ(dialog->FKeyValue, QStringLiteral("K1"));
}

// A failure at each step of the save: how to provoke it, and the calls that
// follow the load (the transaction, when it began, is rolled back).
struct FailureCase
{
    const char *step;
    std::function<void(TestRcmsDialog &, RecordingSession &)> arrange;
    bool inTransaction;
};

static void PrintTo(const FailureCase &failure, std::ostream *os)
{
    *os << failure.step;
}

class RcmsFailure : public RcmsDialog, public ::testing::WithParamInterface<FailureCase>
{
};

TEST_P(RcmsFailure, RollsBackShowsTheTextOnceAndLeavesKeyZero)
{
    open();
    GetParam().arrange(*dialog, host.session);
    dialog->FErrorText = QStringLiteral("(附言)");

    EXPECT_FALSE(dialog->SaveData());
    EXPECT_EQ(slotsFrom(host.session, loaded),
              GetParam().inTransaction
                  ? QStringList({"BeginRcmsTrans", "OpenRcmsQuery", "ReplacePlaceholder", "ExecRcmsSql", "RollbackRcmsTrans"})
                  : QStringList({"RollbackRcmsTrans"}));
    EXPECT_EQ(dialog->FKeyValue, QStringLiteral("0"));
    EXPECT_EQ(host.dispatch.prompts(), QStringList({"数据保存失败!(附言)"}));
    EXPECT_TRUE(dialog->FErrorText.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    EachStep, RcmsFailure,
    ::testing::Values(
        FailureCase{"stamping", [](TestRcmsDialog &d, RecordingSession &) { d.StampOk = false; }, false},
        FailureCase{"checkBeforeSave", [](TestRcmsDialog &d, RecordingSession &) { d.BeforeSaveOk = false; }, false},
        FailureCase{"building", [](TestRcmsDialog &d, RecordingSession &) { d.BuildOk = false; }, false},
        FailureCase{"executionAnswersFalse", [](TestRcmsDialog &, RecordingSession &s) { s.execFalseOnCall(1); }, true},
        FailureCase{"executionRaises", [](TestRcmsDialog &, RecordingSession &s) { s.failWhen("Insert Into TMaster"); }, true}),
    [](const ::testing::TestParamInfo<FailureCase> &info) { return std::string(info.param.step); });

TEST_F(RcmsDialog, AKeySearchThatFailsFailsTheSaveWithItsReason)
{
    open();
    host.session.failWhen(QStringLiteral("Select Max\\(MKey\\)"));
    EXPECT_FALSE(dialog->SaveData());
    EXPECT_EQ(slotsFrom(host.session, loaded), QStringList({"BeginRcmsTrans", "OpenRcmsQuery", "RollbackRcmsTrans"}));
    EXPECT_EQ(dialog->FKeyValue, QStringLiteral("0"));
    EXPECT_EQ(host.dispatch.prompts(), QStringList({"数据保存失败!\n无法生成新的记录主键"}));
}

TEST_F(RcmsDialog, RetryAfterAFailureSavesWithANewKey)
{
    open();
    host.session.execFalseOnCall(1);
    EXPECT_FALSE(dialog->SaveData());
    ASSERT_TRUE(dialog->SaveData());
    EXPECT_EQ(host.session.count("OpenRcmsQuery"), 2) << "each attempt makes its key";
    EXPECT_EQ(host.session.rcmsCommits(), 1);
    EXPECT_EQ(host.dispatch.prompts(), QStringList({"数据保存失败!", "数据保存成功!"}));
}

TEST_F(RcmsDialog, AQuoteInTheKeyStaysInsideTheLiteral)
{
    open(QStringLiteral("K'1' Or '1'='1"));
    EXPECT_EQ(host.session.statements(QStringLiteral("OpenRcmsData")).value(0),
              QStringLiteral(" Select *  From TMaster Where MKey = 'K''1'' Or ''1''=''1' "));
    EXPECT_EQ(dialog->FMasterSql, host.session.statements(QStringLiteral("OpenRcmsData")).value(0))
        << "the replaced text is kept; the placeholder is gone";
}

TEST_F(RcmsDialog, ABlankKeyEditsKeyZeroWithoutTheContinuousBox)
{
    dialog->ChkBContinue->SetChecked(true);
    dialog->SetKeyValue(QStringLiteral("   "));
    EXPECT_EQ(dialog->FKeyValue, QStringLiteral("0"));
    dialog->FormShow(dialog.get());
    EXPECT_TRUE(dialog->FIsEdit);
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("修改测试记录"));
    EXPECT_FALSE(dialog->ChkBContinue->Checked());
    EXPECT_TRUE(dialog->ChkBContinue->isHidden());
    EXPECT_EQ(host.session.statements(QStringLiteral("OpenRcmsData")).value(0),
              QStringLiteral(" Select *  From TMaster Where MKey = '0' "));
}

TEST_F(RcmsDialog, ASaveWithoutMasterTableNeverRerunsAnEarlierStatement)
{
    open();
    dialog->ChkBContinue->SetChecked(true);
    ASSERT_FALSE(dialog->SaveData()) << "continuous mode keeps the dialog open";
    dialog->FMasterTable = QStringLiteral("  ");
    dialog->FDetailTable.clear();
    const int before = int(host.session.calls().size());
    TestRcmsDialog::type(dialog->EdtName, QStringLiteral("甲"));
    TestRcmsDialog::type(dialog->EdtMemo, QStringLiteral("乙"));
    dialog->SaveData();
    EXPECT_TRUE(execsFrom(host.session, before, "ExecRcmsSql").isEmpty());
    EXPECT_EQ(host.session.rcmsCommits(), 2);
}

TEST_F(RcmsDialog, ADropDownIsFilledFromTheDictionaryOfItsTag)
{
    TcxDBComboBox combo(dialog->TabCtlClient);
    combo.SetTag(12);
    dialog->CombbGetDictData(&combo);
    EXPECT_EQ(host.session.statements(QStringLiteral("OpenRcmsData")),
              QStringList({"Select ItemID, ItemName From TDict_CodDatDet Where DatCodID  = 12 And IsStop = '2'"}));
    QObject notAnEditor;
    EXPECT_THROW(dialog->CombbGetDictData(&notAnEditor), data::LumoError);
}
