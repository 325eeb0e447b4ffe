#include "UserReferences.h"

#include <QHash>

#include "BusinessTables.h"
#include "LumoError.h"
#include "TextRules.h"
#include "URCMSObjValueClass.h"
#include "UserDeletion.h"

QString BuildUserReferencesSql(const QString &userCode)
{
    const QString pattern = QuotedStr(userCode + QLatin1Char('%'));
    QString sql;
    sql.reserve(int(kBusinessTableCount) * 140);
    for (const BusinessTable &table : kBusinessTables) {
        if (!sql.isEmpty())
            sql += QStringLiteral(" Union All ");
        const QString name = QString::fromLatin1(table.name);
        // One record counts once even when both of its user columns match.
        sql += QStringLiteral("Select '") + name + QStringLiteral("' As TableName, Count(*) As RecordCount From ")
            + name + QStringLiteral(" Where ") + UserDeletion::enteredByCondition(table, pattern, QStringLiteral(" "));
    }
    return sql;
}

QVector<UserReference> CountUserReferences(HostSession &session, const QString &userCode)
{
    const data::DataPacket packet = session.OpenHrData(BuildUserReferencesSql(userCode));
    if (packet.rows.size() != int(kBusinessTableCount))
        throw data::LumoError(QStringLiteral("数据引用统计返回 %1 行, 应为 %2 行")
                                  .arg(packet.rows.size())
                                  .arg(kBusinessTableCount));
    // Read by name: a server need not return the branches of a union in order.
    QHash<QString, qint64> counts;
    for (const QVector<QVariant> &row : packet.rows)
        counts.insert(row.value(0).toString().trimmed().toUpper(), row.value(1).toLongLong());
    QVector<UserReference> found;
    for (const BusinessTable &table : kBusinessTables) {
        const QString name = QString::fromLatin1(table.name);
        const qint64 count = counts.value(name.toUpper());
        if (count > 0)
            found.append({name, QString::fromUtf8(table.caption), count});
    }
    return found;
}
