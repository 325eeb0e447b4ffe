// The trail of user changes on real databases (SQLite files, or with
// LUMO_TEST_HR_BACKEND=postgresql both databases on the PostgreSQL test
// server): each command writes its row inside its own transaction, a fault on
// either side undoes both, and without the table every command works as before.
#include <QtTest>

#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QSysInfo>

#include <functional>

#include "FaultySession.h"
#include "RecordingSession.h"
#include "TcxButton.h"
#include "TcxDBMaskEdit.h"
#include "TcxDBTreeList.h"
#include "TcxLabel.h"
#include "TcxMaskEdit.h"
#include "TdxBarManager.h"
#include "UGlobalValue.h"
#include "UUserInfoAddEditFrm.h"
#include "UUserInfoMagFrm.h"
#include "UserAudit.h"
#include "UserDatabases.h"
#include "UserWindow.h"

namespace {

void click(TUserInfoMagForm &w, TdxBarLargeButton *button)
{
    QTest::mouseClick(w.dxbrTool->widgetForAction(button->action()), Qt::LeftButton);
}

// Runs body on the user dialog once it is up, and closes the dialog whatever
// happens inside, so that a failed check never leaves exec() waiting.
void whenDialog(std::function<void(TUserInfoAddEditForm &)> body)
{
    QTimer::singleShot(0, [body = std::move(body)] {
        auto *dialog = qobject_cast<TUserInfoAddEditForm *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        struct Closer
        {
            QPointer<QWidget> dialog;
            ~Closer()
            {
                if (dialog && dialog->isVisible())
                    dialog->close();
            }
        } closer{dialog};
        body(*dialog);
    });
}

// Types text as a person does, replacing what the editor held.
void type(TcxDBMaskEdit *editor, const QString &text)
{
    QLineEdit *line = editor->findChild<QLineEdit *>();
    line->selectAll();
    QTest::keyClick(line, Qt::Key_Delete);
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, line, Qt::Key_unknown, QString(c), Qt::NoModifier);
    editor->PostEditValue();
}

void saveDialog(TUserInfoAddEditForm &dialog)
{
    QTest::mouseClick(dialog.btnOK, Qt::LeftButton);
}

// A command of the window as a person gives it, on 一乡 (510101001).
struct Command
{
    const char *name;
    QString success;  // the prompt of a success
    QString failure;  // how the prompt of a failure begins
    QString change;   // how the statement of the change begins
    std::function<void(UserDatabases &, TUserInfoMagForm &)> run;
};

const QList<Command> &commands()
{
    static const QList<Command> all{
        {"新增", QStringLiteral("数据保存成功!"), QStringLiteral("数据保存失败!"), QStringLiteral(" Insert Into P_User"),
         [](UserDatabases &, TUserInfoMagForm &w) {
             whenDialog([](TUserInfoAddEditForm &dialog) {
                 dialog.EdtSN->SetText(QStringLiteral("07"));
                 type(dialog.EdtUserName, QStringLiteral("新人"));
                 // A key in the unit editor opens the host's picker: the unit goes in as it would come back.
                 dialog.FCDSMaster->Edit();
                 dialog.FCDSMaster->FieldByName(QStringLiteral("OrgCode"))->SetAsString(QStringLiteral("A1"));
                 dialog.FCDSMaster->Post();
                 saveDialog(dialog);
             });
             click(w, w.BtnAdd);
         }},
        {"修改", QStringLiteral("数据保存成功!"), QStringLiteral("数据保存失败!"), QStringLiteral(" UpDate P_User"),
         [](UserDatabases &, TUserInfoMagForm &w) {
             w.CDSUserData->Locate(QStringLiteral("UserCode"), QStringLiteral("51010100100001"));
             whenDialog([](TUserInfoAddEditForm &dialog) {
                 type(dialog.EdtUserName, QStringLiteral("张三丰"));
                 type(dialog.EdtContactType, QStringLiteral("it's"));
                 saveDialog(dialog);
             });
             click(w, w.BtnEdit);
         }},
        {"删除", QStringLiteral("删除成功!"), QStringLiteral("删除失败!"), QStringLiteral("Delete P_User"),
         [](UserDatabases &db, TUserInfoMagForm &w) {
             w.CDSUserData->Locate(QStringLiteral("UserCode"), QStringLiteral("51010100100003"));
             db.dispatch.queueConfirm(1);
             click(w, w.BtnDel);
         }},
        {"同步", QStringLiteral("同步农合用户信息数据成功"), QStringLiteral("同步农合用户信息数据失败!"),
         QStringLiteral(" Insert Into p_User"),
         [](UserDatabases &db, TUserInfoMagForm &w) {
             db.rcms(QStringLiteral("Insert Into p_User (UserCode, UserName, OrgCode, PassWord, ContactType) Values "
                                    "('n1', '新', 'A1', 'a', 'a\"b\\c\nd'), ('51010100100002', '李四', 'A2', 'changed', '')"));
             click(w, w.BtnSyh);
         }},
        {"重置密码", QStringLiteral("密码重置成功!"), QStringLiteral("密码重置失败!"),
         QStringLiteral("Update p_User Set PassWord"),
         [](UserDatabases &db, TUserInfoMagForm &w) {
             w.CDSUserData->Locate(QStringLiteral("UserCode"), QStringLiteral("51010100100001"));
             db.dispatch.queueConfirm(1);
             click(w, w.BtnResetPwd);
         }},
    };
    return all;
}

