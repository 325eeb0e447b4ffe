#include "TcxDBTreeList.h"

#include <algorithm>

#include <QEvent>
#include <QHeaderView>
#include <QTreeView>
#include <QVBoxLayout>

#include "ClientDataSet.h"
#include "TcxDBTreeListModel.h"
#include "TcxTreeListColumn.h"

TcxDBTreeList::TcxDBTreeList(QWidget *parent)
    : QWidget(parent)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_tree = new QTreeView(this);
    m_model = new TcxDBTreeListModel(this);
    m_tree->setModel(m_model);
    m_tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tree->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tree->setAllColumnsShowFocus(true);
    m_tree->setUniformRowHeights(true);
    m_tree->setSortingEnabled(false);
    m_tree->header()->setSectionsMovable(false);
    m_tree->header()->setStretchLastSection(false);
    m_tree->header()->setMinimumSectionSize(1);
    layout->addWidget(m_tree);
    setFocusProxy(m_tree);

    connect(m_tree->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &TcxDBTreeList::selectionChanged);
    connect(m_tree->header(), &QHeaderView::sectionResized, this, [this](int section, int, int newSize) {
        if (m_syncing || section >= m_columns.size())
            return;
        // Sections follow the visible columns in order.
        int visible = -1;
        for (TcxTreeListColumn *column : std::as_const(m_columns)) {
            if (!column->Visible() || ++visible != section)
                continue;
            if (newSize < column->MinWidth())
                m_tree->header()->resizeSection(section, column->MinWidth());
            else
                column->m_width = newSize;
            return;
        }
    });
}

TcxDBTreeList::~TcxDBTreeList()
{
    m_link.release();
    m_destroying = true;
    const auto columns = m_columns;
    qDeleteAll(columns);
}

data::ClientDataSet *TcxDBTreeList::DataSet() const
{
    return m_link.dataSet();
}

void TcxDBTreeList::SetDataSource(data::DataSource *source)
{
    const auto rebuild = [this] { this->rebuild(); };
    const auto recordChanged = [this] { this->recordChanged(); };
    if (!m_link.follow(source, this, {rebuild, rebuild, [this] { syncFromDataSet(); }, recordChanged, recordChanged}))
        return;
    this->rebuild();
}

void TcxDBTreeList::SetKeyField(const QString &name)
{
    m_keyField = name;
    rebuild();
}

void TcxDBTreeList::SetParentField(const QString &name)
{
    m_parentField = name;
    rebuild();
}

void TcxDBTreeList::SetRootValue(const QVariant &value)
{
    m_rootValue = value;
    rebuild();
}

TcxTreeListColumn *TcxDBTreeList::CreateColumn(const QString &name)
{
    auto *column = new TcxTreeListColumn(this);  // registers itself
    if (!name.isEmpty())
        column->setObjectName(name);
    return column;
}

int TcxDBTreeList::IndexOfColumn(const TcxTreeListColumn *column) const
{
    return int(m_columns.indexOf(const_cast<TcxTreeListColumn *>(column)));
}

void TcxDBTreeList::addColumn(TcxTreeListColumn *column)
{
    m_columns << column;
    rebuild();
}

void TcxDBTreeList::columnDestroyed(TcxTreeListColumn *column)
{
    m_columns.removeOne(column);
    if (!m_destroying)
        rebuild();
}

void TcxDBTreeList::columnChanged(TcxTreeListColumn *, bool layout)
{
    if (m_destroying)
        return;
    if (layout) {
        rebuild();
        return;
    }
    emit m_model->headerDataChanged(Qt::Horizontal, 0, m_model->columnCount() - 1);
    applyColumnLayout();
    m_tree->viewport()->update();
}

void TcxDBTreeList::SetLastColumnFillsWidth(bool fill)
{
    if (m_fillWidth == fill)
        return;
    m_fillWidth = fill;
    if (fill) {
        m_tree->viewport()->installEventFilter(this);
        connect(m_tree, &QTreeView::expanded, this, &TcxDBTreeList::fillWidth);
        connect(m_tree, &QTreeView::collapsed, this, &TcxDBTreeList::fillWidth);
    }
    fillWidth();
}

void TcxDBTreeList::fillWidth()
{
    if (!m_fillWidth || m_model->columnCount() == 0)
        return;
    const int section = m_model->columnCount() - 1;
    int others = 0;
    for (int s = 0; s < section; ++s)
        others += m_tree->header()->sectionSize(s);
    const int wanted = std::max(m_tree->viewport()->width() - others,
                                static_cast<QAbstractItemView *>(m_tree)->sizeHintForColumn(section));
    m_syncing = true;
    m_tree->header()->resizeSection(section, std::max(wanted, m_tree->header()->sectionSizeHint(section)));
    m_syncing = false;
}

