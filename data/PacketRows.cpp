#include "PacketRows.h"

#include "ColumnStore.h"

namespace data {

PacketRows::PacketRows() = default;
PacketRows::PacketRows(QVector<Row> rows) : m_rows(std::move(rows)) {}
PacketRows::PacketRows(std::initializer_list<Row> rows) : m_rows(rows) {}
PacketRows::PacketRows(std::unique_ptr<ColumnStore> columns) : m_columns(std::move(columns)) {}

PacketRows::PacketRows(const PacketRows &other)
    : m_rows(other.m_rows), m_columns(other.m_columns ? std::make_unique<ColumnStore>(*other.m_columns) : nullptr)
{
}

PacketRows::PacketRows(PacketRows &&other) noexcept = default;

PacketRows &PacketRows::operator=(const PacketRows &other)
{
    if (this != &other)
        *this = PacketRows(other);
    return *this;
}

PacketRows &PacketRows::operator=(PacketRows &&other) noexcept = default;
PacketRows::~PacketRows() = default;

qsizetype PacketRows::size() const
{
    return m_columns ? m_columns->rowCount() : m_rows.size();
}

void PacketRows::clear()
{
    m_columns.reset();
    m_rows.clear();
}

QVector<PacketRows::Row> PacketRows::takeVector()
{
    QVector<Row> taken = std::move(rows());
    m_rows = {};
    return taken;
}

std::unique_ptr<ColumnStore> PacketRows::takeColumns()
{
    return std::move(m_columns);
}

const QVector<PacketRows::Row> &PacketRows::rows() const
{
    if (m_columns) {
        QVector<Row> made;
        made.reserve(m_columns->rowCount());
        for (int r = 0; r < m_columns->rowCount(); ++r)
            made.append(m_columns->row(r));
        m_columns.reset();
        m_rows = std::move(made);
    }
    return m_rows;
}

QVector<PacketRows::Row> &PacketRows::rows()
{
    std::as_const(*this).rows();
    return m_rows;
}

} // namespace data
