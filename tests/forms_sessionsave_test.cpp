// The dialogs on the host's real sessions (each backend, over fresh database
// files): what a save leaves in the database, and that a failure at any step
// leaves exactly what was there.
#include <gtest/gtest.h>

#include <QFile>

#include <functional>
#include <memory>

#include "FormFactory.h"
#include "ModuleClock.h"
#include "SessionBackends.h"
#include "TempDatabases.h"
#include "TestEditDialogs.h"
#include "TestHostObjects.h"

using namespace testdialogs;

namespace {

class SessionDialogs : public ::testing::TestWithParam<SessionBackend>
{
protected:
    void SetUp() override
    {
        if (!GetParam().available())
            GTEST_SKIP() << "no PostgreSQL test server (scripts/test.sh starts one)";
        session = GetParam().open(databases);
        session->OrgCode = QStringLiteral("ORG1");
        session->UserCode = QStringLiteral("U01");
        session->HostDispatch = &dispatch;
        installed = std::make_unique<ScopedModuleSession>(session.get());
        for (QString sql : createTablesSql()) {
            // The test's own tables, declared in T-SQL types; PostgreSQL
            // calls SQL Server's datetime timestamp(3).
            if (GetParam().storage == TempDatabases::Storage::Postgres)
                sql.replace(QStringLiteral("datetime"), QStringLiteral("timestamp(3)"));
            session->ExecHrSql(sql);
            session->ExecRcmsSql(sql);
        }
    }

    // Every row of the three tables, as text.
    QStringList dump(bool hr = true)
    {
        QStringList result;
        for (const char *table : {"TMaster", "TDetailA", "TDetailB"}) {
            const QString sql = QStringLiteral("Select * From %1 Order By 1").arg(QLatin1String(table));
            const data::DataPacket packet = hr ? session->OpenHrData(sql) : session->OpenRcmsData(sql);
            for (const QVector<QVariant> &row : packet.rows) {
                QStringList values;
                for (const QVariant &v : row) {
                    values.append(v.isNull() ? QStringLiteral("<null>")
                                  : v.userType() == QMetaType::QDateTime
                                      ? v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                                      : v.toString());
                }
                result.append(QLatin1String(table) + QLatin1Char(':') + values.join(QLatin1Char('|')));
            }
        }
        return result;
    }

    template <class Dialog>
    std::unique_ptr<Dialog, void (*)(QWidget *)> open(const QString &key = QString())
    {
        std::unique_ptr<Dialog, void (*)(QWidget *)> dialog(CreateForm<Dialog>(), DestroyForm);
        if (!key.isNull())
            dialog->SetKeyValue(key);
        dialog->FormShow(dialog.get());
        return dialog;
    }

    static void appendRow(data::ClientDataSet *dataSet, const char *field, const QString &value)
    {
        dataSet->Append();
        dataSet->FieldByName(QLatin1String(field))->SetAsString(value);
        dataSet->Post();
    }

    // Adds the record the edit tests start from.
    void addRecord()
    {
        auto dialog = open<TestMultiDialog>();
        TestMultiDialog::type(dialog->EdtName, QStringLiteral("甲"));
        TestMultiDialog::type(dialog->EdtMemo, QStringLiteral("乙"));
        appendRow(dialog->FCDSDetail, "Item", QStringLiteral("a"));
        appendRow(dialog->FCDSDetail, "Item", QStringLiteral("b"));
        appendRow(dialog->CDSDetailB, "Note", QStringLiteral("n1"));
        // Rows before the cursor are stamped as well.
        dialog->FCDSDetail->Last();
        ASSERT_TRUE(dialog->SaveData());
    }

    ScopedModuleClock clock{testNow};
    TempDatabases databases{GetParam().storage};
    TestHostDispatch dispatch;
    std::unique_ptr<HostSession> session;
    std::unique_ptr<ScopedModuleSession> installed;
};

} // namespace

static void PrintTo(const SessionBackend &backend, std::ostream *os)
{
    *os << backend.name;
}

TEST_P(SessionDialogs, MultiTableAddWritesTheMasterAndNumbersTheDetailRows)
{
    addRecord();
    const QString k = Stamp;
    EXPECT_EQ(dump(), QStringList({"TMaster:" + k + "001|甲|乙|ORG1|U01|" + StampText,
                                   "TDetailA:" + k + "001|<null>|a|ORG1", "TDetailA:" + k + "002|<null>|b|ORG1",
                                   "TDetailB:" + k + "001|<null>|n1|ORG1|U01|" + StampText}));
}

