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

// Runs body on the user dialog once it is up, types into it as a person does
// and saves; the dialog is closed whatever happens, so exec() never waits.
void whenDialog(std::function<void(TUserInfoAddEditForm &)> body)
{
    QTimer::singleShot(0, [body = std::move(body)] {
        QPointer dialog = qobject_cast<TUserInfoAddEditForm *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        body(*dialog);
        QTest::mouseClick(dialog->btnOK, Qt::LeftButton);
        if (dialog && dialog->isVisible())
            dialog->close();
    });
}

void type(TcxDBMaskEdit *editor, const QString &text)
{
    QLineEdit *line = editor->findChild<QLineEdit *>();
    line->selectAll();
    QTest::keyClick(line, Qt::Key_Delete);
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, line, Qt::Key_unknown, QString(c), Qt::NoModifier);
    editor->PostEditValue();
}

// A command of the window as a person gives it, on 一乡 (510101001), and what
// a run that goes through asks and writes to the trail.
struct Command
{
    const char *name;
    QString success, failure;  // the prompt of a success; how the prompt of a failure begins
    QString change;            // how the statement of the change begins
    std::function<void(UserDatabases &, TUserInfoMagForm &)> run;
    QStringList asked, rows;   // see auditRows
};

const QString Sync = QStringLiteral("同步|%1|admin|here|run|-|");

const QList<Command> &commands()
{
    static const QList<Command> all{
        // What the dialog stored, as stored: the host's codes of the name (none
        // from the test's host), typed text cleaned (' becomes ‘).
        {"新增", "数据保存成功!", "数据保存失败!", " Insert Into P_User",
         [](UserDatabases &, TUserInfoMagForm &w) {
             whenDialog([](TUserInfoAddEditForm &dialog) {
                 dialog.EdtSN->SetText(QStringLiteral("07"));
                 type(dialog.EdtUserName, QStringLiteral("新人"));
                 // A key in the unit editor opens the host's picker: the unit goes in as it would come back.
                 dialog.FCDSMaster->Edit();
                 dialog.FCDSMaster->FieldByName(QStringLiteral("OrgCode"))->SetAsString(QStringLiteral("A1"));
                 dialog.FCDSMaster->Post();
             });
             click(w, w.BtnAdd);
         },
         {}, {"新增|5101010010007|新人|admin|here|-|-|UserCode ∅→5101010010007; UserName ∅→新人; OrgCode ∅→A1; "
              "PassWord ∅→已更改"}},
        {"修改", "数据保存成功!", "数据保存失败!", " UpDate P_User",
         [](UserDatabases &, TUserInfoMagForm &w) {
             w.CDSUserData->Locate(QStringLiteral("UserCode"), QStringLiteral("51010100100001"));
             whenDialog([](TUserInfoAddEditForm &dialog) {
                 type(dialog.EdtUserName, QStringLiteral("张三丰"));
                 type(dialog.EdtContactType, QStringLiteral("it's"));
             });
             click(w, w.BtnEdit);
         },
         {}, {"修改|51010100100001|张三丰|admin|here|-|-|UserName 张三→张三丰; Spell ZS→∅; FiveStrokes XD→∅; "
              "ContactType 13800000001→it‘s"}},
        // Every column kept, the password beside the changes.
        {"删除", "删除成功!", "删除失败!", "Delete P_User",
         [](UserDatabases &db, TUserInfoMagForm &w) {
             w.CDSUserData->Locate(QStringLiteral("UserCode"), QStringLiteral("51010100100003"));
             db.dispatch.queueConfirm(1);
             click(w, w.BtnDel);
         },
         {"您确定要删除当前选中的用户信息记录?"},
         {"删除|51010100100003|王五|admin|here|-|p3|UserCode 51010100100003→∅; UserName 王五→∅; Spell WW→∅; "
          "FiveStrokes GG→∅; OrgCode A1→∅; Grade 3→∅; ContactType →∅; PassWord 已更改→∅; InpPerCode ∅→∅; "
          "InpDate ∅→∅"}},
        // One row per user written, naming the run's log row; texts kept exactly.
        {"同步", "同步农合用户信息数据成功", "同步农合用户信息数据失败!", " Insert Into p_User",
         [](UserDatabases &db, TUserInfoMagForm &w) {
             db.rcms(QStringLiteral("Insert Into p_User (UserCode, UserName, OrgCode, PassWord, ContactType) Values "
                                    "('n1', '新', 'A1', 'a', 'a\"b\\c\nd'), ('51010100100002', '李四', 'A2', 'changed', '')"));
             click(w, w.BtnSyh);
         },
         {}, {Sync.arg("n1|新") + "UserCode ∅→n1; UserName ∅→新; Spell ∅→; FiveStrokes ∅→; OrgCode ∅→A1; Grade ∅→; "
                                  "PassWord ∅→已更改; ContactType ∅→a\"b\\c\nd",
              Sync.arg("51010100100002|李四") + "Spell LS→; FiveStrokes SL→; Grade 3→; PassWord 已更改→已更改; "
                                               "ContactType 13800000002→"}},
        // The password set back to a new user's, asked naming the user.
        {"重置密码", "密码重置成功!", "密码重置失败!", "Update p_User Set PassWord",
         [](UserDatabases &db, TUserInfoMagForm &w) {
             w.CDSUserData->Locate(QStringLiteral("UserCode"), QStringLiteral("51010100100001"));
             db.dispatch.queueConfirm(1);
             click(w, w.BtnResetPwd);
         },
         {"确定将 张三(51010100100001) 的密码重置为初始密码?"},
         {"重置密码|51010100100001|张三|admin|here|-|-|PassWord 已更改→已更改"}},
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
// the row names the synchronisation's (last) log row, the kept password, and
// the changes as "column before→after" (∅ for none); a row stamped outside the
// span given shows its time first.
QStringList auditRows(UserDatabases &db, const QDateTime &from, const QDateTime &to)
{
    const QVariant logId = db.hrValue(QStringLiteral("Select Max(LogID) From TSys_UserSyncLog"));
    QStringList rows;
    for (const auto &row : db.session().OpenHrData(QStringLiteral(
             "Select Kind, UserCode, UserName, OperatorCode, MachineName, SyncLogID, PassWord, Changes, AuditTime "
             "From TSys_UserAudit Order By AuditID")).rows) {
        if (row.at(8).toDateTime() < from || row.at(8).toDateTime() > to)
            rows << row.at(8).toString();
        QStringList changes;
        for (const UserAudit::Change &c : UserAudit::changesFrom(row.at(7).toString()))
            changes << c.column + ' ' + c.before.value_or("∅") + "→" + c.after.value_or("∅");
        const QString link = row.at(5).isNull() ? "-" : row.at(5).toString() == logId.toString() ? "run" : row.at(5).toString();
        rows << QStringList{row.at(0).toString(), row.at(1).toString(), row.at(2).toString(), row.at(3).toString(),
                            row.at(4).toString() == QSysInfo::machineHostName() ? "here" : row.at(4).toString(), link,
                            row.at(6).isNull() ? "-" : row.at(6).toString(), changes.join("; ")}
                    .join('|');
    }
    return rows;
}

int auditCount(UserDatabases &db)
{
    return db.hrValue(QStringLiteral("Select Count(*) From TSys_UserAudit")).toInt();
}

const QString DropTheTable = QStringLiteral("(no table)");

} // namespace

class UsersAudit : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (const QString unavailable = UserDatabases::unavailableReason(); !unavailable.isEmpty())
            QSKIP(qPrintable(unavailable));
    }
    void eachCommand_data();
    void eachCommand();
    void aResetSetsTheInitialPasswordOrNothing();
};

