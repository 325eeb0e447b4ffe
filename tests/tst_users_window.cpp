// The user management window on real SQLite databases: the area tree, the user
// grid, the buttons, deletion with its guard and the RCMS synchronisation.
#include <QtTest>

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QMainWindow>
#include <QMessageBox>
#include <QTableView>
#include <QToolButton>
#include <QTreeView>

#include <memory>

#include "ClientDataSet.h"
#include "FormFactory.h"
#include "HostCloseGuard.h"
#include "RecordingSession.h"
#include "TcxButton.h"
#include "TcxDBTreeList.h"
#include "TcxGroupBox.h"
#include "TcxProgressBar.h"
#include "TcxTabControl.h"
#include <QPainter>
#include "TcxGridDBColumn.h"
#include "TcxGridDBTableView.h"
#include "TdxBarManager.h"
#include "ModuleSqlTexts.h"
#include "UGlobalValue.h"
#include "UUserInfoAddEditFrm.h"
#include "UUserInfoMagFrm.h"
#include "Screenshot.h"
#include "UserDatabases.h"
#include "UserWindow.h"

namespace {

using Window = UserWindow;

bool selectArea(TUserInfoMagForm &w, const QString &code)
{
    if (!w.CDSAreaData->Locate(QStringLiteral("StaAreaCode"), code))
        return false;
    w.TreLstArea->SetFocusedRecordIndex(w.CDSAreaData->RecNo() - 1);
    return w.CDSAreaData->FieldByName(QStringLiteral("StaAreaCode"))->AsString() == code;
}

QStringList column(data::ClientDataSet *ds, const QString &field)
{
    QStringList values;
    for (ds->First(); !ds->Eof(); ds->Next())
        values << ds->FieldByName(field)->AsString();
    return values;
}

// The window on a session that records every statement, for the exact texts.
struct Recorded
{
    RecordingSession session;
    TestHostDispatch dispatch;
    data::ClientDataSet rights;
    Window window{nullptr, DestroyForm};
    Recorded()
    {
        session.HostDispatch = &dispatch;
        session.RightsData = &rights;
        session.AppPath = QStringLiteral("/nonexistent");
        UGlobalValue::HostSessionRef = &session;
        window.reset(CreateForm<TUserInfoMagForm>());
    }
    ~Recorded()
    {
        window.reset();
        UGlobalValue::HostSessionRef = nullptr;
    }
};

bool shown(TdxBarButton *b)
{
    return b->Visible() == TdxBarItemVisible::ivAlways;
}

QToolButton *toolButton(TUserInfoMagForm &w, TdxBarButton *b)
{
    return qobject_cast<QToolButton *>(w.dxbrTool->widgetForAction(b->action()));
}

// Closes any modal dialog a click opened, so that a failure cannot leave the
// test waiting in exec(); counts what it closed.
struct ModalCloser
{
    int closed = 0;
    QTimer timer;
    ModalCloser()
    {
        QObject::connect(&timer, &QTimer::timeout, [this] {
            if (QWidget *modal = QApplication::activeModalWidget()) {
                ++closed;
                modal->close();
            }
        });
        timer.start(20);
    }
};

} // namespace

class UsersWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void treeHoldsTheStartingAreaAndEverythingBelowIt();
    void selectingAnAreaListsItsUsersWithUnitNames();
    void anAreaWithoutUsersLeavesOnlyAdd();
    void rightsHidingEveryButtonHideTheBar();
    void indicatorNumbersRowsFromOne();

    void deleteRefusedForEachReferencingTable_data();
    void deleteRefusedForEachReferencingTable();
    void deleteMatchesCodesByPrefix();
    void deleteAsksAboutTheUserAndDeletes();
    void decliningChangesNothing();
    void deleteStatementsQuoteTheCode();
    void aDeleteAnsweredFalseIsAFailure();

    void syncRequiresUnits();
    void syncInsertsUpdatesAndLeavesOthersAlone();
    void syncFailureOnTheThirdUserRollsEverythingBack();
    void syncStatementAnsweredFalseFailsTheRun();
    void syncSendsExactlyTheInsertAndUpdateTexts();

    void nothingActsWhileASynchronisationRuns();
    void escapeNeverHidesTheWindow();
    void theWindowOpensOnTheLoginsOwnArea();
    void codesAndNamesShowWhole();
    void aLockedDatabaseIsReportedAsBusy();
};

