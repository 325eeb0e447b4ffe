#include "CodePicker.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardItemModel>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include "DataPacket.h"
#include "LumoError.h"
#include "URCMSObjValueClass.h"

namespace {

// The escape character of the search patterns: typed %, _ and [ match
// themselves, on SQL Server as on SQLite and PostgreSQL.
constexpr QLatin1Char kLikeEscape('!');

// A quoted Like pattern that finds text literally: at the start of a value, or
// anywhere in it.
QString likePattern(const QString &text, bool anywhere)
{
    QString pattern;
    pattern.reserve(text.size() + 8);
    pattern += QLatin1Char('\'');
    if (anywhere)
        pattern += QLatin1Char('%');
    for (const QChar c : text) {
        if (c == QLatin1Char('%') || c == QLatin1Char('_') || c == QLatin1Char('[') || c == kLikeEscape)
            pattern += kLikeEscape;
        else if (c == QLatin1Char('\''))
            pattern += QLatin1Char('\'');
        pattern += c;
    }
    return pattern + QStringLiteral("%' Escape '!'");
}

QString displayText(const QVariant &value)
{
    return value.isNull() ? QString() : value.toString();
}

} // namespace

CodePicker::CodePicker(HostSession *session, QObject *parent) : QObject(parent), m_session(session) {}

void CodePicker::Init()
{
    m_table.clear();
    m_where.clear();
    m_orderBy.clear();
    m_fieldList.clear();
    m_spell.clear();
    m_wbx.clear();
    m_code.clear();
    m_searchTime = 2000;
    m_codeType.clear();
    m_conType.clear();
    m_captions.clear();
    m_chosen.clear();
}

void CodePicker::SetPosition(int left, int top, int width)
{
    m_position[0] = left;
    m_position[1] = top;
    m_position[2] = width;
}

QVector<CodePicker::Column> CodePicker::parseFieldList(const QString &fieldList)
{
    static const QRegularExpression as(QStringLiteral("\\s+as\\s+"), QRegularExpression::CaseInsensitiveOption);
    QVector<Column> columns;
    for (const QString &entry : fieldList.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QStringList parts = entry.trimmed().split(as);
        const QString expression = parts.value(0).trimmed();
        if (expression.isEmpty())
            continue;
        columns.append({expression, parts.size() > 1 ? parts.last().trimmed() : expression});
    }
    return columns;
}

QString CodePicker::searchStatement(const QString &text) const
{
    const QVector<Column> columns = parseFieldList(m_fieldList);
    if (columns.isEmpty() || m_table.trimmed().isEmpty())
        throw data::LumoError(QStringLiteral("代码选择: 未给出表或字段"));
    QStringList select;
    for (const Column &c : columns)
        select << c.expression + QStringLiteral(" As ") + c.caption;
    QString sql = QStringLiteral("Select ") + select.join(QStringLiteral(", ")) + QStringLiteral(" From ")
        + m_table.trimmed();
    const QString where = m_where.trimmed();
    sql += QStringLiteral(" Where ") + (where.isEmpty() ? QStringLiteral("1=1") : where);
    const QString needle = text.trimmed();
    QString order = m_orderBy.trimmed();
    if (!needle.isEmpty()) {
        // The first column is the code; search codes are kept upper-case.
        QStringList byCode{columns.first().expression + QStringLiteral(" Like ") + likePattern(needle, false)};
        if (!m_spell.trimmed().isEmpty())
            byCode << m_spell.trimmed() + QStringLiteral(" Like ") + likePattern(needle.toUpper(), false);
        if (!m_wbx.trimmed().isEmpty())
            byCode << m_wbx.trimmed() + QStringLiteral(" Like ") + likePattern(needle.toUpper(), false);
        const QString codeMatch = byCode.join(QStringLiteral(" Or "));
        if (columns.size() > 1) {
            // The second column is the name: a unit is also found by any part
            // of it, listed after every match by code or search code.
            sql += QStringLiteral(" And (") + codeMatch + QStringLiteral(" Or ") + columns.at(1).expression
                + QStringLiteral(" Like ") + likePattern(needle, true) + QLatin1Char(')');
            order = QStringLiteral("Case When ") + codeMatch + QStringLiteral(" Then 0 Else 1 End")
                + (order.isEmpty() ? QString() : QStringLiteral(", ") + order);
        } else {
            sql += QStringLiteral(" And (") + codeMatch + QLatin1Char(')');
        }
    }
    if (!order.isEmpty())
        sql += QStringLiteral(" Order By ") + order;
    return sql;
}

