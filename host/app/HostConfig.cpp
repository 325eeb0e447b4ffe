#include "HostConfig.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>

#include "HostLog.h"
#include "IniFile.h"
#include "LumoError.h"

QString HostConfig::usage()
{
    return QStringLiteral(
        "用法: lumohost [选项]\n"
        "  --config FILE        配置文件 (默认: 程序目录下的 lumohost.ini; 安装后为数据目录下的)\n"
        "  --hr DB              健康档案数据库: SQLite 文件路径, 或 odbc:<连接字符串>\n"
        "  --rcms DB            农合数据库: SQLite 文件路径, 或 odbc:<连接字符串>\n"
        "  --hr-dialect D       ODBC 连接的SQL方言: mssql (默认), sqlite 或 postgresql\n"
        "  --rcms-dialect D     同上, 农合数据库\n"
        "  --user CODE          登录用户代码\n"
        "  --app-path DIR       setup.ini 所在目录\n"
        "  --module FILE        模块文件 libLumoUserMag.so\n"
        "  --create-demo        数据库文件不存在时创建演示数据库\n"
        "  --demo-size A,U[,T]  演示数据的行政区划数、用户数和操作日志行数\n"
        "  --login-timeout S    ODBC 登录超时秒数 (默认 10)\n"
        "  --screenshot FILE    显示窗口后保存截图并退出\n"
        "  -h, --help           显示本帮助并退出\n"
        "  -v, --version        显示版本并退出\n")
        + QStringLiteral("数据目录: %1\n日志文件: %2\n")
              .arg(QDir::toNativeSeparators(HostPaths::dataFolder()), QDir::toNativeSeparators(HostLog::defaultFile()));
}

QString HostConfig::versionText()
{
    return QStringLiteral("lumohost %1 (用户管理模块宿主程序, Qt %2)\n")
        .arg(HostPaths::version(), QString::fromLatin1(qVersion()));
}

namespace {

// The options the host knows, named once for both readings of a command line.
struct HostOptions
{
    QCommandLineOption config{QStringLiteral("config"), QString(), QStringLiteral("file")};
    QCommandLineOption hr{QStringLiteral("hr"), QString(), QStringLiteral("db")};
    QCommandLineOption rcms{QStringLiteral("rcms"), QString(), QStringLiteral("db")};
    QCommandLineOption hrDialect{QStringLiteral("hr-dialect"), QString(), QStringLiteral("d")};
    QCommandLineOption rcmsDialect{QStringLiteral("rcms-dialect"), QString(), QStringLiteral("d")};
    QCommandLineOption user{QStringLiteral("user"), QString(), QStringLiteral("code")};
    QCommandLineOption appPath{QStringLiteral("app-path"), QString(), QStringLiteral("dir")};
    QCommandLineOption module{QStringLiteral("module"), QString(), QStringLiteral("file")};
    QCommandLineOption createDemo{QStringLiteral("create-demo")};
    QCommandLineOption demoSize{QStringLiteral("demo-size"), QString(), QStringLiteral("a,u")};
    QCommandLineOption loginTimeout{QStringLiteral("login-timeout"), QString(), QStringLiteral("s")};
    QCommandLineOption screenshot{QStringLiteral("screenshot"), QString(), QStringLiteral("file")};
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")}};
    QCommandLineOption version{{QStringLiteral("v"), QStringLiteral("version")}};

    // Parses arguments (argv[0] excluded); raises with the usage text on an
    // unknown or incomplete option or a stray argument.
    void parse(QCommandLineParser &parser, const QStringList &arguments) const
    {
        parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
        parser.addOptions({config, hr, rcms, hrDialect, rcmsDialect, user, appPath, module, createDemo,
                           demoSize, loginTimeout, screenshot, help, version});
        QStringList argv = arguments;
        argv.prepend(QStringLiteral("lumohost"));
        if (!parser.parse(argv))
            throw data::LumoError(parser.errorText() + QLatin1Char('\n') + HostConfig::usage());
        if (!parser.positionalArguments().isEmpty())
            throw data::LumoError(QStringLiteral("无法识别的参数: %1\n")
                                      .arg(parser.positionalArguments().join(QLatin1Char(' ')))
                                  + HostConfig::usage());
    }
};

} // namespace

