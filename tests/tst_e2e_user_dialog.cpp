// Adding and editing users as a person does it, through the real host with the
// module loaded from the build, on generated SQLite databases (or, with
// LUMO_TEST_HR_BACKEND=postgresql, on demo databases the host generates on the
// PostgreSQL test server).
#include <QtTest>

#include <QApplication>
#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QMainWindow>
#include <QMessageBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableView>
#include <QToolButton>
#include <QTreeView>

#include <sqlite3.h>

#include <functional>
#include <memory>

#include "CodePicker.h"
#include "DemoData.h"
#include "HostApplication.h"
#include "HostDispatch.h"
#include "HostEventApplication.h"
#include "LumoError.h"
#include "ModalDialog.h"
#include "PostgresDatabases.h"
#include "Screenshot.h"
#include "SearchCodes.h"
#include "SessionFactory.h"
#include "URCMSObjValueClass.h"

namespace {

const QString kArea = QStringLiteral("41999");  // a five-digit area, as in the users' own examples
const QString kUnit = QStringLiteral("T5001");
const QString kPassword = QStringLiteral("5f1d7a3c9e2b48d06a7c3e91b4f8d2a6");

QLineEdit *lineOf(QWidget *root, const char *editor)
{
    QWidget *w = root->findChild<QWidget *>(QString::fromLatin1(editor));
    return w ? w->findChild<QLineEdit *>() : nullptr;
}

void typeText(QWidget *w, const QString &text)
{
    w->setFocus();
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

QModelIndex findNode(QAbstractItemModel *model, const QString &text, const QModelIndex &parent = {})
{
    for (int r = 0; r < model->rowCount(parent); ++r) {
        const QModelIndex index = model->index(r, 0, parent);
        if (index.data().toString() == text)
            return index;
        const QModelIndex found = findNode(model, text, index);
        if (found.isValid())
            return found;
    }
    return {};
}

// LUMO_TEST_HR_BACKEND=postgresql runs the host on the PostgreSQL test server.
bool onPostgres()
{
    return qEnvironmentVariable("LUMO_TEST_HR_BACKEND").trimmed().toLower() == QLatin1String("postgresql");
}

class Host
{
public:
    explicit Host(const QString &user = DemoData::AdminCode)
    {
        if (onPostgres()) {
            // Empty server databases, filled the way --create-demo fills them.
            m_server = std::make_unique<PostgresDatabases>(PostgresDatabases::Schema::None);
            HostConfig config = HostConfig::fromArguments(databaseArguments() + QStringList{QStringLiteral("--user"), user});
            createDemoDatabasesIfMissing(config);
        } else {
            DemoData::create(hrFile(), rcmsFile());
        }
        const QString county = value(QStringLiteral(
            "Select y.StaAreaCode From p_User u Join P_YLFWDW y On y.OrgCode = u.OrgCode Where u.UserCode = 'admin'"));
        sql(QStringLiteral("Insert Into P_XZQH (AreaCode, AreaName, ParentAreaCode, RCMSAreaCode) "
                           "Values ('%1', '测试区', '%2', Null)").arg(kArea, county));
        sql(QStringLiteral("Insert Into P_YLFWDW (OrgCode, OrgName, AreaCode, StaAreaCode, Spell, FiveStrokes) "
                           "Values ('%1', '测试卫生院', '%2', '%2', 'CSWSY', 'IGBB')").arg(kUnit, kArea));
        m_user = user;
    }

    void start()
    {
        m_host = std::make_unique<HostApplication>(HostConfig::fromArguments(
            databaseArguments()
            + QStringList{QStringLiteral("--user"), m_user, QStringLiteral("--app-path"), m_dir.path()}));
        m_host->start();
        m_host->dispatch()->setResponder([this](const QString &text, bool question) {
            (question ? questions : messages) << text;
            return 1;
        });
    }

    void stop() { m_host.reset(); }
    HostApplication *app() const { return m_host.get(); }
    void loginAs(const QString &user) { m_user = user; }
    QString hrFile() const { return m_dir.filePath(QStringLiteral("hr.db")); }
    QString rcmsFile() const { return m_dir.filePath(QStringLiteral("rcms.db")); }
    bool onServer() const { return m_server != nullptr; }
    QStringList databaseArguments() const
    {
        if (!m_server)
            return {QStringLiteral("--hr"), hrFile(), QStringLiteral("--rcms"), rcmsFile()};
        return {QStringLiteral("--hr"), QStringLiteral("odbc:") + m_server->hr().odbcConnection,
                QStringLiteral("--hr-dialect"), QStringLiteral("postgresql"),
                QStringLiteral("--rcms"), QStringLiteral("odbc:") + m_server->rcms().odbcConnection,
                QStringLiteral("--rcms-dialect"), QStringLiteral("postgresql")};
    }
    QWidget *window() const { return m_host->moduleWindow(); }
    CodePicker *picker() const { return qobject_cast<CodePicker *>(m_host->session()->CodePicker.data()); }

    void sql(const QString &text, SchemaDatabase database = SchemaDatabase::HealthRecord)
    {
        if (m_server) {
            m_server->exec(database, text);
            return;
        }
        sqlite3 *db = nullptr;
        sqlite3_open((database == SchemaDatabase::HealthRecord ? hrFile() : rcmsFile()).toUtf8().constData(), &db);
        char *error = nullptr;
        const int rc = sqlite3_exec(db, text.toUtf8().constData(), nullptr, nullptr, &error);
        sqlite3_close(db);
        if (rc != SQLITE_OK)
            throw data::LumoError(QString::fromUtf8(error));
    }

    QString value(const QString &text)
    {
        if (m_server)
            return m_server->value(SchemaDatabase::HealthRecord, text).toString();
        sqlite3 *db = nullptr;
        sqlite3_open(hrFile().toUtf8().constData(), &db);
        sqlite3_stmt *stmt = nullptr;
        sqlite3_prepare_v2(db, text.toUtf8().constData(), -1, &stmt, nullptr);
        QString result;
        if (stmt && sqlite3_step(stmt) == SQLITE_ROW && sqlite3_column_text(stmt, 0))
            result = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0)));
        sqlite3_finalize(stmt);
        sqlite3_close(db);
        return result;
    }

    int count(const QString &where) { return value(QStringLiteral("Select Count(*) From p_User Where ") + where).toInt(); }

    bool selectArea(const QString &code, const QString &name)
    {
        auto *tree = window()->findChild<QTreeView *>();
        const QModelIndex node = findNode(tree->model(), QStringLiteral("[%1] %2").arg(code, name));
        if (!node.isValid())
            return false;
        tree->setCurrentIndex(node);
        return true;
    }

    void click(const char *button)
    {
        auto *b = window()->findChild<QToolButton *>(QString::fromLatin1(button));
        QVERIFY2(b && b->isEnabled(), button);
        QTest::mouseClick(b, Qt::LeftButton);
    }

    // The user grid (the window also lists the users a search in every area finds).
    QTableView *grid() const
    {
        return window()->findChild<QWidget *>(QStringLiteral("GrdData"))->findChild<QTableView *>();
    }
    QString currentCode() const
    {
        const QModelIndex current = grid()->currentIndex();
        return current.isValid() ? current.sibling(current.row(), 0).data().toString() : QString();
    }

    QStringList messages;
    QStringList questions;

