#include "SearchBoxKeys.h"

#include <QKeyEvent>
#include <QLineEdit>

bool emptiesOnEscape(QLineEdit *edit, QEvent *event, bool anyModifiers)
{
    if (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress)
        return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    if (key->key() != Qt::Key_Escape)
        return false;
    if (event->type() == QEvent::ShortcutOverride) {
        event->accept();
        return true;
    }
    if (!anyModifiers && key->modifiers() != Qt::NoModifier)
        return false;
    edit->clear();
    return true;
}
