#pragma once

#include <QString>
#include <QTemporaryDir>
#include <QVariant>

#include <memory>

#include "PostgresDatabases.h"

// A fresh pair of database files made from the host's schema in a temporary
// directory that disappears with the object. The direct helpers work on the
// files themselves (SQLite, untranslated), independent of any session under
// test.
//
// With Storage::Postgres (and a test server, see PostgresDatabases) the pair
// also exists on the server, and the direct helpers hr(), rcms(), hrValue()
// and rcmsValue() work there instead (their text must suit both engines).
class TempDatabases
{
public:
    enum class Storage { Files, Postgres };
    explicit TempDatabases(Storage storage = Storage::Files);
    ~TempDatabases();

    // The server's databases; null for files.
    PostgresDatabases *server() const { return m_server.get(); }

    QString hrFile() const { return m_dir.filePath(QStringLiteral("hr.db")); }
    QString rcmsFile() const { return m_dir.filePath(QStringLiteral("rcms.db")); }
    QString filePath(const QString &name) const { return m_dir.filePath(name); }

    // Runs SQLite text on a file; raises data::LumoError on failure.
    static void exec(const QString &file, const QString &sql);
    // First column of the first row (QVariant() for NULL or no row).
    static QVariant value(const QString &file, const QString &sql);

    void hr(const QString &sql) const;
    void rcms(const QString &sql) const;
    QVariant hrValue(const QString &sql) const;
    QVariant rcmsValue(const QString &sql) const;

private:
    QTemporaryDir m_dir;
    std::unique_ptr<PostgresDatabases> m_server;
};
