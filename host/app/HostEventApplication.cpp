#include "HostEventApplication.h"

#include <QEvent>
#include <QMessageBox>
#include <QMetaEnum>

#include "CaughtError.h"
#include "LumoError.h"
#include "SqlSecrets.h"

Q_LOGGING_CATEGORY(lcHostEvents, "lumo.host.events")

HostEventApplication::HostEventApplication(int &argc, char **argv) : QApplication(argc, argv)
{
}

HostEventApplication::~HostEventApplication() = default;

QString HostEventApplication::messageFor(std::exception_ptr error)
{
    return QStringLiteral("操作未能完成!原因:") + maskSecrets(caughtError(error).cause());
}

bool HostEventApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        report(receiver, event, std::current_exception());
        return false;
    }
}

void HostEventApplication::report(QObject *receiver, QEvent *event, std::exception_ptr error)
{
    try {
        const char *eventName = QMetaEnum::fromType<QEvent::Type>().valueToKey(event ? event->type() : 0);
        qCCritical(lcHostEvents).noquote()
            << "an exception escaped the handler of" << (eventName ? eventName : "an event") << "for"
            << (receiver ? QStringLiteral("%1 \"%2\"").arg(QString::fromLatin1(receiver->metaObject()->className()),
                                                          receiver->objectName())
                         : QStringLiteral("(none)"))
            << ":" << maskSecrets(caughtError(error).message());
        if (m_showing)
            return;
        m_showing = true;
        // Shown once the event is over: a message box's own event loop must
        // not run inside the delivery that failed.
        QMetaObject::invokeMethod(
            this, [this, text = messageFor(error)] { show(text); }, Qt::QueuedConnection);
    } catch (...) {
        // Nothing more can be done for it; the loop goes on.
    }
}

void HostEventApplication::show(const QString &text)
{
    try {
        if (m_display)
            m_display(text);
        else if (platformName() != QLatin1String("offscreen"))
            QMessageBox::critical(activeWindow(), QStringLiteral("健康档案系统"), text);
    } catch (...) {
        qCCritical(lcHostEvents).noquote() << "the message could not be shown:" << text;
    }
    m_showing = false;
}
