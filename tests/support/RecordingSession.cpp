#include "RecordingSession.h"

#include "LumoError.h"
#include "UGlobalValue.h"

RecordingSession::RecordingSession() = default;

void RecordingSession::when(const QString &sql, Reply reply)
{
    m_rules.prepend(Rule{true, sql, QRegularExpression(), std::move(reply)});
}

void RecordingSession::whenMatch(const QString &pattern, Reply reply)
{
    m_rules.prepend(Rule{false, QString(), QRegularExpression(pattern), std::move(reply)});
}

void RecordingSession::queuePacket(data::DataPacket packet)
{
    m_packets.push_back(std::move(packet));
}

void RecordingSession::queueValue(QVariant value)
{
    m_values.push_back(std::move(value));
}

void RecordingSession::queueResult(bool result)
{
    m_results.push_back(result);
}

void RecordingSession::failOnCall(int n, QString message)
{
    m_failures.append({PlannedFailure::Call, n, QRegularExpression(), std::move(message)});
}

void RecordingSession::failOnStatement(int n, QString message)
{
    m_failures.append({PlannedFailure::Statement, n, QRegularExpression(), std::move(message)});
}

void RecordingSession::failWhen(const QString &pattern, QString message)
{
    m_failures.append({PlannedFailure::Pattern, 0, QRegularExpression(pattern), std::move(message)});
}

void RecordingSession::execFalseOnCall(int n)
{
    m_execFalse.append(n);
}

QStringList RecordingSession::statements() const
{
    QStringList result;
    for (const Call &call : m_calls) {
        if (!call.sql.isEmpty() && call.slot != QLatin1String("ReplacePlaceholder"))
            result.append(call.sql);
    }
    return result;
}

QStringList RecordingSession::statements(const QString &slot) const
{
    QStringList result;
    for (const Call &call : m_calls) {
        if (call.slot == slot)
            result.append(call.sql);
    }
    return result;
}

int RecordingSession::count(const QString &slot) const
{
    int n = 0;
    for (const Call &call : m_calls)
        n += call.slot == slot ? 1 : 0;
    return n;
}

data::DataPacket RecordingSession::packet(const QVector<data::FieldDef> &fields,
                                          const QVector<QVector<QVariant>> &rows)
{
    data::DataPacket p;
    p.fields = fields;
    p.rows = rows;
    return p;
}

void RecordingSession::record(const QString &slot)
{
    enter(slot, QString(), Kind::None);
}

std::optional<RecordingSession::Reply> RecordingSession::enter(const QString &slot,
                                                               const QString &sql, Kind kind)
{
    m_calls.push_back(Call{slot, sql});
    const int callNumber = int(m_calls.size());
    const bool isStatement = kind != Kind::None;
    if (isStatement)
        ++m_statementCalls;

    for (const PlannedFailure &failure : m_failures) {
        const bool hit = (failure.by == PlannedFailure::Call && failure.n == callNumber)
                         || (failure.by == PlannedFailure::Statement && isStatement
                             && failure.n == m_statementCalls)
                         || (failure.by == PlannedFailure::Pattern && isStatement
                             && failure.pattern.match(sql).hasMatch());
        if (hit)
            throw data::LumoError(failure.message + QStringLiteral(": ") + slot
                                  + QStringLiteral(" ") + sql);
    }
    if (!isStatement)
        return std::nullopt;

    // Exact texts before patterns; within each, the latest rule first.
    for (const bool exactPass : {true, false}) {
        for (const Rule &rule : m_rules) {
            if (rule.exact != exactPass)
                continue;
            const bool matches = rule.exact ? rule.text == sql : rule.pattern.match(sql).hasMatch();
            if (!matches)
                continue;
            if (rule.reply.error)
                throw data::LumoError(*rule.reply.error + QStringLiteral(": ") + sql);
            const bool fits = (kind == Kind::Packet && rule.reply.packet)
                              || (kind == Kind::Value && rule.reply.value)
                              || (kind == Kind::Result && rule.reply.result);
            if (fits)
                return rule.reply;
        }
    }
    return std::nullopt;
}

data::DataPacket RecordingSession::answerPacket(const QString &slot, const QString &sql)
{
    if (const auto reply = enter(slot, sql, Kind::Packet))
        return *reply->packet;
    if (!m_packets.empty()) {
        data::DataPacket p = std::move(m_packets.front());
        m_packets.pop_front();
        return p;
    }
    return data::DataPacket();
}

