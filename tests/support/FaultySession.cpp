#include "FaultySession.h"

FaultySession::FaultySession(HostSession &inner) : m_inner(inner)
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

void FaultySession::breakIf(Rule rule, Fault fault)
{
    m_rule = std::move(rule);
    m_fault = fault;
}

void FaultySession::breakCall(int n, Fault fault)
{
    breakIf([n](int call, const QString &, const QString &) { return call == n; }, fault);
}

data::DataPacket FaultySession::OpenRcmsData(const QString &sql)
{
    return pass("OpenRcmsData", sql, [&] { return m_inner.OpenRcmsData(sql); });
}

std::unique_ptr<data::ClientDataSet> FaultySession::OpenRcmsQuery(const QString &sql)
{
    return pass("OpenRcmsQuery", sql, [&] { return m_inner.OpenRcmsQuery(sql); });
}

QVariant FaultySession::GetRcmsValue(const QString &sql)
{
    return pass("GetRcmsValue", sql, [&] { return m_inner.GetRcmsValue(sql); });
}

bool FaultySession::ExecRcmsSql(const QString &sql)
{
    return pass("ExecRcmsSql", sql, [&] { return m_inner.ExecRcmsSql(sql); });
}

void FaultySession::BeginRcmsTrans()
{
    pass("BeginRcmsTrans", QString(), [&] { m_inner.BeginRcmsTrans(); });
}

void FaultySession::CommitRcmsTrans()
{
    pass("CommitRcmsTrans", QString(), [&] { m_inner.CommitRcmsTrans(); });
}

void FaultySession::RollbackRcmsTrans()
{
    pass("RollbackRcmsTrans", QString(), [&] { m_inner.RollbackRcmsTrans(); });
}

std::unique_ptr<data::ClientDataSet> FaultySession::OpenRcmsDataSet(const QString &sql)
{
    return pass("OpenRcmsDataSet", sql, [&] { return m_inner.OpenRcmsDataSet(sql); });
}

data::DataPacket FaultySession::OpenHrData(const QString &sql)
{
    return pass("OpenHrData", sql, [&] { return m_inner.OpenHrData(sql); });
}

std::unique_ptr<data::ClientDataSet> FaultySession::OpenHrQuery(const QString &sql)
{
    return pass("OpenHrQuery", sql, [&] { return m_inner.OpenHrQuery(sql); });
}

QVariant FaultySession::GetHrValue(const QString &sql)
{
    return pass("GetHrValue", sql, [&] { return m_inner.GetHrValue(sql); });
}

bool FaultySession::ExecHrSql(const QString &sql)
{
    return pass("ExecHrSql", sql, [&] { return m_inner.ExecHrSql(sql); });
}

void FaultySession::BeginHrTrans()
{
    pass("BeginHrTrans", QString(), [&] { m_inner.BeginHrTrans(); });
}

void FaultySession::CommitHrTrans()
{
    pass("CommitHrTrans", QString(), [&] { m_inner.CommitHrTrans(); });
}

void FaultySession::RollbackHrTrans()
{
    pass("RollbackHrTrans", QString(), [&] { m_inner.RollbackHrTrans(); });
}

QString FaultySession::ReplacePlaceholder(const QString &source, const QString &value, const QString &placeholder)
{
    return pass("ReplacePlaceholder", source, [&] { return m_inner.ReplacePlaceholder(source, value, placeholder); });
}
