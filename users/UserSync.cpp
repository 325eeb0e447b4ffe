#include "UserSync.h"

#include "ClientDataSet.h"
#include "LumoError.h"
#include "TextRules.h"
#include "UGlobalFunUnt.h"
#include "URCMSObjValueClass.h"

namespace {

QString text(const data::ClientDataSet &ds, const char *field)
{
    return ds.FieldByName(QString::fromLatin1(field))->AsString();
}

QString q(const data::ClientDataSet &ds, const char *field)
{
    return QuotedStr(text(ds, field));
}

} // namespace

QString UserSync::statementFor(const data::ClientDataSet &source, const data::ClientDataSet *target)
{
    if (!target || target->RecordCount() < 1) {
        return QStringLiteral(" Insert Into p_User ( UserCode, UserName, Spell, FiveStrokes, Grade,    OrgCode, "
                              "ContactType,Password )  Values ( ")
            + q(source, "UserCode") + QStringLiteral(", ") + q(source, "UserName") + QStringLiteral(", ")
            + q(source, "Spell") + QStringLiteral(", ") + q(source, "FiveStrokes") + QStringLiteral(", ")
            + q(source, "Grade") + QStringLiteral(", ") + q(source, "OrgCode") + QStringLiteral(", ")
            + q(source, "ContactType") + QStringLiteral(", ") + q(source, "Password") + QStringLiteral(")");
    }
    static const char *const compared[] = {"UserName", "Spell", "FiveStrokes", "OrgCode",
                                           "Grade", "Password", "ContactType"};
    bool differs = false;
    for (const char *column : compared) {
        if (text(*target, column) != text(source, column)) {
            differs = true;
            break;
        }
    }
    if (!differs)
        return QString();
    return QStringLiteral(" Update p_User  Set UserName = ") + q(source, "UserName") + QStringLiteral(", ")
        + QStringLiteral("     Spell = ") + q(source, "Spell") + QStringLiteral(", ")
        + QStringLiteral("     FiveStrokes = ") + q(source, "FiveStrokes") + QStringLiteral(", ")
        + QStringLiteral("     OrgCode = ") + q(source, "OrgCode") + QStringLiteral(", ")
        + QStringLiteral("     Grade = ") + q(source, "Grade") + QStringLiteral(", ")
        + QStringLiteral("     Password = ") + q(source, "Password") + QStringLiteral(", ")
        + QStringLiteral("     ContactType = ") + q(source, "ContactType")
        + QStringLiteral(" Where UserCode = ") + q(source, "UserCode");
}

void UserSync::run(const std::function<void(int, int)> &progress)
{
    std::unique_ptr<data::ClientDataSet> source = m_session.OpenRcmsDataSet(QStringLiteral(" Select * From p_User "));
    std::unique_ptr<data::ClientDataSet> target = m_session.OpenHrQuery(QStringLiteral(" Select * From p_User "));
    source->First();
    const int total = source->RecordCount();
    progress(0, total);
    int done = 0;
    while (!source->Eof()) {
        FilterDataSet(target.get(), QStringLiteral("UserCode = ") + q(*source, "UserCode"));
        const QString sql = statementFor(*source, target.get());
        if (!sql.isEmpty() && !m_session.ExecHrSql(sql))
            throw data::LumoError(QStringLiteral("同步语句执行失败: ") + sql);
        progress(++done, total);
        source->Next();
    }
}