private:
    QTemporaryDir m_dir;
    std::unique_ptr<PostgresDatabases> m_server;
    QString m_user;
    std::unique_ptr<HostApplication> m_host;
};

// Fills the add dialog: serial, name, unit through the picker.
void fillNewUser(Host &host, QWidget *dialog, const QString &serial, const QString &name, QStringList *failures)
{
    QLineEdit *sn = lineOf(dialog, "EdtSN");
    QLineEdit *userName = lineOf(dialog, "EdtUserName");
    QLineEdit *orgCode = lineOf(dialog, "EdtOrgCode");
    if (!sn || !userName || !orgCode) {
        failures->append(QStringLiteral("editors not found"));
        return;
    }
    sn->selectAll();
    QTest::keyClicks(sn, serial);
    userName->selectAll();
    QTest::keyClick(userName, Qt::Key_Delete);
    typeText(userName, name);
    if (userName->text() != name)
        failures->append(QStringLiteral("typed name shows as: ") + userName->text());
    // A key in the unit editor opens the picker, which starts with that key's text.
    QMetaObject::Connection pick = QObject::connect(host.picker(), &CodePicker::dialogShown, [failures, &host](QDialog *picker) {
        auto *search = picker->findChild<QLineEdit *>(QStringLiteral("SearchEdit"));
        if (!search || search->text() != QStringLiteral("t"))
            failures->append(QStringLiteral("the picker did not start with the typed key: ") + (search ? search->text() : QStringLiteral("<none>")) + QStringLiteral(" code=") + host.picker()->property("Code").toString());
        QTimer::singleShot(0, picker, [picker] {
            screenshot(picker, "picker");
            auto *table = picker->findChild<QTableView *>(QStringLiteral("ResultTable"));
            if (table && table->model()->rowCount() > 0)
                table->selectRow(0);
            QTest::keyClick(table, Qt::Key_Return);
        });
    });
    orgCode->setFocus();
    QTest::keyClick(orgCode, Qt::Key_T);
    QObject::disconnect(pick);
    if (userName->text() != name)
        failures->append(QStringLiteral("after picking the name shows as: ") + userName->text());
}

} // namespace

