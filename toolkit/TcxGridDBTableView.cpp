#include "TcxGridDBTableView.h"

#include <algorithm>
#include <QApplication>
#include <QEvent>
#include <QHash>
#include <QHeaderView>
#include <QPainter>
#include <QRegularExpression>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>

#include <cmath>

#include "ClientDataSet.h"
#include "Field.h"
#include "TcxGrid.h"
#include "TcxGridDBColumn.h"
#include "TcxGridDataModel.h"
#include "TcxGridSortOrder.h"
#include "TcxStyle.h"

// The row indicator: a vertical header that offers each data row's cell to
// the view's drawing hook before drawing it itself.
class TcxGridIndicator : public QHeaderView
{
public:
    explicit TcxGridIndicator(TcxGridDBTableView *view)
        : QHeaderView(Qt::Vertical, view)
        , m_view(view)
    {
        setSectionResizeMode(QHeaderView::Fixed);
        setSectionsClickable(false);
        setHighlightSections(false);
    }

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override
    {
        if (!rect.isValid())
            return;
        TcxIndicatorCellInfo info;
        info.IsDataRow = true;
        info.RecordIndex = logicalIndex;
        const QModelIndex current = m_view->m_table->currentIndex();
        info.Focused = current.isValid() && current.row() == logicalIndex;
        info.Selected = m_view->m_table->selectionModel()
                        && m_view->m_table->selectionModel()->isRowSelected(logicalIndex, QModelIndex());
        info.Bounds = rect;
        info.Font = painter->font();
        info.TextColor = palette().color(QPalette::ButtonText);
        info.BrushColor = palette().color(QPalette::Button);
        if (m_view->OnCustomDrawIndicatorCell) {
            bool done = false;
            painter->save();
            m_view->OnCustomDrawIndicatorCell(m_view, painter, info, done);
            painter->restore();
            if (done)
                return;
        }
        TcxGridDBTableView::DrawHeaderCell(painter, rect, QString(), false, info.Font, info.TextColor,
                                           info.BrushColor);
        if (info.Focused) {
            // The focused row's mark: a small triangle pointing at the row.
            painter->save();
            painter->setRenderHint(QPainter::Antialiasing);
            painter->setPen(Qt::NoPen);
            painter->setBrush(info.TextColor);
            const QPointF c = QRectF(rect).center();
            const qreal h = qMin<qreal>(4, rect.height() / 4.0);
            const QPointF points[3] = {{c.x() - h / 2, c.y() - h}, {c.x() - h / 2, c.y() + h}, {c.x() + h / 2, c.y()}};
            painter->drawPolygon(points, 3);
            painter->restore();
        }
    }

private:
    TcxGridDBTableView *m_view;
};

// The footer: one cell per visible column, showing the column's summary.
class TcxGridFooter : public QWidget
{
public:
    explicit TcxGridFooter(TcxGridDBTableView *view)
        : QWidget(view)
        , m_view(view)
    {
        setFixedHeight(fontMetrics().height() + 8);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), palette().color(QPalette::Button));
        QTableView *table = m_view->m_table;
        QHeaderView *header = table->horizontalHeader();
        // Cells line up with the columns above (both lie inside the view).
        const int offset = table->viewport()->mapTo(m_view, QPoint(0, 0)).x() - x();
        for (int section = 0; section < m_view->m_model->columnCount(); ++section) {
            if (header->isSectionHidden(section))
                continue;
            const QRect cell(offset + header->sectionViewportPosition(section), 0, header->sectionSize(section),
                             height());
            painter.setPen(palette().color(QPalette::Mid));
            painter.drawRect(cell.adjusted(0, 0, -1, -1));
            const QString text = m_view->FooterText(m_view->m_model->columnAt(section));
            if (text.isEmpty())
                continue;
            painter.setPen(palette().color(QPalette::ButtonText));
            painter.drawText(cell.adjusted(4, 0, -4, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
        }
    }

private:
    TcxGridDBTableView *m_view;
};

namespace {

// Draws cells without the selection highlight while the view is unfocused
// (OptionsSelection.HideSelection).
class GridCellDelegate : public QStyledItemDelegate
{
public:
    GridCellDelegate(QTableView *table, const bool *hideSelection)
        : QStyledItemDelegate(table)
        , m_table(table)
        , m_hideSelection(hideSelection)
    {
    }

