#include "UserAudit.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QSysInfo>

#include "LumoError.h"
#include "TextRules.h"
#include "URCMSObjValueClass.h"

namespace {

// Whether a failed probe says the table is not there, in the words of SQLite,
// SQL Server or PostgreSQL (English or Chinese).
bool saysTableMissing(const data::LumoError &error)
{
    static const QRegularExpression missing(QStringLiteral("no such table|invalid object name|does not exist|不存在"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QString cause = error.cause();
    return cause.contains(QLatin1String("TSys_UserAudit"), Qt::CaseInsensitive) && cause.contains(missing);
}

bool isPassword(const QString &column)
{
    return column.compare(QLatin1String("PassWord"), Qt::CaseInsensitive) == 0;
}

// A value as the trail writes it: text as stored, times to the millisecond.
std::optional<QString> textOf(const QVariant &value)
{
    if (value.isNull())
        return std::nullopt;
    switch (value.typeId()) {
    case QMetaType::QDateTime:
        return value.toDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz"));
    case QMetaType::QDate:
        return value.toDate().toString(Qt::ISODate);
    case QMetaType::QTime:
        return value.toTime().toString(QStringLiteral("hh:mm:ss.zzz"));
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    default:
        return value.toString();
    }
}

std::optional<QString> maskedPassword(const std::optional<QString> &text)
{
    return text ? std::optional<QString>(UserAudit::PasswordChanged) : std::nullopt;
}

} // namespace

UserAudit::UserAudit() : machineName(QSysInfo::machineHostName()) {}

QString UserAudit::kindText(Kind kind)
{
    switch (kind) {
    case Kind::Added: return QStringLiteral("新增");
    case Kind::Edited: return QStringLiteral("修改");
    case Kind::Deleted: return QStringLiteral("删除");
    case Kind::PasswordReset: return QStringLiteral("重置密码");
    case Kind::Moved: return QStringLiteral("调整单位");
    case Kind::Restored: return QStringLiteral("恢复");
    case Kind::Imported: return QStringLiteral("导入");
    case Kind::Synced: return QStringLiteral("同步");
    }
    return QString();
}

QString UserAudit::columnCaption(const QString &column)
{
    static const QHash<QString, QString> captions{
        {QStringLiteral("usercode"), QStringLiteral("用户代码")},
        {QStringLiteral("username"), QStringLiteral("用户姓名")},
        {QStringLiteral("spell"), QStringLiteral("拼音码")},
        {QStringLiteral("fivestrokes"), QStringLiteral("五笔码")},
        {QStringLiteral("orgcode"), QStringLiteral("所属单位")},
        {QStringLiteral("grade"), QStringLiteral("管理级别")},
        {QStringLiteral("contacttype"), QStringLiteral("联系方式")},
        {QStringLiteral("password"), QStringLiteral("密码")},
        {QStringLiteral("inppercode"), QStringLiteral("录入人")},
        {QStringLiteral("inpdate"), QStringLiteral("录入日期")},
    };
    return captions.value(column.toLower(), column);
}

bool UserAudit::kept(HostSession &session)
{
    if (m_kept)
        return *m_kept;
    try {
        bool isCount = false;
        session.GetHrValue(QStringLiteral("Select Count(*) From TSys_UserAudit Where 1 = 0")).toLongLong(&isCount);
        m_kept = isCount;
    } catch (const data::LumoError &e) {
        if (!saysTableMissing(e))
            throw;
        m_kept = false;
    }
    return *m_kept;
}

data::DataPacket UserAudit::userRow(HostSession &session, const QString &userCode)
{
    return session.OpenHrData(QStringLiteral("Select * From p_User Where UserCode = ") + QuotedStr(userCode));
}

UserAudit::Entry UserAudit::entryFor(Kind kind, const data::DataPacket &before, const data::DataPacket &after)
{
    Entry entry;
    entry.kind = kind;
    const bool hasRow = !after.rows.isEmpty();
    const data::DataPacket &shape = hasRow ? after : before;
    const auto valueIn = [](const data::DataPacket &packet, const QString &column) -> std::optional<QString> {
        if (packet.rows.isEmpty())
            return std::nullopt;
        for (int i = 0; i < packet.fields.size(); ++i)
            if (packet.fields.at(i).name.compare(column, Qt::CaseInsensitive) == 0)
                return textOf(packet.rows.first().value(i));
        return std::nullopt;
    };
    for (const data::FieldDef &field : shape.fields) {
        const std::optional<QString> was = valueIn(before, field.name), now = valueIn(after, field.name);
        if (field.name.compare(QLatin1String("UserCode"), Qt::CaseInsensitive) == 0)
            entry.userCode = now.value_or(was.value_or(QString()));
        else if (field.name.compare(QLatin1String("UserName"), Qt::CaseInsensitive) == 0)
            entry.userName = now.value_or(was.value_or(QString()));
        // A deleted user's row is kept whole; otherwise what changed.
        if (hasRow && was == now)
            continue;
        if (isPassword(field.name)) {
            if (!hasRow)
                entry.keptPassword = was;
            entry.changes.append({field.name, maskedPassword(was), maskedPassword(now)});
            continue;
        }
        entry.changes.append({field.name, was, now});
    }
    return entry;
}

namespace {

// A JSON string of text onto out: quote, backslash and control characters
// escaped, everything else as it is.
void appendJsonString(QString &out, const QString &text)
{
    out += QLatin1Char('"');
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'"' || u == u'\\') {
            out += QLatin1Char('\\');
            out += c;
        } else if (u < 0x20) {
            out += QStringLiteral("\\u%1").arg(int(u), 4, 16, QLatin1Char('0'));
        } else {
            out += c;
        }
    }
    out += QLatin1Char('"');
}

void appendJsonText(QString &out, const std::optional<QString> &text)
{
    if (text)
        appendJsonString(out, *text);
    else
        out += QLatin1String("null");
}

} // namespace

