// Equality filters on a large client dataset, the way the user synchronisation
// pairs users: one "UserCode = '...'" filter per source user on the target.
// The per-field index must make N filters on M rows cost about N + M, so the
// time per filter stays flat as the dataset grows.
//
// Usage: bench_filter [rows...]   (default: 25000 50000 100000; N = M)

#include <QCoreApplication>
#include <QString>

#include <chrono>
#include <cstdio>

#include "BenchSizes.h"
#include "ClientDataSet.h"
#include "LumoError.h"

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

QString codeOf(int i)
{
    return QStringLiteral("5201%1").arg(i, 8, 10, QLatin1Char('0'));
}

// A p_User-like table: the eight columns the synchronisation reads.
data::DataPacket users(int rows)
{
    using data::FieldType;
    data::DataPacket p;
    for (const char *name : {"UserCode", "UserName", "Spell", "FiveStrokes", "OrgCode", "Grade", "ContactType",
                             "Password"})
        p.fields.append(data::FieldDef{QString::fromLatin1(name), FieldType::String, 50});
    p.rows.reserve(rows);
    for (int i = 0; i < rows; ++i)
        p.rows.append(QVector<QVariant>{codeOf(i), QStringLiteral("用户%1").arg(i), QStringLiteral("YH"),
                                        QStringLiteral("EN"), QStringLiteral("52010%1").arg(i % 97),
                                        QStringLiteral("2"), QString(), QStringLiteral("MTIz")});
    return p;
}

// What FilterDataSet does, then what the synchronisation reads.
bool findUser(data::ClientDataSet &ds, const QString &code, const QString &filterText)
{
    ds.SetFiltered(false);
    ds.SetFilter(filterText);
    ds.SetFiltered(true);
    if (ds.RecordCount() < 1)
        return false;
    ds.First();
    return ds.FieldByName("UserCode")->AsString() == code;
}

int run(int rows)
{
    data::ClientDataSet ds;
    auto t0 = Clock::now();
    ds.SetData(users(rows));
    const double loadMs = msSince(t0);

    // N = M indexed filters; every code is looked up once, in a scrambled order.
    t0 = Clock::now();
    int found = 0;
    for (int k = 0; k < rows; ++k) {
        const int i = int((qint64(k) * 7919) % rows);
        const QString code = codeOf(i);
        found += findUser(ds, code, QStringLiteral("UserCode = '") + code + QLatin1Char('\'')) ? 1 : 0;
    }
    const double filterMs = msSince(t0);

    // The same comparison written so that it cannot use the index: every call
    // scans all rows. A few calls are enough to show the difference.
    const int scans = 50;
    t0 = Clock::now();
    for (int k = 0; k < scans; ++k) {
        const QString code = codeOf((k * 104729) % rows);
        const QString eq = QStringLiteral("UserCode = '") + code + QLatin1Char('\'');
        found += findUser(ds, code, eq + QStringLiteral(" or ") + eq) ? 0 : -1000000;
    }
    const double scanMs = msSince(t0);

    std::printf("%8d rows: load %8.1f ms | %8d indexed filters %9.1f ms (%6.2f us/filter) | "
                "scan %7.1f us/filter\n",
                rows, loadMs, rows, filterMs, 1000.0 * filterMs / rows, 1000.0 * scanMs / scans);
    if (found != rows) {
        std::fprintf(stderr, "wrong result: %d of %d users found\n", found, rows);
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QList<int> sizes = benchSizes(argc, argv);
    int rc = 0;
    try {
        for (int rows : sizes)
            rc |= run(rows);
    } catch (const data::LumoError &e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 2;
    }
    return rc;
}
