#include "TcxLookupListModel.h"

#include "ClientDataSet.h"
#include "Field.h"

TcxLookupListModel::TcxLookupListModel(QObject *parent)
    : QAbstractTableModel(parent)
{
}

void TcxLookupListModel::setSource(data::ClientDataSet *dataSet, const QStringList &listFields)
{
    m_dataSet = dataSet;
    m_listFields = listFields;
    reset();
}

void TcxLookupListModel::reset()
{
    beginResetModel();
    m_columns.clear();
    m_rows = 0;
    if (m_dataSet && m_dataSet->Active()) {
        for (const QString &name : m_listFields) {
            data::Field *field = m_dataSet->FindField(name);
            m_columns << (field ? field->Index() : -1);
        }
        m_rows = m_dataSet->RecordCount();
    }
    endResetModel();
}

int TcxLookupListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int TcxLookupListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : qMax(1, int(m_columns.size()));
}

QVariant TcxLookupListModel::data(const QModelIndex &index, int role) const
{
    // An editable combo box reads its items' texts through the edit role.
    if (!index.isValid() || !checkIndex(index, CheckIndexOption::IndexIsValid)
        || (role != Qt::DisplayRole && role != Qt::EditRole))
        return QVariant();
    if (!m_dataSet || index.row() >= m_dataSet->RecordCount() || index.column() >= m_columns.size())
        return QString();
    const int column = m_columns.at(index.column());
    if (column < 0)
        return QString();
    return m_dataSet->FieldAt(column)->textOf(m_dataSet->valueAt(index.row(), column));
}

QVariant TcxLookupListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < m_listFields.size())
        return m_listFields.at(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}
