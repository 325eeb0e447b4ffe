#pragma once

#include <QString>
#include <QStringList>

#include <bitset>

// The two-digit serials 01..99 that new user codes of one area end in, and
// which of them are still free. A code is taken wherever it is in p_User, so a
// serial counts as used when any user's code is the area part followed by it.
class UserSerials
{
public:
    static constexpr int kFirst = 1;
    static constexpr int kLast = 99;

    UserSerials(const QString &areaPart, const QStringList &codesInUse);
    // The serials in use for areaPart, read through the module's session.
    static UserSerials read(const QString &areaPart);
    // The part every new code of an area begins with: its code padded with
    // "0" to 11 characters, a longer code kept whole.
    static QString areaPart(const QString &staAreaCode);
    // The codes that may hold a serial of areaPart. The pattern only narrows
    // the rows read: a wildcard in it matches more, and every code an insert
    // could collide with begins with the area part, as the database compares.
    static QString codesInUseSql(const QString &areaPart);

    int freeCount() const;
    bool isFree(int serial) const;
    // Counts a serial as used from now on (one an import has given a row).
    void take(int serial);
    // The first free serial after `after` (two digits), going round to the
    // lowest when none is free above it; empty when all are used. An `after`
    // that is not a serial starts from the lowest.
    QString next(const QString &after = QString()) const;

private:
    std::bitset<kLast + 1> m_used;
};
