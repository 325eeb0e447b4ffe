// Finding and ordering users in the window, on the host's real SQLite session,
// with real key and mouse events: the search box in the selected area and in
// every area, and sorting by the column headers.
#include <QtTest>

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QTreeView>
#include <QWheelEvent>

#include <memory>

#include "ClientDataSet.h"
#include "LumoError.h"
#include "FormFactory.h"
#include "TcxDBTreeList.h"
#include "TcxGridDBColumn.h"
#include "TcxGridDBTableView.h"
#include "TcxGridDataModel.h"
#include "UUserInfoMagFrm.h"
#include "UserDatabases.h"
#include "UserWindow.h"
#include "UserSearch.h"
#include "UserSearchResults.h"
#include "Screenshot.h"

namespace {

using Window = UserWindow;

Window openWindow()
{
    Window window = openUserWindow();
    QApplication::setActiveWindow(window.get());
    return window;
}

void selectArea(TUserInfoMagForm &w, const QString &code)
{
    w.ShowAreaUser(code, QString());
}

QStringList shownCodes(TUserInfoMagForm &w)
{
    QStringList codes;
    for (int row = 0; row < w.grdvwGrdVwData->RecordCount(); ++row)
        codes << w.grdvwGrdVwData->DisplayText(row, w.colUserCode);
    return codes;
}

void type(QLineEdit *edit, const QString &text)
{
    edit->setFocus();
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

QLineEdit *searchBox(TUserInfoMagForm &w)
{
    return w.findChild<QLineEdit *>(QStringLiteral("EdtUserSearch"));
}

// The unit V1 of the village 一村 (51010100101), for users of another area.
void addVillageUnit(UserDatabases &db)
{
    db.hr(QStringLiteral("Insert Into P_YLFWDW (OrgCode, OrgName, AreaCode, StaAreaCode, Spell, FiveStrokes) "
                         "Values ('V1', '一村卫生室', '51010100101', '51010100101', 'YCWSS', 'GSBP')"));
}

} // namespace

class UsersSearch : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void eachFieldFindsItsUser_data();
    void eachFieldFindsItsUser();
    void escapeClearsAndCtrlFFocuses();
    void everyAreaFindsAnotherVillageAndSelectsBoth();
    void everyAreaIsReadWhole();
    void everyAreaResultsFillTheirPlace();
    void enterInTheAreaBox();
    void wheelOverTheScope();
    void headersSortInNaturalOrder();
    void areaFoundByCodeNameOrInitials();
    void aFailingSearchSaysSoOnceAndTheBoxGoesOn();
};

void UsersSearch::initTestCase()
{
    const QString unavailable = UserDatabases::unavailableReason();
    if (!unavailable.isEmpty())
        QSKIP(qPrintable(unavailable));
}

void UsersSearch::eachFieldFindsItsUser_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("found");
    QTest::newRow("code prefix") << "51010100100002" << QStringList{"51010100100002"};
    QTest::newRow("name part") << "四" << QStringList{"51010100100002"};
    QTest::newRow("pinyin any case") << "ww" << QStringList{"51010100100003"};
    QTest::newRow("five-stroke") << "XD" << QStringList{"51010100100001"};
    QTest::newRow("unit code") << "a2" << QStringList{"51010100100002"};
    QTest::newRow("unit name") << "防保" << QStringList{"51010100100002"};
    // Quotes and Like's wildcards are plain characters.
    QTest::newRow("quote") << "'" << QStringList{"51010100100009"};
    QTest::newRow("percent") << "%" << QStringList{"51010100100009"};
    QTest::newRow("underscore") << "_" << QStringList{"51010100100009"};
    QTest::newRow("bracket") << "[" << QStringList{"51010100100009"};
    QTest::newRow("nothing") << "赵" << QStringList{};
}

