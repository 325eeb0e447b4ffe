#include "TcxDBDateEdit.h"

#include "TcxEditDataBinding.h"

TcxDBDateEdit::TcxDBDateEdit(QWidget *parent)
    : TcxCustomDateEdit(parent)
{
    setDataBinding(new TcxEditDataBinding(this, [this](data::Field *field) { showField(field); }));
}

data::DataSource *TcxDBDateEdit::DataSource() const
{
    return dataBinding()->DataSource();
}

void TcxDBDateEdit::SetDataSource(data::DataSource *source)
{
    dataBinding()->SetDataSource(source);
}

QString TcxDBDateEdit::DataField() const
{
    return dataBinding()->DataField();
}

void TcxDBDateEdit::SetDataField(const QString &fieldName)
{
    dataBinding()->SetDataField(fieldName);
}

data::Field *TcxDBDateEdit::Field() const
{
    return dataBinding()->Field();
}
