// The window's commands on the keyboard, on the host's real SQLite session with
// real key events: each key acts exactly where its button would, F5 reads
// everything again and keeps the selection.
#include <QtTest>

#include <QTableView>

#include <memory>

#include "ClientDataSet.h"
#include "FormFactory.h"
#include "TcxGridDBTableView.h"
#include "TdxBarManager.h"
#include "UUserInfoMagFrm.h"
#include "UserDatabases.h"
#include "UserWindow.h"

namespace {

using Window = UserWindow;

Window openWindow()
{
    Window window = openUserWindow();
    QApplication::setActiveWindow(window.get());
    window->ShowAreaUser(QStringLiteral("510101001"), QStringLiteral("51010100100002"));
    window->grdvwGrdVwData->Focus();
    return window;
}

// Presses key on the grid; returns the title of the dialog it opened ("" for none).
QString dialogOpenedBy(TUserInfoMagForm &w, Qt::Key key)
{
    QString title;
    QTimer::singleShot(0, [&title] {
        if (QWidget *dialog = QApplication::activeModalWidget()) {
            title = dialog->windowTitle();
            dialog->close();
        }
    });
    QTest::keyClick(w.grdvwGrdVwData->tableView(), key);
    QApplication::processEvents();
    return title;
}

} // namespace

class UsersKeys : public QObject
{
    Q_OBJECT

private slots:
    void eachKeyActsOnlyWithItsRight_data();
    void eachKeyActsOnlyWithItsRight();
    void f5ReadsAgainKeepingTheSelection();
};

void UsersKeys::eachKeyActsOnlyWithItsRight_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("right");
    QTest::addColumn<QString>("opens");
    QTest::newRow("Insert") << int(Qt::Key_Insert) << 254 << "新增用户信息";
    QTest::newRow("F2") << int(Qt::Key_F2) << 255 << "修改用户信息";
    QTest::newRow("Enter") << int(Qt::Key_Return) << 255 << "修改用户信息";
}

void UsersKeys::eachKeyActsOnlyWithItsRight()
{
    QFETCH(int, key);
    QFETCH(int, right);
    QFETCH(QString, opens);
    UserDatabases db;
    {
        Window w = openWindow();
        QCOMPARE(dialogOpenedBy(*w, Qt::Key(key)), opens);
    }
    // Every other right, but not this one: the key does nothing.
    QList<int> others{254, 255, 256, 257};
    others.removeOne(right);
    db.grant({others.at(0), others.at(1), others.at(2)});
    Window w = openWindow();
    QCOMPARE(dialogOpenedBy(*w, Qt::Key(key)), QString());
}

void UsersKeys::f5ReadsAgainKeepingTheSelection()
{
    UserDatabases db;
    db.grant({254, 255});  // no delete right: Delete does nothing
    Window w = openWindow();
    QTest::keyClick(w->grdvwGrdVwData->tableView(), Qt::Key_Delete);
    QVERIFY(db.dispatch.confirms().isEmpty());
    QCOMPARE(w->BtnAdd->Hint(), QStringLiteral("新  增 (Insert)"));

    db.hr(QStringLiteral("Insert Into p_User (UserCode, UserName, OrgCode) Values ('51010100100004', '新人', 'A1')"));
    QTest::keyClick(w->grdvwGrdVwData->tableView(), Qt::Key_F5);
    QCOMPARE(w->CDSUserData->RecordCount(), 4);
    QCOMPARE(w->CDSAreaData->FieldByName(QStringLiteral("StaAreaCode"))->AsString(), QStringLiteral("510101001"));
    QCOMPARE(w->CDSUserData->FieldByName(QStringLiteral("UserCode"))->AsString(), QStringLiteral("51010100100002"));

    // With the delete right, Delete asks (answered no: nothing deleted).
    db.grant({256});
    Window again = openWindow();
    db.dispatch.queueConfirm(0);
    QTest::keyClick(again->grdvwGrdVwData->tableView(), Qt::Key_Delete);
    QCOMPARE(db.dispatch.confirms().size(), 1);
}

QTEST_MAIN(UsersKeys)
#include "tst_users_keys.moc"