void UsersSearch::eachFieldFindsItsUser()
{
    QFETCH(QString, typed);
    QFETCH(QStringList, found);
    UserDatabases db;
    db.hr(QStringLiteral("Insert Into p_User (UserCode, UserName, Spell, FiveStrokes, OrgCode) "
                         "Values ('51010100100009', '甲''%_[乙', 'J', 'L', 'A1')"));
    Window w = openWindow();
    selectArea(*w, QStringLiteral("510101001"));
    QCOMPARE(w->CDSUserData->RecordCount(), 4);
    type(searchBox(*w), typed);
    QCOMPARE(shownCodes(*w), found);
    QCOMPARE(w->grdvwGrdVwData->FooterText(w->colUserCode), QStringLiteral("记录数: %1 / 4").arg(found.size()));
    // The row numbers are those of the shown rows.
    QCOMPARE(w->CDSUserData->RecordCount(), found.size());
}

void UsersSearch::escapeClearsAndCtrlFFocuses()
{
    UserDatabases db;
    Window w = openWindow();
    selectArea(*w, QStringLiteral("510101001"));
    w->grdvwGrdVwData->Focus();
    QTest::keyClick(w->grdvwGrdVwData->tableView(), Qt::Key_F, Qt::ControlModifier);
    QLineEdit *box = searchBox(*w);
    QTRY_VERIFY(box->hasFocus());
    QTest::keyClicks(box, QStringLiteral("zs"));
    QCOMPARE(shownCodes(*w), QStringList{"51010100100001"});
    QTest::keyClick(box, Qt::Key_Escape);
    QCOMPARE(box->text(), QString());
    QCOMPARE(w->CDSUserData->RecordCount(), 3);
    QCOMPARE(w->grdvwGrdVwData->FooterText(w->colUserCode), QStringLiteral("记录数: 3"));
    QVERIFY(w->isVisible());
}

void UsersSearch::everyAreaFindsAnotherVillageAndSelectsBoth()
{
    UserDatabases db;
    db.hr(QStringLiteral("Insert Into P_YLFWDW (OrgCode, OrgName, AreaCode, StaAreaCode, Spell, FiveStrokes) "
                         "Values ('V1', '一村卫生室', '51010100101', '51010100101', 'YCWSS', 'GSBP')"));
    db.hr(QStringLiteral("Insert Into p_User (UserCode, UserName, Spell, FiveStrokes, OrgCode) "
                         "Values ('51010100101001', '孙七', 'SQ', 'BA', 'V1')"));
    Window w = openWindow();
    selectArea(*w, QStringLiteral("510101002"));
    auto *scope = w->findChild<QComboBox *>(QStringLiteral("CbbSearchScope"));
    auto *results = w->findChild<QTableView *>(QStringLiteral("GrdSearchResults"));
    auto *count = w->findChild<QLabel *>(QStringLiteral("lblSearchCount"));
    scope->setCurrentIndex(UserSearch::EveryArea);
    // Read between events since the window opened.
    QTRY_VERIFY(w->findChild<UserSearch *>()->everyAreaRead());
    QLineEdit *box = searchBox(*w);
    // 赵六 lives in a county not under the login's: never found.
    type(box, QStringLiteral("赵"));
    QCOMPARE(results->model()->rowCount(), 0);
    QTest::keyClick(box, Qt::Key_Backspace);
    type(box, QStringLiteral("sq"));
    QTRY_VERIFY(results->isVisible());
    QCOMPARE(results->model()->rowCount(), 1);
    QCOMPARE(count->text(), QStringLiteral("记录数: 1 / 5"));
    QTest::keyClick(box, Qt::Key_Down);
    QCOMPARE(w->CDSAreaData->FieldByName(QStringLiteral("StaAreaCode"))->AsString(), QStringLiteral("51010100101"));
    QCOMPARE(w->TreLstArea->FocusedNodeText(), QStringLiteral("[51010100101] 一村"));
    QCOMPARE(w->CDSUserData->FieldByName(QStringLiteral("UserCode"))->AsString(), QStringLiteral("51010100101001"));
    QCOMPARE(w->grdvwGrdVwData->FocusedRecordIndex(), w->CDSUserData->RecNo() - 1);
    // The wider scope leaves the grid's own rows whole.
    QCOMPARE(w->CDSUserData->RecordCount(), 1);
    QVERIFY(!w->CDSUserData->HasRowFilter());
}