UserWindow openWindowOnTheTownship()
{
    UserWindow w = openUserWindow();
    if (w->CDSAreaData->Locate(QStringLiteral("StaAreaCode"), QStringLiteral("510101001")))
        w->TreLstArea->SetFocusedRecordIndex(w->CDSAreaData->RecNo() - 1);
    return w;
}

// The trail's rows, oldest first: kind, user, name, operator, machine, whether
// the row names the synchronisation's log row, the kept password, and the
// changes as "column before→after" (∅ for none); a row stamped outside the
// span given shows its time first.
QStringList auditRows(UserDatabases &db, const QDateTime &from, const QDateTime &to)
{
    const QString logId = db.hrValue(QStringLiteral("Select Max(LogID) From TSys_UserSyncLog")).toString();
    QStringList rows;
    for (const auto &row : db.session().OpenHrData(QStringLiteral(
             "Select Kind, UserCode, UserName, OperatorCode, MachineName, SyncLogID, PassWord, Changes, AuditTime "
             "From TSys_UserAudit Order By AuditID")).rows) {
        const QDateTime at = row.at(8).toDateTime();
        if (at < from || at > to)
            rows << row.at(8).toString();
        QStringList changes;
        for (const UserAudit::Change &c : UserAudit::changesFrom(row.at(7).toString()))
            changes << c.column + QLatin1Char(' ') + c.before.value_or(QStringLiteral("∅")) + QStringLiteral("→")
                    + c.after.value_or(QStringLiteral("∅"));
        const QString machine = row.at(4).toString() == QSysInfo::machineHostName() ? QStringLiteral("here")
                                                                                   : row.at(4).toString();
        const QString link = row.at(5).isNull() ? QStringLiteral("-")
            : row.at(5).toString() == logId     ? QStringLiteral("run")
                                                : row.at(5).toString();
        rows << QStringList{row.at(0).toString(), row.at(1).toString(), row.at(2).toString(), row.at(3).toString(),
                            machine, link, row.at(6).isNull() ? QStringLiteral("-") : row.at(6).toString(),
                            changes.join(QStringLiteral("; "))}
                    .join(QLatin1Char('|'));
    }
    return rows;
}

int auditCount(UserDatabases &db)
{
    return db.hrValue(QStringLiteral("Select Count(*) From TSys_UserAudit")).toInt();
}

} // namespace

class UsersAudit : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void eachCommandWritesItsRows_data();
    void eachCommandWritesItsRows();
    void aFaultOnEitherSideUndoesBoth_data();
    void aFaultOnEitherSideUndoesBoth();
    void withoutTheTableEveryCommandWorks_data();
    void withoutTheTableEveryCommandWorks();
    void aResetSetsTheInitialPasswordOrNothing();
    void syncRowsFollowTheLogRowToAnotherId();
};

