#pragma once

#include <QDateTime>

#include <functional>

// The module's idea of "now": record keys and date texts read it here, so that
// tests can pin the time (a key is made of the moment of the call, and a test
// cannot otherwise know which millisecond it will land in).
using ClockSource = std::function<QDateTime()>;

// The current local date and time from the installed source (the system clock
// unless a test installed another).
QDateTime moduleNow();

// Installs a source; an empty function puts the system clock back.
void setModuleClock(ClockSource source);

// Installs a source for the lifetime of the object and restores the previous
// one afterwards.
class ScopedModuleClock
{
public:
    explicit ScopedModuleClock(ClockSource source);
    ~ScopedModuleClock();
    ScopedModuleClock(const ScopedModuleClock &) = delete;
    ScopedModuleClock &operator=(const ScopedModuleClock &) = delete;

private:
    ClockSource m_previous;
};
