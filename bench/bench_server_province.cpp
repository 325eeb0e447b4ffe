// A province on one PostgreSQL server, run by hand on the test server of
// scripts/postgres.sh (scripts/bench-province.sh runs it at a million users):
//   bash scripts/postgres.sh build/bench/bench_server_province [areas users [businessRows]]
//
// Fills an empty pair of server databases as --create-demo does (the demo
// files made, then copied to the server), adds business records up to
// businessRows, and times what a province administrator (every area under the
// login) meets on the host's ODBC session:
//   - the demo set made on the server;
//   - the window opened on the login's area (target 1 s);
//   - the first keystroke of a search over every area right after (target 50 ms);
//   - the deletion guard and the report of a user's records, for a user with
//     records and one without (target 100 ms, the median of 21 runs);
//   - the synchronisation's preview (target 3 s).
// Defaults: 20,000 areas, 100,000 users, 100,000 business rows. --reuse times
// the databases an earlier run left on the same server, without filling them.
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

#include "BenchHost.h"
#include "BenchServerDatabase.h"
#include "BusinessTables.h"
#include "DatabaseLocation.h"
#include "DatabaseSchema.h"
#include "DemoData.h"
#include "FormFactory.h"
#include "HostApplication.h"
#include "OdbcConnection.h"
#include "OdbcResultReader.h"
#include "OdbcSession.h"
#include "ServerDemoData.h"
#include "SyncPreview.h"
#include "UUserInfoMagFrm.h"
#include "UserDeletion.h"
#include "UserReferences.h"
#include "UserSearch.h"

namespace {

using bench_server::location;

void run(const QString &database, const QString &sql)
{
    bench_server::run(database, sql, QStringLiteral("bench"), 600);
}

double medianMs(int runs, const std::function<void()> &what)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        what();
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// Business records up to `total`, spread over the 32 tables, each entered by
// one of the users (a user's records are found by the code's prefix).
void addBusinessRows(const QString &hr, int total)
{
    const int existing = [&] {
        OdbcConnection c(location(hr, "mssql"), QStringLiteral("bench"), 600);
        QString sum;
        for (const BusinessTable &table : kBusinessTables)
            sum += (sum.isEmpty() ? QString() : QStringLiteral(" + ")) + QStringLiteral("(SELECT count(*) FROM %1)").arg(QLatin1String(table.name));
        int n = 0;
        c.run(QStringLiteral("SELECT ") + sum, [&](OdbcStatement &s) { n = readOdbcFirstValue(s).toInt(); });
        return n;
    }();
    const int perTable = qMax(0, total - existing) / int(kBusinessTableCount);
    QString sql = QStringLiteral("CREATE TEMP TABLE codes AS SELECT row_number() OVER (ORDER BY UserCode) - 1 AS n, "
                                 "UserCode FROM p_User; CREATE INDEX ON codes (n); ");
    for (const BusinessTable &table : kBusinessTables) {
        sql += QStringLiteral("INSERT INTO %1 (RecordID, InpPerCode) SELECT 'B' || g, c.UserCode "
                              "FROM generate_series(1, %2) g JOIN codes c ON c.n = (g * 7919) %% (SELECT count(*) FROM codes); ")
                   .arg(QLatin1String(table.name)).arg(perTable);
    }
    run(hr, sql.replace(QStringLiteral("%%"), QStringLiteral("%")) + QStringLiteral("ANALYZE"));
}

} // namespace

