// The synchronisation around its own steps, on the real SQLite session: the
// preview foretells exactly what the run does and writes nothing; the run shows
// its progress, can be cancelled, tells its counts and leaves a log row.
#include <QtTest>

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTableView>

#include <map>
#include <memory>

#include "ClientDataSet.h"
#include "FormFactory.h"
#include "SyncLog.h"
#include "SyncLogDialog.h"
#include "SyncPreview.h"
#include "SyncPreviewDialog.h"
#include "TcxDBTreeList.h"
#include "TcxTabControl.h"
#include "TdxBarManager.h"
#include "UUserInfoMagFrm.h"
#include "UserDatabases.h"

namespace {

using Window = std::unique_ptr<TUserInfoMagForm, void (*)(QWidget *)>;
using Users = std::map<QString, QStringList>;

// The health-record users: code -> the compared texts in the preview's column order.
Users hrUsers(HostSession &session)
{
    const data::DataPacket packet = session.OpenHrData(QStringLiteral(
        "Select UserCode, UserName, Spell, FiveStrokes, OrgCode, Grade, PassWord, ContactType From p_User"));
    Users users;
    for (const auto &row : packet.rows) {
        QStringList texts;
        for (int i = 1; i < row.size(); ++i)
            texts << row.at(i).toString();
        users[row.at(0).toString()] = texts;
    }
    return users;
}

// Every kind of difference: new users, identical ones, each column changed on
// its own, several at once, a change of letter case only, NULL against an
// empty text (the same to both), and health-record users RCMS lacks.
void generateDifferences(UserDatabases &db)
{
    const char *const columns[] = {"UserName", "Spell", "FiveStrokes", "OrgCode", "Grade", "PassWord", "ContactType"};
    QStringList hrRows, rcmsRows;
    for (int i = 0; i < 40; ++i) {
        const QString code = QStringLiteral("g%1").arg(i, 3, 10, QLatin1Char('0'));
        QStringList base{QStringLiteral("名%1").arg(i), QStringLiteral("mz"), QStringLiteral("qt"),
                         QStringLiteral("A1"), QStringLiteral("3"), QStringLiteral("pw%1").arg(i),
                         QStringLiteral("138")};
        QStringList source = base;
        const int kind = i % 10;
        if (kind < 7)
            source[kind] += QStringLiteral("x");
        else if (kind == 7)
            source[0] += QStringLiteral("y"), source[5] += QStringLiteral("y"), source[3] = QStringLiteral("A2");
        else if (kind == 8)
            source[1] = source[1].toUpper();
        auto values = [&](const QStringList &t) {
            QStringList quoted{QLatin1Char('\'') + code + QLatin1Char('\'')};
            for (const QString &v : t)
                quoted << QLatin1Char('\'') + v + QLatin1Char('\'');
            return QLatin1Char('(') + quoted.join(QLatin1Char(',')) + QLatin1Char(')');
        };
        if (i % 13 != 5)  // some users only RCMS has
            hrRows << values(base);
        rcmsRows << values(source);
    }
    const QString insert = QStringLiteral("Insert Into p_User (UserCode, %1) Values ").arg(
        QStringList{columns[0], columns[1], columns[2], columns[3], columns[4], columns[5], columns[6]}.join(QLatin1Char(',')));
    db.hr(insert + hrRows.join(QLatin1Char(',')));
    db.rcms(insert + rcmsRows.join(QLatin1Char(',')));
    // The fixture's own users: one identical in RCMS, one NULL contact against ''.
    db.rcms(QStringLiteral("Insert Into p_User (UserCode, UserName, Spell, FiveStrokes, OrgCode, Grade, ContactType, "
                           "PassWord) Values ('51010100100001', '张三', 'ZS', 'XD', 'A1', '3', '13800000001', 'p1'),"
                           " ('51010100100003', '王五', 'WW', 'GG', 'A1', '3', Null, 'p3')"));
}

struct LogRow
{
    QString result, cause;
    int added, updated, same;
};

QVector<LogRow> logRows(UserDatabases &db)
{
    QVector<LogRow> rows;
    for (const auto &r : db.session().OpenHrData(QStringLiteral(
             "Select Result, Cause, AddedCount, UpdatedCount, SameCount From TSys_UserSyncLog Order By LogID")).rows)
        rows.append({r.at(0).toString(), r.at(1).toString(), r.at(2).toInt(), r.at(3).toInt(), r.at(4).toInt()});
    return rows;
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
    void foretellsExactlyWhatTheSynchronisationDoes();
    void dialogFiltersByKindAndStartsTheSynchronisation();
    void cancelLeavesTheUsersAsTheyWereAndLogsIt_data();
    void cancelLeavesTheUsersAsTheyWereAndLogsIt();
    void aFailureIsLoggedWithItsCause();
    void successTellsTheCountsKeepsTheAreaAndLogsTheChanges();
    void withoutTheLogTablesTheRunWorksAndSaysSoOnce();
};

void UsersSyncTrust::foretellsExactlyWhatTheSynchronisationDoes()
{
    UserDatabases db;
    generateDifferences(db);
    const QByteArray hrBefore = bytesOf(db.hrFile());
    const QByteArray rcmsBefore = bytesOf(db.rcmsFile());
    const Users before = hrUsers(db.session());

    const SyncPreview preview = SyncPreview::read(db.session());
    QVERIFY2(bytesOf(db.hrFile()) == hrBefore && bytesOf(db.rcmsFile()) == rcmsBefore, "the preview wrote");

    Window w(CreateForm<TUserInfoMagForm>(), DestroyForm);
    w->show();
    w->BtnSyhClick(w->BtnSyh);
    QCOMPARE(db.dispatch.prompts(), QStringList{QStringLiteral("同步农合用户信息数据成功")});
    const Users after = hrUsers(db.session());

    // What the run did, worked out from the table before and after.
    QStringList done, foretold;
    int changedUsers = 0, sameUsers = 0;
    for (const auto &[code, texts] : after) {
        const auto was = before.find(code);
        if (was == before.end()) {
            done << QStringLiteral("新增 ") + code;
            continue;
        }
        bool differs = false;
        for (int c = 0; c < SyncPreview::ColumnCount; ++c)
            if (was->second.at(c) != texts.at(c)) {
                differs = true;
                done << QStringLiteral("%1 %2 %3 -> %4")
                            .arg(code, SyncPreview::columnCaption(SyncPreview::Column(c)),
                                 c == SyncPreview::Password ? QString() : was->second.at(c),
                                 c == SyncPreview::Password ? QString() : texts.at(c));
            }
        changedUsers += differs;
    }
    for (const SyncPreview::Change &c : preview.changes)
        foretold << (c.added ? QStringLiteral("新增 ") + c.userCode
                             : QStringLiteral("%1 %2 %3 -> %4")
                                   .arg(c.userCode, SyncPreview::columnCaption(c.column), c.oldValue, c.newValue));
    done.sort();
    foretold.sort();
    QCOMPARE(foretold, done);
    QCOMPARE(preview.added, int(after.size() - before.size()));
    QCOMPARE(preview.changed, changedUsers);
    sameUsers = 40 - preview.added - preview.changed + 2;  // the generated users and the fixture's two
    QCOMPARE(preview.same, sameUsers);
    QCOMPARE(preview.withoutSource, 3);  // admin, 51010100100002, 51010200000001
    QCOMPARE(preview.changedPerColumn[SyncPreview::Password], 3 + 4);  // alone (g005 is new), and with name and unit
    QVERIFY(preview.added > 0 && preview.changed > 0 && preview.same > 0);
}

void UsersSyncTrust::dialogFiltersByKindAndStartsTheSynchronisation()
{
    UserDatabases db;
    generateDifferences(db);
    Window w(CreateForm<TUserInfoMagForm>(), DestroyForm);
    w->show();
    QVERIFY(w->BtnPreview->Enabled());

    QStringList shownKinds;
    QString passwordShown;
    int addedRows = -1;
    QTimer::singleShot(0, this, [&] {
        auto *dialog = w->findChild<SyncPreviewDialog *>();
        QVERIFY(dialog);
        auto *table = dialog->findChild<QTableView *>(QStringLiteral("TblPreviewChanges"));
        auto *filter = dialog->findChild<QComboBox *>(QStringLiteral("CmbPreviewFilter"));
        filter->setFocus();
        // Down once: new users only.
        QTest::keyClick(filter, Qt::Key_Down);
        addedRows = table->model()->rowCount();
        for (int r = 0; r < table->model()->rowCount(); ++r)
            shownKinds << table->model()->index(r, 2).data().toString();
        shownKinds.removeDuplicates();
        filter->setCurrentIndex(SyncPreviewDialog::FirstColumn + SyncPreview::Password);
        passwordShown = table->model()->index(0, 5).data().toString() + QLatin1Char('|')
            + table->model()->index(0, 4).data().toString();
        QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("BtnPreviewSync")), Qt::LeftButton);
    });
    QTest::mouseClick(w->dxbrTool->widgetForAction(w->BtnPreview->action()), Qt::LeftButton);
    QTRY_COMPARE(db.dispatch.prompts(), QStringList{QStringLiteral("同步农合用户信息数据成功")});
    QCOMPARE(shownKinds, QStringList{QStringLiteral("新增")});
    QCOMPARE(addedRows, 3);
    QCOMPARE(passwordShown, QStringLiteral("已更改|"));
    QCOMPARE(db.hrValue(QStringLiteral("Select Count(*) From p_User Where UserCode = 'g005'")).toInt(), 1);
}

