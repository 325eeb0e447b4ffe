// SyncRun on the real SQLite session, without a window: a run commits what it
// wrote, or rolls all of it back when a user fails or the caller cancels, and
// the log keeps one row for it however it ends.
#include <gtest/gtest.h>

#include "FaultySession.h"
#include "LumoError.h"
#include "SessionBackends.h"
#include "SyncLog.h"
#include "SyncRun.h"
#include "TempDatabases.h"
#include "UserDatabases.h"

namespace {

struct RunCase
{
    const char *name;
    bool refuseUpdate;  // a trigger refuses to rewrite 51010100100002, the second user
    int cancelAfter;    // the caller cancels once this many users are written; 0: never
    SyncRun::End end;
    QStringList told;   // the callbacks, in order
    QString logRow;     // Result added/updated/same Cause
    int logChanges;     // rows of the changed users
};

class UsersSyncRun : public ::testing::TestWithParam<RunCase>
{
};

} // namespace

TEST_P(UsersSyncRun, CommitsOrRollsBackAndLogsTheRun)
{
    const RunCase &c = GetParam();
    UserDatabases db;
    // RCMS has a new user and a changed one.
    db.rcms(QStringLiteral("Insert Into p_User (UserCode, UserName, OrgCode, PassWord) Values "
                           "('n1', '新', 'A1', 'a'), ('51010100100002', '李四', 'A2', 'changed')"));
    if (c.refuseUpdate)
        db.hr(QStringLiteral("Create Trigger Refuse Before Update On p_User When New.UserCode = '51010100100002' "
                             "Begin Select Raise(Abort, '拒绝修改'); End"));
    const QString before = db.hrUsers();

    SyncRun run(db.session());
    QStringList told;
    int written = 0;
    run.onBegun = [&] { told << QStringLiteral("begun"); };
    run.onProgress = [&](int done, int total) {
        told << QStringLiteral("%1/%2").arg(done).arg(total);
        written = done;
    };
    run.cancelRequested = [&] { return written == c.cancelAfter; };
    run.onEnded = [&] { told << QStringLiteral("ended"); };

    EXPECT_EQ(run.run(), c.end);
    EXPECT_EQ(told, c.told);
    EXPECT_EQ(db.syncLogRuns(), QStringList{c.logRow});
    EXPECT_EQ(db.hrValue(QStringLiteral("Select Count(*) From TSys_UserSyncLogDet")).toInt(), c.logChanges);
    if (c.end == SyncRun::Done) {
        EXPECT_EQ(db.hrValue(QStringLiteral("Select PassWord From p_User Where UserCode = '51010100100002'")).toString(),
                  QStringLiteral("changed"));
        EXPECT_EQ(db.hrValue(QStringLiteral("Select Count(*) From p_User Where UserCode = 'n1'")).toInt(), 1);
    } else {
        EXPECT_EQ(db.hrUsers(), before);  // n1 was written before the stop, and is gone again
    }
    EXPECT_EQ(run.failedUser().value_or(QString()), c.refuseUpdate ? QStringLiteral("51010100100002") : QString());
    EXPECT_EQ(run.cause(), c.refuseUpdate ? QStringLiteral("违反数据约束: 拒绝修改") : QString());
}

INSTANTIATE_TEST_SUITE_P(
    Ends, UsersSyncRun,
    ::testing::Values(
        RunCase{"committed", false, 0, SyncRun::Done,
                {"begun", "0/2", "1/2", "2/2", "ended"}, QStringLiteral("成功 1/1/0 "), 2},
        RunCase{"failed", true, 0, SyncRun::Failed, {"begun", "0/2", "1/2", "ended"},
                QStringLiteral("失败 0/0/0 用户 51010100100002: 违反数据约束: 拒绝修改"), 0},
        RunCase{"cancelled", false, 1, SyncRun::Cancelled, {"begun", "0/2", "1/2", "ended"},
                QStringLiteral("已取消 0/0/0 "), 0}),
    [](const ::testing::TestParamInfo<RunCase> &info) { return std::string(info.param.name); });

// Two desktops on one database, logins alike in their first characters,
// synchronising in the same millisecond: each run keeps a row of its own,
// also when both draw the same random part (the second tries a new id).
class UsersSyncLogIds : public ::testing::TestWithParam<SessionBackend>
{
};

TEST_P(UsersSyncLogIds, TwoDesktopsInOneMillisecondKeepTwoRows)
{
    if (!GetParam().available())
        GTEST_SKIP() << "no PostgreSQL test server";
    const QDateTime now(QDate(2026, 12, 9), QTime(7, 50, 47, 581));
    const struct
    {
        QVector<quint32> drawn;  // the random parts, in the order the tries draw them
        QStringList ids;         // admin's, then adm01's
    } cases[] = {{{1, 36 * 36 * 36 + 2}, {"20261209075047581001", "20261209075047581002"}},
                 {{35, 35, 36}, {"2026120907504758100z", "20261209075047581010"}}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.ids.join(QLatin1Char(' ')).toStdString());
        TempDatabases databases{GetParam().storage};
        databases.rcms(QStringLiteral("Insert Into p_User (UserCode, UserName, PassWord) Values ('n1', '一', 'a')"));
        QVector<quint32> drawn = c.drawn;
        QStringList rows;
        for (const char *login : {"admin", "adm01"}) {
            const std::unique_ptr<HostSession> session = GetParam().open(databases);
            session->UserCode = QString::fromLatin1(login);
            SyncRun run(*session);
            run.clock = [&] { return now; };
            run.logIdRandom = [&] { return drawn.takeFirst(); };
            EXPECT_EQ(run.run(), SyncRun::Done);
            EXPECT_EQ(run.logFailure(), QString());
            for (const auto &r : session->OpenHrData(QStringLiteral("Select LogID, UserCode, Result, AddedCount, SameCount "
                                                                    "From TSys_UserSyncLog Where UserCode = '%1'").arg(login)).rows)
                rows << QStringLiteral("%1 %2 %3 %4/%5").arg(r.at(0).toString(), r.at(1).toString(), r.at(2).toString())
                            .arg(r.at(3).toInt()).arg(r.at(4).toInt());
        }
        EXPECT_EQ(rows, (QStringList{c.ids.at(0) + QStringLiteral(" admin 成功 1/0"),
                                     c.ids.at(1) + QStringLiteral(" adm01 成功 0/1")}));
        EXPECT_TRUE(drawn.isEmpty());
    }
}

// Each engine's words for a missing table mean no log; a check that fails
// otherwise is no answer.
TEST_P(UsersSyncLogIds, AMissingTableIsNoLogAndAFailedCheckNoAnswer)
{
    if (!GetParam().available())
        GTEST_SKIP() << "no PostgreSQL test server";
    TempDatabases databases{GetParam().storage};
    const std::unique_ptr<HostSession> session = GetParam().open(databases);
    FaultySession faulty(*session);
    faulty.breakIf([](int, const QString &slot, const QString &) { return slot == QLatin1String("GetHrValue"); });
    EXPECT_THROW(SyncLog(faulty).available(), data::LumoError);
    EXPECT_TRUE(SyncLog(*session).available());
    databases.hr(QStringLiteral("Drop Table TSys_UserSyncLogDet"));
    databases.hr(QStringLiteral("Drop Table TSys_UserSyncLog"));
    EXPECT_FALSE(SyncLog(*session).available());
}

INSTANTIATE_TEST_SUITE_P(Backends, UsersSyncLogIds, ::testing::ValuesIn(sessionBackends()),
                         [](const ::testing::TestParamInfo<SessionBackend> &info) { return info.param.name; });
