#include "FaultySession.h"

#include "LumoError.h"

FaultySession::FaultySession(HostSession &inner) : ForwardingSession(inner, inner)
{
    takeFieldsOf(inner);
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

void FaultySession::around(const char *slot, const QString &sql, const std::function<void()> &call)
{
    const QString name = QString::fromLatin1(slot);
    bool broken = false;
    {
        // The synchronisation reads an RCMS table on a thread of its own when
        // the inner session allows it: calls are counted one at a time.
        const std::lock_guard<std::mutex> lock(m_counting);
        m_slots.append(name);
        broken = m_rule && m_rule(int(m_slots.size()), name, sql);
    }
    if (broken && m_fault == Fault::Before)
        throw data::LumoError(QStringLiteral("injected failure before ") + name);
    call();
    if (broken)
        throw data::LumoError(QStringLiteral("injected loss of the answer of ") + name);
}
