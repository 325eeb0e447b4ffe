#pragma once

#include <functional>
#include <type_traits>

#include "URCMSObjValueClass.h"

// A session that passes every call on: the RCMS slots to one session, the
// health-record slots and ReplacePlaceholder to another (or both to the same
// one). Every call goes through around(), which a derived session overrides to
// watch, delay or break calls; by default it just makes the call. The fields
// (user, unit, rights, host objects) are the forwarding session's own.
class ForwardingSession : public HostSession
{
public:
    ForwardingSession(HostSession &hrSide, HostSession &rcmsSide);

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

protected:
    // Makes one call: slot is the member's name ("ExecHrSql", ...), sql its
    // statement (the source text for ReplacePlaceholder, empty for the
    // transaction calls). Runs on the calling thread, which for the
    // synchronisation's reads and writes may be one of its own.
    virtual void around(const char *slot, const QString &sql, const std::function<void()> &call);

    // Copies the fields of the session behind a wrapper, all but
    // HrWritesAside: a wrapper whose hooks process events keeps the writes on
    // the caller's thread unless it says otherwise.
    void takeFieldsOf(const HostSession &inner);

private:
    template <typename Call>
    auto pass(const char *slot, const QString &sql, Call call)
    {
        if constexpr (std::is_void_v<decltype(call())>) {
            around(slot, sql, call);
        } else {
            decltype(call()) result{};
            around(slot, sql, [&] { result = call(); });
            return result;
        }
    }

    HostSession &m_hr;
    HostSession &m_rcms;
};
