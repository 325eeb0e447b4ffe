#include "CompositeSession.h"

#include "LumoError.h"
#include "SessionPackets.h"

CompositeSession::CompositeSession(std::unique_ptr<HostSession> hrSide, std::unique_ptr<HostSession> rcmsSide)
    : m_hr(std::move(hrSide)), m_rcms(std::move(rcmsSide))
{
    if (!m_hr || !m_rcms)
        throw data::LumoError(QStringLiteral("组合会话需要两个数据库的会话"));
}

CompositeSession::~CompositeSession() = default;

data::DataPacket CompositeSession::OpenRcmsData(const QString &sql)
{
    return m_rcms->OpenRcmsData(sql);
}

std::unique_ptr<data::ClientDataSet> CompositeSession::OpenRcmsQuery(const QString &sql)
{
    return m_rcms->OpenRcmsQuery(sql);
}

QVariant CompositeSession::GetRcmsValue(const QString &sql)
{
    return m_rcms->GetRcmsValue(sql);
}

bool CompositeSession::ExecRcmsSql(const QString &sql)
{
    return m_rcms->ExecRcmsSql(sql);
}

void CompositeSession::BeginRcmsTrans()
{
    m_rcms->BeginRcmsTrans();
}

void CompositeSession::CommitRcmsTrans()
{
    m_rcms->CommitRcmsTrans();
}

void CompositeSession::RollbackRcmsTrans()
{
    m_rcms->RollbackRcmsTrans();
}

std::unique_ptr<data::ClientDataSet> CompositeSession::OpenRcmsDataSet(const QString &sql)
{
    return m_rcms->OpenRcmsDataSet(sql);
}

data::DataPacket CompositeSession::OpenHrData(const QString &sql)
{
    return m_hr->OpenHrData(sql);
}

std::unique_ptr<data::ClientDataSet> CompositeSession::OpenHrQuery(const QString &sql)
{
    return m_hr->OpenHrQuery(sql);
}

QVariant CompositeSession::GetHrValue(const QString &sql)
{
    return m_hr->GetHrValue(sql);
}

bool CompositeSession::ExecHrSql(const QString &sql)
{
    return m_hr->ExecHrSql(sql);
}

void CompositeSession::BeginHrTrans()
{
    m_hr->BeginHrTrans();
}

void CompositeSession::CommitHrTrans()
{
    m_hr->CommitHrTrans();
}

void CompositeSession::RollbackHrTrans()
{
    m_hr->RollbackHrTrans();
}

QString CompositeSession::ReplacePlaceholder(const QString &source, const QString &value, const QString &placeholder)
{
    // Pure text work: no database involved, so no side to ask.
    return replacePlaceholderText(source, value, placeholder);
}