void UsersWindow::initTestCase()
{
    const QString unavailable = UserDatabases::unavailableReason();
    if (!unavailable.isEmpty())
        QSKIP(qPrintable(unavailable));
}

void UsersWindow::treeHoldsTheStartingAreaAndEverythingBelowIt()
{
    UserDatabases db;
    Window w = openUserWindow();
    QStringList codes = column(w->CDSAreaData, QStringLiteral("StaAreaCode"));
    codes.sort();
    QCOMPARE(codes, (QStringList{"510101", "510101001", "51010100101", "510101002"}));
    QVERIFY(w->CDSAreaData->Locate(QStringLiteral("StaAreaCode"), QStringLiteral("510101001")));
    QCOMPARE(w->CDSAreaData->FieldByName(QStringLiteral("AreaName"))->AsString(), QStringLiteral("[510101001] 一乡"));
    QCOMPARE(w->CDSAreaData->FieldByName(QStringLiteral("AreaCode"))->AsString(), QStringLiteral("51010101"));
    QVERIFY(w->CDSAreaData->Locate(QStringLiteral("StaAreaCode"), QStringLiteral("51010100101")));
    QCOMPARE(w->CDSAreaData->FieldByName(QStringLiteral("AreaCode"))->AsString(), QStringLiteral("51010100101"))
        ;  // no RCMS code: its own
    // The starting area is the one top-level node; its parent is not loaded.
    QCOMPARE(w->TreLstArea->TopNodeCount(), 1);
    QAbstractItemModelTester tester(w->TreLstArea->treeView()->model());
}

void UsersWindow::selectingAnAreaListsItsUsersWithUnitNames()
{
    UserDatabases db;
    Window w = openUserWindow();
    QVERIFY(selectArea(*w, QStringLiteral("510101001")));
    QVERIFY(w->CDSUserData->Active());
    QStringList users = column(w->CDSUserData, QStringLiteral("UserCode"));
    users.sort();
    QCOMPARE(users, (QStringList{"51010100100001", "51010100100002", "51010100100003"}));
    QCOMPARE(w->grdvwGrdVwData->FooterText(w->colUserCode), QStringLiteral("记录数: 3"));
    // The unit name comes from the lookup of OrgCode in the unit list.
    QVERIFY(w->CDSUserData->Locate(QStringLiteral("UserCode"), QStringLiteral("51010100100002")));
    const int row = w->CDSUserData->RecNo() - 1;
    QCOMPARE(w->grdvwGrdVwData->DisplayText(row, w->colOrgName), QStringLiteral("一乡防保所"));
    QCOMPARE(w->grdvwGrdVwData->DisplayText(row, w->colOrgCode), QStringLiteral("A2"));
    QVERIFY(w->BtnEdit->Enabled());
    QVERIFY(w->BtnDel->Enabled());
    QAbstractItemModelTester tester(w->grdvwGrdVwData->tableView()->model());
}

void UsersWindow::anAreaWithoutUsersLeavesOnlyAdd()
{
    UserDatabases db;
    Window w = openUserWindow();
    QVERIFY(selectArea(*w, QStringLiteral("510101002")));
    QVERIFY(w->CDSUserData->IsEmpty());
    QCOMPARE(w->grdvwGrdVwData->FooterText(w->colUserCode), QStringLiteral("记录数: 0"));
    QVERIFY(w->BtnAdd->Enabled());
    QVERIFY(!w->BtnEdit->Enabled());
    QVERIFY(!w->BtnDel->Enabled());
}

void UsersWindow::rightsHidingEveryButtonHideTheBar()
{
    UserDatabases db;
    db.grant({1, 2});
    Window w = openUserWindow();
    QVERIFY(!shown(w->BtnAdd) && !shown(w->BtnEdit) && !shown(w->BtnDel) && !shown(w->BtnSyh));
    QVERIFY(!w->dxbrTool->Visible());

    db.grant({257});
    Window w2 = openUserWindow();
    QVERIFY(w2->dxbrTool->Visible());
    QVERIFY(shown(w2->BtnSyh));
    QVERIFY(!shown(w2->BtnAdd));
}

