#pragma once

#include <QString>

#include <array>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

#include "LumoError.h"

class HostSession;
class SyncStatementRunner;
namespace data {
class ClientDataSet;
class Field;
}

// Copies the RCMS user accounts into the health-record user table: users missing
// there are inserted, users whose texts differ are rewritten, nothing is deleted.
// The caller owns the transaction; any failure raises data::LumoError, including
// a statement the session answers false to, so that the caller rolls the whole
// run back instead of committing half of it. A failure while handling one user
// raises UserSyncFailure naming that user.
//
// Users are paired as the health-record database compares its key (the
// session's HrCodesIgnoreCase / HrCodesIgnoreTrailingBlanks): an RCMS user whose
// code differs from a health-record user's only in letter case is that user,
// updated rather than inserted a second time, which the key would refuse.
// The pairing itself is UserPairing's, shared with the preview. Where the
// session allows it (RcmsReadsBesideHr), the two user tables are read at once;
// where it allows it (HrWritesAside), the statements run on a thread of their
// own while the next users are worked out (SyncStatementRunner).
class UserSync
{
public:
    explicit UserSync(HostSession &session) : m_session(session) {}

    // progress(0, total) once before the first user, then progress(n, total)
    // once the n-th user is done, its statement run: never for a user whose
    // statement failed, nor for any after it.
    void run(const std::function<void(int done, int total)> &progress);

    // During run(), and from its progress: while the lock is held, no
    // statement of the run is running, so the caller may use the session
    // itself (an event pass that may reach it). Holds nothing outside run().
    std::unique_lock<std::mutex> holdStatements();

    // The columns the synchronisation reads, looked up once per dataset rather
    // than by name for every user.
    struct Columns
    {
        explicit Columns(const data::ClientDataSet &dataSet);
        data::Field *userCode, *userName, *spell, *fiveStrokes, *orgCode, *grade, *contactType, *password;
    };
    // The seven compared texts of a user, in the order they are compared.
    using Texts = std::array<QString, 7>;

    // Told each RCMS user the run writes, before its statement runs, with the
    // texts of the health-record user it pairs with (none for a new user);
    // onUnchanged is told each user it leaves alone. Lets a caller count and
    // log what the run does. An unchanged user's texts are compared where the
    // datasets keep them and never made into strings: half a large run's users
    // are unchanged.
    std::function<void(const QString &code, const std::optional<Texts> &was, const Texts &now)> onUser;
    std::function<void()> onUnchanged;
    // A row the run inserts for each user it writes (the trail of changes),
    // in the run's transaction: the insert's head, and the user's values.
    // The rows go in inserts of many users each, among the users' statements;
    // a failing one is reported as the failure of the last user it holds.
    struct AlsoInsert
    {
        QString head;
        std::function<QString(const QString &code, const std::optional<Texts> &was, const Texts &now)> values;
    };
    std::optional<AlsoInsert> alsoInsert;

    // The statement for a source user (its code and texts) against the texts
    // of the health-record user it pairs with (none when null): the insert, the
    // update, or empty when the seven compared texts are equal.
    static QString statementFor(const QString &userCode, const Texts &now, const Texts *target);

    // The RCMS and the health-record user tables as sql reads them, at once
    // where the session allows it. When both reads fail, the RCMS failure is
    // the one raised, as when they are read in turn.
    struct UserTables
    {
        std::unique_ptr<data::ClientDataSet> rcms, hr;
    };
    static UserTables readUserTables(HostSession &session, const QString &sql);

private:
    HostSession &m_session;
    SyncStatementRunner *m_runner = nullptr;  // while run() runs
};

// The failure of one user's step of the run: the user's code and the cause.
class UserSyncFailure : public data::LumoError
{
public:
    UserSyncFailure(QString userCode, const QString &message, const QString &cause)
        : data::LumoError(message, cause), m_userCode(std::move(userCode))
    {
    }
    const QString &userCode() const { return m_userCode; }

    // The failure of the user's step from the exception that stopped it: a
    // data::LumoError or other std::exception named after the user; any other
    // exception, or one naming a user already, as it is.
    static std::exception_ptr of(const QString &userCode, std::exception_ptr cause);

private:
    QString m_userCode;
};
