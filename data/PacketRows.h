#pragma once

#include <QVariant>
#include <QVector>

#include <initializer_list>
#include <memory>

#include "DataExport.h"

namespace data {

class ColumnStore;

// The rows of a data packet. A reader may hand them over held column by column,
// as a dataset stores them: a dataset then takes the columns as they are, and
// anyone else reading or changing the rows gets them as row vectors, made the
// first time they are asked for. Reading rows made that way is not safe from
// two threads at once.
class DATA_EXPORT PacketRows
{
public:
    using Row = QVector<QVariant>;
    using value_type = Row;
    using const_iterator = QVector<Row>::const_iterator;
    using iterator = QVector<Row>::iterator;

    PacketRows();
    PacketRows(QVector<Row> rows);
    PacketRows(std::initializer_list<Row> rows);
    explicit PacketRows(std::unique_ptr<ColumnStore> columns);
    PacketRows(const PacketRows &other);
    PacketRows(PacketRows &&other) noexcept;
    PacketRows &operator=(const PacketRows &other);
    PacketRows &operator=(PacketRows &&other) noexcept;
    ~PacketRows();

    qsizetype size() const;
    bool isEmpty() const { return size() == 0; }

    const Row &at(qsizetype i) const { return rows().at(i); }
    const Row &operator[](qsizetype i) const { return rows().at(i); }
    Row &operator[](qsizetype i) { return rows()[i]; }
    const Row &first() const { return rows().first(); }
    const Row &last() const { return rows().last(); }

    const_iterator begin() const { return rows().cbegin(); }
    const_iterator end() const { return rows().cend(); }
    iterator begin() { return rows().begin(); }
    iterator end() { return rows().end(); }

    void append(const Row &row) { rows().append(row); }
    void append(Row &&row) { rows().append(std::move(row)); }
    void push_back(const Row &row) { append(row); }
    void push_back(Row &&row) { append(std::move(row)); }
    void reserve(qsizetype n) { rows().reserve(n); }
    void clear();

    // The rows as row vectors.
    const QVector<Row> &toVector() const { return rows(); }
    operator const QVector<Row> &() const { return rows(); }
    // The rows as row vectors, leaving none behind.
    QVector<Row> takeVector();

    // Whether the rows are held column by column, not yet made into rows.
    bool heldByColumn() const { return m_columns != nullptr; }
    // The columns, leaving no rows behind; null unless heldByColumn().
    std::unique_ptr<ColumnStore> takeColumns();

    friend bool operator==(const PacketRows &a, const PacketRows &b) { return a.rows() == b.rows(); }
    friend bool operator==(const PacketRows &a, const QVector<Row> &b) { return a.rows() == b; }
    friend bool operator!=(const PacketRows &a, const QVector<Row> &b) { return !(a == b); }

private:
    const QVector<Row> &rows() const;
    QVector<Row> &rows();

    mutable QVector<Row> m_rows;
    mutable std::unique_ptr<ColumnStore> m_columns;
};

} // namespace data
