#include "UserMatch.h"

namespace {

// Qt's case-insensitive search sets itself up on every call; over a grid's
// rows per keystroke a plain loop over short texts is many times faster.
inline char16_t fold(char16_t c)
{
    if (c < 0x80)
        return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c;
    return QChar::toCaseFolded(c);
}

bool startsWithFolded(QStringView text, QStringView folded)
{
    if (text.size() < folded.size())
        return false;
    for (qsizetype i = 0; i < folded.size(); ++i) {
        if (fold(text[i].unicode()) != folded[i].unicode())
            return false;
    }
    return true;
}

bool containsFolded(QStringView text, QStringView folded)
{
    for (qsizetype from = 0; from + folded.size() <= text.size(); ++from) {
        if (startsWithFolded(text.mid(from), folded))
            return true;
    }
    return false;
}

} // namespace

bool userMatches(QStringView folded, QStringView code, QStringView name, QStringView spell, QStringView wubi)
{
    return startsWithFolded(code, folded) || startsWithFolded(spell, folded) || startsWithFolded(wubi, folded)
        || containsFolded(name, folded);
}

bool unitMatches(QStringView folded, QStringView orgCode, QStringView orgName)
{
    return startsWithFolded(orgCode, folded) || containsFolded(orgName, folded);
}