    // Best fit asks the size of up to a thousand cells a column, mostly the
    // same few texts (unit names, grades, dates), and laying a text out is
    // nearly all of it. The grid's cells differ in nothing else that counts
    // for their size, so a size is kept per text while the font, the style
    // and the option's features stay as they were.
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QStyleOptionViewItem cell = option;
        initStyleOption(&cell, index);
        const QStyle *style = cell.widget ? cell.widget->style() : QApplication::style();
        // A wrapped text's size depends on its cell's width; a check box or an
        // icon on more than the text.
        if (!cell.icon.isNull()
            || (cell.features & (QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::WrapText)))
            return QStyledItemDelegate::sizeHint(option, index);
        if (style != m_sizesStyle || cell.font != m_sizesFont || cell.features != m_sizesFeatures
            || m_sizes.size() > kMaxSizes) {
            m_sizes.clear();
            m_sizesStyle = style;
            m_sizesFont = cell.font;
            m_sizesFeatures = cell.features;
        }
        auto known = m_sizes.constFind(cell.text);
        if (known == m_sizes.cend())
            known = m_sizes.insert(cell.text, QStyledItemDelegate::sizeHint(option, index));
        return *known;
    }

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (*m_hideSelection && !m_table->hasFocus())
            option->state &= ~QStyle::State_Selected;
    }

private:
    static constexpr qsizetype kMaxSizes = 4096;

    QTableView *m_table;
    const bool *m_hideSelection;
    mutable QHash<QString, QSize> m_sizes;
    mutable const QStyle *m_sizesStyle = nullptr;
    mutable QFont m_sizesFont;
    mutable QStyleOptionViewItem::ViewItemFeatures m_sizesFeatures;
};

} // namespace

TcxGridDBTableView::TcxGridDBTableView(QWidget *parent)
    : QWidget(parent)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_table = new QTableView(this);
    m_model = new TcxGridDataModel(this);
    m_indicatorHeader = new TcxGridIndicator(this);
    m_table->setVerticalHeader(m_indicatorHeader);
    m_table->setModel(m_model);
    m_table->setItemDelegate(new GridCellDelegate(m_table, &m_hideSelection));
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSortingEnabled(false);
    m_table->setWordWrap(false);
    m_table->setTabKeyNavigation(false);
    m_table->horizontalHeader()->setSectionsMovable(false);
    m_table->horizontalHeader()->setHighlightSections(false);
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    m_table->horizontalHeader()->setMinimumSectionSize(1);
    m_indicatorHeader->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
    m_indicatorHeader->setVisible(m_indicator);
    m_indicatorHeader->setFixedWidth(m_indicatorWidth);
    layout->addWidget(m_table);
    setFocusProxy(m_table);

    m_footerWidget = new TcxGridFooter(this);
    m_footerWidget->setVisible(m_footer);
    layout->addWidget(m_footerWidget);

    connect(m_table->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) { currentRowChanged(current.isValid() ? current.row() : -1); });
    connect(m_table->selectionModel(), &QItemSelectionModel::currentColumnChanged, this,
            [this](const QModelIndex &current) {
                if (!m_syncing && current.isValid())
                    m_focusedColumn = m_model->columnAt(current.column());
            });
    connect(m_table->horizontalHeader(), &QHeaderView::sectionResized, this,
            [this](int section, int, int newSize) {
                TcxGridDBColumn *column = m_model->columnAt(section);
                if (!column || m_syncing)
                    return;
                if (newSize < column->MinWidth()) {
                    m_table->horizontalHeader()->resizeSection(section, column->MinWidth());
                    return;
                }
                column->m_width = newSize;
                m_footerWidget->update();
                layoutChangedByUser();
            });
    connect(m_table->horizontalHeader(), &QHeaderView::sectionMoved, this, [this] {
        m_footerWidget->update();
        if (!m_syncing)
            layoutChangedByUser();
    });
    connect(m_table->horizontalHeader(), &QHeaderView::sectionClicked, this, &TcxGridDBTableView::headerClicked);
    connect(m_table->horizontalScrollBar(), &QScrollBar::valueChanged, m_footerWidget,
            qOverload<>(&QWidget::update));
    m_table->viewport()->installEventFilter(this);
    m_table->installEventFilter(this);
}

