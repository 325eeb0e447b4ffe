#pragma once

#include <QString>
#include <QStringList>

// The pieces of an SQL text that a translation must keep, in order.
struct SqlPieces
{
    QStringList literals;  // the values of '..' literals, quotes undoubled
    QStringList names;     // [bracketed] and "quoted" names as written
    QStringList comments;  // -- and /* */ comments as written
};

// Reads an SQL text the way the T-SQL tokeniser does (block comments nest, a
// doubled closing character stands for itself); a piece the text ends in
// counts with what it holds.
SqlPieces scanSqlPieces(const QString &sql);
