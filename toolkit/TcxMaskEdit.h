#pragma once

#include "TcxCustomMaskEdit.h"

// The plain (unbound) mask editor.
class TcxMaskEdit : public TcxCustomMaskEdit
{
    Q_OBJECT

public:
    explicit TcxMaskEdit(QWidget *parent = nullptr);
};
