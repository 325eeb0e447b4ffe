#pragma once

#include <QDateTime>
#include <QString>
#include <QVector>

#include <functional>

#include "DataPacket.h"
#include "SyncPreview.h"

class HostSession;

// The synchronisation log in the health-record database (TSys_UserSyncLog and
// TSys_UserSyncLogDet): one row per run, and one per user a successful run
// changed. An older database may lack the tables; the synchronisation then
// runs as before without a log.
class SyncLog
{
public:
    enum class Result { Succeeded, Failed, Cancelled };
    static QString resultText(Result result);

    struct Run
    {
        QDateTime started;
        QString login;  // the user code of who ran it
        int added = 0;
        int updated = 0;
        int same = 0;
        Result result = Result::Succeeded;
        double seconds = 0;
        QString cause;  // why it failed
    };

    // random: where an id's last three characters come from; the system's
    // random numbers when not given.
    explicit SyncLog(HostSession &session, std::function<quint32()> random = {});

    // Whether the log tables exist. Ask outside a transaction: the probe fails
    // on a database without them. A probe that fails for any other reason
    // (the database busy, the connection lost) is no answer: it raises
    // data::LumoError with its cause.
    bool available();

    // Writes the run's row and, for the changes given, one row per changed
    // user, in a transaction of its own: a log that cannot be written never
    // undoes the users a run wrote. A try that fails is tried again under a
    // new id (another desktop may have taken it). Returns the id; raises
    // data::LumoError with the last try's failure.
    // id: the id to try first (nextId()), one that rows written beforehand
    // already name; relinked: when a later try takes another id, the statement
    // that moves those rows to it, run in the same transaction.
    QString write(const Run &run, const QVector<SyncPreview::Change> &changes = {}, const QString &id = QString(),
                  const std::function<QString(const QString &from, const QString &to)> &relinked = {});
    // A new id for a run that started then.
    QString nextId(const QDateTime &started) { return newId(started, m_random()); }

    // A run's id: the start time to the millisecond, so that the newest sorts
    // first, then three random characters from 0-9 and a-z (one case: the
    // key ignores case), within the key's 20 characters.
    static QString newId(const QDateTime &started, quint32 random);

    // The newest runs first: LogID, SyncTime, UserCode, AddedCount, UpdatedCount,
    // SameCount, Result, Seconds, Cause.
    data::DataPacket runs(int newest = 500);
    // The users one run changed: UserCode, ChangeKind, ChangedColumns, OldValues, NewValues.
    data::DataPacket changes(const QString &logId);

    // The statements write() sends, for the tests and for a caller that batches.
    static QString runStatement(const QString &logId, const Run &run);
    static QStringList changeStatements(const QString &logId, const QVector<SyncPreview::Change> &changes);

private:
    HostSession &m_session;
    std::function<quint32()> m_random;
};
