#include "TcxCustomComboBox.h"

#include <QComboBox>
#include <QLineEdit>

TcxCustomComboBox::TcxCustomComboBox(QWidget *parent)
    : TcxCustomMaskEdit(parent, NoInnerWidget())
{
    m_combo = new QComboBox(this);
    m_combo->setEditable(true);
    m_combo->setInsertPolicy(QComboBox::NoInsert);
    m_combo->setCompleter(nullptr);
    setInnerWidget(m_combo);
    hookLineEdit();
    // Changes made by our own code are reported once by the code that made
    // them; anything else the combo reports is the user's typing or picking.
    connect(m_combo, &QComboBox::currentTextChanged, this, [this] {
        if (!m_settingText)
            textChangedBy(true);
    });
}

void TcxCustomComboBox::hookLineEdit()
{
    if (m_combo->isEditable())
        m_combo->setCompleter(nullptr);
    setLineEdit(m_combo->lineEdit(), false);
    applyMask();
}

QStringList TcxCustomComboBox::Items() const
{
    QStringList items;
    items.reserve(m_combo->count());
    for (int i = 0; i < m_combo->count(); ++i)
        items << m_combo->itemText(i);
    return items;
}

void TcxCustomComboBox::SetItems(const QStringList &items)
{
    const QString text = Text();
    m_settingText = true;
    m_combo->clear();
    m_combo->addItems(items);
    m_settingText = false;
    // The shown text stays what it was (only the list changed); a fixed list
    // that lacks it shows nothing.
    showTextFrom(text, text);
}

void TcxCustomComboBox::ClearItems()
{
    SetItems(QStringList());
}

void TcxCustomComboBox::AddItem(const QString &item)
{
    const QString text = Text();
    m_settingText = true;
    m_combo->addItem(item);
    m_settingText = false;
    showTextFrom(text, text);
}

void TcxCustomComboBox::SetDropDownListStyle(TcxEditDropDownListStyle style)
{
    if (m_listStyle == style)
        return;
    const QString text = Text();
    m_listStyle = style;
    m_settingText = true;
    m_combo->setEditable(style != lsFixedList);
    if (m_combo->isEditable())
        m_combo->setInsertPolicy(QComboBox::NoInsert);
    m_settingText = false;
    hookLineEdit();
    showTextFrom(text, text);
}

int TcxCustomComboBox::ItemIndex() const
{
    return m_combo->findText(Text(), Qt::MatchExactly | Qt::MatchCaseSensitive);
}

void TcxCustomComboBox::SetItemIndex(int index)
{
    if (index < 0 || index >= m_combo->count()) {
        SetEditValue(QVariant());
        return;
    }
    SetText(m_combo->itemText(index));
}

QString TcxCustomComboBox::Text() const
{
    return m_combo->currentText();
}

void TcxCustomComboBox::showText(const QString &text)
{
    showTextFrom(Text(), text);
}

void TcxCustomComboBox::showTextFrom(const QString &before, const QString &text)
{
    m_settingText = true;
    const int index = m_combo->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    m_combo->setCurrentIndex(index);
    if (m_combo->isEditable() && m_combo->currentText() != text)
        m_combo->setEditText(text);
    m_settingText = false;
    if (Text() != before)
        textChangedBy(false);
}

void TcxCustomComboBox::applyReadOnly(bool readOnly)
{
    if (QLineEdit *edit = m_combo->lineEdit())
        edit->setReadOnly(readOnly);
}
