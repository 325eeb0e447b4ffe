#pragma once

#include <QString>
#include <QVector>

#include <array>
#include <optional>

#include "UserSync.h"

class HostSession;

// What the synchronisation would do, worked out from both user tables without
// writing anything: the users it would insert, those it would rewrite (and in
// which of the compared columns they differ), those it would leave alone, and
// the health-record users it never touches because RCMS has no such user.
class SyncPreview
{
public:
    // The compared columns, in the order the synchronisation compares them.
    enum Column { Name, Spell, FiveStrokes, Unit, Grade, Password, Contact, ColumnCount };
    static QString columnCaption(Column column);

    struct Change
    {
        bool added = false;  // a new user; otherwise one column of a changed user
        QString userCode;
        QString userName;    // as RCMS has it
        Column column = Name;
        QString oldValue;    // empty for a new user
        QString newValue;    // passwords never: shown as changed only
    };

    int added = 0;
    int changed = 0;
    int same = 0;
    int withoutSource = 0;  // health-record users RCMS does not have
    std::array<int, ColumnCount> changedPerColumn{};
    QVector<Change> changes;

    // Reads both tables with the synchronisation's own queries and pairing.
    static SyncPreview read(HostSession &session);

    // Counts one RCMS user against the texts of the health-record user it
    // pairs with (none: a new user); true when the run writes the user. A run
    // feeds its users through this too, so its log tells what the preview tells.
    bool add(const QString &code, const std::optional<UserSync::Texts> &was, const UserSync::Texts &now);

    // One line for a person: the counts of each kind.
    QString summary() const;
    // The counts of a finished run: "新增 a 人, 更新 b 人, 未变 c 人, 用时 t 秒",
    // the seconds written as the run's log row reads back (1.646, 2).
    QString runLine(double seconds) const;
};

// A change moves as its bytes (its texts are QStrings), so a long list of
// them grows in place where the heap allows, instead of being copied to a new
// block with the old one still held.
Q_DECLARE_TYPEINFO(SyncPreview::Change, Q_RELOCATABLE_TYPE);
