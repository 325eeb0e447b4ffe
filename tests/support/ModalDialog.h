#pragma once

#include <QApplication>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <functional>

// Runs body once the next modal dialog is up, and closes that dialog whatever
// happens inside, so that a failed check never leaves exec() waiting.
inline void whenModal(std::function<void(QWidget *)> body, QStringList *failures)
{
    QTimer::singleShot(0, [body = std::move(body), failures] {
        QWidget *dialog = QApplication::activeModalWidget();
        if (!dialog) {
            failures->append(QStringLiteral("no modal dialog appeared"));
            return;
        }
        struct Closer
        {
            QPointer<QWidget> dialog;
            ~Closer()
            {
                if (dialog && dialog->isVisible())
                    dialog->close();
            }
        } closer{dialog};
        QApplication::setActiveWindow(dialog);
        body(dialog);
    });
}
