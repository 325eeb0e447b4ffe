#include "SyncLog.h"

#include "LumoError.h"
#include "TextRules.h"
#include "URCMSObjValueClass.h"

namespace {

// Rows per insert statement: few statements for a large run, and well within
// what SQL Server takes in one VALUES list (1,000 rows).
constexpr int kRowsPerStatement = 200;

// Texts the log cannot hold whole are cut, never refused: the log must not
// fail a run that succeeded.
QString fitted(const QString &text, int size)
{
    return text.size() <= size ? text : text.left(size - 1) + QChar(0x2026);
}

} // namespace

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
    } catch (const data::LumoError &) {
        return false;
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
    // One row per user: the changes of a user come one after another.
    struct UserRow
    {
        QString code;
        bool added = false;
        QStringList columns, oldValues, newValues;
    };
    QVector<UserRow> users;
    for (const SyncPreview::Change &c : changes) {
        if (users.isEmpty() || users.last().code != c.userCode)
            users.append({c.userCode, c.added, {}, {}, {}});
        if (c.added)
            continue;
        UserRow &row = users.last();
        const QString column = SyncPreview::columnCaption(c.column);
        row.columns << column;
        if (c.column != SyncPreview::Password) {
            row.oldValues << column + QLatin1Char('=') + c.oldValue;
            row.newValues << column + QLatin1Char('=') + c.newValue;
        }
    }
    QStringList statements;
    QString sql;
    int rows = 0;
    for (const UserRow &u : std::as_const(users)) {
        if (rows == 0)
            sql = QStringLiteral("Insert Into TSys_UserSyncLogDet (LogID, UserCode, ChangeKind, ChangedColumns, "
                                 "OldValues, NewValues) Values ");
        else
            sql += QStringLiteral(", ");
        sql += QLatin1Char('(') + QuotedStr(logId) + QStringLiteral(", ") + QuotedStr(u.code) + QStringLiteral(", ")
            + QuotedStr(u.added ? QStringLiteral("新增") : QStringLiteral("更新")) + QStringLiteral(", ")
            + QuotedStr(fitted(u.columns.join(QLatin1Char(',')), 100)) + QStringLiteral(", ")
            + QuotedStr(fitted(u.oldValues.join(QStringLiteral("; ")), 2000)) + QStringLiteral(", ")
            + QuotedStr(fitted(u.newValues.join(QStringLiteral("; ")), 2000)) + QLatin1Char(')');
        if (++rows == kRowsPerStatement) {
            statements << sql;
            rows = 0;
        }
    }
    if (rows > 0)
        statements << sql;
    return statements;
}

void SyncLog::write(const Run &run, const QVector<SyncPreview::Change> &changes)
{
    // Unique also for two runs in one second: the millisecond and the login.
    const QString logId = (run.started.toString(QStringLiteral("yyyyMMddhhmmsszzz")) + run.login).left(20);
    QStringList statements{runStatement(logId, run)};
    statements << changeStatements(logId, changes);
    for (const QString &sql : std::as_const(statements))
        if (!m_session.ExecHrSql(sql))
            throw data::LumoError(QStringLiteral("写入同步记录失败"));
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
