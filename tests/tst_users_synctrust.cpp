// The synchronisation around its own steps, on the real SQLite session and
// through the window's buttons: the preview foretells exactly what the run does
// and writes nothing; a run shows its progress, can be cancelled, tells its
// counts and leaves one log row however it ends.
#include <QtTest>

#include <QComboBox>
#include <QFile>
#include <QPushButton>
#include <QTableView>

#include <map>

#include "ClientDataSet.h"
#include "FaultySession.h"
#include "RecordingSession.h"
#include "Screenshot.h"
#include "SyncLog.h"
#include "SyncLogDialog.h"
#include "SyncPreview.h"
#include "SyncPreviewDialog.h"
#include "TcxButton.h"
#include "TcxDBTreeList.h"
#include "TcxLabel.h"
#include "TcxTabControl.h"
#include "TdxBarManager.h"
#include "UUserInfoMagFrm.h"
#include "UserDatabases.h"
#include "UserWindow.h"

namespace {

void click(TUserInfoMagForm &w, TdxBarLargeButton *button)
{
    QTest::mouseClick(w.dxbrTool->widgetForAction(button->action()), Qt::LeftButton);
}

// 40 generated users, one kind each by i % 10: one compared column changed
// alone (0-6), name, unit and password at once (7), identical (8), and a code
// RCMS writes in capitals, which the NOCASE key takes for the same user (9).
// Every 13th user from the 6th on is only in RCMS. With the fixture's two
// users RCMS also has, RCMS holds 42 users.
void generateDifferences(UserDatabases &db)
{
    QStringList hrRows, rcmsRows;
    const auto values = [](const QString &code, const QStringList &texts) {
        return QStringLiteral("('%1','%2')").arg(code, texts.join(QStringLiteral("','")));
    };
    for (int i = 0; i < 40; ++i) {
        const QString code = QStringLiteral("g%1").arg(i, 3, 10, QLatin1Char('0'));
        const QStringList base{QStringLiteral("名%1").arg(i), QStringLiteral("mz"), QStringLiteral("qt"),
                               QStringLiteral("A1"), QStringLiteral("3"), QStringLiteral("pw%1").arg(i),
                               QStringLiteral("138")};
        QStringList source = base;
        const int kind = i % 10;
        if (kind < 7)
            source[kind] += QLatin1Char('x');
        else if (kind == 7)
            source[0] += QLatin1Char('y'), source[3] = QStringLiteral("A2"), source[5] += QLatin1Char('y');
        else if (kind == 9)
            source[0] += QLatin1Char('z');
        if (i % 13 != 5)
            hrRows << values(code, base);
        rcmsRows << values(kind == 9 ? code.toUpper() : code, source);
    }
    const QString insert = QStringLiteral("Insert Into p_User (UserCode, UserName, Spell, FiveStrokes, OrgCode, Grade, "
                                          "PassWord, ContactType) Values ");
    db.hr(insert + hrRows.join(QLatin1Char(',')));
    db.rcms(insert + rcmsRows.join(QLatin1Char(',')));
    // The fixture's own users: one identical, one whose NULL contact is '' to the run.
    db.rcms(insert + QStringLiteral("('51010100100001', '张三', 'ZS', 'XD', 'A1', '3', 'p1', '13800000001'),"
                                    " ('51010100100003', '王五', 'WW', 'GG', 'A1', '3', 'p3', Null)"));
}

// The health-record users by code as the key compares it: the compared texts
// in the preview's column order.
std::map<QString, QStringList> hrUsers(UserDatabases &db)
{
    std::map<QString, QStringList> users;
    for (const auto &row : db.session().OpenHrData(QStringLiteral("Select UserCode, UserName, Spell, FiveStrokes, "
                                                                  "OrgCode, Grade, PassWord, ContactType From p_User")).rows) {
        QStringList texts;
        for (int i = 1; i < row.size(); ++i)
            texts << row.at(i).toString();
        users[row.at(0).toString().toUpper()] = texts;
    }
    return users;
}

// Every table of the health-record database but the log's, row by row.
QString everythingButTheLog(UserDatabases &db)
{
    QString all;
    for (const auto &table : db.session().OpenHrData(QStringLiteral(
             "Select name From sqlite_master Where type = 'table' And name Not Like 'TSys_UserSyncLog%' Order By name")).rows) {
        all += table.at(0).toString() + QLatin1Char(':');
        for (const auto &row : db.session().OpenHrData(QStringLiteral("Select * From ") + table.at(0).toString()).rows)
            for (const QVariant &v : row)
                all += v.toString() + QLatin1Char('|');
    }
    return all;
}

// Statements as slow as a server's, so that the panel counts on the way.
void slowStatements(UserDatabases &db, unsigned long microseconds)
{
    db.onSessionCall([microseconds](const char *slot, const QString &) {
        if (qstrcmp(slot, "ExecHrSql") == 0)
            QThread::usleep(microseconds);
    });
}

QByteArray bytesOf(const QString &file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class UsersSyncTrust : public QObject
{
    Q_OBJECT

private slots:
    void previewForetellsTheRunAndWritesNothing();
    void previewDialogFiltersByKindAndStartsTheRun();
    void aStoppedRunChangesNothingAndIsLogged_data();
    void aStoppedRunChangesNothingAndIsLogged();
    void aCancelWithStatementsAsideOnTheWayChangesNothing();
    void cancelIsClosedOnceTheRunCommits();
    void aRunTellsItsCountsKeepsTheAreaAndLogsTheChanges();
    void withoutTheLogTablesTheRunWorksAndSaysSoOnce();
    void aLogFaultNeverChangesTheOutcome_data();
    void aLogFaultNeverChangesTheOutcome();
    void theLogKeepsOneRowPerChangedUser_data();
    void theLogKeepsOneRowPerChangedUser();
};

void UsersSyncTrust::previewForetellsTheRunAndWritesNothing()
{
    UserDatabases db;
    generateDifferences(db);
    const QByteArray hrBefore = bytesOf(db.hrFile()), rcmsBefore = bytesOf(db.rcmsFile());
    const auto before = hrUsers(db);

    const SyncPreview preview = SyncPreview::read(db.session());
    QVERIFY2(bytesOf(db.hrFile()) == hrBefore && bytesOf(db.rcmsFile()) == rcmsBefore, "the preview wrote");

    UserWindow w = openUserWindow();
    click(*w, w->BtnSyh);
    QCOMPARE(db.dispatch.prompts(), QStringList{QStringLiteral("同步农合用户信息数据成功")});
    const auto after = hrUsers(db);

    // What the run did, worked out from the table before and after, against
    // what the preview said it would do.
    QStringList done, foretold;
    int changedUsers = 0;
    for (const auto &[code, texts] : after) {
        const auto was = before.find(code);
        if (was == before.end()) {
            done << QStringLiteral("新增 ") + code;
            continue;
        }
        bool differs = false;
        for (int c = 0; c < SyncPreview::ColumnCount; ++c) {
            if (was->second.at(c) == texts.at(c))
                continue;
            differs = true;
            const bool shown = c != SyncPreview::Password;
            done << QStringLiteral("%1 %2 %3 -> %4").arg(code, SyncPreview::columnCaption(SyncPreview::Column(c)),
                                                        shown ? was->second.at(c) : QString(), shown ? texts.at(c) : QString());
        }
        changedUsers += differs;
    }
    for (const SyncPreview::Change &c : preview.changes)
        foretold << (c.added ? QStringLiteral("新增 ") + c.userCode.toUpper()
                             : QStringLiteral("%1 %2 %3 -> %4").arg(c.userCode.toUpper(), SyncPreview::columnCaption(c.column),
                                                                    c.oldValue, c.newValue));
    done.sort();
    foretold.sort();
    QCOMPARE(foretold, done);
    QCOMPARE(preview.added, int(after.size() - before.size()));
    QCOMPARE(preview.changed, changedUsers);
    QCOMPARE(preview.added + preview.changed + preview.same, 42);
    QCOMPARE(preview.withoutSource, 3);  // admin, 51010100100002, 51010200000001
    QVERIFY(preview.changedPerColumn[SyncPreview::Name] > 0 && preview.same > 0);
}

void UsersSyncTrust::previewDialogFiltersByKindAndStartsTheRun()
{
    UserDatabases db;
    generateDifferences(db);
    UserWindow w = openUserWindow();
    QStringList kinds;
    QString password;
    QTimer::singleShot(0, this, [&] {
        auto *dialog = w->findChild<SyncPreviewDialog *>();
        QVERIFY(dialog);
        screenshot(dialog, "sync-preview");
        auto *table = dialog->findChild<QTableView *>(QStringLiteral("TblPreviewChanges"));
        auto *filter = dialog->findChild<QComboBox *>(QStringLiteral("CmbPreviewFilter"));
        filter->setFocus();
        QTest::keyClick(filter, Qt::Key_Down);  // new users only
        for (int r = 0; r < table->model()->rowCount(); ++r)
            kinds << table->model()->headerData(r, Qt::Vertical).toString() + QLatin1Char(' ')
                    + table->model()->index(r, 2).data().toString() + QLatin1Char(' ')
                    + table->model()->index(r, 0).data().toString();
        filter->setCurrentIndex(SyncPreviewDialog::FirstColumn + SyncPreview::Password);
        password = table->model()->index(0, 4).data().toString() + QLatin1Char('|')
            + table->model()->index(0, 5).data().toString();
        QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("BtnPreviewSync")), Qt::LeftButton);
    });
    click(*w, w->BtnPreview);
    QTRY_COMPARE(db.dispatch.prompts(), QStringList{QStringLiteral("同步农合用户信息数据成功")});
    // Numbered as shown, from 1.
    QCOMPARE(kinds, (QStringList{QStringLiteral("1 新增 g005"), QStringLiteral("2 新增 g018"), QStringLiteral("3 新增 g031")}));
    QCOMPARE(password, QStringLiteral("|已更改"));
    QCOMPARE(db.hrValue(QStringLiteral("Select Count(*) From p_User Where UserCode = 'g005'")).toInt(), 1);
}