void UsersSearch::everyAreaIsReadWhole()
{
    // 10 users are one slice, 9000 many; "v1" is their unit's code in another case.
    const struct { int users; const char *unit; } cases[] = {{10, "V1"}, {9000, "V1"}, {10, "v1"}};
    for (const auto &c : cases) {
        const auto named = qScopeGuard([&] { if (QTest::currentTestFailed()) qWarning() << c.users << c.unit; });
        UserDatabases db;
        addVillageUnit(db);
        db.hr(QStringLiteral("With Recursive n(i) As (Select 1 Union All Select i + 1 From n Where i < %1) "
                             "Insert Into p_User (UserCode, UserName, Spell, FiveStrokes, OrgCode) "
                             "Select Cast(5101010010100000 + i As varchar(20)), '村民', 'CM', 'SN', '%2' From n")
                  .arg(c.users).arg(QLatin1String(c.unit)));
        Window w = openWindow();
        w->findChild<QComboBox *>(QStringLiteral("CbbSearchScope"))->setCurrentIndex(UserSearch::EveryArea);
        QTRY_VERIFY_WITH_TIMEOUT(w->findChild<UserSearch *>()->everyAreaRead(), 20000);
        type(searchBox(*w), QStringLiteral("510101001010"));
        QAbstractItemModel *results = w->findChild<QTableView *>(QStringLiteral("GrdSearchResults"))->model();
        QCOMPARE(results->rowCount(), c.users);
        // Each once, in the order of their codes; beside them the login's own four.
        for (int r = 1; r < c.users; ++r)
            QVERIFY(results->index(r - 1, UserSearchResults::Code).data().toString()
                    < results->index(r, UserSearchResults::Code).data().toString());
        QCOMPARE(w->findChild<QLabel *>(QStringLiteral("lblSearchCount"))->text(),
                 QStringLiteral("记录数: %1 / %2").arg(c.users).arg(c.users + 4));
    }
}

