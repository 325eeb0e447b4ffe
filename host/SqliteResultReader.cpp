#include "SqliteResultReader.h"

#include <QDate>
#include <QDateTime>
#include <QHashFunctions>
#include <QRegularExpression>
#include <QTime>

#include <array>
#include <limits>
#include <optional>
#include <sqlite3.h>

#include "Decimal.h"
#include "FieldType.h"
#include "SqliteStatement.h"

namespace {

// The value as SQLite stored it: qint64, double, QString, QByteArray or null.
QVariant storedValue(sqlite3_stmt *statement, int column)
{
    switch (sqlite3_column_type(statement, column)) {
    case SQLITE_INTEGER:
        return QVariant(qint64(sqlite3_column_int64(statement, column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(statement, column));
    case SQLITE_TEXT: {
        // Read as bytes: asking for text makes SQLite copy every value just to
        // add the terminating zero that fromUtf8 does not need.
        const auto *text = static_cast<const char *>(sqlite3_column_blob(statement, column));
        // An empty text comes back as no pointer; it is still a text, not NULL.
        return QVariant(QString::fromUtf8(text ? text : "", sqlite3_column_bytes(statement, column)));
    }
    case SQLITE_BLOB: {
        const auto *bytes = static_cast<const char *>(sqlite3_column_blob(statement, column));
        return QVariant(QByteArray(bytes, sqlite3_column_bytes(statement, column)));
    }
    default:
        return QVariant();
    }
}

// Texts that repeat down a column (unit codes, grades, contact types, short
// search codes) are made once and shared: a value read again is a copy of the
// one made before, which costs neither a conversion nor memory of its own.
// Each column remembers a few recent short texts; a column whose texts do not
// repeat stops looking after a while.
class RepeatedTexts
{
public:
    QVariant text(const char *bytes, int size)
    {
        if (!m_on || size > kLongest)
            return QVariant(QString::fromUtf8(bytes, size));
        const QByteArrayView view(bytes, size);
        Slot &slot = m_slots[qHash(view) % m_slots.size()];
        if (slot.filled && slot.bytes == view) {
            ++m_hits;
            return slot.value;
        }
        slot.bytes = view.toByteArray();
        slot.value = QVariant(QString::fromUtf8(bytes, size));
        slot.filled = true;
        // Looking costs a copy of the bytes on a miss: not worth it where
        // fewer than one text in four repeats.
        if (++m_misses == kTrial && m_hits < kTrial / 3)
            m_on = false;
        return slot.value;
    }

private:
    static constexpr int kLongest = 24;
    static constexpr int kTrial = 512;
    struct Slot
    {
        QByteArray bytes;
        QVariant value;
        bool filled = false;
    };
    std::array<Slot, 64> m_slots;
    int m_hits = 0;
    int m_misses = 0;
    bool m_on = true;
};

QString textOf(const QVariant &stored)
{
    switch (stored.typeId()) {
    case QMetaType::Double:
        // SQLite's own rendering of a real: 15 significant digits.
        return QString::number(stored.toDouble(), 'g', 15);
    case QMetaType::QByteArray:
        return QString::fromUtf8(stored.toByteArray());
    default:
        return stored.toString();
    }
}

std::optional<QDateTime> parseDateTime(const QString &text)
{
    QString t = text.trimmed();
    if (t.size() >= 10 && t.at(4) == QLatin1Char('/'))
        t.replace(QLatin1Char('/'), QLatin1Char('-'));
    if (t.size() == 10) {
        const QDate date = QDate::fromString(t, Qt::ISODate);
        if (date.isValid())
            return QDateTime(date, QTime(0, 0));
        return std::nullopt;
    }
    if (t.size() > 10 && t.at(10) == QLatin1Char(' '))
        t[10] = QLatin1Char('T');
    QDateTime dt = QDateTime::fromString(t, Qt::ISODateWithMs);
    if (!dt.isValid())
        dt = QDateTime::fromString(t, Qt::ISODate);
    if (dt.isValid())
        return dt;
    return std::nullopt;
}

// Converts a stored value to the packet form of a field type; nullopt when it
// does not fit.
std::optional<QVariant> convert(data::FieldType type, const QVariant &stored)
{
    using data::FieldType;
    if (stored.isNull())
        return QVariant();
    const int storage = stored.typeId();
    const bool isInt = storage == QMetaType::LongLong;
    const bool isReal = storage == QMetaType::Double;
    const bool isText = storage == QMetaType::QString;

    if (data::isTextType(type))
        return QVariant(textOf(stored));
    // A binary column keeps its bytes; anything else stored in it is taken
    // as the bytes of its text.
    if (data::isBytesType(type))
        return storage == QMetaType::QByteArray ? stored : QVariant(textOf(stored).toUtf8());
    if (data::isIntegerType(type)) {
        if (isInt)
            return stored;
        if (isReal) {
            const double d = stored.toDouble();
            if (d == double(qint64(d)) && d > -9.2e18 && d < 9.2e18)
                return QVariant(qint64(d));
            return std::nullopt;
        }
        if (isText) {
            bool ok = false;
            const qint64 v = stored.toString().trimmed().toLongLong(&ok);
            if (ok)
                return QVariant(v);
        }
        return std::nullopt;
    }
    // Decimals and money keep what SQLite kept exactly: a whole number as
    // one, a text as its digits (the dataset holds them as exact decimals).
    if (type == FieldType::BCD || type == FieldType::Currency) {
        if (isInt || isReal)
            return stored;
        if (isText && data::Decimal::parse(stored.toString()))
            return QVariant(stored.toString().trimmed());
        return std::nullopt;
    }
    if (data::isFloatType(type)) {
        if (isInt || isReal)
            return QVariant(stored.toDouble());
        if (isText) {
            bool ok = false;
            const double v = stored.toString().trimmed().toDouble(&ok);
            if (ok)
                return QVariant(v);
        }
        return std::nullopt;
    }
    switch (type) {
    case FieldType::Boolean:
        if (isInt)
            return QVariant(stored.toLongLong() != 0);
        if (isText) {
            const QString t = stored.toString().trimmed().toLower();
            if (t == QLatin1String("1") || t == QLatin1String("true"))
                return QVariant(true);
            if (t == QLatin1String("0") || t == QLatin1String("false"))
                return QVariant(false);
        }
        return std::nullopt;
    case FieldType::Date:
        if (isText) {
            if (const auto dt = parseDateTime(stored.toString()))
                return QVariant(dt->date());
        }
        return std::nullopt;
    case FieldType::DateTime:
        if (isText) {
            if (const auto dt = parseDateTime(stored.toString()))
                return QVariant(*dt);
        }
        return std::nullopt;
    case FieldType::Time:
        if (isText) {
            const QString t = stored.toString().trimmed();
            QTime time = QTime::fromString(t, Qt::ISODateWithMs);
            if (!time.isValid())
                time = QTime::fromString(t, Qt::ISODate);
            if (time.isValid())
                return QVariant(time);
        }
        return std::nullopt;
    default:
        return QVariant(textOf(stored));
    }
}

// A column without a declared type takes the type its values call for.
data::FieldType typeFromValues(const QVector<QVector<QVariant>> &rows, int column)
{
    bool anyInt = false, anyReal = false, anyOther = false;
    bool fitsInt32 = true;
    for (const auto &row : rows) {
        const QVariant &v = row.at(column);
        switch (v.typeId()) {
        case QMetaType::LongLong: {
            anyInt = true;
            const qint64 i = v.toLongLong();
            if (i < std::numeric_limits<qint32>::min() || i > std::numeric_limits<qint32>::max())
                fitsInt32 = false;
            break;
        }
        case QMetaType::Double:
            anyReal = true;
            break;
        case QMetaType::UnknownType:
            break;
        default:
            anyOther = true;
        }
    }
    if (anyOther)
        return data::FieldType::String;
    if (anyReal)
        return data::FieldType::Float;
    if (anyInt)
        return fitsInt32 ? data::FieldType::Integer : data::FieldType::Largeint;
    return data::FieldType::String;
}

int declaredSize(const QString &declaration)
{
    static const QRegularExpression size(QStringLiteral("\\(\\s*(\\d+)"));
    const auto match = size.match(declaration);
    return match.hasMatch() ? match.captured(1).toInt() : 0;
}

bool allConvert(data::FieldType type, const QVector<QVector<QVariant>> &rows, int column)
{
    for (const auto &row : rows) {
        if (!convert(type, row.at(column)))
            return false;
    }
    return true;
}

QString declaredType(sqlite3_stmt *statement, int column)
{
    const char *declared = sqlite3_column_decltype(statement, column);
    return declared ? QString::fromUtf8(declared) : QString();
}

} // namespace

data::DataPacket readDataPacket(SqliteStatement &statement)
{
    sqlite3_stmt *raw = statement.handle();
    const int columns = sqlite3_column_count(raw);
    data::DataPacket packet;
    packet.fields.resize(columns);
    QVector<QString> declarations(columns);
    // A declared text column takes every value as it is read (any value has a
    // text); the other columns need all their values before their type is known.
    std::vector<bool> declaredText(columns);
    std::vector<int> longest(columns, 0);
    for (int c = 0; c < columns; ++c) {
        packet.fields[c].name = QString::fromUtf8(sqlite3_column_name(raw, c));
        declarations[c] = declaredType(raw, c);
        declaredText[c] = !declarations[c].trimmed().isEmpty()
            && data::isTextType(data::fieldTypeFromDeclaration(declarations[c]));
    }
    std::vector<RepeatedTexts> repeated(columns);
    while (statement.step()) {
        QVector<QVariant> row;
        row.reserve(columns);
        for (int c = 0; c < columns; ++c) {
            QVariant value;
            if (declaredText[c] && sqlite3_column_type(raw, c) == SQLITE_TEXT) {
                const auto *text = static_cast<const char *>(sqlite3_column_blob(raw, c));
                value = repeated[c].text(text ? text : "", sqlite3_column_bytes(raw, c));
            } else {
                value = storedValue(raw, c);
            }
            if (declaredText[c] && !value.isNull()) {
                if (value.typeId() != QMetaType::QString)
                    value = QVariant(textOf(value));
                longest[c] = qMax(longest[c], int(static_cast<const QString *>(value.constData())->size()));
            }
            row.push_back(std::move(value));
        }
        packet.rows.push_back(std::move(row));
    }

    for (int c = 0; c < columns; ++c) {
        data::FieldDef &field = packet.fields[c];
        const QString &declaration = declarations[c];
        if (declaredText[c]) {
            field.type = data::fieldTypeFromDeclaration(declaration);
            field.size = qMax(declaredSize(declaration), longest[c]);
            continue;
        }
        data::FieldType type = declaration.trimmed().isEmpty() ? typeFromValues(packet.rows, c)
                                                               : data::fieldTypeFromDeclaration(declaration);
        if (!allConvert(type, packet.rows, c)) {
            type = (data::isIntegerType(type) && allConvert(data::FieldType::Float, packet.rows, c))
                ? data::FieldType::Float
                : data::FieldType::String;
        }
        field.type = type;
        int longestText = 0;
        for (auto &row : packet.rows) {
            row[c] = *convert(type, row.at(c));
            if (data::isTextType(type))
                longestText = qMax(longestText, int(row.at(c).toString().size()));
        }
        if (data::isTextType(type))
            field.size = qMax(declaredSize(declaration), longestText);
    }
    return packet;
}

QVariant readFirstValue(SqliteStatement &statement)
{
    if (!statement.step())
        return QVariant(QString());
    sqlite3_stmt *raw = statement.handle();
    const QVariant stored = storedValue(raw, 0);
    const QString declaration = declaredType(raw, 0);
    if (!declaration.trimmed().isEmpty()) {
        if (const auto typed = convert(data::fieldTypeFromDeclaration(declaration), stored))
            return *typed;
    }
    if (stored.typeId() == QMetaType::QByteArray)
        return QVariant(textOf(stored));
    return stored;
}
