#include "UserSearchResults.h"

#include "UserDirectory.h"

UserSearchResults::UserSearchResults(const UserDirectory &directory, QObject *parent)
    : QAbstractTableModel(parent), m_directory(directory)
{
}

void UserSearchResults::reload()
{
    beginResetModel();
    m_rows = int(m_directory.matches().size());
    endResetModel();
}

void UserSearchResults::grown()
{
    const int rows = int(m_directory.matches().size());
    if (rows <= m_rows)
        return;
    beginInsertRows(QModelIndex(), m_rows, rows - 1);
    m_rows = rows;
    endInsertRows();
}

int UserSearchResults::userAt(int row) const
{
    return row >= 0 && row < m_rows ? m_directory.matches()[row] : -1;
}

QStringView UserSearchResults::text(int row, int column) const
{
    const int user = userAt(row);
    if (user < 0)
        return {};
    const UserDirectory::Unit &unit = m_directory.unitOf(user);
    switch (column) {
    case Code:
        return m_directory.code(user);
    case Name:
        return m_directory.name(user);
    case UnitName:
        return unit.name;
    case AreaCode:
        return m_directory.area(unit.area).code;
    case AreaName:
        return m_directory.area(unit.area).name;
    default:
        return {};
    }
}

int UserSearchResults::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int UserSearchResults::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant UserSearchResults::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !checkIndex(index, CheckIndexOption::IndexIsValid))
        return QVariant();
    return text(index.row(), index.column()).toString();
}

QVariant UserSearchResults::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case Code:
        return QStringLiteral("用户代码");
    case Name:
        return QStringLiteral("姓   名");
    case UnitName:
        return QStringLiteral("所属部门名称");
    case AreaCode:
        return QStringLiteral("行政区划代码");
    case AreaName:
        return QStringLiteral("行政区划名称");
    default:
        return QVariant();
    }
}
