#pragma once

#include <QVariant>

#include "ColumnStore.h"
#include "DataPacket.h"
#include "OdbcStatement.h"

// Turns the rows of an ODBC result into what the module expects: a data
// packet whose columns carry field types, and single values.
//
// A column's type comes from the driver's description of it. Text is read as
// UTF-16 (SQL_C_WCHAR) whatever the server's code page; numbers, dates and
// bits in their binary C types. A driver that cannot convert a stored value
// to its column's type (the SQLite driver reports text in an int column as
// NULL) does not lose it: the column widens to String and keeps the text.

// The field type for a column description.
data::FieldType fieldTypeFromOdbc(const OdbcColumn &column);

// Reads the current result to its end.
data::DataPacket readOdbcDataPacket(OdbcStatement &statement);
// How the rows of a result are taken from the driver: one at a time with a
// call per cell, or a block of rows a call into bound buffers. Blocks suit a
// driver that fails a value it cannot convert (the PostgreSQL driver); where
// the driver gives such a value as NULL (the SQLite driver), every NULL of a
// typed column would have to be asked for again, as one at a time does.
enum class OdbcFetch { RowByRow, InBlocks };

// The same result held column by column, as a dataset takes it over.
data::ColumnPacket readOdbcColumnPacket(OdbcStatement &statement, OdbcFetch fetch = OdbcFetch::RowByRow);

// First column of the first row of the current result, typed like a packet
// value; a NULL is a null QVariant; no row at all gives an empty text.
QVariant readOdbcFirstValue(OdbcStatement &statement);
