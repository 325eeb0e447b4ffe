// Benchmarks of the user window on SQLite files, run by hand:
//   QT_QPA_PLATFORM=offscreen build/bench/bench_users_window [sizes...]
//
// 1. Synchronisation: N RCMS users into a health-record database of N users
//    (half identical, a quarter changed, a quarter missing) through the window's
//    command, against the same change done set-based in plain SQL, each the best
//    of three runs. Target: the window within 3 times the set-based run, and
//    linear in N.
// 2. FormShow on 100,000 areas and the listing of an area of 10,000 users,
//    against the raw queries alone. Target: within 2 times.
#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <sqlite3.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <memory>

#include "ClientDataSet.h"
#include "FormFactory.h"
#include "HostDispatch.h"
#include "SqliteSession.h"
#include "TcxDBTreeList.h"
#include "TdxBarManager.h"
#include "UGlobalValue.h"
#include "UUserInfoMagFrm.h"

namespace {

// Answers every message without a dialog, so the run is not held up.
class SilentDispatch : public QObject
{
    Q_OBJECT
public:
    QStringList messages;
    Q_INVOKABLE void Prompt(const QString &text) { messages << text; }
    Q_INVOKABLE int Confirm(const QString &) { return 1; }
    Q_INVOKABLE QString MimeDecode(const QString &text) { return text; }
};

long peakKilobytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void exec(sqlite3 *db, const char *sql)
{
    char *error = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        std::fprintf(stderr, "sqlite: %s\n%s\n", error, sql);
        std::exit(1);
    }
}

sqlite3 *open(const QString &file)
{
    sqlite3 *db = nullptr;
    sqlite3_open(file.toUtf8().constData(), &db);
    return db;
}

