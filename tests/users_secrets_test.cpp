// A synchronisation that fails at a user whose password changed, on the real
// SQLite session with the host's log installed: the log keeps the failing
// statement, never the password.
#include <gtest/gtest.h>

#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include "HostLog.h"
#include "SyncRun.h"
#include "UserDatabases.h"

namespace {

QStringList captured;
QtMessageHandler hostHandler = nullptr;

// Every category's message as it was raised, before the host's handler.
void capture(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    captured << QString::fromLatin1(context.category ? context.category : "default") + ": " + message;
    hostHandler(type, context, message);
}

} // namespace

TEST(UsersSecrets, AFailedSynchronisationLogsItsStatementWithoutThePassword)
{
    QTemporaryDir root;
    const QString file = HostLog::install(root.filePath("lumohost"));
    ASSERT_FALSE(file.isEmpty());
    hostHandler = qInstallMessageHandler(capture);
    {
        UserDatabases db;
        db.rcms(QStringLiteral("Insert Into p_User (UserCode, UserName, OrgCode, PassWord) "
                               "Values ('51010100100002', '李四', 'A2', 'tiger''s-5f1d')"));
        db.hr(QStringLiteral("Create Trigger Refuse Before Update On p_User When New.UserCode = '51010100100002' "
                             "Begin Select Raise(Abort, '拒绝修改'); End"));
        SyncRun run(db.session());
        EXPECT_EQ(run.run(), SyncRun::Failed);
    }
    qInstallMessageHandler(nullptr);

    QFile log(file);
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QString written = QString::fromUtf8(log.readAll());
    for (const QString &text : {written, captured.join('\n')}) {
        EXPECT_FALSE(text.contains("tiger")) << text.toStdString();
        for (const char *piece : {"lumo.host.database: SQL语句执行失败",
                                 "lumo.users.sync: synchronisation failed at user 51010100100002",
                                 "Update p_User  Set UserName = '李四'", "Password = '***',",
                                 "Where UserCode = '51010100100002'"})
            EXPECT_TRUE(text.contains(QString::fromUtf8(piece))) << piece << "\n" << text.toStdString();
    }
}
