#include "TcxMaskEdit.h"

TcxMaskEdit::TcxMaskEdit(QWidget *parent)
    : TcxCustomMaskEdit(parent)
{
}
