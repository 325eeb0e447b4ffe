// Commands on several users at once, on real databases (SQLite files, or with
// LUMO_TEST_HR_BACKEND=postgresql both databases on the PostgreSQL test
// server): rows selected by Ctrl and Shift clicks and Ctrl+A, one question
// naming the users, one transaction for all of them.
#include <QtTest>

#include <QHeaderView>
#include <QTableView>

#include "FaultySession.h"
#include "Screenshot.h"
#include "TcxButton.h"
#include "TcxDBTreeList.h"
#include "TcxGridDBTableView.h"
#include "TdxBarManager.h"
#include "UGlobalValue.h"
#include "UUserInfoAddEditFrm.h"
#include "UUserInfoMagFrm.h"
#include "UserAudit.h"
#include "UserDatabases.h"
#include "UserWindow.h"

namespace {

QTableView *grid(TUserInfoMagForm &w)
{
    return w.findChild<TcxGridDBTableView *>(QStringLiteral("grdvwGrdVwData"))->tableView();
}

// The window on 一乡 (510101001), its users sorted by code by a click on the
// code column's header: rows 0, 1, 2 are users 01, 02 and 03.
UserWindow openWindowOnTheTownship()
{
    UserWindow w = openUserWindow();
    if (w->CDSAreaData->Locate(QStringLiteral("StaAreaCode"), QStringLiteral("510101001")))
        w->TreLstArea->SetFocusedRecordIndex(w->CDSAreaData->RecNo() - 1);
    QHeaderView *header = grid(*w)->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionViewportPosition(0) + 10, 5));
    return w;
}

// Gestures on the grid, as a person makes them: "0" clicks row 0, "^2" clicks
// row 2 with Ctrl, "+2" with Shift, "A" is Ctrl+A.
void select(TUserInfoMagForm &w, const QStringList &gestures)
{
    QTableView *table = grid(w);
    for (const QString &g : gestures) {
        const QChar how = g.front();
        if (g == QLatin1String("A"))
            QTest::keyClick(table, Qt::Key_A, Qt::ControlModifier);
        else
            QTest::mouseClick(table->viewport(), Qt::LeftButton,
                              how == u'^' ? Qt::ControlModifier : how == u'+' ? Qt::ShiftModifier : Qt::NoModifier,
                              table->visualRect(table->model()->index(g.right(1).toInt(), 1)).center());
    }
}

void click(TUserInfoMagForm &w, const char *button)
{
    auto *b = w.findChild<TdxBarLargeButton *>(QLatin1String(button));
    QVERIFY(b);
    QTest::mouseClick(w.dxbrTool->widgetForAction(b->action()), Qt::LeftButton);
}

// The township's users: "code unit password" (the initial password as 初始).
QStringList users(UserDatabases &db)
{
    QStringList rows;
    for (const auto &row : db.session().OpenHrData(QStringLiteral(
             "Select UserCode, OrgCode, PassWord From p_User Where UserCode Like '510101001%' Order By UserCode")).rows) {
        const QString password = row.at(2).toString();
        rows << row.at(0).toString().right(2) + QLatin1Char(' ') + row.at(1).toString() + QLatin1Char(' ')
                + (password == TUserInfoAddEditForm::InitialPassword ? QStringLiteral("初始") : password);
    }
    return rows;
}

// The trail's rows, oldest first: "kind code" and, but for a delete's whole
// row, the changes.
QStringList trail(UserDatabases &db)
{
    QStringList rows;
    for (const auto &row :
         db.session().OpenHrData(QStringLiteral("Select Kind, UserCode, Changes From TSys_UserAudit Order By AuditID")).rows) {
        QString text = row.at(0).toString() + QLatin1Char(' ') + row.at(1).toString().right(2);
        if (row.at(0).toString() != QStringLiteral("删除"))
            for (const UserAudit::Change &c : UserAudit::changesFrom(row.at(2).toString()))
                text += QLatin1Char(' ') + c.column + QLatin1Char(' ') + c.before.value_or(QStringLiteral("∅"))
                    + QStringLiteral("→") + c.after.value_or(QStringLiteral("∅"));
        rows << text;
    }
    return rows;
}

// One command on a selection: the gestures, the selection and current row
// they leave (the one-user commands take the current row), the users who
// entered a business record, the picker's unit "code name", the answer to the
// question; then the questions asked, the messages told, the users and the
// trail after.
struct Command
{
    const char *button;
    QStringList gestures;
    QList<int> selected;
    int focused;
    QString withRecords, picked;
    int answer;
    QStringList asked, told, after, trail;
};

const QStringList kAllUsers{"01 A1 p1", "02 A2 p2", "03 A1 p3"};

} // namespace

Q_DECLARE_METATYPE(Command)

