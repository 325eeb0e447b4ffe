#include "TcxDBTreeListModel.h"

#include <deque>

#include <QHash>

#include "ClientDataSet.h"
#include "Field.h"
#include "TcxDBTreeList.h"
#include "TcxLookupIndex.h"
#include "TcxTreeListColumn.h"

TcxDBTreeListModel::TcxDBTreeListModel(TcxDBTreeList *treeList)
    : QAbstractItemModel(treeList)
    , m_treeList(treeList)
{
}

void TcxDBTreeListModel::rebuild()
{
    beginResetModel();
    build();
    endResetModel();
}

QVector<TcxTreeListColumn *> TcxDBTreeListModel::visibleColumns() const
{
    QVector<TcxTreeListColumn *> columns;
    for (int i = 0; i < m_treeList->ColumnCount(); ++i)
        if (m_treeList->Column(i)->Visible())
            columns << m_treeList->Column(i);
    return columns;
}

void TcxDBTreeListModel::build()
{
    m_nodes.clear();
    m_topLevel.clear();
    m_columns = visibleColumns();
    m_fieldIndex.clear();
    m_dataSet = m_treeList->DataSet();
    data::ClientDataSet *ds = m_dataSet;
    const bool active = ds && ds->Active();
    for (TcxTreeListColumn *column : m_columns) {
        data::Field *field = active ? ds->FindField(column->FieldName()) : nullptr;
        m_fieldIndex << (field ? field->Index() : -1);
    }
    if (!active)
        return;

    const int rows = qMax(0, ds->RecordCount());
    m_nodes.resize(rows);
    data::Field *keyField = ds->FindField(m_treeList->KeyField());
    data::Field *parentField = ds->FindField(m_treeList->ParentField());

    // Parent of each row through a hash of keys (the first row wins for a
    // repeated key).
    QVector<int> parentOf(rows, -1);
    if (keyField && parentField) {
        // Keys the dataset stores as text are read where they are stored;
        // others are made once and kept for as long as the hash needs them.
        std::deque<QString> made;
        const bool editing = ds->State() != data::DataSetState::Browse;
        const auto keyAt = [&](int row, int column) -> QStringView {
            if (!editing || row != ds->currentIndex()) {
                const QStringView stored = ds->storedText(ds->rowOfView(row), column);
                if (!stored.isNull())
                    return stored;
            }
            made.push_back(TcxLookupIndex::keyText(ds->valueAt(row, column)));
            return made.back();
        };
        QHash<QStringView, int> rowByKey;
        rowByKey.reserve(rows);
        for (int row = 0; row < rows; ++row) {
            const QStringView key = keyAt(row, keyField->Index());
            if (!key.isNull() && !rowByKey.contains(key))
                rowByKey.insert(key, row);
        }
        const QString root = TcxLookupIndex::keyText(m_treeList->RootValue());
        for (int row = 0; row < rows; ++row) {
            const QStringView parent = keyAt(row, parentField->Index());
            if (parent.isNull() || (!root.isNull() && parent == root))
                continue;
            const int parentRow = rowByKey.value(parent, -1);
            if (parentRow != row)
                parentOf[row] = parentRow;
        }

        // Rows on a parent cycle would hang below each other with no way up
        // to the top; the first row of each cycle met becomes a top-level node.
        enum : char { Unvisited, OnPath, Done };
        QVector<char> state(rows, Unvisited);
        QVector<int> path;
        for (int start = 0; start < rows; ++start) {
            if (state[start] != Unvisited)
                continue;
            path.clear();
            int row = start;
            while (row >= 0 && state[row] == Unvisited) {
                state[row] = OnPath;
                path << row;
                row = parentOf[row];
            }
            if (row >= 0 && state[row] == OnPath)
                parentOf[row] = -1;
            for (int visited : std::as_const(path))
                state[visited] = Done;
        }
    }

    for (int row = 0; row < rows; ++row) {
        Node &node = m_nodes[row];
        node.parent = parentOf[row];
        if (node.parent < 0) {
            node.position = int(m_topLevel.size());
            m_topLevel << row;
        } else {
            QVector<int> &siblings = m_nodes[node.parent].children;
            node.position = int(siblings.size());
            siblings << row;
        }
    }
}

void TcxDBTreeListModel::rowChanged(int row)
{
    if (row < 0 || row >= m_nodes.size())
        return;
    emit dataChanged(indexOfRow(row, 0), indexOfRow(row, columnCount() - 1));
}

int TcxDBTreeListModel::rowOf(const QModelIndex &index) const
{
    if (!index.isValid() || index.model() != this)
        return -1;
    const int parent = int(index.internalId()) - 1;
    const QVector<int> &siblings = parent < 0 ? m_topLevel : m_nodes.at(parent).children;
    return siblings.value(index.row(), -1);
}

QModelIndex TcxDBTreeListModel::indexOfRow(int row, int column) const
{
    if (row < 0 || row >= m_nodes.size() || column < 0 || column >= columnCount())
        return QModelIndex();
    const Node &node = m_nodes.at(row);
    return createIndex(node.position, column, quintptr(node.parent + 1));
}

QModelIndex TcxDBTreeListModel::index(int row, int column, const QModelIndex &parent) const
{
    if (!hasIndex(row, column, parent))
        return QModelIndex();
    const int parentRow = parent.isValid() ? rowOf(parent) : -1;
    return createIndex(row, column, quintptr(parentRow + 1));
}

QModelIndex TcxDBTreeListModel::parent(const QModelIndex &child) const
{
    if (!child.isValid())
        return QModelIndex();
    const int parentRow = int(child.internalId()) - 1;
    if (parentRow < 0)
        return QModelIndex();
    const Node &node = m_nodes.at(parentRow);
    return createIndex(node.position, 0, quintptr(node.parent + 1));
}

int TcxDBTreeListModel::rowCount(const QModelIndex &parent) const
{
    if (!parent.isValid())
        return int(m_topLevel.size());
    if (parent.column() > 0)
        return 0;
    const int row = rowOf(parent);
    return row < 0 ? 0 : int(m_nodes.at(row).children.size());
}

int TcxDBTreeListModel::columnCount(const QModelIndex &) const
{
    return qMax(1, int(m_columns.size()));
}

QVariant TcxDBTreeListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || !checkIndex(index, CheckIndexOption::IndexIsValid) || role != Qt::DisplayRole)
        return QVariant();
    data::ClientDataSet *ds = m_dataSet;
    const int row = rowOf(index);
    const int column = m_fieldIndex.value(index.column(), -1);
    // Rows may have changed under disabled controls; they read as empty
    // until the tree rebuilds.
    if (!ds || column < 0 || row < 0 || row >= ds->RecordCount())
        return QString();
    const QVariant value = ds->valueAt(row, column);
    return value.isNull() ? QString() : ds->FieldAt(column)->textOf(value);
}

QVariant TcxDBTreeListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= m_columns.size())
        return QVariant();
    if (role == Qt::DisplayRole)
        return m_columns.at(section)->Caption();
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::Alignment(m_columns.at(section)->HeaderAlignment() | Qt::AlignVCenter));
    return QVariant();
}

Qt::ItemFlags TcxDBTreeListModel::flags(const QModelIndex &index) const
{
    if (!index.isValid() || !checkIndex(index, CheckIndexOption::IndexIsValid))
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}