void UsersWindow::indicatorNumbersRowsFromOne()
{
    UserDatabases db;
    Window w = openUserWindow();
    QVERIFY(selectArea(*w, QStringLiteral("510101001")));
    QImage image(25, 20, QImage::Format_ARGB32);
    QPainter painter(&image);
    TcxIndicatorCellInfo info;
    info.RecordIndex = 4;
    info.Bounds = QRect(0, 0, 25, 20);
    info.TextColor = Qt::black;
    info.BrushColor = Qt::white;
    bool done = false;
    w->grdvwFamLstCustomDrawIndicatorCell(w->grdvwGrdVwData, &painter, info, done);
    QVERIFY(done);
    info.IsDataRow = false;
    done = false;
    w->grdvwFamLstCustomDrawIndicatorCell(w->grdvwGrdVwData, &painter, info, done);
    QVERIFY2(!done, "cells that are not data rows keep the grid's own drawing");
    info.IsDataRow = true;
    info.Selected = true;
    done = false;
    w->grdvwFamLstCustomDrawIndicatorCell(w->grdvwGrdVwData, &painter, info, done);
    QVERIFY(done);
    painter.end();
    QCOMPARE(QColor(image.pixel(12, 3)), QColor(Qt::red));  // the selected row's red fill
    // ... with its number legible on it.
    bool light = false;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            light = light || QColor(image.pixel(x, y)).lightness() > 200;
    QVERIFY2(light, "the selected row's number must stand out from the red fill");
}

void UsersWindow::deleteRefusedForEachReferencingTable_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("column");
    const char *tables[] = {"TDict_DoctList", "TData_ConsuRrdMat", "TData_MotAntFirstFolup",
                            "TData_ThreeAgePhyExa", "TData_AdmiRec", "TData_HeaChecklist",
                            "TData_MotAntFolup", "TData_HypFolupVisit", "TData_OperGrpMat",
                            "TData_MotPostPartum", "TData_DMFolupVisit", "TData_TwowayRefOut",
                            "TData_TwowayRefIn", "TDict_PVRVMediList", "TData_PerEIDsHis",
                            "TData_HolePerBaseInfo", "TData_PerBaseInfo", "TData_PVRVVaccMat",
                            "TData_VisClinicRecord", "TDict_PVRVList", "TData_VisHospRecord",
                            "TData_HoleFolupVisit", "TDict_PVRVVaccDef", "TData_PVRVVaccDet",
                            "TData_PerBaseInfo_Surg", "TData_PerBaseInfo_Tran", "TData_PerBaseInfo_Trau",
                            "TData_PVRVVaccExp", "TData_PerBaseInfoPH", "TData_PVRVVaccSch",
                            "TData_ThreeAgeHomVis", "TData_UserRight"};
    for (const char *t : tables)
        QTest::newRow(t) << QString::fromLatin1(t) << QStringLiteral("InpPerCode");
    QTest::newRow("TData_PerBaseInfo creator") << QStringLiteral("TData_PerBaseInfo") << QStringLiteral("CreaRchPerCode");
    QTest::newRow("TData_PVRVVaccMat creator") << QStringLiteral("TData_PVRVVaccMat") << QStringLiteral("CreaCardPerCode");
}

void UsersWindow::deleteRefusedForEachReferencingTable()
{
    QFETCH(QString, table);
    QFETCH(QString, column);
    UserDatabases db;
    const QString keyColumn = db.session()
                                  .OpenHrData(QStringLiteral("Select * From %1 Where 1=0").arg(table))
                                  .fields.first()
                                  .name;
    db.hr(QStringLiteral("Insert Into %1 (%2, %3) Values ('K1', '51010100100002')").arg(table, keyColumn, column));
    Window w = openUserWindow();
    QVERIFY(selectArea(*w, QStringLiteral("510101001")));
    QVERIFY(w->CDSUserData->Locate(QStringLiteral("UserCode"), QStringLiteral("51010100100002")));
    const QString before = db.hrUsers();
    w->BtnDelClick(w->BtnDel);
    QCOMPARE(db.dispatch.prompts(), QStringList{QStringLiteral("当前选中的用户信息已产生数据,无法进行删除!")});
    QVERIFY2(db.dispatch.confirms().isEmpty(), "no question for a user in use");
    QCOMPARE(db.hrUsers(), before);
}

