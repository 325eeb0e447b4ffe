// SyncRun on the real SQLite session, without a window: a run commits what it
// wrote, or rolls all of it back when a user fails or the caller cancels, and
// the log keeps one row for it however it ends.
#include <gtest/gtest.h>

#include "SyncRun.h"
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