void CodePicker::Show()
{
    m_chosen.clear();
    m_captions.clear();
    for (const Column &c : parseFieldList(m_fieldList))
        m_captions << c.caption;
    const bool rcms = m_conType.toString().compare(QLatin1String("rcms"), Qt::CaseInsensitive) == 0;
    CodePickerDialog dialog(this, m_session, !rcms, m_searchTime, m_dialogParent);
    dialog.searchEdit()->setText(m_code);
    dialog.searchEdit()->end(false);
    dialog.search();
    emit dialogShown(&dialog);
    if (dialog.exec() == QDialog::Accepted)
        m_chosen = dialog.chosenRow();
}

QString CodePicker::GetCodeValue(const QString &caption)
{
    const int column = m_captions.indexOf(caption.trimmed());
    if (column < 0 || column >= m_chosen.size())
        return QString();
    return displayText(m_chosen.at(column));
}

CodePickerDialog::CodePickerDialog(CodePicker *picker, HostSession *session, bool healthRecord,
                                   int searchTime, QWidget *parent)
    : QDialog(parent), m_picker(picker), m_session(session), m_healthRecord(healthRecord)
{
    setObjectName(QStringLiteral("CodePickerDialog"));
    setWindowTitle(QStringLiteral("代码选择"));
    resize(520, 420);

    auto *layout = new QVBoxLayout(this);
    auto *hint = new QLabel(QStringLiteral("输入编码、拼音码、五笔码或名称查找, 回车或双击选定:"), this);
    layout->addWidget(hint);
    m_search = new QLineEdit(this);
    m_search->setObjectName(QStringLiteral("SearchEdit"));
    layout->addWidget(m_search);
    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("ResultTable"));
    m_model = new QStandardItemModel(this);
    m_table->setModel(m_model);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->setDefaultSectionSize(22);
    m_table->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(m_table, 1);
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("StatusLabel"));
    layout->addWidget(m_status);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto *ok = new QPushButton(QStringLiteral("确定"), this);
    auto *cancel = new QPushButton(QStringLiteral("取消"), this);
    ok->setAutoDefault(false);
    cancel->setAutoDefault(false);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, &CodePickerDialog::chooseCurrent);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    m_timer = new QTimer(this);
    m_timer->setSingleShot(true);
    m_timer->setInterval(qMax(0, searchTime));
    connect(m_timer, &QTimer::timeout, this, &CodePickerDialog::search);
    connect(m_search, &QLineEdit::textEdited, m_timer, qOverload<>(&QTimer::start));
    connect(m_table, &QTableView::doubleClicked, this, &CodePickerDialog::chooseCurrent);
    m_search->installEventFilter(this);
    m_table->installEventFilter(this);
}

void CodePickerDialog::search()
{
    m_timer->stop();
    m_model->clear();
    QStringList headers;
    for (const auto &c : CodePicker::parseFieldList(m_picker->property("FieldList").toString()))
        headers << c.caption;
    m_model->setHorizontalHeaderLabels(headers);
    const QString sql = m_picker->searchStatement(m_search->text());
    data::DataPacket packet;
    try {
        packet = m_healthRecord ? m_session->OpenHrData(sql) : m_session->OpenRcmsData(sql);
    } catch (const data::LumoError &e) {
        // The cause only: the statement is in the log.
        m_status->setText(QStringLiteral("查询失败: %1").arg(e.cause()));
        return;
    }
    const int shown = qMin(static_cast<int>(packet.rows.size()), kMaxRows);
    m_model->setRowCount(shown);
    for (int r = 0; r < shown; ++r) {
        const auto &row = packet.rows.at(r);
        for (int c = 0; c < headers.size() && c < row.size(); ++c) {
            auto *item = new QStandardItem(displayText(row.at(c)));
            item->setData(row.at(c), Qt::UserRole);
            m_model->setItem(r, c, item);
        }
    }
    m_status->setText(packet.rows.size() > kMaxRows
                          ? QStringLiteral("共 %1 条, 仅显示前 %2 条, 请输入更多字符").arg(packet.rows.size()).arg(kMaxRows)
                          : QStringLiteral("共 %1 条").arg(packet.rows.size()));
    if (shown > 0)
        m_table->selectRow(0);
}

void CodePickerDialog::chooseCurrent()
{
    const QModelIndex current = m_table->currentIndex();
    if (!current.isValid())
        return;
    m_chosen.clear();
    for (int c = 0; c < m_model->columnCount(); ++c)
        m_chosen << m_model->index(current.row(), c).data(Qt::UserRole);
    accept();
}

bool CodePickerDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            // Enter right after typing searches first; Enter on the results chooses.
            if (watched == m_search && m_timer->isActive())
                search();
            else
                chooseCurrent();
            return true;
        }
        if (watched == m_search && (key->key() == Qt::Key_Down || key->key() == Qt::Key_Up)) {
            const int row = qBound(0, m_table->currentIndex().row() + (key->key() == Qt::Key_Down ? 1 : -1),
                                   m_model->rowCount() - 1);
            if (m_model->rowCount() > 0)
                m_table->selectRow(row);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
