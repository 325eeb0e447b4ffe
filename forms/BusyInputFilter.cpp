#include "BusyInputFilter.h"

#include <QEvent>
#include <QMouseEvent>
#include <QWidget>

BusyInputFilter::BusyInputFilter(QWidget *window) : QObject(window), m_window(window) {}

void BusyInputFilter::allow(QWidget *widget)
{
    if (widget && !m_allowed.contains(widget))
        m_allowed.append(widget);
}

bool BusyInputFilter::isUserInput(const QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        return true;
    case QEvent::MouseMove:
        // Moving over the window keeps its hover looks; dragging would select.
        return static_cast<const QMouseEvent *>(event)->buttons() != Qt::NoButton;
    default:
        return false;
    }
}

bool BusyInputFilter::blocks(QObject *receiver) const
{
    auto *widget = qobject_cast<QWidget *>(receiver);
    if (!widget || !(widget == m_window || m_window->isAncestorOf(widget)))
        return false;
    for (const QPointer<QWidget> &allowed : m_allowed) {
        if (allowed && (allowed == widget || allowed->isAncestorOf(widget)))
            return false;
    }
    return true;
}

bool BusyInputFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (!isUserInput(event) || !blocks(watched))
        return false;
    // An accepted shortcut override keeps the key from triggering any shortcut;
    // everything else simply never arrives.
    event->accept();
    return true;
}