bool TcxDBTreeList::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_tree->viewport() && event->type() == QEvent::Resize)
        fillWidth();
    return QWidget::eventFilter(watched, event);
}

void TcxDBTreeList::applyColumnLayout()
{
    m_syncing = true;
    int section = 0;
    for (TcxTreeListColumn *column : std::as_const(m_columns)) {
        if (!column->Visible())
            continue;
        m_tree->header()->resizeSection(section++, column->Width());
    }
    m_syncing = false;
    fillWidth();
}

void TcxDBTreeList::BeginUpdate()
{
    ++m_updateCount;
}

void TcxDBTreeList::EndUpdate()
{
    if (m_updateCount == 0)
        return;
    if (--m_updateCount == 0 && m_pendingRebuild)
        rebuild();
}

void TcxDBTreeList::rebuild()
{
    if (m_destroying)
        return;
    if (IsUpdating()) {
        m_pendingRebuild = true;
        return;
    }
    m_pendingRebuild = false;
    m_syncing = true;
    m_model->rebuild();
    m_syncing = false;
    applyColumnLayout();
    // The reset dropped the selection: the current row's node is selected
    // anew and that counts as a change of selection.
    const int previous = m_lastSelectedRow;
    m_lastSelectedRow = -2;
    syncFromDataSet();
    if (m_lastSelectedRow == -2) {
        m_lastSelectedRow = -1;
        if (previous >= 0 && OnSelectionChanged)
            OnSelectionChanged(this);
    }
}

void TcxDBTreeList::recordChanged()
{
    if (IsUpdating())
        return;
    data::ClientDataSet *ds = DataSet();
    const int rows = (ds && ds->Active()) ? ds->RecordCount() : 0;
    if (rows != m_model->nodeCount()) {
        rebuild();
        return;
    }
    if (ds)
        m_model->rowChanged(ds->RecNo() - 1);
}

void TcxDBTreeList::syncFromDataSet()
{
    if (m_syncing || IsUpdating())
        return;
    data::ClientDataSet *ds = DataSet();
    const int row = (ds && ds->Active()) ? ds->RecNo() - 1 : -1;
    const QModelIndex index = m_model->indexOfRow(row, 0);
    if (!index.isValid()) {
        if (m_tree->currentIndex().isValid()) {
            m_syncing = true;
            m_tree->selectionModel()->clear();
            m_syncing = false;
        }
        if (m_lastSelectedRow >= 0) {
            m_lastSelectedRow = -1;
            if (OnSelectionChanged)
                OnSelectionChanged(this);
        }
        return;
    }
    if (m_tree->currentIndex() == index)
        return;
    m_syncing = true;
    m_tree->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_syncing = false;
    m_tree->scrollTo(index);
    selectionChanged();
}

void TcxDBTreeList::selectionChanged()
{
    const int row = m_model->rowOf(m_tree->currentIndex());
    if (m_syncing)
        return;
    data::ClientDataSet *ds = DataSet();
    if (row >= 0 && ds && ds->Active() && ds->RecNo() != row + 1) {
        m_syncing = true;
        struct Reset {
            bool &flag;
            ~Reset() { flag = false; }
        } reset{m_syncing};
        ds->SetRecNo(row + 1);
    }
    if (row == m_lastSelectedRow)
        return;
    m_lastSelectedRow = row;
    if (OnSelectionChanged)
        OnSelectionChanged(this);
}

int TcxDBTreeList::TopNodeCount() const
{
    return m_model->topLevelCount();
}

void TcxDBTreeList::ExpandTopNode(int index, bool recurse)
{
    const QModelIndex node = m_model->index(index, 0);
    if (!node.isValid())
        return;
    if (recurse)
        m_tree->expandRecursively(node);
    else
        m_tree->expand(node);
}

void TcxDBTreeList::FullExpand()
{
    m_tree->expandAll();
}

void TcxDBTreeList::FullCollapse()
{
    m_tree->collapseAll();
}

int TcxDBTreeList::FocusedRecordIndex() const
{
    return m_model->rowOf(m_tree->currentIndex());
}

void TcxDBTreeList::SetFocusedRecordIndex(int row)
{
    const QModelIndex index = m_model->indexOfRow(row, 0);
    if (!index.isValid())
        return;
    m_tree->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_tree->scrollTo(index);
}

QString TcxDBTreeList::FocusedNodeText(int column) const
{
    const QModelIndex current = m_tree->currentIndex();
    if (!current.isValid())
        return QString();
    return m_model->data(current.siblingAtColumn(column), Qt::DisplayRole).toString();
}
