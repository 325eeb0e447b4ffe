#include "UserSync.h"

#include "ClientDataSet.h"
#include "LumoError.h"
#include "TextRules.h"
#include "UGlobalFunUnt.h"
#include "URCMSObjValueClass.h"
#include "UserPairing.h"

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

UserSync::Texts UserSync::textsOf(const Columns &c)
{
    return {c.userName->AsString(), c.spell->AsString(),    c.fiveStrokes->AsString(), c.orgCode->AsString(),
            c.grade->AsString(),    c.password->AsString(), c.contactType->AsString()};
}

QString UserSync::keyOf(const QString &userCode, bool ignoreCase, bool ignoreTrailingBlanks)
{
    QString key = userCode;
    if (ignoreTrailingBlanks) {
        // SQL Server pads the shorter text with blanks before comparing.
        int end = key.size();
        while (end > 0 && key.at(end - 1) == QLatin1Char(' '))
            --end;
        key.truncate(end);
    }
    // Letters as SQLite's NOCASE folds them (ASCII only); a pair that only a
    // server's wider folding joins meets its key and fails the run, naming
    // the user, rather than updating nothing in silence.
    return ignoreCase ? asciiUpper(key) : key;
}

QString UserSync::statementFor(const Columns &s, const Texts *target)
{
    if (!target) {
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
    const data::Field *const compared[] = {s.userName, s.spell,    s.fiveStrokes, s.orgCode,
                                           s.grade,    s.password, s.contactType};
    bool differs = false;
    for (std::size_t i = 0; i < target->size(); ++i) {
        if (target->at(i) != compared[i]->AsString()) {
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
    UserPairing pairing(*target, *source, m_session.HrCodesIgnoreCase, m_session.HrCodesIgnoreTrailingBlanks);

    source->First();
    const int total = source->RecordCount();
    progress(0, total);
    int done = 0;
    while (!source->Eof()) {
        const QString code = sourceColumns.userCode->AsString();
        try {
            const std::optional<Texts> paired = pairing.find(code);
            const QString sql = statementFor(sourceColumns, paired ? &*paired : nullptr);
            if (onUser)
                onUser(code, paired, textsOf(sourceColumns));
            if (!sql.isEmpty()) {
                if (!m_session.ExecHrSql(sql))
                    throw data::LumoError(QStringLiteral("同步语句执行失败: ") + sql,
                                          QStringLiteral("数据库未执行同步语句"));
                pairing.wroteCurrent(code);
            }
        } catch (const data::LumoError &e) {
            throw UserSyncFailure(code, e.message(), e.cause());
        } catch (const std::exception &e) {
            throw UserSyncFailure(code, QString::fromUtf8(e.what()), QString());
        }
        progress(++done, total);
        source->Next();
    }
}
