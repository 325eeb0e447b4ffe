#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

class QWidget;

// Swallows the user's input to one window while it is installed on the
// application: mouse buttons, drags, the wheel, keys, shortcuts and context
// menus aimed at the window or any widget inside it (dialogs of their own are
// other windows and keep theirs). Widgets named with allow() keep their input.
class BusyInputFilter : public QObject
{
    Q_OBJECT

public:
    explicit BusyInputFilter(QWidget *window);

    void allow(QWidget *widget);

    // True for the kinds of events a person causes with mouse or keyboard.
    static bool isUserInput(const QEvent *event);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool blocks(QObject *receiver) const;

    QWidget *m_window;
    QList<QPointer<QWidget>> m_allowed;
};
