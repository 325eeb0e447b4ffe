#pragma once

#include <memory>

#include "URCMSObjValueClass.h"

// A session whose two databases are reached in different ways: the RCMS
// slots go to one session, the health-record slots to another (say, the
// health-record database on SQL Server and the RCMS database in a SQLite
// file). The fields (user, unit, rights, host objects) are its own; the
// sessions behind it are only asked for data.
class CompositeSession : public HostSession
{
public:
    CompositeSession(std::unique_ptr<HostSession> hrSide, std::unique_ptr<HostSession> rcmsSide);
    ~CompositeSession() override;

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
    std::unique_ptr<HostSession> m_hr;
    std::unique_ptr<HostSession> m_rcms;
};
