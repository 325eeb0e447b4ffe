#include "TcxEditStyleController.h"

TcxEditStyleController::TcxEditStyleController(QObject *parent)
    : QObject(parent)
{
}

void TcxEditStyleController::SetColor(const QColor &color)
{
    if (m_color == color)
        return;
    m_color = color;
    emit changed();
}

void TcxEditStyleController::SetTextColor(const QColor &color)
{
    if (m_textColor == color)
        return;
    m_textColor = color;
    emit changed();
}

void TcxEditStyleController::SetBorderColor(const QColor &color)
{
    if (m_borderColor == color)
        return;
    m_borderColor = color;
    emit changed();
}

void TcxEditStyleController::SetThickBorder(bool thick)
{
    if (m_thickBorder == thick)
        return;
    m_thickBorder = thick;
    emit changed();
}

void TcxEditStyleController::SetFocusedColor(const QColor &color)
{
    if (m_focusedColor == color)
        return;
    m_focusedColor = color;
    emit changed();
}

void TcxEditStyleController::SetLookAndFeelKind(TcxLookAndFeelKind kind)
{
    if (m_kind == kind)
        return;
    m_kind = kind;
    emit changed();
}

QString TcxEditStyleController::styleSheetFor(const QString &qtClass) const
{
    QString normal;
    if (m_color.isValid())
        normal += QStringLiteral("background-color: %1;").arg(m_color.name());
    if (m_textColor.isValid())
        normal += QStringLiteral("color: %1;").arg(m_textColor.name());
    // A border is set on both states so the editor does not jump by a pixel
    // when the focused border becomes thicker.
    const bool customBorder = m_borderColor.isValid() || m_thickBorder;
    if (customBorder)
        normal += QStringLiteral("border: %1px solid palette(mid);").arg(m_thickBorder ? 2 : 1);

    QString focused;
    const QColor focusedBackground = m_focusedColor.isValid() ? m_focusedColor : m_color;
    if (focusedBackground.isValid())
        focused += QStringLiteral("background-color: %1;").arg(focusedBackground.name());
    if (customBorder) {
        const QString colour = m_borderColor.isValid() ? m_borderColor.name() : QStringLiteral("palette(highlight)");
        focused += QStringLiteral("border: %1px solid %2;").arg(m_thickBorder ? 2 : 1).arg(colour);
    }

    QString sheet;
    if (!normal.isEmpty())
        sheet += QStringLiteral("%1 { %2 }\n").arg(qtClass, normal);
    if (!focused.isEmpty())
        sheet += QStringLiteral("%1:focus { %2 }\n").arg(qtClass, focused);
    return sheet;
}
