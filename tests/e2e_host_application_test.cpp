// The host program as its users meet it: started on generated databases, with
// the module loaded from the build, and on the ways starting can go wrong.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QMainWindow>
#include <QProcess>
#include <QTemporaryDir>
#include <QToolButton>

#include <sqlite3.h>

#include "DemoData.h"
#include "HostApplication.h"
#include "HostConfig.h"
#include "LumoError.h"
#include "URCMSObjValueClass.h"

namespace {

struct DemoFiles
{
    QTemporaryDir dir;
    QString hr = dir.filePath(QStringLiteral("hr.db"));
    QString rcms = dir.filePath(QStringLiteral("rcms.db"));
    DemoFiles() { DemoData::create(hr, rcms); }
};

struct HostRun
{
    int exitCode = -1;
    QString errors;
};

HostRun runHost(const QStringList &arguments)
{
    QProcess host;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    host.setProcessEnvironment(env);
    host.start(QStringLiteral(LUMO_HOST_PATH), arguments);
    EXPECT_TRUE(host.waitForFinished(60000)) << "the host must end by itself";
    return {host.exitCode(), QString::fromUtf8(host.readAllStandardError())};
}

void execSql(const QString &file, const char *sql)
{
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open(file.toUtf8().constData(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
}

QByteArray digest(const QString &file)
{
    QFile f(file);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

HostConfig configFor(const DemoFiles &files, const QString &user)
{
    return HostConfig::fromArguments({QStringLiteral("--hr"), files.hr, QStringLiteral("--rcms"), files.rcms,
                                      QStringLiteral("--user"), user, QStringLiteral("--app-path"),
                                      files.dir.path()});
}

bool buttonShown(QWidget *window, const char *name)
{
    // The tool bar lays its buttons out when events are processed.
    QCoreApplication::processEvents();
    auto *button = window->findChild<QToolButton *>(QString::fromLatin1(name));
    return button && button->isVisible();
}

} // namespace

TEST(HostApplication, OpensTheModuleWindowWithTheButtonsTheRightsAllow)
{
    DemoFiles files;
    {
        HostApplication host(configFor(files, DemoData::AdminCode));
        host.start();
        ASSERT_NE(host.moduleWindow(), nullptr);
        EXPECT_EQ(host.moduleWindow()->windowTitle(), QStringLiteral("医疗服务单位设置"));
        EXPECT_TRUE(host.mainWindow()->isVisible());
        EXPECT_EQ(host.session()->UserCode, DemoData::AdminCode);
        EXPECT_FALSE(host.session()->RcmsAreaCode.isEmpty());
        for (const char *name : {"BtnAdd", "BtnEdit", "BtnDel", "BtnSyh"})
            EXPECT_TRUE(buttonShown(host.moduleWindow(), name)) << name;
        EXPECT_EQ(host.moduleInfo().size(), 62);
    }
    {
        HostApplication host(configFor(files, DemoData::ClerkCode));
        host.start();
        EXPECT_TRUE(buttonShown(host.moduleWindow(), "BtnAdd"));
        EXPECT_TRUE(buttonShown(host.moduleWindow(), "BtnEdit"));
        EXPECT_FALSE(buttonShown(host.moduleWindow(), "BtnDel"));
        EXPECT_FALSE(buttonShown(host.moduleWindow(), "BtnSyh"));
    }
}

TEST(HostApplication, RefusesAUserWhoDoesNotExist)
{
    DemoFiles files;
    HostApplication host(configFor(files, QStringLiteral("nobody")));
    try {
        host.start();
        FAIL() << "a missing user must be refused";
    } catch (const data::LumoError &e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("nobody"))) << qPrintable(e.message());
        EXPECT_TRUE(e.message().contains(QStringLiteral("不存在"))) << qPrintable(e.message());
    }
    const HostRun run = runHost({QStringLiteral("--hr"), files.hr, QStringLiteral("--rcms"), files.rcms,
                             QStringLiteral("--user"), QStringLiteral("nobody")});
    EXPECT_NE(run.exitCode, 0);
    EXPECT_TRUE(run.errors.contains(QStringLiteral("nobody"))) << qPrintable(run.errors);
}

TEST(HostApplication, ReportsAFailingExportByNameAndCode)
{
    DemoFiles files;
    // Without its dictionary table the window cannot be created.
    execSql(files.hr, "DROP TABLE TDict_CodDatDet");
    const HostRun run = runHost({QStringLiteral("--hr"), files.hr, QStringLiteral("--rcms"), files.rcms,
                             QStringLiteral("--user"), DemoData::AdminCode});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.errors.contains(QStringLiteral("CreateModule"))) << qPrintable(run.errors);
    EXPECT_TRUE(run.errors.contains(QStringLiteral("0x8000FFFF"))) << qPrintable(run.errors);
}

