#pragma once

#include <QObject>
#include <QStringList>

#include "ClientDataSet.h"
#include "LocalTimeZone.h"
#include "UGlobalValue.h"
#include "URCMSObjValueClass.h"

// Starts the process as the host starts: the time zone named once, and the
// offscreen platform unless another is asked for. Before the application.
inline void startAsTheHost()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    pinLocalTimeZone();
}

// Answers every message without a dialog, so the run is not held up.
class SilentDispatch : public QObject
{
    Q_OBJECT
public:
    QStringList messages;
    Q_INVOKABLE void Prompt(const QString &text) { messages << text; }
    Q_INVOKABLE int Confirm(const QString &) { return 1; }
    Q_INVOKABLE QString MimeDecode(const QString &text) { return text; }
};

// Makes a session the module's, as the host does before it opens a window:
// the administrator of RCMS area 51, no rights unless given, every message
// kept in dispatch. Undone when it goes.
class BenchHost
{
public:
    explicit BenchHost(HostSession &session)
    {
        session.HostDispatch = &dispatch;
        session.AppPath = QStringLiteral("/nonexistent");
        session.UserCode = QStringLiteral("admin");
        session.RcmsAreaCode = QStringLiteral("51");
        session.RightsData = &rights;
        UGlobalValue::HostSessionRef = &session;
    }
    ~BenchHost() { UGlobalValue::HostSessionRef = nullptr; }
    BenchHost(const BenchHost &) = delete;
    BenchHost &operator=(const BenchHost &) = delete;

    SilentDispatch dispatch;
    data::ClientDataSet rights;
};