void UsersSyncTrust::cancelLeavesTheUsersAsTheyWereAndLogsIt_data()
{
    QTest::addColumn<int>("at");
    QTest::newRow("first user") << 1;
    QTest::newRow("a middle user") << 21;
    QTest::newRow("last user") << 42;
}

void UsersSyncTrust::cancelLeavesTheUsersAsTheyWereAndLogsIt()
{
    QFETCH(int, at);
    UserDatabases db;
    generateDifferences(db);
    const QString before = db.hrUsers();
    Window w(CreateForm<TUserInfoMagForm>(), DestroyForm);
    w->show();
    QStringList seen;
    connect(w.get(), &TUserInfoMagForm::SyncProgress, this, [&](int done, int total) {
        if (done == 0)
            QCOMPARE(total, 42);
        if (done == at) {
            // The window is busy: only the panel's 取消 takes the click.
            QVERIFY(w->TabCtlProgress->isVisible());
            QTest::mouseClick(w->dxbrTool->widgetForAction(w->BtnDel->action()), Qt::LeftButton);
            QTest::mouseClick(w->BtnSyncCancel, Qt::LeftButton);
            seen << w->LblProgress->text();
        }
    });
    w->BtnSyhClick(w->BtnSyh);
    QCOMPARE(db.dispatch.prompts(), QStringList{QStringLiteral("已取消同步, 数据未改变")});
    QCOMPARE(db.hrUsers(), before);
    QCOMPARE(logRows(db).size(), 1);
    QCOMPARE(logRows(db).first().result, QStringLiteral("已取消"));
    QCOMPARE(db.hrValue(QStringLiteral("Select Count(*) From TSys_UserSyncLogDet")).toInt(), 0);
    QVERIFY(!w->TabCtlProgress->isVisible());
    QCOMPARE(seen.size(), 1);
    QVERIFY2(seen.first().startsWith(QStringLiteral("已处理 ")) && seen.first().endsWith(QLatin1String(" / 42")),
             qPrintable(seen.first()));
}

