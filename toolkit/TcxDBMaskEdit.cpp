#include "TcxDBMaskEdit.h"

#include "TcxEditDataBinding.h"

TcxDBMaskEdit::TcxDBMaskEdit(QWidget *parent)
    : TcxCustomMaskEdit(parent)
{
    setDataBinding(new TcxEditDataBinding(this, [this](data::Field *field) { showField(field); }));
}

data::DataSource *TcxDBMaskEdit::DataSource() const
{
    return dataBinding()->DataSource();
}

void TcxDBMaskEdit::SetDataSource(data::DataSource *source)
{
    dataBinding()->SetDataSource(source);
}

QString TcxDBMaskEdit::DataField() const
{
    return dataBinding()->DataField();
}

void TcxDBMaskEdit::SetDataField(const QString &fieldName)
{
    dataBinding()->SetDataField(fieldName);
}

data::Field *TcxDBMaskEdit::Field() const
{
    return dataBinding()->Field();
}
