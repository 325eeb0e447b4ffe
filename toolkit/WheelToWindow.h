#pragma once

#include <QObject>

class QWidget;

// The wheel over a control that is not being used belongs to the window
// around it (a dialog scrolls its editors): it is handed to the window and
// never changes the control's value, nor takes the focus into it. Watches the
// control's widgets, where spin and combo boxes take the wheel themselves.
class WheelToWindow : public QObject
{
public:
    // control: the widget whose focus (its own or a child's) lets the wheel through.
    explicit WheelToWindow(QWidget *control);

    // Watches widget and everything inside it.
    void watch(QWidget *widget);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *m_control;
};
