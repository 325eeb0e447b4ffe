#include "TcxDBLookupComboBox.h"

#include "TcxEditDataBinding.h"

TcxDBLookupComboBox::TcxDBLookupComboBox(QWidget *parent)
    : TcxCustomLookupComboBox(parent)
{
    setDataBinding(new TcxEditDataBinding(this, [this](data::Field *field) { showField(field); }));
}

data::DataSource *TcxDBLookupComboBox::DataSource() const
{
    return dataBinding()->DataSource();
}

void TcxDBLookupComboBox::SetDataSource(data::DataSource *source)
{
    dataBinding()->SetDataSource(source);
}

QString TcxDBLookupComboBox::DataField() const
{
    return dataBinding()->DataField();
}

void TcxDBLookupComboBox::SetDataField(const QString &fieldName)
{
    dataBinding()->SetDataField(fieldName);
}

data::Field *TcxDBLookupComboBox::Field() const
{
    return dataBinding()->Field();
}
