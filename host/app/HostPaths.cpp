#include "HostPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

const char kModuleFile[] = "libLumoUserMag.so";

QString canonical(const QString &dir)
{
    const QString path = QFileInfo(dir).canonicalFilePath();
    return path.isEmpty() ? QDir::cleanPath(dir) : path;
}

} // namespace

HostPaths::HostPaths(QString appDir)
    : m_appDir(std::move(appDir)),
      m_installed(canonical(m_appDir) == canonical(QStringLiteral(LUMO_INSTALL_BINDIR)))
{
}

HostPaths HostPaths::current()
{
    return HostPaths(QCoreApplication::applicationDirPath());
}

QString HostPaths::iniFile() const
{
    return QDir(m_installed ? dataFolder() : m_appDir).filePath(QStringLiteral("lumohost.ini"));
}

QStringList HostPaths::moduleCandidates(const QString &explicitPath) const
{
    // A module named by the user is the only one tried: loading another one
    // in its place would run code the user did not choose.
    if (!explicitPath.isEmpty())
        return {explicitPath};
    const QDir dir(m_appDir);
    const QString file = QString::fromLatin1(kModuleFile);
    QStringList paths;
    // The install layout is taken relative to the host, so an installed tree
    // moved elsewhere (a DESTDIR, an unpacked package) finds its own module
    // and a build-tree host never picks up an installed one.
    paths << dir.filePath(file) << dir.filePath(QStringLiteral("../lib/") + file)
          << QDir::cleanPath(dir.filePath(QStringLiteral(LUMO_INSTALL_MODULE_DIR_FROM_BINDIR "/") + file))
#ifdef LUMO_MODULE_BUILD_DIR
          << QDir(QStringLiteral(LUMO_MODULE_BUILD_DIR)).filePath(file)
#endif
        ;
    paths.removeDuplicates();
    return paths;
}

QString HostPaths::dataFolder()
{
    // Named here rather than through the application's name, so every
    // program of the project (the tests too) agrees on it.
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("lumohost"));
}

QString HostPaths::version()
{
    return QStringLiteral(LUMO_VERSION);
}