TEST(HostApplication, UnattendedRunsFailOnAMissingModuleOrAMessageInsteadOfWaiting)
{
    DemoFiles files;
    const QString missing = files.dir.filePath(QStringLiteral("libNoSuchModule.so"));
    HostRun run = runHost({QStringLiteral("--hr"), files.hr, QStringLiteral("--rcms"), files.rcms,
                           QStringLiteral("--user"), DemoData::AdminCode, QStringLiteral("--module"), missing});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.errors.contains(QStringLiteral("libNoSuchModule.so"))) << qPrintable(run.errors);

    // The window meets a failure while it shows: the message goes to stderr.
    execSql(files.hr, "DROP TABLE P_XZQH");
    run = runHost({QStringLiteral("--hr"), files.hr, QStringLiteral("--rcms"), files.rcms, QStringLiteral("--user"),
                   DemoData::AdminCode, QStringLiteral("--screenshot"), files.dir.filePath(QStringLiteral("s.png"))});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.errors.contains(QStringLiteral("P_XZQH"), Qt::CaseInsensitive)) << qPrintable(run.errors);
}

TEST(HostApplication, MissingOrMalformedDatabasesGiveAClearMessageAndAFailingStatus)
{
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("none.db"));
    const QString garbage = dir.filePath(QStringLiteral("garbage.db"));
    QFile f(garbage);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(4096, 'x'));
    f.close();

    HostRun run = runHost({QStringLiteral("--hr"), missing, QStringLiteral("--rcms"), missing,
                       QStringLiteral("--user"), QStringLiteral("admin")});
    EXPECT_NE(run.exitCode, 0);
    EXPECT_TRUE(run.errors.contains(QStringLiteral("none.db"))) << qPrintable(run.errors);

    run = runHost({QStringLiteral("--hr"), garbage, QStringLiteral("--rcms"), garbage,
                   QStringLiteral("--user"), QStringLiteral("admin")});
    EXPECT_NE(run.exitCode, 0);
    EXPECT_TRUE(run.errors.contains(QStringLiteral("garbage.db"))) << qPrintable(run.errors);

    run = runHost({QStringLiteral("--no-such-option")});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.errors.contains(QStringLiteral("--hr"))) << "the usage text names the options";
}

TEST(HostApplication, AnswersHelpVersionAndBadOptionsWithoutADisplay)
{
    struct Case
    {
        QStringList arguments;
        int exitCode;
        const char *stdoutHas;
        const char *stderrHas;
    };
    const Case cases[] = {
        {{QStringLiteral("--help")}, 0, "--hr", ""},
        {{QStringLiteral("-h")}, 0, "--screenshot", ""},
        // The help names the log file, in the host's data folder.
        {{QStringLiteral("--help")}, 0, "/lumohost/lumohost.log\n", ""},
        // The version is the CMake project's.
        {{QStringLiteral("--version")}, 0, "lumohost " LUMO_VERSION " (", ""},
        {{QStringLiteral("--no-such-option")}, 2, "", "--hr"},
        {{QStringLiteral("--hr")}, 2, "", "--rcms"},
    };
    for (const Case &c : cases) {
        QProcess host;
        // The X11 platform with no display to reach: creating the application
        // object would abort the program.
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        host.setProcessEnvironment(env);
        host.start(QStringLiteral(LUMO_HOST_PATH), c.arguments);
        ASSERT_TRUE(host.waitForFinished(30000));
        const QString out = QString::fromUtf8(host.readAllStandardOutput());
        const QString err = QString::fromUtf8(host.readAllStandardError());
        const QString label = c.arguments.join(QLatin1Char(' '));
        EXPECT_EQ(host.exitStatus(), QProcess::NormalExit) << qPrintable(label);
        EXPECT_EQ(host.exitCode(), c.exitCode) << qPrintable(label) << qPrintable(err);
        EXPECT_TRUE(out.contains(QLatin1String(c.stdoutHas))) << qPrintable(label) << qPrintable(out);
        EXPECT_TRUE(err.contains(QLatin1String(c.stderrHas))) << qPrintable(label) << qPrintable(err);
    }
}

TEST(HostApplication, TheDemoGeneratorNeverOverwritesADatabase)
{
    DemoFiles files;
    execSql(files.hr, "UPDATE p_User SET UserName = 'kept' WHERE UserCode = 'admin'");
    const QByteArray before = digest(files.hr);
    const QByteArray rcmsBefore = digest(files.rcms);
    HostConfig config = configFor(files, DemoData::AdminCode);
    config.createDemo = true;
    HostApplication::createDemoDatabases(config);
    EXPECT_EQ(digest(files.hr), before);
    EXPECT_EQ(digest(files.rcms), rcmsBefore);
}

TEST(HostApplication, WritesAScreenshotOfTheWindow)
{
    DemoFiles files;
    const QString shot = files.dir.filePath(QStringLiteral("shot.png"));
    const HostRun run = runHost({QStringLiteral("--hr"), files.hr, QStringLiteral("--rcms"), files.rcms,
                             QStringLiteral("--user"), DemoData::AdminCode, QStringLiteral("--screenshot"), shot});
    EXPECT_EQ(run.exitCode, 0) << qPrintable(run.errors);
    QFile png(shot);
    ASSERT_TRUE(png.open(QIODevice::ReadOnly));
    EXPECT_TRUE(png.read(8).startsWith("\x89PNG"));
}
