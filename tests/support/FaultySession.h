#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <mutex>

#include "ForwardingSession.h"

// A session that passes every call to a real one and breaks the calls a rule
// picks: a broken call raises data::LumoError either before it reaches the
// database (the call never happened) or after it (the answer was lost on the
// way back). Every slot counts as a call, reads and transactions included. The
// fields are copied from the real session when the object is made, all but
// HrWritesAside.
class FaultySession : public ForwardingSession
{
public:
    enum class Fault { Before, AnswerLost };
    // Decides, for the n-th call (1-based) of a slot with its statement, whether
    // it breaks.
    using Rule = std::function<bool(int n, const QString &slot, const QString &sql)>;

    explicit FaultySession(HostSession &inner);

    void breakIf(Rule rule, Fault fault = Fault::Before);
    void breakCall(int n, Fault fault = Fault::Before);
    // The slots called so far, in order.
    const QStringList &slotsCalled() const { return m_slots; }

protected:
    void around(const char *slot, const QString &sql, const std::function<void()> &call) override;

private:
    Rule m_rule;
    Fault m_fault = Fault::Before;
    QStringList m_slots;
    std::mutex m_counting;
};
