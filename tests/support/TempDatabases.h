#pragma once

#include <QString>
#include <QTemporaryDir>
#include <QVariant>

// A fresh pair of database files made from the host's schema in a temporary
// directory that disappears with the object. The direct helpers work on the
// files themselves (SQLite, untranslated), independent of any session under
// test.
class TempDatabases
{
public:
    TempDatabases();

    QString hrFile() const { return m_dir.filePath(QStringLiteral("hr.db")); }
    QString rcmsFile() const { return m_dir.filePath(QStringLiteral("rcms.db")); }
    QString filePath(const QString &name) const { return m_dir.filePath(name); }

    // Runs SQLite text on a file; raises data::LumoError on failure.
    static void exec(const QString &file, const QString &sql);
    // First column of the first row (QVariant() for NULL or no row).
    static QVariant value(const QString &file, const QString &sql);

    void hr(const QString &sql) const { exec(hrFile(), sql); }
    void rcms(const QString &sql) const { exec(rcmsFile(), sql); }
    QVariant hrValue(const QString &sql) const { return value(hrFile(), sql); }
    QVariant rcmsValue(const QString &sql) const { return value(rcmsFile(), sql); }

private:
    QTemporaryDir m_dir;
};
