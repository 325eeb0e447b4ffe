// Nothing lost, nothing misreported: the user dialog and the window's commands
// on real SQLite files, with a second session on the same files, with values
// nobody typed, and with a failure injected at every session call.
#include <QtTest>

#include <QLineEdit>

#include <functional>
#include <memory>
#include <optional>

#include "ClientDataSet.h"
#include "FaultySession.h"
#include "FormFactory.h"
#include "RecordingSession.h"
#include "SqliteSession.h"
#include "TcxButton.h"
#include "TcxDBMaskEdit.h"
#include "TcxDBTreeList.h"
#include "TcxLabel.h"
#include "TcxMaskEdit.h"
#include "TdxBarManager.h"
#include "UUserInfoAddEditFrm.h"
#include "UUserInfoMagFrm.h"
#include "UserDatabases.h"
#include "UserWindow.h"

namespace {

using Window = UserWindow;
using Dialog = std::unique_ptr<TUserInfoAddEditForm, void (*)(QWidget *)>;

const QString kSaved = QStringLiteral("数据保存成功!");

// The add dialog (code empty) or the edit dialog of a user of 一乡, shown.
Dialog openDialog(const QString &code = QString())
{
    Dialog dialog(CreateForm<TUserInfoAddEditForm>(), DestroyForm);
    if (!code.isNull())
        dialog->SetKeyValue(code);
    dialog->FAreaCode = QStringLiteral("51010101");
    dialog->FStaAreaCode = QStringLiteral("510101001");
    dialog->show();
    return dialog;
}

// Types text as a person does, replacing what the editor held, and leaves the
// editor (which posts it to the record).
void type(TcxDBMaskEdit *editor, const QString &text)
{
    QLineEdit *line = editor->findChild<QLineEdit *>();
    line->selectAll();
    QTest::keyClick(line, Qt::Key_Delete);
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, line, Qt::Key_unknown, QString(c), Qt::NoModifier);
    editor->PostEditValue();
}

// Puts a value into the record the way data arrives, not typed.
void store(TUserInfoAddEditForm &dialog, const char *field, const QString &value)
{
    dialog.FCDSMaster->Edit();
    dialog.FCDSMaster->FieldByName(QLatin1String(field))->SetAsString(value);
    dialog.FCDSMaster->Post();
}

QString hrText(UserDatabases &db, const QString &sql)
{
    return db.hrValue(sql).toString();
}

Window openWindowAt(const QString &area)
{
    Window window = openUserWindow();
    if (window->CDSAreaData->Locate(QStringLiteral("StaAreaCode"), area))
        window->TreLstArea->SetFocusedRecordIndex(window->CDSAreaData->RecNo() - 1);
    return window;
}

// A command as the any-call test runs it: set up the files, then run it with
// the window (opened before the faulty session is installed) at hand.
struct Command
{
    const char *name;
    QString success;
    std::function<void(UserDatabases &)> prepare;
    std::function<void(UserDatabases &, TUserInfoMagForm &)> run;
};

QList<Command> commands()
{
    return {
        {"add", kSaved, nullptr,
         [](UserDatabases &, TUserInfoMagForm &) {
             Dialog dialog = openDialog();
             if (dialog->btnOK->isEnabled()) {  // a dialog that did not load takes no input
                 dialog->EdtSN->SetText(QStringLiteral("07"));
                 type(dialog->EdtUserName, QStringLiteral("新人"));
                 store(*dialog, "OrgCode", QStringLiteral("A1"));  // a key here opens the picker
             }
             dialog->btnOK->Click();
         }},
        {"edit", kSaved, nullptr,
         [](UserDatabases &, TUserInfoMagForm &) {
             Dialog dialog = openDialog(QStringLiteral("51010100100001"));
             if (dialog->btnOK->isEnabled())
                 type(dialog->EdtUserName, QStringLiteral("张三丰"));
             dialog->btnOK->Click();
         }},
        {"delete", QStringLiteral("删除成功!"), nullptr,
         [](UserDatabases &db, TUserInfoMagForm &w) {
             w.CDSUserData->Locate(QStringLiteral("UserCode"), QStringLiteral("51010100100003"));
             db.dispatch.queueConfirm(1);
             w.BtnDel->Click();
         }},
        {"sync", QStringLiteral("同步农合用户信息数据成功"),
         [](UserDatabases &db) {
             db.rcms(QStringLiteral("Insert Into p_User (UserCode, UserName, OrgCode, PassWord) Values "
                                    "('n1', '新', 'A1', 'a'), ('51010100100002', '李四', 'A2', 'changed')"));
         },
         [](UserDatabases &, TUserInfoMagForm &w) { w.BtnSyh->Click(); }},
    };
}

} // namespace

