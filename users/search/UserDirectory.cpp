#include "UserDirectory.h"

#include <QElapsedTimer>

#include "ClientDataSet.h"
#include "TextRules.h"
#include "URCMSObjValueClass.h"
#include "UserMatch.h"

namespace {

// A slice should take well under a keystroke's 50 ms on a slow machine; its
// rows double while slices take less than the lower bound and halve above the
// upper one.
constexpr qint64 kFastSliceMs = 3;
constexpr qint64 kSlowSliceMs = 8;
constexpr int kMinSliceRows = 256;
constexpr int kMaxSliceRows = 4096;

// A stored text in place; a value stored otherwise (a number) as its text.
QStringView textAt(const data::ClientDataSet &rows, int row, int column, QString &scratch)
{
    const QStringView text = rows.storedText(row, column);
    if (!text.isNull())
        return text;
    scratch = rows.storedValue(row, column).toString();
    return scratch;
}

} // namespace

void UserDirectory::TextColumn::append(QStringView text)
{
    m_text.append(text);
    m_ends.push_back(int(m_text.size()));
}

QStringView UserDirectory::TextColumn::at(int row) const
{
    const int begin = row > 0 ? m_ends[row - 1] : 0;
    return QStringView(m_text).mid(begin, m_ends[row] - begin);
}

void UserDirectory::TextColumn::squeeze()
{
    m_text.squeeze();
    m_ends.shrink_to_fit();
}

void UserDirectory::TextColumn::clear()
{
    m_text = QString();
    m_ends = std::vector<int>();
}

QString UserDirectory::sliceStatement(const QString &columns, const QString &table, const QString &key,
                                      const QString &last, int rows)
{
    QString sql = QStringLiteral("Select Top %1 %2 From %3").arg(rows).arg(columns, table);
    if (!last.isNull())
        sql += QStringLiteral(" Where ") + key + QStringLiteral(" > ") + QuotedStr(last);
    return sql + QStringLiteral(" Order By ") + key;
}

void UserDirectory::clear()
{
    ++m_generation;
    m_phase = NotStarted;
    m_startArea.clear();
    m_last = QString();
    m_areaIndex.clear();
    m_unitIndex.clear();
    m_areas.clear();
    m_units.clear();
    m_code.clear();
    m_name.clear();
    m_spell.clear();
    m_wubi.clear();
    m_userUnit = std::vector<int>();
    m_matches.clear();
    m_searched = 0;
    m_lastText.clear();
    m_unitFound.clear();
}

void UserDirectory::start(const QString &startArea, bool ignoreCase, bool ignoreTrailingBlanks)
{
    // A search made before the reading started goes on over the users read.
    const QString text = m_lastText;
    clear();
    m_lastText = text;
    m_startArea = startArea;
    m_ignoreCase = ignoreCase;
    m_ignoreTrailingBlanks = ignoreTrailingBlanks;
    m_phase = Areas;
}

QStringView UserDirectory::key(QStringView code, QString &scratch) const
{
    if (m_ignoreTrailingBlanks) {
        while (!code.isEmpty() && code.back() == QLatin1Char(' '))
            code.chop(1);
    }
    if (!m_ignoreCase)
        return code;
    for (const QChar c : code) {
        if (c.unicode() < 0x80 ? (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) : c.toCaseFolded() != c) {
            scratch = code.toString().toCaseFolded();
            return scratch;
        }
    }
    return code;
}

QString UserDirectory::keyOf(const QString &code) const
{
    QString scratch;
    const QStringView k = key(code, scratch);
    // Shares the code's text when it is its own key.
    return k.size() == code.size() && k.data() == code.data() ? code : k.toString();
}

bool UserDirectory::readSlice(HostSession &session)
{
    static const QString kAreas[] = {QStringLiteral("AreaCode, AreaName, ParentAreaCode"), QStringLiteral("p_XzQh"),
                                     QStringLiteral("AreaCode")};
    static const QString kUnits[] = {QStringLiteral("OrgCode, OrgName, StaAreaCode"), QStringLiteral("P_YlFwDw"),
                                     QStringLiteral("OrgCode")};
    static const QString kUsers[] = {QStringLiteral("UserCode, UserName, Spell, FiveStrokes, OrgCode"),
                                     QStringLiteral("p_User"), QStringLiteral("UserCode")};
    const QString *table = m_phase == Areas ? kAreas : m_phase == Units ? kUnits : m_phase == Users ? kUsers : nullptr;
    if (!table)
        return m_phase == Done;
    QElapsedTimer timer;
    timer.start();
    const quint64 generation = m_generation;
    const std::unique_ptr<data::ClientDataSet> rows =
        session.OpenHrQuery(sliceStatement(table[0], table[1], table[2], m_last, m_sliceRows));
    // A session that handles events while it reads may have let the
    // directory be started afresh meanwhile: the rows belong to no slice now.
    if (generation != m_generation)
        return false;
    const int count = rows->StoredRowCount();
    if (m_phase == Areas)
        takeAreas(*rows);
    else if (m_phase == Units)
        takeUnits(*rows);
    else
        takeUsers(*rows);
    if (count > 0)
        m_last = rows->storedValue(count - 1, 0).toString();
    if (count < m_sliceRows) {
        // The table is read: on to the next, the lookups no longer needed freed.
        m_last = QString();
        if (m_phase == Areas) {
            m_phase = Units;
        } else if (m_phase == Units) {
            m_areaIndex = QHash<QStringView, int>();
            keepAreasOfUnits();
            // No unit in the areas, no user to read.
            m_phase = m_units.isEmpty() ? Done : Users;
        } else {
            m_unitIndex = QHash<QStringView, int>();
            for (TextColumn *column : {&m_code, &m_name, &m_spell, &m_wubi})
                column->squeeze();
            m_userUnit.shrink_to_fit();
            m_phase = Done;
        }
    }
    const qint64 took = timer.elapsed();
    if (took < kFastSliceMs)
        m_sliceRows = qMin(m_sliceRows * 2, kMaxSliceRows);
    else if (took > kSlowSliceMs)
        m_sliceRows = qMax(m_sliceRows / 2, kMinSliceRows);
    return m_phase == Done;
}

