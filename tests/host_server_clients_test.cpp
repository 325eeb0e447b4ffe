// The ODBC session on a real database server (the PostgreSQL test server):
// several clients at once, connections the server cuts, and reading and
// writing in bulk. Each test compares
// a dump of the server's tables before and after. Skipped without a server.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QElapsedTimer>
#include <QRegularExpression>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <future>
#include <memory>
#include <mutex>
#include <thread>
#include <tuple>
#include <vector>

#include "ErrorMessages.h"
#include "LumoError.h"
#include "ModuleSqlTexts.h"
#include "OdbcConnection.h"
#include "OdbcDialect.h"
#include "OdbcSession.h"
#include "PostgresDatabases.h"

using namespace ModuleSql;

namespace {

// Lets a fixed number of threads wait for each other, once per round.
class Barrier
{
public:
    explicit Barrier(int parties) : m_parties(parties) {}
    void arriveAndWait()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        const int round = m_round;
        if (++m_arrived == m_parties) {
            m_arrived = 0;
            ++m_round;
            m_changed.notify_all();
            return;
        }
        // A client that failed before arriving must not hold the other for ever.
        m_changed.wait_for(lock, std::chrono::seconds(30), [&] { return m_round != round; });
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    const int m_parties;
    int m_arrived = 0;
    int m_round = 0;
};

class ServerClients : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!PostgresDatabases::available())
            GTEST_SKIP() << "no PostgreSQL test server (scripts/test.sh starts one)";
        server = std::make_unique<PostgresDatabases>();
        seed(*server);
        hrBefore = server->dump(SchemaDatabase::HealthRecord);
    }

    static void seed(PostgresDatabases &databases)
    {
        databases.exec(SchemaDatabase::HealthRecord,
                       QStringLiteral("INSERT INTO P_YLFWDW (OrgCode, OrgName, AreaCode, StaAreaCode) VALUES "
                                      "('O1', '城关镇卫生院', '41000101', '341621101');"
                                      "INSERT INTO p_User (UserCode, UserName, OrgCode, PassWord) VALUES "
                                      "('34162110100001', '张三', 'O1', 'p1'), ('34162110100002', '李四', 'O1', 'p2'), "
                                      "('34162110100003', '王五', 'O1', 'p3')"));
    }

    std::unique_ptr<OdbcSession> client(int timeoutSeconds = 10) const
    {
        return std::make_unique<OdbcSession>(server->hr(), server->rcms(), timeoutSeconds);
    }

    QString hrDump() const { return server->dump(SchemaDatabase::HealthRecord); }

    std::unique_ptr<PostgresDatabases> server;
    QString hrBefore;
};

// The add dialog's save: the duplicate check, then the insert in a transaction.
// Returns the failure's message, empty on success. `checked` runs between the
// two, so that two clients can both pass the check before either inserts.
QString addUser(HostSession &session, const QString &code, const QString &name, const std::function<void()> &checked)
{
    try {
        if (session.GetHrValue(duplicateCount(code)).toLongLong() != 0)
            return QStringLiteral("当前输入的用户编码已被使用");
        checked();
        session.BeginHrTrans();
        session.ExecHrSql(builderInsert(QStringLiteral(" P_User "),
                                       {QStringLiteral("UserCode"), QStringLiteral("UserName"), QStringLiteral("OrgCode")},
                                       {quoted(code), quoted(name), QStringLiteral("'O1'")}));
        session.CommitHrTrans();
        return QString();
    } catch (const data::LumoError &e) {
        session.RollbackHrTrans();
        // What the person reads, then the whole text the log keeps.
        return e.cause() + QLatin1Char('\n') + e.message();
    }
}

