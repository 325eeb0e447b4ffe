#pragma once

#include <QString>

#include <functional>

class HostSession;
namespace data { class ClientDataSet; }

// Copies the RCMS user accounts into the health-record user table: users missing
// there are inserted, users whose texts differ are rewritten, nothing is deleted.
// The caller owns the transaction; any failure raises data::LumoError, including
// a statement the session answers false to, so that the caller rolls the whole
// run back instead of committing half of it.
class UserSync
{
public:
    explicit UserSync(HostSession &session) : m_session(session) {}

    // progress(0, total) once before the first user, then progress(n, total)
    // after each user.
    void run(const std::function<void(int done, int total)> &progress);

    // The statement for one source user against the health-record row (or none):
    // the insert, the update, or empty when the seven compared texts are equal.
    static QString statementFor(const data::ClientDataSet &source, const data::ClientDataSet *target);

private:
    HostSession &m_session;
};