void UsersSyncTrust::aStoppedRunChangesNothingAndIsLogged_data()
{
    QTest::addColumn<int>("at");      // the user cancelled at, or the one that fails
    QTest::addColumn<bool>("fails");  // else the person cancels
    QTest::addColumn<QString>("logged");
    QTest::addColumn<bool>("aside");  // the statements run on a thread of their own
    const QString cancelled = QStringLiteral("已取消 0/0/0 ");
    const QString failed = QStringLiteral("失败 0/0/0 用户 g021: 违反数据约束: 拒绝修改");
    QTest::newRow("cancel at the first user") << 1 << false << cancelled << false;
    QTest::newRow("cancel at a middle user") << 21 << false << cancelled << false;
    QTest::newRow("cancel at the last user") << 42 << false << cancelled << false;
    QTest::newRow("failure at a middle user") << 22 << true << failed << false;
    QTest::newRow("cancel at a middle user, statements aside") << 21 << false << cancelled << true;
    QTest::newRow("failure at a middle user, statements aside") << 22 << true << failed << true;
}

void UsersSyncTrust::aStoppedRunChangesNothingAndIsLogged()
{
    QFETCH(int, at);
    QFETCH(bool, fails);
    QFETCH(QString, logged);
    QFETCH(bool, aside);
    UserDatabases db;
    db.session().HrWritesAside = aside;
    generateDifferences(db);
    if (fails)
        db.hr(QStringLiteral("Create Trigger Refuse Before Update On p_User When New.UserCode = 'g021' "
                             "Begin Select Raise(Abort, '拒绝修改'); End"));
    const QString before = everythingButTheLog(db);
    slowStatements(db, 2000);
    UserWindow w = openUserWindow();
    QString progress;
    int lastDone = -1;
    connect(w.get(), &TUserInfoMagForm::SyncProgress, this, [&](int done, int total) {
        QCOMPARE(total, 42);
        lastDone = done;
        if (fails || done != at)
            return;
        // The window is busy: 删除 takes no click, the panel's 取消 does.
        QVERIFY(w->TabCtlProgress->isVisible());
        if (at == 21)
            screenshot(w.get(), "sync-progress");
        click(*w, w->BtnDel);
        QTest::mouseClick(w->BtnSyncCancel, Qt::LeftButton);
        progress = w->LblProgress->text();
    });
    click(*w, w->BtnSyh);
    QCOMPARE(db.dispatch.prompts().size(), 1);
    QVERIFY2(db.dispatch.prompts().first().startsWith(fails ? QStringLiteral("同步农合用户信息数据失败!原因:")
                                                            : QStringLiteral("已取消同步, 数据未改变")),
             qPrintable(db.dispatch.prompts().first()));
    QCOMPARE(everythingButTheLog(db), before);
    QCOMPARE(db.syncLogRuns(), QStringList{logged});
    QCOMPARE(db.hrValue(QStringLiteral("Select Count(*) From TSys_UserSyncLogDet")).toInt(), 0);
    QVERIFY(!w->TabCtlProgress->isVisible());
    QCOMPARE(lastDone, fails ? at - 1 : at);
    if (!fails)  // counted on the way, by the time of the middle user
        QVERIFY2(QRegularExpression(at > 1 ? QStringLiteral("^已处理 [1-9][0-9]* / 42$") : QStringLiteral("^已处理 0 / 42$"))
                     .match(progress).hasMatch(),
                 qPrintable(progress));
}

