#pragma once

#include <QString>

// What a synchronisation run did, counted from the statements it sent: each
// user is inserted, rewritten or left as it is.
struct SyncCounts
{
    int added = 0;
    int updated = 0;
    int same = 0;

    void count(const QString &statement);
    // "新增 a 人, 更新 b 人, 未变 c 人, 用时 t 秒"
    QString line(double seconds) const;
};
