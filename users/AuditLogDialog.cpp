#include "AuditLogDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

#include "AuditQuery.h"
#include "HostCall.h"
#include "ListTable.h"
#include "LumoError.h"
#include "UBaseFrm.h"
#include "UGlobalFunUnt.h"
#include "URCMSObjValueClass.h"
#include "UserAudit.h"
#include "UserRestore.h"

namespace {

enum Column { ColId, ColTime, ColOperator, ColMachine, ColKind, ColUserCode, ColUserName, ColChanges };

QLineEdit *makeEdit(QWidget *parent, const char *name, const QString &hint)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setPlaceholderText(hint);
    edit->setClearButtonEnabled(true);
    return edit;
}

QStandardItem *cell(const QString &text)
{
    auto *item = new QStandardItem(text);
    item->setEditable(false);
    return item;
}

} // namespace

AuditLogDialog::AuditLogDialog(HostSession &session, UserAudit &audit, bool mayRestore, QWidget *parent)
    : QDialog(parent), m_session(session), m_audit(audit), m_mayRestore(mayRestore)
{
    setObjectName(QStringLiteral("AuditLogDialog"));
    setWindowTitle(QStringLiteral("操作日志"));
    resize(1000, 640);
    auto *layout = new QVBoxLayout(this);

    auto *filters = new QGridLayout;
    m_from = makeEdit(this, "EdtAuditFrom", QStringLiteral("yyyy-MM-dd"));
    m_to = makeEdit(this, "EdtAuditTo", QStringLiteral("yyyy-MM-dd"));
    m_operator = makeEdit(this, "EdtAuditOperator", QStringLiteral("操作员代码"));
    m_user = makeEdit(this, "EdtAuditUser", QStringLiteral("用户代码或姓名"));
    m_kind = new QComboBox(this);
    m_kind->setObjectName(QStringLiteral("CmbAuditKind"));
    m_kind->addItem(QStringLiteral("全部"), QString());
    for (const UserAudit::Kind kind :
         {UserAudit::Kind::Added, UserAudit::Kind::Edited, UserAudit::Kind::Deleted, UserAudit::Kind::PasswordReset,
          UserAudit::Kind::Moved, UserAudit::Kind::Restored, UserAudit::Kind::Imported, UserAudit::Kind::Synced})
        m_kind->addItem(UserAudit::kindText(kind), UserAudit::kindText(kind));
    auto *find = new QPushButton(QStringLiteral("查询"), this);
    find->setObjectName(QStringLiteral("BtnAuditQuery"));
    find->setAutoDefault(false);
    filters->addWidget(new QLabel(QStringLiteral("日期从:"), this), 0, 0);
    filters->addWidget(m_from, 0, 1);
    filters->addWidget(new QLabel(QStringLiteral("至:"), this), 0, 2);
    filters->addWidget(m_to, 0, 3);
    filters->addWidget(new QLabel(QStringLiteral("类别:"), this), 0, 4);
    filters->addWidget(m_kind, 0, 5);
    filters->addWidget(new QLabel(QStringLiteral("操作员:"), this), 1, 0);
    filters->addWidget(m_operator, 1, 1);
    filters->addWidget(new QLabel(QStringLiteral("用户:"), this), 1, 2);
    filters->addWidget(m_user, 1, 3);
    filters->addWidget(find, 1, 5);
    layout->addLayout(filters);

    m_count = new QLabel(this);
    m_count->setObjectName(QStringLiteral("LblAuditCount"));
    layout->addWidget(m_count);
    m_rows = new QStandardItemModel(this);
    m_rowsView = makeListTable(this, "TblAudit", m_rows);
    m_rowsView->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(m_rowsView, 3);
    layout->addWidget(new QLabel(QStringLiteral("所选记录的改动 (原值 → 新值):"), this));
    m_changes = new QStandardItemModel(this);
    m_changesView = makeListTable(this, "TblAuditChanges", m_changes);
    m_changesView->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(m_changesView, 2);

    auto *buttons = new QDialogButtonBox(this);
    // Only for a login that may add users: the button box shows every button it holds.
    if (m_mayRestore) {
        m_restore = buttons->addButton(QStringLiteral("恢复"), QDialogButtonBox::ActionRole);
        m_restore->setObjectName(QStringLiteral("BtnAuditRestore"));
        connect(m_restore, &QPushButton::clicked, this, [this] { guardEvent([this] { restore(); }); });
    }
    QPushButton *exportButton = buttons->addButton(QStringLiteral("导出"), QDialogButtonBox::ActionRole);
    exportButton->setObjectName(QStringLiteral("BtnAuditExport"));
    buttons->addButton(QDialogButtonBox::Close)->setText(QStringLiteral("关闭"));
    for (QPushButton *button : buttons->findChildren<QPushButton *>())
        button->setAutoDefault(false);
    layout->addWidget(buttons);

    // Enter in a filter asks at once; nothing is read while one types.
    for (QLineEdit *edit : {m_from, m_to, m_operator, m_user})
        connect(edit, &QLineEdit::returnPressed, this, [this] { guardEvent([this] { query(); }); });
    connect(m_kind, &QComboBox::activated, this, [this] { guardEvent([this] { query(); }); });
    connect(find, &QPushButton::clicked, this, [this] { guardEvent([this] { query(); }); });
    connect(exportButton, &QPushButton::clicked, this, [this] { guardEvent([this] { exportRows(); }); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    m_rows->setHorizontalHeaderLabels({QStringLiteral("编号"), QStringLiteral("时间"), QStringLiteral("操作员"),
                                       QStringLiteral("计算机"), QStringLiteral("类别"), QStringLiteral("用户代码"),
                                       QStringLiteral("用户姓名"), QString()});
    connect(m_rowsView->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) { guardEvent([&] { showChanges(current.row()); }); });
    m_rowsView->setColumnHidden(ColId, true);
    m_rowsView->setColumnHidden(ColChanges, true);
    m_rowsView->horizontalHeader()->setStretchLastSection(false);
    load(AuditQuery());
}

void AuditLogDialog::load(const AuditQuery &filter)
{
    const data::DataPacket packet = m_session.OpenHrData(filter.sql());
    m_rows->removeRows(0, m_rows->rowCount());
    for (const QVector<QVariant> &row : packet.rows) {
        QList<QStandardItem *> items;
        for (int i = 0; i < row.size(); ++i)
            items << cell(i == ColTime ? row.at(i).toDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"))
                                       : row.at(i).toString());
        m_rows->appendRow(items);
    }
    m_rowsView->resizeColumnsToContents();
    // The values are shown below, so the name ends the row and takes the rest of its width.
    m_rowsView->horizontalHeader()->setSectionResizeMode(ColUserName, QHeaderView::Stretch);
    m_count->setText(packet.rows.size() >= AuditQuery::PageSize
                         ? QStringLiteral("最新的 %1 条记录 (请用条件缩小范围)").arg(AuditQuery::PageSize)
                         : QStringLiteral("共 %1 条记录").arg(packet.rows.size()));
    if (m_rows->rowCount() > 0)
        m_rowsView->setCurrentIndex(m_rows->index(0, ColTime));
    else
        showChanges(-1);
}

void AuditLogDialog::query()
{
    AuditQuery filter;
    const QString wrong = AuditQuery::parse(m_from->text(), m_to->text(), m_operator->text(), m_user->text(),
                                            m_kind->currentData().toString(), filter);
    if (!wrong.isEmpty()) {
        ShowInfo(wrong);
        return;
    }
    try {
        load(filter);
    } catch (const data::LumoError &e) {
        ShowInfo(QStringLiteral("读取操作日志失败!原因:") + e.cause());
    }
}

void AuditLogDialog::showChanges(int row)
{
    m_changes->clear();
    m_changes->setHorizontalHeaderLabels({QStringLiteral("项目"), QStringLiteral("原值"), QStringLiteral("新值")});
    const bool chosen = row >= 0 && row < m_rows->rowCount();
    const QString none = QStringLiteral("(空)");
    if (chosen) {
        for (const UserAudit::Change &change : UserAudit::changesFrom(m_rows->item(row, ColChanges)->text()))
            m_changes->appendRow({cell(UserAudit::columnCaption(change.column)), cell(change.before.value_or(none)),
                                  cell(change.after.value_or(none))});
    }
    m_changesView->resizeColumnsToContents();
    if (m_restore)
        m_restore->setEnabled(chosen
                              && m_rows->item(row, ColKind)->text() == UserAudit::kindText(UserAudit::Kind::Deleted));
}

void AuditLogDialog::exportRows()
{
    // The rows as listed, each with its changes in one cell as the list below shows them.
    QStringList headers;
    for (int column = ColTime; column < ColChanges; ++column)
        headers << m_rows->headerData(column, Qt::Horizontal).toString();
    headers << QStringLiteral("改动 (原值 → 新值)");
    QVariantList rows;
    const QString none = QStringLiteral("(空)");
    for (int row = 0; row < m_rows->rowCount(); ++row) {
        QStringList cells;
        for (int column = ColTime; column < ColChanges; ++column)
            cells << m_rows->item(row, column)->text();
        QStringList changes;
        for (const UserAudit::Change &change : UserAudit::changesFrom(m_rows->item(row, ColChanges)->text()))
            changes << UserAudit::columnCaption(change.column) + QStringLiteral(": ") + change.before.value_or(none) + QStringLiteral(" → ")
                    + change.after.value_or(none);
        cells << changes.join(QStringLiteral("; "));
        rows << cells;
    }
    hostCall(m_session.HostDispatch, "ExportTable", {QStringLiteral("操作日志"), headers, rows});
}

void AuditLogDialog::restore()
{
    const int row = m_rowsView->currentIndex().row();
    if (row < 0 || !m_restore || !m_restore->isEnabled())
        return;
    const QString code = m_rows->item(row, ColUserCode)->text();
    const QString name = m_rows->item(row, ColUserName)->text();
    if (!ShowConfirm(QStringLiteral("确定恢复已删除的用户 %1(%2)?").arg(name, code)))
        return;
    try {
        UserRestore(m_session, m_audit, m_rows->item(row, ColId)->text().toLongLong()).run();
    } catch (const data::LumoError &e) {  // a refusal says why in the same words
        ShowInfo(QStringLiteral("恢复失败!原因:") + e.cause());
        return;
    }
    m_restoredAny = true;
    ShowInfo(QStringLiteral("恢复成功!"));
    query();
}
