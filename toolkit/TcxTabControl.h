#pragma once

#include <QFrame>

// A tab control used without tabs: a plain client area with a panel frame
// that holds other controls.
class TcxTabControl : public QFrame
{
    Q_OBJECT

public:
    explicit TcxTabControl(QWidget *parent = nullptr);
};
