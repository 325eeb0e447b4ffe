#pragma once

#include <QString>

#include "DataExport.h"

namespace data {

// The data types a client dataset field can have.
enum class FieldType {
    String,
    FixedChar,
    WideString,
    Memo,
    Smallint,
    Integer,
    Word,
    AutoInc,
    Largeint,
    Float,
    Currency,
    BCD,
    Boolean,
    Date,
    DateTime,
    Time,
    Bytes,       // binary, varbinary, image, blob: the bytes as they are
    RowVersion,  // rowversion (SQL Server's timestamp): read, never written
};

DATA_EXPORT QString fieldTypeName(FieldType type);
DATA_EXPORT bool isIntegerType(FieldType type);  // Smallint, Integer, Word, AutoInc, Largeint
DATA_EXPORT bool isFloatType(FieldType type);    // Float, Currency, BCD
DATA_EXPORT bool isTextType(FieldType type);     // String, FixedChar, WideString, Memo
DATA_EXPORT bool isBytesType(FieldType type);    // Bytes, RowVersion

// Maps an SQL declared type ("varchar(20)", "INT", "Decimal ( 18 , 4 )",
// "nvarchar", "datetime", "bit", ...) to a field type; case and blanks do not
// matter. Unknown or empty declarations map to String.
DATA_EXPORT FieldType fieldTypeFromDeclaration(const QString &declaredType);

} // namespace data
