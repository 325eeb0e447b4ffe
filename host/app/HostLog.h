#pragma once

#include <QLoggingCategory>
#include <QString>

// Texts too long for a message box, kept whole.
Q_DECLARE_LOGGING_CATEGORY(lcHostMessages)

// The host's log: every Qt message (qDebug, qCWarning, ...) goes to stderr and
// to lumohost.log in dir, which is rotated by size (lumohost.log.1 .. .3).
// Failures keep their statements there, so the file is its owner's alone
// (0600, its folder 0700) and the values of password columns are masked
// (maskSecrets) in every line.
class HostLog
{
public:
    static constexpr qint64 MaxFileBytes = 1024 * 1024;
    static constexpr int KeptFiles = 3;

    // Installs the message handler; dir is made when missing. Returns the
    // file's path (empty when the folder cannot be written: stderr only).
    static QString install(const QString &dir);
    // The host's data folder (QStandardPaths::AppDataLocation).
    static QString defaultFolder();
    // lumohost.log in the default folder: named by --help.
    static QString defaultFile();
    // The file the installed handler writes (empty: stderr only, or not installed).
    static QString file();
    // Moves lumohost.log to .1, .1 to .2 ... when it has reached maxBytes.
    static void rotate(const QString &file, qint64 maxBytes, int keptFiles);
};