// Thousands of users with their statements aside, each as slow as a server's:
// the window passes events while the statements run, and a cancel comes with
// more of them handed on than have run. They stop before the rollback.
void UsersSyncTrust::aCancelWithStatementsAsideOnTheWayChangesNothing()
{
    UserDatabases db;
    db.session().HrWritesAside = true;
    db.rcms(QStringLiteral("With Recursive n(i) As (Select 1 Union All Select i + 1 From n Where i < 3000) "
                           "Insert Into p_User (UserCode, UserName, PassWord) Select 'c' || i, '用户' || i, 'p' From n"));
    const QString before = everythingButTheLog(db);
    slowStatements(db, 200);
    UserWindow w = openUserWindow();
    QStringList captions;
    connect(w.get(), &TUserInfoMagForm::SyncProgress, this, [&](int done, int) {
        if (captions.isEmpty() || captions.last() != w->LblProgress->text())
            captions << w->LblProgress->text();
        if (done == 2000)
            QTest::mouseClick(w->BtnSyncCancel, Qt::LeftButton);
    });
    click(*w, w->BtnSyh);
    QCOMPARE(db.dispatch.prompts(), QStringList{QStringLiteral("已取消同步, 数据未改变")});
    QCOMPARE(everythingButTheLog(db), before);
    QCOMPARE(db.syncLogRuns(), QStringList{QStringLiteral("已取消 0/0/0 ")});
    QVERIFY2(captions.size() > 3, qPrintable(captions.join(QLatin1Char(','))));  // counted on the way
}

