#include "HostApplication.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QWidget>

#include <cstdio>

#include "ClientDataSet.h"
#include "CodePicker.h"
#include "Gbk.h"
#include "HostCloseGuard.h"
#include "HostDispatch.h"
#include "HostEventApplication.h"
#include "HostIcons.h"
#include "HostLog.h"
#include "HostPaths.h"
#include "LumoError.h"
#include "SqlQuoted.h"
#include "ModuleLoader.h"
#include "SessionFactory.h"
#include "URCMSObjValueClass.h"

namespace {

// The registration text is GBK; shown in the about box.
QString fromGbk(const QByteArray &bytes)
{
    return gbkToUnicode(bytes);
}

// The first start of an installed host, before any database exists: what the
// person is asked, or told when nobody can answer.
QString firstStartText(bool asking)
{
    const QString folder = QDir::toNativeSeparators(HostPaths::dataFolder());
    const QString realOnes = QStringLiteral(
        "若要使用实际的数据库, 请在 %1 中写明:\n"
        "  [Databases]\n  HR=健康档案数据库 (SQLite 文件路径, 或 odbc:<连接字符串>)\n  RCMS=农合数据库\n"
        "  [Login]\n  UserCode=登录用户代码\n"
        "或在命令行给出 --hr、--rcms 与 --user (见 lumohost --help 与 man lumohost)。")
        .arg(QDir::toNativeSeparators(HostPaths::current().iniFile()));
    if (asking)
        return QStringLiteral("尚未设置数据库。\n\n是否在 %1 创建演示数据库 (hr.db 与 rcms.db), "
                              "并以演示管理员 admin 登录?\n\n").arg(folder) + realOnes;
    return QStringLiteral("尚未设置数据库, 演示数据库也不存在。加上 --create-demo 可在 %1 创建演示数据库。\n")
               .arg(folder) + realOnes;
}

} // namespace

HostApplication::HostApplication(HostConfig config, QObject *parent)
    : QObject(parent), m_config(std::move(config))
{
}

HostApplication::~HostApplication()
{
    shutdown();
    if (auto *app = qobject_cast<HostEventApplication *>(qApp); app && m_dispatch)
        app->setMessageDisplay(nullptr);
}

void HostApplication::createDemoDatabases(const HostConfig &config)
{
    createDemoDatabasesIfMissing(config);
}

void HostApplication::logIn(HostSession &session, const QString &userCode, data::ClientDataSet &rights)
{
    auto user = session.OpenHrQuery(QStringLiteral("Select UserCode, UserName, OrgCode From p_User Where UserCode = ")
                                    + sqlQuoted(userCode));
    if (user->IsEmpty())
        throw data::LumoError(QStringLiteral("用户 \"%1\" 不存在于健康档案数据库, 无法登录。").arg(userCode));
    session.UserCode = user->FieldByName(QStringLiteral("UserCode"))->AsString();
    session.OrgCode = user->FieldByName(QStringLiteral("OrgCode"))->AsString();

    // The unit's area in RCMS numbering is the unit's own area code.
    auto unit = session.OpenHrQuery(QStringLiteral("Select AreaCode From P_YLFWDW Where OrgCode = ")
                                    + sqlQuoted(session.OrgCode));
    if (unit->IsEmpty())
        throw data::LumoError(QStringLiteral("用户 \"%1\" 所属单位 \"%2\" 不存在于医疗服务单位表, 无法登录。")
                                  .arg(userCode, session.OrgCode));
    session.RcmsAreaCode = unit->FieldByName(QStringLiteral("AreaCode"))->AsString();

    rights.SetData(session.OpenHrData(
        QStringLiteral("Select ModFunTyp, ModFunID From %1 Where UserCode = ").arg(rightsTableName())
        + sqlQuoted(session.UserCode)));
    session.RightsData = &rights;
}