class E2eUserDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void addEditAndContinue();
    void duplicateCodeAndShortSerial();
    void databaseFailureRollsBack();
    void doubleClickNeedsTheEditRightAndARow();
    void proposesTheLowestFreeSerial();
    void aFullAreaSaysSoOnOpening();
    void gridLayoutIsKeptPerLogin();
    void exportWritesTheListedUsers();
    void exportAndDeleteBoxesAsAPersonSeesThem();
    void synchroniseByTheToolbar();
    void anExceptionEscapingAHandlerIsLoggedAndToldOnce();
};

void E2eUserDialog::initTestCase()
{
    if (onPostgres() && !PostgresDatabases::available())
        QSKIP("no PostgreSQL test server (scripts/test.sh starts one)");
}

void E2eUserDialog::addEditAndContinue()
{
    Host host;
    host.start();
    QVERIFY(host.selectArea(kArea, QStringLiteral("测试区")));
    QCOMPARE(host.grid()->model()->rowCount(), 0);

    // Add one user.
    QStringList failures;
    whenModal([&](QWidget *dialog) {
        if (dialog->windowTitle() != QStringLiteral("新增用户信息"))
            failures << QStringLiteral("caption: ") + dialog->windowTitle();
        fillNewUser(host, dialog, QStringLiteral("07"), QStringLiteral("张三丰"), &failures);
        screenshot(dialog, "add-dialog");
        QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("btnOK")), Qt::LeftButton);
    }, &failures);
    host.click("BtnAdd");
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join(QLatin1Char('\n'))));
    QCOMPARE(host.messages, QStringList{QStringLiteral("数据保存成功!")});

    const QString code = kArea + QStringLiteral("000000") + QStringLiteral("07");
    QCOMPARE(code.size(), 13);
    QCOMPARE(host.count(QStringLiteral("UserCode = '%1'").arg(code)), 1);
    QCOMPARE(host.value(QStringLiteral("Select PassWord From p_User Where UserCode = '%1'").arg(code)), kPassword);
    QCOMPARE(host.value(QStringLiteral("Select OrgCode From p_User Where UserCode = '%1'").arg(code)), kUnit);
    QCOMPARE(host.value(QStringLiteral("Select UserName From p_User Where UserCode = '%1'").arg(code)),
             QStringLiteral("张三丰"));
    QCOMPARE(host.value(QStringLiteral("Select Spell From p_User Where UserCode = '%1'").arg(code)),
             SearchCodes::pinyinInitials(QStringLiteral("张三丰")));
    QCOMPARE(host.value(QStringLiteral("Select FiveStrokes From p_User Where UserCode = '%1'").arg(code)),
             SearchCodes::wubiInitials(QStringLiteral("张三丰")));
    QCOMPARE(host.grid()->model()->rowCount(), 1);
    QCOMPARE(host.currentCode(), code);

    // Edit that user's name: the code stays, every column is written back.
    host.messages.clear();
    whenModal([&](QWidget *dialog) {
        if (dialog->windowTitle() != QStringLiteral("修改用户信息"))
            failures << QStringLiteral("caption: ") + dialog->windowTitle();
        QLineEdit *name = lineOf(dialog, "EdtUserName");
        name->selectAll();
        QTest::keyClick(name, Qt::Key_Delete);
        typeText(name, QStringLiteral("覃长青"));
        QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("btnOK")), Qt::LeftButton);
    }, &failures);
    host.click("BtnEdit");
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join(QLatin1Char('\n'))));
    QCOMPARE(host.messages, QStringList{QStringLiteral("数据保存成功!")});
    QCOMPARE(host.value(QStringLiteral("Select UserName From p_User Where UserCode = '%1'").arg(code)), QStringLiteral("覃长青"));
    // The host's codes read the surname and the given name as people do.
    QCOMPARE(host.value(QStringLiteral("Select Spell From p_User Where UserCode = '%1'").arg(code)), QStringLiteral("QCQ"));
    QCOMPARE(host.value(QStringLiteral("Select OrgCode From p_User Where UserCode = '%1'").arg(code)), kUnit);
    QCOMPARE(host.currentCode(), code);

    // Continuous adding of three users, then Cancel: positioned on the last one.
    host.messages.clear();
    whenModal([&](QWidget *dialog) {
        auto *box = dialog->findChild<QWidget *>(QStringLiteral("ChkBContinue"));
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
        const QStringList serials = {QStringLiteral("11"), QStringLiteral("12"), QStringLiteral("13")};
        for (const QString &serial : serials) {
            fillNewUser(host, dialog, serial, QStringLiteral("李四") + serial, &failures);
            QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("btnOK")), Qt::LeftButton);
            if (!dialog->isVisible())
                failures << QStringLiteral("the dialog closed in continuous adding");
            if (dialog->focusWidget() != lineOf(dialog, "EdtSN"))
                failures << QStringLiteral("the serial editor does not have the focus after saving ") + serial;
        }
        QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("btnCancel")), Qt::LeftButton);
    }, &failures);
    host.click("BtnAdd");
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join(QLatin1Char('\n'))));
    QVERIFY2(host.messages.isEmpty(), qPrintable(host.messages.join(QLatin1Char('|'))));
    QCOMPARE(host.count(QStringLiteral("UserCode Like '%1%'").arg(kArea)), 4);
    QCOMPARE(host.currentCode(), kArea + QStringLiteral("00000013"));
    screenshot(host.window()->window(), "window");
}

