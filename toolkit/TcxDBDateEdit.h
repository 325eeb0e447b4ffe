#pragma once

#include "TcxCustomDateEdit.h"

namespace data {
class DataSource;
class Field;
}

// The data-aware date editor: shows the bound field's date of the current
// record and writes the date (or null) back on PostEditValue and on leaving.
class TcxDBDateEdit : public TcxCustomDateEdit
{
    Q_OBJECT

public:
    explicit TcxDBDateEdit(QWidget *parent = nullptr);

    data::DataSource *DataSource() const;
    void SetDataSource(data::DataSource *source);
    QString DataField() const;
    void SetDataField(const QString &fieldName);
    data::Field *Field() const;
};
