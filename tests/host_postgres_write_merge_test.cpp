#include <gtest/gtest.h>

#include "PostgresWriteMerge.h"

namespace {

QString typeOf(const QString &table, const QString &)
{
    return table.compare(QLatin1String("p_User"), Qt::CaseInsensitive) == 0 ? QStringLiteral("citext") : QString();
}

QString insert(const QString &code, const QString &name = QStringLiteral("'n'"))
{
    return QStringLiteral("Insert Into p_User ( UserCode, UserName )  Values ( %1, %2 )").arg(code, name);
}

QString update(const QString &code, const QString &name = QStringLiteral("'n'"), const QString &column = QStringLiteral("UserName"))
{
    return QStringLiteral("Update p_User  Set %1 = %2,  OrgCode = 'O1' Where UserCode = %3").arg(column, name, code);
}

const QString kMergedUpdateHead = QStringLiteral("UPDATE p_User AS lumo_t SET UserName = lumo_v.v1, OrgCode = lumo_v.v2 FROM (VALUES ");
const QString kMergedUpdateTail = QStringLiteral(") AS lumo_v (v1, v2, v3) WHERE lumo_t.UserCode = lumo_v.v3");

std::vector<QString> mergedUpdate(const QString &rows)
{
    return {QStringLiteral("SET LOCAL enable_hashjoin = off"), QStringLiteral("SET LOCAL enable_mergejoin = off"),
            kMergedUpdateHead + rows + kMergedUpdateTail, QStringLiteral("SET LOCAL enable_hashjoin TO DEFAULT"),
            QStringLiteral("SET LOCAL enable_mergejoin TO DEFAULT")};
}

std::string lines(const std::vector<QString> &statements)
{
    std::string text;
    for (const QString &statement : statements)
        text += statement.toStdString() + "\n";
    return text;
}

std::vector<QString> concat(std::vector<QString> a, const std::vector<QString> &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(PostgresWriteMerge, MergesRunsOfOneShapeAndLeavesAllElseAsWrittenInItsPlace)
{
    const QString other = QStringLiteral("Delete From p_User Where UserCode = '9'");
    struct Case
    {
        const char *name;
        std::vector<QString> in;
        std::vector<QString> out;
    };
    const Case cases[] = {
        {"inserts, one row or several, become one insert",
         {insert("'1'"), insert("'2'", "NULL"), QStringLiteral("Insert Into p_user (usercode, username) Values ('3', 'a''b'), ('4', -5)")},
         {QStringLiteral("INSERT INTO p_User (UserCode, UserName) VALUES ('1', 'n'), ('2', NULL), ('3', 'a''b'), ('4', -5)")}},
        {"updates become one, typed by the first row",
         {update("'1'"), update("'2'", "NULL"), update("'3'", "''")},
         mergedUpdate(QStringLiteral("('n'::citext, 'O1'::citext, '1'::citext), (NULL, 'O1', '2'), ('', 'O1', '3')"))},
        {"a key met again, in other case or with trailing blanks, starts a new run",
         {update("'a1'"), update("'b1'"), update("'A1 '"), update("'c1'")},
         concat(mergedUpdate(QStringLiteral("('n'::citext, 'O1'::citext, 'a1'::citext), ('n', 'O1', 'b1')")),
                mergedUpdate(QStringLiteral("('n'::citext, 'O1'::citext, 'A1 '::citext), ('n', 'O1', 'c1')")))},
        {"another statement ends a run; a run of one stays as written",
         {insert("'1'"), other, insert("'2'"), update("'3'")},
         {insert("'1'"), other, insert("'2'"), update("'3'")}},
        {"other shapes follow each other without merging",
         {insert("'1'"), QStringLiteral("Insert Into p_User ( UserCode )  Values ( '2' )"), update("'3'"),
          update("'4'", "'n'", QStringLiteral("Spell"))},
         {insert("'1'"), QStringLiteral("Insert Into p_User ( UserCode )  Values ( '2' )"), update("'3'"),
          update("'4'", "'n'", QStringLiteral("Spell"))}},
        {"updates the merge cannot vouch for stay as written",
         {update("'1'", "5"), update("'2'", "5"),                                  // a number the column may refuse
          update("'用1'"), update("'用2'"),                                         // keys not folded here
          update("'1'", "'x'", "UserCode"), update("'2'", "'x'", "UserCode"),      // an update of the key
          QStringLiteral("Update Other Set a = 'x' Where b = '1'"), QStringLiteral("Update Other Set a = 'x' Where b = '2'"),
          update("'1'", "E'x'"), update("'2'", "E'x'"),                            // escapes
          update("1"), update("2")},                                               // a key not text
         {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<QString> expected = c.out.empty() ? c.in : c.out;
        EXPECT_EQ(lines(PostgresWriteMerge::merged(c.in, typeOf)), lines(expected));
    }
}

} // namespace
