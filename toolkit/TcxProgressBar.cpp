#include "TcxProgressBar.h"

TcxProgressBar::TcxProgressBar(QWidget *parent)
    : QProgressBar(parent)
{
    setRange(0, 100);
    setValue(0);
}

void TcxProgressBar::SetPosition(int position)
{
    setValue(qBound(minimum(), position, maximum()));
}

void TcxProgressBar::SetMax(int max)
{
    const int position = value();
    setMaximum(max);
    setValue(qBound(minimum(), position, maximum()));
}

void TcxProgressBar::SetMin(int min)
{
    const int position = value();
    setMinimum(min);
    setValue(qBound(minimum(), position, maximum()));
}