TEST_F(ServerClients, TwoClientsAddingOneCodeAtOnceLeaveExactlyOneRow)
{
    constexpr int kRounds = 100;
    auto first = client();
    auto second = client();
    Barrier bothChecked(2);
    QString failures[2][kRounds];
    auto run = [&](HostSession &session, int who) {
        for (int round = 0; round < kRounds; ++round) {
            const QString code = QStringLiteral("3516211010%1").arg(round, 4, 10, QLatin1Char('0'));
            failures[who][round] =
                addUser(session, code, QStringLiteral("客户%1").arg(who), [&] { bothChecked.arriveAndWait(); });
        }
    };
    std::thread other([&] { run(*second, 1); });
    run(*first, 0);
    other.join();

    for (int round = 0; round < kRounds; ++round) {
        const bool firstWon = failures[0][round].isEmpty();
        ASSERT_NE(firstWon, failures[1][round].isEmpty()) << "round " << round << ": exactly one client succeeds";
        const QString &failure = failures[firstWon ? 1 : 0][round];
        // The loser learns why: the key exists, in the server's words naming the key.
        EXPECT_TRUE(failure.startsWith(QStringLiteral("值已存在, 不能重复: ")) && failure.contains(QLatin1String("pk_p_user")))
            << failure.toStdString();
        const QString code = QStringLiteral("3516211010%1").arg(round, 4, 10, QLatin1Char('0'));
        EXPECT_EQ(server->value(SchemaDatabase::HealthRecord,
                                QStringLiteral("SELECT UserName FROM p_User WHERE UserCode = '%1'").arg(code))
                      .toString(),
                  QStringLiteral("客户%1").arg(firstWon ? 0 : 1));
    }
    EXPECT_EQ(server->value(SchemaDatabase::HealthRecord, QStringLiteral("SELECT count(*) FROM p_User")).toLongLong(),
              3 + kRounds);
    server->exec(SchemaDatabase::HealthRecord, QStringLiteral("DELETE FROM p_User WHERE UserCode LIKE '3516211010%'"));
    EXPECT_EQ(hrDump(), hrBefore) << "nothing else was written";
}

TEST_F(ServerClients, WaitingOnALockedRowEndsAtTheStatementTimeoutAndChangesNothing)
{
    auto holder = client();
    auto waiter = client(2);
    holder->BeginHrTrans();
    holder->ExecHrSql(syncUpdate({QStringLiteral("34162110100001"), QStringLiteral("占用"), {}, {}, {}, QStringLiteral("O1"),
                                  {}, QStringLiteral("x")}));
    holder->GetHrValue(duplicateCount(QStringLiteral("x")));  // a read sends the held update: the row is locked
    QElapsedTimer clock;
    clock.start();
    waiter->BeginHrTrans();
    QString cause;
    const std::string message = messageOf([&] {
        waiter->ExecHrSql(deleteUser(QStringLiteral("34162110100002")));  // not locked: goes through
        try {
            waiter->ExecHrSql(syncUpdate({QStringLiteral("34162110100001"), QStringLiteral("等待"), {}, {}, {},
                                          QStringLiteral("O1"), {}, QStringLiteral("y")}));
            waiter->CommitHrTrans();  // the writes may wait in a batch until here
        } catch (const data::LumoError &e) {
            cause = e.cause();
            throw;
        }
    });
    waiter->RollbackHrTrans();
    EXPECT_GE(clock.elapsed(), 1500);
    EXPECT_LT(clock.elapsed(), 8000) << "the wait ends at the timeout";
    EXPECT_NE(message.find("数据库没有在2秒内完成语句"), std::string::npos) << message;
    EXPECT_EQ(cause, QStringLiteral("数据库正忙, 请稍后再试"));
    holder->RollbackHrTrans();
    EXPECT_EQ(hrDump(), hrBefore);
    // The waiter's connection is usable once the lock is gone.
    EXPECT_EQ(waiter->GetHrValue(duplicateCount(QStringLiteral("34162110100001"))).toLongLong(), 1);
}

