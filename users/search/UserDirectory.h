#pragma once

#include <QHash>
#include <QString>
#include <QStringView>
#include <QVector>

#include <vector>

class HostSession;
namespace data {
class ClientDataSet;
}

// The users of every area under the login's own area, searched in memory as
// the user types: a keystroke over 300,000 users must answer faster than a
// statement could. Typed text never reaches a statement.
//
// The directory is read in short slices, one read-only statement each, so
// that the window can read it between keystrokes without ever keeping one
// waiting: the areas, the units and the users, each walked along its primary
// key (`Select Top n ... Where key > last Order By key`), joined here. A join
// in the database would have to be sorted whole for every slice.
class UserDirectory
{
public:
    struct Area
    {
        QString code, name;
        QString key;  // the code as the database compares it (sharing code's text when the same)
    };
    struct Unit
    {
        QString code, name;
        int area;  // index into area()
        QString key;
    };

    // Starts reading afresh the users whose unit lies in startArea or below
    // it. Codes are joined as the health-record database compares them.
    void start(const QString &startArea, bool ignoreCase, bool ignoreTrailingBlanks);
    void clear();
    bool started() const { return m_phase != NotStarted; }
    bool loaded() const { return m_phase == Done; }
    // Reads the next slice with one statement; true once everything is read.
    // A failure raises and leaves the directory as it was: the next call
    // reads the same slice again.
    bool readSlice(HostSession &session);

    int userCount() const { return int(m_userUnit.size()); }
    QStringView code(int user) const { return m_code.at(user); }
    QStringView name(int user) const { return m_name.at(user); }
    QStringView spell(int user) const { return m_spell.at(user); }
    QStringView wubi(int user) const { return m_wubi.at(user); }
    const Unit &unitOf(int user) const { return m_units[m_userUnit[user]]; }
    const Area &area(int index) const { return m_areas[index]; }

    // The users the text finds (indexes, in code order). Text that extends
    // the previous search looks only among the previous matches and the users
    // read since.
    const std::vector<int> &search(const QString &text);
    // Adds the users read since the last search that its text finds.
    void searchNewUsers();
    const std::vector<int> &matches() const { return m_matches; }

    // The statement of one slice: rows rows of table after the key last (all
    // from the first when last is null), in the order of its key.
    static QString sliceStatement(const QString &columns, const QString &table, const QString &key,
                                  const QString &last, int rows);

private:
    enum Phase { NotStarted, Areas, Units, Users, Done };

    // Texts of one column, kept end to end: a QString per user and column
    // would cost 300,000 allocations and some 60 MB.
    class TextColumn
    {
    public:
        void append(QStringView text);
        QStringView at(int row) const;
        void squeeze();
        void clear();

    private:
        QString m_text;
        std::vector<int> m_ends;
    };

    // The code as the database compares it: scratch holds it when it differs.
    QStringView key(QStringView code, QString &scratch) const;
    QString keyOf(const QString &code) const;
    void takeAreas(const data::ClientDataSet &rows);
    void takeUnits(const data::ClientDataSet &rows);
    void keepAreasOfUnits();
    void takeUsers(const data::ClientDataSet &rows);
    void matchUnits();
    bool userFound(int user) const;

    Phase m_phase = NotStarted;
    quint64 m_generation = 0;  // counts the starts afresh
    QString m_startArea;
    bool m_ignoreCase = true;
    bool m_ignoreTrailingBlanks = false;
    QString m_last;            // the key the last slice ended on
    int m_sliceRows = 1024;    // adapted to keep a slice short
    // Keyed by the keys the areas and units hold: no text of their own, so
    // they are freed at once.
    QHash<QStringView, int> m_areaIndex;  // while the units are read
    QHash<QStringView, int> m_unitIndex;  // while the users are read
    QVector<Area> m_areas;
    QVector<Unit> m_units;
    TextColumn m_code, m_name, m_spell, m_wubi;
    std::vector<int> m_userUnit;

    std::vector<int> m_matches;
    int m_searched = 0;  // the users the matches cover
    QString m_lastText;
    std::vector<char> m_unitFound;  // per unit, for m_lastText
};
