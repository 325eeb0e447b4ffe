// The viewer of the trail of user changes and bringing a deleted user back
// from it, on real databases (SQLite files, or with LUMO_TEST_HR_BACKEND=
// postgresql both on the PostgreSQL test server), driven as a person drives
// it: filters typed and chosen, rows clicked.
#include <QtTest>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

#include "AuditLogDialog.h"
#include "FaultySession.h"
#include "RecordingSession.h"
#include "Screenshot.h"
#include "TdxBarManager.h"
#include "UserAudit.h"
#include "UserDatabases.h"
#include "UserDeletion.h"
#include "UserWindow.h"

namespace {

const QString Deleted = QStringLiteral("51010100100003");
const QString FaultAtTrail = QStringLiteral("(fault at the trail's insert)");

// A small trail, oldest first: time, operator, kind, user code, name.
void fillTrail(UserDatabases &db)
{
    for (const char *row : {"'2026-03-01 08:00:00', 'admin', '新增', 'u1', '张三'",
                            "'2026-03-02 09:00:00', 'clerk', '修改', 'u1', '张三'",
                            "'2026-03-02 23:59:59.500', 'clerk', '重置密码', 'u2', '李四'",
                            "'2026-03-03 00:00:00', 'admin', '同步', 'u2', '李四'",
                            "'2026-03-04 10:00:00', 'admin', '调整单位', 'u3', '王五'"})
        db.hr(QStringLiteral("Insert Into TSys_UserAudit (AuditTime, OperatorCode, Kind, UserCode, UserName, "
                             "MachineName, Changes) Values (%1, 'PC', '[[\"ContactType\",\"1\",null]]')")
                  .arg(QString::fromUtf8(row)));
}

// Types text into an editor as a person does, replacing what it held, and presses Enter.
void typeInto(QDialog &dialog, const char *name, const QString &text)
{
    auto *edit = dialog.findChild<QLineEdit *>(QString::fromLatin1(name));
    QTest::mouseClick(edit, Qt::LeftButton);
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_Delete);
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
    QTest::keyClick(edit, Qt::Key_Return);
}

QAbstractItemModel *table(QDialog &dialog, const char *name = "TblAudit")
{
    return dialog.findChild<QTableView *>(QString::fromLatin1(name))->model();
}

// The rows listed, "kind user", top first.
QStringList listed(QDialog &dialog)
{
    QStringList rows;
    for (int row = 0; row < table(dialog)->rowCount(); ++row)
        rows << table(dialog)->index(row, 4).data().toString() + ' ' + table(dialog)->index(row, 5).data().toString();
    return rows;
}

// Clicks the first row of the given kind, as a person picks it.
void clickRow(QDialog &dialog, const QString &kind)
{
    auto *table = dialog.findChild<QTableView *>(QStringLiteral("TblAudit"));
    for (int row = 0; row < table->model()->rowCount(); ++row)
        if (table->model()->index(row, 4).data().toString() == kind) {
            const QRect cell = table->visualRect(table->model()->index(row, 1));
            QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
            return;
        }
    QFAIL("no row of that kind");
}

// A packet's first row, each value with its type.
QStringList cells(const data::DataPacket &packet)
{
    QStringList out;
    for (const QVariant &value : packet.rows.at(0))
        out << QString::fromLatin1(value.typeName()) + QLatin1Char(':') + value.toString();
    return out;
}

} // namespace

class UsersAuditLog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (const QString unavailable = UserDatabases::unavailableReason(); !unavailable.isEmpty())
            QSKIP(qPrintable(unavailable));
    }
    void filtersPickTheRows_data();
    void filtersPickTheRows();
    void restoreBringsBackTheRowOrNothing_data();
    void restoreBringsBackTheRowOrNothing();
    void theCommandServesEveryLogin_data();
    void theCommandServesEveryLogin();
};

