// The report of a user's records in the business tables, on the real SQLite
// session: what it counts, and how the window offers it.
#include <QtTest>

#include <QLabel>
#include <QMenu>
#include <QTableView>
#include <QTableWidget>

#include <memory>

#include "ClientDataSet.h"
#include "FormFactory.h"
#include "TcxDBTreeList.h"
#include "TcxGridDBTableView.h"
#include "TdxBarManager.h"
#include "UUserInfoMagFrm.h"
#include "UserDatabases.h"
#include "UserReferences.h"
#include "UserReferencesDialog.h"

namespace {

using Window = std::unique_ptr<TUserInfoMagForm, void (*)(QWidget *)>;

Window openWindowOnUser(const QString &user)
{
    Window w(CreateForm<TUserInfoMagForm>(), DestroyForm);
    w->show();
    if (w->CDSAreaData->Locate(QStringLiteral("StaAreaCode"), QStringLiteral("510101001")))
        w->TreLstArea->SetFocusedRecordIndex(w->CDSAreaData->RecNo() - 1);
    w->CDSUserData->Locate(QStringLiteral("UserCode"), user);
    return w;
}

QStringList rowsOf(const QVector<UserReference> &refs)
{
    QStringList rows;
    for (const UserReference &r : refs)
        rows << QStringLiteral("%1 %2 %3").arg(r.table, r.caption).arg(r.count);
    return rows;
}

} // namespace

class UsersReferences : public QObject
{
    Q_OBJECT

private slots:
    void countsEachTableAsTheGuardMatches();
    void contextMenuShowsTheSelectedUsersTables();
    void offeredOnlyWithTheRightToDelete();
};

void UsersReferences::countsEachTableAsTheGuardMatches()
{
    UserDatabases db;
    const QString user = QStringLiteral("51010100100002");
    // Entered by the user, by a longer code the user's is a prefix of, as the
    // creator only, as creator and enterer at once (one record), and records of
    // a neighbour the report must not count.
    db.hr(QStringLiteral(
        "Insert Into TDict_DoctList (RecordID, InpPerCode) Values ('d1', '51010100100002');"
        "Insert Into TData_AdmiRec (RecordID, InpPerCode) Values ('a1', '51010100100002'), ('a2', '510101001000021'),"
        "  ('a3', '51010100100001');"
        "Insert Into TData_PerBaseInfo (RecordID, CreaRchPerCode, InpPerCode) Values ('p1', '51010100100002', 'admin'),"
        "  ('p2', '51010100100002', '51010100100002'), ('p3', '51010100100001', 'admin');"
        "Insert Into TData_PVRVVaccMat (RecordID, CreaCardPerCode, InpPerCode) Values ('v1', '51010100100002', 'admin');"
        "Insert Into TData_UserRight (RecordID, InpPerCode) Values ('u1', '5101010010000');"));
    const QVector<UserReference> refs = CountUserReferences(db.session(), user);
    QCOMPARE(rowsOf(refs), (QStringList{QStringLiteral("TDict_DoctList 医生名册 1"),
                                        QStringLiteral("TData_AdmiRec 接诊记录 2"),
                                        QStringLiteral("TData_PerBaseInfo 个人基本信息 2"),
                                        QStringLiteral("TData_PVRVVaccMat 预防接种卡 1")}));
    // A user the guard lets go has nothing in the report, and the other way round.
    QVERIFY(CountUserReferences(db.session(), QStringLiteral("51010100100003")).isEmpty());
    QCOMPARE(db.session().GetHrValue(TUserInfoMagForm::BuildUserGuardSql(user)).toLongLong(), refs.size());
}

void UsersReferences::contextMenuShowsTheSelectedUsersTables()
{
    UserDatabases db;
    db.hr(QStringLiteral("Insert Into TData_HypFolupVisit (RecordID, InpPerCode) Values ('h1', '51010100100001'),"
                         " ('h2', '51010100100001')"));
    Window w = openWindowOnUser(QStringLiteral("51010100100003"));
    QTableView *table = w->grdvwGrdVwData->tableView();
    // Right-click the first user's row: the menu acts on the row clicked.
    int row = -1;
    for (int r = 0; r < table->model()->rowCount(); ++r)
        if (table->model()->index(r, 0).data().toString() == QLatin1String("51010100100001"))
            row = r;
    QVERIFY(row >= 0);
    const QRect cell = table->visualRect(table->model()->index(row, 0));
    QTest::mouseClick(table->viewport(), Qt::RightButton, {}, cell.center());

    QString summary;
    QStringList shown;
    bool menuSeen = false;
    QTimer::singleShot(0, this, [&] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        QVERIFY(menu);
        menuSeen = true;
        QAction *act = menu->findChild<QAction *>(QStringLiteral("ActReferences"));
        QVERIFY(act && act->isEnabled());
        QTimer::singleShot(0, this, [&] {
            auto *dialog = w->findChild<UserReferencesDialog *>();
            QVERIFY(dialog);
            summary = dialog->findChild<QLabel *>(QStringLiteral("LblReferencesSummary"))->text();
            auto *list = dialog->findChild<QTableWidget *>(QStringLiteral("TblReferences"));
            for (int r = 0; r < list->rowCount(); ++r)
                shown << list->item(r, 0)->text() + QLatin1Char(' ') + list->item(r, 2)->text();
            QTest::mouseClick(dialog->findChild<QWidget *>(QStringLiteral("BtnReferencesClose")), Qt::LeftButton);
        });
        menu->setActiveAction(act);
        QTest::keyClick(menu, Qt::Key_Return);
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, cell.center(), table->viewport()->mapToGlobal(cell.center()));
    QApplication::sendEvent(table->viewport(), &event);
    QTRY_VERIFY(menuSeen);
    QTRY_COMPARE(shown, QStringList{QStringLiteral("高血压随访 2")});
    QVERIFY2(summary.contains(QLatin1String("51010100100001")) && summary.contains(QStringLiteral("无法删除")),
             qPrintable(summary));
}

void UsersReferences::offeredOnlyWithTheRightToDelete()
{
    UserDatabases db;
    db.grant({254, 255, 257});
    Window w = openWindowOnUser(QStringLiteral("51010100100001"));
    QCOMPARE(w->BtnRefs->Visible(), TdxBarItemVisible::ivNever);
    db.grant({256});
    Window w2 = openWindowOnUser(QStringLiteral("51010100100001"));
    QCOMPARE(w2->BtnRefs->Visible(), TdxBarItemVisible::ivAlways);
    QVERIFY(w2->BtnRefs->Enabled());
}

QTEST_MAIN(UsersReferences)
#include "tst_users_references.moc"
