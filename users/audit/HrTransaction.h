#pragma once

#include <exception>

#include "URCMSObjValueClass.h"

// A health-record transaction that lasts as long as its scope: begun when
// made, committed by commit(), rolled back when left any other way. The
// rollback never raises: the command's own failure is what the person needs
// to read, and a rollback that fails as well leaves the transaction to the
// host's connection handling.
class HrTransaction
{
public:
    // A begin that raises is rolled back too: its answer may have been lost
    // on the way back with the transaction open.
    explicit HrTransaction(HostSession &session) : m_session(session)
    {
        try {
            m_session.BeginHrTrans();
        } catch (...) {
            rollbackQuietly();
            throw;
        }
    }
    ~HrTransaction()
    {
        if (m_open)
            rollbackQuietly();
    }
    HrTransaction(const HrTransaction &) = delete;
    HrTransaction &operator=(const HrTransaction &) = delete;

    // A commit that raises leaves the transaction to be rolled back.
    void commit()
    {
        m_session.CommitHrTrans();
        m_open = false;
    }

private:
    void rollbackQuietly() noexcept
    {
        try {
            m_session.RollbackHrTrans();
        } catch (const std::exception &) {
        }
    }

    HostSession &m_session;
    bool m_open = true;
};