void E2eUserDialog::duplicateCodeAndShortSerial()
{
    Host host;
    host.sql(QStringLiteral("Insert Into p_User (UserCode, UserName, OrgCode) Values ('%1', '已有', '%2')")
                 .arg(kArea + QStringLiteral("00000007"), kUnit));
    host.start();
    QVERIFY(host.selectArea(kArea, QStringLiteral("测试区")));
    QStringList failures;
    whenModal([&](QWidget *dialog) {
        QLineEdit *sn = lineOf(dialog, "EdtSN");
        // One digit, then leaving the serial: the two-digit message.
        QTest::keyClicks(sn, QStringLiteral("7"));
        lineOf(dialog, "EdtUserName")->setFocus();
        QApplication::processEvents();
        if (!host.messages.contains(QStringLiteral("用户代码 输入错误,编码应由2位数字构成!请输入正确的编码!")))
            failures << QStringLiteral("no two-digit message: ") + host.messages.join(QLatin1Char('|'));
        fillNewUser(host, dialog, QStringLiteral("07"), QStringLiteral("王五"), &failures);
        host.messages.clear();
        QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("btnOK")), Qt::LeftButton);
        if (!dialog->isVisible())
            failures << QStringLiteral("a duplicate code closed the dialog");
        if (dialog->focusWidget() != lineOf(dialog, "EdtSN"))
            failures << QStringLiteral("the serial editor does not have the focus");
    }, &failures);
    host.click("BtnAdd");
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join(QLatin1Char('\n'))));
    QCOMPARE(host.messages, QStringList{QStringLiteral("当前输入的用户编码已被使用,请重新输入!")});
    QCOMPARE(host.count(QStringLiteral("UserCode Like '%1%'").arg(kArea)), 1);
}

