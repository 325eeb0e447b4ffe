#include "UserPairing.h"

#include "ClientDataSet.h"
#include "TextRules.h"
#include "UGlobalFunUnt.h"

UserPairing::UserPairing(data::ClientDataSet &target, bool ignoreCase, bool ignoreTrailingBlanks)
    : m_target(target)
    , m_targetColumns(target)
    , m_ignoreCase(ignoreCase)
    , m_ignoreTrailing(ignoreTrailingBlanks)
{
}

QString UserPairing::keyOf(const QString &code) const
{
    return m_ignoreCase || m_ignoreTrailing ? UserSync::keyOf(code, m_ignoreCase, m_ignoreTrailing) : code;
}

std::optional<UserSync::Texts> UserPairing::find(const QString &code)
{
    const QString key = keyOf(code);
    if (auto w = m_written.constFind(key); w != m_written.cend())
        return *w;
    FilterDataSet(&m_target, QStringLiteral("UserCode = ") + QuotedStr(code));
    if (m_target.RecordCount() >= 1)
        return UserSync::textsOf(m_targetColumns);
    if (!m_ignoreCase && !m_ignoreTrailing)
        return std::nullopt;
    if (!m_byKeyMade) {
        m_target.SetFiltered(false);
        for (m_target.First(); !m_target.Eof(); m_target.Next()) {
            const QString k = keyOf(m_targetColumns.userCode->AsString());
            if (!m_byKey.contains(k))
                m_byKey.insert(k, UserSync::textsOf(m_targetColumns));
        }
        m_byKeyMade = true;
    }
    if (auto t = m_byKey.constFind(key); t != m_byKey.cend())
        return *t;
    return std::nullopt;
}

void UserPairing::wrote(const QString &code, const UserSync::Texts &texts)
{
    m_written.insert(keyOf(code), texts);
}
