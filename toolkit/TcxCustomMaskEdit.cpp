#include "TcxCustomMaskEdit.h"

#include <QLineEdit>
#include <QRegularExpressionValidator>

TcxCustomMaskEdit::TcxCustomMaskEdit(QWidget *parent)
    : TcxCustomTextEdit(parent)
{
}

TcxCustomMaskEdit::TcxCustomMaskEdit(QWidget *parent, NoInnerWidget tag)
    : TcxCustomTextEdit(parent, tag)
{
}

QString TcxCustomMaskEdit::defaultValidationText()
{
    return QStringLiteral("输入值无效!");
}

void TcxCustomMaskEdit::SetMaskRegExp(const QString &pattern)
{
    m_mask = pattern;
    m_regExp = QRegularExpression(pattern);
    m_fullMatch = QRegularExpression(QRegularExpression::anchoredPattern(pattern));
    applyMask();
}

void TcxCustomMaskEdit::applyMask()
{
    QLineEdit *edit = lineEdit();
    if (!edit)
        return;
    if (m_validator && m_validator->parent() == edit)
        delete m_validator;
    m_validator = nullptr;
    if (!m_mask.isEmpty() && m_regExp.isValid())
        m_validator = new QRegularExpressionValidator(m_regExp, edit);
    edit->setValidator(m_validator);
}

bool TcxCustomMaskEdit::IsValidText(const QString &text) const
{
    if (m_mask.isEmpty() || text.isEmpty() || !m_fullMatch.isValid())
        return true;
    return m_fullMatch.match(text).hasMatch();
}

bool TcxCustomMaskEdit::ValidateEdit()
{
    const QString text = EditText();
    bool error = !IsValidText(text);
    QVariant displayValue = text;
    QString errorText = error ? defaultValidationText() : QString();
    if (OnValidate)
        OnValidate(this, displayValue, errorText, error);
    const QString shown = displayValue.isNull() ? QString() : displayValue.toString();
    if (shown != EditText())
        SetText(shown);
    if (!error)
        return true;
    reportError(errorText.isEmpty() ? defaultValidationText() : errorText);
    if (!hasFocus())
        keepFocus();
    return false;
}

bool TcxCustomMaskEdit::validateOnExit()
{
    // Only a change by the user is judged: leaving an editor that was merely
    // passed through must not trap the focus in it.
    if (!ModifiedAfterEnter())
        return true;
    return ValidateEdit();
}
