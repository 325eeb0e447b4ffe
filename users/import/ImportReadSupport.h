#pragma once

#include <QString>

// "32 MB", "512 KB" or "300 字节": a limit as the messages name it.
QString importByteSize(qint64 bytes);

// The message of a damaged spreadsheet, with what was wrong where.
QString importDamagedMessage(const QString &detail);
