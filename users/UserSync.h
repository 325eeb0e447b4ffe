#pragma once

#include <QString>

#include <functional>

class HostSession;
namespace data {
class ClientDataSet;
class Field;
}

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

    // The columns the synchronisation reads, looked up once per dataset rather
    // than by name for every user.
    struct Columns
    {
        explicit Columns(const data::ClientDataSet &dataSet);
        data::Field *userCode, *userName, *spell, *fiveStrokes, *orgCode, *grade, *contactType, *password;
    };

    // The statement for the current source user against the current health-record
    // row (none when target is null): the insert, the update, or empty when the
    // seven compared texts are equal.
    static QString statementFor(const Columns &source, const Columns *target);

private:
    HostSession &m_session;
};
