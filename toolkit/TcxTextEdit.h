#pragma once

#include "TcxCustomTextEdit.h"

// The plain text editor.
class TcxTextEdit : public TcxCustomTextEdit
{
    Q_OBJECT

public:
    explicit TcxTextEdit(QWidget *parent = nullptr);
};
