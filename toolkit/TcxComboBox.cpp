#include "TcxComboBox.h"

TcxComboBox::TcxComboBox(QWidget *parent)
    : TcxCustomComboBox(parent)
{
}
