#include "ToolkitColors.h"

#include <QApplication>
#include <QPalette>

QColor colorFromTColor(quint32 value)
{
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

QColor clWindow()
{
    return QApplication::palette().color(QPalette::Base);
}

QColor clWindowText()
{
    return QApplication::palette().color(QPalette::Text);
}

QColor clBtnFace()
{
    return QApplication::palette().color(QPalette::Button);
}
