#include "UserSync.h"

#include "ClientDataSet.h"
#include "LumoError.h"
#include "TextRules.h"
#include "UGlobalFunUnt.h"
#include "URCMSObjValueClass.h"

namespace {

// Appends the pieces of a statement: fixed texts as they are, fields as quoted
// values, into one string that grows once or twice rather than per piece.
class StatementText
{
public:
    StatementText() { m_text.reserve(400); }
    StatementText &operator<<(QLatin1String fixed)
    {
        m_text += fixed;
        return *this;
    }
    StatementText &operator<<(const data::Field *field)
    {
        AppendQuoted(m_text, field->AsString());
        return *this;
    }
    QString take() { return std::move(m_text); }

private:
    QString m_text;
};

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
        StatementText sql;
        sql << QLatin1String(" Insert Into p_User ( UserCode, UserName, Spell, FiveStrokes, Grade,    OrgCode, "
                             "ContactType,Password )  Values ( ")
            << s.userCode << QLatin1String(", ") << s.userName << QLatin1String(", ") << s.spell
            << QLatin1String(", ") << s.fiveStrokes << QLatin1String(", ") << s.grade << QLatin1String(", ")
            << s.orgCode << QLatin1String(", ") << s.contactType << QLatin1String(", ") << s.password
            << QLatin1String(")");
        return sql.take();
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
    StatementText sql;
    sql << QLatin1String(" Update p_User  Set UserName = ") << s.userName << QLatin1String(", ")
        << QLatin1String("     Spell = ") << s.spell << QLatin1String(", ")
        << QLatin1String("     FiveStrokes = ") << s.fiveStrokes << QLatin1String(", ")
        << QLatin1String("     OrgCode = ") << s.orgCode << QLatin1String(", ")
        << QLatin1String("     Grade = ") << s.grade << QLatin1String(", ")
        << QLatin1String("     Password = ") << s.password << QLatin1String(", ")
        << QLatin1String("     ContactType = ") << s.contactType
        << QLatin1String(" Where UserCode = ") << s.userCode;
    return sql.take();
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
        FilterDataSet(target.get(), QStringLiteral("UserCode = ") + QuotedStr(sourceColumns.userCode->AsString()));
        const QString sql = statementFor(sourceColumns, target->RecordCount() < 1 ? nullptr : &targetColumns);
        if (!sql.isEmpty() && !m_session.ExecHrSql(sql))
            throw data::LumoError(QStringLiteral("同步语句执行失败: ") + sql);
        progress(++done, total);
        source->Next();
    }
}
