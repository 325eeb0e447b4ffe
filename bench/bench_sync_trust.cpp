// Times the read-only views around the synchronisation and the deletion guard
// on demo databases:
//   preview <N> users: the synchronisation preview over N RCMS users (target: 2 s
//                      at 100,000)
//   references <N> users: the report of the business records of the user with
//                      the most of them, on the large demo set (target: 1 s)
// Usage: bench_sync_trust [previewUsers largeAreas largeUsers]
#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>

#include "DemoData.h"
#include "LocalTimeZone.h"
#include "LumoError.h"
#include "SqliteSession.h"
#include "SyncPreview.h"
#include "UserReferences.h"

namespace {

struct DemoFiles
{
    QTemporaryDir dir;
    QString hr = dir.filePath(QStringLiteral("hr.db"));
    QString rcms = dir.filePath(QStringLiteral("rcms.db"));
    DemoData::Summary summary;
    DemoFiles(int areas, int users)
    {
        DemoData::Options options;
        options.areas = areas;
        options.users = users;
        summary = DemoData::create(hr, rcms, options);
    }
};

void benchPreview(int users)
{
    const DemoFiles files(users / 3, users);  // the areas per user of the demo sets
    SqliteSession session(files.hr, files.rcms);
    double best = 1e9;
    SyncPreview preview;
    for (int round = 0; round < 3; ++round) {
        QElapsedTimer timer;
        timer.start();
        preview = SyncPreview::read(session);
        best = std::min(best, timer.nsecsElapsed() / 1e9);
    }
    std::printf("preview %d users: %.3f s (target 2 s)  (added %d, changed %d, same %d, changes listed %lld; best of 3)\n",
                files.summary.rcmsUsers, best, preview.added, preview.changed, preview.same,
                static_cast<long long>(preview.changes.size()));
}

void benchReferences(int areas, int users)
{
    const DemoFiles files(areas, users);
    SqliteSession session(files.hr, files.rcms);
    // The user named by the most records: the report's slowest case.
    const QString busiest = session.GetHrValue(QStringLiteral(
        "Select InpPerCode From TData_PerBaseInfo Group By InpPerCode Order By Count(*) Desc")).toString();
    // And a clerk's: one of the many users with a few records or none.
    const QString clerk = session.GetHrValue(QStringLiteral("Select Max(UserCode) From p_User")).toString();
    for (const QString &user : {busiest, clerk}) {
        double best = 1e9;
        qint64 records = 0;
        for (int round = 0; round < 3; ++round) {
            QElapsedTimer timer;
            timer.start();
            const QVector<UserReference> found = CountUserReferences(session, user);
            best = std::min(best, timer.nsecsElapsed() / 1e9);
            records = 0;
            for (const UserReference &r : found)
                records += r.count;
        }
        std::printf("references %d users: %.3f s (target 1 s)  (user %s, %lld records; best of 3)\n", files.summary.hrUsers, best,
                    qUtf8Printable(user), static_cast<long long>(records));
    }
}

} // namespace

int main(int argc, char **argv)
{
    pinLocalTimeZone();  // as the host does
    QApplication app(argc, argv);
    try {
        const int previewUsers = argc > 1 ? std::atoi(argv[1]) : 100000;
        const int largeAreas = argc > 3 ? std::atoi(argv[2]) : 100000;
        const int largeUsers = argc > 3 ? std::atoi(argv[3]) : 300000;
        benchPreview(previewUsers);
        benchReferences(largeAreas, largeUsers);
    } catch (const data::LumoError &e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