TcxGridDBTableView::~TcxGridDBTableView()
{
    m_link.release();
    m_destroying = true;
    const auto columns = m_columns;
    qDeleteAll(columns);
}

TcxGrid *TcxGridDBTableView::Control() const
{
    return qobject_cast<TcxGrid *>(parentWidget());
}

data::ClientDataSet *TcxGridDBTableView::DataSet() const
{
    return m_link.dataSet();
}

void TcxGridDBTableView::SetDataSource(data::DataSource *source)
{
    const auto reload = [this] { this->reload(); };
    const auto recordChanged = [this] {
        if (IsUpdating())
            return;
        data::ClientDataSet *ds = DataSet();
        if (ds && ds->RecordCount() != m_model->rowCount()) {
            this->reload();
            return;
        }
        m_model->rowChanged(ds ? ds->RecNo() - 1 : -1);
        m_footerWidget->update();
    };
    const auto stateChanged = [this] {
        if (IsUpdating())
            return;
        // Append and Cancel change the number of rows without new data.
        data::ClientDataSet *ds = DataSet();
        const int rows = (ds && ds->Active()) ? ds->RecordCount() : 0;
        if (rows != m_model->rowCount())
            this->reload();
        else if (ds)
            m_model->rowChanged(ds->RecNo() - 1);
    };
    if (!m_link.follow(source, this, {reload, reload, [this] { syncFromDataSet(); }, recordChanged, stateChanged}))
        return;
    reload();
}

void TcxGridDBTableView::addColumn(TcxGridDBColumn *column)
{
    m_columns << column;
    reload();
}

TcxGridDBColumn *TcxGridDBTableView::CreateColumn(const QString &name)
{
    return CreateColumnOf<TcxGridDBColumn>(name);
}

int TcxGridDBTableView::IndexOfColumn(const TcxGridDBColumn *column) const
{
    return int(m_columns.indexOf(const_cast<TcxGridDBColumn *>(column)));
}

void TcxGridDBTableView::columnDestroyed(TcxGridDBColumn *column)
{
    m_columns.removeOne(column);
    if (m_focusedColumn == column)
        m_focusedColumn = nullptr;
    if (m_sortColumn == column)
        m_sortColumn = nullptr;
    if (!m_destroying)
        reload();
}

void TcxGridDBTableView::columnChanged(TcxGridDBColumn *column, bool layout)
{
    if (m_destroying)
        return;
    if (layout) {
        reload();
        return;
    }
    const int section = m_model->sectionOf(column);
    if (section >= 0) {
        emit m_model->headerDataChanged(Qt::Horizontal, section, section);
        if (m_model->rowCount() > 0)
            emit m_model->dataChanged(m_model->index(0, section), m_model->index(m_model->rowCount() - 1, section));
    }
    applyColumnLayout();
    m_footerWidget->update();
}