void UsersWindow::deleteMatchesCodesByPrefix()
{
    UserDatabases db;
    db.hr(QStringLiteral("Insert Into p_User (UserCode, UserName, OrgCode) Values ('01', '短码', 'A1'), ('012', '长码', 'A1')"));
    db.hr(QStringLiteral("Insert Into TData_AdmiRec (RecordID, InpPerCode) Values ('R1', '012')"));
    Window w = openUserWindow();
    QVERIFY(selectArea(*w, QStringLiteral("510101001")));
    QVERIFY(w->CDSUserData->Locate(QStringLiteral("UserCode"), QStringLiteral("01")));
    w->BtnDelClick(w->BtnDel);
    QCOMPARE(db.dispatch.prompts(), QStringList{QStringLiteral("当前选中的用户信息已产生数据,无法进行删除!")});
    QCOMPARE(db.hrValue(QStringLiteral("Select Count(*) From p_User Where UserCode = '01'")).toInt(), 1);
}

void UsersWindow::deleteAsksAboutTheUserAndDeletes()
{
    UserDatabases db;
    Window w = openUserWindow();
    QVERIFY(selectArea(*w, QStringLiteral("510101001")));
    QVERIFY(w->CDSUserData->Locate(QStringLiteral("UserCode"), QStringLiteral("51010100100003")));
    db.dispatch.queueConfirm(1);
    w->BtnDelClick(w->BtnDel);
    QCOMPARE(db.dispatch.confirms(), QStringList{QStringLiteral("您确定要删除当前选中的用户信息记录?")});
    QCOMPARE(db.dispatch.prompts(), QStringList{QStringLiteral("删除成功!")});
    QCOMPARE(db.hrValue(QStringLiteral("Select Count(*) From p_User Where UserCode = '51010100100003'")).toInt(), 0);
    QCOMPARE(w->CDSUserData->RecordCount(), 2);  // the list was reloaded
    QCOMPARE(w->grdvwGrdVwData->FooterText(w->colUserCode), QStringLiteral("记录数: 2"));
}

void UsersWindow::decliningChangesNothing()
{
    UserDatabases db;
    Window w = openUserWindow();
    QVERIFY(selectArea(*w, QStringLiteral("510101001")));
    const QString before = db.hrUsers();
    db.dispatch.queueConfirm(0);
    w->BtnDelClick(w->BtnDel);
    QCOMPARE(db.dispatch.confirms().size(), 1);
    QVERIFY(db.dispatch.prompts().isEmpty());
    QCOMPARE(db.hrUsers(), before);
}

void UsersWindow::deleteStatementsQuoteTheCode()
{
    // The exact statements, on a session that records them.
    Recorded recorded;
    RecordingSession &session = recorded.session;
    TestHostDispatch &dispatch = recorded.dispatch;
    Window &w = recorded.window;
    w->CDSUserData->SetData(RecordingSession::packet({{QStringLiteral("UserCode"), data::FieldType::String, 20}},
                                                     {{QStringLiteral("O'Brien")}}));
    session.queueValue(0);
    dispatch.queueConfirm(1);
    w->BtnDelClick(w->BtnDel);

    // Beside the guard, only the probe for the trail of changes.
    const QStringList values = session.statements(QStringLiteral("GetHrValue"));
    QCOMPARE(values.size(), 2);
    QCOMPARE(values.at(1), QStringLiteral("Select Count(*) From TSys_UserAudit Where 1 = 0"));
    const QString guard = values.first();
    QVERIFY(guard.startsWith(QStringLiteral(
        "Select Count(*) From (  Select Top 1 'UserCode' As TOrgCode From TDict_DoctList    Where InpPerCode Like 'O''Brien%'")));
    QVERIFY(guard.contains(QStringLiteral(
        " Union All  Select Top 1 'UserCode' From TData_PerBaseInfo    Where CreaRchPerCode Like 'O''Brien%'     Or InpPerCode Like 'O''Brien%'")));
    QVERIFY(guard.contains(QStringLiteral(
        " Union All  Select Top 1 'UserCode' From TData_PVRVVaccMat    Where CreaCardPerCode Like 'O''Brien%'     Or InpPerCode Like 'O''Brien%'")));
    QVERIFY(guard.endsWith(QStringLiteral(
        " Union All  Select Top 1 'UserCode' From TData_UserRight    Where InpPerCode Like 'O''Brien%') A ")));
    QCOMPARE(guard.count(QStringLiteral(" Union All ")), 31);
    QCOMPARE(session.statements(QStringLiteral("ExecHrSql")),
             QStringList{QStringLiteral("Delete P_User Where UserCode = 'O''Brien'")});
}