TEST_F(ServerClients, ADeadlockIsToldAsBusyAndUndoesTheLosersTransactionWhole)
{
    // Two clients each hold one user and then ask for the other's: the server
    // ends one of them, which must be told the busy cause, and the other's
    // two writes must stand alone.
    auto first = client();
    auto second = client();
    const QString a = QStringLiteral("34162110100001"), b = QStringLiteral("34162110100002");
    const auto rename = [](const QString &code, const QString &name) {
        return syncUpdate({code, name, {}, {}, {}, QStringLiteral("O1"), {}, QStringLiteral("x")});
    };
    const auto holdThenAsk = [&](OdbcSession &session, const QString &held, const QString &asked, const QString &name) {
        return [&session, held, asked, name, &rename] {
            try {
                session.ExecHrSql(rename(asked, name));
                session.CommitHrTrans();  // the held batch goes here and waits for the other's row
                return QString();
            } catch (const data::LumoError &e) {
                session.RollbackHrTrans();
                return e.cause();
            }
        };
    };
    for (auto [session, held, name] : {std::tuple{first.get(), a, QStringLiteral("甲")}, std::tuple{second.get(), b, QStringLiteral("乙")}}) {
        session->BeginHrTrans();
        session->ExecHrSql(rename(held, name));
        session->GetHrValue(duplicateCount(QStringLiteral("x")));  // a read sends the held update: the row is locked
    }
    QElapsedTimer clock;
    clock.start();
    std::future<QString> firstCause = std::async(std::launch::async, holdThenAsk(*first, a, b, QStringLiteral("甲")));
    const QString secondCause = holdThenAsk(*second, b, a, QStringLiteral("乙"))();
    const QString causes[] = {firstCause.get(), secondCause};
    EXPECT_LT(clock.elapsed(), 8000) << "the server found the deadlock before the 10 s statement timeout";
    const int winner = causes[0].isEmpty() ? 0 : 1;
    ASSERT_TRUE(causes[winner].isEmpty()) << "one client commits";
    EXPECT_EQ(causes[1 - winner], QStringLiteral("数据库正忙, 请稍后再试"));
    const QString name = winner == 0 ? QStringLiteral("甲") : QStringLiteral("乙");
    for (const QString &code : {a, b})
        EXPECT_EQ(server->value(SchemaDatabase::HealthRecord,
                                QStringLiteral("SELECT UserName FROM p_User WHERE UserCode = '%1'").arg(code)).toString(),
                  name);
}

// One transaction of the given statements; the failure's message, empty on success.
QString inTransaction(HostSession &session, const QStringList &statements)
{
    try {
        session.BeginHrTrans();
        for (const QString &statement : statements)
            session.ExecHrSql(statement);
        session.CommitHrTrans();
        return QString();
    } catch (const data::LumoError &e) {
        session.RollbackHrTrans();
        return e.message();
    }
}

