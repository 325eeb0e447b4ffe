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

struct MaskCase
{
    const char *name;
    QString sql;
    QString masked;
};

class HostMaskSecrets : public ::testing::TestWithParam<MaskCase>
{
};

int modeOf(const QString &path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 0777) : -1;
}

} // namespace

TEST_P(HostMaskSecrets, MasksOnlyThePasswordsValues)
{
    EXPECT_EQ(maskSecrets(GetParam().sql), GetParam().masked);
}

INSTANTIATE_TEST_SUITE_P(
    Statements, HostMaskSecrets,
    ::testing::Values(
        MaskCase{"trail_row_of_a_deleted_user",
                 QStringLiteral("Insert Into TSys_UserAudit (Kind, UserCode, PassWord, Changes) Values "
                                "('删除', 'u', 'p3', '[[\"PassWord\",\"已更改\",null]]'), ('删除', 'v', 'p''4', '[]')"),
                 QStringLiteral("Insert Into TSys_UserAudit (Kind, UserCode, PassWord, Changes) Values "
                                "('删除', 'u', '***', '[[\"PassWord\",\"已更改\",null]]'), ('删除', 'v', '***', '[]')")},
        MaskCase{"update", QStringLiteral("Update p_User Set UserName = 'a', PassWord = 'x' Where UserCode = 'u'"),
                 QStringLiteral("Update p_User Set UserName = 'a', PassWord = '***' Where UserCode = 'u'")},
        MaskCase{"any_case_and_brackets", QStringLiteral("Update p_User Set [PASSWORD]='x',password = N'y' Where 1=1"),
                 QStringLiteral("Update p_User Set [PASSWORD]='***',password = N'***' Where 1=1")},
        MaskCase{"doubled_quotes_inside",
                 QStringLiteral("Update p_User Set Password = 'it''s, Where x = ''y''', Grade = '1'"),
                 QStringLiteral("Update p_User Set Password = '***', Grade = '1'")},
        MaskCase{"insert_column_list",
                 QStringLiteral("Insert Into p_User ( UserCode, UserName, Password ) Values ( 'u', N'李, 四', 'secret')"),
                 QStringLiteral("Insert Into p_User ( UserCode, UserName, Password ) Values ( 'u', N'李, 四', '***')")},
        MaskCase{"insert_password_in_the_middle_of_rows",
                 QStringLiteral("Insert Into p_User (UserCode, PassWord, Grade) Values ('a', 'p1', '1'), ('b', 'p2', '2')"),
                 QStringLiteral("Insert Into p_User (UserCode, PassWord, Grade) Values ('a', '***', '1'), ('b', '***', '2')")},
        MaskCase{"insert_select", QStringLiteral("Insert Into t (PassWord, b) Select 'p', 'b' From x"),
                 QStringLiteral("Insert Into t (PassWord, b) Select '***', 'b' From x")},
        MaskCase{"several_statements_and_conditions",
                 QStringLiteral("Update p_User Set Password = 'a' || 'b' Where UserCode = 'u';\n"
                                "Select * From p_User Where PassWord In ('c', 'd') And 'e' = PassWord -- 'f'"),
                 QStringLiteral("Update p_User Set Password = '***' || '***' Where UserCode = 'u';\n"
                                "Select * From p_User Where PassWord In ('***', '***') And '***' = PassWord -- 'f'")},
        MaskCase{"in_a_message", QStringLiteral("SQL语句执行失败: 拒绝\n语句: Update p_User Set Password = 123 Where a = 'b'"),
                 QStringLiteral("SQL语句执行失败: 拒绝\n语句: Update p_User Set Password = *** Where a = 'b'")},
        MaskCase{"no_password_column",
                 QStringLiteral("Update p_User Set UserName = 'PassWord = ''x''', Spell = \"password\" Where a = 'b'"),
                 QStringLiteral("Update p_User Set UserName = 'PassWord = ''x''', Spell = \"password\" Where a = 'b'")},
        MaskCase{"other_columns_named_alike",
                 QStringLiteral("Update s Set FTPPassWord = 'x', PassWordHint = 'y'"),
                 QStringLiteral("Update s Set FTPPassWord = 'x', PassWordHint = 'y'")}),
    [](const ::testing::TestParamInfo<MaskCase> &info) { return std::string(info.param.name); });

TEST(HostLogFile, IsItsOwnersAloneAndMasksEveryLine)
{
    QTemporaryDir root;
    const QString folder = root.filePath(QStringLiteral("data/lumohost"));
    ASSERT_TRUE(QDir().mkpath(folder));
    // Left by an earlier host, readable by all.
    for (const char *name : {"lumohost.log", "lumohost.log.1"}) {
        QFile old(QDir(folder).filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther);
    }
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                      | QFileDevice::ReadOther | QFileDevice::ExeOther);
    const QString file = HostLog::install(folder);
    ASSERT_EQ(file, QDir(folder).filePath(QStringLiteral("lumohost.log")));
    EXPECT_EQ(modeOf(folder), 0700);
    EXPECT_EQ(modeOf(file + QStringLiteral(".1")), 0600);

    HostLog::rotate(file, 0, HostLog::KeptFiles);
    const QLoggingCategory category("lumo.test");
    qCWarning(category).noquote() << "Update p_User Set PassWord = 'hunter2' Where UserCode = 'u'";
    qInstallMessageHandler(nullptr);

    EXPECT_EQ(modeOf(file), 0600);
    EXPECT_EQ(modeOf(file + QStringLiteral(".1")), 0600);
    EXPECT_EQ(modeOf(file + QStringLiteral(".2")), 0600);
    QFile written(file);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(written.readAll());
    EXPECT_TRUE(text.contains(QStringLiteral("lumo.test: Update p_User Set PassWord = '***' Where UserCode = 'u'")))
        << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("hunter2")));
}
