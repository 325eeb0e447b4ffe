#include "UserImport.h"

#include <QElapsedTimer>
#include <QHash>
#include <QLoggingCategory>
#include <QSet>

#include "ClientDataSet.h"
#include "Field.h"
#include "HrTransaction.h"
#include "LumoError.h"
#include "SqlSecrets.h"
#include "TextRules.h"
#include "UGlobalFunUnt.h"
#include "URCMSObjValueClass.h"
#include "UserAudit.h"
#include "UserSerials.h"

namespace {

Q_LOGGING_CATEGORY(lcUserImport, "lumo.users.import")

// Users read back, and rows of the trail written, per statement: a
// multi-row insert of 200 stays well under SQLite's 500 rows of one VALUES.
constexpr int kPerStatement = 200;

// The add dialog's table, key and key default (TUserInfoAddEditForm: FMasterTable,
// FMasterKeyFields, QuotedNewKeyPlaceholder). The default stands only for an
// empty code, which a plan never holds.
const QString kTable = QStringLiteral(" P_User ");
const QString kKeyFields = QStringLiteral("UserCode");
const QString kKeyDefault = QStringLiteral("'NeedReplacePkeyValue'");

class RunCancelled : public std::exception
{
public:
    const char *what() const noexcept override { return "cancelled"; }
};

// A failure of one user's step, naming its row of the file.
class UserFailure : public data::LumoError
{
public:
    UserFailure(int line, const data::LumoError &error) : data::LumoError(error.message(), error.cause()), line(line) {}
    int line;
};

void set(data::ClientDataSet &row, const char *column, const QString &value)
{
    // An empty text stays Null, as an editor left empty saves it.
    if (!value.isEmpty())
        row.FieldByName(QLatin1String(column))->SetAsString(value);
}

// What a column of a user holds as the database returns it, Null as empty.
QString textAt(const data::DataPacket &packet, const QVector<QVariant> &row, const QString &column)
{
    for (int i = 0; i < packet.fields.size(); ++i)
        if (packet.fields.at(i).name.compare(column, Qt::CaseInsensitive) == 0)
            return row.value(i).isNull() ? QString() : row.value(i).toString();
    return QString();
}

} // namespace