class UsersSeveral : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (const QString unavailable = UserDatabases::unavailableReason(); !unavailable.isEmpty())
            QSKIP(qPrintable(unavailable));
    }
    void eachCommandActsOnTheSelection_data();
    void eachCommandActsOnTheSelection();
    void aFaultAtAnyStatementUndoesEveryUser_data();
    void aFaultAtAnyStatementUndoesEveryUser();
    void cancellingADeleteOfSeveralDeletesNobody();
};

void UsersSeveral::eachCommandActsOnTheSelection_data()
{
    QTest::addColumn<Command>("c");
    const QList<int> all{0, 1, 2};
    QTest::newRow("删除 deletes the allowed, names the refused (Ctrl+A)") << Command{
        "BtnDel", {"0", "A"}, all, 0, "02", "", 1, {"您确定要删除选中的 3 个用户?"},
        {"删除成功!共删除 2 个用户。\n以下 1 个用户已产生数据,无法进行删除:\n李四(51010100100002)"},
        {"02 A2 p2"}, {"删除 01", "删除 03"}};
    QTest::newRow("删除 of users who all have records (Ctrl adds a row)") << Command{
        "BtnDel", {"0", "^2"}, {0, 2}, 2, "01 03", "", 1, {"您确定要删除选中的 2 个用户?"},
        {"没有删除任何用户。\n以下 2 个用户已产生数据,无法进行删除:\n张三(51010100100001)\n王五(51010100100003)"},
        kAllUsers, {}};
    QTest::newRow("删除 declined (Shift spans rows)") << Command{
        "BtnDel", {"0", "+2"}, all, 2, "", "", 0, {"您确定要删除选中的 3 个用户?"}, {}, kAllUsers, {}};
    // One row selected: the one-user delete (its guard, before its own
    // question, is tst_users_window's).
    QTest::newRow("删除 of one row") << Command{"BtnDel", {"2"}, {2}, 2, "", "", 1, {"您确定要删除当前选中的用户信息记录?"},
                                             {"删除成功!"}, {"01 A1 p1", "02 A2 p2"}, {"删除 03"}};
    QTest::newRow("重置密码 of two") << Command{
        "BtnResetPwd", {"0", "^1"}, {0, 1}, 1, "", "", 1, {"确定将 张三(51010100100001) 等 2 人的密码重置为初始密码?"},
        {"密码重置成功!"}, {"01 A1 初始", "02 A2 初始", "03 A1 p3"},
        {"重置密码 01 PassWord 已更改→已更改", "重置密码 02 PassWord 已更改→已更改"}};
    // A user already in the unit stays as it is, and off the trail.
    QTest::newRow("调整单位 of three") << Command{
        "BtnMoveOrg", {"0", "+2"}, all, 2, "", "A2 一乡防保所", 1, {"确定将 张三(51010100100001) 等 3 人调整到 一乡防保所(A2)?"},
        {"调整单位成功!"}, {"01 A2 p1", "02 A2 p2", "03 A2 p3"}, {"调整单位 01 OrgCode A1→A2", "调整单位 03 OrgCode A1→A2"}};
    QTest::newRow("调整单位 of one (a plain click selects one again)") << Command{
        "BtnMoveOrg", {"0", "+2", "1"}, {1}, 1, "", "A1 一乡卫生院", 1, {"确定将 李四(51010100100002) 调整到 一乡卫生院(A1)?"},
        {"调整单位成功!"}, {"01 A1 p1", "02 A1 p2", "03 A1 p3"}, {"调整单位 02 OrgCode A2→A1"}};
    QTest::newRow("调整单位 without a unit picked (Ctrl+A keeps the current row)")
        << Command{"BtnMoveOrg", {"1", "A"}, all, 1, "", "", 1, {}, {}, kAllUsers, {}};
    QTest::newRow("调整单位 declined") << Command{"BtnMoveOrg", {"0", "A"}, all, 0, "", "A2 一乡防保所", 0,
                                              {"确定将 张三(51010100100001) 等 3 人调整到 一乡防保所(A2)?"}, {}, kAllUsers, {}};
}

