#include "UserPairing.h"

#include "ClientDataSet.h"
#include "TextRules.h"

#include <algorithm>

UserPairing::UserPairing(data::ClientDataSet &target, data::ClientDataSet &source, bool ignoreCase,
                         bool ignoreTrailingBlanks)
    : m_target(target)
    , m_targetColumns(target)
    , m_source(source)
    , m_sourceColumns(source)
    , m_ignoreCase(ignoreCase)
    , m_ignoreTrailing(ignoreTrailingBlanks)
    , m_folding(ignoreCase || ignoreTrailingBlanks)
    , m_byCode(target, m_targetColumns.userCode, false, false)
    , m_byKey(target, m_targetColumns.userCode, ignoreCase, ignoreTrailingBlanks)
    , m_written(source, m_sourceColumns.userCode, ignoreCase, ignoreTrailingBlanks)
{
    m_byCode.addAllRows();
    // Codes are mostly digits: when every health-record code is already its
    // own key, a key is found among the exact codes and no index of keys is
    // needed.
    if (m_folding) {
        for (int row = 0, rows = target.StoredRowCount(); row < rows && m_targetCodesAreKeys; ++row) {
            QString held;
            m_targetCodesAreKeys = isOwnKey(CodeRowIndex::textIn(target, row, m_targetColumns.userCode, held));
        }
    }
}

bool UserPairing::isOwnKey(QStringView code) const
{
    if (m_ignoreTrailing && code.endsWith(u' '))
        return false;
    return !m_ignoreCase
        || std::none_of(code.begin(), code.end(), [](QChar c) { return asciiUpper(c.unicode()) != c.unicode(); });
}

QString UserPairing::keyOf(const QString &code) const
{
    // ASCII folding only: a pair that only a server's wider folding joins
    // meets its key and fails the run, naming the user, rather than updating
    // nothing in silence.
    return m_folding ? codeAsCompared(code, m_ignoreCase, m_ignoreTrailing) : code;
}

UserSync::Texts UserPairing::textsAt(const data::ClientDataSet &dataSet, const UserSync::Columns &c, int storedRow)
{
    const auto text = [&](const data::Field *field) {
        QString held;
        const QStringView view = CodeRowIndex::textIn(dataSet, storedRow, field, held);
        return held.isNull() ? view.toString() : held;
    };
    return {text(c.userName), text(c.spell),    text(c.fiveStrokes), text(c.orgCode),
            text(c.grade),    text(c.password), text(c.contactType)};
}

std::optional<UserPairing::Paired> UserPairing::findRow(QStringView code) const
{
    if (const int row = m_written.find(code); row >= 0)
        return Paired{&m_source, &m_sourceColumns, row};
    if (const int row = m_byCode.find(code); row >= 0)
        return Paired{&m_target, &m_targetColumns, row};
    if (!m_folding)
        return std::nullopt;
    if (m_targetCodesAreKeys) {
        if (isOwnKey(code))
            return std::nullopt;  // looked for above
        if (const int row = m_byCode.find(keyOf(code.toString())); row >= 0)
            return Paired{&m_target, &m_targetColumns, row};
        return std::nullopt;
    }
    if (!m_byKeyMade) {
        m_byKey.addAllRows();
        m_byKeyMade = true;
    }
    if (const int row = m_byKey.find(code); row >= 0)
        return Paired{&m_target, &m_targetColumns, row};
    return std::nullopt;
}

bool UserPairing::sameTexts(int sourceRow, const Paired &paired) const
{
    const UserSync::Columns &s = m_sourceColumns, &t = *paired.columns;
    const std::pair<const data::Field *, const data::Field *> compared[] = {
        {s.userName, t.userName}, {s.spell, t.spell}, {s.fiveStrokes, t.fiveStrokes}, {s.orgCode, t.orgCode},
        {s.grade, t.grade},       {s.password, t.password}, {s.contactType, t.contactType}};
    for (const auto &[sourceField, pairedField] : compared) {
        QString heldSource, heldPaired;
        if (CodeRowIndex::textIn(m_source, sourceRow, sourceField, heldSource)
            != CodeRowIndex::textIn(*paired.dataSet, paired.row, pairedField, heldPaired))
            return false;
    }
    return true;
}

void UserPairing::wroteCurrent()
{
    m_written.put(m_source.rowOfView(m_source.currentIndex()));
}