void UsersAuditLog::filtersPickTheRows_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("operatorCode");
    QTest::addColumn<QString>("user");
    QTest::addColumn<int>("kindKeys");  // Down presses in the kind list
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QString>("said");
    const QStringList all{"调整单位 u3", "同步 u2", "重置密码 u2", "修改 u1", "新增 u1"};
    QTest::newRow("none, newest first") << "" << "" << "" << "" << 0 << all << "";
    // The last day counts whole, to its last millisecond; the next begins at midnight.
    QTest::newRow("one day") << "2026-03-02" << "2026-03-02" << "" << "" << 0
                             << QStringList{"重置密码 u2", "修改 u1"} << "";
    QTest::newRow("from a day on") << "20260303" << "" << "" << "" << 0 << QStringList{"调整单位 u3", "同步 u2"} << "";
    QTest::newRow("operator") << "" << "" << "clerk" << "" << 0 << QStringList{"重置密码 u2", "修改 u1"} << "";
    QTest::newRow("user code") << "" << "" << "" << "u2" << 0 << QStringList{"同步 u2", "重置密码 u2"} << "";
    QTest::newRow("user name") << "" << "" << "" << "张三" << 0 << QStringList{"修改 u1", "新增 u1"} << "";
    QTest::newRow("kind") << "" << "" << "" << "" << 4 << QStringList{"重置密码 u2"} << "";
    QTest::newRow("all at once") << "2026-03-01" << "2026-03-03" << "admin" << "李四" << 8
                                 << QStringList{"同步 u2"} << "";
    // A filter that cannot be read says why and leaves the list as it was.
    QTest::newRow("bad date") << "2026-13-01" << "" << "" << "" << 0 << all
                              << "起始日期 \"2026-13-01\" 无效, 请按 yyyy-MM-dd 输入";
    QTest::newRow("upside down") << "2026-03-04" << "2026-03-01" << "" << "" << 0 << QStringList{"新增 u1"}
                                 << "起始日期不能晚于截止日期";
}

void UsersAuditLog::filtersPickTheRows()
{
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(QString, operatorCode);
    QFETCH(QString, user);
    QFETCH(int, kindKeys);
    QFETCH(QStringList, rows);
    QFETCH(QString, said);
    UserDatabases db;
    fillTrail(db);
    UserAudit audit;
    AuditLogDialog dialog(db.session(), audit, true);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    typeInto(dialog, "EdtAuditOperator", operatorCode);
    typeInto(dialog, "EdtAuditUser", user);
    typeInto(dialog, "EdtAuditTo", to);
    auto *kind = dialog.findChild<QComboBox *>(QStringLiteral("CmbAuditKind"));
    kind->setFocus();
    for (int i = 0; i < kindKeys; ++i)
        QTest::keyClick(kind, Qt::Key_Down);
    typeInto(dialog, "EdtAuditFrom", from);
    QCOMPARE(listed(dialog), rows);
    QCOMPARE(db.dispatch.prompts().value(0), said);
    if (QTest::currentDataTag() == QLatin1String("none, newest first")) {
        clickRow(dialog, QStringLiteral("同步"));
        QAbstractItemModel *changes = table(dialog, "TblAuditChanges");
        QCOMPARE((QStringList{changes->index(0, 0).data().toString(), changes->index(0, 1).data().toString(),
                              changes->index(0, 2).data().toString()}),
                 (QStringList{"联系方式", "1", "(空)"}));
        screenshot(&dialog, "audit_log_viewer");
    }
    if (QTest::currentDataTag() == QLatin1String("all at once"))
        screenshot(&dialog, "audit_log_filtered");
}

void UsersAuditLog::restoreBringsBackTheRowOrNothing_data()
{
    QTest::addColumn<QString>("before");  // run on the database after the delete, or FaultAtTrail
    QTest::addColumn<QString>("said");
    QTest::newRow("free code") << "" << "恢复成功!";
    QTest::newRow("code taken again")
        << "Insert Into p_User (UserCode, UserName, OrgCode) Values ('51010100100003', '赵六', 'A2')"
        << "恢复失败!原因:用户代码 51010100100003 已被用户 赵六 使用, 不能恢复";
    QTest::newRow("unit gone") << "Delete From P_YLFWDW Where OrgCode = 'A1'"
                               << "恢复失败!原因:用户所属的医疗服务单位 A1 已不存在, 不能恢复";
    QTest::newRow("area gone") << "Delete From P_XZQH Where AreaCode = '510101001'"
                               << "恢复失败!原因:医疗服务单位 一乡卫生院 所在的行政区划 510101001 已不存在, 不能恢复";
    QTest::newRow("fault at the trail's insert") << FaultAtTrail << "恢复失败!原因:injected failure";
}

