// Database files a user may only read, met by a user without root's rights:
// the host shows them, every write is refused as read-only, and the files stay
// as they were. Run as root, the test runs the host and itself once more as
// "nobody" (setpriv); the second run of itself does the writes.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <ostream>
#include <unistd.h>
#include <sqlite3.h>

#include "DemoData.h"
#include "LumoError.h"
#include "ModuleSqlTexts.h"
#include "SqliteSession.h"

using namespace ModuleSql;

namespace {

// Set in the run of this test that does the writes as the unprivileged user.
constexpr char kHrVariable[] = "LUMO_READONLY_TEST_HR";
constexpr char kRcmsVariable[] = "LUMO_READONLY_TEST_RCMS";

struct Layout
{
    const char *name;
    QFile::Permissions folder;
    QFile::Permissions files;
    const char *journalMode;  // as a host left the files
};

constexpr QFile::Permissions kReadable = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
constexpr QFile::Permissions kOpen = kReadable | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther;
constexpr QFile::Permissions kWritable =
    QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;

void PrintTo(const Layout &layout, std::ostream *os)
{
    *os << layout.name;
}

class ReadOnlyDatabase : public ::testing::TestWithParam<Layout>
{
};

QByteArray digest(const QString &file)
{
    QFile f(file);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << qPrintable(file);
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

struct ChildRun
{
    int exitCode = -1;
    QString output;
};

// Runs program as a user who may not write what root may: "nobody" when the
// tests run as root, else the user running them.
ChildRun runUnprivileged(const QString &program, const QStringList &arguments, const QProcessEnvironment &env)
{
    QProcess process;
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::MergedChannels);
    if (geteuid() == 0) {
        process.start(QStringLiteral("setpriv"), QStringList{QStringLiteral("--reuid=nobody"),
                                                             QStringLiteral("--regid=nogroup"),
                                                             QStringLiteral("--clear-groups"), program}
                                                     + arguments);
    } else {
        process.start(program, arguments);
    }
    EXPECT_TRUE(process.waitForFinished(90000)) << qPrintable(program) << " must end by itself";
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAll())};
}

// The writes of the four commands as the module sends them, each in its
// transaction; every one must fail with the read-only cause.
void refuseEveryWrite(const QString &hrFile, const QString &rcmsFile)
{
    SqliteSession session(hrFile, rcmsFile);
    EXPECT_GT(session.GetHrValue(QStringLiteral("Select Count(*) From p_User")).toLongLong(), 0);
    EXPECT_GT(session.GetRcmsValue(QStringLiteral("Select Count(*) From p_User")).toLongLong(), 0);

    const SyncUser synced{DemoData::AdminCode, QStringLiteral("同步"), QStringLiteral("TB"), QStringLiteral("TB"),
                          QStringLiteral("3"),   QStringLiteral("X"),   QString(),          DemoData::InitialPassword};
    const SyncUser added{QStringLiteral("99999999999001"), QStringLiteral("新增"), QStringLiteral("XZ"),
                         QStringLiteral("XZ"), QStringLiteral("4"), QStringLiteral("X"), QString(),
                         DemoData::InitialPassword};
    const struct
    {
        const char *command;
        QStringList statements;
    } writes[] = {
        {"add", {builderInsert(QStringLiteral("P_User"), {QStringLiteral("UserCode"), QStringLiteral("UserName")},
                               {quoted(added.userCode), quoted(added.userName)})}},
        {"edit", {userUpdate(QStringLiteral("P_User"), {QStringLiteral("UserCode"), QStringLiteral("UserName")},
                             {quoted(DemoData::ClerkCode), quoted(QStringLiteral("改名"))}, DemoData::ClerkCode)}},
        {"delete", {deleteUser(DemoData::ClerkCode)}},
        {"sync", {syncUpdate(synced), syncInsert(added)}},
    };
    for (const auto &write : writes) {
        QString cause = QStringLiteral("(written)");
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
    if (qEnvironmentVariableIsSet(kHrVariable)) {
        refuseEveryWrite(qEnvironmentVariable(kHrVariable), qEnvironmentVariable(kRcmsVariable));
        return;
    }
    if (geteuid() == 0 && QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty())
        GTEST_SKIP() << "setpriv (util-linux) is needed to run the host as a user without root's rights";

    const Layout &layout = GetParam();
    QTemporaryDir scratch;
    const QDir top(scratch.path());
    ASSERT_TRUE(top.mkdir(QStringLiteral("db")) && top.mkdir(QStringLiteral("out")));
    const QString folder = top.filePath(QStringLiteral("db"));
    const QString out = top.filePath(QStringLiteral("out"));
    const QString hr = QDir(folder).filePath(QStringLiteral("hr.db"));
    const QString rcms = QDir(folder).filePath(QStringLiteral("rcms.db"));
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
    // Writable again at the end, so that the folder can be removed by a user
    // who is not root.
    struct Restore
    {
        QString folder;
        ~Restore() { QFile::setPermissions(folder, kOpen | QFile::WriteOwner); }
    } restore{folder};
    const QByteArray hrBefore = digest(hr), rcmsBefore = digest(rcms);

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("HOME"), out);
    env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    // The host shows the users' grid: the module is created and its window
    // drawn. --create-demo must leave the existing files alone.
    const QString shot = QDir(out).filePath(QStringLiteral("s.png"));
    const ChildRun host = runUnprivileged(QStringLiteral(LUMO_HOST_PATH),
                                     {QStringLiteral("--hr"), hr, QStringLiteral("--rcms"), rcms,
                                      QStringLiteral("--user"), DemoData::AdminCode, QStringLiteral("--app-path"),
                                      out, QStringLiteral("--create-demo"), QStringLiteral("--screenshot"), shot},
                                     env);
    EXPECT_EQ(host.exitCode, 0) << qPrintable(host.output);
    EXPECT_TRUE(QFile::exists(shot)) << qPrintable(host.output);
    EXPECT_FALSE(host.output.contains(QStringLiteral("不是有效的SQLite数据库文件"))) << qPrintable(host.output);

    env.insert(QString::fromLatin1(kHrVariable), hr);
    env.insert(QString::fromLatin1(kRcmsVariable), rcms);
    const auto *test = ::testing::UnitTest::GetInstance()->current_test_info();
    const ChildRun writes = runUnprivileged(
        QCoreApplication::applicationFilePath(),
        {QStringLiteral("--gtest_filter=%1.%2").arg(QString::fromUtf8(test->test_suite_name()),
                                                    QString::fromUtf8(test->name()))},
        env);
    EXPECT_EQ(writes.exitCode, 0) << qPrintable(writes.output);
    EXPECT_TRUE(writes.output.contains(QStringLiteral("[  PASSED  ] 1 test"))) << qPrintable(writes.output);

    EXPECT_EQ(digest(hr), hrBefore);
    EXPECT_EQ(digest(rcms), rcmsBefore);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, ReadOnlyDatabase,
    ::testing::Values(Layout{"FolderReadOnlyInWalMode", kOpen, kReadable | kWritable, "WAL"},
                      Layout{"FolderReadOnlyWithRollbackJournal", kOpen, kReadable | kWritable, "DELETE"},
                      Layout{"FileReadOnlyInWalMode", kOpen | kWritable, kReadable, "WAL"}),
    [](const ::testing::TestParamInfo<Layout> &info) { return std::string(info.param.name); });
