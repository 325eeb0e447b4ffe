// What the host writes of a failure: statements with the values of password
// columns masked, and a log file only its owner reads.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <QTemporaryDir>

#include <sys/stat.h>

#include "HostLog.h"
#include "SqlSecrets.h"

namespace {

int modeOf(const QString &path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 0777) : -1;
}

} // namespace

// The plain "Set PassWord = '…'" form is the log file's case below.
TEST(HostMaskSecrets, MasksOnlyThePasswordsValues)
{
    const struct
    {
        const char *name, *sql, *masked;
    } cases[] = {
        {"trail row of a deleted user",
         "Insert Into TSys_UserAudit (Kind, UserCode, PassWord, Changes) Values "
         "('删除', 'u', 'p3', '[[\"PassWord\",\"已更改\",null]]'), ('删除', 'v', 'p''4', '[]')",
         "Insert Into TSys_UserAudit (Kind, UserCode, PassWord, Changes) Values "
         "('删除', 'u', '***', '[[\"PassWord\",\"已更改\",null]]'), ('删除', 'v', '***', '[]')"},
        {"any case and brackets", "Update p_User Set [PASSWORD]='x',password = N'y' Where 1=1",
         "Update p_User Set [PASSWORD]='***',password = N'***' Where 1=1"},
        {"doubled quotes inside", "Update p_User Set Password = 'it''s, Where x = ''y''', Grade = '1'",
         "Update p_User Set Password = '***', Grade = '1'"},
        {"insert column list", "Insert Into p_User ( UserCode, UserName, Password ) Values ( 'u', N'李, 四', 'secret')",
         "Insert Into p_User ( UserCode, UserName, Password ) Values ( 'u', N'李, 四', '***')"},
        {"insert password in the middle of rows",
         "Insert Into p_User (UserCode, PassWord, Grade) Values ('a', 'p1', '1'), ('b', 'p2', '2')",
         "Insert Into p_User (UserCode, PassWord, Grade) Values ('a', '***', '1'), ('b', '***', '2')"},
        {"insert select", "Insert Into t (PassWord, b) Select 'p', 'b' From x",
         "Insert Into t (PassWord, b) Select '***', 'b' From x"},
        {"several statements and conditions",
         "Update p_User Set Password = 'a' || 'b' Where UserCode = 'u';\n"
         "Select * From p_User Where PassWord In ('c', 'd') And 'e' = PassWord -- 'f'",
         "Update p_User Set Password = '***' || '***' Where UserCode = 'u';\n"
         "Select * From p_User Where PassWord In ('***', '***') And '***' = PassWord -- 'f'"},
        {"in a message", "SQL语句执行失败: 拒绝\n语句: Update p_User Set Password = 123 Where a = 'b'",
         "SQL语句执行失败: 拒绝\n语句: Update p_User Set Password = *** Where a = 'b'"},
        {"no password column", "Update p_User Set UserName = 'PassWord = ''x''', Spell = \"password\" Where a = 'b'",
         nullptr},
        {"other columns named alike", "Update s Set FTPPassWord = 'x', PassWordHint = 'y'", nullptr},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);  // masked null: the statement stays as it is
        EXPECT_EQ(maskSecrets(QString::fromUtf8(c.sql)).toStdString(), c.masked ? c.masked : c.sql);
    }
}

TEST(HostLogFile, IsItsOwnersAloneAndMasksEveryLine)
{
    QTemporaryDir root;
    const QString folder = root.filePath("data/lumohost"), file = folder + "/lumohost.log";
    ASSERT_TRUE(QDir().mkpath(folder));
    // Left by an earlier host, readable by all.
    for (const QString &old : {file, file + ".1"}) {
        ASSERT_TRUE(QFile(old).open(QIODevice::WriteOnly));
        ::chmod(QFile::encodeName(old).constData(), 0604);
    }
    ::chmod(QFile::encodeName(folder).constData(), 0705);
    ASSERT_EQ(HostLog::install(folder), file);
    EXPECT_EQ(modeOf(folder), 0700);
    EXPECT_EQ(modeOf(file + ".1"), 0600);

    HostLog::rotate(file, 0, HostLog::KeptFiles);
    const QLoggingCategory category("lumo.test");
    qCWarning(category).noquote() << "Update p_User Set PassWord = 'hunter2' Where UserCode = 'u'";
    qInstallMessageHandler(nullptr);

    for (const char *suffix : {"", ".1", ".2"})
        EXPECT_EQ(modeOf(file + suffix), 0600) << suffix;
    QFile written(file);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(written.readAll());
    EXPECT_TRUE(text.contains("lumo.test: Update p_User Set PassWord = '***' Where UserCode = 'u'")) << text.toStdString();
    EXPECT_FALSE(text.contains("hunter2"));
}
