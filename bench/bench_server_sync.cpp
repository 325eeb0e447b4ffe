// The user synchronisation on a database server, run by hand on the test
// server of scripts/postgres.sh:
//   bash scripts/postgres.sh build/bench/bench_server_sync [sizes...]
//
// N RCMS users into a health-record database of N users (by default half
// identical, a quarter changed, a quarter missing: the mix of the SQLite
// benchmark; BENCH_SYNC_MIX=unchanged,changed,new in percent of the RCMS users
// sets another, e.g. 90,5,5 as in a province between two runs) through
// the window's command on the host's ODBC session, against the same change
// done set-based on the server (one INSERT ... SELECT and one UPDATE ... FROM
// in a transaction, the RCMS users already beside the health-record ones: the
// server alone could not reach another database). Both run with the server as
// it is, and behind a proxy that holds every request of the client for 1 ms:
// one round trip over a network. Three rounds each on fresh databases; the
// median ratio counts. Targets: the window within 1.5 times the set-based run
// (1.8 behind the proxy) at 100,000 users, 2 times at 1,000,000.
#include <QApplication>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <mutex>
#include <thread>
#include <tuple>
#include <vector>

#include "BenchHost.h"
#include "BenchSizes.h"
#include "FormFactory.h"
#include "HostConfig.h"
#include "OdbcConnection.h"
#include "OdbcSession.h"
#include "TdxBarManager.h"
#include "UUserInfoMagFrm.h"

