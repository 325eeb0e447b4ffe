#pragma once

#include <QApplication>
#include <QLoggingCategory>
#include <QString>

#include <exception>
#include <functional>

// Exceptions that escaped an event handler, caught by the application.
Q_DECLARE_LOGGING_CATEGORY(lcHostEvents)

// The host's application object, the last net under every event handler: an
// exception that escapes one (the module's windows guard their own handlers;
// this catches what a handler missed) is logged whole under lumo.host.events,
// shown to the person by its cause, and the event loop goes on instead of the
// process ending.
class HostEventApplication : public QApplication
{
    Q_OBJECT

public:
    HostEventApplication(int &argc, char **argv);
    ~HostEventApplication() override;

    bool notify(QObject *receiver, QEvent *event) override;

    // How a message reaches the person: the host's HostDispatch::Prompt once
    // it exists; before that (or without it) a message box on a real display.
    using MessageDisplay = std::function<void(const QString &text)>;
    void setMessageDisplay(MessageDisplay display) { m_display = std::move(display); }

    // What the person is told of an escaped exception: its cause, never the
    // statement its message carries.
    static QString messageFor(std::exception_ptr error);

private:
    void report(QObject *receiver, QEvent *event, std::exception_ptr error);
    void show(const QString &text);

    MessageDisplay m_display;
    bool m_showing = false;  // a message is waiting or up: the next ones are only logged
};
