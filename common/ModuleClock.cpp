#include "ModuleClock.h"

#include <utility>

namespace {

ClockSource &installedSource()
{
    static ClockSource source;
    return source;
}

} // namespace

QDateTime moduleNow()
{
    const ClockSource &source = installedSource();
    return source ? source() : QDateTime::currentDateTime();
}

void setModuleClock(ClockSource source)
{
    installedSource() = std::move(source);
}

ScopedModuleClock::ScopedModuleClock(ClockSource source)
    : m_previous(std::exchange(installedSource(), std::move(source)))
{
}

ScopedModuleClock::~ScopedModuleClock()
{
    installedSource() = std::move(m_previous);
}