namespace {

// BENCH_ROUNDS changes it (one round is enough for a first look at a million users).
const int kRounds = qEnvironmentVariableIsSet("BENCH_ROUNDS") ? qMax(1, qEnvironmentVariableIntValue("BENCH_ROUNDS")) : 3;

// A Unix socket in a folder of its own that passes every connection on to the
// server's socket, holding what the client sends for `delay` first: each
// request then answers one delay later, as over a network.
class DelayProxy
{
public:
    DelayProxy(const QString &serverSocket, std::chrono::microseconds delay)
        : m_serverSocket(serverSocket.toStdString()), m_delay(delay)
    {
        m_listener = socket(AF_UNIX, SOCK_STREAM, 0);
        const sockaddr_un address = addressOf(socketPath().toStdString());
        if (bind(m_listener, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0 ||
            listen(m_listener, 64) != 0) {
            std::perror("proxy");
            std::exit(1);
        }
        m_acceptor = std::thread([this] { acceptLoop(); });
    }
    ~DelayProxy()
    {
        m_stopping = true;
        shutdown(m_listener, SHUT_RDWR);
        m_acceptor.join();
        close(m_listener);
        for (std::thread &t : m_connections)
            t.join();
    }
    // What the driver takes as the server's folder.
    QString folder() const { return m_dir.path(); }
    // The requests held so far: the round trips of the clients.
    long requests() const { return m_requests; }

private:
    static sockaddr_un addressOf(const std::string &path)
    {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
        return address;
    }
    QString socketPath() const { return m_dir.filePath(QStringLiteral(".s.PGSQL.5432")); }

    void acceptLoop()
    {
        for (;;) {
            const int client = accept(m_listener, nullptr, nullptr);
            if (client < 0)
                return;
            const int server = socket(AF_UNIX, SOCK_STREAM, 0);
            const sockaddr_un address = addressOf(m_serverSocket);
            if (connect(server, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0) {
                close(client);
                close(server);
                continue;
            }
            m_connections.emplace_back([this, client, server] { forward(client, server); });
        }
    }

    // Until either side closes (or the proxy stops).
    void forward(int client, int server)
    {
        char buffer[65536];
        pollfd fds[2] = {{client, POLLIN, 0}, {server, POLLIN, 0}};
        while (!m_stopping) {
            if (poll(fds, 2, 100) <= 0)
                continue;
            bool open = true;
            for (int side = 0; side < 2 && open; ++side) {
                if (!(fds[side].revents & (POLLIN | POLLHUP | POLLERR)))
                    continue;
                const ssize_t n = read(fds[side].fd, buffer, sizeof buffer);
                if (n <= 0) {
                    open = false;
                    break;
                }
                if (side == 0) {
                    ++m_requests;
                    std::this_thread::sleep_for(m_delay);
                }
                open = writeAll(fds[1 - side].fd, buffer, n);
            }
            if (!open)
                break;
        }
        close(client);
        close(server);
    }
    static bool writeAll(int fd, const char *data, ssize_t size)
    {
        while (size > 0) {
            const ssize_t n = write(fd, data, size_t(size));
            if (n <= 0)
                return false;
            data += n;
            size -= n;
        }
        return true;
    }

    QTemporaryDir m_dir;
    std::string m_serverSocket;
    std::chrono::microseconds m_delay;
    int m_listener = -1;
    std::atomic<bool> m_stopping{false};
    std::atomic<long> m_requests{0};
    std::thread m_acceptor;
    std::vector<std::thread> m_connections;  // touched by the acceptor only until it ends
};

long peakKilobytes()
{
    FILE *status = std::fopen("/proc/self/status", "r");
    char line[256];
    long kb = 0;
    while (status && std::fgets(line, sizeof line, status)) {
        if (std::sscanf(line, "VmHWM: %ld", &kb) == 1)
            break;
    }
    if (status)
        std::fclose(status);
    return kb;
}

QString serverConnection()
{
    return qEnvironmentVariable("LUMO_TEST_PG_HR");
}

QString withKey(QString connection, const char *key, const QString &value)
{
    const QRegularExpression pattern(QStringLiteral("(^|;)\\s*%1\\s*=[^;]*").arg(QLatin1String(key)),
                                     QRegularExpression::CaseInsensitiveOption);
    return connection.replace(pattern, QStringLiteral("\\1%1=%2").arg(QLatin1String(key), value));
}

QString serverFolder()
{
    const QRegularExpression pattern(QStringLiteral("(?:^|;)\\s*Servername\\s*=([^;]*)"),
                                     QRegularExpression::CaseInsensitiveOption);
    return pattern.match(serverConnection()).captured(1).trimmed();
}

// The connection string of `database`, through `folder`'s socket.
QString connectionTo(const QString &folder, const QString &database)
{
    return withKey(withKey(serverConnection(), "Database", database), "Servername", folder);
}

DatabaseLocation location(const QString &folder, const QString &database, const char *dialect)
{
    return DatabaseLocation::parse(QStringLiteral("odbc:") + connectionTo(folder, database), QLatin1String(dialect));
}

// Text as written (no translation), on a connection of its own.
void run(const QString &folder, const QString &database, const QString &sql)
{
    OdbcConnection(location(folder, database, "mssql"), QStringLiteral("bench"), 10).execute(sql);
}

QString usersOf(const char *table, std::initializer_list<std::tuple<int, int, const char *>> ranges)
{
    QStringList parts;
    for (const auto &[from, to, suffix] : ranges) {
        parts << QStringLiteral("SELECT i, '%1' AS suffix FROM generate_series(%2, %3) i")
                     .arg(QLatin1String(suffix)).arg(from).arg(to - 1);
    }
    return QStringLiteral("INSERT INTO %1 (UserCode, UserName, Spell, FiveStrokes, OrgCode, Grade, ContactType, PassWord) "
                          "SELECT (51010100100000 + i)::text, '用户' || i, 'ZS', 'XD', 'A1', '3', '138', 'p' || suffix "
                          "FROM (%2) s")
        .arg(QLatin1String(table), parts.join(QStringLiteral(" UNION ALL ")));
}

// Shares of the RCMS users, in percent: as in the health-record database,
// changed there, and new to it.
struct Mix
{
    int unchanged = 50;
    int changed = 25;
    int added = 25;
};

Mix benchMix()
{
    Mix mix;
    const QList<QByteArray> parts = qgetenv("BENCH_SYNC_MIX").split(',');
    if (parts.size() == 3) {
        mix = {parts[0].toInt(), parts[1].toInt(), parts[2].toInt()};
        if (mix.unchanged < 0 || mix.changed < 0 || mix.added < 0 || mix.unchanged + mix.changed + mix.added != 100) {
            std::fprintf(stderr, "BENCH_SYNC_MIX: three shares in percent adding up to 100, e.g. 90,5,5\n");
            std::exit(2);
        }
    }
    return mix;
}

// Fresh databases `prefix`_hr and `prefix`_rcms from the schema's templates,
// filled with the mix; the health-record one also holds the RCMS users as
// rcms_user for the set-based run.
void makeDatabases(const QString &prefix, int n, const Mix &mix)
{
    const QString folder = serverFolder();
    for (const char *side : {"hr", "rcms"}) {
        const QString name = prefix + QLatin1Char('_') + QLatin1String(side);
        run(folder, QStringLiteral("postgres"), QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(name));
        run(folder, QStringLiteral("postgres"),
            QStringLiteral("CREATE DATABASE %1 TEMPLATE lumo_%2").arg(name, QLatin1String(side)));
    }
    const QString hr = prefix + QStringLiteral("_hr");
    // The health-record side keeps N users: those RCMS does not know stand
    // in for the new ones.
    const int same = int(qint64(n) * mix.unchanged / 100), changed = int(qint64(n) * mix.changed / 100);
    const auto rcmsUsers = {std::tuple{0, same, "same"}, std::tuple{same, same + changed, "new"},
                            std::tuple{same + changed, n, "missing"}};
    run(folder, hr,
        QStringLiteral("INSERT INTO P_YLFWDW (OrgCode, OrgName, AreaCode, StaAreaCode) VALUES ('A1', 'U', '51', '510101001');")
            + usersOf("p_User", {{0, same, "same"}, {same, same + changed, "old"}, {n, n + n - same - changed, "hronly"}})
            + QStringLiteral("; CREATE TABLE rcms_user (LIKE p_User INCLUDING ALL); ") + usersOf("rcms_user", rcmsUsers));
    run(folder, prefix + QStringLiteral("_rcms"), usersOf("p_User", rcmsUsers));
    run(folder, hr, QStringLiteral("VACUUM ANALYZE"));
    run(folder, prefix + QStringLiteral("_rcms"), QStringLiteral("VACUUM ANALYZE"));
}

void dropDatabases(const QString &prefix)
{
    for (const char *side : {"hr", "rcms"}) {
        run(serverFolder(), QStringLiteral("postgres"),
            QStringLiteral("DROP DATABASE IF EXISTS %1_%2 WITH (FORCE)").arg(prefix, QLatin1String(side)));
    }
}

double setBasedSync(const QString &folder, const QString &prefix)
{
    OdbcConnection hr(location(folder, prefix + QStringLiteral("_hr"), "mssql"), QStringLiteral("bench"), 10);
    QElapsedTimer timer;
    timer.start();
    hr.begin();
    // The change includes its rows of the trail of changes, as the window writes them.
    hr.execute(QStringLiteral(
        "INSERT INTO TSys_UserAudit (AuditTime, OperatorCode, MachineName, Kind, UserCode, UserName, SyncLogID, "
        "Changes) SELECT '2024-01-05 08:00:00.000', 'admin', 'bench', '同步', s.UserCode, s.UserName, "
        "'20240105080000000abc', json_build_array(json_build_array('UserName', t.UserName, s.UserName), "
        "json_build_array('Spell', t.Spell, s.Spell), json_build_array('FiveStrokes', t.FiveStrokes, s.FiveStrokes), "
        "json_build_array('OrgCode', t.OrgCode, s.OrgCode), json_build_array('Grade', t.Grade, s.Grade), "
        "json_build_array('PassWord', '已更改', '已更改'), "
        "json_build_array('ContactType', t.ContactType, s.ContactType))::text "
        "FROM rcms_user s LEFT JOIN p_User t ON t.UserCode = s.UserCode WHERE t.UserCode IS NULL "
        "OR t.UserName IS DISTINCT FROM s.UserName OR t.Spell IS DISTINCT FROM s.Spell "
        "OR t.FiveStrokes IS DISTINCT FROM s.FiveStrokes OR t.OrgCode IS DISTINCT FROM s.OrgCode "
        "OR t.Grade IS DISTINCT FROM s.Grade OR t.PassWord IS DISTINCT FROM s.PassWord "
        "OR t.ContactType IS DISTINCT FROM s.ContactType"));
    hr.execute(QStringLiteral(
        "INSERT INTO p_User (UserCode, UserName, Spell, FiveStrokes, Grade, OrgCode, ContactType, PassWord) "
        "SELECT s.UserCode, s.UserName, s.Spell, s.FiveStrokes, s.Grade, s.OrgCode, s.ContactType, s.PassWord "
        "FROM rcms_user s WHERE NOT EXISTS (SELECT 1 FROM p_User t WHERE t.UserCode = s.UserCode)"));
    hr.execute(QStringLiteral(
        "UPDATE p_User t SET UserName = s.UserName, Spell = s.Spell, FiveStrokes = s.FiveStrokes, "
        "OrgCode = s.OrgCode, Grade = s.Grade, PassWord = s.PassWord, ContactType = s.ContactType "
        "FROM rcms_user s WHERE s.UserCode = t.UserCode AND (t.UserName IS DISTINCT FROM s.UserName "
        "OR t.Spell IS DISTINCT FROM s.Spell OR t.FiveStrokes IS DISTINCT FROM s.FiveStrokes "
        "OR t.OrgCode IS DISTINCT FROM s.OrgCode OR t.Grade IS DISTINCT FROM s.Grade "
        "OR t.PassWord IS DISTINCT FROM s.PassWord OR t.ContactType IS DISTINCT FROM s.ContactType)"));
    hr.commit();
    return timer.nsecsElapsed() / 1e9;
}

double windowSync(const QString &folder, const QString &prefix)
{
    OdbcSession session(location(folder, prefix + QStringLiteral("_hr"), "postgresql"),
                        location(folder, prefix + QStringLiteral("_rcms"), "postgresql"), 10);
    BenchHost host(session);
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

// Both runs of a round on fresh databases, the same distance from the server.
void benchSync(int n, std::chrono::microseconds delay, const Mix &mix)
{
    std::unique_ptr<DelayProxy> proxy;
    if (delay.count() > 0)
        proxy = std::make_unique<DelayProxy>(serverFolder() + QStringLiteral("/.s.PGSQL.5432"), delay);
    const QString folder = proxy ? proxy->folder() : serverFolder();
    std::vector<double> ratios;
    double window = 1e9, setBased = 1e9;
    long windowTrips = 0, setBasedTrips = 0;
    for (int round = 0; round < kRounds; ++round) {
        makeDatabases(QStringLiteral("bench_w"), n, mix);
        makeDatabases(QStringLiteral("bench_s"), n, mix);
        const long before = proxy ? proxy->requests() : 0;
        const double w = windowSync(folder, QStringLiteral("bench_w"));
        const long between = proxy ? proxy->requests() : 0;
        const double s = setBasedSync(folder, QStringLiteral("bench_s"));
        windowTrips = between - before;
        setBasedTrips = (proxy ? proxy->requests() : 0) - between;
        ratios.push_back(w / s);
        window = std::min(window, w);
        setBased = std::min(setBased, s);
    }
    dropDatabases(QStringLiteral("bench_w"));
    dropDatabases(QStringLiteral("bench_s"));
    std::sort(ratios.begin(), ratios.end());
    // At a province's size the target is looser; the peak is the whole
    // process's (the window's runs and the set-based ones alike).
    const double target = n >= 1000000 ? 2.0 : delay.count() > 0 ? 1.8 : 1.5;
    std::printf("server sync %7d users (%d/%d/%d), +%4.1f ms a round trip, %d rounds: ratio %5.2f (target %.1f)  "
                "best: window %7.3f s  set-based %6.3f s  peak %ld MB (target 400)",
                n, mix.unchanged, mix.changed, mix.added, delay.count() / 1000.0, kRounds, ratios[ratios.size() / 2], target, window, setBased,
                peakKilobytes() / 1024);
    if (proxy)
        std::printf("  round trips: window %ld, set-based %ld", windowTrips, setBasedTrips);
    std::printf("\n");
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    startAsTheHost();
    QApplication app(argc, argv);
    if (serverConnection().isEmpty()) {
        std::fprintf(stderr, "no server: run it as bash scripts/postgres.sh %s\n", argv[0]);
        return 1;
    }
    std::printf("%u cores\n", std::thread::hardware_concurrency());
    QList<int> sizes = benchSizes(argc, argv);
    if (argc < 2)
        sizes = {100000};
    const Mix mix = benchMix();
    for (const int n : sizes) {
        benchSync(n, std::chrono::microseconds(0), mix);
        benchSync(n, std::chrono::microseconds(1000), mix);
    }
    return 0;
}

