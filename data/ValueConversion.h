#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>
#include <QVariant>

#include <optional>

#include "DataExport.h"
#include "FieldType.h"

namespace data {

// Stateless conversions shared by fields, filters, locate and the equality
// index. Keeping them in one place is what makes an indexed filter answer
// exactly what a row-by-row evaluation would.

// A value counts as SQL NULL when it is invalid or holds a null object.
DATA_EXPORT bool isNullValue(const QVariant &value);

// Reads a text as a finite number (C locale, blanks around it ignored).
DATA_EXPORT std::optional<double> readNumber(const QString &text);
// The shortest decimal text that reads back as the same double; whole numbers
// without exponent or fraction.
DATA_EXPORT QString numberText(double value);

DATA_EXPORT std::optional<bool> readBoolean(const QString &text);
// Year-month-day with '-' or '/', optionally followed by a time of day; a
// fraction of a second longer than milliseconds is cut to milliseconds.
DATA_EXPORT std::optional<QDateTime> readDateTime(const QString &text);
DATA_EXPORT std::optional<QTime> readTime(const QString &text);

// The text form of a stored value of the given type (empty for null).
DATA_EXPORT QString valueText(const QVariant &value, FieldType type);

// Converts any value to the storage form of the given type (see DataPacket.h).
// Raises LumoError naming the field when the value cannot be converted.
DATA_EXPORT QVariant toStorage(const QVariant &value, FieldType type, const QString &fieldName);

// The date that stands for "no date" in a time-only value (day zero of the
// original's date-time numbering).
inline QDate timeOnlyDate() { return QDate(1899, 12, 30); }

} // namespace data
