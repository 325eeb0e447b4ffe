#include <gtest/gtest.h>

#include <QThread>

#include "SqliteSession.h"
#include "SyncStatementRunner.h"
#include "TempDatabases.h"
#include "UserSync.h"

namespace {

QString codeOf(int user)
{
    return QStringLiteral("u%1").arg(user, 5, 10, QLatin1Char('0'));
}

QString insertOf(int user)
{
    return QStringLiteral("Insert Into p_User (UserCode, UserName) Values ('%1', '%2')").arg(codeOf(user)).arg(user);
}

int usersIn(HostSession &session)
{
    return session.GetHrValue(QStringLiteral("Select Count(*) From p_User")).toInt();
}

// The statements run by the real SQLite session, as they come (false) or on
// a thread of their own (true).
class UsersSyncStatementRunner : public ::testing::TestWithParam<bool>
{
protected:
    UsersSyncStatementRunner() : session(files.hrFile(), files.rcmsFile())
    {
        session.HrWritesAside = GetParam();
        session.BeginHrTrans();
    }
    ~UsersSyncStatementRunner() override { session.RollbackHrTrans(); }

    TempDatabases files;
    SqliteSession session;
};

} // namespace

// Odd users have a statement, even ones none. The statements run in the order
// handed on; the first that fails names its user, no later one runs, and every
// user before it counts as done.
TEST_P(UsersSyncStatementRunner, RunsInOrderAndStopsAtTheFirstFailure)
{
    constexpr int kUsers = 2001;
    for (const int failing : {0, 1, 1201}) {
        SCOPED_TRACE(failing);
        session.ExecHrSql(QStringLiteral("Delete From p_User"));
        const int done = failing ? failing - 1 : kUsers;
        {
            SyncStatementRunner runner(session);
            for (int user = 1; user <= kUsers; user += 2)
                runner.add(user, codeOf(user),
                           user == failing ? QStringLiteral("Insert Into p_User (UserCode) Values (Null)") : insertOf(user));
            runner.finish();
            EXPECT_EQ(runner.usersDone(kUsers), done);
            try {
                runner.raiseFailure();
                EXPECT_EQ(failing, 0);
            } catch (const UserSyncFailure &e) {
                EXPECT_EQ(e.userCode(), codeOf(failing));
                EXPECT_TRUE(e.message().contains(QStringLiteral("NOT NULL"))) << qPrintable(e.message());
            }
        }
        EXPECT_EQ(usersIn(session), (done + 1) / 2);
        EXPECT_EQ(session.GetHrValue(QStringLiteral("Select Count(*) From p_User a Join p_User b On b.rowid = a.rowid + 1 "
                                                    "Where b.UserCode < a.UserCode")).toInt(), 0);
    }
}

// Gone before its statements caught up, the runner leaves the session to the
// caller: nothing runs afterwards.
TEST_P(UsersSyncStatementRunner, NothingRunsOnceItIsGone)
{
    {
        SyncStatementRunner runner(session);
        for (int user = 1; user <= 20000; ++user)
            runner.add(user, codeOf(user), insertOf(user));
    }
    const int ran = usersIn(session);
    QThread::msleep(50);
    EXPECT_EQ(usersIn(session), ran);
}

INSTANTIATE_TEST_SUITE_P(InlineAndAside, UsersSyncStatementRunner, ::testing::Bool());