void UsersSyncTrust::aFailureIsLoggedWithItsCause()
{
    UserDatabases db;
    // The RCMS code differs from a health-record user's only in letter case:
    // its insert breaks the key, and the run fails and is rolled back.
    db.rcms(QStringLiteral("Insert Into p_User (UserCode, UserName, PassWord) Values ('n1', '一', 'a'), ('ADMIN2', '三', 'c')"));
    db.hr(QStringLiteral("Insert Into p_User (UserCode, UserName) Values ('admin2', '已有')"));
    const QString before = db.hrUsers();
    Window w(CreateForm<TUserInfoMagForm>(), DestroyForm);
    w->show();
    w->BtnSyhClick(w->BtnSyh);
    QCOMPARE(db.dispatch.prompts(), QStringList{QStringLiteral("同步农合用户信息数据失败!")});
    QCOMPARE(db.hrUsers(), before);
    const QVector<LogRow> rows = logRows(db);
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows.first().result, QStringLiteral("失败"));
    QVERIFY2(rows.first().cause.contains(QLatin1String("UNIQUE"), Qt::CaseInsensitive)
                 || rows.first().cause.contains(QLatin1String("p_User"), Qt::CaseInsensitive),
             qPrintable(rows.first().cause));
}

void UsersSyncTrust::successTellsTheCountsKeepsTheAreaAndLogsTheChanges()
{
    UserDatabases db;
    generateDifferences(db);
    const SyncPreview preview = SyncPreview::read(db.session());
    Window w(CreateForm<TUserInfoMagForm>(), DestroyForm);
    w->show();
    QVERIFY(w->CDSAreaData->Locate(QStringLiteral("StaAreaCode"), QStringLiteral("510101002")));
    w->TreLstArea->SetFocusedRecordIndex(w->CDSAreaData->RecNo() - 1);
    w->BtnSyhClick(w->BtnSyh);
    QCOMPARE(db.dispatch.prompts(), QStringList{QStringLiteral("同步农合用户信息数据成功")});
    QCOMPARE(w->CDSAreaData->FieldByName(QStringLiteral("StaAreaCode"))->AsString(), QStringLiteral("510101002"));
    const QString expected = QStringLiteral("新增 %1 人, 更新 %2 人, 未变 %3 人, 用时 ")
                                 .arg(preview.added).arg(preview.changed).arg(preview.same);
    QVERIFY2(w->LblSyncStatus->isVisible() && w->LblSyncStatus->text().startsWith(expected),
             qPrintable(w->LblSyncStatus->text()));
    QCOMPARE(w->LblProgress->text(), QStringLiteral("已处理 42 / 42"));

    const QVector<LogRow> rows = logRows(db);
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows.first().result, QStringLiteral("成功"));
    QCOMPARE((QList<int>{rows.first().added, rows.first().updated, rows.first().same}),
             (QList<int>{preview.added, preview.changed, preview.same}));
    QCOMPARE(db.hrValue(QStringLiteral("Select Count(*) From TSys_UserSyncLogDet")).toInt(),
             preview.added + preview.changed);
    // g007: name, password and unit changed; the password's values are never kept.
    const auto detail = db.session().OpenHrData(QStringLiteral(
        "Select ChangedColumns, OldValues, NewValues From TSys_UserSyncLogDet Where UserCode = 'g007'")).rows;
    QCOMPARE(detail.size(), 1);
    QCOMPARE(detail.first().at(0).toString(), QStringLiteral("姓名,所属单位,密码"));
    QCOMPARE(detail.first().at(1).toString(), QStringLiteral("姓名=名7; 所属单位=A1"));
    QCOMPARE(detail.first().at(2).toString(), QStringLiteral("姓名=名7y; 所属单位=A2"));

    // 同步记录 shows the run and, chosen, the users it changed.
    int runsShown = -1, changesShown = -1;
    QTimer::singleShot(0, this, [&] {
        auto *dialog = w->findChild<SyncLogDialog *>();
        QVERIFY(dialog);
        runsShown = dialog->findChild<QTableView *>(QStringLiteral("TblSyncRuns"))->model()->rowCount();
        changesShown = dialog->findChild<QTableView *>(QStringLiteral("TblSyncChanges"))->model()->rowCount();
        dialog->reject();
    });
    QTest::mouseClick(w->dxbrTool->widgetForAction(w->BtnSyncLog->action()), Qt::LeftButton);
    QTRY_COMPARE(runsShown, 1);
    QCOMPARE(changesShown, preview.added + preview.changed);
}

