#include "UserUnitMove.h"

#include "HrTransaction.h"
#include "TextRules.h"
#include "URCMSObjValueClass.h"
#include "UserAudit.h"

QString UserUnitMove::question(const QVector<UserRef> &users, const QString &orgCode, const QString &orgName)
{
    if (users.isEmpty())
        return QString();
    const QString unit = QStringLiteral("%1(%2)").arg(orgName, orgCode);
    return users.size() == 1
        ? QStringLiteral("确定将 %1 调整到 %2?").arg(users.first().label(), unit)
        : QStringLiteral("确定将 %1 等 %2 人调整到 %3?").arg(users.first().label()).arg(users.size()).arg(unit);
}

int UserUnitMove::run()
{
    const bool audited = m_audit && m_audit->kept(m_session);  // asked outside the transaction
    HrTransaction transaction(m_session);
    int moved = 0;
    for (const UserRef &user : m_users) {
        // Read inside the transaction, so that the trail's old unit is the one replaced.
        const data::DataPacket row =
            m_session.OpenHrData(QStringLiteral("Select OrgCode From p_User Where UserCode = ") + QuotedStr(user.code));
        // Deleted meanwhile by someone else: the move as asked cannot be made.
        if (row.rows.isEmpty())
            throw data::LumoError(QStringLiteral("用户 %1 已不存在").arg(user.label()));
        const QVariant before = row.rows.at(0).at(0);
        if (!before.isNull() && before.toString() == m_orgCode)
            continue;
        if (!m_session.ExecHrSql(QStringLiteral("Update p_User Set OrgCode = ") + QuotedStr(m_orgCode)
                                 + QStringLiteral(" Where UserCode = ") + QuotedStr(user.code)))
            throw Refused();
        if (audited)
            m_audit->write(m_session, UserAudit::columnEntry(UserAudit::Kind::Moved, user.code, user.name,
                                                             {QStringLiteral("OrgCode"),
                                                              before.isNull() ? std::nullopt
                                                                              : std::optional<QString>(before.toString()),
                                                              m_orgCode}));
        ++moved;
    }
    transaction.commit();
    return moved;
}
