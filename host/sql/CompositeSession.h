#pragma once

#include <memory>

#include "ForwardingSession.h"

// A session whose two databases are reached in different ways: the RCMS
// slots go to one session, the health-record slots to another (say, the
// health-record database on SQL Server and the RCMS database in a SQLite
// file). The fields (user, unit, rights, host objects) are its own; the
// sessions behind it are only asked for data.
class CompositeSession : public ForwardingSession
{
public:
    CompositeSession(std::unique_ptr<HostSession> hrSide, std::unique_ptr<HostSession> rcmsSide);
    ~CompositeSession() override;

private:
    std::unique_ptr<HostSession> m_hr;
    std::unique_ptr<HostSession> m_rcms;
};
