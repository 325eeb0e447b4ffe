#include "LocalTimeZone.h"

#include <QFileInfo>
#include <QtGlobal>

#include <ctime>

void pinLocalTimeZone()
{
    static const char zoneFile[] = "/etc/localtime";
    if (!qEnvironmentVariableIsEmpty("TZ") || !QFileInfo::exists(QString::fromLatin1(zoneFile)))
        return;
    // ":file" is the C library's form for a zone read from that file.
    qputenv("TZ", QByteArray(":") + zoneFile);
    tzset();
}
