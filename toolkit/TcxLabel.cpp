#include "TcxLabel.h"

TcxLabel::TcxLabel(QWidget *parent)
    : QLabel(parent)
{
    setAutoFillBackground(false);
}

TcxLabel::TcxLabel(const QString &caption, QWidget *parent)
    : TcxLabel(parent)
{
    setText(caption);
}

void TcxLabel::SetTextColor(const QColor &color)
{
    m_textColor = color;
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, color.isValid() ? color : QPalette().color(QPalette::WindowText));
    setPalette(pal);
}

void TcxLabel::SetFontPixelHeight(int pixels)
{
    QFont f = font();
    f.setPixelSize(qMax(1, pixels));
    setFont(f);
}

void TcxLabel::SetTransparent(bool transparent)
{
    m_transparent = transparent;
    setAutoFillBackground(!transparent);
}