class UsersIntegrity : public QObject
{
    Q_OBJECT

private slots:
    void editSavesTheExactKeyAndLeavesTheTrimmedTwin();
    void aConcurrentChangeRefusesTheSecondSave_data();
    void aConcurrentChangeRefusesTheSecondSave();
    void untouchedValuesGoBackAsStored();
    void blankNameOrUnknownUnitIsRefused_data();
    void blankNameOrUnknownUnitIsRefused();
    void aDialogWhoseLoadFailedSavesNothing();
    void syncPairsCodesAsTheKeyCompares();
    void syncFailureNamesTheUser();
    void tablesReadAtOnceFailAsTablesReadInTurn_data();
    void tablesReadAtOnceFailAsTablesReadInTurn();
    void committedCommandsReportSuccessWhenTheReloadFails_data();
    void committedCommandsReportSuccessWhenTheReloadFails();
    void aLostDeleteAnswerLeavesTheUserAndSaysSo();
    void aFailureAtAnyCallIsToldTruly_data();
    void aFailureAtAnyCallIsToldTruly();
};

void UsersIntegrity::editSavesTheExactKeyAndLeavesTheTrimmedTwin()
{
    UserDatabases db;
    // Codes as they arrive from RCMS, byte for byte; the first has a twin.
    db.hr(QStringLiteral("Insert Into p_User (UserCode, UserName, OrgCode) Values "
                         "('u7', '孪生', 'A1'), ('u7' || char(9), '带制表符', 'A1'), "
                         "(' u8' || char(13) || char(10), '带换行', 'A1')"));
    for (const QString &code : {QStringLiteral("u7\t"), QStringLiteral(" u8\r\n")}) {
        db.dispatch.clear();
        Dialog dialog = openDialog(code);
        type(dialog->EdtUserName, QStringLiteral("已改"));
        QVERIFY(dialog->SaveData());
        QCOMPARE(db.dispatch.prompts(), QStringList{kSaved});
        QCOMPARE(dialog->FKeyValue, code);
    }
    QCOMPARE(hrText(db, QStringLiteral("Select UserName From p_User Where UserCode = 'u7' || char(9)")),
             QStringLiteral("已改"));
    QCOMPARE(hrText(db, QStringLiteral("Select UserName From p_User Where UserCode = ' u8' || char(13) || char(10)")),
             QStringLiteral("已改"));
    QCOMPARE(hrText(db, QStringLiteral("Select UserName From p_User Where UserCode = 'u7'")), QStringLiteral("孪生"));
}

void UsersIntegrity::aConcurrentChangeRefusesTheSecondSave_data()
{
    QTest::addColumn<bool>("bySync");
    QTest::newRow("another administrator") << false;
    QTest::newRow("a synchronisation") << true;
}