// Once every user is written the run commits: 取消 says so and takes no
// click, rather than taking one it cannot honour; the next run opens it again.
void UsersSyncTrust::cancelIsClosedOnceTheRunCommits()
{
    UserDatabases db;
    generateDifferences(db);
    UserWindow w = openUserWindow();
    QStringList cancel;  // its state when each run starts, and at the commit
    const auto note = [&] { cancel << QStringLiteral("%1 %2").arg(w->BtnSyncCancel->isEnabled()).arg(w->BtnSyncCancel->text()); };
    connect(w.get(), &TUserInfoMagForm::SyncProgress, this, [&](int done, int) { if (done == 0) note(); });
    connect(w.get(), &TUserInfoMagForm::SyncCommitting, this, [&] {
        note();
        if (cancel.size() == 2)
            screenshot(w.get(), "sync-committing");
        QTest::mouseClick(w->BtnSyncCancel, Qt::LeftButton);
    });
    for (int run = 0; run < 2; ++run)
        click(*w, w->BtnSyh);
    QCOMPARE(cancel, (QStringList{QStringLiteral("1 取消"), QStringLiteral("0 正在提交…"), QStringLiteral("1 取消"),
                                  QStringLiteral("0 正在提交…")}));
    QCOMPARE(db.dispatch.prompts(), QStringList(2, QStringLiteral("同步农合用户信息数据成功")));
    QCOMPARE(db.syncLogRuns().size(), 2);
    QVERIFY(db.syncLogRuns().first().startsWith(QStringLiteral("成功 ")));
    QCOMPARE(db.hrValue(QStringLiteral("Select Count(*) From p_User Where UserCode = 'g005'")).toInt(), 1);
}

