// Times the demo data generator on the large set the host offers
// (100,000 areas, 300,000 users) and on the default county.
// Usage: bench_demodata [areas users]
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>

#include "DemoData.h"
#include "LumoError.h"

namespace {

void run(int areas, int users)
{
    QTemporaryDir dir;
    DemoData::Options options;
    options.areas = areas;
    options.users = users;
    QElapsedTimer timer;
    timer.start();
    const DemoData::Summary s =
        DemoData::create(dir.filePath(QStringLiteral("hr.db")), dir.filePath(QStringLiteral("rcms.db")), options);
    const qint64 ms = timer.elapsed();
    std::printf("areas %7d  units %6d  hr users %7d  rcms users %7d  business rows %6d  %7lld ms  "
                "(hr %.1f MB, rcms %.1f MB)\n",
                s.areas, s.units, s.hrUsers, s.rcmsUsers, s.businessRows, static_cast<long long>(ms),
                QFileInfo(dir.filePath(QStringLiteral("hr.db"))).size() / 1e6,
                QFileInfo(dir.filePath(QStringLiteral("rcms.db"))).size() / 1e6);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    try {
        if (argc == 3) {
            run(std::atoi(argv[1]), std::atoi(argv[2]));
            return 0;
        }
        run(0, 0);
        run(10000, 30000);
        run(100000, 300000);
    } catch (const data::LumoError &e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