void UsersSearch::everyAreaResultsFillTheirPlace()
{
    // A user code found, then its area: code and name.
    const struct { QString typed, chosen, area, areaName; } cases[] = {
        {QStringLiteral("ls"), QStringLiteral("51010100100002"), QStringLiteral("510101001"), QStringLiteral("一乡")},
        {QStringLiteral("cmz"), QStringLiteral("5101010010100000001W"), QStringLiteral("51010100101"), QStringLiteral("一村")}};
    for (const auto &c : cases) {
        const auto named = qScopeGuard([&] { if (QTest::currentTestFailed()) qWarning() << c.typed; });
        UserDatabases db;
        addVillageUnit(db);
        db.hr(QStringLiteral("Insert Into p_User (UserCode, UserName, Spell, FiveStrokes, OrgCode) Values "
                             "('5101010010100000001W', '陈明哲', 'CMZ', 'BJR', 'V1'), "
                             "('51010100101002', '陈敏', 'CM', 'BT', 'V1')"));
        Window w = openWindow();
        auto *search = w->findChild<UserSearch *>();
        auto *results = w->findChild<QTableView *>(QStringLiteral("GrdSearchResults"));
        auto *scope = w->findChild<QComboBox *>(QStringLiteral("CbbSearchScope"));
        const QRect row(search->mapTo(w.get(), QPoint(0, 0)), search->size());
        scope->setFocus();
        QTest::keyClick(scope, Qt::Key_Down);
        QCOMPARE(scope->currentIndex(), int(UserSearch::EveryArea));
        type(searchBox(*w), c.typed);
        QTRY_VERIFY(search->everyAreaRead());
        QTRY_VERIFY(results->isVisible());
        QAbstractItemModel *model = results->model();

        // The search row stays where it was; the list fills the pane's width
        // right under it and shows more than five rows.
        QCOMPARE(QRect(search->mapTo(w.get(), QPoint(0, 0)), search->size()), row);
        const int listTop = results->mapTo(w.get(), QPoint(0, 0)).y();
        QVERIFY2(listTop > row.bottom() && listTop <= row.bottom() + 8, qPrintable(QString::number(listTop)));
        QVERIFY(results->width() >= row.width() - 6);
        QVERIFY(results->viewport()->height() > 5 * results->verticalHeader()->defaultSectionSize());
        // Each code is read whole, the area's name beside its code.
        int longest = 0, chosenRow = -1;
        for (int r = 0; r < model->rowCount(); ++r) {
            const QString code = model->index(r, UserSearchResults::Code).data().toString();
            longest = qMax(longest, QFontMetrics(results->font()).horizontalAdvance(code));
            chosenRow = code == c.chosen ? r : chosenRow;
        }
        QVERIFY(results->columnWidth(UserSearchResults::Code) >= longest);
        QVERIFY(chosenRow >= 0);
        QCOMPARE(model->index(chosenRow, UserSearchResults::AreaCode).data().toString(), c.area);
        QCOMPARE(model->index(chosenRow, UserSearchResults::AreaName).data().toString(), c.areaName);
        screenshot(w.get(), "search-every-area");

        // Choosing it selects its area in the tree and it in the grid.
        QTest::mouseClick(results->viewport(), Qt::LeftButton, {},
                          results->visualRect(model->index(chosenRow, UserSearchResults::Name)).center());
        QCOMPARE(w->CDSAreaData->FieldByName(QStringLiteral("StaAreaCode"))->AsString(), c.area);
        QCOMPARE(w->TreLstArea->FocusedNodeText(), QStringLiteral("[%1] %2").arg(c.area, c.areaName));
        QCOMPARE(w->CDSUserData->FieldByName(QStringLiteral("UserCode"))->AsString(), c.chosen);
        QCOMPARE(w->grdvwGrdVwData->FocusedRecordIndex(), w->CDSUserData->RecNo() - 1);
    }
}

void UsersSearch::enterInTheAreaBox()
{
    // The area selected after each Enter: a whole code stays, however often
    // (510101001 is also the beginning of its village's code, 51010100101);
    // a beginning goes on to the next area holding it.
    const struct { const char *typed; QStringList selected; } cases[] = {
        {"510101001", {"510101001", "510101001"}}, {"5101010", {"510101002"}}};
    for (const auto &c : cases) {
        const auto named = qScopeGuard([&] { if (QTest::currentTestFailed()) qWarning() << c.typed; });
        UserDatabases db;
        Window w = openWindow();
        auto *box = w->findChild<QLineEdit *>(QStringLiteral("EdtAreaSearch"));
        box->setFocus();
        QTest::keyClicks(box, QLatin1String(c.typed));
        for (const QString &selected : c.selected) {
            QTest::keyClick(box, Qt::Key_Return);
            QCOMPARE(w->CDSAreaData->FieldByName(QStringLiteral("StaAreaCode"))->AsString(), selected);
            QVERIFY(w->TreLstArea->FocusedNodeText().startsWith(QLatin1Char('[') + selected + QLatin1Char(']')));
        }
    }
}

