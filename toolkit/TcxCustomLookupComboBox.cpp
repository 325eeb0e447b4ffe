#include "TcxCustomLookupComboBox.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QTableView>

#include "Field.h"
#include "TcxLookupListModel.h"

namespace {

QStringList listFieldsOf(const QString &names)
{
    QStringList fields;
    for (const QString &name : names.split(QLatin1Char(';'), Qt::SkipEmptyParts))
        if (!name.trimmed().isEmpty())
            fields << name.trimmed();
    return fields;
}

} // namespace

TcxCustomLookupComboBox::TcxCustomLookupComboBox(QWidget *parent)
    : TcxCustomMaskEdit(parent, NoInnerWidget())
{
    m_combo = new QComboBox(this);
    m_model = new TcxLookupListModel(this);
    m_combo->setModel(m_model);
    auto *list = new QTableView(m_combo);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->verticalHeader()->hide();
    list->horizontalHeader()->setStretchLastSection(true);
    list->setShowGrid(false);
    m_combo->setView(list);
    m_combo->setEditable(true);
    m_combo->setInsertPolicy(QComboBox::NoInsert);
    m_combo->setCompleter(nullptr);
    setInnerWidget(m_combo);
    hookLineEdit();

    connect(m_combo, &QComboBox::currentTextChanged, this, [this](const QString &text) {
        if (m_showing)
            return;
        if (m_combo->isEditable())
            userTyped(text);
        else
            userPicked(m_combo->currentIndex());
    });
    // Picking the item whose text is already typed changes no text but does
    // choose that item.
    connect(m_combo, qOverload<int>(&QComboBox::activated), this, [this](int row) {
        if (!m_showing && m_index.keyOfRow(row) != m_value)
            userPicked(row);
    });
}

TcxCustomLookupComboBox::~TcxCustomLookupComboBox()
{
    m_list.release();
}

void TcxCustomLookupComboBox::hookLineEdit()
{
    if (m_combo->isEditable())
        m_combo->setCompleter(nullptr);
    setLineEdit(m_combo->lineEdit(), false);
    applyMask();
}

void TcxCustomLookupComboBox::SetListSource(data::DataSource *source)
{
    const auto changed = [this] { listChanged(); };
    DataSourceLink::Handlers handlers;
    handlers.dataSetChanged = handlers.dataChanged = changed;
    if (!m_list.follow(source, this, handlers))
        return;
    listChanged();
}

void TcxCustomLookupComboBox::SetListFieldNames(const QString &names)
{
    m_index.setListFieldNames(names);
    listChanged();
}

void TcxCustomLookupComboBox::SetKeyFieldNames(const QString &names)
{
    m_index.setKeyFieldNames(names);
    listChanged();
}

void TcxCustomLookupComboBox::SetShowHeader(bool show)
{
    m_showHeader = show;
    if (auto *list = qobject_cast<QTableView *>(m_combo->view()))
        list->horizontalHeader()->setVisible(show);
}

void TcxCustomLookupComboBox::SetDropDownListStyle(TcxEditDropDownListStyle style)
{
    if (m_listStyle == style)
        return;
    m_listStyle = style;
    m_showing = true;
    m_combo->setEditable(style != lsFixedList);
    if (m_combo->isEditable())
        m_combo->setInsertPolicy(QComboBox::NoInsert);
    m_showing = false;
    hookLineEdit();
    showValue(m_value);
}

void TcxCustomLookupComboBox::listChanged()
{
    data::ClientDataSet *dataSet = m_list.dataSet();
    m_index.setDataSet(dataSet);
    m_index.invalidate();
    m_showing = true;
    m_model->setSource(dataSet, listFieldsOf(m_index.listFieldNames()));
    m_showing = false;
    SetShowHeader(m_showHeader);
    // The same value may name another text (or an item) in the new list.
    showValue(m_value);
}

QString TcxCustomLookupComboBox::Text() const
{
    return m_combo->currentText();
}

QVariant TcxCustomLookupComboBox::EditValue() const
{
    return m_value;
}

void TcxCustomLookupComboBox::SetEditValue(const QVariant &value)
{
    m_value = value;
    m_null = value.isNull();
    showValue(value);
}

int TcxCustomLookupComboBox::ItemIndex() const
{
    return m_index.rowOfKey(m_value);
}

void TcxCustomLookupComboBox::SetItemIndex(int row)
{
    SetEditValue(m_index.keyOfRow(row));
}

void TcxCustomLookupComboBox::showValue(const QVariant &value)
{
    const QString before = Text();
    m_showing = true;
    const int row = m_index.rowOfKey(value);
    m_combo->setCurrentIndex(row);
    if (row < 0 && m_combo->isEditable()) {
        // A value that names no item is shown as it is: with key and list
        // field alike (dictionary lists) the typed text stays visible.
        m_combo->setEditText(value.isNull() ? QString() : TcxLookupIndex::keyText(value));
    }
    m_showing = false;
    if (Text() != before)
        valueChanged();
}

void TcxCustomLookupComboBox::showText(const QString &text)
{
    // SetText: a text set by code selects the item it names, else is kept.
    const QString before = Text();
    const int row = m_index.rowOfListText(text);
    m_showing = true;
    m_combo->setCurrentIndex(row);
    if (m_combo->isEditable() && m_combo->currentText() != text)
        m_combo->setEditText(text);
    m_showing = false;
    m_value = row >= 0 ? m_index.keyOfRow(row) : (text.isEmpty() ? QVariant() : QVariant(text));
    if (Text() != before)
        valueChanged();
}

void TcxCustomLookupComboBox::userPicked(int row)
{
    m_value = m_index.keyOfRow(row);
    m_null = m_value.isNull();
    userChangedValue();
}

void TcxCustomLookupComboBox::userTyped(const QString &text)
{
    const int row = m_index.rowOfListText(text);
    if (row >= 0)
        m_value = m_index.keyOfRow(row);
    else
        m_value = text.isEmpty() ? QVariant() : QVariant(text);
    m_null = m_value.isNull();
    userChangedValue();
}

void TcxCustomLookupComboBox::showField(data::Field *field)
{
    if (!field || field->IsNull())
        SetEditValue(QVariant());
    else
        SetEditValue(field->Value());
}

void TcxCustomLookupComboBox::applyReadOnly(bool readOnly)
{
    if (QLineEdit *edit = m_combo->lineEdit())
        edit->setReadOnly(readOnly);
}