void E2eUserDialog::databaseFailureRollsBack()
{
    Host host;
    if (host.onServer()) {
        host.sql(QStringLiteral("Create Function refuse() Returns trigger Language plpgsql As $$ Begin "
                                "If New.UserName = '失败' Then Raise Exception 'refused by the database'; End If; "
                                "Return New; End $$; "
                                "Create Trigger refuse Before Insert On p_User For Each Row Execute Function refuse()"));
    } else {
        host.sql(QStringLiteral("Create Trigger refuse Before Insert On p_User When New.UserName = '失败' "
                                "Begin Select Raise(Abort, 'refused by the database'); End"));
    }
    host.start();
    QVERIFY(host.selectArea(kArea, QStringLiteral("测试区")));
    QStringList failures;
    whenModal([&](QWidget *dialog) {
        fillNewUser(host, dialog, QStringLiteral("21"), QStringLiteral("失败"), &failures);
        QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("btnOK")), Qt::LeftButton);
        if (!dialog->isVisible())
            failures << QStringLiteral("a failed save closed the dialog");
    }, &failures);
    host.click("BtnAdd");
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join(QLatin1Char('\n'))));
    // The cause in words, the database's own for a refusal; never the statement.
    // SQLite reports a trigger's refusal as a constraint, PostgreSQL as the
    // trigger's own exception.
    QCOMPARE(host.messages, QStringList{host.onServer() ? QStringLiteral("数据保存失败!原因:refused by the database")
                                                        : QStringLiteral("数据保存失败!原因:违反数据约束: refused by the database")});
    QCOMPARE(host.count(QStringLiteral("UserCode Like '%1%'").arg(kArea)), 0);
}

void E2eUserDialog::doubleClickNeedsTheEditRightAndARow()
{
    Host host;
    host.sql(QStringLiteral("Delete From TSys_UserRight Where UserCode = 'admin' And ModFunID = '255'"));
    host.sql(QStringLiteral("Insert Into p_User (UserCode, UserName, OrgCode) Values ('%1', '已有', '%2')")
                 .arg(kArea + QStringLiteral("00000001"), kUnit));
    host.start();
    QVERIFY(host.selectArea(kArea, QStringLiteral("测试区")));
    QCOMPARE(host.grid()->model()->rowCount(), 1);
    bool opened = false;
    QTimer::singleShot(0, [&] {
        if (QWidget *w = QApplication::activeModalWidget()) {
            opened = true;
            w->close();
        }
    });
    QTableView *grid = host.grid();
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(0, 0)).center());
    QApplication::processEvents();
    QVERIFY2(!opened, "double-click without the edit right opens nothing");
}

void E2eUserDialog::proposesTheLowestFreeSerial()
{
    Host host;
    // 01, 02 and 04 are taken; a code of another length or with a non-digit is no serial.
    for (const char *serial : {"01", "02", "04", "3", "x5"})
        host.sql(QStringLiteral("Insert Into p_User (UserCode, UserName, OrgCode) Values ('%1', '已有', '%2')")
                     .arg(kArea + QStringLiteral("000000") + QLatin1String(serial), kUnit));
    host.start();
    QVERIFY(host.selectArea(kArea, QStringLiteral("测试区")));
    QStringList failures;
    whenModal([&](QWidget *dialog) {
        QLineEdit *sn = lineOf(dialog, "EdtSN");
        auto *free = dialog->findChild<QLabel *>(QStringLiteral("lblFreeSerials"));
        if (sn->text() != QStringLiteral("03") || sn->selectedText() != QStringLiteral("03"))
            failures << QStringLiteral("proposed: ") + sn->text() + QStringLiteral(" selected: ") + sn->selectedText();
        if (!free || free->text() != QStringLiteral("可用序号: 96个"))
            failures << QStringLiteral("free serials: ") + (free ? free->text() : QStringLiteral("<none>"));
        if (lineOf(dialog, "Edt1")->text() != kArea + QStringLiteral("00000003"))
            failures << QStringLiteral("composed code: ") + lineOf(dialog, "Edt1")->text();
        // Typing replaces the proposal.
        QTest::keyClicks(sn, QStringLiteral("09"));
        if (sn->text() != QStringLiteral("09"))
            failures << QStringLiteral("typed over the proposal: ") + sn->text();
        // Continuous adding: after saving 03 the next proposal is 05.
        auto *box = dialog->findChild<QWidget *>(QStringLiteral("ChkBContinue"));
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
        fillNewUser(host, dialog, QStringLiteral("03"), QStringLiteral("李四"), &failures);
        QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("btnOK")), Qt::LeftButton);
        if (sn->text() != QStringLiteral("05") || free->text() != QStringLiteral("可用序号: 95个"))
            failures << QStringLiteral("after saving 03: ") + sn->text() + QLatin1Char(' ') + free->text();
    }, &failures);
    host.click("BtnAdd");
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join(QLatin1Char('\n'))));
    QCOMPARE(host.count(QStringLiteral("UserCode = '%1'").arg(kArea + QStringLiteral("00000003"))), 1);
}

