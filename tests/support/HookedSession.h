#pragma once

#include <QString>

#include <functional>

#include "ForwardingSession.h"

// A session that passes every call to a real one and first runs beforeCall,
// when set, with the slot's name ("ExecHrSql", ...) and the statement: a hook
// that processes events and clicks stands for the events a long statement or
// run lets through. The fields are copied from the real session when the
// object is made, all but HrWritesAside: a hook may process events and click,
// which only the caller's thread may do, so a test that wants the statements
// aside says so. The hook runs on the calling thread, which for an RCMS read
// of the synchronisation may be one of its own.
class HookedSession : public ForwardingSession
{
public:
    explicit HookedSession(HostSession &inner) : ForwardingSession(inner, inner) { takeFieldsOf(inner); }

    std::function<void(const char *slot, const QString &sql)> beforeCall;

protected:
    void around(const char *slot, const QString &sql, const std::function<void()> &call) override
    {
        if (beforeCall)
            beforeCall(slot, sql);
        call();
    }
};
