#include "HostCloseGuard.h"

#include <QEvent>
#include <QMessageBox>
#include <QWidget>

HostCloseGuard::HostCloseGuard(QWidget *mainWindow, QWidget *moduleWindow)
    : QObject(mainWindow), m_mainWindow(mainWindow), m_moduleWindow(moduleWindow)
{
    mainWindow->installEventFilter(this);
}

bool HostCloseGuard::isBusy(const QObject *moduleWindow)
{
    return moduleWindow && moduleWindow->property("Busy").toBool();
}

QString HostCloseGuard::refusalText()
{
    return QStringLiteral("模块正在处理数据 (同步或保存), 完成后才能退出。请稍候。");
}

bool HostCloseGuard::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_mainWindow || event->type() != QEvent::Close || !isBusy(m_moduleWindow))
        return false;
    event->ignore();
    // Not modal: a modal box would hold the running command until answered.
    if (!m_notice) {
        m_notice = new QMessageBox(QMessageBox::Information, QStringLiteral("提示"), refusalText(),
                                   QMessageBox::Ok, m_mainWindow);
        m_notice->setObjectName(QStringLiteral("CloseRefusedNotice"));
        m_notice->setAttribute(Qt::WA_DeleteOnClose);
        m_notice->setWindowModality(Qt::NonModal);
    }
    m_notice->show();
    m_notice->raise();
    emit closeRefused();
    return true;
}
