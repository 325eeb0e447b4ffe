// The prefix matches PostgreSQL gets a seekable condition for: which ones are
// rewritten, which are left as written. Their plans on a real server are in
// host_server_clients_test.cpp.
#include <gtest/gtest.h>

#include "PostgresLikePrefix.h"
#include "PostgresRowLock.h"

TEST(PostgresLikePrefix, OnlyAPlainColumnAgainstAFixedAsciiPrefixGetsTheIndexedCondition)
{
    struct Case
    {
        const char *sql;
        const char *expected;  // nullptr: left as written
    };
    const Case cases[] = {
        {"Select 1 From T Where InpPerCode Like '5101%'",
         "Select 1 From T Where (lower(InpPerCode::text) Like lower('5101%') And InpPerCode Like '5101%')"},
        {"Select 1 From T Where A Like 'x%' Or t.B Like 'y%' Limit 1",
         "Select 1 From T Where (lower(A::text) Like lower('x%') And A Like 'x%') Or "
         "(lower(t.B::text) Like lower('y%') And t.B Like 'y%') Limit 1"},
        {"Select * From (Select 1 From T Where \"A\" Like 'ab%c') x",
         "Select * From (Select 1 From T Where (lower(\"A\"::text) Like lower('ab%c') And \"A\" Like 'ab%c')) x"},
        // no fixed first character, a one-character wildcard, an escape, non-ASCII
        {"Select 1 From T Where A Like '%5101'", nullptr},
        {"Select 1 From T Where A Like '51_1%'", nullptr},
        {"Select 1 From T Where A Like '51\\%'", nullptr},
        {"Select 1 From T Where A Like '张%'", nullptr},
        // not a plain column, or not a plain literal, or part of a larger expression
        {"Select 1 From T Where A || B Like '5%'", nullptr},
        {"Select 1 From T Where A Not Like '5%'", nullptr},
        {"Select 1 From T Where A Like '5%' || B", nullptr},
        {"Select 1 From T Where A Like E'5%'", nullptr},
        {"Select 1 From T Where A Like '5%' Escape '!'", nullptr},
        // text inside literals and comments is no statement
        {"Select 'Where A Like ''5%''' -- Where A Like '5%'\n", nullptr},
        {"Select 1 /* Where A Like '5%' */", nullptr},
    };
    for (const Case &c : cases) {
        const QString sql = QString::fromUtf8(c.sql);
        EXPECT_EQ(withIndexablePrefixMatches(sql).toStdString(), c.expected ? std::string(c.expected) : sql.toStdString())
            << c.sql;
    }
}

TEST(PostgresLikePrefix, OnlyAOneRowReadByPlainEqualitiesIsLocked)
{
    const struct
    {
        const char *sql;
        bool locked;
    } cases[] = {
        {" Select *  From  P_User  Where UserCode = '51''01'", true},
        {"Select UserCode, UserName From p_User Where UserCode = '1' And OrgCode = 'A';", true},
        {"Select Count(UserCode) From P_User Where UserCode = '1'", false},
        {"Select * From p_User, P_YLFWDW Where p_User.OrgCode = P_YLFWDW.OrgCode", false},
        {"Select * From p_User Where UserCode Like '1%'", false},
        {"Select * From p_User Where UserCode = '1' Or UserCode = '2'", false},
        {"Select * From p_User", false},
        {"Select * From p_User Where UserCode = '1' Order By UserCode", false},
    };
    for (const auto &c : cases) {
        const QString sql = QString::fromUtf8(c.sql);
        const QString sent = withRowLockOfOneRowRead(sql);
        EXPECT_EQ(sent.endsWith(QLatin1String(" FOR UPDATE")), c.locked) << c.sql;
        if (!c.locked)
            EXPECT_EQ(sent, sql);
    }
}