void E2eUserDialog::aFullAreaSaysSoOnOpening()
{
    Host host;
    for (int serial = 1; serial <= 99; ++serial)
        host.sql(QStringLiteral("Insert Into p_User (UserCode, UserName, OrgCode) Values ('%1', '已有', '%2')")
                     .arg(kArea + QStringLiteral("000000") + QStringLiteral("%1").arg(serial, 2, 10, QLatin1Char('0')),
                          kUnit));
    host.start();
    QVERIFY(host.selectArea(kArea, QStringLiteral("测试区")));
    QStringList failures, atOpening;
    whenModal([&](QWidget *dialog) {
        atOpening = host.messages;
        auto *free = dialog->findChild<QLabel *>(QStringLiteral("lblFreeSerials"));
        if (!free || free->text() != QStringLiteral("无可用序号"))
            failures << QStringLiteral("free serials: ") + (free ? free->text() : QStringLiteral("<none>"));
    }, &failures);
    host.click("BtnAdd");
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join(QLatin1Char('\n'))));
    QCOMPARE(atOpening, QStringList{QStringLiteral("本区划的用户序号01-99已全部使用, 无法再新增用户!")});
}

void E2eUserDialog::gridLayoutIsKeptPerLogin()
{
    Host host;
    host.start();
    QHeaderView *header = host.grid()->horizontalHeader();
    // Fitted to the content at first: the whole user codes show.
    QVERIFY(header->sectionSize(0) >= host.grid()->fontMetrics().horizontalAdvance(QStringLiteral("51010100100001")));
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(1) + 10, header->height() / 2));
    header->resizeSection(2, 173);
    header->moveSection(3, 0);
    host.stop();

    host.start();
    header = host.grid()->horizontalHeader();
    QCOMPARE(header->sortIndicatorSection(), 1);
    QCOMPARE(header->sortIndicatorOrder(), Qt::AscendingOrder);
    QCOMPARE(header->sectionSize(2), 173);
    QCOMPARE(header->logicalIndex(0), 3);
    host.stop();

    // Another login on the same computer keeps its own.
    host.loginAs(DemoData::ClerkCode);
    host.start();
    QCOMPARE(host.grid()->horizontalHeader()->logicalIndex(0), 0);
    QCOMPARE(host.grid()->horizontalHeader()->sortIndicatorSection(), -1);
}

void E2eUserDialog::exportWritesTheListedUsers()
{
    Host host;
    for (const char *serial : {"10", "02", "01"})
        host.sql(QStringLiteral("Insert Into p_User (UserCode, UserName, OrgCode, PassWord) "
                                "Values ('%1', '王\"五,六', '%2', 'secret-%3')")
                     .arg(kArea + QStringLiteral("000000") + QLatin1String(serial), kUnit, QLatin1String(serial)));
    host.start();
    QVERIFY(host.selectArea(kArea, QStringLiteral("测试区")));
    QHeaderView *header = host.grid()->horizontalHeader();
    header->moveSection(1, 0);  // the name first
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(0) + 10, header->height() / 2));  // by code
    QTemporaryDir dir;
    QString written;
    host.app()->dispatch()->setExportFileChooser([&](const QString &) { return written; });
    auto *action = host.app()->mainWindow()->findChild<QAction *>(QStringLiteral("ActExportUsers"));
    QVERIFY(action);

    written = dir.filePath(QStringLiteral("users.csv"));
    action->trigger();
    QFile csv(written);
    QVERIFY(csv.open(QIODevice::ReadOnly));
    const QByteArray bytes = csv.readAll();
    QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
    QVERIFY(!bytes.contains("secret"));
    const QStringList lines = QString::fromUtf8(bytes.mid(3)).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 4);
    QCOMPARE(lines.at(0), QStringLiteral("姓   名,用户代码,拼音码,五笔码,所属部门代码,所属部门名称"));
    const QString name = QStringLiteral("\"王\"\"五,六\"");
    for (int i = 0; i < 3; ++i) {
        const QString code = kArea + QStringLiteral("000000") + QStringList{"01", "02", "10"}.at(i);
        QCOMPARE(lines.at(i + 1), QStringLiteral("%1,%2,,,%3,测试卫生院").arg(name, code, kUnit));
    }
    QVERIFY(host.messages.last().startsWith(QStringLiteral("已导出 3 条记录到 ")));

    // Several rows selected (the first, and the third with Ctrl): those only.
    QTableView *grid = host.grid();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(0, 1)).center());
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      grid->visualRect(grid->model()->index(2, 1)).center());
    written = dir.filePath(QStringLiteral("several.csv"));
    action->trigger();
    QFile several(written);
    QVERIFY(several.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(several.readAll().mid(3)).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts),
             (QStringList{lines.at(0), lines.at(1), lines.at(3)}));  // the header, users 01 and 10

    written = dir.filePath(QStringLiteral("users.xlsx"));
    action->trigger();
    QFile xlsx(written);
    QVERIFY(xlsx.open(QIODevice::ReadOnly));
    QVERIFY(xlsx.read(2) == "PK");  // a zip archive, as every workbook is
}

