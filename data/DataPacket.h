#pragma once

#include <QString>
#include <QVariant>
#include <QVector>

#include "DataExport.h"
#include "FieldType.h"
#include "PacketRows.h"

namespace data {

// One column of a data packet: its name as the query gave it (duplicates allowed;
// the dataset renames them), its type and, for text types, its declared size.
struct DATA_EXPORT FieldDef
{
    QString name;
    FieldType type = FieldType::String;
    int size = 0;
};

// What a query returns: the column definitions and the rows (which a reader
// may hand over held column by column, see PacketRows). A value is a null
// QVariant for SQL NULL; otherwise QString for text types, qint64 for integer
// types, double for Float, the exact number's text for Currency/BCD (a double
// is taken too, and a dataset stores the canonical text of data::Decimal),
// bool for Boolean, QDate for Date, QDateTime for DateTime, QTime for Time.
struct DATA_EXPORT DataPacket
{
    QVector<FieldDef> fields;
    PacketRows rows;
};

} // namespace data