void UsersSearch::wheelOverTheScope()
{
    // delta > 0 is away from the person. Once the person works the box, the wheel is theirs.
    const struct { bool focused; int from, delta, to; } cases[] = {{false, 0, -120, 0}, {false, 1, 120, 1}, {true, 0, -120, 1}};
    for (const auto &c : cases) {
        const auto named = qScopeGuard([&] { if (QTest::currentTestFailed()) qWarning() << c.focused << c.from << c.delta; });
        UserDatabases db;
        Window w = openWindow();
        auto *scope = w->findChild<QComboBox *>(QStringLiteral("CbbSearchScope"));
        scope->setCurrentIndex(c.from);
        QLineEdit *box = searchBox(*w);
        type(box, QStringLiteral("5"));
        if (c.focused)
            scope->setFocus();
        QWidget *focus = QApplication::focusWidget();
        QSignalSpy changed(scope, &QComboBox::currentIndexChanged);
        const QPoint at = scope->rect().center();
        QWheelEvent wheel(at, scope->mapToGlobal(at), QPoint(), QPoint(0, c.delta), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(scope, &wheel);
        QCOMPARE(scope->currentIndex(), c.to);
        QCOMPARE(changed.count(), c.from == c.to ? 0 : 1);
        QCOMPARE(QApplication::focusWidget(), focus);
        QCOMPARE(box->text(), QStringLiteral("5"));
    }
}

void UsersSearch::headersSortInNaturalOrder()
{
    UserDatabases db;
    db.hr(QStringLiteral("Insert Into p_User (UserCode, UserName, Spell, FiveStrokes, OrgCode) Values "
                         "('51010100100010', '钱八', 'QB', 'QW', 'A1'), ('5101010010009', '孙九', 'SJ', 'BV', 'A2'), "
                         "('51010100100011', '单思雨', 'SSY', 'UL', 'A1'), ('51010100100012', '沈杰', 'SJ', 'IS', 'A1')"));
    Window w = openWindow();
    selectArea(*w, QStringLiteral("510101001"));
    QHeaderView *header = w->grdvwGrdVwData->tableView()->horizontalHeader();
    auto clickHeader = [&](TcxGridDBColumn *column) {
        const int section = w->grdvwGrdVwData->dataModel()->sectionOf(column);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(section) + header->sectionSize(section) / 2,
                                 header->height() / 2));
    };
    const QStringList ascending{"5101010010009", "51010100100001", "51010100100002", "51010100100003",
                                "51010100100010", "51010100100011", "51010100100012"};
    clickHeader(w->colUserCode);
    QCOMPARE(shownCodes(*w), ascending);
    QStringList descending = ascending;
    std::reverse(descending.begin(), descending.end());
    clickHeader(w->colUserCode);
    QCOMPARE(shownCodes(*w), descending);
    QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);
    // The dataset's cursor walks the shown order.
    w->CDSUserData->First();
    QCOMPARE(w->CDSUserData->FieldByName(QStringLiteral("UserCode"))->AsString(), descending.first());
    // Names by their stored pinyin code, then by the name: 单思雨 (SSY) under S.
    clickHeader(w->colUserName);
    QStringList names;
    for (int row = 0; row < w->grdvwGrdVwData->RecordCount(); ++row)
        names << w->grdvwGrdVwData->DisplayText(row, w->colUserName);
    QCOMPARE(names.join(QLatin1Char(' ')), QStringLiteral("李四 钱八 沈杰 孙九 单思雨 王五 张三"));
    // The unit name column sorts by the names shown (一乡卫生院 after 一乡防保所 by reading).
    clickHeader(w->colOrgName);
    QCOMPARE(w->grdvwGrdVwData->DisplayText(0, w->colOrgName), QStringLiteral("一乡防保所"));
    // The order holds when the list is read again.
    selectArea(*w, QStringLiteral("510101002"));
    selectArea(*w, QStringLiteral("510101001"));
    QCOMPARE(w->grdvwGrdVwData->DisplayText(0, w->colOrgName), QStringLiteral("一乡防保所"));
}

