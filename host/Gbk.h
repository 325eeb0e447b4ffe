#pragma once

#include <QByteArray>
#include <QString>

// Code page 936 at the boundary: the module's registration text is GBK bytes.
QString gbkToUnicode(const QByteArray &bytes);
// Raises data::LumoError when a character has no GBK form.
QByteArray unicodeToGbk(const QString &text);
