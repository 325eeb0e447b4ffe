#include "SqliteResultReader.h"

#include <QDate>
#include <QDateTime>
#include <QRegularExpression>
#include <QTime>

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
data::FieldType typeFromValues(const QVector<QVariant> &values)
{
    bool anyInt = false, anyReal = false, anyOther = false;
    bool fitsInt32 = true;
    for (const QVariant &v : values) {
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

// "yyyy-MM-dd hh:mm[:ss[.zzz]]" (or with '/' and 'T'), the form databases
// write: read without making a QDateTime, which would look up the time zone.
std::optional<std::pair<QDate, QTime>> plainLocalDateTime(QStringView text)
{
    const auto digits = [text](qsizetype from, qsizetype count) {
        int n = 0;
        for (qsizetype i = from; i < from + count; ++i) {
            const char16_t c = text[i].unicode();
            if (c < u'0' || c > u'9')
                return -1;
            n = n * 10 + (c - u'0');
        }
        return n;
    };
    const qsizetype size = text.size();
    if (size != 16 && size != 19 && size != 23)
        return std::nullopt;
    const QChar dateMark = text[4];
    if ((dateMark != u'-' && dateMark != u'/') || text[7] != dateMark || (text[10] != u' ' && text[10] != u'T')
        || text[13] != u':' || (size > 16 && text[16] != u':') || (size == 23 && text[19] != u'.'))
        return std::nullopt;
    const int year = digits(0, 4), month = digits(5, 2), day = digits(8, 2), hour = digits(11, 2),
              minute = digits(14, 2), second = size > 16 ? digits(17, 2) : 0, msec = size == 23 ? digits(20, 3) : 0;
    if (year < 0 || month < 0 || day < 0 || hour < 0 || minute < 0 || second < 0 || msec < 0)
        return std::nullopt;
    const QDate date(year, month, day);
    const QTime time(hour, minute, second, msec);
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    return std::make_pair(date, time);
}

// Stores a column's values in the form of its type; false, and the column as
// it was, when one of them does not fit.
// Whether a column that holds only values of kind already is in the form of
// type, as convert would leave every value of it.
bool storedAsIs(data::FieldType type, int kind)
{
    if (data::isTextType(type))
        return kind == QMetaType::QString;
    if (data::isIntegerType(type))
        return kind == QMetaType::LongLong;
    if (type == data::FieldType::Float)
        return kind == QMetaType::Double;
    if (data::isBytesType(type))
        return kind == QMetaType::QByteArray;
    return false;
}

bool inStoredForm(const data::ColumnStore &rows, data::FieldType type, int column)
{
    return rows.uniform(column) && (rows.kindOf(column) == 0 || storedAsIs(type, rows.kindOf(column)));
}

bool storeAs(data::FieldType type, data::ColumnStore &rows, int column)
{
    if (inStoredForm(rows, type, column))
        return true;
    const QVector<QVariant> values = rows.takeColumn(column);
    const int count = int(values.size());
    for (int row = 0; row < count; ++row) {
        const QVariant &v = values[row];
        if (type == data::FieldType::DateTime && v.typeId() == QMetaType::QString) {
            if (const auto plain = plainLocalDateTime(static_cast<const QString *>(v.constData())->trimmed())) {
                rows.setLocalDateTime(row, column, plain->first, plain->second);
                continue;
            }
        }
        if (const auto converted = convert(type, v)) {
            rows.set(row, column, *converted);
            continue;
        }
        for (int r = 0; r < count; ++r)
            rows.set(r, column, values[r]);
        return false;
    }
    return true;
}

QString declaredType(sqlite3_stmt *statement, int column)
{
    const char *declared = sqlite3_column_decltype(statement, column);
    return declared ? QString::fromUtf8(declared) : QString();
}

// Reads the statement's rows into rows, and their columns' definitions into
// fields.
void readRows(SqliteStatement &statement, QVector<data::FieldDef> &fields, data::ColumnStore &rows)
{
    sqlite3_stmt *raw = statement.handle();
    const int columns = sqlite3_column_count(raw);
    fields.resize(columns);
    QVector<QString> declarations(columns);
    // A declared text column takes every value as it is read (any value has a
    // text); the other columns need all their values before their type is known.
    std::vector<bool> declaredText(columns);
    std::vector<qsizetype> longest(columns, 0);
    for (int c = 0; c < columns; ++c) {
        fields[c].name = QString::fromUtf8(sqlite3_column_name(raw, c));
        declarations[c] = declaredType(raw, c);
        declaredText[c] = !declarations[c].trimmed().isEmpty()
            && data::isTextType(data::fieldTypeFromDeclaration(declarations[c]));
    }
    while (statement.step()) {
        const int row = rows.appendNullRow();
        for (int c = 0; c < columns; ++c) {
            const int stored = sqlite3_column_type(raw, c);
            if (stored == SQLITE_NULL)
                continue;
            if (stored == SQLITE_TEXT) {
                // Read as bytes: asking for text makes SQLite copy every value
                // just to add a terminating zero. An empty text has no pointer.
                const auto *text = static_cast<const char *>(sqlite3_column_blob(raw, c));
                const qsizetype length = rows.setUtf8(row, c, text ? text : "", sqlite3_column_bytes(raw, c));
                longest[c] = qMax(longest[c], length);
            } else if (declaredText[c]) {
                const QString text = textOf(storedValue(raw, c));
                rows.set(row, c, QVariant(text));
                longest[c] = qMax(longest[c], text.size());
            } else {
                rows.set(row, c, storedValue(raw, c));
            }
        }
    }

    for (int c = 0; c < columns; ++c) {
        data::FieldDef &field = fields[c];
        const QString &declaration = declarations[c];
        if (declaredText[c]) {
            field.type = data::fieldTypeFromDeclaration(declaration);
            field.size = qMax(declaredSize(declaration), int(longest[c]));
            continue;
        }
        // An expression's column has no declared type: its values tell. Texts
        // alone (labels built with ||) make a text column, seen while reading.
        data::FieldType type = data::FieldType::String;
        if (!declaration.trimmed().isEmpty())
            type = data::fieldTypeFromDeclaration(declaration);
        else if (!rows.uniform(c) || rows.kindOf(c) != QMetaType::QString)
            type = typeFromValues(rows.columnValues(c));
        if (!storeAs(type, rows, c)) {
            type = data::isIntegerType(type) && storeAs(data::FieldType::Float, rows, c) ? data::FieldType::Float
                                                                                         : data::FieldType::String;
            if (type == data::FieldType::String)
                storeAs(type, rows, c);
        }
        field.type = type;
        if (data::isTextType(type)) {
            qsizetype longestText = 0;
            for (int row = 0; row < rows.rowCount(); ++row)
                longestText = qMax(longestText, rows.text(row, c).size());
            field.size = qMax(declaredSize(declaration), int(longestText));
        }
    }
}

} // namespace

data::ColumnPacket readColumnPacket(SqliteStatement &statement)
{
    data::ColumnPacket packet;
    packet.rows.reset(sqlite3_column_count(statement.handle()));
    readRows(statement, packet.fields, packet.rows);
    return packet;
}

data::DataPacket readDataPacket(SqliteStatement &statement)
{
    return data::dataPacketOf(readColumnPacket(statement));
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
