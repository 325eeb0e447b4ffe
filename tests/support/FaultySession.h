#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <mutex>
#include <type_traits>

#include "LumoError.h"
#include "URCMSObjValueClass.h"

// A HostSession that passes every call to a real one and breaks the calls a
// rule picks: a broken call raises data::LumoError either before it reaches the
// database (the call never happened) or after it (the answer was lost on the
// way back). Every slot counts as a call, reads and transactions included. The
// fields are copied from the real session when the object is made, all but
// HrWritesAside: a hook may process events and click, which only the
// caller's thread may do, so a test that wants the statements aside says so.
//
// beforeCall, when set, runs first with the slot's name ("ExecHrSql", ...) and
// the statement: a hook that processes events and clicks stands for the event
// passes a long statement or run lets through. It runs on the calling thread,
// which for an RCMS read of the synchronisation may be one of its own.
class FaultySession : public HostSession
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
    template <typename Call>
    auto pass(const char *slot, const QString &sql, Call call)
    {
        if (beforeCall)
            beforeCall(slot, sql);
        const QString name = QString::fromLatin1(slot);
        bool broken = false;
        {
            // The synchronisation reads an RCMS table on a thread of its own
            // when the inner session allows it: calls are counted one at a time.
            const std::lock_guard<std::mutex> lock(m_counting);
            m_slots.append(name);
            broken = m_rule && m_rule(int(m_slots.size()), name, sql);
        }
        if (broken && m_fault == Fault::Before)
            throw data::LumoError(QStringLiteral("injected failure before ") + name);
        if constexpr (std::is_void_v<decltype(call())>) {
            call();
            if (broken)
                throw data::LumoError(QStringLiteral("injected loss of the answer of ") + name);
        } else {
            auto result = call();
            if (broken)
                throw data::LumoError(QStringLiteral("injected loss of the answer of ") + name);
            return result;
        }
    }

    HostSession &m_inner;
    Rule m_rule;
    Fault m_fault = Fault::Before;
    QStringList m_slots;
    std::mutex m_counting;
};
