#pragma once

#include <QString>
#include <QVector>

#include <vector>

// The users of every area under the login's own area, read once with one
// read-only statement and searched in memory as the user types: a keystroke
// over 300,000 users must answer faster than a statement could. Typed text
// never reaches a statement.
class UserDirectory
{
public:
    struct User
    {
        QString code, name, spell, wubi;
        int unit;  // index into units()
    };
    struct Unit
    {
        QString code, name, areaCode;
    };

    // Reads the users whose unit lies in the area startArea or below it.
    void load(const QString &startArea);
    bool loaded() const { return m_loaded; }
    void clear();

    int userCount() const { return int(m_users.size()); }
    const User &user(int index) const { return m_users[index]; }
    const Unit &unit(int index) const { return m_units[index]; }

    // The users the text finds (indexes, in the order read). Text that
    // extends the previous search looks only among the previous matches.
    const std::vector<int> &search(const QString &text);
    const std::vector<int> &matches() const { return m_matches; }

    // The statement that reads the directory.
    static QString statement(const QString &startArea);

private:
    std::vector<User> m_users;
    QVector<Unit> m_units;
    std::vector<int> m_matches;
    QString m_lastText;
    bool m_loaded = false;
};
