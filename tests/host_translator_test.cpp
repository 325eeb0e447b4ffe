// The T-SQL to SQLite rewriting: exact texts for what the module sends, the
// tokens it must leave alone, and random token streams.
#include <gtest/gtest.h>

#include <QString>
#include <QStringList>

#include <random>
#include <sqlite3.h>

#include "ModuleSqlTexts.h"
#include "SqliteSession.h"
#include "TempDatabases.h"
#include "SqlTextScan.h"
#include "TsqlTranslator.h"

namespace {

struct Case
{
    const char *name;
    QString tsql;
    QString sqlite;
};

void PrintTo(const Case &c, std::ostream *os)
{
    *os << c.name;
}

class TranslatorText : public ::testing::TestWithParam<Case>
{
};

TEST_P(TranslatorText, GivesExactSqliteText)
{
    const Case &c = GetParam();
    EXPECT_EQ(translateTsqlToSqlite(c.tsql).toStdString(), c.sqlite.toStdString());
}

// Every statement form the module sends, built the way the module builds it.
std::vector<Case> moduleStatements()
{
    using namespace ModuleSql;
    std::vector<Case> cases;
    cases.push_back({"area tree: Isnull and + on text",
                     areaTree(QStringLiteral("341621")),
                     QStringLiteral("  Select ifnull(RCMSAreaCode,AreaCode) As AreaCode, AreaCode As StaAreaCode,  '[' || AreaCode || '] ' || AreaName As AreaName, ParentAreaCode as PAreaCode   From p_XzQh Where ParentAreaCode Like '341621%' Or AreaCode = '341621'")});
    cases.push_back({"user list join", userList(QStringLiteral("341621101")), userList(QStringLiteral("341621101"))});
    cases.push_back({"organisations", organisations(), organisations()});
    cases.push_back({"area mapping", hrAreaOfRcms(QStringLiteral("41000101")), hrAreaOfRcms(QStringLiteral("41000101"))});
    cases.push_back({"delete without From",
                     deleteUser(QStringLiteral("O'Neil")),
                     QStringLiteral("Delete From P_User Where UserCode = 'O''Neil'")});
    cases.push_back({"sync insert", syncInsert({QStringLiteral("u1"), QStringLiteral("A'B"), QStringLiteral("AB"),
                                                QStringLiteral("CD"), QStringLiteral("3"), QStringLiteral("O1"),
                                                QStringLiteral("x"), QStringLiteral("p")}),
                     syncInsert({QStringLiteral("u1"), QStringLiteral("A'B"), QStringLiteral("AB"), QStringLiteral("CD"),
                                 QStringLiteral("3"), QStringLiteral("O1"), QStringLiteral("x"), QStringLiteral("p")})});
    const SyncUser u{QStringLiteral("u1"), QStringLiteral("n"), QStringLiteral("s"), QStringLiteral("f"),
                     QStringLiteral("g"), QStringLiteral("o"), QStringLiteral("c"), QStringLiteral("p")};
    cases.push_back({"sync update", syncUpdate(u), syncUpdate(u)});
    cases.push_back({"dialog insert with hint and line breaks",
                     builderInsert(QStringLiteral(" P_User "),
                                   {QStringLiteral("UserCode"), QStringLiteral("ContactType"), QStringLiteral("Grade")},
                                   {QStringLiteral("'34162110100001'"), builderText(QStringLiteral("a\r\nb")),
                                    QStringLiteral("Null")}),
                     QStringLiteral(" Insert Into P_User  (  UserCode , ContactType , Grade ) Values (  '34162110100001' , 'a\r\nb' , Null)  ")});
    cases.push_back({"dialog update with hint",
                     userUpdate(QStringLiteral(" P_User "), {QStringLiteral("UserCode"), QStringLiteral("UserName")},
                                {QStringLiteral("'c1'"), QStringLiteral("'n'")}, QStringLiteral("c1")),
                     QStringLiteral(" UpDate P_User  Set UserCode = 'c1' , UserName = 'n'   Where 1 = 1  And UserCode = 'c1'  ")});
    cases.push_back({"new key search",
                     newKey(QStringLiteral("T1"), QStringLiteral("K"), QStringLiteral("20240105093015123"),
                            QStringLiteral("A01")),
                     QStringLiteral(" Select Max(K) as ID  From T1   Where K Like '20240105093015123%' And  OrgCode = 'A01'")});
    cases.push_back({"parameter", paramValue(QStringLiteral("yptyml")), paramValue(QStringLiteral("yptyml"))});
    cases.push_back({"search time", searchTime(), searchTime()});
    cases.push_back({"search time repair", searchTimeRepair(), searchTimeRepair()});
    cases.push_back({"dictionary items", dictionaryItems(5), dictionaryItems(5)});
    cases.push_back({"empty dictionary", dictionaryItems(99999), dictionaryItems(99999)});
    cases.push_back({"whole dictionary", wholeDictionary(), wholeDictionary()});
    cases.push_back({"duplicate count", duplicateCount(QStringLiteral("c1")), duplicateCount(QStringLiteral("c1"))});
    cases.push_back({"detail delete", detailDelete(QStringLiteral("T2"), QStringLiteral("MKey"), QStringLiteral("k")),
                     detailDelete(QStringLiteral("T2"), QStringLiteral("MKey"), QStringLiteral("k"))});
    return cases;
}
INSTANTIATE_TEST_SUITE_P(ModuleStatements, TranslatorText, ::testing::ValuesIn(moduleStatements()));

std::vector<Case> otherForms()
{
    std::vector<Case> cases;
    auto add = [&](const char *name, const char *in, const char *out) {
        cases.push_back({name, QString::fromUtf8(in), QString::fromUtf8(out)});
    };
    add("hint list, blank before paren, any case", "Select * From T wITh ( NoLock , UPDLOCK ) Where a = 1",
        "Select * From T  Where a = 1");
    add("hint after alias", "Select a.x From Tab a With(NoLock) Join U b With (RowLock) On a.k = b.k",
        "Select a.x From Tab a  Join U b  On a.k = b.k");
    add("hint on update", "Update T With(RowLock) Set a = 1", "Update T  Set a = 1");
    add("With as a column alias stays", "Select 1 As With From T", "Select 1 As With From T");
    add("With of a common table expression stays", "With x (a) As (Select 1) Select a From x",
        "With x (a) As (Select 1) Select a From x");
    add("With ( not a hint ) stays", "Select * From T With (Foo)", "Select * From T With (Foo)");
    add("index hints by name or number go", "Select * From T With (NoLock, Index(ix, 2), Index = [i])",
        "Select * From T ");
    add("an index hint holding a literal is no hint", "Select * From T With (Index('x'))",
        "Select * From T With (Index('x'))");
    add("Isnull in any case with blank", "Select ISNULL (a, 0) From T", "Select ifnull (a, 0) From T");
    add("Is Null stays", "Select a From T Where a Is Null", "Select a From T Where a Is Null");
    add("plus between numbers stays", "Select a + 1, 2 + 3 From T", "Select a + 1, 2 + 3 From T");
    add("plus between columns stays", "Select a + b From T", "Select a + b From T");
    add("plus with char() is text", "Select a + char(9) + b From T", "Select a || char(9) || b From T");
    add("plus in parentheses", "Select ('x' + a) + b, (1 + 2) + c From T", "Select ('x' || a) || b, (1 + 2) + c From T");
    add("plus inside function arguments", "Select upper('x' + a) From T", "Select upper('x' || a) From T");
    add("plus with qualified and bracketed names", "Select '[' + T.[Area Code] + ']' From T",
        "Select '[' || T.[Area Code] || ']' From T");
    add("N prefix dropped", "Select N'中文' + a From T", "Select '中文' || a From T");
    add("plus before an N literal is text", "Select UserName + N'先生' From T", "Select UserName || '先生' From T");
    add("N literal right after a literal stays a literal of its own", "Select 'a'N'b' From T",
        "Select 'a' 'b' From T");
    add("constants fold into one literal", "Select 'a'+char(13)+char(10)+'b' From T", "Select 'a\r\nb' From T");
    add("N literals and nchar fold", "Select N'a' + nchar(9) + N'b' + x From T", "Select 'a\tb' || x From T");
    add("folding stops at a value", "Select 'a' + char(13) + x + 'b' + char(10) From T",
        "Select 'a\r' || x || 'b\n' From T");
    add("char beyond ASCII, char(0) and char of a value stay", "Select 'a' + char(200) + char(0) + char(n) From T",
        "Select 'a' || char(200) || char(0) || char(n) From T");
    add("folded quotes are doubled", "Select 'it''s' + char(39) From T", "Select 'it''s''' From T");
    add("a comment ends a run and stays", "Select 'a' /* c */ + 'b' + 'c' From T", "Select 'a' /* c */ || 'bc' From T");
    add("a signed first operand is not folded", "Select -'1' + '2' From T", "Select -'1' || '2' From T");
    add("binary literals become blobs", "Update T Set p = 0xFFd8, q = 0x, n = 0x1 Where k = 1",
        "Update T Set p = X'FFd8', q = X'', n = 0x1 Where k = 1");
    add("plus next to a binary literal joins bytes and text", "Select 0x01 + UserCode, a + 0x + 0x02 From p_User",
        "Select X'01' || UserCode, a || X'' || X'02' From p_User");
    add("a literal after a binary literal stays its own", "Select 0x01'b' From T", "Select X'01' 'b' From T");
    add("a fold after a word stays apart from it", "Select x'a' + 'b' From T", "Select x 'ab' From T");
    add("hints one after another all go", "Select * From T With(NoLock)With (RowLock) Where a = 1",
        "Select * From T  Where a = 1");
    add("Top alone becomes Limit", "Select Top 10 * From T Where a = 1 Order By b",
        "Select * From T Where a = 1 Order By b Limit 10");
    add("Top in parentheses, Distinct", "Select Distinct Top (3) a From T", "Select Distinct a From T Limit 3");
    add("Top in a subquery", "Select * From (Select Top 1 a From T) x",
        "Select * From (Select a From T Limit 1) x");
    add("Top in an In list", "Select a From T Where k In (Select Top 2 k From U Order By k)",
        "Select a From T Where k In (Select k From U Order By k Limit 2)");
    add("Top in Union branches keeps its own limit",
        "Select Top 1 a From T Union All Select Top 2 b From U Union Select c From V",
        "Select * From (Select a From T Limit 1) Union All Select * From (Select b From U Limit 2) Union Select c From V");
    add("Order By after the last branch sorts the union",
        "Select a From T Union All Select Top 2 b From U Order By 1",
        "Select a From T Union All Select * From (Select b From U Limit 2) Order By 1");
    add("Top Percent is left alone", "Select Top 10 Percent a From T", "Select Top 10 Percent a From T");
    add("Top inside a string literal stays", "Select 'Select Top 1 x' From T", "Select 'Select Top 1 x' From T");
    add("Top inside a comment stays", "Select a From T -- Select Top 1 'x' + With(RowLock)",
        "Select a From T -- Select Top 1 'x' + With(RowLock)");
    add("block comment stays", "Select /* Isnull( 'a' + b */ a From T", "Select /* Isnull( 'a' + b */ a From T");
    add("bracketed names stay", "Select [Top], [a+b], [With(RowLock)] From [Delete]",
        "Select [Top], [a+b], [With(RowLock)] From [Delete]");
    add("quoted literal with doubled quote and plus", "Select 'it''s + ' + a From T", "Select 'it''s + ' || a From T");
    add("Delete with From stays", "Delete From T Where a = 1", "Delete From T Where a = 1");
    add("statements without semicolons are separated",
        " Insert Into T (a) Values ('x')  Update T Set a = 'y' Delete T Where a = 'z'",
        " Insert Into T (a) Values ('x');  Update T Set a = 'y'; Delete From T Where a = 'z'");
    add("Insert ... Select is one statement", "Insert Into T (a) Select a From U", "Insert Into T (a) Select a From U");
    add("semicolons kept", "Delete T Where a = 1; Delete U", "Delete From T Where a = 1; Delete From U");
    add("trigger bodies are not split",
        "Create Trigger tr After Insert On T Begin Update U Set n = n + 1; End",
        "Create Trigger tr After Insert On T Begin Update U Set n = n + 1; End");
    add("empty text", "", "");
    add("unterminated literal", "Select 'abc + With(RowLock)", "Select 'abc + With(RowLock)");
    return cases;
}
INSTANTIATE_TEST_SUITE_P(OtherForms, TranslatorText, ::testing::ValuesIn(otherForms()));

// Words the quick look and the tokens must read alike: what the quick look
// lets through unchanged is what the token pass leaves unchanged, and a
// translation translated again stays as it is.
TEST(TranslatorReading, QuickLookAndTokensAgreeAndASecondPassChangesNothing)
{
    const QStringList texts = {
        QStringLiteral("Select $isnull(a) From T"), QStringLiteral("Select ²isnull(a) From T"),
        QStringLiteral("$delete T"), QStringLiteral("Select 1$top 2 From T"),
        QStringLiteral("Select a From T ²with(nolock)"), QStringLiteral("Select a From T $N'x'"),
        QStringLiteral("Select ISNULL(a, 0) From T"),
        QStringLiteral("Select a From T With(RowLoc\u212A)"),  // a Kelvin sign is no k
        QStringLiteral("Select 'a'N'b' From T"), QStringLiteral("Select 'a' + char(13) + N'b' From T"),
        QStringLiteral("Insert Into T Values ('x' + 'y') Insert Into T Values ('z')"),
        QStringLiteral("Select Top 2 Top 1 a From T"), QStringLiteral("Select Top 2 Distinct Top 1 a From T"),
        // Quotes in names and comments start no literal: what follows them is read.
        QStringLiteral("Insert Into [a'b] Values (1) Delete T /* ' */"),
        QStringLiteral("Update T Set a = 'it''s top' /* ' */ Delete T Where b = ''"),
        QStringLiteral("Update T Set a = 1 -- it's\nDelete T Where b = 2 -- '"),
        QStringLiteral("Insert Into \"it's\" Values (1) Select Top 1 a From \"T'\""),
    };
    for (const QString &text : texts) {
        const QString out = translateTsqlToSqlite(text);
        EXPECT_EQ(out.toStdString(), translateTsqlToSqliteByTokens(text).toStdString()) << text.toStdString();
        EXPECT_EQ(translateTsqlToSqliteByTokens(out).toStdString(), out.toStdString()) << text.toStdString();
    }
}

// Texts, valid T-SQL or not, whose translation a second pass once changed:
// for every target the translation of the translation is the translation.
TEST(TranslatorSecondPass, ChangesNothing)
{
    const QString nul(QChar(0));
    const QString inputs[] = {
        QStringLiteral("Select 0x01 + UserCode From p_User"), QStringLiteral("Select a + x'0A' From T"),
        QStringLiteral("Select a + x'a' + 'b' From T"), QStringLiteral("Select 0x01'b' + c From T"),
        QStringLiteral("Select Top 1 Select Top 1"), QStringLiteral("Union Select Top 1)+char("),
        QStringLiteral("Select Top 1 a + (b Union Select 'x'"),
        // a branch, and a last branch sorted, before a Select of its level
        QStringLiteral("Select 1 Union All Select Top 1 a From T WUnion All Select Top 1 b From U Union "
                       "All Select c From V"),
        QStringLiteral("Select a From T Union All Select Top 2 b From U Order By 1 Select Top 2 c"),
        QStringLiteral("e With(NoLock)With(NoLock)"), QStringLiteral("U With(RowLock)+'"),
        QStringLiteral("UpDate P_User With(RowLock) Set Spell = 'a") + nul + nul + nul
            + QStringLiteral("b' Union All Select Top 1 'u' From T Where c*10)+'y'"),
        QStringLiteral("Select X'") + nul + QStringLiteral("' + b"),
    };
    for (const QString &tsql : inputs) {
        for (const TsqlTarget target : {TsqlTarget::Sqlite, TsqlTarget::PostgreSql}) {
            SCOPED_TRACE(tsql.toStdString() + " for target " + std::to_string(int(target)));
            const QString out = translateTsql(tsql, target);
            EXPECT_EQ(translateTsql(out, target).toStdString(), out.toStdString());
            EXPECT_EQ(translateTsqlByTokens(tsql, target).toStdString(), out.toStdString());
        }
    }
}

// SQLite's tokeniser ends a literal at U+0000: such a literal is written with
// a character it does not hold in place of U+0000, which replace() turns back,
// in a chain or on its own, and reads back as the same text.
TEST(TranslatorNul, LiteralsHoldingNulAreWrittenWithReplace)
{
    const QString nul(QChar(0));
    const struct
    {
        QString tsql;
        QString sqlite;
    } cases[] = {
        {QStringLiteral("Select 'a") + nul + QStringLiteral("b'"),
         QStringLiteral("Select replace('a\u0001b', '\u0001', char(0))")},
        {QStringLiteral("Select N'") + nul + QStringLiteral("''' + char(13) + x"),
         QStringLiteral("Select replace('\u0001''\r', '\u0001', char(0)) || x")},
        {QStringLiteral("Select '\u0001\u0002''") + nul + QStringLiteral("'"),
         QStringLiteral("Select replace('\u0001\u0002''\u0003', '\u0003', char(0))")},
        {QStringLiteral("Select X'") + nul + QStringLiteral("'"),
         QStringLiteral("Select X replace('\u0001', '\u0001', char(0))")},
    };
    for (const auto &c : cases) {
        const QString out = translateTsqlToSqlite(c.tsql);
        EXPECT_EQ(out.toStdString(), c.sqlite.toStdString());
        EXPECT_EQ(translateTsqlToSqlite(out).toStdString(), out.toStdString());
    }
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
    sqlite3_stmt *stmt = nullptr;
    const QByteArray sql = translateTsqlToSqlite(cases[0].tsql).toUtf8();
    ASSERT_EQ(sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &stmt, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(stmt), SQLITE_ROW);
    EXPECT_EQ(QByteArray(static_cast<const char *>(sqlite3_column_blob(stmt, 0)), sqlite3_column_bytes(stmt, 0)),
              QByteArray("a\0b", 3));
    sqlite3_finalize(stmt);
    sqlite3_close(db);
}

// A value of thousands of U+0000 stores and reads back whole through a real
// session, the statement bound or run as written: its translation is one
// replace(), where a join per U+0000 exceeded SQLite's expression depth.
TEST(TranslatorNul, LongRunsOfNulStoreWhole)
{
    TempDatabases files;
    SqliteSession session(files.hrFile(), files.rcmsFile());
    const QString insert = QStringLiteral("Insert Into p_User (UserCode, ContactType) Values ('%1', N'%2')");
    QStringList values;
    for (const int count : {500, 5000}) {
        const QString code = "n" + QString::number(values.size());
        const QString value = "甲'" + QString(count, QChar(0)) + "乙" + QChar(0);
        const QString quoted = QString(value).replace("'", "''");
        EXPECT_TRUE(session.ExecHrSql(insert.arg(code, quoted)));
        EXPECT_TRUE(session.ExecHrSql(insert.arg(code + "a", quoted) + " " + insert.arg(code + "b", quoted)));
        values << value << value << value;
    }
    const data::DataPacket rows =
        session.OpenHrData(QStringLiteral("Select ContactType From p_User Where UserCode Like 'n%' Order By UserCode"));
    ASSERT_EQ(rows.rows.size(), values.size());
    for (int i = 0; i < values.size(); ++i)
        EXPECT_EQ(rows.rows[i].at(0).toString().toUtf8(), values[i].toUtf8()) << i;
}

// The translated deletion check, which the Parts build with 32 Top branches.
TEST(TranslatorGuard, EveryBranchKeepsItsOwnLimit)
{
    const QString out = translateTsqlToSqlite(ModuleSql::guard(QStringLiteral("3416211010101")));
    EXPECT_FALSE(out.contains(QLatin1String("Top"), Qt::CaseInsensitive));
    EXPECT_EQ(out.count(QStringLiteral("Select * From (Select ")), 32);
    EXPECT_EQ(out.count(QStringLiteral(" Limit 1)")), 32);
    EXPECT_TRUE(out.startsWith(QStringLiteral(
        "Select Count(*) From (  Select * From (Select 'UserCode' As TOrgCode From TDict_DoctList    Where InpPerCode Like '3416211010101%' Limit 1) Union All ")));
    EXPECT_TRUE(out.endsWith(QStringLiteral(
        "Select * From (Select 'UserCode' From TData_UserRight    Where InpPerCode Like '3416211010101%' Limit 1)) A ")));
    EXPECT_TRUE(out.contains(QStringLiteral(
        "Select * From (Select 'UserCode' From TData_PerBaseInfo    Where CreaRchPerCode Like '3416211010101%'     Or InpPerCode Like '3416211010101%' Limit 1)")));
}

// PostgreSQL: every statement the module sends reads as it does for SQLite but
// where the engines spell a thing differently (the session tests run them on
// the server).
TEST(TranslatorPostgres, ModuleStatementsDifferFromSqliteOnlyInSpelling)
{
    for (const Case &c : moduleStatements()) {
        QString expected = c.sqlite;
        expected.replace(QStringLiteral("ifnull("), QStringLiteral("coalesce("));
        const QString out = translateTsql(c.tsql, TsqlTarget::PostgreSql);
        EXPECT_EQ(out.toStdString(), expected.toStdString()) << c.name;
        EXPECT_EQ(translateTsql(out, TsqlTarget::PostgreSql).toStdString(), out.toStdString()) << c.name;
    }
    const QString guard = translateTsql(ModuleSql::guard(QStringLiteral("34'1")), TsqlTarget::PostgreSql);
    EXPECT_EQ(guard.count(QStringLiteral("(Select 'UserCode' ")), 32);
    EXPECT_FALSE(guard.contains(QLatin1String("Select * From")));
    EXPECT_TRUE(guard.startsWith(QStringLiteral(
        "Select Count(*) From (  (Select 'UserCode' As TOrgCode From TDict_DoctList    Where InpPerCode Like '34''1%' Limit 1) Union All ")));
    EXPECT_TRUE(guard.endsWith(QStringLiteral(
        "(Select 'UserCode' From TData_UserRight    Where InpPerCode Like '34''1%' Limit 1)) A ")));
}

TEST(TranslatorPostgres, CodeFunctionsAndNulAreSpelledChr)
{
    const QString nul(QChar(0));
    const struct
    {
        QString tsql;
        QString postgres;
    } cases[] = {
        {QStringLiteral("Select Name + char(13) + char(10) + 'x' From T"), QStringLiteral("Select Name || '\r\nx' From T")},
        {QStringLiteral("Select char(Code) + N'x', Cast(a As char(2)) From T"),
         QStringLiteral("Select chr(Code) || 'x', Cast(a As char(2)) From T")},
        {QStringLiteral("Select 'a") + nul + QStringLiteral("b'"),
         QStringLiteral("Select replace('a\u0001b', '\u0001', chr(0))")},
        {QStringLiteral("Select Isnull(a, 'b') From T With(NoLock)"), QStringLiteral("Select coalesce(a, 'b') From T ")},
    };
    for (const auto &c : cases)
        EXPECT_EQ(translateTsql(c.tsql, TsqlTarget::PostgreSql).toStdString(), c.postgres.toStdString());
}

// SQLite must accept every translated module statement (the tables exist in
// an in-memory database with the columns they name).
TEST(TranslatorGuard, TranslatedStatementsPrepareInSqlite)
{
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
    QString ddl = QStringLiteral(
        "CREATE TABLE p_User (UserCode, UserName, Spell, FiveStrokes, OrgCode, Grade, ContactType, PassWord);"
        "CREATE TABLE P_XZQH (AreaCode, AreaName, ParentAreaCode, RCMSAreaCode);"
        "CREATE TABLE P_YLFWDW (OrgCode, OrgName, AreaCode, StaAreaCode, Spell, FiveStrokes);"
        "CREATE TABLE T1 (K, OrgCode);");
    for (const QString &t : ModuleSql::guardTables())
        ddl += QStringLiteral("CREATE TABLE %1 (InpPerCode, CreaRchPerCode, CreaCardPerCode);").arg(t);
    ASSERT_EQ(sqlite3_exec(db, ddl.toUtf8().constData(), nullptr, nullptr, nullptr), SQLITE_OK);
    const QStringList statements = {
        ModuleSql::guard(QStringLiteral("u'1")),
        ModuleSql::areaTree(QStringLiteral("34")),
        ModuleSql::deleteUser(QStringLiteral("u")),
        ModuleSql::newKey(QStringLiteral("T1"), QStringLiteral("K"), QStringLiteral("20240105093015123"),
                          QStringLiteral("A")),
        ModuleSql::builderInsert(QStringLiteral("p_User"), {QStringLiteral("UserCode"), QStringLiteral("UserName")},
                                 {QStringLiteral("'a'"), ModuleSql::builderText(QStringLiteral("x\r\n\r\ny"))}),
        ModuleSql::userUpdate(QStringLiteral("p_User"), {QStringLiteral("UserCode"), QStringLiteral("Grade")},
                              {QStringLiteral("'a'"), QStringLiteral(" 5")}, QStringLiteral("a")),
    };
    for (const QString &s : statements) {
        const QByteArray sql = translateTsqlToSqlite(s).toUtf8();
        sqlite3_stmt *stmt = nullptr;
        const char *tail = nullptr;
        EXPECT_EQ(sqlite3_prepare_v2(db, sql.constData(), -1, &stmt, &tail), SQLITE_OK)
            << sqlite3_errmsg(db) << "\n" << sql.constData();
        EXPECT_TRUE(QByteArray(tail).trimmed().isEmpty()) << sql.constData();
        sqlite3_finalize(stmt);
    }
    sqlite3_close(db);
}

// Random token streams: the translator never crashes, every comment comes out
// byte for byte and in order, every literal's text in order, and a second pass
// changes nothing.
TEST(TranslatorFuzz, LiteralsSurviveRandomTokenStreams)
{
    std::mt19937 rng(12345);
    auto pick = [&rng](const QStringList &list) { return list.at(int(rng() % quint32(list.size()))); };
    const QStringList words = {
        QStringLiteral("Select"), QStringLiteral("Top"), QStringLiteral("1"), QStringLiteral("From"),
        QStringLiteral("Where"), QStringLiteral("Union"), QStringLiteral("All"), QStringLiteral("With"),
        QStringLiteral("(RowLock)"), QStringLiteral("Isnull"), QStringLiteral("("), QStringLiteral(")"),
        QStringLiteral("+"), QStringLiteral("-"), QStringLiteral(","), QStringLiteral("char(13)"),
        QStringLiteral("Delete"), QStringLiteral("Insert"), QStringLiteral("Update"), QStringLiteral("Into"),
        QStringLiteral("Values"), QStringLiteral("Set"), QStringLiteral("="), QStringLiteral("a"),
        QStringLiteral("T.b"), QStringLiteral("[x y]"), QStringLiteral("[a]]b]"), QStringLiteral("Order"),
        QStringLiteral("By"), QStringLiteral("Case"), QStringLiteral("End"), QStringLiteral("N"),
        QStringLiteral(";"), QStringLiteral("Null"), QStringLiteral("42"), QStringLiteral("用户"),
        QStringLiteral("Percent"), QStringLiteral("Distinct"), QStringLiteral("Topic"), QStringLiteral("deleted"),
        QStringLiteral("@Top"), QStringLiteral("isNULL"), QStringLiteral("nN"), QStringLiteral("Selected"),
        QStringLiteral("$isnull"), QStringLiteral("²Top"), QStringLiteral("$"), QStringLiteral("²"),
        QStringLiteral("nchar(10)"), QStringLiteral("N'x'"),
    };
    const QStringList literalParts = {
        QStringLiteral("Top 1"), QStringLiteral("''"), QStringLiteral("--"), QStringLiteral("/*"),
        QStringLiteral("*/"), QStringLiteral("+"), QStringLiteral("With(RowLock)"), QStringLiteral("管理员"),
        QStringLiteral("\r\n"), QStringLiteral(";"), QStringLiteral("Isnull("), QStringLiteral("["),
        QStringLiteral("\t"), QStringLiteral("x"),
    };
    const QStringList blanks = {QStringLiteral(" "), QStringLiteral("  "), QStringLiteral("\n"), QStringLiteral("")};

    for (int round = 0; round < 3000; ++round) {
        QString text;
        QStringList expected;  // comments, in order
        const int tokens = 1 + int(rng() % 40);
        for (int t = 0; t < tokens; ++t) {
            const quint32 kind = rng() % 10;
            QString token;
            if (kind < 2) {
                QString body;
                const int parts = int(rng() % 4);
                for (int p = 0; p < parts; ++p)
                    body += pick(literalParts);
                token = QLatin1Char('\'') + body + QLatin1Char('\'');
            } else if (kind == 2) {
                token = QStringLiteral("/* ") + pick(words) + QLatin1Char(' ') + pick(literalParts).remove(
                    QStringLiteral("*/")).remove(QStringLiteral("/*")) + QStringLiteral(" */");
                expected << token;
            } else {
                token = pick(words);
            }
            // A word right after a word needs a blank to stay two words.
            text += (text.isEmpty() ? QString() : (rng() % 3 ? QStringLiteral(" ") : pick(blanks))) + token;
        }
        if (rng() % 5 == 0) {
            const QString comment = QStringLiteral("-- ") + pick(words) + QStringLiteral(" '") + pick(words);
            text += QLatin1Char('\n') + comment;
            expected << comment;
        }

        const QString out = translateTsqlToSqlite(text);
        // Texts the quick look lets through untouched must be exactly what the
        // tokenising translation makes of them.
        ASSERT_EQ(out.toStdString(), translateTsqlToSqliteByTokens(text).toStdString()) << "in: " << text.toStdString();
        int from = 0;
        for (const QString &piece : expected) {
            const int at = out.indexOf(piece, from);
            ASSERT_GE(at, 0) << "lost " << piece.toStdString() << "\nin:  " << text.toStdString()
                             << "\nout: " << out.toStdString();
            from = at + int(piece.size());
        }
        // Literals may be folded together, never lost or reordered.
        const QString outValues = scanSqlPieces(out).literals.join(QString());
        from = 0;
        for (const QString &value : scanSqlPieces(text).literals) {
            const int at = outValues.indexOf(value, from);
            ASSERT_GE(at, 0) << "lost " << value.toStdString() << "\nin:  " << text.toStdString()
                             << "\nout: " << out.toStdString();
            from = at + int(value.size());
        }
        ASSERT_EQ(translateTsqlToSqlite(out).toStdString(), out.toStdString()) << "in: " << text.toStdString();
    }
}

} // namespace
