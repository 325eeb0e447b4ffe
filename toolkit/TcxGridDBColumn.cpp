#include "TcxGridDBColumn.h"

#include "Field.h"
#include "TcxGridDBTableView.h"

TcxGridDBColumn::TcxGridDBColumn(TcxGridDBTableView *view)
    : QObject(view)
    , m_view(view)
{
    view->addColumn(this);
}

TcxGridDBColumn::~TcxGridDBColumn()
{
    m_list.release();
    m_view->columnDestroyed(this);
}

int TcxGridDBColumn::Index() const
{
    return m_view->IndexOfColumn(this);
}

void TcxGridDBColumn::SetCaption(const QString &caption)
{
    m_caption = caption;
    m_view->columnChanged(this, false);
}

void TcxGridDBColumn::SetFieldName(const QString &fieldName)
{
    m_fieldName = fieldName;
    m_view->columnChanged(this, true);
}

void TcxGridDBColumn::SetWidth(int width)
{
    m_width = qMax(width, m_minWidth);
    m_view->columnChanged(this, false);
}

void TcxGridDBColumn::SetMinWidth(int width)
{
    m_minWidth = qMax(0, width);
    if (m_width < m_minWidth)
        m_width = m_minWidth;
    m_view->columnChanged(this, false);
}

void TcxGridDBColumn::SetHeaderAlignment(Qt::Alignment alignment)
{
    m_headerAlignment = alignment & Qt::AlignHorizontal_Mask;
    m_view->columnChanged(this, false);
}

void TcxGridDBColumn::SetVisible(bool visible)
{
    m_visible = visible;
    m_view->columnChanged(this, true);
}

void TcxGridDBColumn::SetListSource(data::DataSource *source)
{
    DataSourceLink::Handlers handlers;
    handlers.dataSetChanged = [this] { lookupChanged(); };
    handlers.dataChanged = handlers.recordChanged = [this] { listDataChanged(); };
    if (!m_list.follow(source, this, handlers))
        return;
    lookupChanged();
}

void TcxGridDBColumn::SetKeyFieldNames(const QString &names)
{
    m_lookup.setKeyFieldNames(names);
    lookupChanged();
}

void TcxGridDBColumn::SetListFieldNames(const QString &names)
{
    m_lookup.setListFieldNames(names);
    lookupChanged();
}

void TcxGridDBColumn::lookupChanged()
{
    m_lookup.setDataSet(m_list.dataSet());
    listDataChanged();
}

void TcxGridDBColumn::listDataChanged()
{
    m_lookup.invalidate();
    m_view->columnChanged(this, false);
}

void TcxGridDBColumn::SetFooterSummary(TcxSummaryKind kind, const QString &format)
{
    m_summaryKind = kind;
    m_summaryFormat = format;
    m_view->columnChanged(this, false);
}

void TcxGridDBColumn::Focus()
{
    m_view->SetFocusedColumn(this);
}

bool TcxGridDBColumn::Focused() const
{
    return m_view->FocusedColumn() == this;
}

void TcxGridDBColumn::SetFocused(bool focused)
{
    if (focused)
        Focus();
    else if (Focused())
        m_view->SetFocusedColumn(nullptr);
}

QString TcxGridDBColumn::displayText(const QVariant &value, const data::Field *field) const
{
    if (m_list.source())
        return m_lookup.listTextOf(value);
    if (value.isNull())
        return QString();
    return field ? field->textOf(value) : value.toString();
}
