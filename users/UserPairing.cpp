#include "UserPairing.h"

#include "ClientDataSet.h"
#include "TextRules.h"
#include "UGlobalFunUnt.h"

UserPairing::UserPairing(data::ClientDataSet &target, data::ClientDataSet &source, bool ignoreCase,
                         bool ignoreTrailingBlanks)
    : m_target(target)
    , m_targetColumns(target)
    , m_source(source)
    , m_sourceColumns(source)
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

QString UserPairing::textAt(const data::ClientDataSet &dataSet, int storedRow, const data::Field *field)
{
    // As the field reads it when the row is current.
    return field->textOfStored(dataSet.storedValue(storedRow, field->Index()));
}

QString UserPairing::codeAt(int storedRow) const
{
    return textAt(m_target, storedRow, m_targetColumns.userCode);
}

UserSync::Texts UserPairing::textsAt(const data::ClientDataSet &dataSet, const UserSync::Columns &c,
                                     int storedRow)
{
    const auto text = [&](const data::Field *field) { return textAt(dataSet, storedRow, field); };
    return {text(c.userName), text(c.spell),    text(c.fiveStrokes), text(c.orgCode),
            text(c.grade),    text(c.password), text(c.contactType)};
}

std::optional<UserSync::Texts> UserPairing::find(const QString &code)
{
    const QString key = keyOf(code);
    if (auto w = m_written.constFind(key); w != m_written.cend())
        return textsAt(m_source, m_sourceColumns, *w);
    if (auto t = m_byCode.constFind(code); t != m_byCode.cend())
        return textsAt(m_target, m_targetColumns, *t);
    if (!m_ignoreCase && !m_ignoreTrailing)
        return std::nullopt;
    if (!m_byKeyMade) {
        const int rows = m_target.StoredRowCount();
        for (int row = rows - 1; row >= 0; --row) {
            const QString stored = codeAt(row);
            const QString folded = keyOf(stored);
            if (folded != stored)
                m_byFoldedKey.insert(folded, row);
        }
        m_byKeyMade = true;
    }
    // The first row of the key: among the codes that fold to it, or the code
    // that already is it.
    int row = -1;
    if (auto t = m_byFoldedKey.constFind(key); t != m_byFoldedKey.cend())
        row = *t;
    if (auto t = m_byCode.constFind(key); t != m_byCode.cend() && (row < 0 || *t < row))
        row = *t;
    if (row < 0)
        return std::nullopt;
    return textsAt(m_target, m_targetColumns, row);
}

void UserPairing::wroteCurrent(const QString &code)
{
    m_written.insert(keyOf(code), m_source.rowOfView(m_source.currentIndex()));
}
