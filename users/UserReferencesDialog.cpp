#include "UserReferencesDialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

UserReferencesDialog::UserReferencesDialog(const QString &userCode, const QString &userName,
                                           const QVector<UserReference> &references, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("UserReferencesDialog"));
    setWindowTitle(QStringLiteral("数据引用情况"));
    resize(520, 420);
    auto *layout = new QVBoxLayout(this);

    auto *label = new QLabel(summary(userCode, userName, references), this);
    label->setObjectName(QStringLiteral("LblReferencesSummary"));
    label->setWordWrap(true);
    layout->addWidget(label);

    auto *table = new QTableWidget(int(references.size()), 3, this);
    table->setObjectName(QStringLiteral("TblReferences"));
    table->setHorizontalHeaderLabels({QStringLiteral("业务数据"), QStringLiteral("数据表"), QStringLiteral("记录数")});
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->verticalHeader()->setVisible(false);
    table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    table->horizontalHeader()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    table->horizontalHeader()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
    for (int row = 0; row < references.size(); ++row) {
        const UserReference &r = references.at(row);
        table->setItem(row, 0, new QTableWidgetItem(r.caption));
        table->setItem(row, 1, new QTableWidgetItem(r.table));
        auto *count = new QTableWidgetItem(QString::number(r.count));
        count->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        table->setItem(row, 2, count);
    }
    layout->addWidget(table, 1);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("关闭"));
    buttons->button(QDialogButtonBox::Close)->setObjectName(QStringLiteral("BtnReferencesClose"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

QString UserReferencesDialog::summary(const QString &userCode, const QString &userName,
                                      const QVector<UserReference> &references)
{
    const QString who = QStringLiteral("用户 %1 %2").arg(userCode, userName).trimmed();
    if (references.isEmpty())
        return who + QStringLiteral(" 未产生业务数据, 可以删除.");
    qint64 total = 0;
    for (const UserReference &r : references)
        total += r.count;
    return who + QStringLiteral(" 在 %1 个业务数据表中有 %2 条记录, 无法删除:").arg(references.size()).arg(total);
}
