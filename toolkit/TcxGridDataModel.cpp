#include "TcxGridDataModel.h"

#include "ClientDataSet.h"
#include "Field.h"
#include "TcxGridDBColumn.h"
#include "TcxGridDBTableView.h"
#include "TcxStyle.h"

TcxGridDataModel::TcxGridDataModel(TcxGridDBTableView *view)
    : QAbstractTableModel(view)
    , m_view(view)
{
}

void TcxGridDataModel::reload()
{
    beginResetModel();
    rebuild();
    endResetModel();
}

void TcxGridDataModel::rebuild()
{
    m_dataSet = m_view->DataSet();
    m_columns.clear();
    m_fieldIndex.clear();
    for (int i = 0; i < m_view->ColumnCount(); ++i) {
        TcxGridDBColumn *column = m_view->Column(i);
        if (!column->Visible())
            continue;
        m_columns << column;
        data::Field *field = (m_dataSet && m_dataSet->Active()) ? m_dataSet->FindField(column->FieldName()) : nullptr;
        m_fieldIndex << (field ? field->Index() : -1);
    }
    m_rows = (m_dataSet && m_dataSet->Active()) ? m_dataSet->RecordCount() : 0;
}

void TcxGridDataModel::rowChanged(int row)
{
    if (row < 0 || row >= m_rows || m_columns.isEmpty())
        return;
    emit dataChanged(index(row, 0), index(row, int(m_columns.size()) - 1));
}

TcxGridDBColumn *TcxGridDataModel::columnAt(int section) const
{
    return m_columns.value(section, nullptr);
}

int TcxGridDataModel::sectionOf(const TcxGridDBColumn *column) const
{
    return int(m_columns.indexOf(const_cast<TcxGridDBColumn *>(column)));
}

int TcxGridDataModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int TcxGridDataModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant TcxGridDataModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || !checkIndex(index, CheckIndexOption::IndexIsValid))
        return QVariant();
    switch (role) {
    case Qt::DisplayRole: {
        data::ClientDataSet *ds = m_dataSet;
        const int column = m_fieldIndex.at(index.column());
        // The dataset may have changed under disabled controls; rows beyond
        // its end read as empty until the view reloads.
        if (!ds || column < 0 || index.row() >= ds->RecordCount())
            return QString();
        return m_columns.at(index.column())->displayText(ds->valueAt(index.row(), column), ds->FieldAt(column));
    }
    case Qt::BackgroundRole: {
        const QColor color = m_view->rowColor(index.row());
        return color.isValid() ? QVariant(color) : QVariant();
    }
    case Qt::ForegroundRole: {
        TcxStyle *style = index.row() % 2 == 0 ? m_view->ContentEven() : m_view->ContentOdd();
        return style && style->TextColor().isValid() ? QVariant(style->TextColor()) : QVariant();
    }
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    default:
        return QVariant();
    }
}

QVariant TcxGridDataModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal) {
        TcxGridDBColumn *column = columnAt(section);
        if (!column)
            return QVariant();
        if (role == Qt::DisplayRole)
            return column->Caption();
        if (role == Qt::TextAlignmentRole)
            return QVariant::fromValue(Qt::Alignment(column->HeaderAlignment() | Qt::AlignVCenter));
        return QVariant();
    }
    // Row indicator cells carry no text of their own.
    if (role == Qt::DisplayRole && section >= 0 && section < m_rows)
        return QString();
    return QVariant();
}

Qt::ItemFlags TcxGridDataModel::flags(const QModelIndex &index) const
{
    if (!index.isValid() || !checkIndex(index, CheckIndexOption::IndexIsValid))
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}
