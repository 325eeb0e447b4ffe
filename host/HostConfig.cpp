#include "HostConfig.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSettings>

#include "LumoError.h"

QString DatabaseLocation::describe() const
{
    if (isOdbc()) {
        // Never show a password in a message.
        QStringList parts = odbcConnection.split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString &part : parts) {
            const QString key = part.section(QLatin1Char('='), 0, 0).trimmed().toUpper();
            if (key == QLatin1String("PWD") || key == QLatin1String("PASSWORD"))
                part = part.section(QLatin1Char('='), 0, 0) + QStringLiteral("=***");
        }
        return QStringLiteral("ODBC(%1)").arg(parts.join(QLatin1Char(';')));
    }
    return sqliteFile;
}

DatabaseLocation DatabaseLocation::parse(const QString &text, const QString &dialect)
{
    DatabaseLocation location;
    const QString trimmed = text.trimmed();
    if (trimmed.startsWith(QLatin1String("odbc:"), Qt::CaseInsensitive)) {
        location.odbcConnection = trimmed.mid(5);
        location.dialect = dialect.isEmpty() ? QStringLiteral("mssql") : dialect.toLower();
    } else {
        location.sqliteFile = trimmed;
        location.dialect = QStringLiteral("sqlite");
    }
    if (location.dialect != QLatin1String("mssql") && location.dialect != QLatin1String("sqlite"))
        throw data::LumoError(QStringLiteral("未知的SQL方言 \"%1\" (可用: mssql, sqlite)").arg(dialect));
    return location;
}

QString HostConfig::usage()
{
    return QStringLiteral(
        "用法: lumohost [选项]\n"
        "  --config FILE        配置文件 (默认: 程序目录下的 lumohost.ini)\n"
        "  --hr DB              健康档案数据库: SQLite 文件路径, 或 odbc:<连接字符串>\n"
        "  --rcms DB            农合数据库: SQLite 文件路径, 或 odbc:<连接字符串>\n"
        "  --hr-dialect D       ODBC 连接的SQL方言: mssql (默认) 或 sqlite\n"
        "  --rcms-dialect D     同上, 农合数据库\n"
        "  --user CODE          登录用户代码\n"
        "  --app-path DIR       setup.ini 所在目录\n"
        "  --module FILE        模块文件 libLumoUserMag.so\n"
        "  --create-demo        数据库文件不存在时创建演示数据库\n"
        "  --demo-size A,U      演示数据的行政区划数和用户数\n"
        "  --login-timeout S    ODBC 登录超时秒数 (默认 10)\n"
        "  --screenshot FILE    显示窗口后保存截图并退出\n");
}

HostConfig HostConfig::fromArguments(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption config(QStringLiteral("config"), QString(), QStringLiteral("file"));
    const QCommandLineOption hr(QStringLiteral("hr"), QString(), QStringLiteral("db"));
    const QCommandLineOption rcms(QStringLiteral("rcms"), QString(), QStringLiteral("db"));
    const QCommandLineOption hrDialect(QStringLiteral("hr-dialect"), QString(), QStringLiteral("d"));
    const QCommandLineOption rcmsDialect(QStringLiteral("rcms-dialect"), QString(), QStringLiteral("d"));
    const QCommandLineOption user(QStringLiteral("user"), QString(), QStringLiteral("code"));
    const QCommandLineOption appPath(QStringLiteral("app-path"), QString(), QStringLiteral("dir"));
    const QCommandLineOption module(QStringLiteral("module"), QString(), QStringLiteral("file"));
    const QCommandLineOption createDemo(QStringLiteral("create-demo"));
    const QCommandLineOption demoSize(QStringLiteral("demo-size"), QString(), QStringLiteral("a,u"));
    const QCommandLineOption loginTimeout(QStringLiteral("login-timeout"), QString(), QStringLiteral("s"));
    const QCommandLineOption screenshot(QStringLiteral("screenshot"), QString(), QStringLiteral("file"));
    parser.addOptions({config, hr, rcms, hrDialect, rcmsDialect, user, appPath, module, createDemo,
                       demoSize, loginTimeout, screenshot});

    QStringList argv = arguments;
    argv.prepend(QStringLiteral("lumohost"));
    if (!parser.parse(argv))
        throw data::LumoError(parser.errorText() + QLatin1Char('\n') + usage());
    if (!parser.positionalArguments().isEmpty())
        throw data::LumoError(QStringLiteral("无法识别的参数: %1\n").arg(parser.positionalArguments().join(QLatin1Char(' '))) + usage());

    const QString iniFile = parser.isSet(config)
        ? parser.value(config)
        : QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("lumohost.ini"));
    if (parser.isSet(config) && !QFileInfo::exists(iniFile))
        throw data::LumoError(QStringLiteral("配置文件不存在: %1").arg(iniFile));
    QSettings ini(iniFile, QSettings::IniFormat);

    auto pick = [&](const QCommandLineOption &option, const QString &key) {
        return parser.isSet(option) ? parser.value(option) : ini.value(key).toString();
    };

    HostConfig result;
    const QString hrText = pick(hr, QStringLiteral("Databases/HR"));
    const QString rcmsText = pick(rcms, QStringLiteral("Databases/RCMS"));
    result.hr = DatabaseLocation::parse(hrText, pick(hrDialect, QStringLiteral("Databases/HRDialect")));
    result.rcms = DatabaseLocation::parse(rcmsText, pick(rcmsDialect, QStringLiteral("Databases/RCMSDialect")));
    result.userCode = pick(user, QStringLiteral("Login/UserCode")).trimmed();
    result.appPath = pick(appPath, QStringLiteral("Host/AppPath"));
    if (result.appPath.isEmpty())
        result.appPath = QFileInfo(iniFile).absolutePath();
    result.appPath = QDir::cleanPath(QDir(result.appPath).absolutePath());
    result.modulePath = pick(module, QStringLiteral("Host/Module"));
    result.screenshotFile = parser.value(screenshot);
    result.createDemo = parser.isSet(createDemo);
    if (parser.isSet(demoSize)) {
        const QStringList parts = parser.value(demoSize).split(QLatin1Char(','));
        bool ok1 = false, ok2 = false;
        if (parts.size() == 2) {
            result.demoAreas = parts[0].toInt(&ok1);
            result.demoUsers = parts[1].toInt(&ok2);
        }
        if (!ok1 || !ok2 || result.demoAreas <= 0 || result.demoUsers <= 0)
            throw data::LumoError(QStringLiteral("--demo-size 需要两个正整数, 例如 1000,3000"));
    }
    const QString timeout = pick(loginTimeout, QStringLiteral("Databases/LoginTimeout"));
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
