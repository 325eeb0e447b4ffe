// Many desktops on one PostgreSQL server at once, run on the test server of
// scripts/postgres.sh:
//   bash scripts/postgres.sh build/bench/bench_load [clients [seconds]] [--restart]
//
// Starts `clients` copies of itself, each a desktop with its own host ODBC
// session: all but four (at least one) add, edit and delete users of their own
// area and of one area they share, at a compressed human pace; two (one when
// fewer than five clients) open the synchronisation's preview and the report
// of a user's records; two (one) synchronise in turn. Edits are saved as the
// user dialog saves them: the row read again inside the transaction and
// refused with the dialog's message when someone changed it since it was
// loaded. Each client prints a journal; at the end this program checks it
// against the database:
//   - every save told "数据保存成功!" is in the database, or a later told save
//     of the same user replaced it (no two told edits of a user started from
//     the same row: that would be a lost update);
//   - every refusal carries one of the messages a person may be told;
//   - the synchronisation log holds a row for every run told done.
// With --restart the server is restarted once halfway; a command it cuts
// fails with "与数据库的连接已断开" and the next one connects again.
// Prints `load <clients> clients <s> s: saves <n>, p95 save <x> ms, p95 search
// <y> ms, lost <k>` (targets: 200 ms, 100 ms, 0) and exits non-zero when a
// check fails. Exit 77 without a server.
#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QMap>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "BenchHost.h"
#include "BenchServerDatabase.h"
#include "DatabaseLocation.h"
#include "FormFactory.h"
#include "LumoError.h"
#include "OdbcConnection.h"
#include "OdbcResultReader.h"
#include "OdbcSession.h"
#include "SyncPreview.h"
#include "TextRules.h"
#include "UUserInfoAddEditFrm.h"
#include "TdxBarManager.h"
#include "UUserInfoMagFrm.h"
#include "UserDeletion.h"
#include "UserReferences.h"

