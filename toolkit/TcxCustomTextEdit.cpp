#include "TcxCustomTextEdit.h"

#include <QDate>
#include <QDateTime>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionFrame>

#include "Field.h"

namespace {

// The blank QLineEdit keeps between its contents rectangle and the text.
constexpr int kLineEditMargin = 2;

} // namespace

TcxCustomTextEdit::TcxCustomTextEdit(QWidget *parent)
    : TcxCustomEdit(parent)
{
    auto *edit = new QLineEdit(this);
    setInnerWidget(edit);
    setLineEdit(edit);
}

TcxCustomTextEdit::TcxCustomTextEdit(QWidget *parent, NoInnerWidget)
    : TcxCustomEdit(parent)
{
}

void TcxCustomTextEdit::setLineEdit(QLineEdit *lineEdit, bool trackText)
{
    m_lineEdit = lineEdit;
    if (!lineEdit)
        return;
    lineEdit->setAlignment(m_alignment | Qt::AlignVCenter);
    if (m_maxLength > 0)
        lineEdit->setMaxLength(m_maxLength);
    lineEdit->setReadOnly(ReadOnly());
    if (trackText)
        connect(lineEdit, &QLineEdit::textChanged, this, [this] { textChangedBy(!m_settingText); });
}

QString TcxCustomTextEdit::Text() const
{
    return m_lineEdit ? m_lineEdit->text() : QString();
}

void TcxCustomTextEdit::SetText(const QString &text)
{
    m_null = false;
    showText(text);
}

void TcxCustomTextEdit::showText(const QString &text)
{
    if (!m_lineEdit)
        return;
    m_settingText = true;
    m_lineEdit->setText(text);
    m_settingText = false;
}

void TcxCustomTextEdit::textChangedBy(bool user)
{
    if (user) {
        m_null = false;
        userChangedValue();
    } else {
        valueChanged();
    }
}

void TcxCustomTextEdit::SetAlignment(Qt::Alignment alignment)
{
    m_alignment = alignment & Qt::AlignHorizontal_Mask;
    if (m_lineEdit)
        m_lineEdit->setAlignment(m_alignment | Qt::AlignVCenter);
}

void TcxCustomTextEdit::SetMaxLength(int length)
{
    m_maxLength = qMax(0, length);
    if (m_lineEdit)
        m_lineEdit->setMaxLength(m_maxLength > 0 ? m_maxLength : 32767);
}

QVariant TcxCustomTextEdit::EditValue() const
{
    const QString text = Text();
    if (m_null && text.isEmpty())
        return QVariant();
    return text;
}

void TcxCustomTextEdit::SetEditValue(const QVariant &value)
{
    if (value.isNull()) {
        m_null = true;
        showText(QString());
    } else {
        m_null = false;
        showText(textOfValue(value));
    }
}

QString TcxCustomTextEdit::textOfValue(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::QDate:
        return value.toDate().toString(QStringLiteral("yyyy-MM-dd"));
    case QMetaType::QDateTime:
        return value.toDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    case QMetaType::QTime:
        return value.toTime().toString(QStringLiteral("hh:mm:ss"));
    case QMetaType::Double:
        return QString::number(value.toDouble(), 'g', 15);
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    default:
        return value.toString();
    }
}

void TcxCustomTextEdit::showField(data::Field *field)
{
    if (!field || field->IsNull())
        SetEditValue(QVariant());
    else
        SetEditValue(field->AsString());
}

void TcxCustomTextEdit::applyReadOnly(bool readOnly)
{
    if (m_lineEdit)
        m_lineEdit->setReadOnly(readOnly);
}

int TcxCustomTextEdit::TextRoom() const
{
    if (!m_lineEdit)
        return 0;
    m_lineEdit->ensurePolished();
    // As QLineEdit lays its text out: the style's contents rectangle less the
    // text margins and two pixels at each end.
    QStyleOptionFrame option;
    option.initFrom(m_lineEdit);
    option.rect = m_lineEdit->contentsRect();
    option.lineWidth = m_lineEdit->hasFrame()
        ? m_lineEdit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, m_lineEdit)
        : 0;
    option.midLineWidth = 0;
    option.state |= QStyle::State_Sunken;
    const QRect contents = m_lineEdit->style()->subElementRect(QStyle::SE_LineEditContents, &option, m_lineEdit);
    return contents.marginsRemoved(m_lineEdit->textMargins()).width() - 2 * kLineEditMargin;
}

int TcxCustomTextEdit::WidthToShow(const QString &text) const
{
    if (!m_lineEdit)
        return width();
    // One pixel more for the cursor standing after the last character.
    return width() - TextRoom() + m_lineEdit->fontMetrics().horizontalAdvance(text) + 1;
}
