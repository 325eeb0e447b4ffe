#pragma once

#include <QString>
#include <QStringList>

// Where the host looks for its module, its ini file and its data. A host run
// from a build tree or an unpacked folder keeps everything beside the
// program, as it always has; a host run from the folder the package installs
// it in (CMake's install bindir) keeps its ini file, databases, settings and
// log in the user's data folder, since /usr/bin is nobody's to write.
class HostPaths
{
public:
    // appDir: the folder the program runs from.
    explicit HostPaths(QString appDir);
    // The running program's folder.
    static HostPaths current();

    bool installed() const { return m_installed; }
    QString appDir() const { return m_appDir; }
    // lumohost.ini: beside the program, or in the data folder once installed.
    QString iniFile() const;
    // Where the module is looked for, first match wins: an explicit path only;
    // else beside the host, ../lib/, the install layout's module folder
    // relative to the host (<libdir>/lumohost), and the build tree.
    QStringList moduleCandidates(const QString &explicitPath) const;

    // The user's data folder for the host ($XDG_DATA_HOME/lumohost, by
    // default ~/.local/share/lumohost): log, and once installed the rest.
    static QString dataFolder();
    // The version of the project, as CMake's project() gives it.
    static QString version();

private:
    QString m_appDir;
    bool m_installed = false;
};