// With one user: the export dialog offers the workbook first, and says why
// beside the CSV (a spreadsheet program reads a long code in CSV as a
// number); then the boxes of a delete, answered by keys as a person does, are
// each wider than their title with the room a window frame takes beside it.
void E2eUserDialog::exportAndDeleteBoxesAsAPersonSeesThem()
{
    Host host;
    const QString code = kArea + QStringLiteral("00000001");
    host.sql(QStringLiteral("Insert Into p_User (UserCode, UserName, OrgCode, PassWord) Values ('%1', '王五', '%2', 'p')")
                 .arg(code, kUnit));
    host.start();
    QVERIFY(host.selectArea(kArea, QStringLiteral("测试区")));
    QTemporaryDir dir;
    QStringList filters, failures;
    whenModal([&](QWidget *modal) {
        auto *dialog = qobject_cast<QFileDialog *>(modal);
        auto *name = modal->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        if (!dialog || !name) {
            failures << QStringLiteral("not the file dialog: ") + modal->metaObject()->className();
            return;
        }
        filters = dialog->nameFilters() << dialog->selectedNameFilter();
        name->selectAll();
        QTest::keyClicks(name, dir.filePath(QStringLiteral("users")));
        QTest::keyClick(name, Qt::Key_Return);
    }, &failures);
    host.app()->mainWindow()->findChild<QAction *>(QStringLiteral("ActExportUsers"))->trigger();
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join(QLatin1Char('\n'))));
    QCOMPARE(filters, (QStringList{QStringLiteral("Excel 工作簿 (*.xlsx)"),
                                   QStringLiteral("CSV 文件 - 表格程序会把长代码读成数字 (*.csv)"),
                                   QStringLiteral("Excel 工作簿 (*.xlsx)")}));
    QFile xlsx(dir.filePath(QStringLiteral("users.xlsx")));
    QVERIFY(xlsx.open(QIODevice::ReadOnly));
    QVERIFY(xlsx.read(2) == "PK");

    host.app()->dispatch()->setResponder({});
    QStringList boxes;  // title, whether the title has its room, text
    QPointer<QMessageBox> answered;
    QTimer poll;
    connect(&poll, &QTimer::timeout, this, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || box == answered)
            return;
        answered = box;
        const bool question = box->windowTitle() == QStringLiteral("确认");
        boxes << QStringLiteral("%1 %2 %3").arg(box->windowTitle())
                     .arg(box->width() >= HostDispatch::boxMinimumWidth(box->windowTitle(), box->fontMetrics()))
                     .arg(question ? QString() : box->text());
        if (!question)
            screenshot(box, "deleted-box");
        QTest::keyClick(box, question ? Qt::Key_Y : Qt::Key_Return);
    });
    poll.start(20);
    host.click("BtnDel");
    poll.stop();
    QCOMPARE(boxes, (QStringList{QStringLiteral("确认 1 "), QStringLiteral("提示 1 删除成功!")}));
    QCOMPARE(host.count(QStringLiteral("UserCode = '%1'").arg(code)), 0);
}

