// Where the host finds its ini file, its databases, its data folder and its
// module: run from a build tree as always, and from where the package
// installs it.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "HostConfig.h"
#include "HostPaths.h"
#include "LumoError.h"
#include "ModuleLoader.h"

namespace {

// XDG_DATA_HOME for one case, restored after.
class DataHome
{
public:
    explicit DataHome(const QString &dir) : m_old(qgetenv("XDG_DATA_HOME")) { qputenv("XDG_DATA_HOME", dir.toUtf8()); }
    ~DataHome()
    {
        if (m_old.isNull())
            qunsetenv("XDG_DATA_HOME");
        else
            qputenv("XDG_DATA_HOME", m_old);
    }

private:
    QByteArray m_old;
};

void writeIni(const QString &file)
{
    QDir().mkpath(QFileInfo(file).absolutePath());
    QFile ini(file);
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[Databases]\nHR=/srv/ini-hr.db\nRCMS=/srv/ini-rcms.db\n[Login]\nUserCode=fromini\n");
}

} // namespace

TEST(HostPaths, SettingsComeFromBesideTheProgramOrOnceInstalledFromTheDataFolder)
{
    enum class Ini { None, BesideProgram, InDataFolder };
    struct Case
    {
        const char *label;
        bool installed;
        Ini ini;
        QStringList arguments;
        const char *hr;       // relative names are in the data folder; empty: an error is expected
        const char *user;
        const char *appPath;  // "data" or "program"
        bool demoDefaults;
    };
    const QStringList explicitArgs{QStringLiteral("--hr"), QStringLiteral("/x/hr.db"), QStringLiteral("--rcms"),
                                   QStringLiteral("/x/rcms.db"), QStringLiteral("--user"), QStringLiteral("u1")};
    const Case cases[] = {
        {"build tree, nothing given: refused as always", false, Ini::None, {}, "", "", "", false},
        {"build tree, ini beside the program", false, Ini::BesideProgram, {}, "/srv/ini-hr.db", "fromini", "program", false},
        {"build tree, an ini in the data folder is not read", false, Ini::InDataFolder, {}, "", "", "", false},
        {"installed, nothing given: the demo in the data folder", true, Ini::None, {}, "hr.db", "admin", "data", true},
        {"installed, ini in the data folder", true, Ini::InDataFolder, {}, "/srv/ini-hr.db", "fromini", "data", false},
        {"installed, the command line wins", true, Ini::InDataFolder, explicitArgs, "/x/hr.db", "u1", "data", false},
        {"installed, one database only: refused", true, Ini::None, {QStringLiteral("--hr"), QStringLiteral("/x/hr.db")},
         "", "", "", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        QTemporaryDir home;
        const DataHome dataHome(home.filePath(QStringLiteral("xdg")));
        const QString data = home.filePath(QStringLiteral("xdg/lumohost"));
        const QString program = home.filePath(QStringLiteral("build/host"));
        QDir().mkpath(program);
        const HostPaths paths(c.installed ? QStringLiteral(LUMO_INSTALL_BINDIR) : program);
        EXPECT_EQ(paths.installed(), c.installed);
        EXPECT_EQ(HostPaths::dataFolder(), data);
        if (c.ini == Ini::BesideProgram)
            writeIni(QDir(program).filePath(QStringLiteral("lumohost.ini")));
        else if (c.ini == Ini::InDataFolder)
            writeIni(QDir(data).filePath(QStringLiteral("lumohost.ini")));

        if (!*c.hr) {
            EXPECT_THROW(HostConfig::fromArguments(c.arguments, paths), data::LumoError);
            continue;
        }
        const HostConfig config = HostConfig::fromArguments(c.arguments, paths);
        const QString hr = QString::fromUtf8(c.hr);
        EXPECT_EQ(config.hr.sqliteFile, hr.startsWith(u'/') ? hr : QDir(data).filePath(hr));
        EXPECT_EQ(config.userCode, QString::fromUtf8(c.user));
        EXPECT_EQ(config.appPath, QLatin1String(c.appPath) == QLatin1String("data") ? data : program);
        EXPECT_EQ(config.demoDefaults, c.demoDefaults);
    }
}

TEST(HostPaths, TheModuleIsFoundInTheInstallLayoutWithoutBeingNamed)
{
    // A tree as the install rules lay it out, under a prefix of its own.
    QTemporaryDir prefix;
    const QDir root(prefix.path());
    const QString bin = root.filePath(QStringLiteral(LUMO_TEST_INSTALL_BINDIR));
    const QString moduleDir = root.filePath(QStringLiteral(LUMO_TEST_INSTALL_MODULEDIR));
    ASSERT_TRUE(QDir().mkpath(bin) && QDir().mkpath(moduleDir));
    const QString module = QDir(moduleDir).filePath(QStringLiteral("libLumoUserMag.so"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(LUMO_MODULE_PATH), module));

    ModuleLoader loader;
    loader.load(QString(), HostPaths(bin));
    EXPECT_EQ(loader.fileName(), module);
    EXPECT_EQ(loader.moduleInfo().size(), 62);
}