int main(int argc, char **argv)
{
    startAsTheHost();
    QApplication app(argc, argv);
    if (qEnvironmentVariableIsEmpty("LUMO_TEST_PG_HR")) {
        std::fprintf(stderr, "no server: run it as bash scripts/postgres.sh %s\n", argv[0]);
        return 1;
    }
    QStringList args = app.arguments().mid(1);
    const bool reuse = args.removeAll(QStringLiteral("--reuse")) > 0;
    DemoData::Options options;
    options.areas = args.size() > 1 ? args[0].toInt() : 20000;
    options.users = args.size() > 1 ? args[1].toInt() : 100000;
    const int businessRows = args.size() > 2 ? args[2].toInt() : 100000;
    const QString hr = QStringLiteral("province_hr"), rcms = QStringLiteral("province_rcms");
    for (const QString &name : reuse ? QStringList() : QStringList{hr, rcms}) {
        run(QStringLiteral("postgres"), QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(name));
        run(QStringLiteral("postgres"), QStringLiteral("CREATE DATABASE %1").arg(name));
    }

    // As --create-demo fills an empty server: the files, then the copy.
    if (!reuse) {
        QElapsedTimer timer;
        timer.start();
        QTemporaryDir dir;
        const QString hrFile = dir.filePath(QStringLiteral("hr.db")), rcmsFile = dir.filePath(QStringLiteral("rcms.db"));
        options.hrCopiedOnly = options.rcmsCopiedOnly = true;
        DemoData::create(hrFile, rcmsFile, options);
        const double files = timer.nsecsElapsed() / 1e9;
        OdbcConnection hrServer(location(hr), QStringLiteral("hr"), 600), rcmsServer(location(rcms), QStringLiteral("rcms"), 600);
        ServerDemoData::copyEach({{hrFile, &hrServer, SchemaDatabase::HealthRecord},
                                  {rcmsFile, &rcmsServer, SchemaDatabase::Rcms}});
        std::printf("server demo %d areas %d users: %.1f s (files %.1f s, copy %.1f s; target: well under 60 s)\n",
                    options.areas, options.users, timer.nsecsElapsed() / 1e9, files, timer.nsecsElapsed() / 1e9 - files);
        std::fflush(stdout);
    }
    if (!reuse) {
        addBusinessRows(hr, businessRows);
        run(rcms, QStringLiteral("ANALYZE"));
    }

    OdbcSession session(location(hr), location(rcms), 600);
    BenchHost host(session);
    HostApplication::logIn(session, DemoData::AdminCode, host.rights);
    // A province administrator: every area lies under the login's.
    session.RcmsAreaCode = session.GetHrValue(QStringLiteral(
        "Select ParentAreaCode From P_XZQH Where ParentAreaCode Not In (Select AreaCode From P_XZQH) "
        "Order By ParentAreaCode")).toString();
    const int users = session.GetHrValue(QStringLiteral("Select Count(*) From p_User")).toInt();

    QElapsedTimer opening;
    opening.start();
    TUserInfoMagForm *window = CreateForm<TUserInfoMagForm>();
    window->show();
    const double openS = opening.nsecsElapsed() / 1e9;
    std::printf("server window start %d users: %.2f s (target 1)\n", users, openS);

    auto *box = window->findChild<QLineEdit *>(QStringLiteral("EdtUserSearch"));
    window->findChild<QComboBox *>(QStringLiteral("CbbSearchScope"))->setCurrentIndex(UserSearch::EveryArea);
    QKeyEvent first(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QStringLiteral("5"));
    QElapsedTimer firstTimer;
    firstTimer.start();
    QApplication::sendEvent(box, &first);
    std::printf("server search first %d rows: %.2f ms (target 50)\n", users, firstTimer.nsecsElapsed() / 1e6);
    std::fflush(stdout);
    DestroyForm(window);

    const QString withRecords = session.GetHrValue(QStringLiteral("Select InpPerCode From TData_AdmiRec Order By RecordID Limit 1")).toString();
    const QString without = session.GetHrValue(QStringLiteral(
        "Select UserCode From p_User u Where Not Exists (Select 1 From TData_AdmiRec a Where a.InpPerCode = u.UserCode) "
        "Order By UserCode Desc Limit 1")).toString();
    const int business = session.GetHrValue(QStringLiteral("Select Sum(RecordCount) From (")
                                             + BuildUserReferencesSql(QString()) + QStringLiteral(") t")).toInt();
    bool referenced = false;
    const double guardWith = medianMs(21, [&] { referenced = UserDeletion::referenced(session, withRecords); });
    const double guardWithout = medianMs(21, [&] { UserDeletion::referenced(session, without); });
    int tables = 0;
    const double report = medianMs(21, [&] { tables = int(CountUserReferences(session, withRecords).size()); });
    std::printf("server guard %d rows: %.1f ms with records (%s), %.1f ms without (target 100)\n", business, guardWith,
                referenced ? "refused" : "NOT FOUND", guardWithout);
    std::printf("server references %d rows: %.1f ms, %d tables (target 100)\n", business, report, tables);
    std::fflush(stdout);

    QElapsedTimer previewTimer;
    previewTimer.start();
    const SyncPreview preview = SyncPreview::read(session);
    std::printf("server preview %d users: %.2f s (target 3): %s\n", users, previewTimer.nsecsElapsed() / 1e9,
                qPrintable(preview.summary()));
    return 0;
}
