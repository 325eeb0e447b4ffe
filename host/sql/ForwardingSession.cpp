#include "ForwardingSession.h"

ForwardingSession::ForwardingSession(HostSession &hrSide, HostSession &rcmsSide) : m_hr(hrSide), m_rcms(rcmsSide)
{
}

data::DataPacket ForwardingSession::OpenRcmsData(const QString &sql)
{
    return pass("OpenRcmsData", sql, [&] { return m_rcms.OpenRcmsData(sql); });
}

std::unique_ptr<data::ClientDataSet> ForwardingSession::OpenRcmsQuery(const QString &sql)
{
    return pass("OpenRcmsQuery", sql, [&] { return m_rcms.OpenRcmsQuery(sql); });
}

QVariant ForwardingSession::GetRcmsValue(const QString &sql)
{
    return pass("GetRcmsValue", sql, [&] { return m_rcms.GetRcmsValue(sql); });
}

bool ForwardingSession::ExecRcmsSql(const QString &sql)
{
    return pass("ExecRcmsSql", sql, [&] { return m_rcms.ExecRcmsSql(sql); });
}

void ForwardingSession::BeginRcmsTrans()
{
    pass("BeginRcmsTrans", QString(), [&] { m_rcms.BeginRcmsTrans(); });
}

void ForwardingSession::CommitRcmsTrans()
{
    pass("CommitRcmsTrans", QString(), [&] { m_rcms.CommitRcmsTrans(); });
}

void ForwardingSession::RollbackRcmsTrans()
{
    pass("RollbackRcmsTrans", QString(), [&] { m_rcms.RollbackRcmsTrans(); });
}

std::unique_ptr<data::ClientDataSet> ForwardingSession::OpenRcmsDataSet(const QString &sql)
{
    return pass("OpenRcmsDataSet", sql, [&] { return m_rcms.OpenRcmsDataSet(sql); });
}

data::DataPacket ForwardingSession::OpenHrData(const QString &sql)
{
    return pass("OpenHrData", sql, [&] { return m_hr.OpenHrData(sql); });
}

std::unique_ptr<data::ClientDataSet> ForwardingSession::OpenHrQuery(const QString &sql)
{
    return pass("OpenHrQuery", sql, [&] { return m_hr.OpenHrQuery(sql); });
}

QVariant ForwardingSession::GetHrValue(const QString &sql)
{
    return pass("GetHrValue", sql, [&] { return m_hr.GetHrValue(sql); });
}

bool ForwardingSession::ExecHrSql(const QString &sql)
{
    return pass("ExecHrSql", sql, [&] { return m_hr.ExecHrSql(sql); });
}

void ForwardingSession::BeginHrTrans()
{
    pass("BeginHrTrans", QString(), [&] { m_hr.BeginHrTrans(); });
}

void ForwardingSession::CommitHrTrans()
{
    pass("CommitHrTrans", QString(), [&] { m_hr.CommitHrTrans(); });
}

void ForwardingSession::RollbackHrTrans()
{
    pass("RollbackHrTrans", QString(), [&] { m_hr.RollbackHrTrans(); });
}

QString ForwardingSession::ReplacePlaceholder(const QString &source, const QString &value, const QString &placeholder)
{
    return pass("ReplacePlaceholder", source, [&] { return m_hr.ReplacePlaceholder(source, value, placeholder); });
}

void ForwardingSession::around(const char *, const QString &, const std::function<void()> &call)
{
    call();
}

void ForwardingSession::takeFieldsOf(const HostSession &inner)
{
    AppPath = inner.AppPath;
    UserCode = inner.UserCode;
    OrgCode = inner.OrgCode;
    RcmsAreaCode = inner.RcmsAreaCode;
    RightsData = inner.RightsData;
    Images = inner.Images;
    HostDispatch = inner.HostDispatch;
    CodePicker = inner.CodePicker;
    HrCodesIgnoreCase = inner.HrCodesIgnoreCase;
    HrCodesIgnoreTrailingBlanks = inner.HrCodesIgnoreTrailingBlanks;
    RcmsReadsBesideHr = inner.RcmsReadsBesideHr;
}