void UsersAudit::initTestCase()
{
    const QString unavailable = UserDatabases::unavailableReason();
    if (!unavailable.isEmpty())
        QSKIP(qPrintable(unavailable));
}

void UsersAudit::eachCommandWritesItsRows_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<QStringList>("asked");
    QTest::addColumn<QStringList>("rows");
    // What the dialog stored, as stored: the host's codes of the name (none
    // from the test's host), typed text cleaned (' becomes ‘).
    QTest::newRow("新增") << 0 << QStringList()
                        << QStringList{"新增|5101010010007|新人|admin|here|-|-|UserCode ∅→5101010010007; UserName ∅→新人; "
                                       "OrgCode ∅→A1; PassWord ∅→已更改"};
    QTest::newRow("修改") << 1 << QStringList()
                        << QStringList{"修改|51010100100001|张三丰|admin|here|-|-|UserName 张三→张三丰; Spell ZS→∅; "
                                       "FiveStrokes XD→∅; ContactType 13800000001→it‘s"};
    // Every column kept, the password beside the changes.
    QTest::newRow("删除") << 2 << QStringList{"您确定要删除当前选中的用户信息记录?"}
                        << QStringList{"删除|51010100100003|王五|admin|here|-|p3|UserCode 51010100100003→∅; "
                                       "UserName 王五→∅; Spell WW→∅; FiveStrokes GG→∅; OrgCode A1→∅; Grade 3→∅; "
                                       "ContactType →∅; PassWord 已更改→∅; InpPerCode ∅→∅; InpDate ∅→∅"};
    // One row per user written, naming the run's log row; texts kept exactly.
    QTest::newRow("同步") << 3 << QStringList()
                        << QStringList{"同步|n1|新|admin|here|run|-|UserCode ∅→n1; UserName ∅→新; Spell ∅→; "
                                       "FiveStrokes ∅→; OrgCode ∅→A1; Grade ∅→; PassWord ∅→已更改; ContactType ∅→a\"b\\c\nd",
                                       "同步|51010100100002|李四|admin|here|run|-|Spell LS→; FiveStrokes SL→; Grade 3→; "
                                       "PassWord 已更改→已更改; ContactType 13800000002→"};
    // The password set back to a new user's, asked naming the user.
    QTest::newRow("重置密码") << 4 << QStringList{"确定将 张三(51010100100001) 的密码重置为初始密码?"}
                          << QStringList{"重置密码|51010100100001|张三|admin|here|-|-|PassWord 已更改→已更改"};
}

void UsersAudit::eachCommandWritesItsRows()
{
    QFETCH(int, command);
    QFETCH(QStringList, asked);
    QFETCH(QStringList, rows);
    const Command &c = commands().at(command);
    UserDatabases db;
    UserWindow w = openWindowOnTheTownship();
    // The database keeps milliseconds (SQL Server's datetime rounds them to 3 ms).
    const QDateTime from = QDateTime::currentDateTime().addMSecs(-4);
    c.run(db, *w);
    const QDateTime to = QDateTime::currentDateTime().addMSecs(4);
    QCOMPARE(db.dispatch.confirms(), asked);
    QCOMPARE(db.dispatch.prompts().value(0), c.success);
    QCOMPARE(auditRows(db, from, to), rows);
    QVERIFY(w->lblStatus->isHidden());
}

void UsersAudit::aFaultOnEitherSideUndoesBoth_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<QString>("broken");  // how the broken statement begins
    for (int i = 0; i < commands().size(); ++i) {
        const Command &c = commands().at(i);
        QTest::addRow("%s, the trail's insert", c.name) << i << QStringLiteral("Insert Into TSys_UserAudit");
        QTest::addRow("%s, the change", c.name) << i << c.change;
    }
}

