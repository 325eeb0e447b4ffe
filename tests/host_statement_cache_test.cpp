// Write statements run through kept prepared statements with their literals
// bound: the values stored must be exactly those written in the text, and
// anything that does not fit that form must run the ordinary way.
#include <gtest/gtest.h>

#include <QStringList>

#include <memory>
#include <sqlite3.h>

#include "LumoError.h"
#include "SqliteStatementCache.h"

namespace {

std::string shapeOf(const char *sql)
{
    const auto p = parameteriseLiterals(QByteArray(sql));
    return p ? p->shape.toStdString() : std::string("<none>");
}

TEST(ParameteriseLiterals, TakesOutEveryLiteralAndUndoublesItsQuotes)
{
    const QByteArray sql(" Update p_User  Set UserName = 'O''Brien',  Spell = '', Grade = 3 Where UserCode = '01'");
    const auto p = parameteriseLiterals(sql);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->shape.toStdString(), " Update p_User  Set UserName = ?,  Spell = ?, Grade = 3 Where UserCode = ?");
    ASSERT_EQ(p->values.size(), 3u);
    EXPECT_EQ(p->values[0].toStdString(), "O'Brien");
    EXPECT_EQ(p->values[1].toStdString(), "");
    EXPECT_EQ(p->values[2].toStdString(), "01");

    const QByteArray chineseSql = QStringLiteral("insert into t values ('张''三', '李四')").toUtf8();
    const auto chinese = parameteriseLiterals(chineseSql);
    ASSERT_TRUE(chinese);
    EXPECT_EQ(QString::fromUtf8(chinese->values.at(0)), QStringLiteral("张'三"));
    EXPECT_EQ(QString::fromUtf8(chinese->values.at(1)), QStringLiteral("李四"));
}

TEST(ParameteriseLiterals, LeavesQuotesInNamesAndCommentsAlone)
{
    EXPECT_EQ(shapeOf("Insert Into \"it's\" ([a'b], `c'd`) Values ('v') -- don't\n"),
              "Insert Into \"it's\" ([a'b], `c'd`) Values (?) -- don't\n");
    EXPECT_EQ(shapeOf("Delete From t /* it's */ Where a = 'x'"), "Delete From t /* it's */ Where a = ?");
    EXPECT_EQ(shapeOf("REPLACE INTO t VALUES (1)"), "REPLACE INTO t VALUES (1)");
}

TEST(ParameteriseLiterals, RefusesWhatItCannotBindSafely)
{
    for (const char *sql : {"Select * From t Where a = 'x'", "Create Table t (a text default 'x')", "PRAGMA x = 'y'",
                            "Insert Into t Values ('a'); Insert Into t Values ('b')", "Insert Into t Values (?)",
                            "Insert Into t Values (:a)", "Insert Into t Values (@a)", "Insert Into t Values ($a)",
                            "Insert Into t Values (x'00')", "Insert Into t Values ('open", "Insert Into t /* open",
                            "Insert Into [open Values ('a')", "Inserted Into t Values ('a')", ""})
        EXPECT_FALSE(parameteriseLiterals(QByteArray(sql))) << sql;
}

class StatementCacheTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        sqlite3 *raw = nullptr;
        ASSERT_EQ(sqlite3_open(":memory:", &raw), SQLITE_OK);
        db.reset(raw);
        exec("CREATE TABLE t (k text PRIMARY KEY, v text, n integer)");
    }

    void exec(const char *sql)
    {
        ASSERT_EQ(sqlite3_exec(db.get(), sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db.get());
    }

    bool run(SqliteStatementCache &cache, const QString &sql)
    {
        return cache.tryExecute(db.get(), sql.toUtf8(), QStringLiteral("测试库"));
    }

    QString value(const char *sql)
    {
        sqlite3_stmt *statement = nullptr;
        sqlite3_prepare_v2(db.get(), sql, -1, &statement, nullptr);
        QString result = QStringLiteral("<none>");
        if (sqlite3_step(statement) == SQLITE_ROW) {
            result = sqlite3_column_type(statement, 0) == SQLITE_NULL
                ? QStringLiteral("<null>")
                : QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, 0)));
        }
        sqlite3_finalize(statement);
        return result;
    }

    // The prepared statements open on the connection, their texts sorted.
    QStringList openStatements()
    {
        QStringList texts;
        for (sqlite3_stmt *s = sqlite3_next_stmt(db.get(), nullptr); s; s = sqlite3_next_stmt(db.get(), s))
            texts << QString::fromUtf8(sqlite3_sql(s));
        texts.sort();
        return texts;
    }

    struct Closer
    {
        void operator()(sqlite3 *d) const { sqlite3_close_v2(d); }
    };
    std::unique_ptr<sqlite3, Closer> db;
};

