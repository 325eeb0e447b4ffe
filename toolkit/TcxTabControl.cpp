#include "TcxTabControl.h"

TcxTabControl::TcxTabControl(QWidget *parent)
    : QFrame(parent)
{
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Plain);
}