void UsersSyncTrust::aRunTellsItsCountsKeepsTheAreaAndLogsTheChanges()
{
    UserDatabases db;
    generateDifferences(db);
    const SyncPreview preview = SyncPreview::read(db.session());
    UserWindow w = openUserWindow();
    QVERIFY(w->CDSAreaData->Locate(QStringLiteral("StaAreaCode"), QStringLiteral("510101002")));
    w->TreLstArea->SetFocusedRecordIndex(w->CDSAreaData->RecNo() - 1);
    click(*w, w->BtnSyh);
    QCOMPARE(db.dispatch.prompts(), QStringList{QStringLiteral("同步农合用户信息数据成功")});
    QCOMPARE(w->CDSAreaData->FieldByName(QStringLiteral("StaAreaCode"))->AsString(), QStringLiteral("510101002"));
    const QString counts = QStringLiteral("新增 %1 人, 更新 %2 人, 未变 %3 人, 用时 ")
                               .arg(preview.added).arg(preview.changed).arg(preview.same);
    QVERIFY2(w->lblSyncCounts->isVisible() && w->lblSyncCounts->text().startsWith(counts),
             qPrintable(w->lblSyncCounts->text()));
    QCOMPARE(w->LblProgress->text(), QStringLiteral("已处理 42 / 42"));
    screenshot(w.get(), "sync-counts");
    QCOMPARE(db.syncLogRuns(), QStringList{QStringLiteral("成功 %1/%2/%3 ").arg(preview.added).arg(preview.changed).arg(preview.same)});
    // One row per changed user; a password's values are never kept.
    QCOMPARE(db.hrValue(QStringLiteral("Select Count(*) From TSys_UserSyncLogDet")).toInt(), preview.added + preview.changed);
    QCOMPARE(db.hrValue(QStringLiteral("Select ChangedColumns || ' ' || OldValues || ' ' || NewValues "
                                       "From TSys_UserSyncLogDet Where UserCode = 'g007'")).toString(),
             QStringLiteral("姓名,所属单位,密码 姓名=名7; 所属单位=A1 姓名=名7y; 所属单位=A2"));

    // 同步记录: the run with the duration the status line tells, and the users it changed.
    const QString seconds = QRegularExpression(QStringLiteral("用时 ([0-9.]+) 秒")).match(w->lblSyncCounts->text()).captured(1);
    int runs = -1, changes = -1;
    QString loggedSeconds;
    QTimer::singleShot(0, this, [&] {
        auto *dialog = w->findChild<SyncLogDialog *>();
        QVERIFY(dialog);
        screenshot(dialog, "sync-log");
        QAbstractItemModel *runList = dialog->findChild<QTableView *>(QStringLiteral("TblSyncRuns"))->model();
        runs = runList->rowCount();
        loggedSeconds = runList->index(0, 7).data().toString();
        changes = dialog->findChild<QTableView *>(QStringLiteral("TblSyncChanges"))->model()->rowCount();
        dialog->reject();
    });
    click(*w, w->BtnSyncLog);
    QTRY_COMPARE(runs, 1);
    QCOMPARE(changes, preview.added + preview.changed);
    QVERIFY(!seconds.isEmpty());
    QCOMPARE(loggedSeconds, seconds);
}

