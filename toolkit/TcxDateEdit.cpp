#include "TcxDateEdit.h"

TcxDateEdit::TcxDateEdit(QWidget *parent)
    : TcxCustomDateEdit(parent)
{
}