namespace {

const QString kSaved = QStringLiteral("数据保存成功!");
const QString kLost = QStringLiteral("与数据库的连接已断开");
const QString kBusy = QStringLiteral("数据库正忙, 请稍后再试");
const QString kCodeUsed = QStringLiteral("当前输入的用户编码已被使用,请重新输入!");
const QString kHasRecords = QStringLiteral("当前选中的用户信息已产生数据,无法进行删除!");
const QString kSyncDone = QStringLiteral("同步农合用户信息数据成功");

// The areas: one township per editing client and one they share (index 0).
QString areaCode(int area)
{
    return QStringLiteral("5101010%1").arg(area, 2, 10, QLatin1Char('0'));
}
QString unitCode(int area)
{
    return QStringLiteral("L%1").arg(area);
}
// A user code as the dialog composes it: the area padded to 11, two digits.
QString userPrefix(int area)
{
    return areaCode(area) + QStringLiteral("00");
}

using bench_server::location;

void run(const QString &database, const QString &sql)
{
    bench_server::run(database, sql, QStringLiteral("load"), 60);
}

QVariant value(const QString &database, const QString &sql)
{
    OdbcConnection connection(location(database, "mssql"), QStringLiteral("load"), 60);
    QVariant v;
    connection.run(sql, [&](OdbcStatement &s) { v = readOdbcFirstValue(s); });
    return v;
}

QString serverFolder()
{
    const QRegularExpression pattern(QStringLiteral("(?:^|;)\\s*Servername\\s*=([^;]*)"),
                                     QRegularExpression::CaseInsensitiveOption);
    return pattern.match(qEnvironmentVariable("LUMO_TEST_PG_HR")).captured(1).trimmed();
}

const QString kHr = QStringLiteral("load_hr"), kRcms = QStringLiteral("load_rcms");

void makeDatabases(int editors)
{
    for (const char *side : {"hr", "rcms"}) {
        run(QStringLiteral("postgres"), QStringLiteral("DROP DATABASE IF EXISTS load_%1 WITH (FORCE)").arg(QLatin1String(side)));
        run(QStringLiteral("postgres"),
            QStringLiteral("CREATE DATABASE load_%1 TEMPLATE lumo_%1").arg(QLatin1String(side)));
    }
    QString sql = QStringLiteral("INSERT INTO P_XZQH (AreaCode, AreaName, ParentAreaCode, RCMSAreaCode) VALUES "
                                 "('5101', '市', '51', '51'), ('510101', '县', '5101', '510101');");
    for (int area = 0; area <= editors; ++area) {
        sql += QStringLiteral("INSERT INTO P_XZQH (AreaCode, AreaName, ParentAreaCode) VALUES ('%1', '乡%2', '510101');"
                              "INSERT INTO P_YLFWDW (OrgCode, OrgName, AreaCode, StaAreaCode) VALUES ('%3', '卫生院%2', '%1', '%1');"
                              "INSERT INTO p_User (UserCode, UserName, OrgCode, PassWord) "
                              "SELECT '%4' || lpad(i::text, 2, '0'), '用户%2-' || i, '%3', 'p' FROM generate_series(1, 30) i;")
                   .arg(areaCode(area)).arg(area).arg(unitCode(area), userPrefix(area));
    }
    // Records entered by every third user: deleting those is refused.
    sql += QStringLiteral("INSERT INTO TData_AdmiRec (RecordID, InpPerCode) "
                          "SELECT 'R' || UserCode, UserCode FROM p_User WHERE right(UserCode, 2)::int % 3 = 0;"
                          "INSERT INTO p_User (UserCode, UserName, OrgCode) VALUES ('admin', '管理员', 'L0');"
                          "INSERT INTO P_YLFWDW (OrgCode, OrgName, AreaCode, StaAreaCode) VALUES ('R1', '农合单位', '510101', '510101');"
                          "INSERT INTO p_User (UserCode, UserName, OrgCode, PassWord) "
                          "SELECT '5101019990' || lpad(i::text, 4, '0'), '农合' || i, 'R1', 'p' FROM generate_series(1, 2000) i;");
    run(kHr, sql);
    // RCMS: the health-record users of their own area, half changed, and new ones.
    run(kRcms, QStringLiteral("INSERT INTO p_User (UserCode, UserName, OrgCode, PassWord) "
                              "SELECT '5101019990' || lpad(i::text, 4, '0'), "
                              "CASE WHEN i % 2 = 0 THEN '农合' || i ELSE '新名' || i END, 'R1', 'p' FROM generate_series(1, 3000) i"));
}

// ---- a client ---------------------------------------------------------------

class Client
{
public:
    Client(int index, int editors) : m_index(index), m_editors(editors), m_random(quint32(index * 7919 + 1)) {}

    void connect()
    {
        m_session = std::make_unique<OdbcSession>(location(kHr), location(kRcms), 10);
        m_host = std::make_unique<BenchHost>(*m_session);
    }

    // One line of the journal: kind, milliseconds, outcome, then the details.
    void note(const char *kind, double ms, const QString &outcome, const QStringList &details = {})
    {
        // Stamped when told: the checks read the clients' journals in that order.
        QString line = QStringLiteral("%1\t%2\t%3\t%4")
                           .arg(QDateTime::currentMSecsSinceEpoch())
                           .arg(QLatin1String(kind))
                           .arg(ms, 0, 'f', 2)
                           .arg(outcome);
        for (const QString &d : details)
            line += QLatin1Char('\t') + d;
        std::printf("%s\n", qUtf8Printable(line));
        std::fflush(stdout);
    }

    // After a failure, as the dialogs do; a connection found cut again fails
    // here too, and the next command connects anew.
    void rollback()
    {
        try {
            m_session->RollbackHrTrans();
        } catch (const data::LumoError &) {
        }
    }

    static int runsSoFar(const QString &turnFile)
    {
        QFile file(turnFile);
        return file.open(QIODevice::ReadOnly) ? file.readAll().toInt() : 0;
    }

