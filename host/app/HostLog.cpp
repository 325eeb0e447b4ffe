#include "HostLog.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QStandardPaths>

#include <cstdio>

#include "SqlSecrets.h"

Q_LOGGING_CATEGORY(lcHostMessages, "lumo.host.messages")

namespace {

constexpr QFileDevice::Permissions kOwnerFile = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
constexpr QFileDevice::Permissions kOwnerFolder = kOwnerFile | QFileDevice::ExeOwner;

// Opened for appending; a file it makes is its owner's alone whatever the umask.
bool openForAppend(QFile &file)
{
    return file.open(QIODevice::Append, kOwnerFile);
}

QString &logFile()
{
    static QString file;
    return file;
}

QMutex &logMutex()
{
    static QMutex mutex;
    return mutex;
}

const char *levelName(QtMsgType type)
{
    switch (type) {
    case QtDebugMsg: return "debug";
    case QtInfoMsg: return "info";
    case QtWarningMsg: return "warning";
    case QtCriticalMsg: return "critical";
    case QtFatalMsg: return "fatal";
    }
    return "?";
}

void writeMessage(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    const QByteArray line = QStringLiteral("%1 %2 %3: %4\n")
                                .arg(QDateTime::currentDateTime().toString(Qt::ISODateWithMs),
                                     QString::fromLatin1(levelName(type)),
                                     QString::fromLatin1(context.category ? context.category : "default"),
                                     maskSecrets(message))
                                .toUtf8();
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
    QMutexLocker lock(&logMutex());
    if (logFile().isEmpty())
        return;
    HostLog::rotate(logFile(), HostLog::MaxFileBytes, HostLog::KeptFiles);
    QFile file(logFile());
    if (openForAppend(file))
        file.write(line);
}

} // namespace

QString HostLog::defaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

QString HostLog::defaultFile()
{
    return QDir(defaultFolder()).filePath(QStringLiteral("lumohost.log"));
}

QString HostLog::file()
{
    QMutexLocker lock(&logMutex());
    return logFile();
}

void HostLog::rotate(const QString &file, qint64 maxBytes, int keptFiles)
{
    if (QFileInfo(file).size() < maxBytes)
        return;
    QFile::remove(file + QStringLiteral(".%1").arg(keptFiles));
    for (int i = keptFiles - 1; i >= 1; --i)
        QFile::rename(file + QStringLiteral(".%1").arg(i), file + QStringLiteral(".%1").arg(i + 1));
    QFile::rename(file, file + QStringLiteral(".1"));
}

QString HostLog::install(const QString &dir)
{
    QString path;
    if (!dir.isEmpty() && QDir().mkpath(dir) && QFile::setPermissions(dir, kOwnerFolder)) {
        path = QDir(dir).filePath(QStringLiteral("lumohost.log"));
        QFile probe(path);
        if (!openForAppend(probe))
            path.clear();
        // Files left by an earlier, laxer host are closed to others as well;
        // renaming keeps the mode, so the rotated files follow.
        for (int i = 0; i <= KeptFiles && !path.isEmpty(); ++i) {
            const QString file = i == 0 ? path : path + QStringLiteral(".%1").arg(i);
            if (QFileInfo::exists(file))
                QFile::setPermissions(file, kOwnerFile);
        }
    }
    {
        QMutexLocker lock(&logMutex());
        logFile() = path;
    }
    qInstallMessageHandler(writeMessage);
    return path;
}
