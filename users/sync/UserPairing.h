#pragma once

#include <QString>
#include <QStringView>

#include <optional>

#include "CodeRowIndex.h"
#include "UserSync.h"

// Pairs each RCMS user with the health-record user the synchronisation treats
// as the same person: first a user the run has already written under the same
// key, then the health-record user of exactly that code (the first row of it,
// the row the filter "UserCode = 'x'" would find first), and, where the
// database's key ignores letter case or trailing blanks, the first
// health-record user whose code folds to the same key. The synchronisation and
// its preview both pair through this class, so that what the preview shows is
// what a run does.
class UserPairing
{
public:
    // target: the health-record users (" Select * From p_User "), source:
    // the RCMS users; their rows are read where they are stored, and neither
    // may change while pairing.
    UserPairing(data::ClientDataSet &target, data::ClientDataSet &source, bool ignoreCase,
                bool ignoreTrailingBlanks);

    // Where the user a code pairs with is stored: a row of the target, or of
    // the source for a user the run wrote.
    struct Paired
    {
        const data::ClientDataSet *dataSet;
        const UserSync::Columns *columns;
        int row;
    };
    std::optional<Paired> findRow(QStringView code) const;
    // The run wrote the source's current user: a later RCMS user of the same
    // key pairs with it.
    void wroteCurrent();

    // Whether the source's stored row holds the same seven compared texts as
    // the paired user, compared where both are stored.
    bool sameTexts(int sourceRow, const Paired &paired) const;

    static UserSync::Texts textsAt(const data::ClientDataSet &dataSet, const UserSync::Columns &columns,
                                   int storedRow);

private:
    bool isOwnKey(QStringView code) const;
    // A user code as the database's key compares it.
    QString keyOf(const QString &code) const;

    data::ClientDataSet &m_target;
    const UserSync::Columns m_targetColumns;
    data::ClientDataSet &m_source;
    const UserSync::Columns m_sourceColumns;
    const bool m_ignoreCase;
    const bool m_ignoreTrailing;
    const bool m_folding;  // the key ignores letter case or trailing blanks
    CodeRowIndex m_byCode;           // target rows by exact code
    bool m_targetCodesAreKeys = true;  // no health-record code differs from its key
    // Target rows by key, made when an exact code first misses and some code
    // differs from its key.
    mutable CodeRowIndex m_byKey;
    mutable bool m_byKeyMade = false;
    CodeRowIndex m_written;          // source rows the run wrote, by key
};
