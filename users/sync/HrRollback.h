#pragma once

#include <exception>

#include "URCMSObjValueClass.h"

// Ends the health-record transaction of a failed command without raising: the
// command's own failure is what the person needs to read, and a rollback that
// fails as well leaves the transaction to the host's connection handling.
inline void RollbackHrQuietly(HostSession &session)
{
    try {
        session.RollbackHrTrans();
    } catch (const std::exception &) {
    }
}
