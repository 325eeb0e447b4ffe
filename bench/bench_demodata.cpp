// Times the demo data generator as the host runs it for --create-demo (the
// real pinyin and five-stroke codes), on the large set the host offers
// (100,000 areas, 300,000 users). Each size runs in a process of its own, so
// the peak memory printed is that size's alone.
// Usage: bench_demodata [areas users]     (default: the large set)
// Target for the large set: within 10 s and 150 MB.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>

#include "DemoData.h"
#include "HostConfig.h"
#include "LumoError.h"
#include "SessionFactory.h"

namespace {

long peakKilobytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void run(int areas, int users)
{
    QTemporaryDir dir;
    HostConfig config;
    config.hr.sqliteFile = dir.filePath(QStringLiteral("hr.db"));
    config.rcms.sqliteFile = dir.filePath(QStringLiteral("rcms.db"));
    config.createDemo = true;
    config.demoAreas = areas;
    config.demoUsers = users;
    QElapsedTimer timer;
    timer.start();
    createDemoDatabasesIfMissing(config);
    const double seconds = timer.nsecsElapsed() / 1e9;
    std::printf("demo data %d areas, %d users: %6.2f s (target 10 s)  peak %ld MB (target 150 MB)  "
                "files: hr %.1f MB, rcms %.1f MB\n",
                areas, users, seconds, peakKilobytes() / 1024, QFileInfo(config.hr.sqliteFile).size() / 1e6,
                QFileInfo(config.rcms.sqliteFile).size() / 1e6);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    try {
        if (argc == 3)
            run(std::atoi(argv[1]), std::atoi(argv[2]));
        else
            run(100000, 300000);
    } catch (const data::LumoError &e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
