// The report of a user's records in the business tables, on the real SQLite
// session: what it counts, and how the window offers it.
#include <QtTest>

#include <QLabel>
#include <QMenu>
#include <QTableView>
#include <QTableWidget>

#include "ClientDataSet.h"
#include "Screenshot.h"
#include "TcxDBTreeList.h"
#include "TcxGridDBTableView.h"
#include "TdxBarManager.h"
#include "UUserInfoMagFrm.h"
#include "UserDatabases.h"
#include "UserReferences.h"
#include "UserReferencesDialog.h"
#include "UserWindow.h"

class UsersReferences : public QObject
{
    Q_OBJECT

private slots:
    void countsEachTableAsTheGuardMatches();
    void theGridMenuOffersItWithTheRightToDelete();
};

void UsersReferences::countsEachTableAsTheGuardMatches()
{
    UserDatabases db;
    const QString user = QStringLiteral("51010100100002");
    // Entered by the user, by a longer code the user's is a prefix of, as the
    // creator only, as creator and enterer at once (one record), and records of
    // a neighbour and of a shorter code the report must not count.
    db.hr(QStringLiteral(
        "Insert Into TDict_DoctList (RecordID, InpPerCode) Values ('d1', '51010100100002');"
        "Insert Into TData_AdmiRec (RecordID, InpPerCode) Values ('a1', '51010100100002'), ('a2', '510101001000021'),"
        "  ('a3', '51010100100001');"
        "Insert Into TData_PerBaseInfo (RecordID, CreaRchPerCode, InpPerCode) Values ('p1', '51010100100002', 'admin'),"
        "  ('p2', '51010100100002', '51010100100002'), ('p3', '51010100100001', 'admin');"
        "Insert Into TData_PVRVVaccMat (RecordID, CreaCardPerCode, InpPerCode) Values ('v1', '51010100100002', 'admin');"
        "Insert Into TData_UserRight (RecordID, InpPerCode) Values ('u1', '5101010010000');"));
    const QVector<UserReference> refs = CountUserReferences(db.session(), user);
    QStringList rows;
    for (const UserReference &r : refs)
        rows << QStringLiteral("%1 %2 %3").arg(r.table, r.caption).arg(r.count);
    QCOMPARE(rows, (QStringList{QStringLiteral("TDict_DoctList 医生名册 1"), QStringLiteral("TData_AdmiRec 接诊记录 2"),
                                QStringLiteral("TData_PerBaseInfo 个人基本信息 2"),
                                QStringLiteral("TData_PVRVVaccMat 预防接种卡 1")}));
    // The guard refuses exactly where the report finds records.
    QCOMPARE(db.session().GetHrValue(TUserInfoMagForm::BuildUserGuardSql(user)).toLongLong(), refs.size());
    QVERIFY(CountUserReferences(db.session(), QStringLiteral("51010100100003")).isEmpty());
}

void UsersReferences::theGridMenuOffersItWithTheRightToDelete()
{
    UserDatabases db;
    db.hr(QStringLiteral("Insert Into TData_HypFolupVisit (RecordID, InpPerCode) Values ('h1', '51010100100001'),"
                         " ('h2', '51010100100001')"));
    UserWindow w = openUserWindow();
    QVERIFY(w->CDSAreaData->Locate(QStringLiteral("StaAreaCode"), QStringLiteral("510101001")));
    w->TreLstArea->SetFocusedRecordIndex(w->CDSAreaData->RecNo() - 1);
    w->CDSUserData->Locate(QStringLiteral("UserCode"), QStringLiteral("51010100100003"));

    // Right-click the first user's row: the menu acts on the row clicked.
    QTableView *table = w->grdvwGrdVwData->tableView();
    const QModelIndexList found = table->model()->match(table->model()->index(0, 0), Qt::DisplayRole,
                                                        QStringLiteral("51010100100001"), 1, Qt::MatchExactly);
    QCOMPARE(found.size(), 1);
    const QPoint cell = table->visualRect(found.first()).center();
    QTest::mouseClick(table->viewport(), Qt::RightButton, {}, cell);
    QString summary;
    QStringList shown;
    QTimer::singleShot(0, this, [&] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        QVERIFY(menu);
        QTimer::singleShot(0, this, [&] {
            auto *dialog = w->findChild<UserReferencesDialog *>();
            QVERIFY(dialog);
            screenshot(dialog, "references");
            summary = dialog->findChild<QLabel *>(QStringLiteral("LblReferencesSummary"))->text();
            auto *list = dialog->findChild<QTableWidget *>(QStringLiteral("TblReferences"));
            for (int r = 0; r < list->rowCount(); ++r)
                shown << list->item(r, 0)->text() + QLatin1Char(' ') + list->item(r, 2)->text();
            QTest::mouseClick(dialog->findChild<QWidget *>(QStringLiteral("BtnReferencesClose")), Qt::LeftButton);
        });
        menu->setActiveAction(w->ActReferences);
        QTest::keyClick(menu, Qt::Key_Return);
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, cell, table->viewport()->mapToGlobal(cell));
    QApplication::sendEvent(table->viewport(), &event);
    QTRY_COMPARE(shown, QStringList{QStringLiteral("高血压随访 2")});
    QVERIFY2(summary.contains(QLatin1String("51010100100001")) && summary.contains(QStringLiteral("无法删除")),
             qPrintable(summary));

    // Without the right to delete, neither the button nor the menu entry.
    db.grant({254, 255, 257});
    UserWindow clerk = openUserWindow();
    QCOMPARE(clerk->BtnRefs->Visible(), TdxBarItemVisible::ivNever);
    QVERIFY(!clerk->ActReferences->isVisible());
}

QTEST_MAIN(UsersReferences)
#include "tst_users_references.moc"
