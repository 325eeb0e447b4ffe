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
    const int rows = m_target.StoredRowCount();
    m_byCode.reserve(rows);
    // From the last row to the first, so that each code keeps its first row.
    for (int row = rows - 1; row >= 0; --row)
        m_byCode.insert(codeAt(row), row);
}

QString UserPairing::keyOf(const QString &code) const
{
    return m_ignoreCase || m_ignoreTrailing ? UserSync::keyOf(code, m_ignoreCase, m_ignoreTrailing) : code;
}

QString UserPairing::textAt(int storedRow, const data::Field *field) const
{
    const QVariant &value = m_target.storedValue(storedRow, field->Index());
    // A stored text is its own text, as the field reads it; the field's
    // conversion is for the other types.
    if (value.typeId() == QMetaType::QString)
        return *static_cast<const QString *>(value.constData());
    return field->textOf(value);
}

QString UserPairing::codeAt(int storedRow) const
{
    return textAt(storedRow, m_targetColumns.userCode);
}

UserSync::Texts UserPairing::textsAt(int storedRow) const
{
    const auto text = [&](const data::Field *field) { return textAt(storedRow, field); };
    const UserSync::Columns &c = m_targetColumns;
    return {text(c.userName), text(c.spell),    text(c.fiveStrokes), text(c.orgCode),
            text(c.grade),    text(c.password), text(c.contactType)};
}

std::optional<UserSync::Texts> UserPairing::find(const QString &code)
{
    const QString key = keyOf(code);
    if (auto w = m_written.constFind(key); w != m_written.cend())
        return *w;
    if (auto t = m_byCode.constFind(code); t != m_byCode.cend())
        return textsAt(*t);
    if (!m_ignoreCase && !m_ignoreTrailing)
        return std::nullopt;
    if (!m_byKeyMade) {
        const int rows = m_target.StoredRowCount();
        m_byKey.reserve(rows);
        for (int row = rows - 1; row >= 0; --row)
            m_byKey.insert(keyOf(codeAt(row)), row);
        m_byKeyMade = true;
    }
    if (auto t = m_byKey.constFind(key); t != m_byKey.cend())
        return textsAt(*t);
    return std::nullopt;
}

void UserPairing::wrote(const QString &code, const UserSync::Texts &texts)
{
    m_written.insert(keyOf(code), texts);
}
