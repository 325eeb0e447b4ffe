#pragma once

#include <QString>
#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <optional>

#include "ClientDataSet.h"
#include "HookedSession.h"
#include "PostgresDatabases.h"
#include "SqliteDatabase.h"
#include "TestHostObjects.h"
#include "URCMSObjValueClass.h"

// Two real SQLite databases made from the host's schema, with a small county
// whose codes the window tests know by heart, and a session on them wired to
// test doubles of the host's automation objects. It is the module's session
// (UGlobalValue) while it lives.
//
//   510101      示范县 (RCMS 5101)            unit C0 (the county's bureau), user admin
//   510101001   一乡 (RCMS 51010101)          units A1, A2; users 51010100100001 .. 03
//   510101002   二乡 (RCMS 51010102)          unit B1, no users
//   51010100101 一村 (no RCMS code)           no unit
//   510102      邻县 (not below 510101)        unit Z1, user 51010200000001
//
// The environment variable LUMO_TEST_HR_BACKEND chooses how the session
// reaches the health-record database: "sqlite" (the default) opens the SQLite
// session on both files; "odbc" reaches the health-record file over ODBC
// (SQLite ODBC driver, T-SQL translated) and the RCMS file with the SQLite
// session, joined by a CompositeSession; "postgresql" puts both databases on
// the PostgreSQL test server (PostgresDatabases) behind the ODBC session.
class UserDatabases
{
public:
    UserDatabases();
    ~UserDatabases();

    QString hrFile() const { return m_dir.filePath(QStringLiteral("hr.db")); }
    QString rcmsFile() const { return m_dir.filePath(QStringLiteral("rcms.db")); }

    HostSession &session() { return *m_session; }
    // Runs before every call of the session (HookedSession::beforeCall).
    void onSessionCall(std::function<void(const char *slot, const QString &sql)> hook);
    // The backend chosen from LUMO_TEST_HR_BACKEND: "sqlite", "odbc" or "postgresql".
    static QString hrBackend();
    // Why the chosen backend cannot run here (postgresql without a test
    // server); empty when it can. A test program skips itself then.
    static QString unavailableReason();
    // The server's databases with the postgresql backend, else null.
    PostgresDatabases *server() const { return m_server.get(); }
    TestHostDispatch dispatch;
    TestCodePicker picker;
    data::ClientDataSet rights;

    // Grants exactly these function numbers (type 3) to the session's user.
    void grant(std::initializer_list<int> functions);
    // Runs statements on the health-record or RCMS database directly,
    // untranslated and outside the session's transactions (raising on error);
    // the text must suit SQLite and PostgreSQL.
    void hr(const QString &sql);
    void rcms(const QString &sql);
    QVariant hrValue(const QString &sql);
    // A stable fingerprint of the health-record p_User table.
    QString hrUsers();
    // The synchronisation log's runs, oldest first: "Result added/updated/same Cause".
    QStringList syncLogRuns();

private:
    QTemporaryDir m_dir;
    // Own connections to the files, so that the direct helpers work the same
    // whatever the session under test is.
    std::optional<SqliteDatabase> m_hrFile;
    std::optional<SqliteDatabase> m_rcmsFile;
    std::unique_ptr<PostgresDatabases> m_server;
    std::unique_ptr<HostSession> m_inner;
    std::unique_ptr<HookedSession> m_session;
};
