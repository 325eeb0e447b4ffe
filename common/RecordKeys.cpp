#include "RecordKeys.h"

#include <QDateTime>

#include "ClientDataSet.h"
#include "Field.h"
#include "LumoError.h"
#include "UGlobalFunUnt.h"
#include "UGlobalValue.h"
#include "URCMSObjValueClass.h"

namespace {

constexpr int kLastSequence = 999;
// How many full stamps in a row are stepped over before giving up; a thousand
// full milliseconds means something else is wrong.
constexpr int kMaxStampSteps = 1000;

QString stampOf(const QDateTime &moment)
{
    return moment.toString(QStringLiteral("yyyyMMddHHmmsszzz"));
}

// -1 when no key carries the stamp yet, else the sequence of the largest.
int largestSequence(data::ClientDataSet *rows)
{
    if (!rows || rows->IsEmpty())
        return -1;
    const data::Field *id = rows->FieldByName(QStringLiteral("ID"));
    if (id->IsNull() || trimBlanks(id->AsString()).isEmpty())
        return -1;
    const QString digits = id->AsString().mid(17, 3);
    bool ok = !digits.isEmpty();
    for (const QChar c : digits)
        ok = ok && c >= u'0' && c <= u'9';
    if (!ok)
        throw data::LumoError(QStringLiteral("键值 %1 的序号不是数字").arg(id->AsString()));
    return digits.toInt();
}

} // namespace

QString maxKeySql(const QString &tableName, const QString &keyField, const QString &stamp)
{
    return QStringLiteral(" Select Max(") + keyField + QStringLiteral(") as ID ")
           + QStringLiteral(" From ") + tableName + QStringLiteral(" With(RowLock) ")
           + QStringLiteral(" Where ") + keyField + QStringLiteral(" Like ")
           + QuotedStr(stamp + u'%');
}

QString nextTimeKey(const QString &tableName, const QString &keyField, const QString &filterSql,
                    const KeyQuery &query)
{
    QDateTime moment = moduleNow();
    for (int step = 0; step < kMaxStampSteps; ++step) {
        const QString stamp = stampOf(moment);
        const std::unique_ptr<data::ClientDataSet> rows =
            query(maxKeySql(tableName, keyField, stamp) + filterSql);
        const int sequence = largestSequence(rows.get());
        if (sequence < kLastSequence)
            return stamp + QStringLiteral("%1").arg(sequence < 0 ? 1 : sequence + 1, 3, 10, QChar(u'0'));
        moment = moment.addMSecs(1);
    }
    throw data::LumoError(QStringLiteral("无法为 %1 生成新的键值").arg(tableName));
}

void NewKeyValue(const QString &tableName, const QString &keyField, bool byOrg, QString &keyValue)
{
    try {
        HostSession &session = UGlobalValue::Session();
        QString filter;
        if (byOrg) {
            filter = QStringLiteral(" And  OrgCode = ") + QuotedStr(session.OrgCode);
        } else {
            QString prefix;
            GetAreaCodePrefix(QStringLiteral("yptyml"), prefix);
            filter = QStringLiteral(" And  AreaCode = ") + QuotedStr(prefix);
        }
        keyValue = nextTimeKey(tableName, keyField, filter, [&session](const QString &sql) {
            return session.OpenRcmsQuery(sql);
        });
    } catch (...) {
    }
}

QString NewKeyValue(const QString &tableName, const QString &keyField, bool byOrg)
{
    QString keyValue;
    NewKeyValue(tableName, keyField, byOrg, keyValue);
    return keyValue;
}
