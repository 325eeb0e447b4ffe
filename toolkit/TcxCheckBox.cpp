#include "TcxCheckBox.h"

#include <QKeyEvent>

TcxCheckBox::TcxCheckBox(QWidget *parent)
    : QCheckBox(parent)
{
    connect(this, &QCheckBox::toggled, this, [this] {
        m_null = false;
        if (OnChange)
            OnChange(this);
    });
}

TcxCheckBox::TcxCheckBox(const QString &caption, QWidget *parent)
    : TcxCheckBox(parent)
{
    setText(caption);
}

void TcxCheckBox::SetChecked(bool checked)
{
    m_null = false;
    setChecked(checked);
}

QVariant TcxCheckBox::EditValue() const
{
    return m_null ? QVariant() : QVariant(isChecked());
}

void TcxCheckBox::SetEditValue(const QVariant &value)
{
    if (value.isNull()) {
        setChecked(false);
        m_null = true;
        return;
    }
    SetChecked(value.toBool());
}

void TcxCheckBox::keyPressEvent(QKeyEvent *event)
{
    if (OnKeyDown) {
        int key = event->key();
        OnKeyDown(this, key, event->modifiers());
        if (key == 0)
            return;
    }
    if (OnKeyPress) {
        QChar ch;
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
            ch = QChar('\r');
        else if ((event->modifiers() & Qt::ControlModifier) && event->key() >= Qt::Key_A && event->key() <= Qt::Key_Z)
            ch = QChar(event->key() - Qt::Key_A + 1);
        else if (!event->text().isEmpty() && event->text().at(0).isPrint())
            ch = event->text().at(0);
        if (!ch.isNull()) {
            OnKeyPress(this, ch);
            if (ch.isNull())
                return;
        }
    }
    QCheckBox::keyPressEvent(event);
}

void TcxCheckBox::focusInEvent(QFocusEvent *event)
{
    QCheckBox::focusInEvent(event);
    if (event->reason() != Qt::PopupFocusReason && event->reason() != Qt::ActiveWindowFocusReason && OnEnter)
        OnEnter(this);
}

void TcxCheckBox::focusOutEvent(QFocusEvent *event)
{
    QCheckBox::focusOutEvent(event);
    if (event->reason() != Qt::PopupFocusReason && event->reason() != Qt::ActiveWindowFocusReason && OnExit)
        OnExit(this);
}
