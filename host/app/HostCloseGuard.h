#pragma once

#include <QObject>
#include <QPointer>

class QMessageBox;
class QWidget;

// Keeps the host's main window, and so the application, open while the
// module's window is busy (a synchronisation or a save waiting for the
// database): closing would free the window under the running command. The
// person is told why and the command goes on.
class HostCloseGuard : public QObject
{
    Q_OBJECT

public:
    // Watches mainWindow's close requests; moduleWindow is read, never owned.
    HostCloseGuard(QWidget *mainWindow, QWidget *moduleWindow);

    // The module's window says so through its "Busy" property.
    static bool isBusy(const QObject *moduleWindow);

    static QString refusalText();

signals:
    void closeRefused();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *m_mainWindow;
    QPointer<QWidget> m_moduleWindow;
    QPointer<QMessageBox> m_notice;
};