void UsersWindow::aDeleteAnsweredFalseIsAFailure()
{
    Recorded recorded;
    RecordingSession &session = recorded.session;
    TestHostDispatch &dispatch = recorded.dispatch;
    Window &w = recorded.window;
    w->CDSUserData->SetData(RecordingSession::packet({{QStringLiteral("UserCode"), data::FieldType::String, 20}},
                                                     {{QStringLiteral("u1")}, {QStringLiteral("u2")}}));
    session.queueValue(0);
    session.execFalseOnCall(1);
    dispatch.queueConfirm(1);
    w->BtnDelClick(w->BtnDel);
    QCOMPARE(dispatch.prompts(), QStringList{QStringLiteral("删除失败!")});
    QCOMPARE(w->CDSUserData->RecordCount(), 2);
    for (const QString &sql : session.statements(QStringLiteral("OpenHrData")))
        QVERIFY2(!sql.contains(QStringLiteral("p_User")), "the list is not reloaded");
}

void UsersWindow::syncRequiresUnits()
{
    UserDatabases db;
    Window w = openUserWindow();
    db.hr(QStringLiteral("Delete From P_YLFWDW"));
    db.rcms(QStringLiteral("Insert Into p_User (UserCode, UserName) Values ('n1', '新')"));
    const QString before = db.hrUsers();
    w->BtnSyhClick(w->BtnSyh);
    QCOMPARE(db.dispatch.prompts(), QStringList{QStringLiteral(
        "不存在医疗服务单位信息,无法同步农合用户信息,请先维护医疗服务单位信息后再使用此功能!")});
    QCOMPARE(db.hrUsers(), before);
}

void UsersWindow::syncInsertsUpdatesAndLeavesOthersAlone()
{
    UserDatabases db;
    // identical; password differs; missing in HR (with a quote); HR-only users stay.
    db.rcms(QStringLiteral(
        "Insert Into p_User (UserCode, UserName, Spell, FiveStrokes, OrgCode, Grade, ContactType, PassWord) Values "
        "('51010100100001', '张三', 'ZS', 'XD', 'A1', '3', '13800000001', 'p1'), "
        "('51010100100002', '李四', 'LS', 'SL', 'A2', '3', '13800000002', 'changed'), "
        "('51010100100009', 'O''Neil', 'ON', 'KN', 'A1', '3', 'x''y', 'p9')"));
    Window w = openUserWindow();
    w->BtnSyhClick(w->BtnSyh);
    QCOMPARE(db.dispatch.prompts(), QStringList{QStringLiteral("同步农合用户信息数据成功")});
    QVERIFY(!w->TabCtlProgress->isVisible());
    QCOMPARE(w->ProBar->Max(), 300);
    QCOMPARE(w->ProBar->Position(), 300);
    QCOMPARE(db.hrValue(QStringLiteral("Select PassWord From p_User Where UserCode = '51010100100002'")).toString(),
             QStringLiteral("changed"));
    QCOMPARE(db.hrValue(QStringLiteral("Select UserName From p_User Where UserCode = '51010100100009'")).toString(),
             QStringLiteral("O'Neil"));
    QCOMPARE(db.hrValue(QStringLiteral("Select ContactType From p_User Where UserCode = '51010100100009'")).toString(),
             QStringLiteral("x'y"));
    QCOMPARE(db.hrValue(QStringLiteral("Select Count(*) From p_User Where UserCode = '51010200000001'")).toInt(), 1);
    QCOMPARE(db.hrValue(QStringLiteral("Select Count(*) From p_User")).toInt(), 6);
}

