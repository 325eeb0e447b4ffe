#pragma once

#include <QProgressBar>

// A progress bar with the toolkit's Position / Max / Min.
class TcxProgressBar : public QProgressBar
{
    Q_OBJECT

public:
    explicit TcxProgressBar(QWidget *parent = nullptr);

    int Position() const { return value(); }
    void SetPosition(int position);  // clamped into [Min, Max]
    int Max() const { return maximum(); }
    void SetMax(int max);
    int Min() const { return minimum(); }
    void SetMin(int min);
};