void insertUsers(sqlite3 *db, int from, int to, const char *passwordSuffix)
{
    sqlite3_stmt *stmt = nullptr;
    sqlite3_prepare_v2(db,
                       "Insert Into p_User (UserCode, UserName, Spell, FiveStrokes, OrgCode, Grade, ContactType, "
                       "PassWord) Values (?, ?, 'ZS', 'XD', 'A1', '3', '138', ?)",
                       -1, &stmt, nullptr);
    for (int i = from; i < to; ++i) {
        const QByteArray code = QByteArray::number(51010100100000LL + i);
        const QByteArray name = QStringLiteral("用户%1").arg(i).toUtf8();
        const QByteArray password = QByteArray("p") + passwordSuffix;
        sqlite3_bind_text(stmt, 1, code.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(stmt, 2, name.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(stmt, 3, password.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_step(stmt);
        sqlite3_reset(stmt);
    }
    sqlite3_finalize(stmt);
}

// HR: users 0 .. n-1 where n/4 .. n/2 are "old" (to change) and 3n/4 .. n-1
// exist only in HR. RCMS: users 0 .. 3n/4 - 1 plus the quarter HR lacks.
void makeSyncDatabases(const QString &hr, const QString &rcms, int n)
{
    SqliteSession::createDatabases(hr, rcms);
    sqlite3 *h = open(hr);
    sqlite3 *r = open(rcms);
    exec(h, "BEGIN");
    exec(r, "BEGIN");
    exec(h, "Insert Into P_YLFWDW (OrgCode, OrgName, AreaCode, StaAreaCode) Values ('A1', 'U', '51', '510101001')");
    insertUsers(h, 0, n / 2, "same");
    insertUsers(h, n / 2, 3 * n / 4, "old");
    insertUsers(h, n, n + n / 4, "hronly");
    insertUsers(r, 0, n / 2, "same");
    insertUsers(r, n / 2, 3 * n / 4, "new");
    insertUsers(r, 3 * n / 4, n, "missing");
    exec(h, "COMMIT");
    exec(r, "COMMIT");
    sqlite3_close(h);
    sqlite3_close(r);
}

double setBasedSync(const QString &hr, const QString &rcms)
{
    sqlite3 *h = open(hr);
    QElapsedTimer timer;
    timer.start();
    exec(h, QStringLiteral("ATTACH DATABASE '%1' AS r").arg(rcms).toUtf8().constData());
    exec(h, "BEGIN");
    exec(h, "Insert Into p_User (UserCode, UserName, Spell, FiveStrokes, Grade, OrgCode, ContactType, PassWord) "
            "Select s.UserCode, s.UserName, s.Spell, s.FiveStrokes, s.Grade, s.OrgCode, s.ContactType, s.PassWord "
            "From r.p_User s Where Not Exists (Select 1 From main.p_User t Where t.UserCode = s.UserCode)");
    exec(h, "Update p_User Set UserName = s.UserName, Spell = s.Spell, FiveStrokes = s.FiveStrokes, "
            "OrgCode = s.OrgCode, Grade = s.Grade, PassWord = s.PassWord, ContactType = s.ContactType "
            "From r.p_User s Where s.UserCode = p_User.UserCode And (p_User.UserName Is Not s.UserName "
            "Or p_User.Spell Is Not s.Spell Or p_User.FiveStrokes Is Not s.FiveStrokes Or p_User.OrgCode Is Not s.OrgCode "
            "Or p_User.Grade Is Not s.Grade Or p_User.PassWord Is Not s.PassWord Or p_User.ContactType Is Not s.ContactType)");
    exec(h, "COMMIT");
    const double seconds = timer.nsecsElapsed() / 1e9;
    sqlite3_close(h);
    return seconds;
}

struct Host
{
    SqliteSession session;
    SilentDispatch dispatch;
    data::ClientDataSet rights;
    Host(const QString &hr, const QString &rcms) : session(hr, rcms)
    {
        session.HostDispatch = &dispatch;
        session.AppPath = QStringLiteral("/nonexistent");
        session.UserCode = QStringLiteral("admin");
        session.RcmsAreaCode = QStringLiteral("51");
        session.RightsData = &rights;
        UGlobalValue::HostSessionRef = &session;
    }
    ~Host() { UGlobalValue::HostSessionRef = nullptr; }
};

double windowSync(const QString &hr, const QString &rcms)
{
    Host host(hr, rcms);
    std::unique_ptr<TUserInfoMagForm, void (*)(QWidget *)> window(CreateForm<TUserInfoMagForm>(), DestroyForm);
    QElapsedTimer timer;
    timer.start();
    window->BtnSyhClick(window->BtnSyh);
    const double seconds = timer.nsecsElapsed() / 1e9;
    if (host.dispatch.messages.value(0) != QStringLiteral("同步农合用户信息数据成功")) {
        std::fprintf(stderr, "synchronisation failed: %s\n", qUtf8Printable(host.dispatch.messages.join(QLatin1Char(' '))));
        std::exit(1);
    }
    return seconds;
}

// Each side runs `rounds` times on fresh files; the best run of each counts, which
// takes out most of what other work on the machine adds.
void benchSync(int n, int rounds)
{
    double windowSeconds = 1e9, setSeconds = 1e9;
    for (int round = 0; round < rounds; ++round) {
        QTemporaryDir dir;
        const QString hr1 = dir.filePath(QStringLiteral("hr1.db")), rcms1 = dir.filePath(QStringLiteral("rcms1.db"));
        const QString hr2 = dir.filePath(QStringLiteral("hr2.db")), rcms2 = dir.filePath(QStringLiteral("rcms2.db"));
        makeSyncDatabases(hr1, rcms1, n);
        makeSyncDatabases(hr2, rcms2, n);
        windowSeconds = std::min(windowSeconds, windowSync(hr1, rcms1));
        setSeconds = std::min(setSeconds, setBasedSync(hr2, rcms2));
    }
    std::printf("sync %7d users, best of %d: window %7.3f s  set-based %7.3f s  ratio %5.2f  (%.2f us/user)  "
                "peak %ld MB\n",
                n, rounds, windowSeconds, setSeconds, windowSeconds / setSeconds, windowSeconds * 1e6 / n,
                peakKilobytes() / 1024);
}

void benchFormShow(int areas, int usersInArea)
{
    QTemporaryDir dir;
    const QString hr = dir.filePath(QStringLiteral("hr.db")), rcms = dir.filePath(QStringLiteral("rcms.db"));
    SqliteSession::createDatabases(hr, rcms);
    sqlite3 *h = open(hr);
    exec(h, "BEGIN");
    exec(h, "Insert Into P_XZQH (AreaCode, AreaName, ParentAreaCode, RCMSAreaCode) Values ('51', '省', '5', '51')");
    sqlite3_stmt *stmt = nullptr;
    sqlite3_prepare_v2(h, "Insert Into P_XZQH (AreaCode, AreaName, ParentAreaCode) Values (?, ?, ?)", -1, &stmt, nullptr);
    for (int i = 1; i < areas; ++i) {
        // A tree about three levels deep below the province.
        const QByteArray code = "51" + QByteArray::number(100000000LL + i);
        const QByteArray parent = i < 100 ? QByteArray("51") : "51" + QByteArray::number(100000000LL + i / 100);
        const QByteArray name = QStringLiteral("区划%1").arg(i).toUtf8();
        sqlite3_bind_text(stmt, 1, code.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(stmt, 2, name.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(stmt, 3, parent.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_step(stmt);
        sqlite3_reset(stmt);
    }
    sqlite3_finalize(stmt);
    exec(h, "Insert Into P_YLFWDW (OrgCode, OrgName, AreaCode, StaAreaCode) Values ('A1', 'U', '51', '51')");
    insertUsers(h, 0, usersInArea, "x");
    exec(h, "COMMIT");
    sqlite3_close(h);

    Host host(hr, rcms);
    host.rights.SetData(data::DataPacket{{{QStringLiteral("ModFunTyp"), data::FieldType::Integer, 0},
                                          {QStringLiteral("ModFunID"), data::FieldType::String, 10}},
                                         {{3, QStringLiteral("254")}}});
    std::unique_ptr<TUserInfoMagForm, void (*)(QWidget *)> window(CreateForm<TUserInfoMagForm>(), DestroyForm);
    QElapsedTimer timer;
    timer.start();
    window->show();  // FormShow: rights, tree, unit list; selecting the root lists its users
    if (window->CDSUserData->RecordCount() == 0) {
        window->CDSAreaData->Locate(QStringLiteral("StaAreaCode"), QStringLiteral("51"));
        window->TreLstArea->SetFocusedRecordIndex(window->CDSAreaData->RecNo() - 1);
    }
    const double windowSeconds = timer.nsecsElapsed() / 1e9;
    const int listed = window->CDSUserData->RecordCount();

    timer.restart();
    host.session.OpenHrData(QStringLiteral(
        "  Select Isnull(RCMSAreaCode,AreaCode) As AreaCode, AreaCode As StaAreaCode,  '[' + AreaCode + '] ' + "
        "AreaName As AreaName, ParentAreaCode as PAreaCode   From p_XzQh Where ParentAreaCode Like '51%' Or AreaCode = '51'"));
    host.session.OpenHrData(QStringLiteral("Select OrgCode, OrgName From P_YLFWDW "));
    host.session.OpenHrData(QStringLiteral("Select * From p_User,P_YlFwDw Where p_User.OrgCode = P_YlFwDw.OrgCode "
                                           "And StaAreaCode = '51' Order By AreaCode Asc "));
    const double rawSeconds = timer.nsecsElapsed() / 1e9;
    std::printf("show %d areas, %d users listed: window %.3f s  raw queries %.3f s  ratio %.2f  peak %ld MB\n",
                window->CDSAreaData->RecordCount(), listed, windowSeconds, rawSeconds, windowSeconds / rawSeconds,
                peakKilobytes() / 1024);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QList<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes << QByteArray(argv[i]).toInt();
    if (sizes.isEmpty())
        sizes = {25000, 50000, 100000};
    for (int n : sizes)
        benchSync(n, 3);
    benchFormShow(100000, 10000);
    return 0;
}

#include "bench_users_window.moc"