void UsersWindow::syncFailureOnTheThirdUserRollsEverythingBack()
{
    UserDatabases db;
    // Five RCMS users, each needing a statement; the database refuses the
    // third one's insert.
    db.rcms(QStringLiteral(
        "Insert Into p_User (UserCode, UserName, PassWord) Values "
        "('n1', '一', 'a'), ('51010100100001', '改名', 'p1'), ('n3', '三', 'c'), ('n4', '四', 'd'), ('n5', '五', 'e')"));
    if (UserDatabases::hrBackend() == QLatin1String("postgresql")) {
        db.hr(QStringLiteral("Create Function refuse() Returns trigger Language plpgsql As $$ Begin "
                             "If New.UserCode = 'n3' Then Raise Exception 'refused by the database'; End If; "
                             "Return New; End $$; "
                             "Create Trigger refuse Before Insert On p_User For Each Row Execute Function refuse()"));
    } else {
        db.hr(QStringLiteral("Create Trigger refuse Before Insert On p_User When New.UserCode = 'n3' "
                             "Begin Select Raise(Abort, 'refused by the database'); End"));
    }
    const QString before = db.hrUsers();
    Window w = openUserWindow();
    w->BtnSyhClick(w->BtnSyh);
    QCOMPARE(db.dispatch.prompts().size(), 1);
    QVERIFY(db.dispatch.prompts().first().startsWith(QStringLiteral("同步农合用户信息数据失败!原因:")));
    QVERIFY(!db.dispatch.prompts().first().contains(QStringLiteral("Insert")));
    QCOMPARE(db.hrUsers(), before);
    QVERIFY(!w->TabCtlProgress->isVisible());
}

// The columns both user tables give the synchronisation, in the tables' order.
static QVector<data::FieldDef> syncFields()
{
    QVector<data::FieldDef> fields;
    for (const char *name : {"UserCode", "UserName", "Spell", "FiveStrokes", "OrgCode", "Grade", "ContactType", "PassWord"})
        fields.push_back({QString::fromLatin1(name), data::FieldType::String, 20});
    return fields;
}

void UsersWindow::syncStatementAnsweredFalseFailsTheRun()
{
    Recorded recorded;
    RecordingSession &session = recorded.session;
    TestHostDispatch &dispatch = recorded.dispatch;
    Window &w = recorded.window;
    const QVector<data::FieldDef> fields = syncFields();
    session.queueValue(3);  // units exist
    // The RCMS users first, then the health-record users (none).
    session.queuePacket(RecordingSession::packet(fields, {{"a", "A", "", "", "", "", "", ""},
                                                          {"b", "B", "", "", "", "", "", ""}}));
    session.queuePacket(RecordingSession::packet(fields));
    session.execFalseOnCall(2);
    w->BtnSyhClick(w->BtnSyh);
    QCOMPARE(dispatch.prompts(), QStringList{QStringLiteral("同步农合用户信息数据失败!原因:数据库未执行同步语句")});
    QCOMPARE(session.hrRollbacks(), 1);
    QCOMPARE(session.hrCommits(), 0);
}

void UsersWindow::syncSendsExactlyTheInsertAndUpdateTexts()
{
    Recorded recorded;
    RecordingSession &session = recorded.session;
    session.queueValue(3);  // units exist
    // New (quotes in its texts), changed in the password only, identical.
    session.queuePacket(RecordingSession::packet(
        syncFields(), {{"a'1", "新'人", "XR", "YW", "A1", "3", "1'38", "p"}, {"b", "乙", "Y", "N", "A2", "4", "", "new"},
                       {"c", "丙", "B", "G", "A1", "3", "139", "q"}}));
    session.queuePacket(RecordingSession::packet(
        syncFields(), {{"c", "丙", "B", "G", "A1", "3", "139", "q"}, {"b", "乙", "Y", "N", "A2", "4", "", "old"}}));
    recorded.window->BtnSyhClick(recorded.window->BtnSyh);
    QCOMPARE(recorded.dispatch.prompts(), QStringList{QStringLiteral("同步农合用户信息数据成功")});
    using ModuleSql::SyncUser;
    QCOMPARE(session.statements(QStringLiteral("ExecHrSql")),
             (QStringList{ModuleSql::syncInsert(SyncUser{QStringLiteral("a'1"), QStringLiteral("新'人"),
                                                         QStringLiteral("XR"), QStringLiteral("YW"), QStringLiteral("3"),
                                                         QStringLiteral("A1"), QStringLiteral("1'38"), QStringLiteral("p")}),
                          ModuleSql::syncUpdate(SyncUser{QStringLiteral("b"), QStringLiteral("乙"), QStringLiteral("Y"),
                                                         QStringLiteral("N"), QStringLiteral("4"), QStringLiteral("A2"),
                                                         QString(), QStringLiteral("new")})}));
}