HostConfig::EarlyExit HostConfig::earlyExit(const QStringList &arguments, QString *text)
{
    const HostOptions options;
    QCommandLineParser parser;
    try {
        options.parse(parser, arguments);
    } catch (const data::LumoError &e) {
        if (text)
            *text = e.message();
        return EarlyExit::BadArguments;
    }
    if (parser.isSet(options.help)) {
        if (text)
            *text = usage();
        return EarlyExit::Help;
    }
    if (parser.isSet(options.version)) {
        if (text)
            *text = versionText();
        return EarlyExit::Version;
    }
    return EarlyExit::None;
}

HostConfig HostConfig::fromArguments(const QStringList &arguments, const HostPaths &paths)
{
    const HostOptions o;
    QCommandLineParser parser;
    o.parse(parser, arguments);

    const QString iniFile = parser.isSet(o.config) ? parser.value(o.config) : paths.iniFile();
    if (parser.isSet(o.config) && !QFileInfo::exists(iniFile))
        throw data::LumoError(QStringLiteral("配置文件不存在: %1").arg(iniFile));
    // Read as the profile functions read it: a connection string's ';' and ','
    // stay in the value, quoted or not.
    const data::IniFile ini = data::IniFile::load(iniFile);

    HostConfig result;
    auto pick = [&](const QCommandLineOption &option, const QString &key) {
        if (parser.isSet(option))
            return parser.value(option);
        return ini.value(key.section(u'/', 0, 0), key.section(u'/', 1)).value_or(QString());
    };

    QString hrText = pick(o.hr, QStringLiteral("Databases/HR"));
    QString rcmsText = pick(o.rcms, QStringLiteral("Databases/RCMS"));
    // An installed host started from the menu has neither: it works on the
    // demo files of its data folder, and asks before making them (run()).
    if (paths.installed() && hrText.isEmpty() && rcmsText.isEmpty()) {
        const QDir data(HostPaths::dataFolder());
        hrText = data.filePath(QStringLiteral("hr.db"));
        rcmsText = data.filePath(QStringLiteral("rcms.db"));
        result.demoDefaults = true;
    }
    result.hr = DatabaseLocation::parse(hrText, pick(o.hrDialect, QStringLiteral("Databases/HRDialect")));
    result.rcms = DatabaseLocation::parse(rcmsText, pick(o.rcmsDialect, QStringLiteral("Databases/RCMSDialect")));
    result.userCode = pick(o.user, QStringLiteral("Login/UserCode")).trimmed();
    if (result.demoDefaults && result.userCode.isEmpty())
        result.userCode = QStringLiteral("admin");
    result.appPath = pick(o.appPath, QStringLiteral("Host/AppPath"));
    if (result.appPath.isEmpty())
        result.appPath = QFileInfo(iniFile).absolutePath();
    result.appPath = QDir::cleanPath(QDir(result.appPath).absolutePath());
    result.modulePath = pick(o.module, QStringLiteral("Host/Module"));
    result.screenshotFile = parser.value(o.screenshot);
    result.createDemo = parser.isSet(o.createDemo);
    if (parser.isSet(o.demoSize)) {
        const QStringList parts = parser.value(o.demoSize).split(QLatin1Char(','));
        bool ok1 = false, ok2 = false, ok3 = true;
        if (parts.size() == 2 || parts.size() == 3) {
            result.demoAreas = parts[0].toInt(&ok1);
            result.demoUsers = parts[1].toInt(&ok2);
            if (parts.size() == 3)
                result.demoTrailRows = parts[2].toInt(&ok3);
        }
        if (!ok1 || !ok2 || !ok3 || result.demoAreas <= 0 || result.demoUsers <= 0 || result.demoTrailRows < 0)
            throw data::LumoError(QStringLiteral("--demo-size 需要两个正整数及可选的操作日志行数, 例如 1000,3000 或 1000,3000,1000000"));
    }
    const QString timeout = pick(o.loginTimeout, QStringLiteral("Databases/LoginTimeout"));
    if (!timeout.isEmpty()) {
        bool ok = false;
        result.loginTimeoutSeconds = timeout.toInt(&ok);
        if (!ok || result.loginTimeoutSeconds <= 0)
            throw data::LumoError(QStringLiteral("--login-timeout 需要正整数秒数"));
    }
    if (!result.hr.isSet() || !result.rcms.isSet())
        throw data::LumoError(QStringLiteral("请给出两个数据库 (--hr 与 --rcms, 或 lumohost.ini 的 [Databases])\n") + usage());
    if (result.userCode.isEmpty())
        throw data::LumoError(QStringLiteral("请给出登录用户 (--user 或 lumohost.ini 的 [Login] UserCode)\n") + usage());
    return result;
}