void UsersSyncTrust::withoutTheLogTablesTheRunWorksAndSaysSoOnce()
{
    UserDatabases db;
    db.hr(QStringLiteral("Drop Table TSys_UserSyncLog; Drop Table TSys_UserSyncLogDet"));
    db.rcms(QStringLiteral("Insert Into p_User (UserCode, UserName, PassWord) Values ('n1', '一', 'a')"));
    UserWindow w = openUserWindow();
    for (const QString &line : {QStringLiteral("新增 1 人, 更新 0 人, 未变 0 人, 用时 t 秒; 数据库中没有同步记录表, 不记录同步日志"),
                                QStringLiteral("新增 0 人, 更新 0 人, 未变 1 人, 用时 t 秒")}) {
        click(*w, w->BtnSyh);
        QCOMPARE(db.dispatch.prompts().last(), QStringLiteral("同步农合用户信息数据成功"));
        QCOMPARE(w->lblSyncCounts->text().replace(QRegularExpression(QStringLiteral("用时 [0-9.]+ 秒")),
                                                  QStringLiteral("用时 t 秒")),
                 line);
    }
    QCOMPARE(db.hrValue(QStringLiteral("Select Count(*) From p_User Where UserCode = 'n1'")).toInt(), 1);
}

void UsersSyncTrust::aLogFaultNeverChangesTheOutcome_data()
{
    QTest::addColumn<QString>("slot");       // the call that breaks
    QTest::addColumn<QString>("statement");  // starting so
    QTest::addColumn<int>("from");           // its calls from..to break, counted from 1
    QTest::addColumn<int>("to");
    QTest::addColumn<QStringList>("prompts");
    QTest::addColumn<QStringList>("logged");
    const QString done = QStringLiteral("同步农合用户信息数据成功");
    const QString noLog = QStringLiteral("同步记录写入失败!原因:");
    QTest::newRow("the run's commit")
        << "CommitHrTrans" << QString() << 1 << 1
        << QStringList{QStringLiteral("同步农合用户信息数据失败!原因:injected failure before CommitHrTrans")}
        << QStringList{QStringLiteral("失败 0/0/0 injected failure before CommitHrTrans")};
    QTest::newRow("the log's commit, every try")
        << "CommitHrTrans" << QString() << 2 << 9
        << QStringList{done, noLog + QStringLiteral("injected failure before CommitHrTrans")} << QStringList();
    QTest::newRow("the log row's insert, once") << "ExecHrSql" << "Insert Into TSys_UserSyncLog " << 1 << 1
                                               << QStringList{done} << QStringList{QStringLiteral("成功 1/0/0 ")};
    QTest::newRow("the check for the log table")
        << "GetHrValue" << "Select Count(*) From TSys_UserSyncLog" << 1 << 1
        << QStringList{done, noLog + QStringLiteral("injected failure before GetHrValue")} << QStringList();
}

// The run's outcome is the users', the log's failure is told beside it, and a
// row never shows figures of a run that did not stay.
void UsersSyncTrust::aLogFaultNeverChangesTheOutcome()
{
    QFETCH(QString, slot);
    QFETCH(QString, statement);
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(QStringList, prompts);
    QFETCH(QStringList, logged);
    UserDatabases db;
    db.rcms(QStringLiteral("Insert Into p_User (UserCode, UserName, PassWord) Values ('n1', '一', 'a')"));
    UserWindow w = openUserWindow();
    FaultySession faulty(db.session());
    int matched = 0;
    faulty.breakIf([&](int, const QString &called, const QString &sql) {
        return called == slot && sql.startsWith(statement) && ++matched >= from && matched <= to;
    });
    {
        ScopedModuleSession scoped(&faulty);
        click(*w, w->BtnSyh);
    }
    QCOMPARE(db.dispatch.prompts(), prompts);
    QCOMPARE(db.syncLogRuns(), logged);
    QCOMPARE(db.hrValue(QStringLiteral("Select Count(*) From p_User Where UserCode = 'n1'")).toInt(),
             prompts.first() == QStringLiteral("同步农合用户信息数据成功") ? 1 : 0);
    QVERIFY2(!w->lblSyncCounts->text().contains(QStringLiteral("同步记录表")), qPrintable(w->lblSyncCounts->text()));
}

