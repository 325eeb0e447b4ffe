#include "UserSearchResults.h"

#include "UserDirectory.h"

namespace {
enum Column { Code, Name, UnitName, Area, ColumnCount };
}

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

int UserSearchResults::userAt(int row) const
{
    return row >= 0 && row < m_rows ? m_directory.matches()[row] : -1;
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
    const UserDirectory::User &user = m_directory.user(userAt(index.row()));
    const UserDirectory::Unit &unit = m_directory.unit(user.unit);
    switch (index.column()) {
    case Code:
        return user.code;
    case Name:
        return user.name;
    case UnitName:
        return unit.name;
    case Area:
        return unit.areaCode;
    default:
        return QVariant();
    }
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
    case Area:
        return QStringLiteral("行政区划代码");
    default:
        return QVariant();
    }
}
