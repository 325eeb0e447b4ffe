#include "AuditQuery.h"

#include <optional>

#include "TextRules.h"

namespace {

std::optional<QDate> dateOf(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return QDate();
    for (const QString &format : {QStringLiteral("yyyy-MM-dd"), QStringLiteral("yyyyMMdd"), QStringLiteral("yyyy-M-d")}) {
        const QDate date = QDate::fromString(trimmed, format);
        if (date.isValid())
            return date;
    }
    return std::nullopt;
}

QString dayStart(const QDate &date)
{
    return QuotedStr(date.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(" 00:00:00"));
}

} // namespace

QString AuditQuery::parse(const QString &fromText, const QString &toText, const QString &operatorText,
                          const QString &userText, const QString &kindText, AuditQuery &query)
{
    const std::optional<QDate> from = dateOf(fromText), to = dateOf(toText);
    if (!from)
        return QStringLiteral("起始日期 \"%1\" 无效, 请按 yyyy-MM-dd 输入").arg(fromText.trimmed());
    if (!to)
        return QStringLiteral("截止日期 \"%1\" 无效, 请按 yyyy-MM-dd 输入").arg(toText.trimmed());
    if (from->isValid() && to->isValid() && *from > *to)
        return QStringLiteral("起始日期不能晚于截止日期");
    query.from = *from;
    query.to = *to;
    query.operatorCode = operatorText.trimmed();
    query.user = userText.trimmed();
    query.kind = kindText.trimmed();
    return QString();
}

QString AuditQuery::sql() const
{
    QStringList where;
    if (from.isValid())
        where << QStringLiteral("AuditTime >= ") + dayStart(from);
    // Before the next day begins, so that the last day counts whole, milliseconds included.
    if (to.isValid())
        where << QStringLiteral("AuditTime < ") + dayStart(to.addDays(1));
    if (!operatorCode.isEmpty())
        where << QStringLiteral("OperatorCode = ") + QuotedStr(operatorCode);
    if (!user.isEmpty())
        where << QStringLiteral("(UserCode = ") + QuotedStr(user) + QStringLiteral(" Or UserName = ")
                + QuotedStr(user) + QLatin1Char(')');
    if (!kind.isEmpty())
        where << QStringLiteral("Kind = ") + QuotedStr(kind);
    QString sql = QStringLiteral("Select Top %1 AuditID, AuditTime, OperatorCode, MachineName, Kind, UserCode, "
                                 "UserName, Changes From TSys_UserAudit")
                      .arg(PageSize);
    if (!where.isEmpty())
        sql += QStringLiteral(" Where ") + where.join(QStringLiteral(" And "));
    // The row's number breaks ties of one time: a synchronisation stamps all its rows alike.
    return sql + QStringLiteral(" Order By AuditTime Desc, AuditID Desc");
}

QString AuditQuery::rowSql(qint64 auditId)
{
    return QStringLiteral("Select AuditID, Kind, UserCode, UserName, PassWord, Changes From TSys_UserAudit "
                          "Where AuditID = %1")
        .arg(auditId);
}
