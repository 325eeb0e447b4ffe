#include "OdbcResultReader.h"

#include <QDate>
#include <QDateTime>
#include <QTime>

#include <algorithm>
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

// A fixed-size value into `value` (`size` bytes); false for NULL.
bool fetchFixed(OdbcStatement &statement, SQLUSMALLINT column, SQLSMALLINT cType, void *value, SQLLEN size)
{
    SQLLEN indicator = 0;
    const SQLRETURN rc = SQLGetData(statement.handle(), column, cType, value, size, &indicator);
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

// How a field that is neither text nor bytes is read: its C type and size.
// Decimals and money come as text: a double would round their last digits
// away.
struct FixedCType
{
    SQLSMALLINT cType;
    SQLLEN size;
};
constexpr SQLLEN kLargestFixed = sizeof(SQL_TIMESTAMP_STRUCT);

std::optional<FixedCType> fixedCTypeOf(data::FieldType type)
{
    using data::FieldType;
    if (data::isIntegerType(type))
        return FixedCType{SQL_C_SBIGINT, sizeof(SQLBIGINT)};
    switch (type) {
    case FieldType::Float: return FixedCType{SQL_C_DOUBLE, sizeof(SQLDOUBLE)};
    case FieldType::Boolean: return FixedCType{SQL_C_BIT, sizeof(SQLCHAR)};
    case FieldType::Date: return FixedCType{SQL_C_TYPE_DATE, sizeof(SQL_DATE_STRUCT)};
    case FieldType::DateTime: return FixedCType{SQL_C_TYPE_TIMESTAMP, sizeof(SQL_TIMESTAMP_STRUCT)};
    case FieldType::Time: return FixedCType{SQL_C_TYPE_TIME, sizeof(SQL_TIME_STRUCT)};
    default: return std::nullopt;
    }
}

// The packet value of a fixed-size value read as fixedCTypeOf(type) says.
QVariant fixedValue(data::FieldType type, const void *value)
{
    using data::FieldType;
    if (data::isIntegerType(type))
        return QVariant(qint64(*static_cast<const SQLBIGINT *>(value)));
    switch (type) {
    case FieldType::Float: return QVariant(double(*static_cast<const SQLDOUBLE *>(value)));
    case FieldType::Boolean: return QVariant(*static_cast<const SQLCHAR *>(value) != 0);
    case FieldType::Date: {
        const auto &v = *static_cast<const SQL_DATE_STRUCT *>(value);
        return QVariant(QDate(v.year, v.month, v.day));
    }
    case FieldType::DateTime: {
        const auto &v = *static_cast<const SQL_TIMESTAMP_STRUCT *>(value);
        return QVariant(QDateTime(QDate(v.year, v.month, v.day), timeOf(v.hour, v.minute, v.second, v.fraction)));
    }
    case FieldType::Time: {
        const auto &v = *static_cast<const SQL_TIME_STRUCT *>(value);
        return QVariant(timeOf(v.hour, v.minute, v.second, 0));
    }
    default: return QVariant();
    }
}

// The value in its packet form; a null QVariant for NULL.
QVariant fetchTyped(OdbcStatement &statement, SQLUSMALLINT column, data::FieldType type)
{
    if (data::isBytesType(type)) {
        const auto bytes = fetchBytes(statement, column);
        return bytes ? QVariant(*bytes) : QVariant();
    }
    if (const auto fixed = fixedCTypeOf(type)) {
        alignas(SQL_TIMESTAMP_STRUCT) unsigned char value[kLargestFixed];
        return fetchFixed(statement, column, fixed->cType, value, fixed->size) ? fixedValue(type, value) : QVariant();
    }
    const auto text = fetchText(statement, column);
    return text ? QVariant(*text) : QVariant();
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

// Fills a column store from the cells of the current row, keeping what the
// fields' sizes and types are settled from at the end.
class ColumnFiller
{
public:
    explicit ColumnFiller(data::ColumnPacket &packet) : m_packet(packet)
    {
        const int columns = int(packet.fields.size());
        packet.rows.reset(columns);
        widened.assign(columns, false);
        longest.assign(columns, 0);
    }

    // Puts a text straight from the driver's buffer into its column, without
    // a QString of its own.
    void putText(int row, int column, const SQLWCHAR *units, qsizetype size)
    {
        static_assert(sizeof(SQLWCHAR) == sizeof(char16_t));
        longest[column] = qMax(longest[column],
                               m_packet.rows.setUtf16(row, column, reinterpret_cast<const char16_t *>(units), size));
    }

    // Reads one cell of the statement's current row with SQLGetData.
    void readCell(OdbcStatement &statement, int row, int column)
    {
        const auto odbcColumn = SQLUSMALLINT(column + 1);
        if (data::isTextType(m_packet.fields[column].type)) {
            m_text.clear();
            const bool any = fetchInPieces<SQLWCHAR, 2048>(statement, odbcColumn, SQL_C_WCHAR, 1,
                                                           [this](const SQLWCHAR *piece, qsizetype units) {
                                                               m_text.insert(m_text.end(), piece, piece + units);
                                                           });
            if (any)
                putText(row, column, m_text.data(), qsizetype(m_text.size()));
            return;
        }
        bool unfit = false;
        const QVariant value = fetchCell(statement, odbcColumn, m_packet.fields[column].type, &unfit);
        if (unfit)
            widened[column] = true;
        if (!value.isNull())
            m_packet.rows.set(row, column, value);
    }

    std::vector<bool> widened;        // columns that met a value their type could not hold
    std::vector<qsizetype> longest;   // longest text per column

private:
    data::ColumnPacket &m_packet;
    std::vector<SQLWCHAR> m_text;
};

// Rows fetched a block at a time into buffers bound column by column: one
// driver call per block rather than one per cell. Texts are bound at their
// described width (a longer one is read again whole); bytes are not bound.
// The statement is back to one row a fetch with nothing bound when this goes,
// also when reading fails.
class BoundRowBlock
{
public:
    static constexpr SQLULEN kRows = 256;
    // Widest text bound, in UTF-16 units; a text without a described width
    // is bound at kUndescribedText.
    static constexpr SQLULEN kWidestText = 1024;
    static constexpr SQLULEN kUndescribedText = 255;

    // Whether every field can be bound (bytes cannot).
    static bool binds(const QVector<data::FieldDef> &fields)
    {
        return std::none_of(fields.cbegin(), fields.cend(),
                            [](const data::FieldDef &f) { return data::isBytesType(f.type); });
    }

    BoundRowBlock(OdbcStatement &statement, const QVector<data::FieldDef> &fields,
                  const std::vector<SQLULEN> &describedSize)
        : m_statement(statement), m_columns(fields.size())
    {
        try {
            bind(fields, describedSize);
        } catch (...) {
            unbind();
            throw;
        }
    }
    ~BoundRowBlock() { unbind(); }
    BoundRowBlock(const BoundRowBlock &) = delete;
    BoundRowBlock &operator=(const BoundRowBlock &) = delete;

    // The rows of the next block; 0 at the end of the result.
    int fetch()
    {
        const SQLRETURN rc = SQLFetch(m_statement.handle());
        if (rc == SQL_NO_DATA)
            return 0;
        if (!SQL_SUCCEEDED(rc))
            m_statement.fail(QStringLiteral("结果行无法读取"));
        return int(m_fetched);
    }
    // Whether the driver could not give row `row` of the block as bound.
    bool failed(int row) const { return m_status[row] == SQL_ROW_ERROR; }
    // Makes row `row` of the block current for SQLGetData.
    void position(int row)
    {
        if (!SQL_SUCCEEDED(SQLSetPos(m_statement.handle(), SQLSETPOSIROW(row + 1), SQL_POSITION, SQL_LOCK_NO_CHANGE)))
            m_statement.fail(QStringLiteral("结果行无法读取"));
    }

    bool isNull(int column, int row) const { return m_columns[column].indicators[row] == SQL_NULL_DATA; }
    const void *value(int column, int row) const
    {
        const Column &c = m_columns[column];
        return c.values.data() + std::size_t(c.width) * std::size_t(row);
    }
    bool isText(int column) const { return m_columns[column].cType == SQL_C_WCHAR; }
    // UTF-16 units of a bound text; -1 when it did not fit its buffer.
    qsizetype textUnits(int column, int row) const
    {
        const Column &c = m_columns[column];
        const SQLLEN bytes = c.indicators[row];
        if (bytes == SQL_NO_TOTAL || bytes > c.width - SQLLEN(sizeof(SQLWCHAR)))
            return -1;
        return bytes / qsizetype(sizeof(SQLWCHAR));
    }

private:
    void bind(const QVector<data::FieldDef> &fields, const std::vector<SQLULEN> &describedSize)
    {
        const SQLHSTMT h = m_statement.handle();
        if (!SQL_SUCCEEDED(SQLSetStmtAttr(h, SQL_ATTR_ROW_ARRAY_SIZE, SQLPOINTER(kRows), 0)) ||
            !SQL_SUCCEEDED(SQLSetStmtAttr(h, SQL_ATTR_ROW_STATUS_PTR, m_status, 0)) ||
            !SQL_SUCCEEDED(SQLSetStmtAttr(h, SQL_ATTR_ROWS_FETCHED_PTR, &m_fetched, 0)))
            m_statement.fail(QStringLiteral("结果行无法成批读取"));
        for (int c = 0; c < int(m_columns.size()); ++c) {
            Column &column = m_columns[c];
            if (const auto fixed = fixedCTypeOf(fields[c].type)) {
                column.cType = fixed->cType;
                column.width = fixed->size;
            } else {
                const SQLULEN described = describedSize[c];
                const SQLULEN units = described > 0 && described <= kWidestText ? described : kUndescribedText;
                column.cType = SQL_C_WCHAR;
                column.width = SQLLEN((units + 1) * sizeof(SQLWCHAR));  // and the terminating zero
            }
            column.values.assign(std::size_t(column.width) * kRows, 0);
            column.indicators.assign(kRows, 0);
            if (!SQL_SUCCEEDED(SQLBindCol(h, SQLUSMALLINT(c + 1), column.cType, column.values.data(), column.width,
                                          column.indicators.data())))
                m_statement.fail(QStringLiteral("结果的第%1列无法读取").arg(c + 1));
        }
    }
    // Back to one row a fetch with nothing bound.
    void unbind()
    {
        const SQLHSTMT h = m_statement.handle();
        SQLFreeStmt(h, SQL_UNBIND);
        SQLSetStmtAttr(h, SQL_ATTR_ROW_STATUS_PTR, nullptr, 0);
        SQLSetStmtAttr(h, SQL_ATTR_ROWS_FETCHED_PTR, nullptr, 0);
        SQLSetStmtAttr(h, SQL_ATTR_ROW_ARRAY_SIZE, SQLPOINTER(1), 0);
    }

    struct Column
    {
        SQLSMALLINT cType = SQL_C_WCHAR;
        SQLLEN width = 0;  // bytes per row
        std::vector<unsigned char> values;
        std::vector<SQLLEN> indicators;
    };
    OdbcStatement &m_statement;
    std::vector<Column> m_columns;
    SQLUSMALLINT m_status[kRows] = {};
    SQLULEN m_fetched = 0;
};

void readRowByRow(OdbcStatement &statement, data::ColumnStore &rows, ColumnFiller &filler)
{
    const int columns = rows.columnCount();
    while (statement.fetch()) {
        const int row = rows.appendNullRow();
        for (int c = 0; c < columns; ++c)
            filler.readCell(statement, row, c);
    }
}

void readInBlocks(OdbcStatement &statement, data::ColumnPacket &packet, const std::vector<SQLULEN> &describedSize,
                  ColumnFiller &filler)
{
    data::ColumnStore &rows = packet.rows;
    const int columns = rows.columnCount();
    BoundRowBlock block(statement, packet.fields, describedSize);
    while (const int count = block.fetch()) {
        for (int r = 0; r < count; ++r) {
            const int row = rows.appendNullRow();
            // A row the driver could not convert is read cell by cell, as
            // one at a time would have.
            if (block.failed(r)) {
                block.position(r);
                for (int c = 0; c < columns; ++c)
                    filler.readCell(statement, row, c);
                continue;
            }
            for (int c = 0; c < columns; ++c) {
                if (block.isNull(c, r))
                    continue;
                if (!block.isText(c)) {
                    rows.set(row, c, fixedValue(packet.fields[c].type, block.value(c, r)));
                    continue;
                }
                const qsizetype units = block.textUnits(c, r);
                if (units >= 0) {
                    filler.putText(row, c, static_cast<const SQLWCHAR *>(block.value(c, r)), units);
                } else {
                    block.position(r);
                    filler.readCell(statement, row, c);
                }
            }
        }
    }
}

} // namespace

data::ColumnPacket readOdbcColumnPacket(OdbcStatement &statement, OdbcFetch fetch)
{
    data::ColumnPacket packet;
    std::vector<SQLULEN> describedSize = describeFields(statement, packet.fields);
    const int columns = int(packet.fields.size());
    data::ColumnStore &rows = packet.rows;
    ColumnFiller filler(packet);
    if (fetch == OdbcFetch::InBlocks && BoundRowBlock::binds(packet.fields))
        readInBlocks(statement, packet, describedSize, filler);
    else
        readRowByRow(statement, rows, filler);
    std::vector<bool> &widened = filler.widened;
    std::vector<qsizetype> &longest = filler.longest;

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
    return data::dataPacketOf(readOdbcColumnPacket(statement));
}

QVariant readOdbcFirstValue(OdbcStatement &statement)
{
    if (!statement.fetch())
        return QVariant(QString());
    bool unfit = false;
    return fetchCell(statement, 1, fieldTypeFromOdbc(statement.column(1)), &unfit);
}
