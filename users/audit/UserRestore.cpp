#include "UserRestore.h"

#include <algorithm>

#include "AuditQuery.h"
#include "HrTransaction.h"
#include "TextRules.h"
#include "URCMSObjValueClass.h"
#include "UserAudit.h"

namespace {

QString textIn(const data::DataPacket &packet, const char *column)
{
    for (int i = 0; i < packet.fields.size(); ++i)
        if (packet.fields.at(i).name.compare(QLatin1String(column), Qt::CaseInsensitive) == 0)
            return packet.rows.isEmpty() ? QString() : packet.rows.first().value(i).toString();
    return QString();
}

bool isNamed(const QString &column, const char *name)
{
    return column.compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
}

// The literal of a kept value in its column. The trail writes times to the
// millisecond; a time without them goes back as the session writes times, so
// that the stored text is the one the user had.
QString literalOf(const std::optional<QString> &value, data::FieldType type)
{
    if (!value)
        return QStringLiteral("Null");
    QString text = *value;
    if (type == data::FieldType::DateTime && text.endsWith(QLatin1String(".000")))
        text.chop(4);
    return QuotedStr(text);
}

} // namespace

QString UserRestore::run()
{
    // Asked outside the transaction: the probe may fail on a server.
    if (!m_audit.kept(m_session))
        throw Refused(UserAudit::NotKept);
    HrTransaction transaction(m_session);
    const data::DataPacket kept = m_session.OpenHrData(AuditQuery::rowSql(m_auditId));
    if (kept.rows.isEmpty() || textIn(kept, "Kind") != UserAudit::kindText(UserAudit::Kind::Deleted))
        throw Refused(QStringLiteral("只能从\"删除\"的操作日志恢复用户"));
    const QString code = textIn(kept, "UserCode");
    const data::DataPacket holder = UserAudit::userRow(m_session, code);
    if (!holder.rows.isEmpty())
        throw Refused(QStringLiteral("用户代码 %1 已被用户 %2 使用, 不能恢复").arg(code, textIn(holder, "UserName")));

    const QVector<UserAudit::Change> changes = UserAudit::changesFrom(textIn(kept, "Changes"));
    // The unit and its area must still be there: a user of a unit that is
    // gone belongs to no area, shows in no list and cannot be edited.
    for (const UserAudit::Change &change : changes) {
        if (!isNamed(change.column, "OrgCode") || !change.before || change.before->isEmpty())
            continue;
        const data::DataPacket unit = m_session.OpenHrData(
            QStringLiteral("Select OrgName, StaAreaCode From P_YLFWDW Where OrgCode = ") + QuotedStr(*change.before));
        if (unit.rows.isEmpty())
            throw Refused(QStringLiteral("用户所属的医疗服务单位 %1 已不存在, 不能恢复").arg(*change.before));
        const QString area = textIn(unit, "StaAreaCode");
        if (m_session.GetHrValue(QStringLiteral("Select Count(*) From P_XZQH Where AreaCode = ") + QuotedStr(area))
                .toLongLong()
            == 0)
            throw Refused(QStringLiteral("医疗服务单位 %1 所在的行政区划 %2 已不存在, 不能恢复")
                              .arg(textIn(unit, "OrgName"), area));
    }

    // The table's columns as they are now, for their types; a column the
    // table no longer has cannot come back.
    const data::DataPacket shape = m_session.OpenHrData(QStringLiteral("Select * From p_User Where 1 = 0"));
    QStringList columns, values;
    for (const UserAudit::Change &change : changes) {
        auto field = std::find_if(shape.fields.cbegin(), shape.fields.cend(),
                                  [&](const data::FieldDef &f) {
                                      return f.name.compare(change.column, Qt::CaseInsensitive) == 0;
                                  });
        if (field == shape.fields.cend())
            continue;
        columns << field->name;
        if (isNamed(change.column, "PassWord")) {
            // The stored password, kept beside the values, which only say "已更改".
            const QVariant password = kept.rows.first().value(4);
            values << (change.before && !password.isNull() ? QuotedStr(password.toString()) : QStringLiteral("Null"));
        } else {
            values << literalOf(change.before, field->type);
        }
    }
    const QString insert = QStringLiteral("Insert Into p_User (") + columns.join(QStringLiteral(", "))
        + QStringLiteral(") Values (") + values.join(QStringLiteral(", ")) + QLatin1Char(')');
    if (!m_session.ExecHrSql(insert))
        throw data::LumoError(QStringLiteral("恢复用户失败: 数据库未执行写入语句"), QStringLiteral("数据库未执行写入语句"));
    // The row as the database now holds it, as a new user's is recorded.
    m_audit.write(m_session, UserAudit::entryFor(UserAudit::Kind::Restored, data::DataPacket(),
                                                 UserAudit::userRow(m_session, code)));
    transaction.commit();
    return code;
}
