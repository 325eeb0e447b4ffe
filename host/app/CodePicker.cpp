#include "CodePicker.h"

#include <QAbstractTableModel>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

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

// The rows a search found, as the table shows them: the values as read, shown
// as text. Replaced whole by each search, in one reset, so a thousand rows
// cost no more than their copy.
class CodePickerRows : public QAbstractTableModel
{
public:
    using QAbstractTableModel::QAbstractTableModel;

    void setRows(QStringList headers, QVector<data::PacketRows::Row> rows)
    {
        beginResetModel();
        m_headers = std::move(headers);
        m_rows = std::move(rows);
        endResetModel();
    }
    void clearRows()
    {
        beginResetModel();
        m_rows.clear();
        endResetModel();
    }
    const data::PacketRows::Row &row(int r) const { return m_rows.at(r); }

    int rowCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : int(m_rows.size()); }
    int columnCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : int(m_headers.size());
    }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!checkIndex(index, CheckIndexOption::IndexIsValid) || index.column() >= m_rows.at(index.row()).size())
            return {};
        const QVariant &value = m_rows.at(index.row()).at(index.column());
        if (role == Qt::DisplayRole)
            return displayText(value);
        return role == Qt::UserRole ? value : QVariant();
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < m_headers.size())
            return m_headers.at(section);
        return QAbstractTableModel::headerData(section, orientation, role);
    }

private:
    QStringList m_headers;
    QVector<data::PacketRows::Row> m_rows;
};

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
    m_rows = new CodePickerRows(this);
    m_table->setModel(m_rows);
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
    ok->setObjectName(QStringLiteral("BtnOK"));
    auto *cancel = new QPushButton(QStringLiteral("取消"), this);
    cancel->setObjectName(QStringLiteral("BtnCancel"));
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
    connect(m_search, &QLineEdit::textEdited, this, &CodePickerDialog::textEdited);
    connect(m_table, &QTableView::doubleClicked, this, &CodePickerDialog::chooseCurrent);
    m_search->installEventFilter(this);
    m_table->installEventFilter(this);
}

CodePickerDialog::~CodePickerDialog() = default;

QAbstractItemModel *CodePickerDialog::model() const
{
    return m_rows;
}

bool CodePickerDialog::resultsCurrent() const
{
    return m_searched && m_searchedText == m_search->text() && !m_timer->isActive();
}

void CodePickerDialog::textEdited()
{
    // A quick search follows the text at once. A slow one waits for a pause in
    // the typing, and until then no rows of the text before are on show to be
    // chosen by mistake.
    if (m_lastSearchMs >= 0 && m_lastSearchMs <= kPromptSearchMs) {
        search();
        return;
    }
    m_timer->start();
    m_searched = false;
    m_rows->clearRows();
    m_status->setText(QStringLiteral("停止输入后查找…"));
}

void CodePickerDialog::search()
{
    m_timer->stop();
    QStringList headers;
    for (const auto &c : CodePicker::parseFieldList(m_picker->property("FieldList").toString()))
        headers << c.caption;
    const QString text = m_search->text();
    // A picker without a table or fields cannot search at all: that is raised
    // to whoever opened it.
    const QString sql = m_picker->searchStatement(text);
    // Whatever the outcome, what is on show belongs to this text: a failed
    // query shows no rows.
    m_searchedText = text;
    m_searched = true;
    QElapsedTimer clock;
    clock.start();
    data::DataPacket packet;
    try {
        packet = m_healthRecord ? m_session->OpenHrData(sql) : m_session->OpenRcmsData(sql);
    } catch (const data::LumoError &e) {
        m_rows->setRows(headers, {});
        // The cause only: the statement is in the log.
        m_status->setText(QStringLiteral("查询失败: %1").arg(e.cause()));
        m_lastSearchMs = clock.elapsed();
        return;
    }
    const qsizetype found = packet.rows.size();
    QVector<data::PacketRows::Row> rows = packet.rows.takeVector();
    if (rows.size() > kMaxRows)
        rows.resize(kMaxRows);
    m_rows->setRows(headers, std::move(rows));
    fitCodeColumn();
    m_status->setText(found > kMaxRows
                          ? QStringLiteral("共 %1 条, 仅显示前 %2 条, 请输入更多字符").arg(found).arg(kMaxRows)
                          : QStringLiteral("共 %1 条").arg(found));
    if (m_rows->rowCount() > 0)
        m_table->selectRow(0);
    m_lastSearchMs = clock.elapsed();
}

void CodePickerDialog::fitCodeColumn()
{
    // The code column shows its longest code whole; the name takes the rest.
    if (m_rows->columnCount() < 2)
        return;
    const QFontMetrics metrics(m_table->font());
    int widest = 0;
    for (int r = 0; r < m_rows->rowCount(); ++r)
        widest = qMax(widest, metrics.horizontalAdvance(displayText(m_rows->row(r).value(0))));
    const int margin = 2 * (m_table->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, m_table) + 1) + 4;
    m_table->horizontalHeader()->resizeSection(
        0, std::max({m_table->horizontalHeader()->sectionSizeHint(0), widest + margin, 100}));
}

void CodePickerDialog::chooseCurrent()
{
    // Never a row of an earlier text: a search still due runs first.
    if (!resultsCurrent())
        search();
    const QModelIndex current = m_table->currentIndex();
    if (!current.isValid())
        return;
    m_chosen = m_rows->row(current.row());
    m_chosen.resize(m_rows->columnCount());
    accept();
}

bool CodePickerDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            chooseCurrent();
            return true;
        }
        if (watched == m_search && (key->key() == Qt::Key_Down || key->key() == Qt::Key_Up)) {
            if (!resultsCurrent())
                search();
            const int row = qBound(0, m_table->currentIndex().row() + (key->key() == Qt::Key_Down ? 1 : -1),
                                   m_rows->rowCount() - 1);
            if (m_rows->rowCount() > 0)
                m_table->selectRow(row);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
