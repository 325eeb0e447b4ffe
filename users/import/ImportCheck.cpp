#include "ImportCheck.h"

#include <QMultiHash>
#include <QSet>

#include <algorithm>

#include "ClientDataSet.h"
#include "DataPacket.h"
#include "Field.h"
#include "HostCall.h"
#include "TextRules.h"
#include "UGlobalFunUnt.h"
#include "URCMSObjValueClass.h"
#include "UserSerials.h"

namespace {


QString caption(ImportColumn c)
{
    return importColumnCaption(c);
}

const QString kUserCodeCaption = QStringLiteral("用户代码");
const QString kSpellCaption = QStringLiteral("拼音码");
const QString kFiveStrokesCaption = QStringLiteral("五笔码");

// The order problems of one row are listed in: the file's columns, then what
// is worked out from them.
int columnRank(const QString &column)
{
    static const QStringList order{caption(ImportColumn::Name),    caption(ImportColumn::UnitCode),
                                   caption(ImportColumn::UnitName), caption(ImportColumn::Contact),
                                   caption(ImportColumn::Grade),   caption(ImportColumn::Serial),
                                   kUserCodeCaption,               kSpellCaption,
                                   kFiveStrokesCaption};
    const qsizetype at = order.indexOf(column);
    return at < 0 ? int(order.size()) : int(at);
}

QString twoDigits(int serial)
{
    return QStringLiteral("%1").arg(serial, 2, 10, QLatin1Char('0'));
}

// A given serial: one or two digits from 1 to 99 ("1" is 01); 0 when there is
// none, -1 when what is there is no serial.
int parseSerial(const QString &text)
{
    const QString s = trimBlanks(text);
    if (s.isEmpty())
        return 0;
    if (s.size() > 2 || !std::all_of(s.begin(), s.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
        return -1;
    const int n = s.toInt();
    return n >= UserSerials::kFirst && n <= UserSerials::kLast ? n : -1;
}

QString linesText(const QVector<int> &lines)
{
    QStringList texts;
    for (const int line : lines)
        texts << QString::number(line);
    return texts.join(QStringLiteral(", "));
}

class Checker
{
public:
    Checker(const ImportCheck::Context &context, const ImportArea &area, const ImportSheet &sheet)
        : m_context(context), m_sheet(sheet)
    {
        m_plan.area = area;
        m_plan.areaPart = UserSerials::areaPart(area.staAreaCode);
        m_plan.unknownColumns = sheet.unknownColumns;
        for (int i = 0; i < context.units.size(); ++i) {
            const ImportUnit &unit = context.units.at(i);
            m_unitByCode.insert(unit.code, i);
            m_unitByComparedCode.insert(compared(unit.code), i);
            m_unitsByName.insert(comparedName(unit.name), i);
        }
        for (const QString &code : context.codesInUse)
            m_holderOf.insert(compared(code), code);
    }

    ImportPlan run()
    {
        checkHeader();
        m_plan.rows.reserve(m_sheet.rows.size());
        for (const ImportRow &row : m_sheet.rows) {
            ImportUser user;
            user.line = row.line;
            if (m_sheet.has(ImportColumn::Name))
                checkName(row, user);
            if (m_hasUnitColumn)
                checkUnit(row, user);
            checkText(row, ImportColumn::Contact, QStringLiteral("ContactType"), user.contact);
            checkText(row, ImportColumn::Grade, QStringLiteral("Grade"), user.grade);
            m_plan.rows.append(user);
        }
        assignSerials();
        // By row, then in the order of the columns; the order found within a column stays.
        std::stable_sort(m_plan.problems.begin(), m_plan.problems.end(),
                         [](const ImportProblem &a, const ImportProblem &b) {
                             return a.line != b.line ? a.line < b.line : columnRank(a.column) < columnRank(b.column);
                         });
        return std::move(m_plan);
    }

private:
    void problem(int line, const QString &column, const QString &reason)
    {
        m_plan.problems.append({line, column, reason});
    }

    QString compared(const QString &code) const
    {
        return codeAsCompared(code, m_context.codesIgnoreCase, m_context.codesIgnoreTrailingBlanks);
    }
    QString comparedName(const QString &name) const
    {
        const QString trimmed = trimBlanks(name);
        return m_context.codesIgnoreCase ? asciiUpper(trimmed) : trimmed;
    }

    int size(const QString &column) const
    {
        const int declared = m_context.sizes.value(column.toLower());
        return declared > 0 ? declared : ImportCheck::schemaSizes().value(column.toLower());
    }

    // A stored text that fits its column and holds only what the database can
    // store; reports and returns false otherwise.
    bool fits(int line, const QString &column, const QString &dbColumn, const QString &stored)
    {
        const QString bad = ImportCheck::unstorableCharacter(stored);
        if (!bad.isEmpty()) {
            problem(line, column, QStringLiteral("%1含有数据库无法保存的字符 %2").arg(column, bad));
            return false;
        }
        // Counted as the databases count: SQL Server's nvarchar in UTF-16 code
        // units (a character beyond the basic plane takes two), which is never
        // fewer than PostgreSQL's characters.
        const int limit = size(dbColumn);
        if (limit > 0 && stored.size() > limit) {
            const bool pairs = std::any_of(stored.begin(), stored.end(), [](QChar c) { return c.isSurrogate(); });
            problem(line, column,
                    QStringLiteral("%1太长: 最多 %2 个字符, 此处 %3 个%4")
                        .arg(column)
                        .arg(limit)
                        .arg(stored.size())
                        .arg(pairs ? QStringLiteral(" (扩展区的字每个按 2 个计)") : QString()));
            return false;
        }
        return true;
    }

    void checkHeader()
    {
        if (!m_sheet.has(ImportColumn::Name))
            problem(1, caption(ImportColumn::Name), QStringLiteral("文件中没有姓名列"));
        m_hasUnitColumn = m_sheet.has(ImportColumn::UnitCode) || m_sheet.has(ImportColumn::UnitName);
        if (!m_hasUnitColumn)
            problem(1, caption(ImportColumn::UnitCode), QStringLiteral("文件中没有所属单位代码或所属单位名称列"));
    }

    void checkName(const ImportRow &row, ImportUser &user)
    {
        const QString &name = row.value(ImportColumn::Name);
        const QString column = caption(ImportColumn::Name);
        // Blanks and control characters alone are no name, as in the add dialog.
        if (trimBlanks(name).isEmpty()) {
            problem(row.line, column, QStringLiteral("姓名不能为空"));
            return;
        }
        user.userName = CleanSqlText(name);
        fits(row.line, column, QStringLiteral("UserName"), user.userName);
        // The dialog asks the host for the codes of the name as typed.
        user.spell = CleanSqlText(m_context.pinyin ? m_context.pinyin(name) : QString());
        user.fiveStrokes = CleanSqlText(m_context.fiveStrokes ? m_context.fiveStrokes(name) : QString());
        fits(row.line, kSpellCaption, QStringLiteral("Spell"), user.spell);
        fits(row.line, kFiveStrokesCaption, QStringLiteral("FiveStrokes"), user.fiveStrokes);
    }

    void checkUnit(const ImportRow &row, ImportUser &user)
    {
        const QString code = trimBlanks(row.value(ImportColumn::UnitCode));
        const QString name = trimBlanks(row.value(ImportColumn::UnitName));
        const QString codeColumn = caption(ImportColumn::UnitCode);
        const QString nameColumn = caption(ImportColumn::UnitName);
        if (code.isEmpty() && name.isEmpty()) {
            problem(row.line, m_sheet.has(ImportColumn::UnitCode) ? codeColumn : nameColumn,
                    QStringLiteral("所属单位不能为空"));
            return;
        }
        int unit = -1;
        if (!code.isEmpty()) {
            unit = m_unitByCode.value(code, m_unitByComparedCode.value(compared(code), -1));
            if (unit < 0) {
                problem(row.line, codeColumn, QStringLiteral("单位代码 %1 不是本区划的医疗服务单位").arg(code));
                return;
            }
            const ImportUnit &found = m_context.units.at(unit);
            if (!name.isEmpty() && comparedName(found.name) != comparedName(name)) {
                problem(row.line, nameColumn,
                        QStringLiteral("单位代码 %1 的单位名称是\"%2\", 与\"%3\"不符").arg(found.code, found.name, name));
                return;
            }
        } else {
            const QList<int> named = m_unitsByName.values(comparedName(name));
            if (named.isEmpty()) {
                problem(row.line, nameColumn, QStringLiteral("单位名称\"%1\"不是本区划的医疗服务单位").arg(name));
                return;
            }
            if (named.size() > 1) {
                QStringList codes;
                for (const int i : named)
                    codes << m_context.units.at(i).code;
                codes.sort();
                problem(row.line, nameColumn,
                        QStringLiteral("本区划有 %1 个单位名为\"%2\"(%3), 请填写所属单位代码")
                            .arg(named.size())
                            .arg(name, codes.join(QStringLiteral(", "))));
                return;
            }
            unit = named.first();
        }
        user.orgCode = m_context.units.at(unit).code;
        user.orgName = m_context.units.at(unit).name;
    }

    void checkText(const ImportRow &row, ImportColumn c, const QString &dbColumn, QString &stored)
    {
        const QString &text = row.value(c);
        if (trimBlanks(text).isEmpty())
            return;
        stored = CleanSqlText(text);
        fits(row.line, caption(c), dbColumn, stored);
    }

    // Given serials are taken as given (01-99, once in the file, not used in
    // the area); every other row gets the next free serial after them, as the
    // add dialog proposes it in continuous adding.
    void assignSerials()
    {
        const QString &part = m_plan.areaPart;
        // As the dialog counts them: a user code that is the area part and two digits.
        const UserSerials used(part, m_context.codesInUse);
        // As the database compares codes: what an insert would collide with.
        QStringList comparedCodes;
        comparedCodes.reserve(m_holderOf.size());
        for (auto it = m_holderOf.cbegin(); it != m_holderOf.cend(); ++it)
            comparedCodes << it.key();
        UserSerials free(compared(part), comparedCodes);

        const QString serialColumn = caption(ImportColumn::Serial);
        QHash<int, QVector<int>> linesOf;  // given serial -> its rows
        QVector<int> given(m_plan.rows.size(), 0);
        for (int i = 0; i < m_plan.rows.size(); ++i) {
            const ImportRow &row = m_sheet.rows.at(i);
            const QString &text = row.value(ImportColumn::Serial);
            const int serial = parseSerial(text);
            if (serial < 0)
                problem(row.line, serialColumn, QStringLiteral("序号\"%1\"应为01-99的数字").arg(trimBlanks(text)));
            given[i] = serial;
            if (serial > 0)
                linesOf[serial].append(row.line);
        }
        // Each serial given counts as used before any row gets one.
        const UserSerials inDatabase = free;
        for (auto it = linesOf.cbegin(); it != linesOf.cend(); ++it)
            free.take(it.key());

        const int codeLimit = size(QStringLiteral("UserCode"));
        QString last;
        for (int i = 0; i < m_plan.rows.size(); ++i) {
            ImportUser &user = m_plan.rows[i];
            const int serial = given[i];
            if (serial < 0)
                continue;
            if (serial > 0) {
                user.serial = twoDigits(serial);
                user.serialGiven = true;
                user.userCode = part + user.serial;
                const QVector<int> &lines = linesOf.value(serial);
                if (lines.size() > 1)
                    problem(user.line, serialColumn,
                            QStringLiteral("序号 %1 在文件中重复(第 %2 行)").arg(user.serial, linesText(lines)));
                if (!used.isFree(serial))
                    problem(user.line, serialColumn,
                            QStringLiteral("序号 %1 已被使用: 已有用户 %2").arg(user.serial, user.userCode));
                else if (!inDatabase.isFree(serial))
                    problem(user.line, kUserCodeCaption,
                            QStringLiteral("用户代码 %1 与已有用户代码\"%2\"在数据库中视为相同")
                                .arg(user.userCode, m_holderOf.value(compared(user.userCode))));
            } else {
                user.serial = free.next(last);
                if (user.serial.isEmpty()) {
                    problem(user.line, serialColumn, QStringLiteral("本区划的用户序号01-99已全部使用, 无法再新增用户"));
                    continue;
                }
                free.take(user.serial.toInt());
                last = user.serial;
                user.userCode = part + user.serial;
            }
            if (codeLimit > 0 && user.userCode.size() > codeLimit)
                problem(user.line, kUserCodeCaption,
                        QStringLiteral("用户代码 %1 太长: 最多 %2 个字符, 此处 %3 个")
                            .arg(user.userCode)
                            .arg(codeLimit)
                            .arg(user.userCode.size()));
        }
    }

    const ImportCheck::Context &m_context;
    const ImportSheet &m_sheet;
    ImportPlan m_plan;
    bool m_hasUnitColumn = false;
    QHash<QString, int> m_unitByCode;
    QHash<QString, int> m_unitByComparedCode;
    QMultiHash<QString, int> m_unitsByName;
    QHash<QString, QString> m_holderOf;  // a code as compared -> the code as stored
};

} // namespace

QVector<ImportUser> ImportPlan::toAdd() const
{
    QSet<int> bad;
    for (const ImportProblem &p : problems)
        bad.insert(p.line);
    QVector<ImportUser> users;
    for (const ImportUser &user : rows)
        if (!bad.contains(user.line))
            users.append(user);
    return users;
}

int ImportPlan::problemRows() const
{
    QSet<int> bad;
    for (const ImportProblem &p : problems)
        bad.insert(p.line);
    return int(bad.size());
}

QString ImportCheck::unstorableCharacter(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.unicode() == 0)
            return QStringLiteral("U+0000(空字符)");
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            ++i;
            continue;
        }
        if (c.isSurrogate())
            return QStringLiteral("U+%1(不成对的代理项)").arg(QString::number(c.unicode(), 16).toUpper());
    }
    return QString();
}

