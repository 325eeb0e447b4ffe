#include "TcxStyle.h"

TcxStyle::TcxStyle(QObject *parent)
    : QObject(parent)
{
}

void TcxStyle::SetColor(const QColor &color)
{
    if (m_color == color)
        return;
    m_color = color;
    emit changed();
}

void TcxStyle::SetTextColor(const QColor &color)
{
    if (m_textColor == color)
        return;
    m_textColor = color;
    emit changed();
}
