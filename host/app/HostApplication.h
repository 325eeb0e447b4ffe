#pragma once

#include <QObject>
#include <QPointer>

#include <memory>

#include "HostConfig.h"

class HostDispatch;
class HostSession;
class ModuleLoader;
class QMainWindow;
class QWidget;
namespace data { class ClientDataSet; }

// The host program: opens the two databases, logs the user in, loads the module,
// shows its window inside the main window, and frees it again at the end.
class HostApplication : public QObject
{
    Q_OBJECT

public:
    explicit HostApplication(HostConfig config, QObject *parent = nullptr);
    ~HostApplication() override;

    // Everything up to the visible window. Raises data::LumoError with a message
    // for the person at the keyboard (which database, which user, which export).
    void start();
    // Calls FreeModule once; also done by the destructor.
    void shutdown();

    const HostConfig &config() const { return m_config; }
    HostSession *session() const { return m_session.get(); }
    HostDispatch *dispatch() const { return m_dispatch; }
    QMainWindow *mainWindow() const { return m_mainWindow.get(); }
    QWidget *moduleWindow() const { return m_moduleWindow; }
    QByteArray moduleInfo() const { return m_moduleInfo; }

    // Creates the demo databases where they are missing (never overwriting a file).
    static void createDemoDatabases(const HostConfig &config);
    // Fills the session's identity, unit, area and rights from the databases.
    // Raises when the user does not exist.
    static void logIn(HostSession &session, const QString &userCode, data::ClientDataSet &rights);

    // main(), once the help and version requests are answered (HostConfig::earlyExit):
    // start, run the event loop (or take the screenshot), shut down.
    // Returns the process exit status; failures are reported on stderr and, on a
    // real display, in a message box.
    static int run(const QStringList &arguments);

private:
    HostConfig m_config;
    std::unique_ptr<HostSession> m_session;
    std::unique_ptr<data::ClientDataSet> m_rights;
    std::unique_ptr<ModuleLoader> m_loader;
    std::unique_ptr<QMainWindow> m_mainWindow;
    HostDispatch *m_dispatch = nullptr;  // a child of this object
    QObject *m_codePicker = nullptr;
    QWidget *m_moduleWindow = nullptr;
    QByteArray m_moduleInfo;
    bool m_created = false;
    bool m_unattendedMessages = false;  // a --screenshot run met a message
};
