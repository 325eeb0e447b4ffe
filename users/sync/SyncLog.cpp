#include "SyncLog.h"

#include <QRandomGenerator>
#include <QRegularExpression>

#include "HrTransaction.h"
#include "LumoError.h"
#include "TextRules.h"
#include "URCMSObjValueClass.h"

namespace {

// Rows per insert statement: few statements for a large run, and well within
// what SQL Server takes in one VALUES list (1,000 rows).
constexpr int kRowsPerStatement = 200;

// Tries of a log write, each under an id of its own.
constexpr int kWriteAttempts = 3;

// Whether a failed probe of the log table says the table is not there, in the
// words of SQLite, SQL Server or PostgreSQL (English or Chinese): the cause
// names the table and says it is missing. Anything else is a failed check.
bool saysTableMissing(const data::LumoError &error)
{
    static const QRegularExpression missing(
        QStringLiteral("no such table|invalid object name|does not exist|不存在"),
        QRegularExpression::CaseInsensitiveOption);
    const QString cause = error.cause();
    return cause.contains(QLatin1String("TSys_UserSyncLog"), Qt::CaseInsensitive) && cause.contains(missing);
}

// Texts the log cannot hold whole are cut, never refused: the log must not
// fail a run that succeeded.
QString fitted(const QString &text, int size)
{
    return text.size() <= size ? text : text.left(size - 1) + QChar(0x2026);
}

// The fitted text quoted onto the statement, without a copy of the text.
void appendFitted(QString &statement, const QString &text, int size)
{
    if (text.size() <= size) {
        AppendQuoted(statement, text);
        return;
    }
    AppendQuoted(statement, QStringView(text).left(size - 1));
    // The ellipsis goes inside the closing quote.
    statement.insert(statement.size() - 1, QChar(0x2026));
}

} // namespace

SyncLog::SyncLog(HostSession &session, std::function<quint32()> random)
    : m_session(session), m_random(std::move(random))
{
    if (!m_random)
        m_random = [] { return QRandomGenerator::system()->generate(); };
}

QString SyncLog::newId(const QDateTime &started, quint32 random)
{
    constexpr quint32 kRandomIds = 36 * 36 * 36;
    return started.toString(QStringLiteral("yyyyMMddhhmmsszzz"))
        + QStringLiteral("%1").arg(random % kRandomIds, 3, 36, QLatin1Char('0'));
}

QString SyncLog::resultText(Result result)
{
    switch (result) {
    case Result::Succeeded: return QStringLiteral("成功");
    case Result::Failed: return QStringLiteral("失败");
    case Result::Cancelled: return QStringLiteral("已取消");
    }
    return QString();
}

bool SyncLog::available()
{
    try {
        // A database with the table answers a count; anything else is no log.
        bool isCount = false;
        m_session.GetHrValue(QStringLiteral("Select Count(*) From TSys_UserSyncLog Where 1 = 0")).toLongLong(&isCount);
        return isCount;
    } catch (const data::LumoError &e) {
        if (saysTableMissing(e))
            return false;
        throw;
    }
}

