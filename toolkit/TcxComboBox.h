#pragma once

#include "TcxCustomComboBox.h"

// The plain combo box.
class TcxComboBox : public TcxCustomComboBox
{
    Q_OBJECT

public:
    explicit TcxComboBox(QWidget *parent = nullptr);
};
