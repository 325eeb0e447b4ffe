#include "TcxCustomDateEdit.h"

#include <QDateEdit>
#include <QKeyEvent>
#include <QLineEdit>

#include "Field.h"

namespace {

// A QDateEdit that can show "no date": the minimum date stands for empty and
// is shown as a blank text.
class NullableDateEdit : public QDateEdit
{
public:
    explicit NullableDateEdit(QWidget *parent)
        : QDateEdit(parent)
    {
        setCalendarPopup(true);
        setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        setMinimumDate(TcxCustomDateEdit::nullDate());
        setSpecialValueText(QStringLiteral(" "));
        setDate(TcxCustomDateEdit::nullDate());
    }

    bool isEmpty() const { return date() == TcxCustomDateEdit::nullDate(); }

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        const int key = event->key();
        const bool wholeTextSelected = lineEdit()->selectedText() == lineEdit()->text();
        if ((key == Qt::Key_Delete || key == Qt::Key_Backspace) && !isReadOnly()
            && (isEmpty() || wholeTextSelected)) {
            setDate(TcxCustomDateEdit::nullDate());
            return;
        }
        // Typing a digit into an empty editor starts from today's date with
        // the year selected, so the digits replace the year.
        if (isEmpty() && !isReadOnly() && !event->text().isEmpty() && event->text().at(0).isDigit()) {
            setDate(QDate::currentDate());
            setSelectedSection(QDateTimeEdit::YearSection);
        }
        QDateEdit::keyPressEvent(event);
    }
};

} // namespace

TcxCustomDateEdit::TcxCustomDateEdit(QWidget *parent)
    : TcxCustomEdit(parent)
{
    m_dateEdit = new NullableDateEdit(this);
    setInnerWidget(m_dateEdit);
    connect(m_dateEdit, &QDateEdit::dateChanged, this, [this] {
        if (m_settingDate)
            valueChanged();
        else
            userChangedValue();
    });
}

QDate TcxCustomDateEdit::nullDate()
{
    return QDate(100, 1, 1);
}

QDate TcxCustomDateEdit::Date() const
{
    const QDate date = m_dateEdit->date();
    return date == nullDate() ? QDate() : date;
}

void TcxCustomDateEdit::SetDate(const QDate &date)
{
    showDate(date);
}

QString TcxCustomDateEdit::Text() const
{
    const QDate date = Date();
    return date.isValid() ? date.toString(QStringLiteral("yyyy-MM-dd")) : QString();
}

QVariant TcxCustomDateEdit::EditValue() const
{
    const QDate date = Date();
    return date.isValid() ? QVariant(date) : QVariant();
}

void TcxCustomDateEdit::SetEditValue(const QVariant &value)
{
    QDate date;
    switch (value.typeId()) {
    case QMetaType::QDate:
        date = value.toDate();
        break;
    case QMetaType::QDateTime:
        date = value.toDateTime().date();
        break;
    case QMetaType::QString: {
        const QString text = value.toString().trimmed();
        date = QDate::fromString(text.left(10), QStringLiteral("yyyy-MM-dd"));
        if (!date.isValid())
            date = QDate::fromString(text, Qt::ISODate);
        break;
    }
    default:
        break;
    }
    showDate(date);
}

void TcxCustomDateEdit::showDate(const QDate &date)
{
    m_settingDate = true;
    m_dateEdit->setDate(date.isValid() && date > nullDate() ? date : nullDate());
    m_settingDate = false;
}

void TcxCustomDateEdit::showField(data::Field *field)
{
    if (!field || field->IsNull())
        SetEditValue(QVariant());
    else
        SetEditValue(field->Value());
}

void TcxCustomDateEdit::applyReadOnly(bool readOnly)
{
    m_dateEdit->setReadOnly(readOnly);
}
