#pragma once

#include <QStringView>

// Whether a typed search text finds a user, letter case ignored: the user's
// code, pinyin or five-stroke code begins with it, or the name holds it. Every
// character is matched as itself (no wildcards). `folded` is the typed text
// after QString::toCaseFolded, folded once by the caller for all rows.
bool userMatches(QStringView folded, QStringView code, QStringView name, QStringView spell, QStringView wubi);
// The same for the user's unit: its code begins with the text or its name holds it.
bool unitMatches(QStringView folded, QStringView orgCode, QStringView orgName);
