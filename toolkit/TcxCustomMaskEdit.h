#pragma once

#include <QPointer>
#include <QRegularExpression>
#include <QValidator>
#include <QString>

#include "TcxCustomTextEdit.h"

// A text editor with a regular-expression mask (Properties.MaskKind =
// emkRegExpr, Properties.EditMask). Typing is limited to texts that can still
// become a full match; a text is valid when it matches in full. An empty text
// counts as valid: a required editor is caught by the required-field check, not
// by its mask. Without a mask every text is valid.
//
// Leaving the editor after the user changed it runs ValidateEdit; a failure is
// reported through ErrorReporter and the focus stays in the editor.
class TcxCustomMaskEdit : public TcxCustomTextEdit
{
    Q_OBJECT

public:
    explicit TcxCustomMaskEdit(QWidget *parent = nullptr);

    QString MaskRegExp() const { return m_mask; }
    void SetMaskRegExp(const QString &pattern);  // empty = no mask

    // True when text satisfies the mask (see above).
    bool IsValidText(const QString &text) const;

    // The toolkit's own verdict on the current text, then OnValidate, which may
    // change the shown value, the message and the verdict. On a remaining error
    // the message is reported and the editor keeps or takes the focus. Returns
    // true when the text is accepted.
    bool ValidateEdit();

    // Message used when OnValidate leaves the error text empty.
    static QString defaultValidationText();

protected:
    TcxCustomMaskEdit(QWidget *parent, NoInnerWidget);
    // Applies the mask's validator to the current line edit (descendants call
    // it again when they replace their line edit).
    void applyMask();
    bool validateOnExit() override;

private:
    QString m_mask;
    QRegularExpression m_regExp;
    QRegularExpression m_fullMatch;
    QPointer<QValidator> m_validator;
};
