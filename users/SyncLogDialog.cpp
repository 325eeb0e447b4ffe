#include "SyncLogDialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

#include "ListTable.h"
#include "LumoError.h"
#include "SyncLog.h"
#include "TableColumnFit.h"
#include "UBaseFrm.h"

namespace {

void fill(QStandardItemModel *model, const data::DataPacket &packet, const QStringList &captions)
{
    model->clear();
    model->setHorizontalHeaderLabels(captions);
    for (const QVector<QVariant> &row : packet.rows) {
        QList<QStandardItem *> items;
        for (const QVariant &value : row) {
            auto *item = new QStandardItem(value.typeId() == QMetaType::QDateTime
                                               ? value.toDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"))
                                               : value.toString());
            item->setEditable(false);
            items << item;
        }
        model->appendRow(items);
    }
}

} // namespace

SyncLogDialog::SyncLogDialog(SyncLog &log, QWidget *parent) : QDialog(parent), m_log(log)
{
    setObjectName(QStringLiteral("SyncLogDialog"));
    setWindowTitle(QStringLiteral("同步记录"));
    resize(900, 600);
    auto *layout = new QVBoxLayout(this);
    m_runs = new QStandardItemModel(this);
    m_changes = new QStandardItemModel(this);
    fill(m_runs, m_log.runs(),
         {QStringLiteral("编号"), QStringLiteral("时间"), QStringLiteral("操作员"), QStringLiteral("新增"),
          QStringLiteral("更新"), QStringLiteral("未变"), QStringLiteral("结果"), QStringLiteral("用时(秒)"),
          QStringLiteral("原因")});
    layout->addWidget(new QLabel(QStringLiteral("同步记录 (最新在前):"), this));
    QTableView *runs = makeListTable(this, "TblSyncRuns", m_runs);
    runs->setColumnHidden(0, true);
    // Times, codes, names and values read whole; a long cause or list of values ends the row.
    new TableColumnFit(runs);
    layout->addWidget(runs, 1);
    layout->addWidget(new QLabel(QStringLiteral("所选同步改动的用户:"), this));
    m_changesView = makeListTable(this, "TblSyncChanges", m_changes);
    m_changesFit = new TableColumnFit(m_changesView);
    layout->addWidget(m_changesView, 1);
    connect(runs->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) { guardEvent([&] { showChanges(current.row()); }); });

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("关闭"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    if (m_runs->rowCount() > 0)
        runs->setCurrentIndex(m_runs->index(0, 1));
    else
        showChanges(-1);
}

void SyncLogDialog::showChanges(int row)
{
    const QStringList captions{QStringLiteral("用户代码"), QStringLiteral("类别"), QStringLiteral("改动项目"),
                               QStringLiteral("原值"), QStringLiteral("新值")};
    data::DataPacket packet;
    if (row >= 0) {
        try {
            packet = m_log.changes(m_runs->item(row, 0)->text());
        } catch (const data::LumoError &) {
            // The list of runs stays readable; the details show empty.
        }
    }
    fill(m_changes, packet, captions);
    m_changesFit->refit();
}
