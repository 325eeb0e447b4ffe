#pragma once

#include <QByteArray>
#include <QString>

#include "DataExport.h"

// Code page 936 at the boundary: the module's registration text is GBK bytes,
// and so are ini files written by the Windows tools that share setup.ini.
DATA_EXPORT QString gbkToUnicode(const QByteArray &bytes);
// Raises data::LumoError when a character has no GBK form.
DATA_EXPORT QByteArray unicodeToGbk(const QString &text);
