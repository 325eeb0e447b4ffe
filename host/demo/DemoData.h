#pragma once

#include <QString>

#include <functional>

// Demo databases for the host: a health-record database and an RCMS database,
// made from the schema and filled with a plausible, deterministic data set.
//
// Area codes nest by prefix: a city has 4 digits, a county 6, a township 9 and
// a village 11, each the parent's code plus its own serial, so "all areas below
// X" is a prefix search. Counties and townships also carry a code of the RCMS
// numbering (6 and 8 digits); villages have none. Medical service units belong
// to townships (and two to each county). A user's code is the unit's area code
// padded with "0" to 11 characters plus a two-digit serial, as the module makes
// them.
//
// The RCMS users mostly agree with the health-record users; some differ, some
// are missing on one side or the other, so that synchronising has work to do.
// Some users have entered business records, so that deleting them is refused.
// The trail of user changes holds each user's 新增 and, for a larger trail,
// later edits, password resets, moves and synchronisations of them.
namespace DemoData {

// The two demo logins.
inline const QString AdminCode = QStringLiteral("admin");  // all four functions, at the first county
inline const QString ClerkCode = QStringLiteral("clerk");  // add and edit only, at a township
// The password every demo user has (the module's initial password).
inline const QString InitialPassword = QStringLiteral("5f1d7a3c9e2b48d06a7c3e91b4f8d2a6");
// The host's rights table.
inline const QString RightsTable = QStringLiteral("TSys_UserRight");

using Coder = std::function<QString(const QString &)>;

struct Options
{
    int areas = 0;   // rows of P_XZQH; 0 gives one county (222 areas)
    int users = 0;   // ordinary users besides the two logins; 0 gives 400
    int trailRows = 0;  // rows of the trail of user changes; 0 gives one 新增 per user
    quint32 seed = 20240105;
    Coder pinyin;    // search codes of names; empty: a simple stand-in
    Coder wubi;
    // A file made only to be copied to a server is read once, table by table
    // in the order of its key: the schema's other indexes are left out of it.
    bool hrCopiedOnly = false;
    bool rcmsCopiedOnly = false;
};

enum class ExistingFiles {
    Refuse,  // raise when either file exists, before creating anything
    Skip,    // create only the missing files; an existing file is left alone
};

struct Summary
{
    bool hrCreated = false;
    bool rcmsCreated = false;
    int areas = 0;
    int units = 0;
    int hrUsers = 0;        // rows of the health-record p_User
    int rcmsUsers = 0;      // rows of the RCMS p_User
    int businessRows = 0;   // rows in the 32 checked tables
    int trailRows = 0;      // rows of the trail of user changes
    QString adminRcmsAreaCode;  // the admin's unit area in RCMS numbering
};

// Creates and fills the files. Raises data::LumoError (never overwriting a
// file): an existing file with ExistingFiles::Refuse, more users than the areas
// have codes for, or a database error (the file made is then removed again).
Summary create(const QString &hrFile, const QString &rcmsFile, const Options &options = Options(),
               ExistingFiles existing = ExistingFiles::Refuse);

// The stand-in search codes: one upper-case letter per character (ASCII
// letters and digits kept), derived from the character, stable across runs.
QString standInPinyin(const QString &name);
QString standInWubi(const QString &name);

} // namespace DemoData