void UsersIntegrity::aConcurrentChangeRefusesTheSecondSave()
{
    QFETCH(bool, bySync);
    UserDatabases db;
    const QString code = QStringLiteral("51010100100001");
    Dialog mine = openDialog(code);
    if (bySync) {
        db.rcms(QStringLiteral("Insert Into p_User (UserCode, UserName, Spell, FiveStrokes, OrgCode, Grade, "
                               "ContactType, PassWord) Values ('%1', '张三', 'ZS', 'XD', 'A1', '3', '13800000001', "
                               "'synced')").arg(code));
        Window w = openWindowAt(QStringLiteral("510101001"));
        w->BtnSyhClick(w->BtnSyh);
    } else {
        // The other administrator works through a session of their own.
        SqliteSession theirs(db.hrFile(), db.rcmsFile());
        theirs.HostDispatch = &db.dispatch;
        ScopedModuleSession other(&theirs);
        Dialog their = openDialog(code);
        type(their->EdtContactType, QStringLiteral("13900000000"));
        QVERIFY(their->SaveData());
    }
    const QString before = db.hrUsers();
    db.dispatch.clear();
    type(mine->EdtUserName, QStringLiteral("张三丰"));
    QVERIFY(!mine->SaveData());
    QCOMPARE(db.dispatch.prompts(), QStringList{TUserInfoAddEditForm::ChangedByOthers});
    QCOMPARE(db.hrUsers(), before);
    QVERIFY(before.contains(bySync ? QStringLiteral("|synced") : QStringLiteral("|13900000000|")));
    // No transaction is left open.
    db.hr(QStringLiteral("Update p_User Set Grade = Grade"));
}

void UsersIntegrity::untouchedValuesGoBackAsStored()
{
    UserDatabases db;
    db.hr(QStringLiteral("Update p_User Set PassWord = 'O''Neil', Grade = 'a' || char(9) || '\"b\"', "
                         "ContactType = ' N''x'' ' Where UserCode = '51010100100001'"));
    const QString columns = QStringLiteral("Select PassWord || '|' || Grade || '|' || ContactType "
                                           "From p_User Where UserCode = '51010100100001'");
    const QString stored = hrText(db, columns);
    Dialog dialog = openDialog(QStringLiteral("51010100100001"));
    // Changing the name recomputes the search codes; the rest is untouched.
    type(dialog->EdtUserName, QStringLiteral("张三丰"));
    QVERIFY(dialog->SaveData());
    const QString saved = hrText(db, columns);
    QCOMPARE(saved, stored);
    // What the user types is still cleaned as before.
    Dialog again = openDialog(QStringLiteral("51010100100001"));
    type(again->EdtContactType, QStringLiteral(" x'y "));
    QVERIFY(again->SaveData());
    QCOMPARE(hrText(db, QStringLiteral("Select ContactType From p_User Where UserCode = '51010100100001'")),
             QStringLiteral("x\u2018y"));
}

void UsersIntegrity::blankNameOrUnknownUnitIsRefused_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<QString>("message");
    QTest::newRow("control characters") << QStringLiteral("\t\x01 ") << QStringLiteral("A1") << QStringLiteral("用户姓名不能为空!");
    QTest::newRow("blank unit") << QStringLiteral("王") << QStringLiteral("  ") << QStringLiteral("所属单位不能为空!");
    QTest::newRow("unknown unit") << QStringLiteral("王") << QStringLiteral("X9")
                                  << QStringLiteral("所属单位编码 \"X9\" 不是已有的医疗服务单位, 请选择所属单位!");
}

void UsersIntegrity::blankNameOrUnknownUnitIsRefused()
{
    QFETCH(QString, name);
    QFETCH(QString, unit);
    QFETCH(QString, message);
    UserDatabases db;
    const QString before = db.hrUsers();
    Dialog dialog = openDialog();
    dialog->EdtSN->SetText(QStringLiteral("07"));
    store(*dialog, "UserName", name);
    store(*dialog, "OrgCode", unit);
    QVERIFY(!dialog->SaveData());
    QCOMPARE(db.dispatch.prompts(), QStringList{message});
    QCOMPARE(db.hrUsers(), before);
}

void UsersIntegrity::aDialogWhoseLoadFailedSavesNothing()
{
    UserDatabases db;
    FaultySession faulty(db.session());
    faulty.breakIf([](int, const QString &slot, const QString &) { return slot == QLatin1String("OpenHrData"); });
    ScopedModuleSession scoped(&faulty);
    const QString before = db.hrUsers();
    Dialog dialog = openDialog(QStringLiteral("51010100100001"));
    QCOMPARE(db.dispatch.prompts().size(), 1);
    QVERIFY(!dialog->btnOK->isEnabled());
    faulty.breakIf(nullptr);
    QVERIFY(!dialog->SaveData());
    QVERIFY(!db.dispatch.prompts().contains(kSaved));
    QCOMPARE(db.hrUsers(), before);
}

