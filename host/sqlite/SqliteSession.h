#pragma once

#include <QByteArray>
#include <QSet>
#include <QString>

#include "SqliteDatabase.h"
#include "URCMSObjValueClass.h"

// The host session on two SQLite files: the health-record database and the
// RCMS database. Every statement the module sends is T-SQL; it is translated
// (translateTsqlToSqlite) before SQLite prepares it. A failing statement raises
// data::LumoError with SQLite's message, the statement as run and the text the
// module sent.
class SqliteSession : public HostSession
{
public:
    // Opens two existing database files; raises data::LumoError naming the
    // database when a file is missing or no database.
    SqliteSession(const QString &hrFile, const QString &rcmsFile);
    ~SqliteSession() override;

    // Creates both files from the schema; refuses (data::LumoError) when either
    // exists, before creating anything.
    static void createDatabases(const QString &hrFile, const QString &rcmsFile);

    data::DataPacket OpenRcmsData(const QString &sql) override;
    std::unique_ptr<data::ClientDataSet> OpenRcmsQuery(const QString &sql) override;
    QVariant GetRcmsValue(const QString &sql) override;
    bool ExecRcmsSql(const QString &sql) override;
    void BeginRcmsTrans() override;
    void CommitRcmsTrans() override;
    void RollbackRcmsTrans() override;
    std::unique_ptr<data::ClientDataSet> OpenRcmsDataSet(const QString &sql) override;

    data::DataPacket OpenHrData(const QString &sql) override;
    std::unique_ptr<data::ClientDataSet> OpenHrQuery(const QString &sql) override;
    QVariant GetHrValue(const QString &sql) override;
    bool ExecHrSql(const QString &sql) override;
    void BeginHrTrans() override;
    void CommitHrTrans() override;
    void RollbackHrTrans() override;

    QString ReplacePlaceholder(const QString &source, const QString &value, const QString &placeholder) override;

    SqliteDatabase &hrDatabase() { return m_hr; }
    SqliteDatabase &rcmsDatabase() { return m_rcms; }

private:
    static data::DataPacket openData(SqliteDatabase &db, const QString &sql);
    template <typename Read>
    static auto firstResult(SqliteDatabase &db, const QString &sql, Read read);
    static std::unique_ptr<data::ClientDataSet> openDataSet(SqliteDatabase &db, const QString &sql);
    static QVariant value(SqliteDatabase &db, const QString &sql);
    bool execute(SqliteDatabase &db, const QString &sql);

    SqliteDatabase m_hr;
    SqliteDatabase m_rcms;
    // The shapes (literals taken out) of write statements the translator left
    // as they were. The module's writes differ mostly in their values alone:
    // another of the same shape is left as it is too, unless a value holds
    // U+0000, the one thing inside a literal the translator rewrites, so it
    // runs with its values bound without the translator's look.
    QSet<QByteArray> m_untranslatedShapes;
};
