#include "UserDeletion.h"

#include "BusinessTables.h"
#include "HrTransaction.h"
#include "TextRules.h"
#include "URCMSObjValueClass.h"
#include "UserAudit.h"

QString UserDeletion::enteredByCondition(const BusinessTable &table, const QString &pattern, const QString &orGap)
{
    QString condition;
    if (table.creatorColumn)
        condition = QString::fromLatin1(table.creatorColumn) + QStringLiteral(" Like ") + pattern + orGap
            + QStringLiteral("Or ");
    return condition + QStringLiteral("InpPerCode Like ") + pattern;
}

QString UserDeletion::guardSql(const QString &userCode)
{
    const QString pattern = QuotedStr(userCode + QLatin1Char('%'));
    // One row per table, at most: the statement stops at a table's first record.
    QString sql = QStringLiteral("Select Count(*) From ( ");
    for (std::size_t i = 0; i < kBusinessTableCount; ++i) {
        const BusinessTable &table = kBusinessTables[i];
        sql += i == 0 ? QStringLiteral(" Select Top 1 'UserCode' As TOrgCode From ")
                      : QStringLiteral(" Union All  Select Top 1 'UserCode' From ");
        sql += QString::fromLatin1(table.name) + QStringLiteral("    Where ")
            + enteredByCondition(table, pattern, QStringLiteral("     "));
    }
    sql += QStringLiteral(") A ");
    return sql;
}

bool UserDeletion::referenced()
{
    return referenced(m_session, m_userCode);
}

bool UserDeletion::referenced(HostSession &session, const QString &userCode)
{
    return session.GetHrValue(guardSql(userCode)).toLongLong() > 0;
}

void UserDeletion::deleteUser(HostSession &session, UserAudit *audited, const QString &userCode)
{
    // Read inside the transaction, so that the row kept is the row deleted.
    const data::DataPacket row = audited ? UserAudit::userRow(session, userCode) : data::DataPacket();
    if (!session.ExecHrSql(QStringLiteral("Delete P_User Where UserCode = ") + QuotedStr(userCode)))
        throw Refused();
    if (audited && !row.rows.isEmpty())
        audited->write(session, UserAudit::entryFor(UserAudit::Kind::Deleted, row, data::DataPacket()));
}

void UserDeletion::run()
{
    // An answer lost on the way back leaves the user in the database, and the
    // failure is raised: a delete is never reported done that may not be.
    const bool audited = m_audit && m_audit->kept(m_session);  // asked outside the transaction
    HrTransaction transaction(m_session);
    deleteUser(m_session, audited ? m_audit : nullptr, m_userCode);
    transaction.commit();
}
