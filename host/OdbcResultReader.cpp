#include "OdbcResultReader.h"

#include <QDate>
#include <QDateTime>
#include <QTime>

#include <optional>
#include <vector>

#include "FieldType.h"

namespace {

// SQL Server's own types, as its drivers describe them.
constexpr SQLSMALLINT kSqlServerVariant = -150;
constexpr SQLSMALLINT kSqlServerXml = -152;
constexpr SQLSMALLINT kSqlServerTime2 = -154;
constexpr SQLSMALLINT kSqlServerDateTimeOffset = -155;

bool isTypeName(const OdbcColumn &column, const char *name)
{
    return column.typeName.compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
}

// Reads a cell in pieces of `Units` values of the C type, handing each piece
// to append; false for NULL. A text piece keeps `terminator` units for the
// terminating zero the driver writes.
template <typename Unit, qsizetype Units, typename Append>
bool fetchInPieces(OdbcStatement &statement, SQLUSMALLINT column, SQLSMALLINT cType, qsizetype terminator,
                   Append append)
{
    Unit buffer[Units];
    const qsizetype capacity = Units - terminator;
    for (bool first = true;; first = false) {
        SQLLEN indicator = 0;
        const SQLRETURN rc = SQLGetData(statement.handle(), column, cType, buffer, sizeof buffer, &indicator);
        if (rc == SQL_NO_DATA) {
            // Nothing left: after the first piece the value is complete; on
            // the first call the driver has nothing to give for the cell.
            if (first)
                return false;
            break;
        }
        if (!SQL_SUCCEEDED(rc))
            statement.fail(QStringLiteral("结果的第%1列无法读取").arg(column));
        if (indicator == SQL_NULL_DATA)
            return false;
        if (indicator != SQL_NO_TOTAL && indicator / qsizetype(sizeof(Unit)) <= capacity) {
            append(buffer, indicator / qsizetype(sizeof(Unit)));
            break;
        }
        append(buffer, capacity);  // cut short: the rest follows
    }
    return true;
}

// The cell as text; nullopt for NULL. Long values come in pieces.
std::optional<QString> fetchText(OdbcStatement &statement, SQLUSMALLINT column)
{
    QString text;
    const bool any = fetchInPieces<SQLWCHAR, 2048>(statement, column, SQL_C_WCHAR, 1,
                                                   [&text](const SQLWCHAR *piece, qsizetype units) {
                                                       text += fromSqlWText(piece, units);
                                                   });
    return any ? std::optional<QString>(text) : std::nullopt;
}

// The cell as bytes, exactly; nullopt for NULL.
std::optional<QByteArray> fetchBytes(OdbcStatement &statement, SQLUSMALLINT column)
{
    QByteArray bytes;
    const bool any = fetchInPieces<char, 8192>(statement, column, SQL_C_BINARY, 0,
                                               [&bytes](const char *piece, qsizetype size) {
                                                   bytes.append(piece, size);
                                               });
    return any ? std::optional<QByteArray>(bytes) : std::nullopt;
}

// A fixed-size value in its C type; false for NULL.
template <typename T>
bool fetchFixed(OdbcStatement &statement, SQLUSMALLINT column, SQLSMALLINT cType, T *value)
{
    SQLLEN indicator = 0;
    const SQLRETURN rc = SQLGetData(statement.handle(), column, cType, value, sizeof(T), &indicator);
    if (rc == SQL_NO_DATA)
        return false;
    if (!SQL_SUCCEEDED(rc))
        statement.fail(QStringLiteral("结果的第%1列无法读取").arg(column));
    return indicator != SQL_NULL_DATA;
}

QTime timeOf(SQLUSMALLINT hour, SQLUSMALLINT minute, SQLUSMALLINT second, SQLUINTEGER fractionNs)
{
    return QTime(hour, minute, second, int(fractionNs / 1000000));
}

// The value in its packet form; a null QVariant for NULL.
QVariant fetchTyped(OdbcStatement &statement, SQLUSMALLINT column, data::FieldType type)
{
    using data::FieldType;
    if (data::isIntegerType(type)) {
        SQLBIGINT v = 0;
        return fetchFixed(statement, column, SQL_C_SBIGINT, &v) ? QVariant(qint64(v)) : QVariant();
    }
    if (data::isBytesType(type)) {
        const auto bytes = fetchBytes(statement, column);
        return bytes ? QVariant(*bytes) : QVariant();
    }
    // Decimals and money come as text (the default below): a double would
    // round their last digits away.
    if (type == FieldType::Float) {
        SQLDOUBLE v = 0;
        return fetchFixed(statement, column, SQL_C_DOUBLE, &v) ? QVariant(double(v)) : QVariant();
    }
    switch (type) {
    case FieldType::Boolean: {
        SQLCHAR v = 0;
        return fetchFixed(statement, column, SQL_C_BIT, &v) ? QVariant(v != 0) : QVariant();
    }
    case FieldType::Date: {
        SQL_DATE_STRUCT v{};
        return fetchFixed(statement, column, SQL_C_TYPE_DATE, &v) ? QVariant(QDate(v.year, v.month, v.day))
                                                                  : QVariant();
    }
    case FieldType::DateTime: {
        SQL_TIMESTAMP_STRUCT v{};
        if (!fetchFixed(statement, column, SQL_C_TYPE_TIMESTAMP, &v))
            return QVariant();
        return QVariant(QDateTime(QDate(v.year, v.month, v.day), timeOf(v.hour, v.minute, v.second, v.fraction)));
    }
    case FieldType::Time: {
        SQL_TIME_STRUCT v{};
        return fetchFixed(statement, column, SQL_C_TYPE_TIME, &v) ? QVariant(timeOf(v.hour, v.minute, v.second, 0))
                                                                  : QVariant();
    }
    default: {
        const auto text = fetchText(statement, column);
        return text ? QVariant(*text) : QVariant();
    }
    }
}

// Reads one cell. A non-text cell that the driver calls NULL is asked for
// again as text: a driver that could not convert the stored value gives it
// that way (*unfit is then set). A real NULL stays NULL: the second read
// finds nothing, or NULL again.
QVariant fetchCell(OdbcStatement &statement, SQLUSMALLINT column, data::FieldType type, bool *unfit)
{
    const QVariant value = fetchTyped(statement, column, type);
    if (!value.isNull() || data::isTextType(type))
        return value;
    const auto text = fetchText(statement, column);
    if (!text)
        return value;
    *unfit = true;
    return QVariant(*text);
}

// How a typed value reads as text once its column has widened to String.
QString textOf(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Double:
        return QString::number(value.toDouble(), 'g', 15);
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    case QMetaType::QDate:
        return value.toDate().toString(Qt::ISODate);
    case QMetaType::QDateTime: {
        const QDateTime dt = value.toDateTime();
        return dt.toString(dt.time().msec() ? QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz")
                                            : QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    }
    case QMetaType::QTime:
        return value.toTime().toString(QStringLiteral("hh:mm:ss"));
    default:
        return value.toString();
    }
}

} // namespace