void UsersSeveral::eachCommandActsOnTheSelection()
{
    QFETCH(Command, c);
    UserDatabases db;
    int record = 0;
    for (const QString &serial : c.withRecords.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        db.hr(QStringLiteral("Insert Into TDict_DoctList (RecordID, InpPerCode) Values ('d%1', '5101010010%2')")
                  .arg(++record).arg(serial, 4, QLatin1Char('0')));
    db.picker.setCodeValue(QStringLiteral("单位编码"), c.picked.section(QLatin1Char(' '), 0, 0));
    db.picker.setCodeValue(QStringLiteral("单位名称"), c.picked.section(QLatin1Char(' '), 1, 1));
    db.dispatch.setDefaultConfirm(c.answer);
    UserWindow w = openWindowOnTheTownship();
    select(*w, c.gestures);
    QCOMPARE(w->grdvwGrdVwData->SelectedRecordIndexes(), c.selected);
    QCOMPARE(w->CDSUserData->RecNo() - 1, c.focused);
    QCOMPARE(w->grdvwGrdVwData->FocusedRecordIndex(), c.focused);
    if (c.selected.size() == 3)
        screenshot(w.get(), "several_users_selected");
    click(*w, c.button);
    QCOMPARE(db.dispatch.confirms(), c.asked);
    QCOMPARE(db.dispatch.prompts(), c.told);
    QCOMPARE(users(db), c.after);
    QCOMPARE(trail(db), c.trail);
    // The units offered are the area's, as the add dialog offers them.
    if (QLatin1String(c.button) == QLatin1String("BtnMoveOrg"))
        QCOMPARE(db.picker.Where(), QStringLiteral(" 1=1  And AreaCode = '51010101'"));
}

void UsersSeveral::aFaultAtAnyStatementUndoesEveryUser_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("statement");  // the n-th call inside the transaction, the commit included
    QTest::addColumn<QString>("failure");
    // Three users: a delete reads the guard and the row, deletes and writes
    // the trail for each; a reset updates and writes the trail; a move reads
    // the unit of each, and updates and writes for the two not yet in A2.
    const struct
    {
        const char *button, *failure;
        int statements;
    } commands[] = {{"BtnDel", "删除失败!原因:", 13}, {"BtnResetPwd", "密码重置失败!原因:", 7}, {"BtnMoveOrg", "调整单位失败!原因:", 8}};
    for (const auto &c : commands)
        for (int n = 1; n <= c.statements; ++n)
            QTest::addRow("%s, statement %d", c.button, n) << c.button << n << QString::fromUtf8(c.failure);
}

void UsersSeveral::aFaultAtAnyStatementUndoesEveryUser()
{
    QFETCH(QString, button);
    QFETCH(int, statement);
    QFETCH(QString, failure);
    UserDatabases db;
    db.picker.setCodeValue(QStringLiteral("单位编码"), QStringLiteral("A2"));
    db.picker.setCodeValue(QStringLiteral("单位名称"), QStringLiteral("一乡防保所"));
    UserWindow w = openWindowOnTheTownship();
    select(*w, {"0", "A"});
    const QString before = db.hrUsers();
    FaultySession faulty(db.session());
    bool inTransaction = false;
    int calls = 0, hits = 0;
    faulty.breakIf([&](int, const QString &slot, const QString &) {
        if (slot == QLatin1String("BeginHrTrans"))
            inTransaction = true;
        if (slot == QLatin1String("BeginHrTrans") || !inTransaction || slot == QLatin1String("RollbackHrTrans"))
            return false;
        if (slot == QLatin1String("CommitHrTrans"))
            inTransaction = false;
        return ++calls == statement && ++hits == 1;
    });
    {
        ScopedModuleSession scoped(&faulty);
        click(*w, button.toLatin1().constData());
    }
    QCOMPARE(hits, 1);
    QCOMPARE(db.hrUsers(), before);
    QCOMPARE(trail(db), QStringList());
    QCOMPARE(db.dispatch.prompts().size(), 1);
    const QString told = db.dispatch.prompts().first();
    QVERIFY2(told.startsWith(failure) && told.contains(QStringLiteral("injected failure")), qPrintable(told));
}

// 取消 on the progress panel while the second user's guard runs: the run
// stops after that user and deletes nobody.
void UsersSeveral::cancellingADeleteOfSeveralDeletesNobody()
{
    UserDatabases db;
    UserWindow w = openWindowOnTheTownship();
    select(*w, {"0", "A"});
    auto *cancel = w->findChild<TcxButton *>(QStringLiteral("BtnSyncCancel"));
    int guards = 0;
    db.onSessionCall([&](const char *slot, const QString &sql) {
        if (QLatin1String(slot) == QLatin1String("GetHrValue") && sql.startsWith(QLatin1String("Select Count(*) From ( "))
            && ++guards == 2 && cancel->isVisible())
            QTest::mouseClick(cancel, Qt::LeftButton);
    });
    const QString before = db.hrUsers();
    click(*w, "BtnDel");
    QCOMPARE(guards, 2);
    QCOMPARE(db.hrUsers(), before);
    QCOMPARE(trail(db), QStringList());
    QCOMPARE(db.dispatch.prompts(), QStringList{QStringLiteral("已取消删除, 没有删除任何用户。")});
    QVERIFY(!cancel->isVisible());
}

QTEST_MAIN(UsersSeveral)
#include "tst_users_several.moc"
