#pragma once

#include <QString>

#include <cstdio>
#include <cstdlib>

// A broken invariant ends the run the way a crash does, so libFuzzer keeps the
// input that broke it.
inline void fuzzCheck(bool holds, const char *what, const QString &input, const QString &detail = QString())
{
    if (holds)
        return;
    std::fprintf(stderr, "invariant broken: %s\ninput:  %s\n%s\n", what, input.toUtf8().constData(),
                 detail.toUtf8().constData());
    std::abort();
}