QString UserAudit::changesText(const QVector<Change> &changes)
{
    // Written by hand: a synchronisation writes one per user it changes.
    QString text;
    text.reserve(32 + changes.size() * 48);
    text += QLatin1Char('[');
    for (const Change &change : changes) {
        if (text.size() > 1)
            text += QLatin1Char(',');
        text += QLatin1Char('[');
        appendJsonString(text, change.column);
        text += QLatin1Char(',');
        appendJsonText(text, change.before);
        text += QLatin1Char(',');
        appendJsonText(text, change.after);
        text += QLatin1Char(']');
    }
    text += QLatin1Char(']');
    return text;
}

QVector<UserAudit::Change> UserAudit::changesFrom(const QString &text)
{
    QVector<Change> changes;
    const auto textIn = [](const QJsonValue &value) {
        return value.isString() ? std::optional<QString>(value.toString()) : std::nullopt;
    };
    for (const QJsonValue &item : QJsonDocument::fromJson(text.toUtf8()).array()) {
        const QJsonArray change = item.toArray();
        changes.append({change.at(0).toString(), textIn(change.at(1)), textIn(change.at(2))});
    }
    return changes;
}

QString UserAudit::insertHead()
{
    return QStringLiteral("Insert Into TSys_UserAudit (AuditTime, OperatorCode, MachineName, Kind, UserCode, "
                          "UserName, SyncLogID, PassWord, Changes) Values ");
}

QString UserAudit::values(const HostSession &session, const Entry &entry) const
{
    const QDateTime at = entry.at.isValid() ? entry.at : clock ? clock() : QDateTime::currentDateTime();
    // A synchronisation stamps all its rows alike: the time is written once.
    if (at != m_lastTime) {
        m_lastTime = at;
        m_lastTimeText = at.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz"));
    }
    QString text;
    text.reserve(160 + entry.changes.size() * 48);
    const auto item = [&text](QStringView value) {
        text += text.isEmpty() ? QStringLiteral("(") : QStringLiteral(", ");
        AppendQuoted(text, value);
    };
    item(m_lastTimeText);
    item(session.UserCode);
    item(QStringView(machineName).left(64));
    item(kindText(entry.kind));
    item(entry.userCode);
    item(QStringView(entry.userName).left(50));
    text += entry.syncLogId.isEmpty() ? QStringLiteral(", Null") : QStringLiteral(", ");
    if (!entry.syncLogId.isEmpty())
        AppendQuoted(text, entry.syncLogId);
    text += entry.keptPassword ? QStringLiteral(", ") : QStringLiteral(", Null");
    if (entry.keptPassword)
        AppendQuoted(text, *entry.keptPassword);
    text += QStringLiteral(", ");
    AppendQuoted(text, changesText(entry.changes));
    text += QLatin1Char(')');
    return text;
}

QString UserAudit::statement(const HostSession &session, const Entry &entry) const
{
    return insertHead() + values(session, entry);
}

void UserAudit::write(HostSession &session, const Entry &entry)
{
    if (!session.ExecHrSql(statement(session, entry)))
        throw data::LumoError(QStringLiteral("操作日志写入失败: 数据库未执行写入语句"),
                              QStringLiteral("操作日志写入失败"));
}