void UsersAudit::eachCommand_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<QString>("broken");  // how the statement that fails once begins
    QTest::addColumn<int>("hits");        // how many such statements were given
    for (int i = 0; i < commands().size(); ++i) {
        const Command &c = commands().at(i);
        QTest::addRow("%s", c.name) << i << QString() << 0;
        QTest::addRow("%s, fault at the trail's insert", c.name) << i << QStringLiteral("Insert Into TSys_UserAudit") << 1;
        QTest::addRow("%s, fault at the change", c.name) << i << c.change << 1;
        QTest::addRow("%s, without the table", c.name) << i << DropTheTable << 0;
    }
    // The log row written on a second try, under another id, takes the run's rows of the trail with it.
    QTest::addRow("同步, log row on a second try") << 3 << QStringLiteral("Insert Into TSys_UserSyncLog ") << 2;
}

void UsersAudit::eachCommand()
{
    QFETCH(int, command);
    QFETCH(QString, broken);
    QFETCH(int, hits);
    const Command &c = commands().at(command);
    UserDatabases db;
    const bool dropped = broken == DropTheTable;
    if (dropped)
        db.hr(QStringLiteral("Drop Table TSys_UserAudit"));
    const QString before = db.hrUsers();
    UserWindow w = openWindowOnTheTownship();
    QCOMPARE(w->lblStatus->isVisible(), dropped);
    if (dropped)
        QCOMPARE(w->lblStatus->Caption(), UserAudit::NotKept);
    FaultySession faulty(db.session());
    int given = 0;
    faulty.breakIf([&](int, const QString &slot, const QString &sql) {
        return !dropped && !broken.isEmpty() && slot == QLatin1String("ExecHrSql") && sql.startsWith(broken)
            && ++given == 1;
    });
    // The database keeps milliseconds (SQL Server's datetime rounds them to 3 ms).
    const QDateTime from = QDateTime::currentDateTime().addMSecs(-4);
    {
        ScopedModuleSession scoped(&faulty);
        c.run(db, *w);
    }
    const QDateTime to = QDateTime::currentDateTime().addMSecs(4);
    QCOMPARE(given, hits);
    const QString said = db.dispatch.prompts().join('\n');
    if (hits == 1) {
        QCOMPARE(db.hrUsers(), before);
        QCOMPARE(auditCount(db), 0);
        const QString first = db.dispatch.prompts().value(0);
        QVERIFY2(first.startsWith(c.failure) && first.contains(QStringLiteral("injected failure")), qPrintable(said));
        return;
    }
    QCOMPARE(said, c.success);
    if (dropped) {
        QVERIFY(db.hrUsers() != before);
        return;
    }
    QCOMPARE(db.dispatch.confirms(), c.asked);
    QCOMPARE(auditRows(db, from, to), c.rows);
    QVERIFY(w->lblStatus->isHidden());
}

// The password a new user gets, and only when the question is answered yes;
// the button goes with the right to edit.
void UsersAudit::aResetSetsTheInitialPasswordOrNothing()
{
    UserDatabases db;
    db.grant({254, 256});
    QCOMPARE(openWindowOnTheTownship()->BtnResetPwd->Visible(), TdxBarItemVisible::ivNever);
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

QTEST_MAIN(UsersAudit)
#include "tst_users_audit.moc"