void UsersWindow::nothingActsWhileASynchronisationRuns()
{
    UserDatabases db;
    db.rcms(QStringLiteral(
        "Insert Into p_User (UserCode, UserName, OrgCode, PassWord) Values "
        "('51010100100001', '张三改', 'A1', 'p1'), ('51010100100007', '新人', 'A1', 'p7')"));
    // The window inside a host main window that refuses to close while it is
    // busy (made first, so that the window is freed before it).
    QMainWindow host;
    Window w = openUserWindow();
    w->setWindowFlags(Qt::Widget);
    host.setCentralWidget(w.get());
    HostCloseGuard guard(&host, w.get());
    host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));
    QVERIFY(selectArea(*w, QStringLiteral("510101001")));
    QVERIFY(w->CDSUserData->Locate(QStringLiteral("UserCode"), QStringLiteral("51010100100003")));
    ModalCloser closer;

    QTableView *grid = w->grdvwGrdVwData->tableView();
    QTreeView *tree = w->TreLstArea->treeView();
    int passes = 0;
    bool busyCursor = false;
    bool closeRefused = false;
    db.onSessionCall([&](const char *slot, const QString &) {
        // One event pass in the middle of the run: every command a person can reach.
        if (qstrcmp(slot, "ExecHrSql") != 0 || passes++ > 0)
            return;
        QVERIFY(w->Busy());
        busyCursor = QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::BusyCursor;
        const QModelIndex area = tree->currentIndex();
        const int userRow = w->CDSUserData->RecNo();
        for (TdxBarButton *b : {w->BtnSyh, w->BtnDel, w->BtnAdd, w->BtnEdit})
            QTest::mouseClick(toolButton(*w, b), Qt::LeftButton);
        const QRect row = grid->visualRect(grid->model()->index(0, 0));
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, row.center());
        const QModelIndex other = tree->indexBelow(tree->currentIndex());
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier, tree->visualRect(other).center());
        QTest::keyClick(tree, Qt::Key_Down);
        QTest::keyClick(grid, Qt::Key_Escape);
        closeRefused = !host.close();
        QCoreApplication::processEvents();
        QCOMPARE(tree->currentIndex(), area);
        QCOMPARE(w->CDSUserData->RecNo(), userRow);
    });
    w->BtnSyh->Click();
    db.onSessionCall(nullptr);

    QVERIFY(passes > 0);
    QVERIFY(busyCursor);
    QVERIFY2(closeRefused, "the host must not close during the run");
    QVERIFY(host.isVisible() && w->isVisible());
    QVERIFY(host.findChild<QMessageBox *>(QStringLiteral("CloseRefusedNotice")));
    QCOMPARE(closer.closed, 0);
    QCOMPARE(db.dispatch.prompts(), QStringList{QStringLiteral("同步农合用户信息数据成功")});
    QVERIFY(db.dispatch.confirms().isEmpty());
    QVERIFY(!w->Busy());
    QVERIFY(!QApplication::overrideCursor());
    QCOMPARE(db.hrValue(QStringLiteral("Select Count(*) From p_User")).toInt(), 6);
    // The grid shows what the database holds for the area shown.
    const QString area = w->CDSAreaData->FieldByName(QStringLiteral("StaAreaCode"))->AsString();
    QStringList shownUsers = column(w->CDSUserData, QStringLiteral("UserCode"));
    QStringList stored;
    const data::DataPacket users = db.session().OpenHrData(QStringLiteral(
        "Select UserCode From p_User, P_YLFWDW Where p_User.OrgCode = P_YLFWDW.OrgCode And StaAreaCode = '%1'").arg(area));
    for (const auto &r : users.rows)
        stored << r.first().toString();
    shownUsers.sort();
    stored.sort();
    QCOMPARE(shownUsers, stored);
    // Free again: the window closes and the commands act.
    QVERIFY(host.close());
}

void UsersWindow::escapeNeverHidesTheWindow()
{
    UserDatabases db;
    Window w = openUserWindow();
    QVERIFY(selectArea(*w, QStringLiteral("510101001")));
    for (QWidget *target : {static_cast<QWidget *>(w->TreLstArea->treeView()),
                            static_cast<QWidget *>(w->grdvwGrdVwData->tableView()), static_cast<QWidget *>(w.get())}) {
        target->setFocus();
        QTest::keyClick(target, Qt::Key_Escape);
        QVERIFY2(w->isVisible(), qPrintable(target->objectName()));
    }
}

