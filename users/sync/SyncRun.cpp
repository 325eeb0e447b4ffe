#include "SyncRun.h"

#include <QLoggingCategory>

#include "HrTransaction.h"
#include "LumoError.h"
#include "SqlSecrets.h"
#include "SyncLog.h"
#include "TextRules.h"
#include "URCMSObjValueClass.h"
#include "UserAudit.h"
#include "UserSync.h"

namespace {

Q_LOGGING_CATEGORY(lcUserSync, "lumo.users.sync")

// The trail's row of a user the run writes: a new user's columns, or the
// columns whose texts differ.
UserAudit::Entry auditEntry(const QString &code, const std::optional<UserSync::Texts> &was,
                            const UserSync::Texts &now, const QString &logId, const QDateTime &at)
{
    // In the order of UserSync::Texts.
    static const QString columns[] = {QStringLiteral("UserName"), QStringLiteral("Spell"),
                                      QStringLiteral("FiveStrokes"), QStringLiteral("OrgCode"),
                                      QStringLiteral("Grade"), QStringLiteral("PassWord"),
                                      QStringLiteral("ContactType")};
    UserAudit::Entry entry;
    entry.kind = UserAudit::Kind::Synced;
    entry.userCode = code;
    entry.userName = now[0];
    entry.syncLogId = logId;
    entry.at = at;
    if (!was)
        entry.changes.append({QStringLiteral("UserCode"), std::nullopt, code});
    for (std::size_t i = 0; i < now.size(); ++i) {
        if (was && (*was)[i] == now[i])
            continue;
        const bool password = i == 5;
        entry.changes.append({columns[i],
                              was ? std::optional<QString>(password ? UserAudit::PasswordChanged : (*was)[i])
                                  : std::nullopt,
                              password ? UserAudit::PasswordChanged : now[i]});
    }
    return entry;
}

// Raised from the progress report when the caller asks to stop: the run is
// rolled back as for a failure, and told apart from one.
class RunCancelled : public std::exception
{
public:
    const char *what() const noexcept override { return "cancelled"; }
};

} // namespace

std::unique_lock<std::mutex> SyncRun::holdStatements()
{
    return m_sync ? m_sync->holdStatements() : std::unique_lock<std::mutex>();
}

SyncRun::End SyncRun::run()
{
    // Asked before the transaction: on a database without the log tables the
    // probe fails, and a failed statement may end a server's transaction.
    SyncLog log(m_session, logIdRandom);
    try {
        m_logged = log.available();
    } catch (const std::exception &e) {
        m_logFailure = data::LumoError::of(e).cause();
        qCWarning(lcUserSync).noquote() << "the check for the synchronisation log failed; the run is not logged:"
                                        << maskSecrets(data::LumoError::of(e).message());
    }
    SyncLog::Run logRow;
    logRow.started = clock ? clock() : QDateTime::currentDateTime();
    logRow.login = m_session.UserCode;
    // Chosen now: the trail's rows, written during the run, name it.
    const QString logId = m_logged ? log.nextId(logRow.started) : QString();
    bool audited = false;
    // Written after the transaction ended, in one of its own; a row written
    // under another id than the one chosen takes the trail's rows with it.
    const auto writeLog = [&](const SyncLog::Run &row, const QVector<SyncPreview::Change> &changes) {
        std::function<QString(const QString &, const QString &)> relinked;
        if (audited)
            relinked = [](const QString &from, const QString &to) {
                return QStringLiteral("Update TSys_UserAudit Set SyncLogID = %1 Where SyncLogID = %2")
                    .arg(QuotedStr(to), QuotedStr(from));
            };
        try {
            log.write(row, changes, logId, relinked);
        } catch (const std::exception &logFailure) {
            m_logFailure = data::LumoError::of(logFailure).cause();
            qCWarning(lcUserSync).noquote() << "the run's log row was not written:"
                                            << maskSecrets(data::LumoError::of(logFailure).message());
        }
    };
    m_clock.start();
    try {
        // Asked outside the transaction, as the log's probe is.
        audited = audit && audit->kept(m_session);
        HrTransaction transaction(m_session);
        UserSync sync(m_session);
        // Every row carries the run's start, the time its log row gives.
        if (audited)
            sync.alsoInsert = UserSync::AlsoInsert{
                UserAudit::insertHead(),
                [this, &logId, &logRow](const QString &code, const std::optional<UserSync::Texts> &was,
                                        const UserSync::Texts &now) {
                    return audit->values(m_session, auditEntry(code, was, now, logId, logRow.started));
                }};
        sync.onUser = [this](const QString &code, const std::optional<UserSync::Texts> &was,
                             const UserSync::Texts &now) { m_ran.add(code, was, now); };
        sync.onUnchanged = [this] { ++m_ran.same; };
        struct Writing
        {
            UserSync *&current;
            ~Writing() { current = nullptr; }
        } writing{m_sync = &sync};
        if (onBegun)
            onBegun();
        sync.run([this](int done, int total) {
            if (onProgress)
                onProgress(done, total);
            if (done > 0 && cancelRequested && cancelRequested())
                throw RunCancelled();
        });
        if (onCommitting)
            onCommitting();
        transaction.commit();
        m_seconds = m_clock.elapsed() / 1000.0;
    } catch (const std::exception &e) {
        // The transaction is rolled back by now.
        m_seconds = m_clock.elapsed() / 1000.0;
        if (onEnded)
            onEnded();
        const bool cancelled = dynamic_cast<const RunCancelled *>(&e) != nullptr;
        const auto *userFailure = dynamic_cast<const UserSyncFailure *>(&e);
        if (userFailure)
            m_failedUser = userFailure->userCode();
        if (!cancelled) {
            const data::LumoError whole = data::LumoError::of(e);
            if (userFailure) {
                qCWarning(lcUserSync).noquote() << "synchronisation failed at user" << userFailure->userCode() << ":"
                                                << maskSecrets(whole.message());
            } else {
                qCWarning(lcUserSync).noquote() << "synchronisation failed:" << maskSecrets(whole.message());
            }
            m_cause = whole.cause();
        }
        if (m_logged) {
            // With no counts: nothing the run wrote stayed.
            logRow.result = cancelled ? SyncLog::Result::Cancelled : SyncLog::Result::Failed;
            logRow.seconds = seconds();
            logRow.cause = userFailure ? QStringLiteral("用户 %1: %2").arg(userFailure->userCode(), m_cause) : m_cause;
            writeLog(logRow, {});
        }
        return cancelled ? Cancelled : Failed;
    }
    if (onEnded)
        onEnded();
    if (m_logged) {
        logRow.added = m_ran.added;
        logRow.updated = m_ran.changed;
        logRow.same = m_ran.same;
        logRow.seconds = seconds();
        writeLog(logRow, m_ran.changes);
    }
    return Done;
}
