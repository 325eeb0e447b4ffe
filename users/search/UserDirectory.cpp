#include "UserDirectory.h"

#include <QHash>

#include "DataPacket.h"
#include "TextRules.h"
#include "UGlobalValue.h"
#include "URCMSObjValueClass.h"
#include "UserMatch.h"

QString UserDirectory::statement(const QString &startArea)
{
    // The areas are those of the tree: the starting area and every area whose
    // parent code begins with it.
    return QStringLiteral("Select p_User.UserCode, p_User.UserName, p_User.Spell, p_User.FiveStrokes, p_User.OrgCode, "
                          "P_YlFwDw.OrgName, P_YlFwDw.StaAreaCode From p_User, P_YlFwDw "
                          "Where p_User.OrgCode = P_YlFwDw.OrgCode And P_YlFwDw.StaAreaCode In "
                          "(Select AreaCode From p_XzQh Where ParentAreaCode Like ")
        + QuotedStr(startArea + QLatin1Char('%')) + QStringLiteral(" Or AreaCode = ") + QuotedStr(startArea)
        + QStringLiteral(") Order By p_User.UserCode");
}

void UserDirectory::clear()
{
    m_users.clear();
    m_users.shrink_to_fit();
    m_units.clear();
    m_matches.clear();
    m_lastText.clear();
    m_loaded = false;
}

void UserDirectory::load(const QString &startArea)
{
    clear();
    const data::DataPacket packet = UGlobalValue::Session().OpenHrData(statement(startArea));
    QHash<QString, int> unitIndex;
    m_users.reserve(packet.rows.size());
    auto text = [](const QVariant &v) { return v.isNull() ? QString() : v.toString(); };
    for (const auto &row : packet.rows) {
        if (row.size() < 7)
            continue;
        const QString orgCode = text(row[4]);
        auto it = unitIndex.constFind(orgCode);
        if (it == unitIndex.constEnd()) {
            it = unitIndex.insert(orgCode, int(m_units.size()));
            m_units.append({orgCode, text(row[5]), text(row[6])});
        }
        m_users.push_back({text(row[0]), text(row[1]), text(row[2]), text(row[3]), it.value()});
    }
    m_loaded = true;
}

const std::vector<int> &UserDirectory::search(const QString &text)
{
    const QString typed = text.trimmed().toCaseFolded();
    if (typed.isEmpty()) {
        m_matches.clear();
        m_lastText.clear();
        return m_matches;
    }
    // The units are few: each is matched once per keystroke, not per user.
    std::vector<char> unitFound(m_units.size());
    for (int u = 0; u < m_units.size(); ++u)
        unitFound[u] = unitMatches(typed, m_units[u].code, m_units[u].name);
    auto found = [&](int i) {
        const User &u = m_users[i];
        return unitFound[u.unit] || userMatches(typed, u.code, u.name, u.spell, u.wubi);
    };
    std::vector<int> result;
    // Whatever the longer text finds, the shorter found too.
    if (!m_lastText.isEmpty() && typed.startsWith(m_lastText)) {
        for (int i : m_matches) {
            if (found(i))
                result.push_back(i);
        }
    } else {
        for (int i = 0; i < int(m_users.size()); ++i) {
            if (found(i))
                result.push_back(i);
        }
    }
    m_matches = std::move(result);
    m_lastText = typed;
    return m_matches;
}
