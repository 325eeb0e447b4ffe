#include "WheelToWindow.h"

#include <QApplication>
#include <QWheelEvent>
#include <QWidget>

WheelToWindow::WheelToWindow(QWidget *control) : QObject(control), m_control(control) {}

void WheelToWindow::watch(QWidget *widget)
{
    QList<QWidget *> widgets = widget->findChildren<QWidget *>();
    widgets << widget;
    for (QWidget *w : std::as_const(widgets)) {
        if (w->focusPolicy() == Qt::WheelFocus)
            w->setFocusPolicy(Qt::StrongFocus);
        w->installEventFilter(this);
    }
}

bool WheelToWindow::eventFilter(QObject *, QEvent *event)
{
    if (event->type() != QEvent::Wheel)
        return false;
    QWidget *focus = QApplication::focusWidget();
    if (focus && (focus == m_control || m_control->isAncestorOf(focus)))
        return false;
    QWidget *window = m_control->window();
    if (window == m_control)
        return true;
    const auto *wheel = static_cast<QWheelEvent *>(event);
    QWheelEvent passed(window->mapFromGlobal(wheel->globalPosition()), wheel->globalPosition(), wheel->pixelDelta(),
                       wheel->angleDelta(), wheel->buttons(), wheel->modifiers(), wheel->phase(), wheel->inverted(),
                       wheel->source());
    QCoreApplication::sendEvent(window, &passed);
    return true;
}
