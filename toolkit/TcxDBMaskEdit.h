#pragma once

#include "TcxCustomMaskEdit.h"

namespace data {
class DataSource;
class Field;
}

// The data-aware mask editor: shows the bound field of the current record and
// writes the typed text to it on PostEditValue and when it is left.
class TcxDBMaskEdit : public TcxCustomMaskEdit
{
    Q_OBJECT

public:
    explicit TcxDBMaskEdit(QWidget *parent = nullptr);

    // DataBinding.DataSource / DataBinding.DataField.
    data::DataSource *DataSource() const;
    void SetDataSource(data::DataSource *source);
    QString DataField() const;
    void SetDataField(const QString &fieldName);
    data::Field *Field() const;
};
