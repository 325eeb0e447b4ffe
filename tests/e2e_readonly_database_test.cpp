// Database files a user may only read, met by a user without root's rights:
// the host shows them, every write is refused as read-only, and the files stay
// as they were. Run as root, the test runs the host and itself once more as
// "nobody" (setpriv); the second run of itself does the writes.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QScopeGuard>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <unistd.h>
#include <sqlite3.h>

#include "DemoData.h"
#include "LumoError.h"
#include "ModuleSqlTexts.h"
#include "SqliteSession.h"

using namespace ModuleSql;

namespace {

// Set, to the two files a line each, in the run of this test that does the
// writes as the unprivileged user.
constexpr char kFilesVariable[] = "LUMO_READONLY_TEST_FILES";

struct Layout
{
    const char *name;
    QFile::Permissions folder, files;
    const char *journalMode;  // as a host left the files
};

constexpr QFile::Permissions kReadable = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
constexpr QFile::Permissions kOpen = kReadable | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther;
constexpr QFile::Permissions kWritable = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;

class ReadOnlyDatabase : public ::testing::TestWithParam<Layout> {};

QByteArray digest(const QString &file)
{
    QFile f(file);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << qPrintable(file);
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

// Runs program as a user who may not write what root may: "nobody" when the
// tests run as root, else the user running them. Gives its output; exitCode
// is -1 when it did not end normally.
QString runUnprivileged(const QString &program, const QStringList &arguments, const QProcessEnvironment &env,
                        int &exitCode)
{
    QProcess process;
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::MergedChannels);
    const QStringList setpriv{"--reuid=nobody", "--regid=nogroup", "--clear-groups", program};
    if (geteuid() == 0)
        process.start(QStringLiteral("setpriv"), setpriv + arguments);
    else
        process.start(program, arguments);
    EXPECT_TRUE(process.waitForFinished(90000)) << qPrintable(program) << " must end by itself";
    exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return QString::fromUtf8(process.readAll());
}

// The writes of the four commands as the module sends them, each in its
// transaction; every one must fail with the read-only cause.
void refuseEveryWrite(const QString &hrFile, const QString &rcmsFile)
{
    SqliteSession session(hrFile, rcmsFile);
    EXPECT_GT(session.GetHrValue("Select Count(*) From p_User").toLongLong(), 0);
    EXPECT_GT(session.GetRcmsValue("Select Count(*) From p_User").toLongLong(), 0);

    const SyncUser synced{DemoData::AdminCode, "同步", "TB", "TB", "3", "X", QString(), DemoData::InitialPassword};
    const SyncUser added{"99999999999001", "新增", "XZ", "XZ", "4", "X", QString(), DemoData::InitialPassword};
    const QStringList codeAndName{"UserCode", "UserName"};
    const struct { const char *command; QStringList statements; } writes[] = {
        {"add", {builderInsert("P_User", codeAndName, {quoted(added.userCode), quoted(added.userName)})}},
        {"edit", {userUpdate("P_User", codeAndName, {quoted(DemoData::ClerkCode), quoted("改名")}, DemoData::ClerkCode)}},
        {"delete", {deleteUser(DemoData::ClerkCode)}},
        {"sync", {syncUpdate(synced), syncInsert(added)}},
    };
    for (const auto &write : writes) {
        QString cause = "(written)";
        try {
            session.BeginHrTrans();
            for (const QString &statement : write.statements)
                session.ExecHrSql(statement);
            session.CommitHrTrans();
        } catch (const data::LumoError &e) {
            session.RollbackHrTrans();
            cause = e.cause();
        }
        EXPECT_EQ(cause, QStringLiteral("数据库为只读")) << write.command;
    }
}

} // namespace

TEST_P(ReadOnlyDatabase, ShowsTheUsersRefusesEveryWriteAndChangesNothing)
{
    if (const QStringList files = qEnvironmentVariable(kFilesVariable).split('\n'); files.size() == 2)
        return refuseEveryWrite(files[0], files[1]);
    if (geteuid() == 0 && QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty())
        GTEST_SKIP() << "setpriv (util-linux) is needed to run the host as a user without root's rights";

    const Layout &layout = GetParam();
    QTemporaryDir scratch;
    const QString folder = scratch.filePath("db"), out = scratch.filePath("out");
    ASSERT_TRUE(QDir().mkdir(folder) && QDir().mkdir(out));
    const QString hr = folder + "/hr.db", rcms = folder + "/rcms.db";
    DemoData::Options small;
    small.users = 20;
    DemoData::create(hr, rcms, small);
    for (const QString &file : {hr, rcms}) {
        sqlite3 *db = nullptr;
        ASSERT_EQ(sqlite3_open(QFile::encodeName(file).constData(), &db), SQLITE_OK);
        const QByteArray pragma = QByteArrayLiteral("PRAGMA journal_mode = ") + layout.journalMode;
        ASSERT_EQ(sqlite3_exec(db, pragma.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);
        ASSERT_TRUE(QFile::setPermissions(file, layout.files));
    }
    ASSERT_TRUE(QFile::setPermissions(scratch.path(), kOpen | QFile::WriteOwner));
    ASSERT_TRUE(QFile::setPermissions(out, kOpen | kWritable));
    ASSERT_TRUE(QFile::setPermissions(folder, layout.folder));
    // Writable again at the end, so that a user who is not root can remove it.
    const auto restore = qScopeGuard([&] { QFile::setPermissions(folder, kOpen | QFile::WriteOwner); });
    const QByteArray hrBefore = digest(hr), rcmsBefore = digest(rcms);

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("HOME", out);
    env.remove("XDG_RUNTIME_DIR");
    // The host shows the users' grid: the module is created and its window
    // drawn. --create-demo must leave the existing files alone.
    const QString shot = out + "/s.png";
    int exitCode = -1;
    QString output = runUnprivileged(LUMO_HOST_PATH,
                                     {"--hr", hr, "--rcms", rcms, "--user", DemoData::AdminCode, "--app-path", out,
                                      "--create-demo", "--screenshot", shot},
                                     env, exitCode);
    EXPECT_EQ(exitCode, 0) << qPrintable(output);
    EXPECT_TRUE(QFile::exists(shot)) << qPrintable(output);
    EXPECT_FALSE(output.contains("不是有效的SQLite数据库文件")) << qPrintable(output);

    env.insert(kFilesVariable, hr + '\n' + rcms);
    const auto *test = ::testing::UnitTest::GetInstance()->current_test_info();
    output = runUnprivileged(QCoreApplication::applicationFilePath(),
                             {QStringLiteral("--gtest_filter=%1.%2").arg(test->test_suite_name(), test->name())}, env,
                             exitCode);
    EXPECT_EQ(exitCode, 0) << qPrintable(output);
    EXPECT_TRUE(output.contains("[  PASSED  ] 1 test")) << qPrintable(output);

    EXPECT_EQ(digest(hr), hrBefore);
    EXPECT_EQ(digest(rcms), rcmsBefore);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, ReadOnlyDatabase,
    ::testing::Values(Layout{"FolderReadOnlyInWalMode", kOpen, kReadable | kWritable, "WAL"},
                      Layout{"FolderReadOnlyWithRollbackJournal", kOpen, kReadable | kWritable, "DELETE"},
                      Layout{"FileReadOnlyInWalMode", kOpen | kWritable, kReadable, "WAL"}),
    [](const ::testing::TestParamInfo<Layout> &info) { return std::string(info.param.name); });