TEST_F(ServerClients, SynchronisingWhileOthersEditAndDeleteKeepsWhatEachClientWasTold)
{
    constexpr int kUsers = 30, kRounds = 12;
    auto code = [](int i) { return QStringLiteral("341621102%1").arg(i, 5, 10, QLatin1Char('0')); };
    auto newCode = [](int round) { return QStringLiteral("341621103%1").arg(round, 5, 10, QLatin1Char('0')); };
    QStringList users;
    for (int i = 0; i < kUsers; ++i)
        users << QStringLiteral("('%1', '用户%2', 'O1')").arg(code(i)).arg(i);
    const QString addUsers = QStringLiteral("INSERT INTO p_User (UserCode, UserName, OrgCode) VALUES ") + users.join(QLatin1Char(','));
    server->exec(SchemaDatabase::HealthRecord, addUsers);

    // A round rewrites every user and adds one; each fourth fails on its last
    // statement (the added user again), after all the others were written.
    auto round = [&](int r) {
        QStringList statements;
        for (int i = 0; i < kUsers; ++i)
            statements << syncUpdate({code(i), QStringLiteral("同步%1").arg(r), QStringLiteral("tb"), {}, QStringLiteral("1"),
                                      QStringLiteral("O1"), {}, QStringLiteral("r%1").arg(r)});
        const QString add = syncInsert({newCode(r), QStringLiteral("新%1").arg(r), {}, {}, {}, QStringLiteral("O1"), {}, {}});
        statements << add;
        if (r % 4 == 3)
            statements << add;
        return statements;
    };
    // The editor writes a column the synchronisation leaves alone, on even
    // users; each fifth value is too long for it and must fail. The deleter
    // removes the odd users one by one.
    auto edit = [&](int n) {
        const QString value = n % 5 == 4 ? QStringLiteral("过长的录入人编码过长的录入人编码过长的录入人编码")
                                         : QStringLiteral("e%1").arg(n);
        return userUpdate(QStringLiteral(" P_User "), {QStringLiteral("UserCode"), QStringLiteral("InpPerCode")},
                          {quoted(code(n % kUsers / 2 * 2)), quoted(value)}, code(n % kUsers / 2 * 2));
    };

    auto syncer = client(), editor = client(), deleter = client();
    std::atomic<bool> syncing{true};
    std::vector<bool> roundDone(kRounds + 1), editDone;
    std::vector<int> deleted;
    Barrier start(3);
    std::thread editing([&] {
        start.arriveAndWait();
        for (int n = 0; syncing || n < kUsers; ++n)
            editDone.push_back(inTransaction(*editor, {edit(n)}).isEmpty());
    });
    std::thread deleting([&] {
        start.arriveAndWait();
        for (int i = 1; i < kUsers; i += 2) {
            if (inTransaction(*deleter, {deleteUser(code(i))}).isEmpty())
                deleted.push_back(i);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    });
    start.arriveAndWait();
    for (int r = 1; r <= kRounds; ++r) {
        const QString failure = inTransaction(*syncer, round(r));
        roundDone[r] = failure.isEmpty();
        EXPECT_EQ(failure.isEmpty(), r % 4 != 3) << failure.toStdString();
    }
    syncing = false;
    editing.join();
    deleting.join();
    EXPECT_EQ(deleted.size(), size_t(kUsers / 2)) << "every deletion went through";

    // What every client was told, replayed one client after the other on
    // fresh databases, must give exactly the tables the three wrote at once:
    // their changes meet on rows, never on columns, so the order does not
    // matter.
    PostgresDatabases replay;
    seed(replay);
    replay.exec(SchemaDatabase::HealthRecord, addUsers);
    OdbcSession one(replay.hr(), replay.rcms(), 10);
    for (int r = 1; r <= kRounds; ++r) {
        if (roundDone[r])
            ASSERT_EQ(inTransaction(one, round(r)), QString());
    }
    for (size_t n = 0; n < editDone.size(); ++n) {
        if (editDone[n])
            ASSERT_EQ(inTransaction(one, {edit(int(n))}), QString());
        else
            EXPECT_EQ(n % 5, 4u) << "only the values too long fail";
    }
    for (const int i : deleted)
        ASSERT_EQ(inTransaction(one, {deleteUser(code(i))}), QString());
    EXPECT_EQ(hrDump(), replay.dump(SchemaDatabase::HealthRecord));
}

// A transaction's writes go to the server in batches; a failing one is still
// named, and raised by the commit (never blamed on a later statement).
TEST_F(ServerClients, AFailingStatementOfABatchIsNamedAndTheTransactionWritesNothing)
{
    constexpr int kStatements = 1200;
    auto session = client();
    const QString existing = QStringLiteral("34162110100002");
    // Wherever it stands in its request (the first, inside, the one that
    // filled it, the last before the commit), the failure is raised by the
    // commit: a full request goes on while the next statements are made.
    for (const int failAt : {0, 137, 499, 1199}) {
        SCOPED_TRACE(failAt);
        int raisedAt = -1;
        QString message;
        try {
            session->BeginHrTrans();
            for (int i = 0; i < kStatements; ++i) {
                raisedAt = i;
                const QString code = i == failAt ? existing : QStringLiteral("3416211019%1").arg(i, 4, 10, QLatin1Char('0'));
                session->ExecHrSql(syncInsert({code, QStringLiteral("批%1").arg(i), {}, {}, {}, QStringLiteral("O1"), {}, {}}));
            }
            raisedAt = kStatements;
            session->CommitHrTrans();
        } catch (const data::LumoError &e) {
            message = e.message();
            session->RollbackHrTrans();
        }
        EXPECT_EQ(raisedAt, kStatements) << message.toStdString();
        EXPECT_TRUE(message.contains(QLatin1String("pk_p_user"))) << message.toStdString();
        EXPECT_EQ(message.count(QStringLiteral("Insert Into")), 1) << message.toStdString();
        EXPECT_TRUE(message.contains(QStringLiteral("'%1', '批%2'").arg(existing).arg(failAt))) << message.toStdString();
        EXPECT_EQ(hrDump(), hrBefore);
    }
    // Without a failure all of it is written, and a read in between sees it.
    session->BeginHrTrans();
    for (int i = 0; i < kStatements; ++i)
        session->ExecHrSql(syncInsert({QStringLiteral("3416211019%1").arg(i, 4, 10, QLatin1Char('0')), {}, {}, {}, {},
                                       QStringLiteral("O1"), {}, {}}));
    EXPECT_EQ(session->GetHrValue(QStringLiteral("Select Count(*) From p_User")).toLongLong(), 3 + kStatements);
    session->CommitHrTrans();
    EXPECT_EQ(server->value(SchemaDatabase::HealthRecord, QStringLiteral("SELECT count(*) FROM p_User")).toLongLong(),
              3 + kStatements);
}

// The writes of a transaction, merged where they can be, leave the tables as
// the same statements sent one at a time: rows added then changed, a key
// changed twice in one request under another case (the later change wins),
// a key with a trailing blank, NULLs, and requests cut in the middle of runs.
TEST_F(ServerClients, MergedWritesLeaveWhatTheStatementsOneByOneWould)
{
    QStringList statements;
    const auto user = [](const QString &code, const QString &name, const QString &password) {
        return SyncUser{code, name, QStringLiteral("ZS"), {}, QStringLiteral("3"), QStringLiteral("O1"), {}, password};
    };
    for (int i = 0; i < 300; ++i)
        statements << syncInsert(user(QStringLiteral("T%1").arg(i, 4, 10, QLatin1Char('0')), QStringLiteral("名%1").arg(i), {}));
    for (int i = 0; i < 300; ++i) {
        statements << syncUpdate(user(QStringLiteral("t%1").arg(i, 4, 10, QLatin1Char('0')), QStringLiteral("一%1").arg(i),
                                      QStringLiteral("a")));
        if (i % 3 == 0)
            statements << syncUpdate(user(QStringLiteral("T%1").arg(i, 4, 10, QLatin1Char('0')), QStringLiteral("二%1").arg(i), {}));
        if (i % 7 == 0)
            statements << syncUpdate(user(QStringLiteral("T%1 ").arg(i, 4, 10, QLatin1Char('0')), QStringLiteral("空%1").arg(i), {}));
    }
    statements << QStringLiteral("Update p_User Set UserName = NULL, Spell = 'X' Where UserCode = '34162110100001'")
               << QStringLiteral("Update p_User Set UserName = NULL, Spell = 'Y' Where UserCode = '34162110100002'");
    auto session = client();
    session->BeginHrTrans();
    for (const QString &statement : std::as_const(statements))
        session->ExecHrSql(statement);
    session->CommitHrTrans();

    PostgresDatabases oneByOne;
    seed(oneByOne);
    OdbcSession one(oneByOne.hr(), oneByOne.rcms(), 10);
    for (const QString &statement : std::as_const(statements))
        one.ExecHrSql(statement);  // outside a transaction each goes alone
    EXPECT_EQ(hrDump(), oneByOne.dump(SchemaDatabase::HealthRecord));
    EXPECT_EQ(server->value(SchemaDatabase::HealthRecord, QStringLiteral("SELECT UserName FROM p_User WHERE UserCode = 'T0003'"))
                  .toString(),
              QStringLiteral("二3"));
}

// ---- a server that goes away ----------------------------------------------

// The synchronisation's statements for three users (one insert, two updates),
// with `cut` ending every connection of the client's databases after the
// statement numbered cutAfter (0: before the first; 3: before the commit).
QString synchronise(HostSession &session, int cutAfter, const std::function<void()> &cut)
{
    const QString statements[] = {
        syncInsert({QStringLiteral("34162110100009"), QStringLiteral("新人"), {}, {}, {}, QStringLiteral("O1"), {},
                    QStringLiteral("n")}),
        syncUpdate({QStringLiteral("34162110100001"), QStringLiteral("改一"), {}, {}, {}, QStringLiteral("O1"), {},
                    QStringLiteral("a")}),
        syncUpdate({QStringLiteral("34162110100002"), QStringLiteral("改二"), {}, {}, {}, QStringLiteral("O1"), {},
                    QStringLiteral("b")}),
    };
    try {
        session.BeginHrTrans();
        for (int i = 0; i < 3; ++i) {
            if (i == cutAfter)
                cut();
            session.ExecHrSql(statements[i]);
        }
        if (cutAfter == 3)
            cut();
        session.CommitHrTrans();
        return QString();
    } catch (const data::LumoError &e) {
        session.RollbackHrTrans();
        // What the person reads, then the whole text the log keeps.
        return e.cause() + QLatin1Char('\n') + e.message();
    }
}

TEST_F(ServerClients, ACutConnectionFailsTheTransactionWholeAndTheNextCommandConnectsAgain)
{
    auto session = client();
    session->GetHrValue(duplicateCount(QStringLiteral("x")));  // connected
    for (int cutAfter = 0; cutAfter <= 3; ++cutAfter) {
        SCOPED_TRACE(cutAfter);
        const QString message = synchronise(*session, cutAfter, [&] { server->cutConnections(); });
        EXPECT_TRUE(message.startsWith(QStringLiteral("与数据库的连接已断开\n")) &&
                    message.contains(OdbcConnection::lostConnectionText())) << message.toStdString();
        EXPECT_EQ(hrDump(), hrBefore) << "nothing of the interrupted synchronisation is written";
        // The next command connects again on its own.
        EXPECT_EQ(session->GetHrValue(duplicateCount(QStringLiteral("34162110100001"))).toLongLong(), 1);
    }
    // Cut with a full request on its way, or just before one goes: the cut
    // is raised by a later statement or the commit, and nothing is written.
    for (const int cutAt : {499, 500, 1000}) {
        SCOPED_TRACE(cutAt);
        const std::string message = messageOf([&] {
            try {
                session->BeginHrTrans();
                for (int i = 0; i < 1200; ++i) {
                    if (i == cutAt)
                        server->cutConnections();
                    session->ExecHrSql(syncInsert({QStringLiteral("3416211019%1").arg(i, 4, 10, QLatin1Char('0')), {}, {},
                                                   {}, {}, QStringLiteral("O1"), {}, {}}));
                }
                session->CommitHrTrans();
            } catch (...) {
                session->RollbackHrTrans();
                throw;
            }
        });
        EXPECT_NE(message.find(OdbcConnection::lostConnectionText().toStdString()), std::string::npos) << message;
        EXPECT_EQ(hrDump(), hrBefore);
        EXPECT_EQ(session->GetHrValue(duplicateCount(QStringLiteral("34162110100001"))).toLongLong(), 1);
    }
    // A save cut between its check and its insert.
    const QString message = addUser(*session, QStringLiteral("34162110100010"), QStringLiteral("甲"),
                                    [&] { server->cutConnections(); });
    EXPECT_TRUE(message.contains(OdbcConnection::lostConnectionText())) << message.toStdString();
    EXPECT_EQ(hrDump(), hrBefore);
    EXPECT_TRUE(addUser(*session, QStringLiteral("34162110100010"), QStringLiteral("甲"), [] {}).isEmpty());

    // Cut after a finished synchronisation: what was committed stays; only
    // the next command learns of the cut, and the one after it works.
    EXPECT_TRUE(synchronise(*session, -1, [] {}).isEmpty());
    const QString written = hrDump();
    server->cutConnections();
    EXPECT_NE(messageOf([&] { session->OpenHrData(userList(QStringLiteral("341621101"))); })
                  .find(OdbcConnection::lostConnectionText().toStdString()),
              std::string::npos);
    EXPECT_EQ(session->OpenHrData(userList(QStringLiteral("341621101"))).rows.size(), 5);
    EXPECT_EQ(hrDump(), written);
}

// A dataset comes from the server a block of rows at a time, a data packet one
// cell at a time; both must hold the same values and fields: past a block's
// end, for a NULL of every type, and for texts longer than the width their
// column is bound at (characters outside the basic plane take two units).
TEST_F(ServerClients, DataSetsReadInBlocksHoldWhatReadingCellByCellGives)
{
    server->exec(SchemaDatabase::HealthRecord, QStringLiteral(
        "CREATE TABLE Mixed (id integer, amount numeric(10,2), ratio double precision, flag boolean, day date, "
        "at timestamp(3), clock time(0), code citext CHECK (char_length(code) <= 20), "
        "note citext CHECK (char_length(note) <= 2000), memo text, tiny varchar(3));"
        "INSERT INTO Mixed SELECT i, CASE WHEN i % 5 <> 1 THEN i * 1.25 END, CASE WHEN i % 5 <> 2 THEN i / 3.0 END, "
        "CASE WHEN i % 5 <> 3 THEN i % 2 = 0 END, CASE WHEN i % 5 <> 4 THEN date '2024-01-01' + i END, "
        "CASE WHEN i % 5 <> 0 THEN timestamp '2024-01-01 08:30:00.125' + i * interval '1 minute' END, "
        "CASE WHEN i % 6 <> 0 THEN time '08:00' + i * interval '1 second' END, "
        "CASE WHEN i % 7 <> 0 THEN 'C' || i END, "
        "CASE WHEN i % 7 = 1 THEN repeat('档案㐀', 200) WHEN i % 7 = 2 THEN NULL ELSE '备注' || i END, "
        "CASE WHEN i % 11 = 0 THEN repeat('健康𠀀', 700) WHEN i % 11 = 1 THEN NULL ELSE 'm' || i END, "
        "CASE WHEN i % 3 = 0 THEN '𠀀𠀁𠀂' WHEN i % 3 = 1 THEN NULL ELSE 'ab' END "
        "FROM generate_series(1, 700) i"));
    auto session = client();
    const QString sql = QStringLiteral("Select * From Mixed Order By id");
    const data::DataPacket cells = session->OpenHrData(sql);
    const auto dataSet = session->OpenHrQuery(sql);
    ASSERT_EQ(cells.rows.size(), 700);
    ASSERT_EQ(dataSet->RecordCount(), 700);
    ASSERT_EQ(dataSet->Fields().size(), cells.fields.size());
    for (int c = 0; c < int(cells.fields.size()); ++c) {
        EXPECT_EQ(dataSet->Fields()[c]->DataType(), cells.fields[c].type) << c;
        EXPECT_EQ(dataSet->Fields()[c]->Size(), cells.fields[c].size) << c;
    }
    int mismatches = 0;
    for (int row = 0; row < 700; ++row) {
        for (int c = 0; c < int(cells.fields.size()); ++c) {
            // The dataset holds a decimal as its number, the packet as its text.
            const QVariant held = dataSet->storedValue(row, c);
            const bool same = c == 1 ? held.toDouble() == cells.rows[row][c].toDouble() && held.isNull() == cells.rows[row][c].isNull()
                                     : held == cells.rows[row][c];
            if (!same && ++mismatches <= 3)
                ADD_FAILURE() << "row " << row << " column " << c << ": "
                              << held.toString().left(40).toStdString() << " vs "
                              << cells.rows[row][c].toString().left(40).toStdString();
        }
    }
    EXPECT_EQ(mismatches, 0);
    // What both must hold, so that they cannot be wrong alike.
    EXPECT_EQ(cells.rows[10][9].toString(), QStringLiteral("健康𠀀").repeated(700));
    EXPECT_EQ(cells.rows[2][10].toString(), QStringLiteral("𠀀𠀁𠀂"));
    EXPECT_EQ(cells.rows[0][8].toString(), QStringLiteral("档案㐀").repeated(200));
    EXPECT_EQ(cells.rows[699][0].toLongLong(), 700);
    EXPECT_EQ(cells.rows[0][5].toDateTime(), QDateTime(QDate(2024, 1, 1), QTime(8, 31, 0, 125)));
    EXPECT_TRUE(cells.rows[4][5].isNull());
    // The connection reads on as before.
    EXPECT_EQ(session->GetHrValue(QStringLiteral("Select Count(*) From Mixed")).toLongLong(), 700);
}

// The deletion guard, the window's areas and a new user's serial match a code
// prefix with Like. As the host sends them, every table they read is sought
// through an index on the prefix (the plan, not a timing).
TEST_F(ServerClients, PrefixMatchesAsTheHostSendsThemSeekAnIndex)
{
    QString fill;
    for (const QString &table : guardTables()) {
        fill += QStringLiteral("INSERT INTO %1 (RecordID, InpPerCode) SELECT 'r' || i, (34162110100000 + i)::text "
                               "FROM generate_series(1, 2000) i;").arg(table);
    }
    server->exec(SchemaDatabase::HealthRecord, fill + QStringLiteral(
        "UPDATE TData_PerBaseInfo SET CreaRchPerCode = InpPerCode; UPDATE TData_PVRVVaccMat SET CreaCardPerCode = InpPerCode;"
        "INSERT INTO p_User (UserCode, UserName, OrgCode) "
        "SELECT (34162000000000 + i * 7)::text, '用户' || i, 'O1' FROM generate_series(1, 20000) i;"
        "INSERT INTO P_XZQH (AreaCode, AreaName, ParentAreaCode) "
        "SELECT (34162000000 + i)::text, '区划' || i, (341620000 + i % 2000)::text FROM generate_series(1, 20000) i;"
        "ANALYZE"));
    auto plans = OdbcSession::forOneDatabase(PostgresDatabases::untranslated(server->name(SchemaDatabase::HealthRecord)),
                                             QStringLiteral("plans"), 10);
    const struct
    {
        QString statement;
        int prefixSeeks;  // one per column matched
    } cases[] = {
        {guard(QStringLiteral("34162110100123")), 34},
        {areaTree(QStringLiteral("341621101")), 1},
        {QStringLiteral("Select UserCode From P_User Where UserCode Like ") + quoted(QStringLiteral("3416200001%")), 1},
    };
    const QRegularExpression prefixSeek(QStringLiteral("Index Cond: \\(\\(lower\\(\\(\\w+\\)::text\\) ~>=~ '\\d+'"));
    for (const auto &c : cases) {
        const QStringList sent = odbcStatements(OdbcDialect::PostgreSql, c.statement);
        ASSERT_EQ(sent.size(), 1);
        QString plan;
        for (const QVector<QVariant> &row : plans->OpenHrData(QStringLiteral("EXPLAIN ") + sent.first()).rows)
            plan += row.value(0).toString() + QLatin1Char('\n');
        EXPECT_FALSE(plan.contains(QLatin1String("Seq Scan"))) << plan.toStdString();
        EXPECT_EQ(int(plan.count(prefixSeek)), c.prefixSeeks)
            << plan.toStdString();
    }
}
// The user dialog's edit reads the row again inside its transaction and
// refuses when it changed since the dialog loaded it. A second save reading
// it while a first one holds it waits for the first to commit and sees its
// change: the first save holds, the second is refused, none writes over the
// other.
TEST_F(ServerClients, ASaveReadingARowAnotherSaveHoldsWaitsAndSeesItsChange)
{
    const QString load = QStringLiteral(" Select *  From  P_User  Where UserCode = '34162110100001'");
    auto first = client();
    auto second = client();
    const data::DataPacket loaded = first->OpenHrData(load);
    first->BeginHrTrans();
    ASSERT_EQ(first->OpenHrData(load).rows, loaded.rows);
    first->ExecHrSql(QStringLiteral("Update P_User Set UserName = '甲' Where UserCode = '34162110100001'"));
    std::atomic<bool> secondRead{false};
    data::DataPacket secondSaw;
    std::thread other([&] {
        second->BeginHrTrans();
        secondSaw = second->OpenHrData(load);
        secondRead = true;
        second->RollbackHrTrans();
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_FALSE(secondRead) << "the second read waits for the first save";
    first->CommitHrTrans();
    other.join();
    ASSERT_EQ(secondSaw.rows.size(), 1);
    EXPECT_NE(secondSaw.rows, loaded.rows);
    EXPECT_EQ(secondSaw.rows[0].value(1).toString(), QStringLiteral("甲"));
}
} // namespace