void UserDirectory::takeAreas(const data::ClientDataSet &rows)
{
    // The areas of the tree: the starting area and every area whose parent
    // code begins with it (as `ParentAreaCode Like 'start%'` finds them).
    const Qt::CaseSensitivity cs = m_ignoreCase ? Qt::CaseInsensitive : Qt::CaseSensitive;
    const QString startKey = keyOf(m_startArea);
    QString a, b, c;
    for (int row = 0; row < rows.StoredRowCount(); ++row) {
        const QStringView code = textAt(rows, row, 0, a);
        if (!textAt(rows, row, 2, c).startsWith(m_startArea, cs) && key(code, b) != startKey)
            continue;
        Area area{code.toString(), textAt(rows, row, 1, b).toString(), QString()};
        area.key = keyOf(area.code);
        m_areas.append(std::move(area));
        m_areaIndex.insert(m_areas.constLast().key, int(m_areas.size()) - 1);
    }
}

void UserDirectory::keepAreasOfUnits()
{
    // Most areas (villages) have no unit of their own: only the areas of
    // units are kept, for their names.
    std::vector<int> kept(m_areas.size(), -1);
    QVector<Area> areas;
    for (Unit &unit : m_units) {
        int &index = kept[unit.area];
        if (index < 0) {
            index = int(areas.size());
            areas.append(std::move(m_areas[unit.area]));
        }
        unit.area = index;
    }
    m_areas = std::move(areas);
}

void UserDirectory::takeUnits(const data::ClientDataSet &rows)
{
    QString a, b, c;
    for (int row = 0; row < rows.StoredRowCount(); ++row) {
        const auto area = m_areaIndex.constFind(key(textAt(rows, row, 2, c), b));
        if (area == m_areaIndex.constEnd())
            continue;
        Unit unit{textAt(rows, row, 0, a).toString(), textAt(rows, row, 1, b).toString(), area.value(), QString()};
        unit.key = keyOf(unit.code);
        m_units.append(std::move(unit));
        m_unitIndex.insert(m_units.constLast().key, int(m_units.size()) - 1);
    }
}

void UserDirectory::takeUsers(const data::ClientDataSet &rows)
{
    QString scratch[6];
    for (int row = 0; row < rows.StoredRowCount(); ++row) {
        const auto unit = m_unitIndex.constFind(key(textAt(rows, row, 4, scratch[4]), scratch[5]));
        if (unit == m_unitIndex.constEnd())
            continue;
        m_code.append(textAt(rows, row, 0, scratch[0]));
        m_name.append(textAt(rows, row, 1, scratch[1]));
        m_spell.append(textAt(rows, row, 2, scratch[2]));
        m_wubi.append(textAt(rows, row, 3, scratch[3]));
        m_userUnit.push_back(unit.value());
    }
}

void UserDirectory::matchUnits()
{
    // The units are few: each is matched once per keystroke, not per user.
    m_unitFound.assign(m_units.size(), 0);
    for (int u = 0; u < m_units.size(); ++u)
        m_unitFound[u] = unitMatches(m_lastText, m_units[u].code, m_units[u].name);
}

bool UserDirectory::userFound(int user) const
{
    return m_unitFound[m_userUnit[user]] || userMatches(m_lastText, code(user), name(user), spell(user), wubi(user));
}

const std::vector<int> &UserDirectory::search(const QString &text)
{
    const QString typed = text.trimmed().toCaseFolded();
    if (typed.isEmpty()) {
        m_matches.clear();
        m_lastText.clear();
        m_searched = userCount();
        return m_matches;
    }
    // Whatever the longer text finds, the shorter found too.
    const bool narrowing = !m_lastText.isEmpty() && typed.startsWith(m_lastText);
    m_lastText = typed;
    matchUnits();
    std::vector<int> result;
    if (narrowing) {
        for (int i : m_matches) {
            if (userFound(i))
                result.push_back(i);
        }
    }
    m_matches = std::move(result);
    if (!narrowing)
        m_searched = 0;
    searchNewUsers();
    return m_matches;
}

void UserDirectory::searchNewUsers()
{
    if (m_lastText.isEmpty()) {
        m_searched = userCount();
        return;
    }
    if (m_unitFound.size() != std::size_t(m_units.size()))
        matchUnits();
    for (int i = m_searched; i < userCount(); ++i) {
        if (userFound(i))
            m_matches.push_back(i);
    }
    m_searched = userCount();
}