TEST_P(SessionDialogs, MultiTableEditReplacesTheDetailRowsAndKeepsTheirKeys)
{
    addRecord();
    const QString k = Stamp;
    session->ExecHrSql("Update TDetailA Set MKey = '" + k + "001'");
    session->ExecHrSql("Update TDetailB Set MKey = '" + k + "001'");
    auto dialog = open<TestMultiDialog>(k + "001");
    ASSERT_EQ(dialog->FCDSDetail->RecordCount(), 2);
    dialog->FCDSDetail->First();
    dialog->FCDSDetail->Edit();
    dialog->FCDSDetail->FieldByName("Item")->SetAsString("a2");
    dialog->FCDSDetail->Post();
    appendRow(dialog->FCDSDetail, "Item", QStringLiteral("c"));
    dialog->FCDSDetail->First();

    ASSERT_TRUE(dialog->SaveData());
    EXPECT_EQ(dump(), QStringList({"TMaster:" + k + "001|甲|乙|ORG1|U01|" + StampText,
                                   "TDetailA:" + k + "001|" + k + "001|a2|ORG1",
                                   "TDetailA:" + k + "002|" + k + "001|b|ORG1",
                                   "TDetailA:" + k + "003|<null>|c|ORG1",
                                   "TDetailB:" + k + "001|" + k + "001|n1|ORG1|U01|" + StampText}));
}

TEST_P(SessionDialogs, EveryNewDetailRowIsKeyedAndStampedAndABlankAppendIsDropped)
{
    auto dialog = open<TestMultiDialog>();
    dialog->FDetailCurRecOnly = false;
    TestMultiDialog::type(dialog->EdtName, QStringLiteral("甲"));
    TestMultiDialog::type(dialog->EdtMemo, QStringLiteral("乙"));
    for (const char *item : {"a", "b", "c"})
        appendRow(dialog->FCDSDetail, "Item", QLatin1String(item));
    appendRow(dialog->CDSDetailB, "Note", QStringLiteral("n1"));
    appendRow(dialog->CDSDetailB, "Note", QStringLiteral("n2"));
    dialog->FCDSDetail->Append();  // untouched, the cursor on it
    ASSERT_TRUE(dialog->SaveData());
    const QString k = Stamp;
    EXPECT_EQ(dump(), QStringList({"TMaster:" + k + "001|甲|乙|ORG1|U01|" + StampText,
                                   "TDetailA:" + k + "001|<null>|a|ORG1", "TDetailA:" + k + "002|<null>|b|ORG1",
                                   "TDetailA:" + k + "003|<null>|c|ORG1",
                                   "TDetailB:" + k + "001|<null>|n1|ORG1|U01|" + StampText,
                                   "TDetailB:" + k + "002|<null>|n2|ORG1|U01|" + StampText}));
}

TEST_P(SessionDialogs, AKeyThatCannotBeMadeFailsTheSaveAndWritesNothing)
{
    addRecord();
    const auto bytes = [this] {
        QFile hr(databases.hrFile()), rcms(databases.rcmsFile());
        hr.open(QIODevice::ReadOnly);
        rcms.open(QIODevice::ReadOnly);
        return hr.readAll() + rcms.readAll();
    };
    const QByteArray before = bytes();
    // A key column the table lacks makes the key search fail on the database.
    const auto saveFails = [this](auto dialog, const std::function<void(decltype(*dialog) &)> &arrange) {
        arrange(*dialog);
        dialog->type(dialog->EdtName, QStringLiteral("丙"));
        dialog->type(dialog->EdtMemo, QStringLiteral("丁"));
        return !dialog->SaveData() && dialog->FKeyValue == QLatin1String("0");
    };
    const QList<QPair<const char *, std::function<bool()>>> families{
        {"RCMS master", [&] { return saveFails(open<TestRcmsDialog>(), [](TestRcmsDialog &d) { d.FPKeyField = "NoSuchKey"; }); }},
        {"HR master", [&] { return saveFails(open<TestMultiDialog>(), [](TestMultiDialog &d) { d.FPKeyField = "NoSuchKey"; }); }},
        {"HR detail", [&] {
             return saveFails(open<TestMultiDialog>(), [](TestMultiDialog &d) {
                 d.FDetailKeyField = "NoSuchKey";
                 appendRow(d.FCDSDetail, "Item", QStringLiteral("x"));
             });
         }},
    };
    for (const auto &family : families) {
        SCOPED_TRACE(family.first);
        dispatch.clear();
        EXPECT_TRUE(family.second());
        EXPECT_EQ(dispatch.prompts(), QStringList({"数据保存失败!\n无法生成新的记录主键"}));
        EXPECT_EQ(bytes(), before);
    }
}