std::unique_ptr<data::ClientDataSet> RecordingSession::answerDataSet(const QString &slot,
                                                                     const QString &sql)
{
    auto dataSet = std::make_unique<data::ClientDataSet>();
    dataSet->SetData(answerPacket(slot, sql));
    return dataSet;
}

QVariant RecordingSession::answerValue(const QString &slot, const QString &sql)
{
    if (const auto reply = enter(slot, sql, Kind::Value))
        return *reply->value;
    if (!m_values.empty()) {
        QVariant v = std::move(m_values.front());
        m_values.pop_front();
        return v;
    }
    return QVariant(QString());
}

bool RecordingSession::answerResult(const QString &slot, const QString &sql)
{
    ++m_execCalls;
    const int execNumber = m_execCalls;
    std::optional<bool> answer;
    if (const auto reply = enter(slot, sql, Kind::Result)) {
        answer = *reply->result;
    } else if (!m_results.empty()) {
        answer = m_results.front();
        m_results.pop_front();
    }
    if (m_execFalse.contains(execNumber))
        return false;
    return answer.value_or(true);
}

data::DataPacket RecordingSession::OpenRcmsData(const QString &sql)
{
    return answerPacket(QStringLiteral("OpenRcmsData"), sql);
}

std::unique_ptr<data::ClientDataSet> RecordingSession::OpenRcmsQuery(const QString &sql)
{
    return answerDataSet(QStringLiteral("OpenRcmsQuery"), sql);
}

QVariant RecordingSession::GetRcmsValue(const QString &sql)
{
    return answerValue(QStringLiteral("GetRcmsValue"), sql);
}

bool RecordingSession::ExecRcmsSql(const QString &sql)
{
    return answerResult(QStringLiteral("ExecRcmsSql"), sql);
}

void RecordingSession::BeginRcmsTrans()
{
    record(QStringLiteral("BeginRcmsTrans"));
}

void RecordingSession::CommitRcmsTrans()
{
    record(QStringLiteral("CommitRcmsTrans"));
}

void RecordingSession::RollbackRcmsTrans()
{
    record(QStringLiteral("RollbackRcmsTrans"));
}

std::unique_ptr<data::ClientDataSet> RecordingSession::OpenRcmsDataSet(const QString &sql)
{
    return answerDataSet(QStringLiteral("OpenRcmsDataSet"), sql);
}

data::DataPacket RecordingSession::OpenHrData(const QString &sql)
{
    return answerPacket(QStringLiteral("OpenHrData"), sql);
}

std::unique_ptr<data::ClientDataSet> RecordingSession::OpenHrQuery(const QString &sql)
{
    return answerDataSet(QStringLiteral("OpenHrQuery"), sql);
}

QVariant RecordingSession::GetHrValue(const QString &sql)
{
    return answerValue(QStringLiteral("GetHrValue"), sql);
}

bool RecordingSession::ExecHrSql(const QString &sql)
{
    return answerResult(QStringLiteral("ExecHrSql"), sql);
}

void RecordingSession::BeginHrTrans()
{
    record(QStringLiteral("BeginHrTrans"));
}

void RecordingSession::CommitHrTrans()
{
    record(QStringLiteral("CommitHrTrans"));
}

void RecordingSession::RollbackHrTrans()
{
    record(QStringLiteral("RollbackHrTrans"));
}

QString RecordingSession::ReplacePlaceholder(const QString &source, const QString &value,
                                             const QString &placeholder)
{
    m_calls.push_back(Call{QStringLiteral("ReplacePlaceholder"), source});
    const int callNumber = int(m_calls.size());
    for (const PlannedFailure &failure : m_failures) {
        if (failure.by == PlannedFailure::Call && failure.n == callNumber)
            throw data::LumoError(failure.message + QStringLiteral(": ReplacePlaceholder"));
    }
    if (placeholder.isEmpty())
        return source;
    QString result = source;
    result.replace(placeholder, value);
    return result;
}

ScopedModuleSession::ScopedModuleSession(HostSession *session)
    : m_previous(UGlobalValue::HostSessionRef)
{
    UGlobalValue::HostSessionRef = session;
}

ScopedModuleSession::~ScopedModuleSession()
{
    UGlobalValue::HostSessionRef = m_previous;
}
