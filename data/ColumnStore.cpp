#include "ColumnStore.h"

#include <QDate>
#include <QDateTime>
#include <QStringDecoder>
#include <QTime>

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>

namespace data {

namespace {

constexpr qint64 kMsecsPerDay = 86400000;
// Texts longer than this are rarely repeated codes; they are not looked for.
constexpr qsizetype kLongestShared = 24;
// After this many texts not found among the recent ones, a column that found
// fewer than a third stops looking: the look costs more than it saves.
constexpr int kSharingTrial = 512;

std::uint64_t span(std::size_t offset, qsizetype length)
{
    return (std::uint64_t(offset) << 32) | std::uint64_t(length);
}

std::size_t spanOffset(std::uint64_t word)
{
    return std::size_t(word >> 32);
}

qsizetype spanLength(std::uint64_t word)
{
    return qsizetype(word & 0xffffffffu);
}

bool fitsSpan(std::size_t used, qsizetype length)
{
    return used + std::size_t(length) <= std::numeric_limits<std::uint32_t>::max();
}

// Where a short text is looked for among the recent ones: any spread will do,
// the texts are compared whole; cheaper than a full hash of every character.
std::size_t recentSlot(QStringView text)
{
    const qsizetype n = text.size();
    if (n == 0)
        return 0;
    return std::size_t(n) * 31 + text[0].unicode() * 7 + text[n / 2].unicode() * 3 + text[n - 1].unicode()
        + (n > 3 ? text[n - 2].unicode() * 5 : 0);
}

// A local date and time as its day and time of day, and back: no time zone is
// looked up either way, only when the QDateTime is used.
std::uint64_t localDateTimeWord(QDate date, QTime time)
{
    return std::uint64_t(date.toJulianDay() * kMsecsPerDay + time.msecsSinceStartOfDay());
}

QDateTime localDateTimeOf(std::uint64_t word)
{
    const qint64 msecs = qint64(word);
    const qint64 day = msecs / kMsecsPerDay - (msecs % kMsecsPerDay < 0 ? 1 : 0);
    return QDateTime(QDate::fromJulianDay(day), QTime::fromMSecsSinceStartOfDay(int(msecs - day * kMsecsPerDay)));
}

bool compactKind(int type)
{
    switch (type) {
    case QMetaType::QString:
    case QMetaType::LongLong:
    case QMetaType::Double:
    case QMetaType::Bool:
    case QMetaType::QDate:
    case QMetaType::QDateTime:
    case QMetaType::QTime:
    case QMetaType::QByteArray:
        return true;
    default:
        return false;
    }
}

} // namespace

void ColumnStore::reset(int columns, Texts texts)
{
    m_columns.clear();
    m_columns.resize(std::size_t(columns));
    for (Column &c : m_columns)
        c.shared = texts == Texts::Shared;
    m_texts = texts;
    m_rows = 0;
}

std::uint64_t ColumnStore::storedText(Column &c, QStringView text)
{
    const std::size_t offset = c.chars.size();
    c.chars.insert(c.chars.end(), text.utf16(), text.utf16() + text.size());
    return keptOrShared(c, offset);
}

// The characters from offset to the end are a new text: kept there, or given
// back when the same text was stored a moment ago.
std::uint64_t ColumnStore::keptOrShared(Column &c, std::size_t offset)
{
    const qsizetype length = qsizetype(c.chars.size() - offset);
    const std::uint64_t word = span(offset, length);
    if (!c.sharing || length > kLongestShared)
        return word;
    const QStringView text(c.chars.data() + offset, length);
    const std::size_t slot = recentSlot(text) % c.recent.size();
    if (c.recentSet[slot]) {
        const std::uint64_t recent = c.recent[slot];
        // An empty text may have no characters behind it at all (a null
        // pointer), which memcmp must not be given even for no bytes.
        if (spanLength(recent) == length
            && (length == 0
                || std::memcmp(c.chars.data() + spanOffset(recent), text.utf16(), std::size_t(length) * 2) == 0)) {
            ++c.hits;
            c.chars.resize(offset);
            return recent;
        }
    }
    c.recent[slot] = word;
    c.recentSet[slot] = true;
    if (++c.misses == kSharingTrial && c.hits < kSharingTrial / 3)
        c.sharing = false;
    return word;
}

void ColumnStore::clearCell(Column &c, int row)
{
    if (c.states[row] == State::Aside)
        c.aside.remove(row);
    c.words[row] = 0;
    c.states[row] = State::Null;
}

bool ColumnStore::takesCompactly(Column &c, int type)
{
    if (c.kind == 0 && compactKind(type))
        c.kind = type;
    return c.kind == type;
}

void ColumnStore::put(Column &c, int row, const QVariant &value)
{
    clearCell(c, row);
    if (!value.isValid())
        return;
    const int type = value.typeId();
    std::uint64_t word = 0;
    // A null QString is a value of its own kind: a shared column keeps it as it
    // is; a packed one puts it aside.
    bool compact = takesCompactly(c, type) && (type == QMetaType::QString || !value.isNull());
    if (compact) {
        switch (type) {
        case QMetaType::QString: {
            const QString &s = *static_cast<const QString *>(value.constData());
            compact = c.shared || (!s.isNull() && fitsSpan(c.chars.size(), s.size()));
            if (compact && c.shared) {
                word = c.strings.size();
                c.strings.push_back(s);
            } else if (compact) {
                word = storedText(c, s);
            }
            break;
        }
        case QMetaType::LongLong:
            word = std::uint64_t(*static_cast<const qint64 *>(value.constData()));
            break;
        case QMetaType::Double:
            std::memcpy(&word, value.constData(), sizeof word);
            break;
        case QMetaType::Bool:
            word = *static_cast<const bool *>(value.constData()) ? 1 : 0;
            break;
        case QMetaType::QDate: {
            const QDate &d = *static_cast<const QDate *>(value.constData());
            compact = d.isValid();
            word = std::uint64_t(d.toJulianDay());
            break;
        }
        case QMetaType::QDateTime: {
            // A local date and time kept as its day and time of day: no time
            // zone is looked up to store it, only when it is read.
            const QDateTime &dt = *static_cast<const QDateTime *>(value.constData());
            compact = dt.isValid() && dt.timeSpec() == Qt::LocalTime;
            if (compact)
                word = localDateTimeWord(dt.date(), dt.time());
            break;
        }
        case QMetaType::QTime: {
            const QTime &t = *static_cast<const QTime *>(value.constData());
            compact = t.isValid();
            word = std::uint64_t(t.msecsSinceStartOfDay());
            break;
        }
        case QMetaType::QByteArray: {
            const QByteArray &b = *static_cast<const QByteArray *>(value.constData());
            compact = !b.isNull() && fitsSpan(c.bytes.size(), b.size());
            if (compact) {
                word = span(c.bytes.size(), b.size());
                c.bytes.insert(c.bytes.end(), b.cbegin(), b.cend());
            }
            break;
        }
        default:
            compact = false;
        }
    }
    if (compact) {
        c.words[row] = word;
        c.states[row] = State::Compact;
    } else {
        c.aside.insert(row, value);
        c.states[row] = State::Aside;
    }
}

QVariant ColumnStore::read(const Column &c, int row)
{
    switch (c.states[row]) {
    case State::Null:
        return QVariant();
    case State::Aside:
        return c.aside.value(row);
    case State::Compact:
        break;
    }
    const std::uint64_t word = c.words[row];
    switch (c.kind) {
    case QMetaType::QString:
        if (c.shared)
            return QVariant(c.strings[word]);
        return QVariant(QString(reinterpret_cast<const QChar *>(c.chars.data() + spanOffset(word)), spanLength(word)));
    case QMetaType::LongLong:
        return QVariant(qint64(word));
    case QMetaType::Double:
    {
        double d = 0;
        std::memcpy(&d, &word, sizeof d);
        return QVariant(d);
    }
    case QMetaType::Bool:
        return QVariant(word != 0);
    case QMetaType::QDate:
        return QVariant(QDate::fromJulianDay(qint64(word)));
    case QMetaType::QDateTime:
        return QVariant(localDateTimeOf(word));
    case QMetaType::QTime:
        return QVariant(QTime::fromMSecsSinceStartOfDay(int(word)));
    case QMetaType::QByteArray:
        return QVariant(QByteArray(c.bytes.data() + spanOffset(word), spanLength(word)));
    default:
        return QVariant();
    }
}

QVariant ColumnStore::value(int row, int column) const
{
    return read(m_columns[std::size_t(column)], row);
}

QStringView ColumnStore::text(int row, int column) const
{
    const Column &c = m_columns[std::size_t(column)];
    if (c.states[row] == State::Compact && c.kind == QMetaType::QString) {
        const std::uint64_t word = c.words[row];
        if (c.shared)
            return c.strings[word];
        if (spanLength(word) == 0)
            return QStringView(u"");
        return QStringView(c.chars.data() + spanOffset(word), spanLength(word));
    }
    if (c.states[row] == State::Aside) {
        const auto it = c.aside.constFind(row);
        if (it->typeId() == QMetaType::QString)
            return *static_cast<const QString *>(it->constData());
    }
    return QStringView();
}

QVector<QVariant> ColumnStore::row(int row) const
{
    QVector<QVariant> values;
    values.reserve(columnCount());
    for (const Column &c : m_columns)
        values.append(read(c, row));
    return values;
}

void ColumnStore::appendRow(const QVector<QVariant> &values)
{
    const int row = appendNullRow();
    const qsizetype given = qMin(values.size(), qsizetype(m_columns.size()));
    for (qsizetype i = 0; i < given; ++i)
        put(m_columns[std::size_t(i)], row, values[i]);
}

int ColumnStore::appendNullRow()
{
    for (Column &c : m_columns) {
        c.words.push_back(0);
        c.states.push_back(State::Null);
    }
    return m_rows++;
}

void ColumnStore::set(int row, int column, const QVariant &value)
{
    put(m_columns[std::size_t(column)], row, value);
}

qsizetype ColumnStore::setUtf8(int row, int column, const char *utf8, qsizetype size)
{
    Column &c = m_columns[std::size_t(column)];
    clearCell(c, row);
    if (c.shared || !takesCompactly(c, QMetaType::QString) || !fitsSpan(c.chars.size(), size)) {
        const QString text = QString::fromUtf8(utf8, size);
        put(c, row, QVariant(text));
        return text.size();
    }
    // Decoded onto the end of the column's characters. Growing the column by
    // a range costs less than growing it by a size and writing into it.
    const std::size_t offset = c.chars.size();
    bool ascii = true;
    for (qsizetype i = 0; ascii && i < size; ++i)
        ascii = static_cast<unsigned char>(utf8[i]) < 0x80;
    if (ascii) {
        c.chars.insert(c.chars.end(), utf8, utf8 + size);
    } else {
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        if (m_decoded.size() < std::size_t(decoder.requiredSpace(size)))
            m_decoded.resize(std::size_t(decoder.requiredSpace(size)));
        const QChar *end = decoder.appendToBuffer(reinterpret_cast<QChar *>(m_decoded.data()), QByteArrayView(utf8, size));
        const auto *first = static_cast<const char16_t *>(m_decoded.data());
        c.chars.insert(c.chars.end(), first, reinterpret_cast<const char16_t *>(end));
    }
    const qsizetype length = qsizetype(c.chars.size() - offset);
    c.words[row] = keptOrShared(c, offset);
    c.states[row] = State::Compact;
    return length;
}

qsizetype ColumnStore::setUtf16(int row, int column, const char16_t *utf16, qsizetype size)
{
    Column &c = m_columns[std::size_t(column)];
    clearCell(c, row);
    const QStringView text(utf16, size);
    if (c.shared || !takesCompactly(c, QMetaType::QString) || !fitsSpan(c.chars.size(), size)) {
        put(c, row, QVariant(text.toString()));
        return size;
    }
    c.words[row] = storedText(c, text);
    c.states[row] = State::Compact;
    return size;
}

void ColumnStore::setLocalDateTime(int row, int column, QDate date, QTime time)
{
    Column &c = m_columns[std::size_t(column)];
    clearCell(c, row);
    if (!date.isValid() || !time.isValid() || !takesCompactly(c, QMetaType::QDateTime)) {
        put(c, row, QVariant(QDateTime(date, time)));
        return;
    }
    c.words[row] = localDateTimeWord(date, time);
    c.states[row] = State::Compact;
}

QVector<QVariant> ColumnStore::columnValues(int column) const
{
    const Column &c = m_columns[std::size_t(column)];
    QVector<QVariant> values;
    values.reserve(m_rows);
    for (int row = 0; row < m_rows; ++row)
        values.append(read(c, row));
    return values;
}

QVector<QVariant> ColumnStore::takeColumn(int column)
{
    QVector<QVariant> values = columnValues(column);
    Column &c = m_columns[std::size_t(column)];
    c = Column();
    c.shared = m_texts == Texts::Shared;
    c.words.assign(std::size_t(m_rows), 0);
    c.states.assign(std::size_t(m_rows), State::Null);
    return values;
}

void ColumnStore::setRow(int row, const QVector<QVariant> &values)
{
    for (std::size_t i = 0; i < m_columns.size(); ++i)
        put(m_columns[i], row, qsizetype(i) < values.size() ? values[qsizetype(i)] : QVariant());
}

void ColumnStore::removeRow(int row)
{
    for (Column &c : m_columns) {
        c.words.erase(c.words.begin() + row);
        c.states.erase(c.states.begin() + row);
        if (c.aside.isEmpty())
            continue;
        QHash<int, QVariant> shifted;
        for (auto it = c.aside.cbegin(); it != c.aside.cend(); ++it) {
            if (it.key() != row)
                shifted.insert(it.key() > row ? it.key() - 1 : it.key(), it.value());
        }
        c.aside = std::move(shifted);
    }
    --m_rows;
}

void ColumnStore::reserve(int rows)
{
    for (Column &c : m_columns) {
        c.words.reserve(std::size_t(m_rows + rows));
        c.states.reserve(std::size_t(m_rows + rows));
        if (c.shared)
            c.strings.reserve(std::size_t(m_rows + rows));
    }
}

void ColumnStore::squeeze()
{
    for (Column &c : m_columns) {
        c.words.shrink_to_fit();
        c.states.shrink_to_fit();
        c.chars.shrink_to_fit();
        if (c.strings.capacity() > c.strings.size() + c.strings.size() / 8)
            c.strings.shrink_to_fit();
        c.bytes.shrink_to_fit();
    }
}

DataPacket dataPacketOf(ColumnPacket &&packet)
{
    return DataPacket{std::move(packet.fields), PacketRows(std::make_unique<ColumnStore>(std::move(packet.rows)))};
}

} // namespace data
