#pragma once

#include <QPointer>

class TBaseForm;

// Marks a window busy while a long command or statement runs. The window keeps
// painting (the command may let pending events through so its progress bar
// moves), but no mouse, wheel or key input reaches it, keyboard shortcuts do
// not fire in it, it refuses to close, and the mouse shows a busy cursor. Only
// widgets the window lets through (TBaseForm::AllowWhileBusy) still take input.
// Scopes nest: the window is free again when the outermost one ends.
class BusyScope
{
public:
    explicit BusyScope(TBaseForm *form);
    ~BusyScope();

    BusyScope(const BusyScope &) = delete;
    BusyScope &operator=(const BusyScope &) = delete;

private:
    QPointer<TBaseForm> m_form;
};
