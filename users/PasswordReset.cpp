#include "PasswordReset.h"

#include "HrTransaction.h"
#include "TextRules.h"
#include "URCMSObjValueClass.h"
#include "UserAudit.h"

QString PasswordReset::question(const QVector<User> &users)
{
    if (users.isEmpty())
        return QString();
    const QString first = users.first().label();
    return users.size() == 1 ? QStringLiteral("确定将 %1 的密码重置为初始密码?").arg(first)
                             : QStringLiteral("确定将 %1 等 %2 人的密码重置为初始密码?").arg(first).arg(users.size());
}

void PasswordReset::run()
{
    const bool audited = m_audit && m_audit->kept(m_session);  // asked outside the transaction
    HrTransaction transaction(m_session);
    for (const User &user : m_users) {
        if (!m_session.ExecHrSql(QStringLiteral("Update p_User Set PassWord = ") + QuotedStr(m_password)
                                 + QStringLiteral(" Where UserCode = ") + QuotedStr(user.code)))
            throw Refused();
        if (audited)
            m_audit->write(m_session, UserAudit::columnEntry(UserAudit::Kind::PasswordReset, user.code, user.name,
                                                             {QStringLiteral("PassWord"), UserAudit::PasswordChanged,
                                                              UserAudit::PasswordChanged}));
    }
    transaction.commit();
}