QHash<QString, int> ImportCheck::schemaSizes()
{
    return {{QStringLiteral("usercode"), 20},    {QStringLiteral("username"), 50}, {QStringLiteral("spell"), 50},
            {QStringLiteral("fivestrokes"), 50}, {QStringLiteral("orgcode"), 20},  {QStringLiteral("grade"), 10},
            {QStringLiteral("contacttype"), 100}};
}

QVector<ImportUnit> ImportCheck::unitsOf(HostSession &session, const QString &areaCode)
{
    // The picker's rows: " 1=1  And AreaCode = '…'", ordered by code.
    const data::DataPacket packet = session.OpenHrData(
        QStringLiteral("Select OrgCode, OrgName From P_YLFWDW Where AreaCode = ") + QuotedStr(areaCode)
        + QStringLiteral(" Order By OrgCode Asc"));
    QVector<ImportUnit> units;
    units.reserve(packet.rows.size());
    for (const auto &row : packet.rows)
        units.append({row.at(0).toString(), row.at(1).toString()});
    return units;
}

ImportCheck::Context ImportCheck::read(HostSession &session, const ImportArea &area)
{
    Context context;
    context.units = unitsOf(session, area.areaCode);
    auto codes = session.OpenHrQuery(UserSerials::codesInUseSql(UserSerials::areaPart(area.staAreaCode)));
    data::Field *code = codes->FieldByName(QStringLiteral("UserCode"));
    context.codesInUse.reserve(codes->RecordCount());
    for (codes->First(); !codes->Eof(); codes->Next())
        context.codesInUse << code->AsString();
    const data::DataPacket shape = session.OpenHrData(QStringLiteral("Select * From P_User Where 1 = 0"));
    for (const data::FieldDef &field : shape.fields)
        if (field.size > 0)
            context.sizes.insert(field.name.toLower(), field.size);
    context.codesIgnoreCase = session.HrCodesIgnoreCase;
    context.codesIgnoreTrailingBlanks = session.HrCodesIgnoreTrailingBlanks;
    QObject *dispatch = session.HostDispatch;
    context.pinyin = [dispatch](const QString &name) { return hostCall(dispatch, "GetPYM", {name}).toString(); };
    context.fiveStrokes = [dispatch](const QString &name) { return hostCall(dispatch, "GetWBM", {name}).toString(); };
    return context;
}

ImportPlan ImportCheck::check(const Context &context, const ImportArea &area, const ImportSheet &sheet)
{
    return Checker(context, area, sheet).run();
}
