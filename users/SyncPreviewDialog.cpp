#include "SyncPreviewDialog.h"

#include <QAbstractTableModel>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QVBoxLayout>

#include "TableColumnFit.h"

namespace {

// The changes as rows: code, name, kind, column, old value, new value.
class ChangeModel : public QAbstractTableModel
{
public:
    ChangeModel(QVector<SyncPreview::Change> changes, QObject *parent)
        : QAbstractTableModel(parent), m_changes(std::move(changes))
    {
    }
    int rowCount(const QModelIndex &parent) const override { return parent.isValid() ? 0 : int(m_changes.size()); }
    int columnCount(const QModelIndex &parent) const override { return parent.isValid() ? 0 : 6; }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        static const char *const captions[] = {"用户代码", "姓名", "类别", "项目", "原值", "新值"};
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < 6)
            return QString::fromUtf8(captions[section]);
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (role != Qt::DisplayRole || !index.isValid())
            return QVariant();
        const SyncPreview::Change &c = m_changes.at(index.row());
        switch (index.column()) {
        case 0: return c.userCode;
        case 1: return c.userName;
        case 2: return c.added ? QStringLiteral("新增") : QStringLiteral("更新");
        case 3: return c.added ? QString() : SyncPreview::columnCaption(c.column);
        case 4: return c.oldValue;
        case 5:
            if (!c.added && c.column == SyncPreview::Password)
                return QStringLiteral("已更改");
            return c.newValue;
        }
        return QVariant();
    }
    const SyncPreview::Change &change(int row) const { return m_changes.at(row); }

private:
    const QVector<SyncPreview::Change> m_changes;  // shared with the preview, not copied
};

// Keeps the rows of one kind without touching the text of every cell.
class ChangeFilter : public QSortFilterProxyModel
{
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;
    void setChoice(int choice)
    {
        m_choice = choice;
        invalidateFilter();
    }
    // Rows are numbered as shown, from 1, not by their place in the whole list.
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation == Qt::Vertical && role == Qt::DisplayRole)
            return section + 1;
        return QSortFilterProxyModel::headerData(section, orientation, role);
    }

protected:
    bool filterAcceptsRow(int row, const QModelIndex &) const override
    {
        const SyncPreview::Change &c = static_cast<const ChangeModel *>(sourceModel())->change(row);
        switch (m_choice) {
        case SyncPreviewDialog::All: return true;
        case SyncPreviewDialog::Added: return c.added;
        case SyncPreviewDialog::Changed: return !c.added;
        default: return !c.added && int(c.column) == m_choice - SyncPreviewDialog::FirstColumn;
        }
    }

private:
    int m_choice = SyncPreviewDialog::All;
};

} // namespace

SyncPreviewDialog::SyncPreviewDialog(SyncPreview preview, QWidget *parent)
    : QDialog(parent), m_preview(std::move(preview))
{
    setObjectName(QStringLiteral("SyncPreviewDialog"));
    setWindowTitle(QStringLiteral("同步预览"));
    resize(820, 560);
    auto *layout = new QVBoxLayout(this);

    auto *summary = new QLabel(m_preview.summary(), this);
    summary->setObjectName(QStringLiteral("LblPreviewSummary"));
    summary->setWordWrap(true);
    layout->addWidget(summary);

    auto *filterRow = new QHBoxLayout;
    auto *filterLabel = new QLabel(QStringLiteral("显示(&F):"), this);
    m_filter = new QComboBox(this);
    m_filter->setObjectName(QStringLiteral("CmbPreviewFilter"));
    filterLabel->setBuddy(m_filter);
    m_filter->addItem(QStringLiteral("全部变化"));
    m_filter->addItem(QStringLiteral("新增用户 (%1)").arg(m_preview.added));
    m_filter->addItem(QStringLiteral("更新用户 (%1)").arg(m_preview.changed));
    for (int c = 0; c < SyncPreview::ColumnCount; ++c)
        m_filter->addItem(QStringLiteral("%1不同 (%2)")
                              .arg(SyncPreview::columnCaption(SyncPreview::Column(c)))
                              .arg(m_preview.changedPerColumn[c]));
    filterRow->addWidget(filterLabel);
    filterRow->addWidget(m_filter);
    filterRow->addStretch(1);
    layout->addLayout(filterRow);

    auto *model = new ChangeModel(m_preview.changes, this);
    auto *filter = new ChangeFilter(this);
    filter->setSourceModel(model);
    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("TblPreviewChanges"));
    m_table->setModel(filter);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
    // Codes, names and values read whole, the new value over the width left.
    auto *fit = new TableColumnFit(m_table, {150, 110, 50, 80, 180});
    layout->addWidget(m_table, 1);
    connect(m_filter, &QComboBox::currentIndexChanged, filter, [filter, fit](int choice) {
        filter->setChoice(choice);
        fit->refit();
    });

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *run = buttons->addButton(QStringLiteral("开始同步(&S)"), QDialogButtonBox::AcceptRole);
    run->setObjectName(QStringLiteral("BtnPreviewSync"));
    QPushButton *close = buttons->addButton(QStringLiteral("关闭(&C)"), QDialogButtonBox::RejectRole);
    close->setObjectName(QStringLiteral("BtnPreviewClose"));
    close->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}