TEST_F(StatementCacheTest, StoresExactlyTheWrittenValuesThroughOneStatement)
{
    SqliteStatementCache cache;
    EXPECT_TRUE(run(cache, QStringLiteral("Insert Into t (k, v, n) Values ('a', '张''三', 1)")));
    EXPECT_TRUE(run(cache, QStringLiteral("Insert Into t (k, v, n) Values ('b', '', 1)")));
    EXPECT_TRUE(run(cache, QStringLiteral("Insert Into t (k, v, n) Values ('c', '0012', 1)")));
    EXPECT_TRUE(run(cache, QStringLiteral("Update t Set v = 'x' Where k = 'a'")));
    EXPECT_TRUE(run(cache, QStringLiteral("Update t Set v = 'y' Where k = 'c'")));

    EXPECT_EQ(value("SELECT v FROM t WHERE k = 'a'"), QStringLiteral("x"));
    EXPECT_EQ(value("SELECT v FROM t WHERE k = 'b'"), QString());  // empty, not NULL
    EXPECT_EQ(value("SELECT typeof(v) FROM t WHERE k = 'b'"), QStringLiteral("text"));
    EXPECT_EQ(value("SELECT v FROM t WHERE k = 'c'"), QStringLiteral("y"));
    EXPECT_EQ(openStatements(), (QStringList{QStringLiteral("Insert Into t (k, v, n) Values (?, ?, 1)"),
                                             QStringLiteral("Update t Set v = ? Where k = ?")}));
    // A text literal in an integer column takes the column's type as the literal would.
    EXPECT_TRUE(run(cache, QStringLiteral("Insert Into t (k, v, n) Values ('d', 'z', '7')")));
    EXPECT_EQ(value("SELECT typeof(n) FROM t WHERE k = 'd'"), QStringLiteral("integer"));
}

TEST_F(StatementCacheTest, ALiteralStandingForANameRunsNothingAndIsLeftToTheCaller)
{
    SqliteStatementCache cache;
    EXPECT_FALSE(run(cache, QStringLiteral("Insert Into 't' (k) Values ('a')")));
    EXPECT_FALSE(run(cache, QStringLiteral("Select 1")));
    EXPECT_EQ(value("SELECT count(*) FROM t"), QStringLiteral("0"));
    EXPECT_TRUE(openStatements().isEmpty());
}

TEST_F(StatementCacheTest, AFailedRunRaisesWithItsValuesAndLeavesTheStatementReusable)
{
    SqliteStatementCache cache;
    exec("BEGIN");
    EXPECT_TRUE(run(cache, QStringLiteral("Insert Into t (k, v) Values ('a', '1')")));
    try {
        run(cache, QStringLiteral("Insert Into t (k, v) Values ('a', '2')"));
        FAIL() << "a duplicate key must raise";
    } catch (const data::LumoError &e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("UNIQUE"))) << e.message().toStdString();
        EXPECT_TRUE(e.message().contains(QStringLiteral("Values ('a', '2')"))) << e.message().toStdString();
        EXPECT_TRUE(e.message().contains(QStringLiteral("测试库")));
    }
    EXPECT_TRUE(run(cache, QStringLiteral("Insert Into t (k, v) Values ('b', '3')")));
    // Nothing is left running: the transaction ends and rolls back whole.
    exec("ROLLBACK");
    EXPECT_EQ(value("SELECT count(*) FROM t"), QStringLiteral("0"));
}

TEST_F(StatementCacheTest, KeepsTheMostRecentlyUsedShapes)
{
    SqliteStatementCache cache(2);
    run(cache, QStringLiteral("Insert Into t (k) Values ('a')"));
    run(cache, QStringLiteral("Update t Set v = 'x' Where k = 'a'"));
    run(cache, QStringLiteral("Insert Into t (k) Values ('b')"));  // the insert is used again
    run(cache, QStringLiteral("Delete From t Where k = 'b'"));     // the update goes
    EXPECT_EQ(openStatements(), (QStringList{QStringLiteral("Delete From t Where k = ?"),
                                             QStringLiteral("Insert Into t (k) Values (?)")}));
    cache.clear();
    EXPECT_TRUE(openStatements().isEmpty());
    EXPECT_EQ(value("SELECT group_concat(k || '=' || ifnull(v, '-')) FROM t"), QStringLiteral("a=x"));
}

} // namespace