void TcxGridDBTableView::moveCurrentTo(int row, int section)
{
    m_syncing = true;
    m_table->selectionModel()->setCurrentIndex(m_model->index(row, section),
                                               QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_syncing = false;
    m_table->scrollTo(m_model->index(row, section));
}

void TcxGridDBTableView::SetFocusedColumn(TcxGridDBColumn *column)
{
    m_focusedColumn = column;
    const int section = m_model->sectionOf(column);
    if (section < 0)
        return;
    const QModelIndex current = m_table->currentIndex();
    const int row = current.isValid() ? current.row() : (m_model->rowCount() > 0 ? 0 : -1);
    if (row < 0) {
        m_table->horizontalHeader()->setOffsetToSectionPosition(section);
        return;
    }
    moveCurrentTo(row, section);
}

void TcxGridDBTableView::SetContentEven(TcxStyle *style)
{
    m_contentEven = style;
    if (style)
        connect(style, &TcxStyle::changed, m_table->viewport(), qOverload<>(&QWidget::update), Qt::UniqueConnection);
    m_table->viewport()->update();
}

void TcxGridDBTableView::SetContentOdd(TcxStyle *style)
{
    m_contentOdd = style;
    if (style)
        connect(style, &TcxStyle::changed, m_table->viewport(), qOverload<>(&QWidget::update), Qt::UniqueConnection);
    m_table->viewport()->update();
}

QColor TcxGridDBTableView::rowColor(int row) const
{
    TcxStyle *style = row % 2 == 0 ? m_contentEven.data() : m_contentOdd.data();
    return style ? style->Color() : QColor();
}

void TcxGridDBTableView::SetFooter(bool show)
{
    m_footer = show;
    m_footerWidget->setVisible(show);
}

void TcxGridDBTableView::SetIndicator(bool show)
{
    m_indicator = show;
    m_indicatorHeader->setVisible(show);
}

void TcxGridDBTableView::SetIndicatorWidth(int width)
{
    m_indicatorWidth = qMax(1, width);
    m_indicatorHeader->setFixedWidth(m_indicatorWidth);
}

void TcxGridDBTableView::SetHideSelection(bool hide)
{
    m_hideSelection = hide;
    m_table->viewport()->update();
}

void TcxGridDBTableView::UpdateFooter()
{
    m_footerWidget->update();
}

void TcxGridDBTableView::SetSortingByHeader(bool on)
{
    QHeaderView *header = m_table->horizontalHeader();
    header->setSectionsClickable(on);
    header->setSortIndicatorShown(on);
    // No arrow until the user sorts.
    header->setSortIndicator(m_model->sectionOf(m_sortColumn), m_sortDescending ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void TcxGridDBTableView::SetColumnMoving(bool on)
{
    m_table->horizontalHeader()->setSectionsMovable(on);
}

void TcxGridDBTableView::headerClicked(int section)
{
    TcxGridDBColumn *column = m_model->columnAt(section);
    if (!column || !m_table->horizontalHeader()->isSortIndicatorShown())
        return;
    SortBy(column, column == m_sortColumn && !m_sortDescending);
    layoutChangedByUser();
}

void TcxGridDBTableView::SortBy(TcxGridDBColumn *column, bool descending)
{
    m_sortColumn = column;
    m_sortDescending = descending;
    QHeaderView *header = m_table->horizontalHeader();
    const int section = m_model->sectionOf(column);
    m_syncing = true;
    header->setSortIndicator(section, descending ? Qt::DescendingOrder : Qt::AscendingOrder);
    m_syncing = false;
    if (data::ClientDataSet *ds = DataSet())
        ds->SetRowOrder(column ? TcxGridSortOrder(ds, column, descending).rowOrder() : data::ClientDataSet::RowOrder());
}

QList<TcxGridDBColumn *> TcxGridDBTableView::VisibleColumnsInOrder() const
{
    QList<TcxGridDBColumn *> columns;
    QHeaderView *header = m_table->horizontalHeader();
    for (int visual = 0; visual < header->count(); ++visual) {
        const int section = header->logicalIndex(visual);
        if (!header->isSectionHidden(section))
            columns << m_model->columnAt(section);
    }
    return columns;
}

QString TcxGridDBTableView::SaveLayout() const
{
    QStringList order, widths;
    for (TcxGridDBColumn *column : VisibleColumnsInOrder()) {
        order << column->objectName();
        widths << column->objectName() + QLatin1Char(':') + QString::number(column->Width());
    }
    QString sort;
    if (m_sortColumn)
        sort = m_sortColumn->objectName() + (m_sortDescending ? QStringLiteral(":desc") : QStringLiteral(":asc"));
    return QStringLiteral("order=%1;widths=%2;sort=%3").arg(order.join(QLatin1Char(',')), widths.join(QLatin1Char(',')), sort);
}

void TcxGridDBTableView::RestoreLayout(const QString &layout)
{
    auto byName = [this](const QString &name) -> TcxGridDBColumn * {
        for (TcxGridDBColumn *column : m_columns) {
            if (column->objectName() == name)
                return column;
        }
        return nullptr;
    };
    QHeaderView *header = m_table->horizontalHeader();
    for (const QString &part : layout.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString key = part.section(QLatin1Char('='), 0, 0);
        const QStringList items = part.section(QLatin1Char('='), 1).split(QLatin1Char(','), Qt::SkipEmptyParts);
        if (key == QLatin1String("order")) {
            int visual = 0;
            for (const QString &name : items) {
                const int section = m_model->sectionOf(byName(name));
                if (section < 0)
                    continue;
                m_syncing = true;
                header->moveSection(header->visualIndex(section), visual++);
                m_syncing = false;
            }
        } else if (key == QLatin1String("widths")) {
            for (const QString &item : items) {
                TcxGridDBColumn *column = byName(item.section(QLatin1Char(':'), 0, 0));
                const int width = item.section(QLatin1Char(':'), 1).toInt();
                if (column && width > 0)
                    column->SetWidth(qMax(width, column->MinWidth()));
            }
        } else if (key == QLatin1String("sort") && !items.isEmpty()) {
            if (TcxGridDBColumn *column = byName(items.first().section(QLatin1Char(':'), 0, 0)))
                SortBy(column, items.first().section(QLatin1Char(':'), 1) == QLatin1String("desc"));
        }
    }
}

void TcxGridDBTableView::layoutChangedByUser()
{
    if (OnLayoutChanged)
        OnLayoutChanged(this);
}

QString TcxGridDBTableView::FooterText(const TcxGridDBColumn *column) const
{
    QString text = summaryText(column);
    return OnGetFooterText ? OnGetFooterText(column, text) : text;
}

QString TcxGridDBTableView::summaryText(const TcxGridDBColumn *column) const
{
    if (!column || column->FooterSummaryKind() == skNone)
        return QString();
    const QString format = column->FooterSummaryFormat();
    data::ClientDataSet *ds = DataSet();
    const int rows = (ds && ds->Active()) ? ds->RecordCount() : 0;
    if (column->FooterSummaryKind() == skCount)
        return FormatCount(format, rows);

    data::Field *field = (ds && ds->Active()) ? ds->FindField(column->FieldName()) : nullptr;
    if (!field)
        return QString();
    double sum = 0, minimum = 0, maximum = 0;
    int counted = 0;
    for (int row = 0; row < rows; ++row) {
        const QVariant value = ds->valueAt(row, field->Index());
        bool ok = false;
        const double d = value.toDouble(&ok);
        if (value.isNull() || !ok)
            continue;
        minimum = counted == 0 ? d : qMin(minimum, d);
        maximum = counted == 0 ? d : qMax(maximum, d);
        sum += d;
        ++counted;
    }
    double result = 0;
    switch (column->FooterSummaryKind()) {
    case skSum:
        result = sum;
        break;
    case skMin:
        result = minimum;
        break;
    case skMax:
        result = maximum;
        break;
    case skAverage:
        result = counted ? sum / counted : 0;
        break;
    default:
        break;
    }
    if (format.isEmpty())
        return QString::number(result, 'g', 15);
    return FormatNumber(format, result);
}

QString TcxGridDBTableView::FormatCount(const QString &format, qint64 count)
{
    if (format.isEmpty())
        return QString::number(count);
    return FormatNumber(format, double(count));
}

QString TcxGridDBTableView::FormatNumber(const QString &format, double value)
{
    // Sections: positive;negative;zero (quoted text may hold ';').
    QStringList sections;
    QString current;
    QChar quote;
    for (QChar ch : format) {
        if (!quote.isNull()) {
            if (ch == quote)
                quote = QChar();
        } else if (ch == QLatin1Char('\'') || ch == QLatin1Char('"')) {
            quote = ch;
        } else if (ch == QLatin1Char(';')) {
            sections << current;
            current.clear();
            continue;
        }
        current += ch;
    }
    sections << current;

    QString section = sections.value(0);
    bool negativeSection = false;
    if (value < 0 && sections.size() > 1 && !sections.at(1).isEmpty()) {
        section = sections.at(1);
        negativeSection = true;
    } else if (value == 0 && sections.size() > 2 && !sections.at(2).isEmpty()) {
        section = sections.at(2);
    }

    // Split the section into literal text and the number's placeholders.
    QString prefix, suffix;
    int intZeros = 0, decZeros = 0, decHashes = 0;
    bool inNumber = false, afterNumber = false, decimal = false, thousands = false;
    quote = QChar();
    for (QChar ch : section) {
        if (!quote.isNull()) {
            if (ch == quote)
                quote = QChar();
            else
                (inNumber || afterNumber ? suffix : prefix) += ch;
            continue;
        }
        if (ch == QLatin1Char('\'') || ch == QLatin1Char('"')) {
            quote = ch;
            continue;
        }
        const bool placeholder = ch == QLatin1Char('0') || ch == QLatin1Char('#') || ch == QLatin1Char('.')
                                 || ch == QLatin1Char(',');
        if (placeholder && !afterNumber) {
            inNumber = true;
            if (ch == QLatin1Char('.'))
                decimal = true;
            else if (ch == QLatin1Char(','))
                thousands = true;
            else if (ch == QLatin1Char('0'))
                (decimal ? decZeros : intZeros)++;
            else if (decimal)
                decHashes++;
            continue;
        }
        if (inNumber) {
            afterNumber = true;
            inNumber = false;
        }
        (afterNumber ? suffix : prefix) += ch;
    }
    if (!inNumber && !afterNumber)
        return prefix;  // no placeholders: the text alone

    const int maxDecimals = decZeros + decHashes;
    double magnitude = std::fabs(value);
    QString digits = QString::number(magnitude, 'f', maxDecimals);
    QString intPart = digits.section(QLatin1Char('.'), 0, 0);
    QString decPart = digits.section(QLatin1Char('.'), 1, 1);
    while (decPart.size() > decZeros && decPart.endsWith(QLatin1Char('0')))
        decPart.chop(1);
    if (intPart == QLatin1String("0") && intZeros == 0)
        intPart.clear();
    while (intPart.size() < intZeros)
        intPart.prepend(QLatin1Char('0'));
    if (thousands) {
        for (int i = int(intPart.size()) - 3; i > 0; i -= 3)
            intPart.insert(i, QLatin1Char(','));
    }
    QString number = intPart;
    if (!decPart.isEmpty())
        number += QLatin1Char('.') + decPart;
    if (value < 0 && !negativeSection && (!number.isEmpty() && number.contains(QRegularExpression(QStringLiteral("[1-9]")))))
        number.prepend(QLatin1Char('-'));
    return prefix + number + suffix;
}

bool TcxGridDBTableView::MultiSelect() const
{
    return m_table->selectionMode() == QAbstractItemView::ExtendedSelection;
}

void TcxGridDBTableView::SetMultiSelect(bool on)
{
    m_table->setSelectionMode(on ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
}

QList<int> TcxGridDBTableView::SelectedRecordIndexes() const
{
    QList<int> rows;
    for (const QModelIndex &index : m_table->selectionModel()->selectedRows())
        rows << index.row();
    std::sort(rows.begin(), rows.end());
    return rows;
}

int TcxGridDBTableView::FocusedRecordIndex() const
{
    const QModelIndex current = m_table->currentIndex();
    return current.isValid() ? current.row() : -1;
}

void TcxGridDBTableView::SetFocusedRecordIndex(int row)
{
    if (row < 0 || row >= m_model->rowCount())
        return;
    const int section = qMax(0, m_model->sectionOf(m_focusedColumn));
    m_table->selectionModel()->setCurrentIndex(m_model->index(row, section),
                                               QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_table->scrollTo(m_model->index(row, section));
}

int TcxGridDBTableView::RecordCount() const
{
    return m_model->rowCount();
}

QString TcxGridDBTableView::DisplayText(int row, const TcxGridDBColumn *column) const
{
    const int section = m_model->sectionOf(column);
    if (section < 0 || row < 0 || row >= m_model->rowCount())
        return QString();
    return m_model->data(m_model->index(row, section), Qt::DisplayRole).toString();
}

void TcxGridDBTableView::BeginUpdate()
{
    ++m_updateCount;
}

void TcxGridDBTableView::EndUpdate()
{
    if (m_updateCount == 0)
        return;
    if (--m_updateCount == 0 && m_pendingReload)
        reload();
}

void TcxGridDBTableView::Focus()
{
    if (TcxGrid *grid = Control())
        grid->SetFocusedView(this);
    m_table->setFocus(Qt::OtherFocusReason);
}

void TcxGridDBTableView::reload()
{
    if (m_destroying)
        return;
    if (IsUpdating()) {
        m_pendingReload = true;
        return;
    }
    m_pendingReload = false;
    m_syncing = true;
    m_model->reload();
    m_syncing = false;
    applyColumnLayout();
    syncFromDataSet();
    m_footerWidget->update();
}

void TcxGridDBTableView::ApplyBestFit()
{
    QHeaderView *header = m_table->horizontalHeader();
    for (int section = 0; section < m_model->columnCount(); ++section) {
        TcxGridDBColumn *column = m_model->columnAt(section);
        const int needed = std::max(static_cast<QAbstractItemView *>(m_table)->sizeHintForColumn(section),
                                     header->sectionSizeHint(section));
        if (needed > column->Width())
            column->SetWidth(needed);
    }
}

void TcxGridDBTableView::applyColumnLayout()
{
    QHeaderView *header = m_table->horizontalHeader();
    m_syncing = true;
    for (int section = 0; section < m_model->columnCount(); ++section) {
        TcxGridDBColumn *column = m_model->columnAt(section);
        if (header->sectionSize(section) != column->Width())
            header->resizeSection(section, column->Width());
    }
    m_syncing = false;
}

void TcxGridDBTableView::syncFromDataSet()
{
    if (m_syncing || IsUpdating())
        return;
    data::ClientDataSet *ds = DataSet();
    const int row = (ds && ds->Active()) ? ds->RecNo() - 1 : -1;
    if (row < 0 || row >= m_model->rowCount()) {
        if (m_table->currentIndex().isValid()) {
            m_syncing = true;
            m_table->selectionModel()->clear();
            m_syncing = false;
        }
        return;
    }
    if (m_table->currentIndex().row() == row)
        return;
    const int section = qMax(0, m_model->sectionOf(m_focusedColumn));
    if (m_model->columnCount() == 0)
        return;
    moveCurrentTo(row, section);
    m_indicatorHeader->viewport()->update();
    if (OnFocusedRecordChanged)
        OnFocusedRecordChanged(this);
}

void TcxGridDBTableView::currentRowChanged(int row)
{
    m_indicatorHeader->viewport()->update();
    if (m_syncing)
        return;
    data::ClientDataSet *ds = DataSet();
    if (ds && ds->Active() && row >= 0 && row < ds->RecordCount() && ds->RecNo() != row + 1) {
        m_syncing = true;
        struct Reset {
            bool &flag;
            ~Reset() { flag = false; }
        } reset{m_syncing};
        ds->SetRecNo(row + 1);
    }
    if (OnFocusedRecordChanged)
        OnFocusedRecordChanged(this);
}

bool TcxGridDBTableView::eventFilter(QObject *watched, QEvent *event)
{
    // The first click of a double click has already made its row current.
    if (watched == m_table->viewport() && event->type() == QEvent::MouseButtonDblClick && OnDblClick)
        OnDblClick(this);
    if (watched == m_table && (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)) {
        if (m_hideSelection)
            m_table->viewport()->update();
    }
    return QWidget::eventFilter(watched, event);
}

void TcxGridDBTableView::DrawHeaderCell(QPainter *painter, const QRect &rect, const QString &text, bool hot,
                                        const QFont &font, const QColor &textColor, const QColor &brushColor)
{
    painter->save();
    // The background is exactly the brush colour the caller gives; the hot
    // state shows in the border.
    const QColor background = brushColor.isValid() ? brushColor : QApplication::palette().color(QPalette::Button);
    painter->fillRect(rect, background);
    const QColor border = QApplication::palette().color(hot ? QPalette::Highlight : QPalette::Mid);
    painter->setPen(border);
    // Left, right and bottom edges; the cell above draws the top.
    painter->drawLine(rect.topLeft(), rect.bottomLeft());
    painter->drawLine(rect.topRight(), rect.bottomRight());
    painter->drawLine(rect.bottomLeft(), rect.bottomRight());
    if (!text.isEmpty()) {
        painter->setFont(font);
        painter->setPen(textColor.isValid() ? textColor : QApplication::palette().color(QPalette::ButtonText));
        painter->drawText(rect, Qt::AlignCenter | Qt::TextSingleLine, text);
    }
    painter->restore();
}