UserImport::Result UserImport::run()
{
    Result result;
    QElapsedTimer clockRun;
    clockRun.start();
    const QVector<ImportUser> users = m_plan.toAdd();
    const int total = int(users.size());
    try {
        if (!m_plan.importable())
            throw data::LumoError(QStringLiteral("导入文件中有问题或没有数据行, 没有导入任何用户"));
        // Asked outside the transaction: on a database without the table the
        // probe fails, and a failed statement may end a server's transaction.
        const bool audited = audit && audit->kept(m_session);
        const QDateTime at = clock ? clock() : QDateTime::currentDateTime();
        HrTransaction transaction(m_session);

        // Nothing the plan counted on has changed since it was made: a code
        // taken meanwhile (as the database compares codes), a unit gone from the area.
        {
            QHash<QString, QString> taken;
            auto codes = m_session.OpenHrQuery(UserSerials::codesInUseSql(m_plan.areaPart));
            data::Field *code = codes->FieldByName(QStringLiteral("UserCode"));
            for (codes->First(); !codes->Eof(); codes->Next())
                taken.insert(codeAsCompared(code->AsString(), m_session.HrCodesIgnoreCase,
                                                       m_session.HrCodesIgnoreTrailingBlanks),
                             code->AsString());
            QSet<QString> units;
            for (const ImportUnit &unit : ImportCheck::unitsOf(m_session, m_plan.area.areaCode))
                units.insert(unit.code);
            for (const ImportUser &user : users) {
                const QString holder = taken.value(codeAsCompared(
                    user.userCode, m_session.HrCodesIgnoreCase, m_session.HrCodesIgnoreTrailingBlanks));
                if (!holder.isNull())
                    throw UserFailure(user.line, data::LumoError(QStringLiteral(
                        "用户代码 %1 已被用户 %2 使用(文件读取之后), 请重新选择文件").arg(user.userCode, holder)));
                if (!units.contains(user.orgCode))
                    throw UserFailure(user.line, data::LumoError(QStringLiteral(
                        "单位 %1 已不是本区划的医疗服务单位(文件读取之后), 请重新选择文件").arg(user.orgCode)));
            }
        }

        // A row of p_User as the dialog's dataset holds it: the columns as
        // "Select *" gives them, every value Null until set.
        data::ClientDataSet row;
        row.SetData(m_session.OpenHrData(QStringLiteral("Select * From P_User Where 1 = 0")));
        if (onProgress)
            onProgress(0, total);
        for (int i = 0; i < total; ++i) {
            const ImportUser &user = users.at(i);
            try {
                row.Append();
                set(row, "UserCode", user.userCode);
                set(row, "UserName", user.userName);
                set(row, "Spell", user.spell);
                set(row, "FiveStrokes", user.fiveStrokes);
                set(row, "OrgCode", user.orgCode);
                set(row, "Grade", user.grade);
                set(row, "ContactType", user.contact);
                set(row, "PassWord", m_password);
                row.Post();
                const QString sql = BuildInsertSql(&row, kTable, kKeyFields, QString(), true, kKeyDefault);
                if (!m_session.ExecHrSql(sql))
                    throw data::LumoError(QStringLiteral("数据库未执行写入语句"));
            } catch (const std::exception &e) {
                throw UserFailure(user.line, data::LumoError::of(e));
            }
            ++result.added;
            if (onProgress)
                onProgress(i + 1, total);
            if (cancelRequested && cancelRequested())
                throw RunCancelled();
        }

        // The users as the database holds them: what the preview showed, and
        // what the trail records.
        QVector<UserAudit::Entry> entries;
        for (int from = 0; from < total; from += kPerStatement) {
            QStringList codes;
            for (int i = from; i < qMin(total, from + kPerStatement); ++i)
                codes << QuotedStr(users.at(i).userCode);
            const data::DataPacket stored = m_session.OpenHrData(
                QStringLiteral("Select * From p_User Where UserCode In (") + codes.join(QStringLiteral(", "))
                + QLatin1Char(')'));
            QHash<QString, int> rowOf;
            for (int r = 0; r < stored.rows.size(); ++r)
                rowOf.insert(textAt(stored, stored.rows.at(r), QStringLiteral("UserCode")), r);
            for (int i = from; i < qMin(total, from + kPerStatement); ++i) {
                const ImportUser &user = users.at(i);
                const int r = rowOf.value(user.userCode, -1);
                const auto differs = [&](const char *column, const QString &planned) {
                    return r >= 0 && textAt(stored, stored.rows.at(r), QLatin1String(column)) != planned;
                };
                if (r < 0 || differs("UserName", user.userName) || differs("Spell", user.spell)
                    || differs("FiveStrokes", user.fiveStrokes) || differs("OrgCode", user.orgCode)
                    || differs("Grade", user.grade) || differs("ContactType", user.contact))
                    throw UserFailure(user.line, data::LumoError(
                        QStringLiteral("用户 %1 写入后与预览不一致").arg(user.userCode)));
                if (audited) {
                    data::DataPacket after;
                    after.fields = stored.fields;
                    after.rows.append(stored.rows.at(r));
                    UserAudit::Entry entry = UserAudit::entryFor(UserAudit::Kind::Imported, data::DataPacket(), after);
                    entry.at = at;
                    entries.append(std::move(entry));
                }
            }
        }
        for (int from = 0; from < entries.size(); from += kPerStatement) {
            QString sql = UserAudit::insertHead();
            for (int i = from; i < qMin(int(entries.size()), from + kPerStatement); ++i) {
                if (i > from)
                    sql += QStringLiteral(", ");
                sql += audit->values(m_session, entries.at(i));
            }
            if (!m_session.ExecHrSql(sql))
                throw data::LumoError(QStringLiteral("操作日志写入失败: 数据库未执行写入语句"),
                                      QStringLiteral("操作日志写入失败"));
        }

        if (onCommitting)
            onCommitting();
        transaction.commit();
        result.end = Done;
    } catch (const RunCancelled &) {
        result.end = Cancelled;
        result.added = 0;
    } catch (const std::exception &e) {
        const data::LumoError whole = data::LumoError::of(e);
        result.end = Failed;
        result.added = 0;
        result.cause = whole.cause();
        if (const auto *user = dynamic_cast<const UserFailure *>(&e))
            result.failedLine = user->line;
        qCWarning(lcUserImport).noquote() << "import failed" << (result.failedLine ? QStringLiteral("at row %1").arg(result.failedLine) : QString())
                                          << ":" << maskSecrets(whole.message());
    }
    result.seconds = clockRun.elapsed() / 1000.0;
    return result;
}
