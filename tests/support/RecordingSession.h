#pragma once

#include <QList>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <deque>
#include <memory>
#include <optional>
#include <vector>

#include "ClientDataSet.h"
#include "DataPacket.h"
#include "URCMSObjValueClass.h"

// A HostSession that records every call in order and answers from a script.
//
// Answers are looked up in this order:
//   1. a failure planned for this call (failOnCall, failOnStatement, failWhen)
//      raises data::LumoError;
//   2. rules for the statement, exact text first (when), then regular
//      expressions (whenMatch), the latest rule added first;
//   3. the queue of its kind (queuePacket for Open*, queueValue for Get*Value,
//      queueResult for Exec*), first in first out;
//   4. the default: an empty packet (no fields, no rows), an empty text value
//      (what a query without rows reads as), true from Exec*.
// execFalseOnCall makes one Exec* call answer false regardless of the above.
// Open*Query and OpenRcmsDataSet answer with a ClientDataSet loaded from the
// packet.
class RecordingSession : public HostSession
{
public:
    struct Call
    {
        QString slot;  // member name: "OpenRcmsQuery", "BeginHrTrans", ...
        QString sql;   // the statement; the source text for ReplacePlaceholder; "" otherwise
    };

    // One scripted answer; only the member that fits the call's kind is used.
    struct Reply
    {
        std::optional<data::DataPacket> packet;
        std::optional<QVariant> value;
        std::optional<bool> result;
        std::optional<QString> error;  // raise data::LumoError with this text

        static Reply ofPacket(data::DataPacket p) { Reply r; r.packet = std::move(p); return r; }
        static Reply ofValue(QVariant v) { Reply r; r.value = std::move(v); return r; }
        static Reply ofResult(bool b) { Reply r; r.result = b; return r; }
        static Reply ofError(QString e) { Reply r; r.error = std::move(e); return r; }
    };

    RecordingSession();

    // ---- script -----------------------------------------------------------
    void when(const QString &sql, Reply reply);
    void whenMatch(const QString &pattern, Reply reply);
    void queuePacket(data::DataPacket packet);
    void queueValue(QVariant value);
    void queueResult(bool result);
    // n counts every recorded call (1-based), transactions included.
    void failOnCall(int n, QString message = QStringLiteral("planned failure"));
    // n counts only the calls that carry a statement (Open*, Get*, Exec*).
    void failOnStatement(int n, QString message = QStringLiteral("planned failure"));
    void failWhen(const QString &pattern, QString message = QStringLiteral("planned failure"));
    // n counts Exec*Sql calls only (1-based).
    void execFalseOnCall(int n);

    // ---- record -----------------------------------------------------------
    const std::vector<Call> &calls() const { return m_calls; }
    QStringList statements() const;                    // the SQL of every statement call
    QStringList statements(const QString &slot) const; // ... of one member
    int count(const QString &slot) const;
    void clearCalls() { m_calls.clear(); }

    int rcmsBegins() const { return count(QStringLiteral("BeginRcmsTrans")); }
    int rcmsCommits() const { return count(QStringLiteral("CommitRcmsTrans")); }
    int rcmsRollbacks() const { return count(QStringLiteral("RollbackRcmsTrans")); }
    int hrBegins() const { return count(QStringLiteral("BeginHrTrans")); }
    int hrCommits() const { return count(QStringLiteral("CommitHrTrans")); }
    int hrRollbacks() const { return count(QStringLiteral("RollbackHrTrans")); }

    // Builds a packet: names with types, then rows.
    static data::DataPacket packet(const QVector<data::FieldDef> &fields,
                                   const QVector<QVector<QVariant>> &rows = {});

    // ---- HostSession ------------------------------------------------------
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
    QString ReplacePlaceholder(const QString &source, const QString &value,
                               const QString &placeholder) override;

private:
    enum class Kind { Packet, Value, Result, None };

    struct Rule
    {
        bool exact;
        QString text;
        QRegularExpression pattern;
        Reply reply;
    };
    struct PlannedFailure
    {
        enum By { Call, Statement, Pattern } by;
        int n;
        QRegularExpression pattern;
        QString message;
    };

    // Records the call, raises a planned failure, and gives the rule's reply.
    std::optional<Reply> enter(const QString &slot, const QString &sql, Kind kind);
    data::DataPacket answerPacket(const QString &slot, const QString &sql);
    std::unique_ptr<data::ClientDataSet> answerDataSet(const QString &slot, const QString &sql);
    QVariant answerValue(const QString &slot, const QString &sql);
    bool answerResult(const QString &slot, const QString &sql);
    void record(const QString &slot);

    std::vector<Call> m_calls;
    int m_statementCalls = 0;
    int m_execCalls = 0;
    QList<Rule> m_rules;
    std::deque<data::DataPacket> m_packets;
    std::deque<QVariant> m_values;
    std::deque<bool> m_results;
    QList<PlannedFailure> m_failures;
    QList<int> m_execFalse;
};

// Installs a session as the module-wide one for the lifetime of the object and
// puts the previous one back afterwards.
class ScopedModuleSession
{
public:
    explicit ScopedModuleSession(HostSession *session);
    ~ScopedModuleSession();
    ScopedModuleSession(const ScopedModuleSession &) = delete;
    ScopedModuleSession &operator=(const ScopedModuleSession &) = delete;

private:
    HostSession *m_previous;
};
