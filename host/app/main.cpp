// lumohost: the host program of the user-account module.
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <cstdio>

#include "HostApplication.h"
#include "HostConfig.h"
#include "HostEventApplication.h"
#include "HostLog.h"
#include "LocalTimeZone.h"

int main(int argc, char **argv)
{
    // Named first: the help names the log file, which lies in the folder
    // named after the application.
    QCoreApplication::setApplicationName(QStringLiteral("lumohost"));
    // Help, version and a mistyped option are answered before the application
    // object exists: that needs a display (or a platform plugin), and a person
    // asking for the options on a terminal has neither.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    QString text;
    switch (HostConfig::earlyExit(arguments, &text)) {
    case HostConfig::EarlyExit::Help:
    case HostConfig::EarlyExit::Version:
        std::fprintf(stdout, "%s", qUtf8Printable(text));
        return 0;
    case HostConfig::EarlyExit::BadArguments:
        std::fprintf(stderr, "lumohost: %s", qUtf8Printable(text));
        return 2;
    case HostConfig::EarlyExit::None:
        break;
    }

    pinLocalTimeZone();
    HostEventApplication app(argc, argv);
    // The window goes with the menu entry (lumohost.desktop) and its icon, when installed.
    QGuiApplication::setDesktopFileName(QStringLiteral("lumohost"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("lumohost")));
    // Failures keep their statements and the driver's full text here; the
    // person at the screen reads a short cause.
    HostLog::install(HostLog::defaultFolder());

    // Qt's own buttons and menus in Chinese, like everything else the user sees.
    QTranslator qtTranslator;
    if (qtTranslator.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                          QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslator);

    return HostApplication::run(QApplication::arguments().mid(1));
}
