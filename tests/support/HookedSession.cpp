#include "HookedSession.h"

HookedSession::HookedSession(std::unique_ptr<HostSession> inner) : m_inner(std::move(inner)) {}

void HookedSession::hook(const char *slot, const QString &sql)
{
    if (beforeCall)
        beforeCall(slot, sql);
}

#define FORWARD(Result, Slot)                                                                                     \
    Result HookedSession::Slot(const QString &sql)                                                               \
    {                                                                                                            \
        hook(#Slot, sql);                                                                                        \
        return m_inner->Slot(sql);                                                                               \
    }
#define FORWARD_TRANS(Slot)                                                                                      \
    void HookedSession::Slot()                                                                                   \
    {                                                                                                            \
        hook(#Slot);                                                                                             \
        m_inner->Slot();                                                                                         \
    }

FORWARD(data::DataPacket, OpenRcmsData)
FORWARD(std::unique_ptr<data::ClientDataSet>, OpenRcmsQuery)
FORWARD(QVariant, GetRcmsValue)
FORWARD(bool, ExecRcmsSql)
FORWARD(std::unique_ptr<data::ClientDataSet>, OpenRcmsDataSet)
FORWARD(data::DataPacket, OpenHrData)
FORWARD(std::unique_ptr<data::ClientDataSet>, OpenHrQuery)
FORWARD(QVariant, GetHrValue)
FORWARD(bool, ExecHrSql)
FORWARD_TRANS(BeginRcmsTrans)
FORWARD_TRANS(CommitRcmsTrans)
FORWARD_TRANS(RollbackRcmsTrans)
FORWARD_TRANS(BeginHrTrans)
FORWARD_TRANS(CommitHrTrans)
FORWARD_TRANS(RollbackHrTrans)

QString HookedSession::ReplacePlaceholder(const QString &source, const QString &value, const QString &placeholder)
{
    return m_inner->ReplacePlaceholder(source, value, placeholder);
}
