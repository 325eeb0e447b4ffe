#include "CodeRowIndex.h"

#include "ClientDataSet.h"
#include "Field.h"
#include "TextRules.h"

namespace {

constexpr int kSeenBits = 20;

size_t capacityFor(size_t keys)
{
    size_t capacity = 16;
    while (capacity < keys * 2)
        capacity *= 2;
    return capacity;
}

} // namespace

CodeRowIndex::CodeRowIndex(const data::ClientDataSet &dataSet, const data::Field *field, bool ignoreCase,
                           bool ignoreTrailingBlanks)
    : m_dataSet(dataSet), m_field(field), m_ignoreCase(ignoreCase), m_ignoreTrailing(ignoreTrailingBlanks)
{
    m_slots.resize(capacityFor(0));
    m_seen.resize((size_t(1) << kSeenBits) / 64);
}

QStringView CodeRowIndex::textIn(const data::ClientDataSet &dataSet, int row, const data::Field *field,
                                 QString &held)
{
    const QStringView text = dataSet.storedText(row, field->Index());
    if (!text.isNull())
        return text;
    held = field->textOfStored(dataSet.storedValue(row, field->Index()));
    return held;
}

QStringView CodeRowIndex::codeAt(int row) const
{
    const QStringView text = m_dataSet.storedText(row, m_field->Index());
    if (!text.isNull())
        return text;
    // Made once, so that a view handed out earlier stays valid; a QString's
    // characters stay where they are when the map moves it.
    auto held = m_held.find(row);
    if (held == m_held.end())
        held = m_held.emplace(row, m_field->textOfStored(m_dataSet.storedValue(row, m_field->Index()))).first;
    return held->second;
}

QStringView CodeRowIndex::keyText(QStringView text) const
{
    if (m_ignoreTrailing) {
        // SQL Server pads the shorter text with blanks before comparing.
        qsizetype end = text.size();
        while (end > 0 && text[end - 1] == u' ')
            --end;
        text.truncate(end);
    }
    return text;
}

quint32 CodeRowIndex::hashOf(QStringView key) const
{
    // FNV-1a over the characters as the key compares them.
    quint64 hash = 14695981039346656037ull;
    for (const QChar c : keyText(key)) {
        hash ^= m_ignoreCase ? asciiUpper(c.unicode()) : c.unicode();
        hash *= 1099511628211ull;
    }
    return quint32(hash ^ (hash >> 32));
}

bool CodeRowIndex::sameKey(QStringView a, QStringView b) const
{
    a = keyText(a);
    b = keyText(b);
    if (a.size() != b.size())
        return false;
    if (!m_ignoreCase)
        return a == b;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (asciiUpper(a[i].unicode()) != asciiUpper(b[i].unicode()))
            return false;
    return true;
}

size_t CodeRowIndex::slotOf(QStringView key, quint32 hash) const
{
    const size_t mask = m_slots.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        const Slot &slot = m_slots[i];
        if (slot.row < 0)
            return i;
        if (slot.hash == hash) {
            if (sameKey(codeAt(slot.row), key))
                return i;
        }
    }
}

void CodeRowIndex::reserve(size_t keys)
{
    if (capacityFor(keys) <= m_slots.size())
        return;
    std::vector<Slot> old(capacityFor(keys));
    old.swap(m_slots);
    const size_t mask = m_slots.size() - 1;
    for (const Slot &slot : old) {
        if (slot.row < 0)
            continue;
        size_t i = slot.hash & mask;
        while (m_slots[i].row >= 0)
            i = (i + 1) & mask;
        m_slots[i] = slot;
    }
}

void CodeRowIndex::addAllRows()
{
    const int rows = m_dataSet.StoredRowCount();
    reserve(m_used + size_t(rows));
    for (int row = 0; row < rows; ++row) {
        const QStringView code = codeAt(row);
        const quint32 hash = hashOf(code);
        Slot &slot = m_slots[slotOf(code, hash)];
        if (slot.row >= 0)
            continue;  // the key's first row stays
        slot = {hash, row};
        ++m_used;
        markSeen(hash);
    }
}

void CodeRowIndex::put(int row)
{
    reserve(m_used + 1);
    const QStringView code = codeAt(row);
    const quint32 hash = hashOf(code);
    Slot &slot = m_slots[slotOf(code, hash)];
    if (slot.row < 0)
        ++m_used;
    slot = {hash, row};
    markSeen(hash);
}

void CodeRowIndex::markSeen(quint32 hash)
{
    const quint32 bit = hash >> (32 - kSeenBits);
    m_seen[bit / 64] |= quint64(1) << (bit % 64);
}

int CodeRowIndex::find(QStringView key) const
{
    const quint32 hash = hashOf(key);
    const quint32 bit = hash >> (32 - kSeenBits);
    if (!(m_seen[bit / 64] & (quint64(1) << (bit % 64))))
        return -1;
    return m_slots[slotOf(key, hash)].row;
}