void UsersIntegrity::syncPairsCodesAsTheKeyCompares()
{
    UserDatabases db;
    db.hr(QStringLiteral("Insert Into p_User (UserCode, UserName, OrgCode) Values ('abc01', '旧名', 'A1')"));
    db.rcms(QStringLiteral("Insert Into p_User (UserCode, UserName, OrgCode) Values ('ABC01', '新名', 'A1')"));
    Window w = openWindowAt(QStringLiteral("510101001"));
    w->BtnSyhClick(w->BtnSyh);
    QCOMPARE(db.dispatch.prompts(), QStringList{QStringLiteral("同步农合用户信息数据成功")});
    QCOMPARE(hrText(db, QStringLiteral("Select Group_Concat(UserCode || ':' || UserName) From p_User "
                                       "Where UserCode Like 'abc01'")),
             QStringLiteral("abc01:新名"));
    QVERIFY(w->lblStatus->isHidden());
}

void UsersIntegrity::syncFailureNamesTheUser()
{
    UserDatabases db;
    db.rcms(QStringLiteral("Insert Into p_User (UserCode, UserName) Values ('n1', '一'), ('bad7', '二')"));
    db.hr(QStringLiteral("Create Trigger refuse Before Insert On p_User When New.UserCode = 'bad7' "
                         "Begin Select Raise(Abort, 'refused by the database'); End"));
    Window w = openWindowAt(QStringLiteral("510101001"));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("bad7.*refused by the database")));
    w->BtnSyhClick(w->BtnSyh);
    QCOMPARE(db.dispatch.prompts(),
             QStringList{QStringLiteral("同步农合用户信息数据失败!原因:违反数据约束: refused by the database")});
    QVERIFY(w->lblStatus->isVisibleTo(w.get()));
    QVERIFY(w->lblStatus->text().contains(QStringLiteral("bad7")));
}

// The file session reads the two user tables at once; whichever of them
// fails, the user is told what reading them in turn (through a wrapper that
// does not promise that) tells, and the next run works.
void UsersIntegrity::tablesReadAtOnceFailAsTablesReadInTurn_data()
{
    QTest::addColumn<bool>("rcmsGone");
    QTest::addColumn<bool>("hrGone");
    QTest::newRow("RCMS users gone") << true << false;
    QTest::newRow("health-record users unreadable") << false << true;
    QTest::newRow("both") << true << true;
}

void UsersIntegrity::tablesReadAtOnceFailAsTablesReadInTurn()
{
    QFETCH(bool, rcmsGone);
    QFETCH(bool, hrGone);
    QStringList told[2];
    for (const bool atOnce : {false, true}) {
        UserDatabases db;
        if (!db.session().RcmsReadsBesideHr)
            QSKIP("this session reads the tables in turn");
        Window w = openWindowAt(QStringLiteral("510101001"));
        const QString gone = QStringLiteral("Alter Table p_User Rename To p_User_gone");
        const QString back = QStringLiteral("Alter Table p_User_gone Rename To p_User");
        // The two failures tell different causes.
        if (rcmsGone)
            db.rcms(gone);
        if (hrGone) {
            db.hr(gone);
            db.hr(QStringLiteral("Create View p_User As Select abs(-9223372036854775807 - 1) As UserCode"));
        }
        FaultySession inTurn(db.session());
        inTurn.RcmsReadsBesideHr = false;
        std::optional<ScopedModuleSession> scoped;
        if (!atOnce)
            scoped.emplace(&inTurn);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("synchronisation failed")));
        w->BtnSyh->Click();
        told[atOnce] = db.dispatch.prompts();
        if (rcmsGone)
            db.rcms(back);
        if (hrGone) {
            db.hr(QStringLiteral("Drop View p_User"));
            db.hr(back);
        }
        db.dispatch.clear();
        w->BtnSyh->Click();
        QCOMPARE(db.dispatch.prompts(), QStringList{QStringLiteral("同步农合用户信息数据成功")});
    }
    QCOMPARE(told[1].size(), 1);
    QVERIFY(told[1].first().startsWith(QStringLiteral("同步农合用户信息数据失败!")));
    QCOMPARE(told[1], told[0]);
}

