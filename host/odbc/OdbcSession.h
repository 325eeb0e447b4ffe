#pragma once

#include <QString>

#include <memory>

#include "URCMSObjValueClass.h"

class OdbcConnection;
struct DatabaseLocation;
enum class OdbcFetch;
namespace data {
struct ColumnPacket;
}

// The host session on ODBC connections (SQL Server through FreeTDS, or any
// other driver). What the module sends goes to the server as the connection's
// dialect wants it: untouched for SQL Server, translated for the SQLite
// driver. A failing statement raises data::LumoError with the driver's text,
// the statement and, when it was translated, the module's text.
class OdbcSession : public HostSession
{
public:
    // Connects to both databases; raises data::LumoError naming the database
    // that could not be reached.
    OdbcSession(const DatabaseLocation &hr, const DatabaseLocation &rcms, int loginTimeoutSeconds);
    // One database answering both blocks of slots, under the label of the
    // side it stands for: one side of a CompositeSession, which calls only
    // that side's slots, needs one connection, not two.
    static std::unique_ptr<OdbcSession> forOneDatabase(const DatabaseLocation &location, const QString &label,
                                                       int loginTimeoutSeconds);
    ~OdbcSession() override;

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

private:
    OdbcSession(std::shared_ptr<OdbcConnection> hr, std::shared_ptr<OdbcConnection> rcms);

    static data::ColumnPacket firstResult(OdbcConnection &connection, const QString &sql, OdbcFetch fetch);
    static data::DataPacket openData(OdbcConnection &connection, const QString &sql);
    static std::unique_ptr<data::ClientDataSet> openDataSet(OdbcConnection &connection, const QString &sql);
    static QVariant value(OdbcConnection &connection, const QString &sql);

    std::shared_ptr<OdbcConnection> m_hr;
    std::shared_ptr<OdbcConnection> m_rcms;
};
