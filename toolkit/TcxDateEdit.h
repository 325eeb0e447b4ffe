#pragma once

#include "TcxCustomDateEdit.h"

// The plain date editor.
class TcxDateEdit : public TcxCustomDateEdit
{
    Q_OBJECT

public:
    explicit TcxDateEdit(QWidget *parent = nullptr);
};
