#pragma once

#include <QByteArray>
#include <QList>

// The sizes a benchmark runs at: its arguments, or 25,000 / 50,000 / 100,000 rows
// when it has none, to show how the cost grows.
inline QList<int> benchSizes(int argc, char **argv)
{
    QList<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes << QByteArray(argv[i]).toInt();
    if (sizes.isEmpty())
        sizes = {25000, 50000, 100000};
    return sizes;
}