void UsersAudit::aFaultOnEitherSideUndoesBoth()
{
    QFETCH(int, command);
    QFETCH(QString, broken);
    const Command &c = commands().at(command);
    UserDatabases db;
    UserWindow w = openWindowOnTheTownship();
    const QString before = db.hrUsers();
    FaultySession faulty(db.session());
    int hits = 0;
    faulty.breakIf([&](int, const QString &slot, const QString &sql) {
        return slot == QLatin1String("ExecHrSql") && sql.startsWith(broken) && ++hits == 1;
    });
    {
        ScopedModuleSession scoped(&faulty);
        c.run(db, *w);
    }
    QCOMPARE(hits, 1);
    QCOMPARE(db.hrUsers(), before);
    QCOMPARE(auditCount(db), 0);
    QVERIFY2(db.dispatch.prompts().value(0).startsWith(c.failure), qPrintable(db.dispatch.prompts().join('\n')));
    QVERIFY2(db.dispatch.prompts().value(0).contains(QStringLiteral("injected failure")),
             qPrintable(db.dispatch.prompts().join('\n')));
}

void UsersAudit::withoutTheTableEveryCommandWorks_data()
{
    QTest::addColumn<int>("command");
    for (int i = 0; i < commands().size(); ++i)
        QTest::newRow(commands().at(i).name) << i;
}

void UsersAudit::withoutTheTableEveryCommandWorks()
{
    QFETCH(int, command);
    const Command &c = commands().at(command);
    UserDatabases db;
    db.hr(QStringLiteral("Drop Table TSys_UserAudit"));
    const QString before = db.hrUsers();
    UserWindow w = openWindowOnTheTownship();
    QVERIFY(w->lblStatus->isVisible());
    QCOMPARE(w->lblStatus->Caption(), UserAudit::NotKept);
    c.run(db, *w);
    QCOMPARE(db.dispatch.prompts().value(0), c.success);
    QVERIFY(db.hrUsers() != before);
}

// The password a new user gets, and only when the question is answered yes;
// the button goes with the right to edit.
void UsersAudit::aResetSetsTheInitialPasswordOrNothing()
{
    UserDatabases db;
    db.grant({254, 256});
    {
        UserWindow w = openWindowOnTheTownship();
        QCOMPARE(w->BtnResetPwd->Visible(), TdxBarItemVisible::ivNever);
    }
    db.grant({255});
    UserWindow w = openWindowOnTheTownship();
    QVERIFY(w->BtnResetPwd->Enabled());
    w->CDSUserData->Locate(QStringLiteral("UserCode"), QStringLiteral("51010100100002"));
    for (const int answer : {0, 1}) {
        db.dispatch.queueConfirm(answer);
        click(*w, w->BtnResetPwd);
        QCOMPARE(db.hrValue(QStringLiteral("Select PassWord From p_User Where UserCode = '51010100100002'")).toString(),
                 answer ? TUserInfoAddEditForm::InitialPassword : QStringLiteral("p2"));
    }
    QCOMPARE(db.dispatch.confirms().size(), 2);
    QCOMPARE(db.dispatch.prompts(), QStringList{QStringLiteral("密码重置成功!")});
    QCOMPARE(auditCount(db), 1);
}

// The log row written on a second try, under another id, takes the run's
// rows of the trail with it.
void UsersAudit::syncRowsFollowTheLogRowToAnotherId()
{
    UserDatabases db;
    UserWindow w = openWindowOnTheTownship();
    FaultySession faulty(db.session());
    int tries = 0;
    faulty.breakIf([&](int, const QString &slot, const QString &sql) {
        return slot == QLatin1String("ExecHrSql") && sql.startsWith(QLatin1String("Insert Into TSys_UserSyncLog "))
            && ++tries == 1;
    });
    {
        ScopedModuleSession scoped(&faulty);
        commands().at(3).run(db, *w);
    }
    QCOMPARE(tries, 2);
    QCOMPARE(db.dispatch.prompts(), QStringList{QStringLiteral("同步农合用户信息数据成功")});
    QCOMPARE(db.hrValue(QStringLiteral("Select Count(*) From TSys_UserAudit a Join TSys_UserSyncLog l "
                                       "On l.LogID = a.SyncLogID")).toInt(),
             2);
}

QTEST_MAIN(UsersAudit)
#include "tst_users_audit.moc"