TEST_P(SessionDialogs, AFailedEditAtAnyStepLeavesTheDatabaseAsItWas)
{
    addRecord();
    const QString key = Stamp + "001";
    const QStringList before = dump();
    const QList<QPair<const char *, std::function<void(TestMultiDialog &)>>> steps{
        {"stamping", [](TestMultiDialog &d) { d.StampOk = false; }},
        {"building", [](TestMultiDialog &d) { d.BuildOk = false; }},
        {"master refused", [](TestMultiDialog &d) { TestMultiDialog::type(d.EdtMemo, "refused"); }},
        {"later detail refused", [](TestMultiDialog &d) {
             d.CDSDetailB->First();
             d.CDSDetailB->Edit();
             d.CDSDetailB->FieldByName("Note")->Clear();
             d.CDSDetailB->Post();
         }},
    };
    for (const auto &step : steps) {
        SCOPED_TRACE(step.first);
        dispatch.clear();
        auto dialog = open<TestMultiDialog>(key);
        TestMultiDialog::type(dialog->EdtName, QStringLiteral("丙"));
        appendRow(dialog->FCDSDetail, "Item", QStringLiteral("new"));
        dialog->FCDSDetail->First();
        step.second(*dialog);
        dialog->FErrorText = QStringLiteral("!");

        EXPECT_FALSE(dialog->SaveData());
        EXPECT_EQ(dump(), before);
        EXPECT_EQ(dialog->FKeyValue, QStringLiteral("0"));
        EXPECT_EQ(dispatch.prompts(), QStringList({"数据保存失败!!"}));
        // No transaction is left open: another connection may write.
        EXPECT_NO_THROW(databases.hr("Update TMaster Set Memo = Memo"));
    }
}

TEST_P(SessionDialogs, RcmsAddGivesTheDetailRowsTheMasterKeyInOneBatch)
{
    auto dialog = open<TestRcmsDialog>();
    TestRcmsDialog::type(dialog->EdtName, QStringLiteral("甲"));
    TestRcmsDialog::type(dialog->EdtMemo, QStringLiteral("乙"));
    appendRow(dialog->FCDSDetail, "DKey", QStringLiteral("D1"));
    appendRow(dialog->FCDSDetail, "DKey", QStringLiteral("D2"));
    dialog->FCDSDetail->First();
    ASSERT_TRUE(dialog->SaveData());
    const QString k = Stamp + "001";
    EXPECT_EQ(dump(false), QStringList({"TMaster:" + k + "|甲|乙|ORG1|U01|" + StampText,
                                        "TDetailA:D1|" + k + "|<null>|ORG1", "TDetailA:D2|" + k + "|<null>|ORG1"}));

    // A refused batch leaves nothing of it behind.
    const QStringList before = dump(false);
    auto second = open<TestRcmsDialog>();
    TestRcmsDialog::type(second->EdtName, QStringLiteral("丁"));
    TestRcmsDialog::type(second->EdtMemo, QStringLiteral("戊"));
    appendRow(second->FCDSDetail, "DKey", QStringLiteral("D1"));  // taken
    EXPECT_FALSE(second->SaveData());
    EXPECT_EQ(dump(false), before);
    EXPECT_NO_THROW(databases.rcms("Update TMaster Set Memo = Memo"));
}

TEST_P(SessionDialogs, APlaceholderTypedByAUserIsStoredAsTyped)
{
    const QString typed = QStringLiteral("NeedReplacePkeyValue");
    const QString k = Stamp + "001";
    auto multi = open<TestMultiDialog>();
    TestMultiDialog::type(multi->EdtName, typed);
    TestMultiDialog::type(multi->EdtMemo, "a\r\n" + typed);
    appendRow(multi->FCDSDetail, "Item", typed);
    multi->FCDSDetail->First();
    ASSERT_TRUE(multi->SaveData());
    EXPECT_EQ(dump(), QStringList({"TMaster:" + k + "|" + typed + "|a\r\n" + typed + "|ORG1|U01|" + StampText,
                                   "TDetailA:" + k + "|<null>|" + typed + "|ORG1"}));

    auto rcms = open<TestRcmsDialog>();
    TestRcmsDialog::type(rcms->EdtName, typed);
    TestRcmsDialog::type(rcms->EdtMemo, typed);
    ASSERT_TRUE(rcms->SaveData());
    EXPECT_EQ(dump(false), QStringList({"TMaster:" + k + "|" + typed + "|" + typed + "|ORG1|U01|" + StampText}));
}

INSTANTIATE_TEST_SUITE_P(EachBackend, SessionDialogs, ::testing::ValuesIn(sessionBackends()),
                         [](const ::testing::TestParamInfo<SessionBackend> &info) { return info.param.name; });
