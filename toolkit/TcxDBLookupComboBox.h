#pragma once

#include "TcxCustomLookupComboBox.h"

namespace data {
class DataSource;
class Field;
}

// The data-aware lookup combo box: shows the item whose key is the bound
// field's value and writes the edit value (the key, or the typed text) back on
// PostEditValue and on leaving.
class TcxDBLookupComboBox : public TcxCustomLookupComboBox
{
    Q_OBJECT

public:
    explicit TcxDBLookupComboBox(QWidget *parent = nullptr);

    data::DataSource *DataSource() const;
    void SetDataSource(data::DataSource *source);
    QString DataField() const;
    void SetDataField(const QString &fieldName);
    data::Field *Field() const;
};
