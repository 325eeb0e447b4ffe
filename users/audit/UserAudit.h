#pragma once

#include <QDateTime>
#include <QString>
#include <QVector>

#include <functional>
#include <optional>

#include "DataPacket.h"

class HostSession;

// The trail of changes to the user table (TSys_UserAudit in the health-record
// database): one row per change of one user, with when, who (the login and
// the machine), the kind, the user, and the changed columns' values before and
// after. A row is written by the command that makes the change, inside the
// change's own transaction, so that the trail and the users never disagree.
//
// Passwords never appear among the values: a password column reads "已更改".
// A deleted user's row is kept whole, the stored password in the trail's own
// PassWord column, so that the user can be brought back exactly as they were.
//
// An older database may lack the table: the commands then work as before and
// nothing is recorded. The session is passed per call, so that one trail
// object serves a window whatever session is current.
class UserAudit
{
public:
    enum class Kind { Added, Edited, Deleted, PasswordReset, Moved, Restored, Imported, Synced };
    static QString kindText(Kind kind);
    // The caption a person reads for a column of the user table (the add
    // dialog's words); a column it does not know keeps its own name.
    static QString columnCaption(const QString &column);

    // What stands for a password's value.
    static inline const QString PasswordChanged = QStringLiteral("已更改");
    // Said once by a window on a database without the table.
    static inline const QString NotKept = QStringLiteral("数据库中没有操作日志表, 用户的变更不记入日志");

    // One column's text before and after the change; none where the user had
    // no row, or the column was Null.
    struct Change
    {
        QString column;
        std::optional<QString> before, after;
        bool operator==(const Change &other) const
        {
            return column == other.column && before == other.before && after == other.after;
        }
    };

    struct Entry
    {
        Kind kind = Kind::Edited;
        QString userCode;
        QString userName;
        QVector<Change> changes;
        QString syncLogId;                    // the synchronisation run that made the change
        std::optional<QString> keptPassword;  // a deleted user's stored password
        QDateTime at;                         // when; now when not set
    };

    // Whether the database keeps the trail, asked once and remembered. Ask
    // outside a transaction: the probe fails on a database without the table
    // (and on a server a failed statement may end the transaction). A probe
    // that fails for any other reason raises data::LumoError and is asked again
    // next time: a change is never made unrecorded on a guess.
    bool kept(HostSession &session);
    // Whether the answer is known, and what it was.
    std::optional<bool> knownKept() const { return m_kept; }

    // The entry for a change of one user from the user's row before and after
    // it (p_User rows as "Select *" reads them; an empty packet where there is
    // no row): a new user's set columns, an edited user's changed ones, a
    // deleted user's every column.
    static Entry entryFor(Kind kind, const data::DataPacket &before, const data::DataPacket &after);
    // The entry for a command that changes one column of a user.
    static Entry columnEntry(Kind kind, const QString &userCode, const QString &userName, Change change)
    {
        Entry entry;
        entry.kind = kind;
        entry.userCode = userCode;
        entry.userName = userName;
        entry.changes.append(std::move(change));
        return entry;
    }
    // The row of p_User of a user, as "Select *" reads it.
    static data::DataPacket userRow(HostSession &session, const QString &userCode);

    // The insert of an entry, by the session's login on this machine.
    QString statement(const HostSession &session, const Entry &entry) const;
    // The same insert in two pieces, for one statement that writes many
    // entries: the head, then each entry's parenthesised values, joined by ", ".
    static QString insertHead();
    QString values(const HostSession &session, const Entry &entry) const;
    // Writes the entry where the trail is kept (kept() asked before); raises
    // data::LumoError when the session raises or answers false, so that the
    // caller rolls the change back with it.
    void write(HostSession &session, const Entry &entry);

    // The changed columns as the trail keeps them: a JSON array of
    // [column, before, after], null for none.
    static QString changesText(const QVector<Change> &changes);
    static QVector<Change> changesFrom(const QString &text);

    // The time a row is stamped with; now when not set.
    std::function<QDateTime()> clock;
    // The machine's name as the rows give it; the system's host name by default.
    QString machineName;

    UserAudit();

private:
    std::optional<bool> m_kept;
    mutable QDateTime m_lastTime;
    mutable QString m_lastTimeText;
};
