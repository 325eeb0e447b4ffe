#pragma once

#include <QString>

// Rewrites the few SQL Server constructs the module sends so that SQLite can run
// them. The module speaks T-SQL to every database; making that text run on an
// embedded engine is the host's business, so the rewriting lives here and
// nowhere else.
//
// It works on tokens: string literals, [bracketed] and "quoted" names and
// comments are copied unchanged. What it changes:
//   - table hints "With(RowLock)", "With (NoLock, UpdLock)"... are dropped;
//   - Isnull( becomes ifnull(; an N'..' prefix is dropped;
//   - a "+" chain holding a string literal or char(...) becomes a "||" chain;
//   - "Select [Distinct] Top n ..." becomes "Select ... Limit n"; a branch of a
//     Union/Except/Intersect is wrapped as "Select * From (... Limit n)" so the
//     limit stays its own;
//   - "Delete <table> Where" gets its "From";
//   - statements that follow each other without ";" (SQL Server runs
//     "Insert ... Insert ..." as two statements) are separated by ";".
// Anything it does not recognise passes through as written.
QString translateTsqlToSqlite(const QString &tsql);

// The same translation without the quick look for texts that need none: always
// tokenises. The reference the quick look is tested against.
QString translateTsqlToSqliteByTokens(const QString &tsql);
