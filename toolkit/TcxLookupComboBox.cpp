#include "TcxLookupComboBox.h"

TcxLookupComboBox::TcxLookupComboBox(QWidget *parent)
    : TcxCustomLookupComboBox(parent)
{
}