    void pause(int fromMs, int toMs) { QThread::msleep(fromMs + m_random.bounded(toMs - fromMs + 1)); }

    // The users of an area as the window lists them when the area is clicked.
    QStringList search(int area)
    {
        QElapsedTimer timer;
        timer.start();
        const data::DataPacket rows = m_session->OpenHrData(
            QStringLiteral("Select * From p_User,P_YlFwDw Where p_User.OrgCode = P_YlFwDw.OrgCode And StaAreaCode = ")
            + QuotedStr(areaCode(area)) + QStringLiteral(" Order By AreaCode Asc "));
        note("search", timer.nsecsElapsed() / 1e6, QStringLiteral("ok"));
        QStringList codes;
        for (const auto &row : rows.rows)
            codes << row.value(0).toString();
        return codes;
    }

    // The dialog's edit: the row loaded, a pause while the person types, then
    // the save: read again in the transaction, refused when it changed.
    void edit(const QString &code)
    {
        const QString load = QStringLiteral(" Select *  From  P_User  Where UserCode = ") + QuotedStr(code);
        const data::DataPacket loaded = m_session->OpenHrData(load);
        if (loaded.rows.size() != 1)
            return;
        const QString base = loaded.rows[0].value(1).toString();
        const QString name = QStringLiteral("改%1-%2").arg(m_index).arg(++m_sequence);
        pause(20, 80);
        QElapsedTimer timer;
        timer.start();
        QString outcome = kSaved;
        try {
            m_session->BeginHrTrans();
            if (m_session->OpenHrData(load).rows != loaded.rows) {
                outcome = TUserInfoAddEditForm::ChangedByOthers;
                m_session->RollbackHrTrans();
            } else {
                m_session->ExecHrSql(QStringLiteral("Update P_User Set UserName = ") + QuotedStr(name)
                                     + QStringLiteral(" Where UserCode = ") + QuotedStr(code));
                m_session->CommitHrTrans();
            }
        } catch (const data::LumoError &e) {
            rollback();
            outcome = QStringLiteral("数据保存失败!原因:") + e.cause();
        }
        note("edit", timer.nsecsElapsed() / 1e6, outcome, {code, base, name});
    }

    void add(int area)
    {
        QElapsedTimer timer;
        timer.start();
        QString outcome = kSaved, code;
        try {
            const auto codes = m_session->OpenHrQuery(QStringLiteral("Select UserCode From P_User Where UserCode Like ")
                                                      + QuotedStr(userPrefix(area) + QLatin1Char('%')));
            QSet<QString> used;
            for (codes->First(); !codes->Eof(); codes->Next())
                used.insert(codes->FieldByName(QStringLiteral("UserCode"))->AsString());
            for (int serial = 1 + m_random.bounded(99); serial < 100 && code.isEmpty(); ++serial) {
                const QString candidate = userPrefix(area) + QStringLiteral("%1").arg(serial, 2, 10, QLatin1Char('0'));
                if (!used.contains(candidate))
                    code = candidate;
            }
            if (code.isEmpty())
                return;
            pause(20, 80);
            timer.restart();
            if (m_session->GetHrValue(QStringLiteral("Select Count(UserCode) From  P_User  Where UserCode = ")
                                      + QuotedStr(code)).toLongLong() > 0) {
                outcome = kCodeUsed;
            } else {
                m_session->BeginHrTrans();
                m_session->ExecHrSql(QStringLiteral("Insert Into  P_User  (UserCode, UserName, OrgCode, PassWord) Values (")
                                     + QuotedStr(code) + QStringLiteral(", ")
                                     + QuotedStr(QStringLiteral("新%1-%2").arg(m_index).arg(++m_sequence))
                                     + QStringLiteral(", ") + QuotedStr(unitCode(area)) + QStringLiteral(", 'p')"));
                m_session->CommitHrTrans();
            }
        } catch (const data::LumoError &e) {
            rollback();
            outcome = QStringLiteral("数据保存失败!原因:") + e.cause();
        }
        note("add", timer.nsecsElapsed() / 1e6, outcome, {code});
    }

