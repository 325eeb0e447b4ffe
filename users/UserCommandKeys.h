#pragma once

#include <QObject>

#include <functional>

class QWidget;
class TdxBarLargeButton;

// The window's commands on the keyboard: Insert adds, F2 edits, Enter edits and
// Delete deletes in the grid, F5 reads the tree and the list again. A key acts
// only where its button is shown and enabled for this login, and never while a
// command runs; the keys are named in the buttons' hints.
class UserCommandKeys : public QObject
{
    Q_OBJECT

public:
    struct Commands
    {
        TdxBarLargeButton *add, *edit, *del;
        QWidget *grid;                  // where Enter and Delete act
        std::function<bool()> busy;     // a command is running
        std::function<void()> reload;   // F5
    };

    UserCommandKeys(QWidget *window, Commands commands);

private:
    void bind(QWidget *on, const QKeySequence &keys, TdxBarLargeButton *button, bool wholeWindow);

    Commands m_commands;
};
