#pragma once

#include <QDateTime>
#include <QString>
#include <QVector>

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

    explicit SyncLog(HostSession &session) : m_session(session) {}

    // Whether the log tables exist. Ask outside a transaction: the probe fails
    // on a database without them.
    bool available();

    // Writes the run's row and, for the changes given, one row per changed
    // user, in the caller's transaction. Raises data::LumoError on failure.
    void write(const Run &run, const QVector<SyncPreview::Change> &changes = {});

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
};
