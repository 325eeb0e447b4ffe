#include "UserSync.h"

#include "ClientDataSet.h"
#include "LumoError.h"
#include "TextRules.h"
#include "UGlobalFunUnt.h"
#include "URCMSObjValueClass.h"

namespace {

QString q(const data::Field *field)
{
    return QuotedStr(field->AsString());
}

} // namespace

UserSync::Columns::Columns(const data::ClientDataSet &ds)
    : userCode(ds.FieldByName(QStringLiteral("UserCode")))
    , userName(ds.FieldByName(QStringLiteral("UserName")))
    , spell(ds.FieldByName(QStringLiteral("Spell")))
    , fiveStrokes(ds.FieldByName(QStringLiteral("FiveStrokes")))
    , orgCode(ds.FieldByName(QStringLiteral("OrgCode")))
    , grade(ds.FieldByName(QStringLiteral("Grade")))
    , contactType(ds.FieldByName(QStringLiteral("ContactType")))
    , password(ds.FieldByName(QStringLiteral("Password")))
{
}

QString UserSync::statementFor(const Columns &s, const Columns *t)
{
    if (!t) {
        return QStringLiteral(" Insert Into p_User ( UserCode, UserName, Spell, FiveStrokes, Grade,    OrgCode, "
                              "ContactType,Password )  Values ( ")
            + q(s.userCode) + QStringLiteral(", ") + q(s.userName) + QStringLiteral(", ") + q(s.spell)
            + QStringLiteral(", ") + q(s.fiveStrokes) + QStringLiteral(", ") + q(s.grade) + QStringLiteral(", ")
            + q(s.orgCode) + QStringLiteral(", ") + q(s.contactType) + QStringLiteral(", ") + q(s.password)
            + QStringLiteral(")");
    }
    // Compared as exact texts, in this order; the first difference decides.
    const std::pair<data::Field *, data::Field *> compared[] = {
        {t->userName, s.userName}, {t->spell, s.spell},       {t->fiveStrokes, s.fiveStrokes},
        {t->orgCode, s.orgCode},   {t->grade, s.grade},       {t->password, s.password},
        {t->contactType, s.contactType}};
    bool differs = false;
    for (const auto &[target, source] : compared) {
        if (target->AsString() != source->AsString()) {
            differs = true;
            break;
        }
    }
    if (!differs)
        return QString();
    return QStringLiteral(" Update p_User  Set UserName = ") + q(s.userName) + QStringLiteral(", ")
        + QStringLiteral("     Spell = ") + q(s.spell) + QStringLiteral(", ")
        + QStringLiteral("     FiveStrokes = ") + q(s.fiveStrokes) + QStringLiteral(", ")
        + QStringLiteral("     OrgCode = ") + q(s.orgCode) + QStringLiteral(", ")
        + QStringLiteral("     Grade = ") + q(s.grade) + QStringLiteral(", ")
        + QStringLiteral("     Password = ") + q(s.password) + QStringLiteral(", ")
        + QStringLiteral("     ContactType = ") + q(s.contactType)
        + QStringLiteral(" Where UserCode = ") + q(s.userCode);
}

void UserSync::run(const std::function<void(int, int)> &progress)
{
    std::unique_ptr<data::ClientDataSet> source = m_session.OpenRcmsDataSet(QStringLiteral(" Select * From p_User "));
    std::unique_ptr<data::ClientDataSet> target = m_session.OpenHrQuery(QStringLiteral(" Select * From p_User "));
    const Columns sourceColumns(*source);
    const Columns targetColumns(*target);
    source->First();
    const int total = source->RecordCount();
    progress(0, total);
    int done = 0;
    while (!source->Eof()) {
        FilterDataSet(target.get(), QStringLiteral("UserCode = ") + q(sourceColumns.userCode));
        const QString sql = statementFor(sourceColumns, target->RecordCount() < 1 ? nullptr : &targetColumns);
        if (!sql.isEmpty() && !m_session.ExecHrSql(sql))
            throw data::LumoError(QStringLiteral("同步语句执行失败: ") + sql);
        progress(++done, total);
        source->Next();
    }
}
