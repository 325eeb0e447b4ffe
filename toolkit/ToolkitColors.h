#pragma once

#include <QColor>
#include <QtGlobal>

// The stored forms give colours as Windows COLORREF numbers (0x00BBGGRR, red in
// the lowest byte), e.g. 16510676 = RGB(212, 238, 251). System colours
// (clWindow, clWindowText, ...) are taken from the application palette.
QColor colorFromTColor(quint32 value);

// Named colours the forms use.
QColor clWindow();
QColor clWindowText();
QColor clBtnFace();
inline QColor clBlue() { return QColor(0, 0, 255); }
inline QColor clRed() { return QColor(255, 0, 0); }
inline QColor clWhite() { return QColor(255, 255, 255); }
