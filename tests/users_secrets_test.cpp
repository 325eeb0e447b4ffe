// A synchronisation that fails at a user whose password changed, on the real
// SQLite session with the host's log installed: the log keeps the failing
// statement, never the password.
#include <gtest/gtest.h>

#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <sys/stat.h>

#include "HostLog.h"
#include "SyncRun.h"
#include "UserDatabases.h"

namespace {

QStringList &captured()
{
    static QStringList lines;
    return lines;
}

QtMessageHandler &hostHandler()
{
    static QtMessageHandler handler = nullptr;
    return handler;
}

// Every category's message as it was raised, before the host's handler.
void capture(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    captured() << QString::fromLatin1(context.category ? context.category : "default") + QStringLiteral(": ") + message;
    hostHandler()(type, context, message);
}

int modeOf(const QString &path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 0777) : -1;
}

} // namespace

TEST(UsersSecrets, AFailedSynchronisationLogsItsStatementWithoutThePassword)
{
    QTemporaryDir root;
    const QString folder = root.filePath(QStringLiteral("lumohost"));
    const QString file = HostLog::install(folder);
    ASSERT_FALSE(file.isEmpty());
    hostHandler() = qInstallMessageHandler(capture);
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
    const QString raised = captured().join(QLatin1Char('\n'));
    for (const QString &text : {written, raised}) {
        EXPECT_FALSE(text.contains(QStringLiteral("tiger"))) << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("lumo.host.database: SQL语句执行失败")));
        EXPECT_TRUE(text.contains(QStringLiteral("lumo.users.sync: synchronisation failed at user 51010100100002")));
        EXPECT_TRUE(text.contains(QStringLiteral("Update p_User  Set UserName = '李四'"))) << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("Password = '***',"))) << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("Where UserCode = '51010100100002'"))) << text.toStdString();
    }
    EXPECT_EQ(modeOf(file), 0600);
    EXPECT_EQ(modeOf(folder), 0700);
}