void UsersSyncTrust::withoutTheLogTablesTheRunWorksAndSaysSoOnce()
{
    UserDatabases db;
    db.hr(QStringLiteral("Drop Table TSys_UserSyncLog; Drop Table TSys_UserSyncLogDet"));
    db.rcms(QStringLiteral("Insert Into p_User (UserCode, UserName, PassWord) Values ('n1', '一', 'a')"));
    Window w(CreateForm<TUserInfoMagForm>(), DestroyForm);
    w->show();
    w->BtnSyhClick(w->BtnSyh);
    QCOMPARE(db.dispatch.prompts(), QStringList{QStringLiteral("同步农合用户信息数据成功")});
    QCOMPARE(db.hrValue(QStringLiteral("Select Count(*) From p_User Where UserCode = 'n1'")).toInt(), 1);
    QVERIFY2(w->LblSyncStatus->text().contains(QStringLiteral("不记录同步日志")), qPrintable(w->LblSyncStatus->text()));
    w->BtnSyhClick(w->BtnSyh);
    QVERIFY2(w->LblSyncStatus->text().startsWith(QStringLiteral("新增 0 人, 更新 0 人, 未变 1 人"))
                 && !w->LblSyncStatus->text().contains(QStringLiteral("不记录")),
             qPrintable(w->LblSyncStatus->text()));
}

QTEST_MAIN(UsersSyncTrust)
#include "tst_users_synctrust.moc"