void UsersIntegrity::committedCommandsReportSuccessWhenTheReloadFails_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<QString>("reload");  // the reload statement that fails
    QTest::newRow("delete") << 2 << QStringLiteral("From p_User,P_YlFwDw");
    QTest::newRow("sync") << 3 << QStringLiteral("From p_XzQh");
}

void UsersIntegrity::committedCommandsReportSuccessWhenTheReloadFails()
{
    QFETCH(int, command);
    QFETCH(QString, reload);
    const Command c = commands().at(command);
    UserDatabases db;
    if (c.prepare)
        c.prepare(db);
    Window w = openWindowAt(QStringLiteral("510101001"));
    const QString before = db.hrUsers();
    FaultySession faulty(db.session());
    faulty.breakIf([reload](int, const QString &slot, const QString &sql) {
        return slot == QLatin1String("OpenHrData") && sql.contains(reload);
    });
    ScopedModuleSession scoped(&faulty);
    c.run(db, *w);
    QVERIFY(db.hrUsers() != before);
    const QStringList prompts = db.dispatch.prompts();
    QCOMPARE(prompts.size(), 2);
    QCOMPARE(prompts.at(0), c.success);
    QVERIFY(prompts.at(1).startsWith(QStringLiteral("列表未能刷新")));
}

void UsersIntegrity::aLostDeleteAnswerLeavesTheUserAndSaysSo()
{
    UserDatabases db;
    Window w = openWindowAt(QStringLiteral("510101001"));
    const QString before = db.hrUsers();
    FaultySession faulty(db.session());
    faulty.breakIf([](int, const QString &slot, const QString &) { return slot == QLatin1String("ExecHrSql"); },
                   FaultySession::Fault::AnswerLost);
    ScopedModuleSession scoped(&faulty);
    commands().at(2).run(db, *w);
    QCOMPARE(db.hrUsers(), before);
    QCOMPARE(db.dispatch.prompts().size(), 1);
    QVERIFY(db.dispatch.prompts().first().startsWith(QStringLiteral("删除失败!")));
}

void UsersIntegrity::aFailureAtAnyCallIsToldTruly_data()
{
    QTest::addColumn<int>("command");
    for (int i = 0; i < commands().size(); ++i)
        QTest::newRow(commands().at(i).name) << i;
}

void UsersIntegrity::aFailureAtAnyCallIsToldTruly()
{
    QFETCH(int, command);
    const Command c = commands().at(command);
    // A run without a fault: how many calls the command makes, and what it leaves.
    int calls = 0;
    QString done;
    {
        UserDatabases db;
        if (c.prepare)
            c.prepare(db);
        Window w = openWindowAt(QStringLiteral("510101001"));
        FaultySession faulty(db.session());
        ScopedModuleSession scoped(&faulty);
        c.run(db, *w);
        QVERIFY(db.dispatch.prompts().contains(c.success));
        calls = faulty.slotsCalled().size();
        done = db.hrUsers();
    }
    QVERIFY(calls > 3);
    for (int n = 1; n <= calls; ++n) {
        UserDatabases db;
        if (c.prepare)
            c.prepare(db);
        Window w = openWindowAt(QStringLiteral("510101001"));
        const QString before = db.hrUsers();
        FaultySession faulty(db.session());
        faulty.breakCall(n);
        {
            ScopedModuleSession scoped(&faulty);
            c.run(db, *w);
        }
        const QString after = db.hrUsers();
        const QString where = QStringLiteral("%1, call %2 (%3)").arg(QLatin1String(c.name)).arg(n).arg(
            faulty.slotsCalled().value(n - 1));
        // All or nothing, and the user is told which.
        QVERIFY2(after == before || after == done, qPrintable(where));
        QVERIFY2((after == done) == db.dispatch.prompts().contains(c.success), qPrintable(where));
        QVERIFY2(!db.dispatch.prompts().isEmpty(), qPrintable(where));
        // No transaction is left open.
        db.hr(QStringLiteral("Update p_User Set Grade = Grade"));
    }
}

QTEST_MAIN(UsersIntegrity)
#include "tst_users_integrity.moc"
