#include "TcxButton.h"

#include <QApplication>

#include "LumoError.h"
#include "TcxCustomMaskEdit.h"

TcxButton::TcxButton(QWidget *parent)
    : QPushButton(parent)
{
    // Connected first, so it runs before any handler the form connects later.
    connect(this, &QPushButton::clicked, this, [this] {
        flushFocusedEditor();
        if (OnClick)
            OnClick(this);
    });
}

TcxButton::TcxButton(const QString &caption, QWidget *parent)
    : TcxButton(parent)
{
    setText(caption);
}

void TcxButton::flushFocusedEditor()
{
    for (QWidget *w = QApplication::focusWidget(); w; w = w->parentWidget()) {
        auto *edit = qobject_cast<TcxCustomEdit *>(w);
        if (!edit)
            continue;
        // A text its mask refuses stays in the editor, as leaving it would.
        auto *mask = qobject_cast<TcxCustomMaskEdit *>(edit);
        if (mask && !mask->IsValidText(mask->EditText()))
            return;
        if (edit->ModifiedAfterEnter() && edit->dataBinding() && edit->window() == window()) {
            try {
                edit->PostEditValue();
            } catch (const data::LumoError &error) {
                // The save that follows finds the field unchanged; the user
                // learns why the text was not taken.
                TcxCustomEdit::reportError(error.message());
            }
        }
        return;
    }
}
