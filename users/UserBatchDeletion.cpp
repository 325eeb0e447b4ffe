#include "UserBatchDeletion.h"

#include <QStringList>

#include "HrTransaction.h"
#include "URCMSObjValueClass.h"
#include "UserAudit.h"
#include "UserDeletion.h"

QString UserBatchDeletion::question(int count)
{
    return QStringLiteral("您确定要删除选中的 %1 个用户?").arg(count);
}

QString UserBatchDeletion::report(const Outcome &outcome)
{
    QString text = outcome.deleted.isEmpty() ? QStringLiteral("没有删除任何用户。")
                                             : QStringLiteral("删除成功!共删除 %1 个用户。").arg(outcome.deleted.size());
    if (outcome.referenced.isEmpty())
        return text;
    QStringList kept;
    for (const UserRef &user : outcome.referenced)
        kept << user.label();
    return text + QStringLiteral("\n以下 %1 个用户已产生数据,无法进行删除:\n").arg(outcome.referenced.size())
        + kept.join(QLatin1Char('\n'));
}

UserBatchDeletion::Outcome UserBatchDeletion::run()
{
    const bool audited = m_audit && m_audit->kept(m_session);  // asked outside the transaction
    Outcome outcome;
    HrTransaction transaction(m_session);
    const int total = int(m_users.size());
    for (int i = 0; i < total; ++i) {
        const UserRef &user = m_users.at(i);
        // Asked inside the transaction, so that the guard and the delete see
        // the same records.
        if (UserDeletion::referenced(m_session, user.code)) {
            outcome.referenced.append(user);
        } else {
            UserDeletion::deleteUser(m_session, audited ? m_audit : nullptr, user.code);
            outcome.deleted.append(user);
        }
        if (progress && !progress(i + 1, total))
            throw Cancelled();
    }
    transaction.commit();
    return outcome;
}
