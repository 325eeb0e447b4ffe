#include "TcxTextEdit.h"

TcxTextEdit::TcxTextEdit(QWidget *parent)
    : TcxCustomTextEdit(parent)
{
}
