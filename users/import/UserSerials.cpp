#include "UserSerials.h"

#include "ClientDataSet.h"
#include "TextRules.h"
#include "UGlobalFunUnt.h"
#include "UGlobalValue.h"
#include "URCMSObjValueClass.h"

UserSerials::UserSerials(const QString &areaPart, const QStringList &codesInUse)
{
    for (const QString &code : codesInUse) {
        if (code.size() != areaPart.size() + 2 || !code.startsWith(areaPart))
            continue;
        bool ok = false;
        const int serial = code.mid(areaPart.size()).toInt(&ok);
        // Only two plain digits make a serial ("+1" or " 1" do not).
        if (ok && code.at(code.size() - 2).isDigit() && code.back().isDigit() && serial >= kFirst)
            m_used.set(serial);
    }
}

UserSerials UserSerials::read(const QString &areaPart)
{
    // The constructor keeps exactly the codes of the area part and two
    // digits, whatever a wildcard matched.
    auto codes = UGlobalValue::Session().OpenHrQuery(codesInUseSql(areaPart));
    QStringList inUse;
    data::Field *field = codes->FieldByName(QStringLiteral("UserCode"));
    for (codes->First(); !codes->Eof(); codes->Next())
        inUse << field->AsString();
    return UserSerials(areaPart, inUse);
}

int UserSerials::freeCount() const
{
    return kLast - kFirst + 1 - int(m_used.count());
}

bool UserSerials::isFree(int serial) const
{
    return serial >= kFirst && serial <= kLast && !m_used.test(serial);
}

void UserSerials::take(int serial)
{
    if (serial >= kFirst && serial <= kLast)
        m_used.set(serial);
}

QString UserSerials::next(const QString &after) const
{
    bool ok = false;
    int start = after.toInt(&ok);
    if (!ok || start < kFirst || start > kLast)
        start = 0;
    for (int step = 1; step <= kLast; ++step) {
        const int serial = (start + step - 1) % kLast + 1;
        if (isFree(serial))
            return QStringLiteral("%1").arg(serial, 2, 10, QLatin1Char('0'));
    }
    return QString();
}

QString UserSerials::areaPart(const QString &staAreaCode)
{
    return staAreaCode.leftJustified(11, QLatin1Char('0'), false);
}

QString UserSerials::codesInUseSql(const QString &areaPart)
{
    return QStringLiteral("Select UserCode From P_User Where UserCode Like ") + QuotedStr(areaPart + QLatin1Char('%'));
}
