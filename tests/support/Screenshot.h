#pragma once

#include <QApplication>
#include <QDir>
#include <QWidget>

// With LUMO_SCREENSHOT_DIR set (scripts/screenshots.sh), saves what widget
// shows as <name>.png there; otherwise does nothing.
inline void screenshot(QWidget *widget, const char *name)
{
    const QString dir = qEnvironmentVariable("LUMO_SCREENSHOT_DIR");
    if (dir.isEmpty() || !widget)
        return;
    QApplication::processEvents();
    widget->grab().save(QDir(dir).filePath(QString::fromLatin1(name) + QStringLiteral(".png")));
}
