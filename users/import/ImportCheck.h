#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

#include "ImportSheet.h"

class HostSession;

// The area users are imported into: the tree's row as the add dialog gets it.
struct ImportArea
{
    QString areaCode;     // the area's RCMS code where it has one, else its own: its units' AreaCode
    QString staAreaCode;  // the area's own code: the prefix of the new users' codes
    QString name;         // as the person reads it, in messages
};

// A unit of the area, as the unit picker offers it.
struct ImportUnit
{
    QString code;
    QString name;
};

// One data row of the file as it would be added: every text as the database
// will hold it (cleaned as the save's statement builder cleans typed text; an
// empty text is written as Null). A row with problems keeps what could be
// worked out, for the preview.
struct ImportUser
{
    int line = 0;           // the file's row number (the header is row 1)
    QString userCode;       // area part + serial; empty when no serial could be had
    QString serial;         // two digits
    bool serialGiven = false;
    QString userName;
    QString spell;          // the host's GetPYM of the name, as the dialog asks it
    QString fiveStrokes;    // the host's GetWBM of the name
    QString orgCode;        // the unit's own code, as the picker gives it
    QString orgName;
    QString grade;
    QString contact;
};

// Why a row (or the file's header, row 1) cannot be imported: the row, the
// column's caption, a reason a person can act on.
struct ImportProblem
{
    int line = 0;
    QString column;
    QString reason;
    bool operator==(const ImportProblem &o) const { return line == o.line && column == o.column && reason == o.reason; }
};

// What an import file would do to the area: every data row worked out and
// every problem found, before anything is written.
struct ImportPlan
{
    ImportArea area;
    QString areaPart;            // the area code padded as the add dialog pads it
    QStringList unknownColumns;  // header texts that name no known column: ignored
    QVector<ImportUser> rows;    // every data row, in file order
    QVector<ImportProblem> problems;  // by row, in the order of the columns

    // The rows without a problem: all of them when the plan is importable.
    QVector<ImportUser> toAdd() const;
    // Rows with at least one problem (the header counts as one).
    int problemRows() const;
    // Nothing wrong and something to add.
    bool importable() const { return problems.isEmpty() && !rows.isEmpty(); }
};

// Checks every row of an import file against the selected area before
// anything is written: a name, a unit of the area (by code, or by a name only
// one of its units has), a serial that is free, well formed and given once,
// a free serial for every row without one, a user code that exists once,
// texts that fit their columns and characters the database can store.
class ImportCheck
{
public:
    // What the check reads from the database and the host, so that it can run
    // without them in a test or a benchmark.
    struct Context
    {
        QVector<ImportUnit> units;  // the area's, as the picker offers them
        QStringList codesInUse;     // p_User's codes beginning with the area part
        // p_User's text columns' sizes as the database declares them, by column name.
        QHash<QString, int> sizes;
        bool codesIgnoreCase = true;           // as HostSession::HrCodesIgnoreCase
        bool codesIgnoreTrailingBlanks = false;  // as HostSession::HrCodesIgnoreTrailingBlanks
        std::function<QString(const QString &name)> pinyin;      // GetPYM
        std::function<QString(const QString &name)> fiveStrokes;  // GetWBM
    };

    // The units the window offers in an area (P_YLFWDW.AreaCode, the picker's condition).
    static QVector<ImportUnit> unitsOf(HostSession &session, const QString &areaCode);
    // Reads the context of an area through the session; the codes from the
    // host's GetPYM and GetWBM (HostDispatch).
    static Context read(HostSession &session, const ImportArea &area);

    static ImportPlan check(const Context &context, const ImportArea &area, const ImportSheet &sheet);
    static ImportPlan check(HostSession &session, const ImportArea &area, const ImportSheet &sheet)
    {
        return check(read(session, area), area, sheet);
    }

    // The first character the database cannot store (U+0000, half of a
    // surrogate pair alone), described for a person; empty when there is none.
    static QString unstorableCharacter(const QString &text);
    // p_User's sizes where the database declares none (the shipped schemas').
    static QHash<QString, int> schemaSizes();
};