void UsersSearch::areaFoundByCodeNameOrInitials()
{
    UserDatabases db;
    db.dispatch.setPym(QStringLiteral("一村"), QStringLiteral("YC"));
    db.dispatch.setPym(QStringLiteral("二乡"), QStringLiteral("EX"));
    Window w = openWindow();
    auto *box = w->findChild<QLineEdit *>(QStringLiteral("EdtAreaSearch"));
    QTreeView *tree = w->TreLstArea->treeView();
    tree->collapseAll();
    auto current = [&] { return w->CDSAreaData->FieldByName(QStringLiteral("StaAreaCode"))->AsString(); };
    // Pinyin initials: the village under 一乡, its parent opened.
    QTest::keyClicks(box, QStringLiteral("yc"));
    QCOMPARE(current(), QStringLiteral("51010100101"));
    QVERIFY(tree->isExpanded(tree->currentIndex().parent()));
    QCOMPARE(w->TreLstArea->FocusedNodeText(), QStringLiteral("[51010100101] 一村"));
    // A name part, then F3 to the next area holding it.
    QTest::keyClick(box, Qt::Key_Escape);
    QCOMPARE(box->text(), QString());
    type(box, QStringLiteral("乡"));
    const QString first = current();
    QTest::keyClick(box, Qt::Key_F3);
    QVERIFY(current() != first);
    QVERIFY(QStringList({"510101001", "510101002"}).contains(current()));
    QTest::keyClick(box, Qt::Key_F3);
    QCOMPARE(current(), first);
    // A code's beginning.
    box->clear();
    QTest::keyClicks(box, QStringLiteral("510101002"));
    QCOMPARE(current(), QStringLiteral("510101002"));
    QCOMPARE(w->CDSUserData->RecordCount(), 0);
}

void UsersSearch::aFailingSearchSaysSoOnceAndTheBoxGoesOn()
{
    const QString lost = QStringLiteral("与数据库的连接已断开");
    const struct
    {
        const char *box;
        bool readsFail;  // else the host has no GetPYM
        QString typed, told, thenTyped;  // thenTyped once the database answers again
    } cases[] = {
        {"EdtUserSearch", true, QStringLiteral("ls"), QStringLiteral("查找用户失败!原因:") + lost, QStringLiteral("ls")},
        // The area found is selected, and its users' read fails in the window's
        // handler: the cause is told, not the statement.
        {"EdtAreaSearch", true, QStringLiteral("二乡"), lost, QStringLiteral("一村")},
        {"EdtAreaSearch", false, QStringLiteral("yc"),
         QStringLiteral("查找区划失败!原因:TestHostDispatchWithoutCodes.GetPYM: no such method with 1 argument(s)"),
         QStringLiteral("一村")},
    };
    for (const auto &c : cases) {
        const auto named = qScopeGuard([&] { if (QTest::currentTestFailed()) qWarning() << c.box << c.typed; });
        UserDatabases db;
        Window w = openWindow();
        selectArea(*w, QStringLiteral("510101001"));
        w->findChild<QComboBox *>(QStringLiteral("CbbSearchScope"))->setCurrentIndex(UserSearch::EveryArea);
        TestHostDispatchWithoutCodes noCodes;
        if (!c.readsFail)
            db.session().HostDispatch = &noCodes;
        bool failing = c.readsFail;
        db.onSessionCall([&](const char *slot, const QString &sql) {
            if (failing && QByteArray(slot).startsWith("Open"))
                throw data::LumoError(QStringLiteral("SQL语句执行失败: disk I/O error\n语句: ") + sql,
                                      QStringLiteral("与数据库的连接已断开"));
        });
        auto *edit = w->findChild<QLineEdit *>(QLatin1String(c.box));
        auto prompts = [&] { return c.readsFail ? db.dispatch.prompts() : noCodes.prompts(); };

        type(edit, c.typed);
        // The users of every area are read between events: their failure is told then.
        QTRY_COMPARE(prompts(), QStringList{c.told});
        QCOMPARE(edit->text(), c.typed);

        failing = false;
        QTest::keyClick(edit, Qt::Key_Escape);
        type(edit, c.thenTyped);
        QCOMPARE(prompts().size(), 1);
        if (c.box == QByteArray("EdtUserSearch")) {
            auto *results = w->findChild<QTableView *>(QStringLiteral("GrdSearchResults"));
            QTRY_VERIFY(results->isVisible() && results->model()->rowCount() > 0);
        } else {
            QCOMPARE(w->CDSAreaData->FieldByName(QStringLiteral("StaAreaCode"))->AsString(), QStringLiteral("51010100101"));
            QVERIFY(w->CDSUserData->Active());
        }
    }
}

QTEST_MAIN(UsersSearch)
#include "tst_users_search.moc"
