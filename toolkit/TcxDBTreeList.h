#pragma once

#include <QList>
#include <QString>
#include <QVariant>
#include <QWidget>

#include "DataSource.h"
#include "DataSourceLink.h"
#include "ToolkitEvents.h"

class QTreeView;
class TcxDBTreeListModel;
class TcxTreeListColumn;

// A tree over a dataset (DataController: DataSource, KeyField, ParentField,
// RootValue), shown by a read-only QTreeView with whole-row selection. The
// selected node follows the dataset's cursor both ways: selecting a node makes
// its row current and raises OnSelectionChanged; moving the dataset selects the
// row's node. After a rebuild the node of the dataset's current row is selected.
class TcxDBTreeList : public QWidget
{
    Q_OBJECT

public:
    explicit TcxDBTreeList(QWidget *parent = nullptr);
    ~TcxDBTreeList() override;

    data::DataSource *DataSource() const { return m_link.source(); }
    void SetDataSource(data::DataSource *source);
    data::ClientDataSet *DataSet() const;
    QString KeyField() const { return m_keyField; }
    void SetKeyField(const QString &name);
    QString ParentField() const { return m_parentField; }
    void SetParentField(const QString &name);
    QVariant RootValue() const { return m_rootValue; }
    void SetRootValue(const QVariant &value);

    TcxTreeListColumn *CreateColumn(const QString &name = QString());
    int ColumnCount() const { return m_columns.size(); }
    TcxTreeListColumn *Column(int index) const { return m_columns.value(index); }
    int IndexOfColumn(const TcxTreeListColumn *column) const;

    // Suspends rebuilding: dataset changes while suspended are collected and
    // EndUpdate rebuilds once.
    void BeginUpdate();
    void EndUpdate();
    bool IsUpdating() const { return m_updateCount > 0; }

    int TopNodeCount() const;
    void ExpandTopNode(int index, bool recurse = false);
    void FullExpand();
    void FullCollapse();

    // Dataset row (0-based visible index) of the selected node; -1 when none.
    int FocusedRecordIndex() const;
    void SetFocusedRecordIndex(int row);
    // Text of a column in the selected node; empty when none is selected.
    QString FocusedNodeText(int column = 0) const;

    // The last column spans the tree's width and grows past it when its texts
    // need more (the tree then scrolls sideways), so no node is shown cut.
    void SetLastColumnFillsWidth(bool fill);

    QTreeView *treeView() const { return m_tree; }
    TcxDBTreeListModel *treeModel() const { return m_model; }

    TNotifyEvent OnSelectionChanged;

    // Used by columns and the model.
    void columnChanged(TcxTreeListColumn *column, bool layout);
    void columnDestroyed(TcxTreeListColumn *column);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void fillWidth();
    void addColumn(TcxTreeListColumn *column);
    void rebuild();
    void dataSetChanged();
    void recordChanged();
    void syncFromDataSet();
    void selectionChanged();
    void applyColumnLayout();

    QTreeView *m_tree = nullptr;
    TcxDBTreeListModel *m_model = nullptr;
    DataSourceLink m_link;
    QString m_keyField;
    QString m_parentField;
    QVariant m_rootValue;
    QList<TcxTreeListColumn *> m_columns;
    int m_updateCount = 0;
    bool m_pendingRebuild = false;
    bool m_syncing = false;
    bool m_destroying = false;
    int m_lastSelectedRow = -1;
    bool m_fillWidth = false;

    friend class TcxTreeListColumn;
};