void UsersAuditLog::restoreBringsBackTheRowOrNothing()
{
    QFETCH(QString, before);
    const bool faultAtTrail = before == FaultAtTrail;
    QFETCH(QString, said);
    UserDatabases db;
    // Every column set, a time and text a quote could spoil among them.
    db.hr(QStringLiteral("Update p_User Set ContactType = 'it''s \"x\" \\ 王', InpPerCode = 'admin', "
                         "InpDate = '2024-03-05 08:09:10' Where UserCode = '%1'")
              .arg(Deleted));
    const QString every = QStringLiteral("Select * From p_User Where UserCode = '%1'").arg(Deleted);
    const data::DataPacket row = db.session().OpenHrData(every);
    // SQLite's own rendering of each stored value, its type with it.
    const QString raw = QStringLiteral("Select quote(UserCode) || quote(UserName) || quote(Spell) || "
                                       "quote(FiveStrokes) || quote(OrgCode) || quote(Grade) || quote(ContactType) || "
                                       "quote(PassWord) || quote(InpPerCode) || quote(InpDate) From p_User "
                                       "Where UserCode = '%1'")
                            .arg(Deleted);
    const bool onSqlite = UserDatabases::hrBackend() == QLatin1String("sqlite");
    const QString rawRow = onSqlite ? db.hrValue(raw).toString() : QString();
    UserAudit audit;
    UserDeletion deletion(db.session(), Deleted);
    deletion.setAudit(&audit);
    deletion.run();
    if (!before.isEmpty() && !faultAtTrail)
        db.hr(before);
    const QString users = db.hrUsers();
    const QString count = QStringLiteral("Select Count(*) From TSys_UserAudit");
    const int trail = db.hrValue(count).toInt();

    FaultySession faulty(db.session());
    faulty.breakIf([&](int, const QString &slot, const QString &sql) {
        return faultAtTrail && slot == QLatin1String("ExecHrSql") && sql.startsWith(QLatin1String("Insert Into TSys_UserAudit"));
    });
    ScopedModuleSession scoped(&faulty);
    AuditLogDialog dialog(faulty, audit, true);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto *restore = dialog.findChild<QPushButton *>(QStringLiteral("BtnAuditRestore"));
    clickRow(dialog, QStringLiteral("删除"));
    QVERIFY(restore->isEnabled());
    screenshot(&dialog, "audit_log_deleted_row");
    db.dispatch.queueConfirm(1);
    QTest::mouseClick(restore, Qt::LeftButton);
    QCOMPARE(db.dispatch.confirms(), QStringList{QStringLiteral("确定恢复已删除的用户 王五(51010100100003)?")});
    QVERIFY2(db.dispatch.prompts().value(0).startsWith(said), qPrintable(db.dispatch.prompts().join('\n')));
    if (said != QStringLiteral("恢复成功!")) {
        QCOMPARE(db.hrUsers(), users);
        QCOMPARE(db.hrValue(count).toInt(), trail);
        QVERIFY(!dialog.restoredAny());
        return;
    }
    QVERIFY(dialog.restoredAny());
    QCOMPARE(cells(db.session().OpenHrData(every)), cells(row));
    if (onSqlite)
        QCOMPARE(db.hrValue(raw).toString(), rawRow);
    QCOMPARE(db.hrValue(QStringLiteral("Select Kind From TSys_UserAudit Where AuditID = (Select Max(AuditID) "
                                       "From TSys_UserAudit)")).toString(),
             QStringLiteral("恢复"));
    // The list now shows the 恢复 first; the same row cannot bring the user back twice.
    QCOMPARE(listed(dialog).value(0), QStringLiteral("恢复 51010100100003"));
    screenshot(&dialog, "audit_log_restored");
}

void UsersAuditLog::theCommandServesEveryLogin_data()
{
    QTest::addColumn<QList<int>>("rights");
    QTest::addColumn<bool>("kept");
    QTest::addColumn<QString>("said");          // the prompt instead of the viewer
    QTest::addColumn<bool>("restoreVisible");  // bringing a user back goes with the right to add
    QTest::newRow("add and edit") << QList<int>{254, 255} << true << "" << true;
    QTest::newRow("delete only") << QList<int>{256} << true << "" << false;
    QTest::newRow("no trail kept") << QList<int>{254} << false << UserAudit::NotKept << false;
}

void UsersAuditLog::theCommandServesEveryLogin()
{
    QFETCH(QList<int>, rights);
    QFETCH(bool, kept);
    QFETCH(QString, said);
    QFETCH(bool, restoreVisible);
    UserDatabases db;
    kept ? fillTrail(db) : db.hr(QStringLiteral("Drop Table TSys_UserAudit"));
    rights.size() == 1 ? db.grant({rights.at(0)}) : db.grant({rights.at(0), rights.at(1)});
    UserWindow w = openUserWindow();
    QCOMPARE(w->BtnAuditLog->Visible(), TdxBarItemVisible::ivAlways);
    if (restoreVisible)
        screenshot(w.get(), "audit_log_command");
    int shown = -1;
    bool restoreShown = false;
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<AuditLogDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        shown = listed(*dialog).size();
        auto *restore = dialog->findChild<QPushButton *>(QStringLiteral("BtnAuditRestore"));
        restoreShown = restore && restore->isVisible();
        dialog->reject();
    });
    QTest::mouseClick(w->dxbrTool->widgetForAction(w->BtnAuditLog->action()), Qt::LeftButton);
    QCOMPARE(db.dispatch.prompts().value(0), said);
    QCOMPARE(shown, kept ? 5 : -1);
    QCOMPARE(restoreShown, restoreVisible);
}

QTEST_MAIN(UsersAuditLog)
#include "tst_users_auditlog.moc"
