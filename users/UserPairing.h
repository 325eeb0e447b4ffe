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
    // target: the health-record users (" Select * From p_User "), source:
    // the RCMS users; their rows are read where they are stored, and neither
    // may change while pairing.
    UserPairing(data::ClientDataSet &target, data::ClientDataSet &source, bool ignoreCase,
                bool ignoreTrailingBlanks);

    // The texts of the user code pairs with, or nothing for a new user.
    std::optional<UserSync::Texts> find(const QString &code);
    // The run wrote the source's current user: a later RCMS user of the same
    // key pairs with it.
    void wroteCurrent(const QString &code);

    // A user code as the database's key compares it.
    QString keyOf(const QString &code) const;

private:
    static QString textAt(const data::ClientDataSet &dataSet, int storedRow, const data::Field *field);
    QString codeAt(int storedRow) const;
    static UserSync::Texts textsAt(const data::ClientDataSet &dataSet, const UserSync::Columns &columns,
                                   int storedRow);

    data::ClientDataSet &m_target;
    const UserSync::Columns m_targetColumns;
    data::ClientDataSet &m_source;
    const UserSync::Columns m_sourceColumns;
    const bool m_ignoreCase;
    const bool m_ignoreTrailing;
    // Health-record users as stored rows: the first row of each exact code
    // (the row the filter "UserCode = 'x'" would find first), made in one pass
    // rather than a filter per user; and, made on the first code the exact
    // code misses, the first row of each key that differs from its code (a
    // code that is its own key is found among the exact codes).
    QHash<QString, int> m_byCode;
    QHash<QString, int> m_byFoldedKey;
    bool m_byKeyMade = false;
    QHash<QString, int> m_written;  // key -> the source's stored row
};
