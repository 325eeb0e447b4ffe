#pragma once

#include <QDateTime>
#include <QString>
#include <QVariant>

#include "DataExport.h"
#include "FieldType.h"

namespace data {

class ClientDataSet;

// One column of a client dataset, read and written through the dataset's current
// record (the edit buffer while the dataset is in edit or insert state).
class DATA_EXPORT Field
{
public:
    Field(ClientDataSet *dataSet, int index, QString name, FieldType type, int size);

    const QString &FieldName() const { return m_name; }
    FieldType DataType() const { return m_type; }
    int Size() const { return m_size; }
    int Index() const { return m_index; }
    ClientDataSet *DataSet() const { return m_dataSet; }

    // Raw value of the current record; a null QVariant for SQL NULL.
    QVariant Value() const;
    bool IsNull() const;

    // Text form: empty for null; dates "yyyy-MM-dd", date-times
    // "yyyy-MM-dd hh:mm:ss", times "hh:mm:ss", booleans "True"/"False",
    // floats in their shortest exact decimal form, decimals and money exactly.
    QString AsString() const;
    // Conversions raise LumoError naming the field when the value cannot be read.
    qint64 AsInteger() const;  // null gives 0
    double AsFloat() const;    // null gives 0
    QDateTime AsDateTime() const;  // null gives an invalid QDateTime
    bool AsBoolean() const;    // null gives false

    // Setters need the dataset in edit or insert state (raise LumoError otherwise).
    // SetAsString converts the text to the field's type; an empty text stores null
    // for non-text types; a text that does not convert raises LumoError.
    void SetValue(const QVariant &value);
    void SetAsString(const QString &text);
    void SetAsInteger(qint64 value);
    void SetAsFloat(double value);
    void SetAsDateTime(const QDateTime &value);
    void SetAsBoolean(bool value);
    void Clear();  // set null

    // Converts a value to this field's storage form (used by SetValue and by
    // the dataset when it loads a packet). Raises LumoError on failure.
    QVariant normalise(const QVariant &value) const;
    // Text form of any value of this field's type.
    QString textOf(const QVariant &value) const;
    // The text AsString gives for a value this field stores: a stored text is
    // its own text, whatever the field's type; other values as textOf.
    QString textOfStored(const QVariant &value) const;

private:
    ClientDataSet *m_dataSet;
    int m_index;
    QString m_name;
    FieldType m_type;
    int m_size;
};

} // namespace data
