#pragma once

#include <QAbstractItemModel>
#include <QPointer>
#include <QString>
#include <QVariant>
#include <QVector>

#include "DataSource.h"

class TcxDBTreeList;
class TcxTreeListColumn;

// The nodes of a DB tree list, built from the visible rows of a dataset: a row
// hangs under the row whose key field equals its parent field. Rows whose
// parent value is the root value, names no loaded row, names the row itself or
// lies on a parent cycle are top-level nodes, so every row is shown exactly
// once. Building is linear in the number of rows (a hash of keys).
class TcxDBTreeListModel : public QAbstractItemModel
{
    Q_OBJECT

public:
    explicit TcxDBTreeListModel(TcxDBTreeList *treeList);

    // Rebuilds the nodes from the dataset (a model reset).
    void rebuild();
    // The values of one dataset row changed.
    void rowChanged(int row);

    // Dataset row (visible index) of a node; -1 for an invalid index.
    int rowOf(const QModelIndex &index) const;
    // Node of a dataset row; invalid when the row has none.
    QModelIndex indexOfRow(int row, int column = 0) const;
    int topLevelCount() const { return int(m_topLevel.size()); }
    int nodeCount() const { return int(m_nodes.size()); }

    QModelIndex index(int row, int column, const QModelIndex &parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    struct Node
    {
        int parent = -1;         // node index (= dataset row) of the parent; -1 at top level
        int position = 0;        // position among the parent's children
        QVector<int> children;   // node indexes
    };

    void build();
    QVector<TcxTreeListColumn *> visibleColumns() const;

    TcxDBTreeList *m_treeList;
    QPointer<data::ClientDataSet> m_dataSet;
    QVector<Node> m_nodes;       // one per dataset row, same index
    QVector<int> m_topLevel;     // node indexes
    QVector<TcxTreeListColumn *> m_columns;
    QVector<int> m_fieldIndex;
};
