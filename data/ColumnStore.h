#pragma once

#include <QDate>
#include <QHash>
#include <QTime>
#include <QStringView>
#include <QVariant>
#include <QVector>

#include <array>
#include <cstdint>
#include <vector>

#include "DataExport.h"
#include "DataPacket.h"

namespace data {

// The stored rows of a client dataset, held column by column: a value costs
// eight bytes and a state byte, and a text its UTF-16 characters in one buffer
// of its column, instead of a QVariant, a row vector and a heap string each.
// A column holds compactly the kind of value it met first (text, integer,
// real, boolean, date, local date-time, time or bytes); a value of another
// kind, which the field types make rare, is kept aside as it came, so every
// value reads back exactly as it was stored.
class DATA_EXPORT ColumnStore
{
public:
    // How a store keeps its texts: packed into one buffer per column (the
    // least memory), or as the QStrings it is given, shared with whoever made
    // them (no copy where a packet's texts are taken over).
    enum class Texts { Packed, Shared };
    void reset(int columns, Texts texts = Texts::Packed);  // no rows, the given number of columns
    int rowCount() const { return m_rows; }
    int columnCount() const { return int(m_columns.size()); }

    QVariant value(int row, int column) const;
    // The text of a value stored as text, read in place (valid until the store
    // next changes); a null view for a null or a value that is not text.
    QStringView text(int row, int column) const;

    QVector<QVariant> row(int row) const;
    void appendRow(const QVector<QVariant> &values);  // missing values are null
    void setRow(int row, const QVector<QVariant> &values);
    void removeRow(int row);

    // Filling a store value by value, as a reader of query results does.
    int appendNullRow();  // the new row's number
    void set(int row, int column, const QVariant &value);
    // A text given as UTF-8, stored without a QString of its own; returns its
    // length in UTF-16 code units.
    qsizetype setUtf8(int row, int column, const char *utf8, qsizetype size);
    // The same for a text given as UTF-16, as ODBC drivers hand it over.
    qsizetype setUtf16(int row, int column, const char16_t *utf16, qsizetype size);
    // A local date and time, stored without making a QDateTime (which would
    // look up the time zone for every value).
    void setLocalDateTime(int row, int column, QDate date, QTime time);
    QVector<QVariant> columnValues(int column) const;
    // Every value of a column, which then holds nulls only, to be stored anew
    // in another form.
    QVector<QVariant> takeColumn(int column);
    // The QMetaType a column holds compactly (0 while it holds only nulls), and
    // whether every value of it is of that kind or null.
    int kindOf(int column) const { return m_columns[std::size_t(column)].kind; }
    bool uniform(int column) const { return m_columns[std::size_t(column)].aside.isEmpty(); }

    // Room for rows more rows, so that a load of known size never moves them.
    void reserve(int rows);
    // Gives back the room kept for growth, once a load is complete.
    void squeeze();

private:
    enum class State : std::uint8_t { Null, Compact, Aside };
    struct Column
    {
        int kind = 0;  // the QMetaType held compactly; 0 until the first value
        std::vector<std::uint64_t> words;
        std::vector<State> states;
        bool shared = false;          // texts kept as QStrings
        std::vector<char16_t> chars;  // packed texts, one after another
        std::vector<QString> strings; // shared texts; a cell's word is its index
        std::vector<char> bytes;      // byte arrays, one after another
        QHash<int, QVariant> aside;   // row -> a value of another kind
        // Recently stored texts, to store a repeated one (a unit code, a
        // grade) once; switched off for a column whose texts do not repeat.
        std::array<std::uint64_t, 64> recent{};
        std::array<bool, 64> recentSet{};
        int hits = 0, misses = 0;
        bool sharing = true;
    };

    void put(Column &c, int row, const QVariant &value);
    void clearCell(Column &c, int row);
    bool takesCompactly(Column &c, int type);
    std::uint64_t storedText(Column &c, QStringView text);
    std::uint64_t keptOrShared(Column &c, std::size_t offset);
    static QVariant read(const Column &c, int row);

    std::vector<Column> m_columns;
    int m_rows = 0;
    Texts m_texts = Texts::Packed;
    std::vector<char16_t> m_decoded;  // room to decode a text that is not ASCII
};

// What a query returns, its rows held as a dataset holds them: a reader fills
// it and a dataset takes the rows over without another copy.
struct DATA_EXPORT ColumnPacket
{
    QVector<FieldDef> fields;
    ColumnStore rows;
};

// The same result as a data packet, its rows still held column by column: a
// dataset takes them over as they are, anyone else gets them made into rows.
DATA_EXPORT DataPacket dataPacketOf(ColumnPacket &&packet);

} // namespace data