data::FieldType fieldTypeFromOdbc(const OdbcColumn &column)
{
    using data::FieldType;
    const bool identity = column.typeName.endsWith(QLatin1String("identity"), Qt::CaseInsensitive);
    switch (column.sqlType) {
    case SQL_CHAR:
    case SQL_VARCHAR:
    case SQL_LONGVARCHAR: {
        // Some drivers describe every column whose declared type they do not
        // know natively as plain text (the SQLite driver does so for char,
        // nvarchar and decimal); the type's name still says what it holds.
        const FieldType declared = data::fieldTypeFromDeclaration(column.typeName);
        if (data::isFloatType(declared) || data::isBytesType(declared))
            return declared;
        if (column.sqlType == SQL_LONGVARCHAR || (column.sqlType == SQL_VARCHAR && column.size == 0))
            return FieldType::Memo;  // varchar(max) is described without a size
        if (data::isTextType(declared) && declared != FieldType::String)
            return declared;
        return column.sqlType == SQL_CHAR ? FieldType::FixedChar : FieldType::String;
    }
    case SQL_WCHAR:
    case SQL_WVARCHAR:
        return column.sqlType == SQL_WVARCHAR && column.size == 0 ? FieldType::Memo : FieldType::WideString;
    case SQL_WLONGVARCHAR:
    case kSqlServerXml:
        return FieldType::Memo;
    case SQL_TINYINT:
    case SQL_SMALLINT:
        return identity ? FieldType::AutoInc : FieldType::Smallint;
    case SQL_INTEGER:
        return identity ? FieldType::AutoInc : FieldType::Integer;
    case SQL_BIGINT:
        return identity ? FieldType::AutoInc : FieldType::Largeint;
    case SQL_BIT:
        return FieldType::Boolean;
    case SQL_REAL:
    case SQL_FLOAT:
    case SQL_DOUBLE:
        return FieldType::Float;
    case SQL_DECIMAL:
    case SQL_NUMERIC:
        // SQL Server describes money as a decimal of scale 4; only its name tells.
        if (isTypeName(column, "money") || isTypeName(column, "smallmoney"))
            return FieldType::Currency;
        return identity ? FieldType::AutoInc : FieldType::BCD;
    case SQL_TYPE_DATE:
    case SQL_DATE:
        return FieldType::Date;
    case SQL_TYPE_TIMESTAMP:
    case SQL_TIMESTAMP:
    case kSqlServerDateTimeOffset:
        return FieldType::DateTime;
    case SQL_TYPE_TIME:
    case SQL_TIME:
    case kSqlServerTime2:
        return FieldType::Time;
    case SQL_BINARY:
    case SQL_VARBINARY:
    case SQL_LONGVARBINARY:
        // SQL Server's timestamp is a row version, eight bytes the server sets.
        if (isTypeName(column, "timestamp") || isTypeName(column, "rowversion"))
            return FieldType::RowVersion;
        return FieldType::Bytes;
    case kSqlServerVariant:
    default:
        // GUIDs and whatever else: their text form.
        return FieldType::String;
    }
}

