#include "TcxDBComboBox.h"

#include "TcxEditDataBinding.h"

TcxDBComboBox::TcxDBComboBox(QWidget *parent)
    : TcxCustomComboBox(parent)
{
    setDataBinding(new TcxEditDataBinding(this, [this](data::Field *field) { showField(field); }));
}

data::DataSource *TcxDBComboBox::DataSource() const
{
    return dataBinding()->DataSource();
}

void TcxDBComboBox::SetDataSource(data::DataSource *source)
{
    dataBinding()->SetDataSource(source);
}

QString TcxDBComboBox::DataField() const
{
    return dataBinding()->DataField();
}

void TcxDBComboBox::SetDataField(const QString &fieldName)
{
    dataBinding()->SetDataField(fieldName);
}

data::Field *TcxDBComboBox::Field() const
{
    return dataBinding()->Field();
}