QString SyncLog::runStatement(const QString &logId, const Run &run)
{
    return QStringLiteral("Insert Into TSys_UserSyncLog (LogID, SyncTime, UserCode, AddedCount, UpdatedCount, "
                          "SameCount, Result, Seconds, Cause) Values (%1, %2, %3, %4, %5, %6, %7, %8, %9)")
        .arg(QuotedStr(logId), QuotedStr(run.started.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"))),
             QuotedStr(run.login), QString::number(run.added), QString::number(run.updated),
             QString::number(run.same), QuotedStr(resultText(run.result)), QString::number(run.seconds, 'f', 3),
             QuotedStr(fitted(run.cause, 1000)));
}

QStringList SyncLog::changeStatements(const QString &logId, const QVector<SyncPreview::Change> &changes)
{
    static const QLatin1String head("Insert Into TSys_UserSyncLogDet (LogID, UserCode, ChangeKind, ChangedColumns, "
                                    "OldValues, NewValues) Values ");
    static const QString addedKind = QStringLiteral("新增"), updatedKind = QStringLiteral("更新");
    QStringList statements;
    QString sql;
    // A user's three lists, reused from user to user so that a large run
    // allocates them once rather than per user and piece.
    QString columns, oldValues, newValues;
    int rows = 0;
    // One row per user: the changes of a user come one after another.
    for (auto c = changes.cbegin(); c != changes.cend();) {
        const QString &code = c->userCode;
        const bool added = c->added;
        columns.truncate(0);
        oldValues.truncate(0);
        newValues.truncate(0);
        for (; c != changes.cend() && c->userCode == code; ++c) {
            if (c->added)
                continue;
            const QString column = SyncPreview::columnCaption(c->column);
            if (!columns.isEmpty())
                columns += QLatin1Char(',');
            columns += column;
            if (c->column == SyncPreview::Password)
                continue;
            if (!oldValues.isEmpty()) {
                oldValues += QLatin1String("; ");
                newValues += QLatin1String("; ");
            }
            oldValues += column;
            oldValues += QLatin1Char('=');
            oldValues += c->oldValue;
            newValues += column;
            newValues += QLatin1Char('=');
            newValues += c->newValue;
        }
        if (rows == 0) {
            sql = QString();
            sql.reserve(head.size() + kRowsPerStatement * 160);
            sql += head;
        } else {
            sql += QLatin1String(", ");
        }
        sql += QLatin1Char('(');
        AppendQuoted(sql, logId);
        sql += QLatin1String(", ");
        AppendQuoted(sql, code);
        sql += QLatin1String(", ");
        AppendQuoted(sql, added ? addedKind : updatedKind);
        sql += QLatin1String(", ");
        appendFitted(sql, columns, 100);
        sql += QLatin1String(", ");
        appendFitted(sql, oldValues, 2000);
        sql += QLatin1String(", ");
        appendFitted(sql, newValues, 2000);
        sql += QLatin1Char(')');
        if (++rows == kRowsPerStatement) {
            statements << std::move(sql);
            rows = 0;
        }
    }
    if (rows > 0)
        statements << std::move(sql);
    return statements;
}

QString SyncLog::write(const Run &run, const QVector<SyncPreview::Change> &changes, const QString &id,
                       const std::function<QString(const QString &, const QString &)> &relinked)
{
    for (int attempt = 1;; ++attempt) {
        const QString logId = attempt == 1 && !id.isEmpty() ? id : newId(run.started, m_random());
        try {
            HrTransaction transaction(m_session);
            if (!m_session.ExecHrSql(runStatement(logId, run)))
                throw data::LumoError(QStringLiteral("写入同步记录失败"));
            if (!id.isEmpty() && logId != id && relinked)
                if (!m_session.ExecHrSql(relinked(id, logId)))
                    throw data::LumoError(QStringLiteral("写入同步记录失败"));
            for (const QString &sql : changeStatements(logId, changes))
                if (!m_session.ExecHrSql(sql))
                    throw data::LumoError(QStringLiteral("写入同步记录失败"));
            transaction.commit();
            return logId;
        } catch (const std::exception &e) {
            if (attempt == kWriteAttempts)
                throw data::LumoError::of(e);
        }
    }
}

data::DataPacket SyncLog::runs(int newest)
{
    return m_session.OpenHrData(
        QStringLiteral("Select Top %1 LogID, SyncTime, UserCode, AddedCount, UpdatedCount, SameCount, Result, Seconds, "
                       "Cause From TSys_UserSyncLog Order By LogID Desc")
            .arg(newest));
}

data::DataPacket SyncLog::changes(const QString &logId)
{
    return m_session.OpenHrData(QStringLiteral("Select UserCode, ChangeKind, ChangedColumns, OldValues, NewValues From "
                                               "TSys_UserSyncLogDet Where LogID = ")
                                + QuotedStr(logId) + QStringLiteral(" Order By UserCode"));
}