void HostApplication::start()
{
    if (m_config.createDemo)
        createDemoDatabases(m_config);

    m_session = openHostSession(m_config);
    m_session->AppPath = m_config.appPath;
    m_session->Images = toolbarImages();
    m_rights = std::make_unique<data::ClientDataSet>();
    logIn(*m_session, m_config.userCode, *m_rights);

    m_dispatch = new HostDispatch(this);
    if (!m_config.screenshotFile.isEmpty()) {
        // Nobody is there to answer: a message goes to stderr and fails the
        // run, a question is answered no; no box waits for a click.
        m_dispatch->setResponder([this](const QString &text, bool) {
            std::fprintf(stderr, "lumohost: %s\n", qUtf8Printable(text));
            m_unattendedMessages = true;
            return 0;
        });
    }
    // What the module keeps between runs lies beside setup.ini, per login.
    m_dispatch->setSettingsFile(QDir(m_config.appPath).filePath(QStringLiteral("lumohost-settings.ini")),
                                m_session->UserCode);
    auto *picker = new CodePicker(m_session.get(), this);
    m_codePicker = picker;
    m_session->HostDispatch = m_dispatch;
    m_session->CodePicker = picker;
    // A failure that escaped a handler is told the way the module tells its own.
    if (auto *app = qobject_cast<HostEventApplication *>(qApp))
        app->setMessageDisplay([dispatch = QPointer<HostDispatch>(m_dispatch)](const QString &text) {
            if (dispatch)
                dispatch->Prompt(text);
        });

    m_loader = std::make_unique<ModuleLoader>();
    m_loader->load(m_config.modulePath);
    m_moduleInfo = m_loader->moduleInfo();

    m_mainWindow = std::make_unique<QMainWindow>();
    m_mainWindow->setObjectName(QStringLiteral("HostMainWindow"));
    m_mainWindow->resize(1350, 800);
    m_dispatch->setDialogParent(m_mainWindow.get());
    picker->setDialogParent(m_mainWindow.get());

    // The module is freed before the application object ends, while the
    // session it uses still exists.
    connect(qApp, &QCoreApplication::aboutToQuit, this, &HostApplication::shutdown);
    m_moduleWindow = m_loader->createModule(m_session.get());
    m_created = true;
    m_mainWindow->setWindowTitle(QStringLiteral("健康档案系统 - %1 - 用户: %2")
                                     .arg(m_moduleWindow->windowTitle(), m_session->UserCode));

    auto *fileMenu = m_mainWindow->menuBar()->addMenu(QStringLiteral("文件(&F)"));
    QAction *exportUsers = fileMenu->addAction(QStringLiteral("导出用户列表(&E)..."), this, [this] {
        if (m_moduleWindow)
            QMetaObject::invokeMethod(m_moduleWindow, "ExportUserList");
    });
    exportUsers->setObjectName(QStringLiteral("ActExportUsers"));
    fileMenu->addSeparator();
    fileMenu->addAction(QStringLiteral("退出(&X)"), m_mainWindow.get(), &QWidget::close);
    auto *helpMenu = m_mainWindow->menuBar()->addMenu(QStringLiteral("帮助(&H)"));
    const QString info = fromGbk(m_moduleInfo);
    helpMenu->addAction(QStringLiteral("关于模块(&A)"), m_mainWindow.get(), [this, info] {
        const QString log = HostLog::file();
        QMessageBox::about(m_mainWindow.get(), QStringLiteral("关于模块"),
                           QStringLiteral("lumohost %1\n模块文件: %2\n注册信息: %3\n日志文件: %4")
                               .arg(HostPaths::version(), m_loader->fileName(), info,
                                    log.isEmpty() ? QStringLiteral("无 (只写到标准错误输出)")
                                                  : QDir::toNativeSeparators(log)));
    });
    m_mainWindow->statusBar()->addWidget(new QLabel(
        QStringLiteral("健康档案库: %1    农合库: %2").arg(m_config.hr.describe(), m_config.rcms.describe())));

    // The module's window is a top-level form; the host shows it inside its own.
    m_moduleWindow->setWindowFlags(Qt::Widget);
    m_mainWindow->setCentralWidget(m_moduleWindow);
    new HostCloseGuard(m_mainWindow.get(), m_moduleWindow);
    m_mainWindow->show();
}

void HostApplication::shutdown()
{
    if (m_created && m_loader) {
        m_created = false;
        if (m_mainWindow && m_mainWindow->centralWidget() == m_moduleWindow)
            m_mainWindow->takeCentralWidget();
        QWidget *window = m_moduleWindow;
        try {
            m_loader->freeModule(&window);
        } catch (const data::LumoError &e) {
            std::fprintf(stderr, "lumohost: %s\n", qUtf8Printable(e.message()));
        }
        m_moduleWindow = nullptr;
    }
}

int HostApplication::run(const QStringList &arguments)
{
    const bool interactive = QGuiApplication::platformName() != QLatin1String("offscreen");
    auto report = [&](const QString &message, bool showBox) {
        std::fprintf(stderr, "lumohost: %s\n", qUtf8Printable(message));
        if (interactive && showBox)
            QMessageBox::critical(nullptr, QStringLiteral("健康档案系统"), message);
    };

    HostConfig config;
    try {
        config = HostConfig::fromArguments(arguments);
    } catch (const data::LumoError &e) {
        report(e.message(), false);
        return 2;
    }
    if (config.demoDefaults && !config.createDemo
        && (!QFileInfo::exists(config.hr.sqliteFile) || !QFileInfo::exists(config.rcms.sqliteFile))) {
        // Nobody can answer a --screenshot run or one without a display.
        if (!interactive || !config.screenshotFile.isEmpty()) {
            report(firstStartText(false), false);
            return 2;
        }
        QMessageBox question(QMessageBox::Question, QStringLiteral("健康档案系统"), firstStartText(true));
        question.setObjectName(QStringLiteral("FirstStartQuestion"));
        QPushButton *create = question.addButton(QStringLiteral("创建演示数据库"), QMessageBox::AcceptRole);
        question.addButton(QStringLiteral("退出"), QMessageBox::RejectRole);
        question.setDefaultButton(create);
        question.exec();
        if (question.clickedButton() != create)
            return 2;
        config.createDemo = true;
    }
    if (config.demoDefaults)
        QDir().mkpath(HostPaths::dataFolder());

    HostApplication host(config);
    try {
        host.start();
    } catch (const data::LumoError &e) {
        report(e.message(), config.screenshotFile.isEmpty());
        return 1;
    }

    if (!config.screenshotFile.isEmpty()) {
        // Let the window lay itself out and load its data, then take the picture.
        int status = 0;
        QTimer::singleShot(1500, &host, [&] {
            const QPixmap picture = host.mainWindow()->grab();
            if (!picture.save(config.screenshotFile)) {
                report(QStringLiteral("无法写入截图 %1").arg(config.screenshotFile), false);
                status = 1;
            }
            QApplication::quit();
        });
        QApplication::exec();
        host.shutdown();
        return host.m_unattendedMessages ? 1 : status;
    }
    const int status = QApplication::exec();
    host.shutdown();
    return status;
}