    void remove(const QString &code)
    {
        QElapsedTimer timer;
        timer.start();
        QString outcome = QStringLiteral("deleted");
        try {
            if (UserDeletion::referenced(*m_session, code))
                outcome = kHasRecords;
            else
                UserDeletion(*m_session, code).run();
        } catch (const data::LumoError &e) {
            outcome = QStringLiteral("删除失败!原因:") + e.cause();
        }
        note("delete", timer.nsecsElapsed() / 1e6, outcome, {code});
    }

    void editorLoop(const QDeadlineTimer &until)
    {
        const int own = m_index + 1;
        while (!until.hasExpired()) {
            try {
                const int area = m_random.bounded(10) < 7 ? own : 0;
                const QStringList codes = search(area);
                const int choice = m_random.bounded(8);
                if (choice < 5 && !codes.isEmpty())
                    edit(codes.at(m_random.bounded(int(codes.size()))));
                else if (choice < 7)
                    add(area);
                else if (!codes.isEmpty())
                    remove(codes.at(m_random.bounded(int(codes.size()))));
            } catch (const data::LumoError &e) {
                note("failed", 0, e.cause());
                rollback();
            }
            pause(50, 200);
        }
    }

    void readerLoop(const QDeadlineTimer &until)
    {
        while (!until.hasExpired()) {
            QElapsedTimer timer;
            timer.start();
            try {
                if (m_random.bounded(2) == 0) {
                    SyncPreview::read(*m_session);
                    note("preview", timer.nsecsElapsed() / 1e6, QStringLiteral("ok"));
                } else {
                    CountUserReferences(*m_session, userPrefix(1 + m_random.bounded(m_editors)) + QStringLiteral("03"));
                    note("references", timer.nsecsElapsed() / 1e6, QStringLiteral("ok"));
                }
            } catch (const data::LumoError &e) {
                note("failed", timer.nsecsElapsed() / 1e6, e.cause());
            }
            pause(200, 600);
        }
    }

    // The synchronisers take turns through a file holding the number of runs
    // made so far: the one whose turn it is runs, waits a second and passes
    // the turn on, so that two runs never overlap and the second finds the
    // first one's work done.
    void syncLoop(const QDeadlineTimer &until, int turn, int syncers, const QString &turnFile)
    {
        while (!until.hasExpired()) {
            const int runs = runsSoFar(turnFile);
            if (runs % syncers != turn) {
                QThread::msleep(20);
                continue;
            }
            m_host->dispatch.messages.clear();
            QElapsedTimer timer;
            timer.start();
            QString told;
            try {
                // The window opened anew, as a person opens it for the command.
                std::unique_ptr<TUserInfoMagForm, void (*)(QWidget *)> window(CreateForm<TUserInfoMagForm>(), DestroyForm);
                window->BtnSyhClick(window->BtnSyh);
                told = m_host->dispatch.messages.value(0);
            } catch (const data::LumoError &e) {
                told = e.cause();
            }
            note("sync", timer.nsecsElapsed() / 1e6, told.isEmpty() ? QStringLiteral("(none)") : told.section(QLatin1Char('\n'), 0, 0));
            pause(1000, 1000);
            QSaveFile next(turnFile);
            if (next.open(QIODevice::WriteOnly)) {
                next.write(QByteArray::number(runs + 1));
                next.commit();
            }
        }
    }

private:
    int m_index;
    int m_editors;
    QRandomGenerator m_random;
    int m_sequence = 0;
    std::unique_ptr<OdbcSession> m_session;
    std::unique_ptr<BenchHost> m_host;
};

int clientMain(const QStringList &args)
{
    // --client index role seconds editors [turn syncers turnFile]
    const int index = args.value(2).toInt();
    const QString role = args.value(3);
    const int seconds = args.value(4).toInt();
    const int editors = args.value(5).toInt();
    Client client(index, editors);
    const QDeadlineTimer until(qint64(seconds) * 1000);
    try {
        client.connect();
        if (role == QLatin1String("editor"))
            client.editorLoop(until);
        else if (role == QLatin1String("reader"))
            client.readerLoop(until);
        else
            client.syncLoop(until, args.value(6).toInt(), args.value(7).toInt(), args.value(8));
    } catch (const std::exception &e) {
        client.note("crashed", 0, QString::fromUtf8(e.what()).section(QLatin1Char('\n'), 0, 0));
        return 1;
    }
    return 0;
}

// ---- the checks -------------------------------------------------------------

struct Journal
{
    std::vector<double> saves, searches;
    int told = 0, refused = 0, unexpected = 0, lost = 0, missing = 0, syncsDone = 0, crashed = 0;
    QStringList examples;
    QMap<QString, int> messages;  // how often each refusal or failure was told
};

double percentile(std::vector<double> v, double p)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, std::size_t(p * double(v.size() - 1) + 0.5))];
}

