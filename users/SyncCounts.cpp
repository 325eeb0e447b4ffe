#include "SyncCounts.h"

void SyncCounts::count(const QString &statement)
{
    // The synchronisation's statements begin with a blank and their verb.
    const QStringView text = QStringView(statement).trimmed();
    if (text.isEmpty())
        ++same;
    else if (text.startsWith(QLatin1String("Insert"), Qt::CaseInsensitive))
        ++added;
    else
        ++updated;
}

QString SyncCounts::line(double seconds) const
{
    return QStringLiteral("新增 %1 人, 更新 %2 人, 未变 %3 人, 用时 %4 秒")
        .arg(added)
        .arg(updated)
        .arg(same)
        .arg(seconds, 0, 'f', 1);
}
