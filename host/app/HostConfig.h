#pragma once

#include <QString>
#include <QStringList>

#include "DatabaseLocation.h"
#include "HostPaths.h"

// The host's settings: from lumohost.ini (in the application directory, once
// installed in the user's data folder, or the file given with --config) and
// then the command line, which wins.
struct HostConfig
{
    DatabaseLocation hr;
    DatabaseLocation rcms;
    QString userCode;
    QString appPath;          // directory of setup.ini; defaults to the ini file's directory
    QString modulePath;       // explicit module file, else the usual places
    QString screenshotFile;   // write a picture of the window and quit
    bool createDemo = false;  // create the demo databases when they are missing
    int demoAreas = 0;        // 0: the default county
    int demoUsers = 0;
    int demoTrailRows = 0;  // rows of the demo's trail of user changes; 0: one per user
    int loginTimeoutSeconds = 10;
    // An installed host given no databases at all: the demo files in the data
    // folder, logged in as the demo administrator.
    bool demoDefaults = false;

    // Reads the ini file, then the arguments (argv[0] excluded). Raises
    // data::LumoError with a usage text on an unknown or incomplete option.
    static HostConfig fromArguments(const QStringList &arguments, const HostPaths &paths = HostPaths::current());
    static QString usage();
    static QString versionText();

    // What the command line settles before any window can exist: the help,
    // the version, or an option or argument the host does not know (text
    // then holds the message with the usage). Needs no application object,
    // so it works without a display.
    enum class EarlyExit { None, Help, Version, BadArguments };
    static EarlyExit earlyExit(const QStringList &arguments, QString *text);
};