bool allowedRefusal(const QString &outcome)
{
    static const QStringList allowed{TUserInfoAddEditForm::ChangedByOthers, kCodeUsed, kHasRecords};
    if (allowed.contains(outcome))
        return true;
    // The busy cause, a cut connection, and a code taken between the check and the insert.
    const QString cause = outcome.section(QStringLiteral("原因:"), 1);
    return cause == kBusy || cause == kLost || cause.startsWith(QStringLiteral("值已存在, 不能重复: "));
}

Journal check(const QStringList &lines)
{
    Journal j;
    QHash<QString, QStringList> editsOf;         // user -> told edits' new names, in order
    QHash<QString, QSet<QString>> basesOf;       // user -> told edits' starting names
    QSet<QString> added, deleted;
    qint64 lastSyncTold = 0;
    QStringList ordered = lines;
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const QString &a, const QString &b) { return a.section(QLatin1Char('\t'), 0, 0).toLongLong()
                                                                   < b.section(QLatin1Char('\t'), 0, 0).toLongLong(); });
    for (const QString &line : ordered) {
        const QStringList f = line.split(QLatin1Char('\t')).mid(1);
        if (f.size() < 3)
            continue;
        const QString kind = f[0], outcome = f[2];
        const double ms = f[1].toDouble();
        if (kind == QLatin1String("search")) {
            j.searches.push_back(ms);
            continue;
        }
        if (outcome != kSaved && outcome != kSyncDone && outcome != QLatin1String("ok") && outcome != QLatin1String("deleted"))
            ++j.messages[outcome.section(QStringLiteral(": "), 0, 0)];
        if (kind == QLatin1String("crashed")) {
            ++j.crashed;
            j.examples << line;
            continue;
        }
        if (kind == QLatin1String("sync")) {
            // In turn: a run starts after the one before it was told.
            const qint64 told = line.section(QLatin1Char('\t'), 0, 0).toLongLong();
            if (told - qint64(ms) < lastSyncTold) {
                ++j.unexpected;
                j.examples << QStringLiteral("overlapping synchronisation: ") + line;
            }
            lastSyncTold = told;
            if (outcome == kSyncDone)
                ++j.syncsDone;
            // A run the restart cut, or one an editor's new code met, is undone whole.
            else if (!outcome.contains(kBusy) && !outcome.contains(kLost)
                     && !outcome.contains(QStringLiteral("值已存在, 不能重复: "))) {
                ++j.unexpected;
                j.examples << line;
            }
            continue;
        }
        if (kind == QLatin1String("failed") || kind == QLatin1String("preview") || kind == QLatin1String("references")) {
            if (kind == QLatin1String("failed") && outcome != kLost && outcome != kBusy) {
                ++j.unexpected;
                j.examples << line;
            }
            continue;
        }
        j.saves.push_back(ms);
        const bool told = outcome == kSaved || outcome == QLatin1String("deleted");
        if (told) {
            ++j.told;
        } else if (allowedRefusal(outcome)) {
            ++j.refused;
            continue;
        } else {
            ++j.unexpected;
            j.examples << line;
            continue;
        }
        const QString code = f.value(3);
        if (kind == QLatin1String("edit")) {
            editsOf[code] << f.value(5);
            // Two told edits that both started from one row: one of them was lost.
            if (basesOf[code].contains(f.value(4))) {
                ++j.lost;
                j.examples << QStringLiteral("lost update of ") + code + QStringLiteral(" from ") + f.value(4);
            }
            basesOf[code].insert(f.value(4));
        } else {
            // A user added or deleted starts a history of its own.
            editsOf.remove(code);
            basesOf.remove(code);
            (kind == QLatin1String("add") ? added : deleted).insert(code);
            (kind == QLatin1String("add") ? deleted : added).remove(code);
        }
    }
    // What the database holds: every told save is there, or a later told save replaced it.
    OdbcConnection hr(location(kHr, "mssql"), QStringLiteral("load"), 60);
    QHash<QString, QString> names;
    hr.run(QStringLiteral("SELECT UserCode, UserName FROM p_User"), [&](OdbcStatement &s) {
        for (const auto &row : readOdbcDataPacket(s).rows)
            names.insert(row.value(0).toString(), row.value(1).toString());
    });
    for (auto it = editsOf.cbegin(); it != editsOf.cend(); ++it) {
        if (deleted.contains(it.key()) || !names.contains(it.key()))
            continue;
        const QString now = names.value(it.key());
        // The name now is one a told edit wrote, and every other told edit's name was the start of a later one.
        const QStringList &written = it.value();
        const bool held = written.contains(now);
        int replaced = 0;
        for (const QString &name : written)
            replaced += basesOf.value(it.key()).contains(name) ? 1 : 0;
        if (!held || replaced != written.size() - 1) {
            ++j.missing;
            j.examples << QStringLiteral("user %1 holds %2 after told edits %3").arg(it.key(), now, written.join(QLatin1Char(',')));
        }
    }
    for (const QString &code : added) {
        if (!names.contains(code)) {
            ++j.missing;
            j.examples << QStringLiteral("added user %1 is missing").arg(code);
        }
    }
    for (const QString &code : deleted) {
        if (names.contains(code)) {
            ++j.missing;
            j.examples << QStringLiteral("deleted user %1 is there").arg(code);
        }
    }
    return j;
}