namespace {

// The result's fields as the driver describes them, and the sizes it gives.
std::vector<SQLULEN> describeFields(OdbcStatement &statement, QVector<data::FieldDef> &fields)
{
    const int columns = statement.columnCount();
    fields.resize(columns);
    std::vector<SQLULEN> describedSize(columns);
    for (int c = 0; c < columns; ++c) {
        const OdbcColumn column = statement.column(c + 1);
        fields[c].name = column.name;
        fields[c].type = fieldTypeFromOdbc(column);
        describedSize[c] = column.size;
    }
    return describedSize;
}

// A text field's size: what the driver described, or the longest text read
// when that is longer. A long text type's size is its limit (up to 2 GB), no
// width to show.
int textFieldSize(const data::FieldDef &field, SQLULEN described, qsizetype longest)
{
    const int size = field.type == data::FieldType::Memo || described > 65535 ? 0 : int(described);
    return qMax(size, int(longest));
}

} // namespace

data::ColumnPacket readOdbcColumnPacket(OdbcStatement &statement)
{
    data::ColumnPacket packet;
    std::vector<SQLULEN> describedSize = describeFields(statement, packet.fields);
    const int columns = int(packet.fields.size());
    data::ColumnStore &rows = packet.rows;
    rows.reset(columns);
    std::vector<bool> widened(columns, false);
    std::vector<qsizetype> longest(columns, 0);
    std::vector<char16_t> text;
    static_assert(sizeof(SQLWCHAR) == sizeof(char16_t));
    while (statement.fetch()) {
        const int row = rows.appendNullRow();
        for (int c = 0; c < columns; ++c) {
            // Texts go from the driver's buffer into the column, without a
            // QString of their own.
            if (data::isTextType(packet.fields[c].type)) {
                text.clear();
                const bool any = fetchInPieces<SQLWCHAR, 2048>(statement, SQLUSMALLINT(c + 1), SQL_C_WCHAR, 1,
                                                               [&text](const SQLWCHAR *piece, qsizetype units) {
                                                                   const auto *first = reinterpret_cast<const char16_t *>(piece);
                                                                   text.insert(text.end(), first, first + units);
                                                               });
                if (any)
                    longest[c] = qMax(longest[c], rows.setUtf16(row, c, text.data(), qsizetype(text.size())));
                continue;
            }
            bool unfit = false;
            const QVariant value = fetchCell(statement, SQLUSMALLINT(c + 1), packet.fields[c].type, &unfit);
            if (unfit)
                widened[c] = true;
            if (!value.isNull())
                rows.set(row, c, value);
        }
    }

    for (int c = 0; c < columns; ++c) {
        data::FieldDef &field = packet.fields[c];
        if (widened[c]) {
            field.type = data::FieldType::String;
            describedSize[c] = 0;
            const QVector<QVariant> values = rows.takeColumn(c);
            for (int row = 0; row < int(values.size()); ++row) {
                if (values[row].isNull())
                    continue;
                const QString widenedText = textOf(values[row]);
                longest[c] = qMax(longest[c], widenedText.size());
                rows.set(row, c, QVariant(widenedText));
            }
        }
        if (data::isTextType(field.type))
            field.size = textFieldSize(field, describedSize[c], longest[c]);
    }
    rows.squeeze();
    return packet;
}

data::DataPacket readOdbcDataPacket(OdbcStatement &statement)
{
    data::DataPacket packet;
    std::vector<SQLULEN> describedSize = describeFields(statement, packet.fields);
    const int columns = int(packet.fields.size());

    std::vector<bool> widened(columns, false);
    while (statement.fetch()) {
        QVector<QVariant> row(columns);
        for (int c = 0; c < columns; ++c) {
            bool unfit = false;
            row[c] = fetchCell(statement, SQLUSMALLINT(c + 1), packet.fields[c].type, &unfit);
            if (unfit)
                widened[c] = true;
        }
        packet.rows.push_back(std::move(row));
    }

    for (int c = 0; c < columns; ++c) {
        data::FieldDef &field = packet.fields[c];
        if (widened[c]) {
            field.type = data::FieldType::String;
            describedSize[c] = 0;
            for (auto &row : packet.rows) {
                if (!row[c].isNull())
                    row[c] = textOf(row[c]);
            }
        }
        if (!data::isTextType(field.type))
            continue;
        qsizetype longest = 0;
        for (const auto &row : packet.rows)
            longest = qMax(longest, row.at(c).toString().size());
        field.size = textFieldSize(field, describedSize[c], longest);
    }
    return packet;
}

QVariant readOdbcFirstValue(OdbcStatement &statement)
{
    if (!statement.fetch())
        return QVariant(QString());
    bool unfit = false;
    return fetchCell(statement, 1, fieldTypeFromOdbc(statement.column(1)), &unfit);
}
