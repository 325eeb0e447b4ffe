#pragma once

#include "TcxCustomLookupComboBox.h"

// The plain lookup combo box.
class TcxLookupComboBox : public TcxCustomLookupComboBox
{
    Q_OBJECT

public:
    explicit TcxLookupComboBox(QWidget *parent = nullptr);
};
