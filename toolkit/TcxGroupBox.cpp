#include "TcxGroupBox.h"

TcxGroupBox::TcxGroupBox(QWidget *parent)
    : QGroupBox(parent)
{
}

void TcxGroupBox::SetFrameless(bool frameless)
{
    m_frameless = frameless;
    applyLook();
}

void TcxGroupBox::SetTransparent(bool transparent)
{
    m_transparent = transparent;
    applyLook();
}

void TcxGroupBox::applyLook()
{
    setFlat(m_frameless);
    QString sheet;
    if (m_frameless)
        sheet += QStringLiteral("TcxGroupBox { border: none; margin: 0px; padding: 0px; }");
    if (m_transparent)
        sheet += QStringLiteral("TcxGroupBox { background: transparent; }");
    setStyleSheet(sheet);
    setAutoFillBackground(!m_transparent);
}