void UsersWindow::theWindowOpensOnTheLoginsOwnArea()
{
    UserDatabases db;
    // The login's area stored last, so the database returns its townships first.
    db.hr(QStringLiteral("Delete From P_XZQH Where AreaCode = '510101'"));
    db.hr(QStringLiteral("Insert Into P_XZQH (AreaCode, AreaName, ParentAreaCode, RCMSAreaCode) "
                         "Values ('510101', '示范县', '5101', '5101')"));
    Window w = openUserWindow();
    QCOMPARE(w->TreLstArea->FocusedNodeText(), QStringLiteral("[510101] 示范县"));
    QCOMPARE(column(w->CDSUserData, QStringLiteral("UserCode")), QStringList{QStringLiteral("admin")});
}

void UsersWindow::codesAndNamesShowWhole()
{
    UserDatabases db;
    db.hr(QStringLiteral("Update P_XZQH Set AreaName = '一个名字很长很长的行政村' Where AreaCode = '51010100101'"));
    db.hr(QStringLiteral("Update P_YLFWDW Set OrgName = OrgName || '疾病预防控制中心慢性非传染性疾病防治科'"));
    Window w = openUserWindow();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    QTableView *grid = w->grdvwGrdVwData->tableView();
    const auto whole = [&] {
        for (TcxGridDBColumn *c : {w->colUserCode, w->colOrgCode, w->colOrgName}) {
            const int section = w->grdvwGrdVwData->IndexOfColumn(c);
            QVERIFY2(static_cast<QAbstractItemView *>(grid)->sizeHintForColumn(section)
                         <= grid->horizontalHeader()->sectionSize(section),
                     qPrintable(c->objectName()));
        }
    };
    // The list the window opens on, and the list of an area chosen after.
    QVERIFY(grid->model()->rowCount() > 0);
    whole();
    QVERIFY(selectArea(*w, QStringLiteral("510101001")));
    whole();
    screenshot(w.get(), "grid-long-units");
    QTreeView *tree = w->TreLstArea->treeView();
    tree->expandAll();
    const int width = tree->header()->sectionSize(0);
    QVERIFY(static_cast<QAbstractItemView *>(tree)->sizeHintForColumn(0) <= width);
    QVERIFY(width >= tree->viewport()->width());
    // The column follows its pane when the pane is made wider.
    w->cxGroupBox1->setFixedWidth(400);
    QTRY_VERIFY(tree->header()->sectionSize(0) >= tree->viewport()->width());
    QVERIFY(tree->header()->sectionSize(0) > width);
}

void UsersWindow::aLockedDatabaseIsReportedAsBusy()
{
    if (UserDatabases::hrBackend() != QLatin1String("sqlite"))
        QSKIP("the busy cause is the SQLite session's");
    UserDatabases db;
    Window w = openUserWindow();
    QVERIFY(selectArea(*w, QStringLiteral("510101001")));
    QVERIFY(w->CDSUserData->Locate(QStringLiteral("UserCode"), QStringLiteral("51010100100003")));
    const QString before = db.hrUsers();
    // Another connection holds the write lock for the whole attempt.
    db.hr(QStringLiteral("BEGIN IMMEDIATE"));
    db.dispatch.queueConfirm(1);
    QElapsedTimer clock;
    clock.start();
    w->BtnDelClick(w->BtnDel);
    const qint64 waited = clock.elapsed();
    // The save of an edited user through the dialog meets the same lock.
    std::unique_ptr<TUserInfoAddEditForm, void (*)(QWidget *)> dialog(CreateForm<TUserInfoAddEditForm>(), DestroyForm);
    dialog->SetKeyValue(QStringLiteral("51010100100002"));
    dialog->FStaAreaCode = QStringLiteral("510101001");
    dialog->show();
    QTest::mouseClick(dialog->btnOK, Qt::LeftButton);
    db.hr(QStringLiteral("ROLLBACK"));

    const QString busy = QStringLiteral("数据库正忙, 请稍后再试");
    QCOMPARE(db.dispatch.prompts(),
             (QStringList{QStringLiteral("删除失败!原因:") + busy, QStringLiteral("数据保存失败!原因:") + busy}));
    QVERIFY2(waited < 15000, "within the busy timeout");
    QVERIFY(dialog->isVisible());
    QCOMPARE(db.hrUsers(), before);
}

QTEST_MAIN(UsersWindow)
#include "tst_users_window.moc"