// The synchronisation as a person starts it, on a run large enough that the
// server gets its writes in several requests: 1,500 new RCMS users of the test
// unit and every demo user changed. A second run then finds nothing to change.
void E2eUserDialog::synchroniseByTheToolbar()
{
    Host host;
    host.sql(QStringLiteral("Update p_User Set ContactType = 'e2e'"), SchemaDatabase::Rcms);
    host.sql(QStringLiteral("WITH RECURSIVE s(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM s WHERE i < 1499) "
                            "INSERT INTO p_User (UserCode, UserName, Spell, OrgCode, Grade, PassWord) "
                            "SELECT '4199900' || CAST(1000000 + i AS TEXT), '同步' || CAST(i AS TEXT), 'TB', '%1', '3', 'p' "
                            "FROM s").arg(kUnit),
             SchemaDatabase::Rcms);
    host.start();
    QVERIFY(host.selectArea(kArea, QStringLiteral("测试区")));
    auto *counts = host.window()->findChild<QLabel *>(QStringLiteral("lblSyncCounts"));
    QVERIFY(counts);
    const QRegularExpression shown(QStringLiteral("^新增 (\\d+) 人, 更新 (\\d+) 人, 未变 (\\d+) 人"));
    QList<int> seen;  // added, changed, unchanged of each run
    for (int run = 0; run < 2; ++run) {
        host.messages.clear();
        host.click("BtnSyh");
        QTRY_VERIFY2(host.messages.contains(QStringLiteral("同步农合用户信息数据成功")),
                     qPrintable(host.messages.join(QLatin1Char('\n'))));
        const QRegularExpressionMatch m = shown.match(counts->text());
        QVERIFY2(m.hasMatch(), qPrintable(counts->text()));
        seen << m.captured(1).toInt() << m.captured(2).toInt() << m.captured(3).toInt();
    }
    QVERIFY2(seen[0] >= 1500 && seen[1] > 0 && seen[2] == 0, qPrintable(counts->text()));
    QCOMPARE(seen.mid(3), (QList<int>{0, 0, seen[0] + seen[1] + seen[2]}));
    QCOMPARE(host.count(QStringLiteral("UserCode Like '41999001%' And Spell = 'TB'")), 1500);
    QCOMPARE(host.grid()->model()->rowCount(), 1500);
    screenshot(host.window()->window(), onPostgres() ? "sync-server" : "sync-file");
}

void E2eUserDialog::anExceptionEscapingAHandlerIsLoggedAndToldOnce()
{
    Host host;
    host.start();
    QPushButton button(QStringLiteral("失败"));
    button.setObjectName(QStringLiteral("BtnThrows"));
    QObject::connect(&button, &QPushButton::clicked, [] {
        throw data::LumoError(QStringLiteral("SQL语句执行失败: disk I/O error\n语句: Update p_User Set PassWord = 'hunter2'"),
                              QStringLiteral("与数据库的连接已断开"));
    });
    button.show();
    static QStringList logged;  // the failures the host logs, reached by the handler below without a capture
    logged.clear();
    const QtMessageHandler previous = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &context,
                                                                const QString &message) {
        if (type == QtCriticalMsg && qstrcmp(context.category, "lumo.host.events") == 0)
            logged << message;
    });
    QTest::mouseClick(&button, Qt::LeftButton);
    QTest::mouseClick(&button, Qt::LeftButton);
    QTRY_COMPARE(host.messages, QStringList{QStringLiteral("操作未能完成!原因:与数据库的连接已断开")});
    qInstallMessageHandler(previous);
    QCOMPARE(logged.size(), 2);
    QVERIFY2(logged.first().contains(QStringLiteral("QPushButton \"BtnThrows\"")), qPrintable(logged.first()));
    QVERIFY(logged.first().contains(QStringLiteral("Update p_User Set PassWord = '***'")));
    QVERIFY(!logged.join(QString()).contains(QStringLiteral("hunter2")));
    // The loop went on: the window still answers.
    QVERIFY(host.selectArea(kArea, QStringLiteral("测试区")));
}

// The host's own application object, as lumohost makes it: its last net is
// under every handler here too.
int main(int argc, char **argv)
{
    HostEventApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    E2eUserDialog test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_e2e_user_dialog.moc"
