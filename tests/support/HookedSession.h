#pragma once

#include <functional>
#include <memory>

#include "URCMSObjValueClass.h"

// A session that hands every call on to a real one and first runs a hook with
// the slot's name ("ExecHrSql", ...) and the statement. A hook that processes
// events and clicks stands for the event passes a long statement or run lets
// through. The fields (user, rights, host objects) are its own.
class HookedSession : public HostSession
{
public:
    explicit HookedSession(std::unique_ptr<HostSession> inner);

    std::function<void(const char *slot, const QString &sql)> beforeCall;

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
    void hook(const char *slot, const QString &sql = QString());
    std::unique_ptr<HostSession> m_inner;
};