using Changes = QVector<SyncPreview::Change>;

void UsersSyncTrust::theLogKeepsOneRowPerChangedUser_data()
{
    QTest::addColumn<Changes>("changes");
    QTest::addColumn<int>("statements");
    QTest::addColumn<QStringList>("rows");  // code|kind|columns|old values|new values, by code
    const auto update = [](const QString &code, SyncPreview::Column column, const QString &was, const QString &now) {
        return SyncPreview::Change{false, code, QString(), column, was, now};
    };
    const auto add = [](const QString &code) { return SyncPreview::Change{true, code, QString(), SyncPreview::Name, {}, {}}; };

    QTest::newRow("quotes") << Changes{update(QStringLiteral("o'neil"), SyncPreview::Name, QStringLiteral("it's"),
                                              QStringLiteral("''"))}
                            << 1 << QStringList{QStringLiteral("o'neil|更新|姓名|姓名=it's|姓名=''")};
    QTest::newRow("several columns, the password's values never kept")
        << Changes{add(QStringLiteral("a1")), update(QStringLiteral("u1"), SyncPreview::Name, QStringLiteral("甲"), QStringLiteral("乙")),
                   update(QStringLiteral("u1"), SyncPreview::Password, QStringLiteral("secret"), QStringLiteral("other")),
                   update(QStringLiteral("u1"), SyncPreview::Contact, QStringLiteral("1"), QStringLiteral("2")),
                   update(QStringLiteral("u2"), SyncPreview::Password, QStringLiteral("s"), QStringLiteral("t"))}
        << 1
        << QStringList{QStringLiteral("a1|新增|||"), QStringLiteral("u1|更新|姓名,密码,联系方式|姓名=甲; 联系方式=1|姓名=乙; 联系方式=2"),
                       QStringLiteral("u2|更新|密码||")};
    const QString longName(2500, QChar(0x957F));
    QTest::newRow("values past 2000 characters cut with an ellipsis")
        << Changes{update(QStringLiteral("L"), SyncPreview::Name, longName, QStringLiteral("x'"))} << 1
        << QStringList{QStringLiteral("L|更新|姓名|姓名=") + longName.left(1996) + QChar(0x2026) + QStringLiteral("|姓名=x'")};
    Changes many;
    QStringList manyRows;
    for (int i = 0; i <= 200; ++i) {
        many << add(QStringLiteral("n%1").arg(i, 3, 10, QLatin1Char('0')));
        manyRows << QStringLiteral("n%1|新增|||").arg(i, 3, 10, QLatin1Char('0'));
    }
    QTest::newRow("201 users in two statements") << many << 2 << manyRows;
}

void UsersSyncTrust::theLogKeepsOneRowPerChangedUser()
{
    QFETCH(Changes, changes);
    QFETCH(int, statements);
    QFETCH(QStringList, rows);
    UserDatabases db;
    SyncLog log(db.session());
    SyncLog::Run run;
    run.started = QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5));
    run.login = QStringLiteral("t");
    log.write(run, changes);
    QCOMPARE(SyncLog::changeStatements(QStringLiteral("id"), changes).size(), statements);
    QStringList stored;
    for (const auto &r : db.session().OpenHrData(QStringLiteral("Select UserCode, ChangeKind, ChangedColumns, OldValues, "
                                                                "NewValues From TSys_UserSyncLogDet Order By UserCode")).rows) {
        QStringList texts;
        for (const QVariant &v : r)
            texts << v.toString();
        stored << texts.join(QLatin1Char('|'));
    }
    QCOMPARE(stored, rows);
}

QTEST_MAIN(UsersSyncTrust)
#include "tst_users_synctrust.moc"
