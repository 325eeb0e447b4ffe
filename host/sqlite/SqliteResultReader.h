#pragma once

#include <QVariant>

#include "ColumnStore.h"
#include "DataPacket.h"

class SqliteStatement;

// Turns the rows of a prepared statement into what the module expects: a data
// packet whose columns carry field types, and single values.
//
// A column's type comes from its declared type (sqlite3_column_decltype). An
// expression has none; its type follows the values (Count(*) is an Integer,
// text is a String). SQLite stores any value in any column, so a value that does
// not fit the declared type (text in an int column, say) widens the column to a
// type that holds every value rather than losing it: integers to Float where all
// values are numbers, anything else to String.

// Steps the statement to its end.
data::ColumnPacket readColumnPacket(SqliteStatement &statement);
data::DataPacket readDataPacket(SqliteStatement &statement);

// First column of the first row, typed like a packet value; a NULL is a null
// QVariant; no row at all gives an empty text.
QVariant readFirstValue(SqliteStatement &statement);