void restartServer()
{
    const QString folder = serverFolder();
    const QString bin = QStringLiteral("/usr/lib/postgresql/%1/bin/pg_ctl")
                            .arg(value(QStringLiteral("postgres"), QStringLiteral("SHOW server_version_num")).toInt() / 10000);
    QStringList args{QStringLiteral("-D"), folder + QStringLiteral("/data"), QStringLiteral("-m"), QStringLiteral("fast"),
                     QStringLiteral("-w"), QStringLiteral("-t"), QStringLiteral("60"), QStringLiteral("restart")};
    QString program = bin;
    if (getuid() == 0) {
        args.prepend(bin);
        args = QStringList{QStringLiteral("-u"), QStringLiteral("postgres"), QStringLiteral("--")} + args;
        program = QStringLiteral("runuser");
    }
    QProcess pgctl;
    pgctl.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    pgctl.start(program, args);
    pgctl.waitForFinished(90000);
    std::printf("server restarted (pg_ctl exit %d)\n", pgctl.exitCode());
}

} // namespace

int main(int argc, char **argv)
{
    startAsTheHost();
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.value(1) == QLatin1String("--client"))
        return clientMain(args);
    if (qEnvironmentVariableIsEmpty("LUMO_TEST_PG_HR")) {
        std::fprintf(stderr, "no server: run it as bash scripts/postgres.sh %s\n", argv[0]);
        return 77;
    }
    QStringList numbers = args.mid(1);
    const bool restart = numbers.removeAll(QStringLiteral("--restart")) > 0;
    const int clients = qMax(3, numbers.value(0, QStringLiteral("20")).toInt());
    const int seconds = qMax(5, numbers.value(1, QStringLiteral("120")).toInt());
    const int others = clients >= 6 ? 2 : 1;  // readers, and as many synchronisers
    const int editors = clients - 2 * others;
    makeDatabases(editors);

    QTemporaryDir turns;
    std::vector<std::unique_ptr<QProcess>> processes;
    for (int i = 0; i < clients; ++i) {
        QStringList a{QStringLiteral("--client"), QString::number(i)};
        if (i < editors)
            a << QStringLiteral("editor");
        else if (i < editors + others)
            a << QStringLiteral("reader");
        else
            a << QStringLiteral("sync");
        a << QString::number(seconds) << QString::number(editors) << QString::number(i - editors - others)
          << QString::number(others) << turns.filePath(QStringLiteral("sync-turn"));
        auto process = std::make_unique<QProcess>();
        process->setProcessChannelMode(QProcess::SeparateChannels);
        process->setStandardErrorFile(QProcess::nullDevice());
        process->start(QCoreApplication::applicationFilePath(), a);
        processes.push_back(std::move(process));
    }
    QElapsedTimer wall;
    wall.start();
    if (restart) {
        QThread::msleep(seconds * 500);
        restartServer();
    }
    QStringList lines;
    for (auto &process : processes) {
        process->waitForFinished(seconds * 1000 + 120000);
        lines += QString::fromUtf8(process->readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    const double elapsed = wall.nsecsElapsed() / 1e9;
    Journal j = check(lines);
    const qint64 logged = value(kHr, QStringLiteral("SELECT count(*) FROM TSys_UserSyncLog WHERE Result = '成功'")).toLongLong();
    const qint64 loggedAny = value(kHr, QStringLiteral("SELECT count(*) FROM TSys_UserSyncLog")).toLongLong();
    const bool logAgrees = logged == j.syncsDone;
    std::printf("load %d clients %d s%s: saves %zu (%.1f a second; told %d, refused %d, unexpected %d), "
                "save p50/p95/p99 %.1f/%.1f/%.1f ms, search p50/p95/p99 %.1f/%.1f/%.1f ms (%zu), syncs done %d "
                "(log %lld of %lld rows%s), crashed %d, missing %d\n",
                clients, seconds, restart ? " with a restart" : "", j.saves.size(), j.saves.size() / elapsed, j.told,
                j.refused, j.unexpected, percentile(j.saves, 0.5), percentile(j.saves, 0.95), percentile(j.saves, 0.99),
                percentile(j.searches, 0.5), percentile(j.searches, 0.95), percentile(j.searches, 0.99), j.searches.size(),
                j.syncsDone, logged, loggedAny, logAgrees ? "" : ", DISAGREES", j.crashed, j.missing);
    std::printf("load %d clients %d s: saves %zu, p95 save %.1f ms (target 200), p95 search %.1f ms (target 100), lost %d\n",
                clients, seconds, j.saves.size(), percentile(j.saves, 0.95), percentile(j.searches, 0.95), j.lost);
    for (auto it = j.messages.cbegin(); it != j.messages.cend(); ++it)
        std::printf("  told %d times: %s\n", it.value(), qUtf8Printable(it.key()));
    for (const QString &e : j.examples.mid(0, 10))
        std::printf("  %s\n", qUtf8Printable(e));
    for (const char *side : {"hr", "rcms"})
        run(QStringLiteral("postgres"), QStringLiteral("DROP DATABASE IF EXISTS load_%1 WITH (FORCE)").arg(QLatin1String(side)));
    const bool ok = j.lost == 0 && j.missing == 0 && j.unexpected == 0 && j.crashed == 0 && logAgrees && j.told > 0;
    return ok ? 0 : 1;
}
