#pragma once

#include <QHash>
#include <QString>

#include <optional>

#include "UserSync.h"

// Pairs each RCMS user with the health-record user the synchronisation treats
// as the same person: first a user the run has already written under the same
// key, then the health-record user of exactly that code (found by filtering
// the target as the synchronisation always has), and, where the database's key
// ignores letter case or trailing blanks, the first health-record user whose
// code folds to the same key. The synchronisation and its preview both pair
// through this class, so that what the preview shows is what a run does.
class UserPairing
{
public:
    // target: the health-record users (" Select * From p_User "); its rows
    // are read where they are stored, and it must not change while pairing.
    UserPairing(data::ClientDataSet &target, bool ignoreCase, bool ignoreTrailingBlanks);

    // The texts of the user code pairs with, or nothing for a new user.
    std::optional<UserSync::Texts> find(const QString &code);
    // What the run wrote for code: a later RCMS user of the same key pairs with it.
    void wrote(const QString &code, const UserSync::Texts &texts);

    // A user code as the database's key compares it.
    QString keyOf(const QString &code) const;

private:
    QString textAt(int storedRow, const data::Field *field) const;
    QString codeAt(int storedRow) const;
    UserSync::Texts textsAt(int storedRow) const;

    data::ClientDataSet &m_target;
    const UserSync::Columns m_targetColumns;
    const bool m_ignoreCase;
    const bool m_ignoreTrailing;
    // Health-record users as stored rows: the first row of each exact code
    // (the row the filter "UserCode = 'x'" would find first), made in one pass
    // rather than a filter per user; and by key, made on the first code the
    // exact code misses.
    QHash<QString, int> m_byCode;
    QHash<QString, int> m_byKey;
    bool m_byKeyMade = false;
    QHash<QString, UserSync::Texts> m_written;
};
