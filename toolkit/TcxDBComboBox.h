#pragma once

#include "TcxCustomComboBox.h"

namespace data {
class DataSource;
class Field;
}

// The data-aware combo box: shows the bound field's text and writes the text
// back on PostEditValue and on leaving.
class TcxDBComboBox : public TcxCustomComboBox
{
    Q_OBJECT

public:
    explicit TcxDBComboBox(QWidget *parent = nullptr);

    data::DataSource *DataSource() const;
    void SetDataSource(data::DataSource *source);
    QString DataField() const;
    void SetDataField(const QString &fieldName);
    data::Field *Field() const;
};
