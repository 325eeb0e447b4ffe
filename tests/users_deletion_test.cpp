// UserDeletion without a window: the guard finds the records a user entered
// or created (by code prefix, as it always has), and the delete is undone
// whenever the session does not confirm it.
#include <gtest/gtest.h>

#include "FaultySession.h"
#include "RecordingSession.h"
#include "UserDatabases.h"
#include "UserDeletion.h"

namespace {

const QString kUser = QStringLiteral("51010100100003");

QVariant usersNamed(UserDatabases &db, const QString &code)
{
    return db.hrValue(QStringLiteral("Select Count(*) From p_User Where UserCode = '%1'").arg(code));
}

} // namespace

TEST(UsersDeletion, RefusedWhileAnyRecordNamesTheUserDeletedOtherwise)
{
    struct Case
    {
        const char *name;
        QString records;
        bool referenced;
    };
    const Case cases[] = {
        {"entered by the user",
         QStringLiteral("Insert Into TData_AdmiRec (RecordID, InpPerCode) Values ('a1', '51010100100003')"), true},
        {"created by the user",
         QStringLiteral("Insert Into TData_PVRVVaccMat (RecordID, CreaCardPerCode, InpPerCode) "
                        "Values ('v1', '51010100100003', 'admin')"),
         true},
        {"entered by a longer code",
         QStringLiteral("Insert Into TData_UserRight (RecordID, InpPerCode) Values ('u1', '510101001000031')"), true},
        {"only a neighbour's records",
         QStringLiteral("Insert Into TData_AdmiRec (RecordID, InpPerCode) Values ('a1', '51010100100001')"), false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        UserDatabases db;
        db.hr(c.records);
        UserDeletion deletion(db.session(), kUser);
        EXPECT_EQ(deletion.referenced(), c.referenced);
        if (!c.referenced)
            deletion.run();
        EXPECT_EQ(usersNamed(db, kUser).toInt(), c.referenced ? 1 : 0);
        EXPECT_EQ(usersNamed(db, QStringLiteral("51010100100001")).toInt(), 1);
    }
}

// The delete ran, but its answer was lost on the way back: the user stays.
TEST(UsersDeletion, ALostAnswerIsRolledBack)
{
    UserDatabases db;
    FaultySession faulty(db.session());
    faulty.breakIf([](int, const QString &slot, const QString &) { return slot == QLatin1String("ExecHrSql"); },
                   FaultySession::Fault::AnswerLost);
    EXPECT_THROW(UserDeletion(faulty, kUser).run(), data::LumoError);
    EXPECT_EQ(faulty.slotsCalled(), (QStringList{"BeginHrTrans", "ExecHrSql", "RollbackHrTrans"}));
    EXPECT_EQ(usersNamed(db, kUser).toInt(), 1);
}

// A session that answers false deleted nothing: refused, not committed.
TEST(UsersDeletion, ADeleteAnsweredFalseIsRefused)
{
    RecordingSession session;
    session.execFalseOnCall(1);
    EXPECT_THROW(UserDeletion(session, kUser).run(), UserDeletion::Refused);
    EXPECT_EQ(session.statements(), QStringList{QStringLiteral("Delete P_User Where UserCode = '51010100100003'")});
    EXPECT_EQ(session.hrBegins(), 1);
    EXPECT_EQ(session.hrCommits(), 0);
    EXPECT_EQ(session.hrRollbacks(), 1);
}
