// The prefix matches PostgreSQL gets a seekable condition for: which ones are
// rewritten, which are left as written. Their plans on a real server are in
// host_server_clients_test.cpp.
#include <gtest/gtest.h>

#include "PostgresLikePrefix.h"
#include "PostgresRowLock.h"

// What the host adds to a statement for PostgreSQL, each row through one of
// the two rewrites: the prefix condition an index serves, and the row lock.
TEST(PostgresLikePrefix, OnlyPlainPrefixMatchesAndPlainOneRowReadsAreRewritten)
{
    enum Rewrite { Prefix, RowLock };
    struct Case
    {
        Rewrite rewrite;
        const char *sql;
        const char *expected;  // nullptr: left as written
    };
    const Case cases[] = {
        {Prefix, "Select 1 From T Where InpPerCode Like '5101%'",
         "Select 1 From T Where (lower(InpPerCode::text) Like lower('5101%') And InpPerCode Like '5101%')"},
        {Prefix, "Select 1 From T Where A Like 'x%' Or t.B Like 'y%' Limit 1",
         "Select 1 From T Where (lower(A::text) Like lower('x%') And A Like 'x%') Or "
         "(lower(t.B::text) Like lower('y%') And t.B Like 'y%') Limit 1"},
        {Prefix, "Select * From (Select 1 From T Where \"A\" Like 'ab%c') x",
         "Select * From (Select 1 From T Where (lower(\"A\"::text) Like lower('ab%c') And \"A\" Like 'ab%c')) x"},
        // no fixed first character, a one-character wildcard, an escape, non-ASCII
        {Prefix, "Select 1 From T Where A Like '%5101'", nullptr},
        {Prefix, "Select 1 From T Where A Like '51_1%'", nullptr},
        {Prefix, "Select 1 From T Where A Like '51\\%'", nullptr},
        {Prefix, "Select 1 From T Where A Like '张%'", nullptr},
        // not a plain column, or not a plain literal, or part of a larger expression
        {Prefix, "Select 1 From T Where A || B Like '5%'", nullptr},
        {Prefix, "Select 1 From T Where A Not Like '5%'", nullptr},
        {Prefix, "Select 1 From T Where A Like '5%' || B", nullptr},
        {Prefix, "Select 1 From T Where A Like E'5%'", nullptr},
        {Prefix, "Select 1 From T Where A Like '5%' Escape '!'", nullptr},
        // text inside literals and comments is no statement
        {Prefix, "Select 'Where A Like ''5%''' -- Where A Like '5%'\n", nullptr},
        {Prefix, "Select 1 /* Where A Like '5%' */", nullptr},
        // one table read by plain equalities is locked; anything more is not
        {RowLock, " Select *  From  P_User  Where UserCode = '51''01'",
         "Select *  From  P_User  Where UserCode = '51''01' FOR UPDATE"},
        {RowLock, "Select UserCode, UserName From p_User Where UserCode = '1' And OrgCode = 'A';",
         "Select UserCode, UserName From p_User Where UserCode = '1' And OrgCode = 'A' FOR UPDATE"},
        {RowLock, "Select Count(UserCode) From P_User Where UserCode = '1'", nullptr},
        {RowLock, "Select * From p_User, P_YLFWDW Where p_User.OrgCode = P_YLFWDW.OrgCode", nullptr},
        {RowLock, "Select * From p_User Where UserCode Like '1%'", nullptr},
        {RowLock, "Select * From p_User Where UserCode = '1' Or UserCode = '2'", nullptr},
        {RowLock, "Select * From p_User", nullptr},
        {RowLock, "Select * From p_User Where UserCode = '1' Order By UserCode", nullptr},
    };
    for (const Case &c : cases) {
        const QString sql = QString::fromUtf8(c.sql);
        const QString sent = c.rewrite == Prefix ? withIndexablePrefixMatches(sql) : withRowLockOfOneRowRead(sql);
        EXPECT_EQ(sent.toStdString(), c.expected ? std::string(c.expected) : sql.toStdString()) << c.sql;
    }
}
