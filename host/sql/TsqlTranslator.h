#pragma once

#include <QString>

// Rewrites the few SQL Server constructs the module sends so that another
// engine can run them. The module speaks T-SQL to every database; making that
// text run elsewhere is the host's business, so the rewriting lives here and
// nowhere else.
//
// It works on tokens: string literals, [bracketed] and "quoted" names and
// comments are copied unchanged. What it changes:
//   - table hints "With(RowLock)", "With (NoLock, UpdLock)"... are dropped;
//   - Isnull( becomes ifnull(; an N'..' prefix is dropped; a binary literal
//     0x... is written the target's way (SQLite X'...', PostgreSQL decode('...', 'hex'));
//   - a "+" chain holding a string literal, an N'..' literal, char(...) or a
//     binary literal (0x..., or X'...' as SQLite writes it: bytes joined to a
//     text make a text on SQL Server) becomes a "||" chain, and its runs of
//     constants (literals and char(n) with a constant n) become one literal,
//     so that a text with many line breaks does not grow the expression's depth;
//   - "Select [Distinct] Top n ..." becomes "Select ... Limit n"; a branch of a
//     Union/Except/Intersect is wrapped as "Select * From (... Limit n)" so the
//     limit stays its own. A select whose rest is no T-SQL (a parenthesis
//     without its pair, a second Select of its level) keeps its Top;
//   - "Delete <table> Where" gets its "From";
//   - statements that follow each other without ";" (SQL Server runs
//     "Insert ... Insert ..." as two statements) are separated by ";";
//   - a literal holding U+0000, which SQLite's tokeniser takes for the end of
//     the text, is written replace('a?b', '?', char(0)) with a character '?'
//     the value does not hold, so it stores the same value whether the
//     statement is prepared as written or with its literals bound, and the
//     expression's depth does not grow with the number of U+0000.
// Anything it does not recognise passes through as written. Translating a
// translation changes nothing, whatever the text, valid T-SQL or not.

// The engines the module's text is translated for. The rules above hold for
// each; where an engine spells a thing its own way (a function's name, how a
// constant text is written) the translator asks the target.
//
// PostgreSQL spells a few of these its own way: Isnull( becomes coalesce(, a
// char(n) left after the chains becomes chr(n), and a limited branch of a
// compound select is put in parentheses "(Select ... Limit n)".
enum class TsqlTarget { Sqlite, PostgreSql };

QString translateTsql(const QString &tsql, TsqlTarget target);

// The same translation without the quick look for texts that need none: always
// tokenises. The reference the quick look is tested against.
QString translateTsqlByTokens(const QString &tsql, TsqlTarget target);

inline QString translateTsqlToSqlite(const QString &tsql)
{
    return translateTsql(tsql, TsqlTarget::Sqlite);
}

inline QString translateTsqlToSqliteByTokens(const QString &tsql)
{
    return translateTsqlByTokens(tsql, TsqlTarget::Sqlite);
}
