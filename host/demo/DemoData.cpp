#include "DemoData.h"

#include "BusinessTables.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStringList>

#include <sqlite3.h>

#include <cstdio>
#include <exception>
#include <optional>
#include <random>
#include <vector>

#include "DatabaseSchema.h"
#include "LumoError.h"
#include "SqliteDatabase.h"

namespace DemoData {

namespace {

constexpr int kTownshipsPerCounty = 20;
constexpr int kVillagesPerTownship = 10;
constexpr int kCountiesPerCity = 10;
constexpr int kUnitsPerTownship = 5;
constexpr int kDefaultUsers = 400;
constexpr int kMaxSerial = 99;  // user codes end in two digits



const QString kSurnames = QStringLiteral(
    "王李张刘陈杨黄赵吴周徐孙马朱胡郭何高林罗郑梁谢宋唐许韩冯邓曹彭曾肖田董袁潘于蒋蔡余杜叶程苏魏吕丁任沈"
    "姚卢姜崔钟谭陆汪范金石廖贾夏韦付方白邹孟熊秦邱江尹薛闫段雷侯龙史陶黎贺顾毛郝龚邵万钱严覃武戴莫孔向汤单");
const QStringList kCompoundSurnames = {QStringLiteral("欧阳"), QStringLiteral("司马"), QStringLiteral("诸葛"),
                                       QStringLiteral("上官")};
const QString kGivenChars = QStringLiteral(
    "伟芳娜秀英敏静丽强磊军洋勇艳杰娟涛明超秀兰霞平刚桂英华玉萍红娥玲芬燕彬鑫宇浩凯健俊帆帅旭宁龙林欣佳"
    "晨阳雪梅海波建国志红春花文辉德胜小兵云飞金凤永福家乐子涵思远雨桐博文一鸣");
const QString kPlaceChars = QStringLiteral(
    "青山河东西南北石桥林湖安平新兴和丰泉阳溪龙凤花田水柳杨高长白云岭坪塘沟庄堡城关铺集店坝湾寨清远宁华"
    "福寿永乐太康富民利仁义礼");

QString twoDigits(int n)
{
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

QString threeDigits(int n)
{
    return QStringLiteral("%1").arg(n, 3, 10, QLatin1Char('0'));
}

struct Area
{
    QString code;
    QString name;
    QString parent;
    QString rcms;  // empty: none (NULL)
};

struct Unit
{
    QString orgCode;
    QString name;
    QString rcmsArea;
    QString staArea;
    QString spell;
    QString wubi;
};

struct User
{
    QString code;
    QString name;
    QString spell;
    QString wubi;
    QString org;
    QString grade;
    QString contact;  // empty: NULL
    QString password;
    QString inpPerCode;
    QString inpDate;
};

struct BusinessRow
{
    int table;
    QString id;
    QString org;
    QString creator;  // second user column, where the table has one
    QString inpPerCode;
    QString inpDate;
};

// Everything the two databases receive, from one random sequence, so that
// either file can be written alone and both always agree. Areas and units are
// kept (users are placed by them); users are handed out one by one and not
// kept: the large set has hundreds of thousands, and keeping them as texts cost
// several hundred megabytes.
class Generator
{
public:
    explicit Generator(const Options &options)
        : m_options(options), m_rng(options.seed),
          m_pinyin(options.pinyin ? options.pinyin : Coder(standInPinyin)),
          m_wubi(options.wubi ? options.wubi : Coder(standInWubi)),
          m_base(QDate(2023, 3, 1), QTime(8, 0, 0), Qt::UTC)
    {
    }

    using UserSink = std::function<void(const User &)>;

    void buildPlaces()
    {
        buildAreas();
        buildUnits();
    }

    // Hands each health-record user to toHr and each RCMS user to toRcms, in
    // the order they are to be inserted, and collects the business rows.
    void buildUsers(const UserSink &toHr, const UserSink &toRcms);

    std::vector<Area> areas;
    std::vector<Unit> units;
    std::vector<BusinessRow> businessRows;
    int hrUserCount = 0;
    int rcmsUserCount = 0;
    QString adminRcmsArea;

private:
    quint32 next(quint32 bound) { return bound == 0 ? 0 : m_rng() % bound; }

    QChar pick(const QString &pool) { return pool.at(int(next(quint32(pool.size())))); }

    QString placeName(const QString &suffix)
    {
        return QString(pick(kPlaceChars)) + pick(kPlaceChars) + suffix;
    }

    QString personName()
    {
        QString name = next(40) == 0 ? kCompoundSurnames.at(int(next(quint32(kCompoundSurnames.size()))))
                                     : QString(pick(kSurnames));
        name += pick(kGivenChars);
        if (next(10) < 7)
            name += pick(kGivenChars);
        return name;
    }

    // Stamps are computed in UTC: local time would consult the time zone
    // files for every one of them, and the text is all that is kept. The text
    // is put together from the date and the second of the day: formatting a
    // date-time through the locale cost a twentieth of the large set.
    QString stamp(qint64 seconds) const
    {
        const qint64 total = m_base.toSecsSinceEpoch() + seconds;
        const QDate date = QDate(1970, 1, 1).addDays(total / 86400);
        const int second = int(total % 86400);
        char text[24];
        std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", date.year(), date.month(), date.day(),
                      second / 3600, second / 60 % 60, second % 60);
        return QString::fromLatin1(text);
    }

    bool full() const { return m_options.areas > 0 && int(areas.size()) >= m_options.areas; }

    void addArea(Area area)
    {
        if (!full())
            areas.push_back(std::move(area));
    }

    void buildAreas()
    {
        const int target = m_options.areas;
        int cityIndex = -1;
        int countyInCity = kCountiesPerCity;
        int countyIndex = 0;
        QString city;
        do {
            if (countyInCity == kCountiesPerCity) {
                ++cityIndex;
                countyInCity = 0;
                const QString province = QString::number(34 + cityIndex / kMaxSerial);
                city = province + twoDigits(cityIndex % kMaxSerial + 1);
                addArea({city, cityIndex == 0 ? QStringLiteral("临江市") : placeName(QStringLiteral("市")),
                         province, QString()});
            }
            const QString county = city + twoDigits(++countyInCity);
            const QString countyRcms = QStringLiteral("41") + QStringLiteral("%1").arg(++countyIndex, 4, 10, QLatin1Char('0'));
            addArea({county, countyIndex == 1 ? QStringLiteral("青山县") : placeName(QStringLiteral("县")), city,
                     countyRcms});
            for (int t = 0; t < kTownshipsPerCounty && !full(); ++t) {
                const QString township = county + threeDigits(101 + t);
                addArea({township, placeName(next(3) == 0 ? QStringLiteral("乡") : QStringLiteral("镇")), county,
                         countyRcms + twoDigits(t + 1)});
                for (int v = 0; v < kVillagesPerTownship && !full(); ++v)
                    addArea({township + twoDigits(v + 1), placeName(QStringLiteral("村")), township, QString()});
            }
        } while (target > 0 ? !full() : countyIndex < 1);
    }

    void buildUnits()
    {
        // Units of a township take the names of its first villages.
        QHash<QString, QStringList> villagesOf;
        for (const Area &a : areas) {
            if (a.code.size() == 11)
                villagesOf[a.parent].append(a.name);
        }
        for (const Area &a : areas) {
            if (a.code.size() == 6) {
                units.push_back({a.code + QStringLiteral("000001"), a.name + QStringLiteral("卫生局"), a.rcms, a.code});
                units.push_back({a.code + QStringLiteral("000002"), a.name + QStringLiteral("人民医院"), a.rcms, a.code});
            } else if (a.code.size() == 9) {
                units.push_back({a.code + threeDigits(1), a.name + QStringLiteral("卫生院"), a.rcms, a.code});
                const QStringList villages = villagesOf.value(a.code);
                for (int k = 1; k < kUnitsPerTownship; ++k) {
                    const QString name = k - 1 < villages.size()
                        ? villages.at(k - 1) + QStringLiteral("卫生室")
                        : a.name + QStringLiteral("第%1卫生室").arg(k);
                    units.push_back({a.code + threeDigits(k + 1), name, a.rcms, a.code});
                }
            }
        }
        for (Unit &u : units) {
            u.spell = m_pinyin(u.name);
            u.wubi = m_wubi(u.name);
        }
        if (units.empty())
            throw data::LumoError(QStringLiteral("演示数据: %1 个地区不足以包含一个县").arg(areas.size()));
        for (const Unit &u : units) {
            if (u.orgCode.endsWith(QLatin1String("000001"))) {
                adminRcmsArea = u.rcmsArea;
                break;
            }
        }
    }

    // The next free user code in the unit's area, or an empty text when the
    // area's hundred codes are used up.
    QString nextUserCode(const Unit &unit)
    {
        int &serial = m_serials[unit.staArea];
        if (serial >= kMaxSerial)
            return QString();
        ++serial;
        return unit.staArea.leftJustified(11, QLatin1Char('0')) + twoDigits(serial);
    }

    // A code for a user of the unit at index start, moving on to later units
    // when its area is full.
    QString allocateCode(std::size_t start, const Unit **unit)
    {
        for (std::size_t k = 0; k < units.size(); ++k) {
            const Unit &candidate = units[(start + k) % units.size()];
            const QString code = nextUserCode(candidate);
            if (!code.isEmpty()) {
                *unit = &candidate;
                return code;
            }
        }
        throw data::LumoError(QStringLiteral("演示数据: %1 个地区的用户代码不够分配 %2 个用户")
                                  .arg(areas.size())
                                  .arg(m_options.users));
    }

    User makeUser(const QString &code, const QString &name, const Unit &unit, qint64 index)
    {
        User u;
        u.code = code;
        u.name = name;
        u.spell = m_pinyin(name);
        u.wubi = m_wubi(name);
        u.org = unit.orgCode;
        u.grade = QString::number(3 + int(next(3)));
        if (next(10) != 0)
            u.contact = QStringLiteral("13") + QStringLiteral("%1").arg(next(1000000000u), 9, 10, QLatin1Char('0'));
        u.password = InitialPassword;
        u.inpPerCode = AdminCode;
        u.inpDate = stamp(index * 37);
        return u;
    }

    // Some users have entered business records (a few as the creator of a
    // record someone else typed in), so that deleting them is refused.
    void addBusinessRow(int table, const User &user, bool asCreator)
    {
        const qint64 serial = qint64(businessRows.size());
        BusinessRow row;
        row.table = table;
        row.id = m_base.addMSecs(serial).toString(QStringLiteral("yyyyMMddhhmmsszzz")) + QStringLiteral("001");
        row.org = user.org;
        if (asCreator && kBusinessTables[table].creatorColumn) {
            row.creator = user.code;
            row.inpPerCode = AdminCode;
        } else {
            row.inpPerCode = user.code;
        }
        row.inpDate = stamp(serial * 53);
        businessRows.push_back(row);
    }

    void maybeAddBusinessRows(const User &user)
    {
        if (next(20) != 0)
            return;
        const int rows = 1 + int(next(3));
        for (int r = 0; r < rows; ++r)
            addBusinessRow(int(next(kBusinessTableCount)), user, next(2) == 0);
    }

    Options m_options;
    std::mt19937 m_rng;
    Coder m_pinyin;
    Coder m_wubi;
    QDateTime m_base;
    QHash<QString, int> m_serials;
};

void Generator::buildUsers(const UserSink &toHr, const UserSink &toRcms)
{
    const auto hr = [&](const User &user) {
        toHr(user);
        ++hrUserCount;
    };
    const auto rcms = [&](const User &user) {
        toRcms(user);
        ++rcmsUserCount;
    };
    const Unit &countyOffice = units.front();
    const Unit *township = &units.front();
    for (const Unit &u : units) {
        if (u.staArea.size() == 9) {
            township = &u;
            break;
        }
    }
    User admin = makeUser(AdminCode, QStringLiteral("管理员"), countyOffice, 0);
    admin.grade = QStringLiteral("3");
    User clerk = makeUser(ClerkCode, QStringLiteral("录入员"), *township, 1);
    clerk.grade = QStringLiteral("4");
    hr(admin);
    hr(clerk);
    rcms(admin);
    rcms(clerk);
    addBusinessRow(kBusinessTableCount - 1, admin, false);  // the admin granted rights
    addBusinessRow(7, clerk, false);                         // the clerk entered a follow-up visit

    const int count = m_options.users > 0 ? m_options.users : kDefaultUsers;
    for (int i = 0; i < count; ++i) {
        const Unit *unit = nullptr;
        const QString code = allocateCode(std::size_t(i) % units.size(), &unit);
        User user = makeUser(code, personName(), *unit, i + 2);
        hr(user);
        maybeAddBusinessRows(user);

        const quint32 fate = next(100);
        if (fate < 70) {
            rcms(user);
        } else if (fate < 85) {
            switch (next(3)) {
            case 0:
                user.password =
                    QString::fromLatin1(QCryptographicHash::hash(code.toUtf8(), QCryptographicHash::Md5).toHex());
                break;
            case 1:
                user.contact = QStringLiteral("0551-") + QString::number(6000000 + next(3999999));
                break;
            default:
                user.name = personName();
                user.spell = m_pinyin(user.name);
                user.wubi = m_wubi(user.name);
            }
            rcms(user);
        }
        // else: only in the health-record database
    }

    // Users known only to RCMS, in codes no health-record user has.
    const int extra = qMax(1, count / 10);
    for (int k = 0; k < extra; ++k) {
        const Unit *unit = nullptr;
        QString code;
        try {
            code = allocateCode(next(quint32(units.size())), &unit);
        } catch (const data::LumoError &) {
            break;  // every code is taken: no room for more
        }
        User user = makeUser(code, personName(), *unit, count + 2 + k);
        if (k == 0)
            user.contact = QStringLiteral("办公室'分机 8021");  // a quote the synchronisation must double
        rcms(user);
    }
}

void bindText(SqliteStatement &statement, int index, const QString &value)
{
    if (value.isEmpty())
        statement.bindNull(index);
    else
        statement.bind(index, value);
}

// The user insert of one database; the health-record one also records who
// entered the user and when.
class UserInserter
{
public:
    UserInserter(SqliteDatabase &db, bool withStamps)
        : m_insert(db.prepare(
              withStamps ? QStringLiteral("INSERT INTO p_User (UserCode, UserName, Spell, FiveStrokes, OrgCode, Grade, "
                                          "ContactType, PassWord, InpPerCode, InpDate) VALUES (?,?,?,?,?,?,?,?,?,?)")
                         : QStringLiteral("INSERT INTO p_User (UserCode, UserName, Spell, FiveStrokes, OrgCode, Grade, "
                                          "ContactType, PassWord) VALUES (?,?,?,?,?,?,?,?)"))),
          m_withStamps(withStamps)
    {
    }

    void operator()(const User &u)
    {
        m_insert.bind(1, u.code);
        m_insert.bind(2, u.name);
        m_insert.bind(3, u.spell);
        m_insert.bind(4, u.wubi);
        m_insert.bind(5, u.org);
        m_insert.bind(6, u.grade);
        bindText(m_insert, 7, u.contact);
        m_insert.bind(8, u.password);
        if (m_withStamps) {
            m_insert.bind(9, u.inpPerCode);
            m_insert.bind(10, u.inpDate);
        }
        m_insert.drain();
        m_insert.reset();
    }

private:
    SqliteStatement m_insert;
    bool m_withStamps;
};

// The trail of user changes, made in the database from the users written: a
// 新增 row for each user, when and by whom the user was entered; then, up to
// the rows asked for, later changes of the users in turn (an edit, a password
// reset, a move, a synchronisation), about every half minute after the last
// user was entered, by both logins from two machines. Made by SQL, so that a
// large trail costs neither a copy of the users nor a statement per row.
int insertTrail(SqliteDatabase &db, int rows)
{
    db.execute(QStringLiteral(
        "INSERT INTO TSys_UserAudit (AuditTime, OperatorCode, MachineName, Kind, UserCode, UserName, Changes) "
        "SELECT InpDate, InpPerCode, 'DEMO-PC1', '新增', UserCode, UserName, CASE WHEN ContactType IS NULL THEN "
        "json_array(json_array('UserCode', NULL, UserCode), json_array('UserName', NULL, UserName), "
        "json_array('Spell', NULL, Spell), json_array('FiveStrokes', NULL, FiveStrokes), "
        "json_array('OrgCode', NULL, OrgCode), json_array('Grade', NULL, Grade), "
        "json_array('PassWord', NULL, '已更改')) ELSE "
        "json_array(json_array('UserCode', NULL, UserCode), json_array('UserName', NULL, UserName), "
        "json_array('Spell', NULL, Spell), json_array('FiveStrokes', NULL, FiveStrokes), "
        "json_array('OrgCode', NULL, OrgCode), json_array('Grade', NULL, Grade), "
        "json_array('ContactType', NULL, ContactType), json_array('PassWord', NULL, '已更改')) END "
        "FROM p_User ORDER BY rowid"));
    const auto count = [&db](const QString &sql) {
        qint64 value = 0;
        db.forEachStatement(sql, [&value](SqliteStatement &statement) {
            if (statement.step())
                value = sqlite3_column_int64(statement.handle(), 0);
        });
        return value;
    };
    const qint64 users = count(QStringLiteral("SELECT count(*) FROM p_User"));
    const qint64 later = rows - count(QStringLiteral("SELECT count(*) FROM TSys_UserAudit"));
    if (users > 0 && later > 0) {
        db.execute(QStringLiteral(
            "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i + 1 < %1), "
            "last(at) AS (SELECT max(InpDate) FROM p_User) "
            "INSERT INTO TSys_UserAudit (AuditTime, OperatorCode, MachineName, Kind, UserCode, UserName, Changes) "
            "SELECT datetime(last.at, '+' || (i * 35 + 60) || ' seconds'), "
            "CASE WHEN i % 3 = 0 THEN 'clerk' ELSE 'admin' END, CASE WHEN i % 3 = 0 THEN 'DEMO-PC2' ELSE 'DEMO-PC1' END, "
            "CASE i % 4 WHEN 0 THEN '修改' WHEN 1 THEN '重置密码' WHEN 2 THEN '调整单位' ELSE '同步' END, "
            "u.UserCode, u.UserName, CASE i % 4 "
            "WHEN 0 THEN json_array(json_array('ContactType', u.ContactType, '1390000' || substr('0000' || (i % 10000), -4))) "
            "WHEN 1 THEN json_array(json_array('PassWord', '已更改', '已更改')) "
            "WHEN 2 THEN json_array(json_array('OrgCode', u.OrgCode, u.OrgCode)) "
            "ELSE json_array(json_array('UserName', u.UserName, u.UserName)) END "
            "FROM n, last JOIN p_User u ON u.rowid = 1 + i % %2")
                       .arg(later)
                       .arg(users));
    }
    return int(count(QStringLiteral("SELECT count(*) FROM TSys_UserAudit")));
}

struct DictItem
{
    int dict;
    const char *id;
    const char *name;
    const char *isStop;
};

// Rows of the code dictionary; the lists show those whose IsStop is '2'.
constexpr DictItem kDictionary[] = {
    {1, "1", "男", "2"},      {1, "2", "女", "2"},        {1, "9", "未说明的性别", "2"},
    {2, "1", "省级", "2"},    {2, "2", "市级", "2"},      {2, "3", "县级", "2"},
    {2, "4", "乡级", "2"},    {2, "5", "村级", "2"},      {2, "6", "组级", "1"},
    {3, "01", "汉族", "2"},   {3, "02", "蒙古族", "2"},   {3, "03", "回族", "2"},
    {3, "04", "藏族", "2"},   {3, "05", "维吾尔族", "2"}, {3, "99", "其他", "1"},
    {4, "1", "研究生", "2"},  {4, "2", "大学本科", "2"},  {4, "3", "大学专科", "2"},
    {4, "4", "中专", "2"},    {4, "5", "高中", "2"},      {4, "6", "初中", "2"},
    {4, "7", "小学", "2"},    {4, "8", "文盲或半文盲", "2"},
};

void insertDictionary(SqliteDatabase &db)
{
    SqliteStatement insert =
        db.prepare(QStringLiteral("INSERT INTO TDict_CodDatDet (DatCodID, ItemID, ItemName, IsStop) VALUES (?,?,?,?)"));
    for (const DictItem &item : kDictionary) {
        insert.bind(1, qint64(item.dict));
        insert.bind(2, QString::fromUtf8(item.id));
        insert.bind(3, QString::fromUtf8(item.name));
        insert.bind(4, QString::fromUtf8(item.isStop));
        insert.drain();
        insert.reset();
    }
}

void insertPlaces(SqliteDatabase &db, const Generator &g)
{
    SqliteStatement area = db.prepare(
        QStringLiteral("INSERT INTO P_XZQH (AreaCode, AreaName, ParentAreaCode, RCMSAreaCode) VALUES (?,?,?,?)"));
    for (const Area &a : g.areas) {
        area.bind(1, a.code);
        area.bind(2, a.name);
        area.bind(3, a.parent);
        bindText(area, 4, a.rcms);
        area.drain();
        area.reset();
    }

    SqliteStatement unit = db.prepare(QStringLiteral(
        "INSERT INTO P_YLFWDW (OrgCode, OrgName, AreaCode, StaAreaCode, Spell, FiveStrokes) VALUES (?,?,?,?,?,?)"));
    for (const Unit &u : g.units) {
        unit.bind(1, u.orgCode);
        unit.bind(2, u.name);
        unit.bind(3, u.rcmsArea);
        unit.bind(4, u.staArea);
        unit.bind(5, u.spell);
        unit.bind(6, u.wubi);
        unit.drain();
        unit.reset();
    }

}

// What the health-record database receives after its users.
void finishHealthRecord(SqliteDatabase &db, const Generator &g)
{
    insertDictionary(db);

    SqliteStatement right = db.prepare(
        QStringLiteral("INSERT INTO %1 (UserCode, ModFunTyp, ModFunID) VALUES (?,?,?)").arg(RightsTable));
    const struct
    {
        const QString &user;
        int type;
        const char *function;
    } rights[] = {
        {AdminCode, 3, "254"}, {AdminCode, 3, "255"}, {AdminCode, 3, "256"}, {AdminCode, 3, "257"},
        {AdminCode, 1, "100"}, {ClerkCode, 3, "254"}, {ClerkCode, 3, "255"},
        // Rights of another type do not show the commands.
        {ClerkCode, 1, "256"}, {ClerkCode, 1, "257"},
    };
    for (const auto &r : rights) {
        right.bind(1, r.user);
        right.bind(2, qint64(r.type));
        right.bind(3, QString::fromLatin1(r.function));
        right.drain();
        right.reset();
    }

    std::vector<SqliteStatement> business;
    business.reserve(kBusinessTableCount);
    for (const BusinessTable &t : kBusinessTables) {
        const QString table = QString::fromLatin1(t.name);
        business.push_back(db.prepare(
            t.creatorColumn
                ? QStringLiteral("INSERT INTO %1 (RecordID, OrgCode, %2, InpPerCode, InpDate) VALUES (?,?,?,?,?)")
                      .arg(table, QString::fromLatin1(t.creatorColumn))
                : QStringLiteral("INSERT INTO %1 (RecordID, OrgCode, InpPerCode, InpDate) VALUES (?,?,?,?)")
                      .arg(table)));
    }
    for (const BusinessRow &row : g.businessRows) {
        SqliteStatement &insert = business[std::size_t(row.table)];
        int column = 1;
        insert.bind(column++, row.id);
        insert.bind(column++, row.org);
        if (kBusinessTables[row.table].creatorColumn)
            bindText(insert, column++, row.creator);
        insert.bind(column++, row.inpPerCode);
        insert.bind(column++, row.inpDate);
        insert.drain();
        insert.reset();
    }
}

void finishRcms(SqliteDatabase &db)
{
    insertDictionary(db);
    db.execute(QStringLiteral("INSERT INTO TSys_Param (ParamName, ParamDesc, ParamValue) VALUES "
                              "('yptyml', '乡镇编码级次', '1'), ('SearchTime', '查询等待时间', '2000')"));
}

// A file this run creates, filled in one transaction. A file this run just
// made has nothing to protect: a failure removes it, so the journal can stay in
// memory and nothing needs syncing until the end. The schema's indexes besides
// the keys are made from the rows before the commit, or not at all for a file
// only copied elsewhere: built from one sorted pass they cost a fraction of
// keeping them up to date row by row (the keys stay, each row is placed by them).
class NewDatabase
{
public:
    NewDatabase(const QString &path, SchemaDatabase which, bool indexed)
        : m_path(path), m_db(SqliteDatabase::createNew(path, databaseLabel(which), databaseSchema(which))),
          m_indexed(indexed)
    {
        m_db.execute(QStringLiteral("PRAGMA journal_mode = MEMORY; PRAGMA synchronous = OFF; "
                                    "PRAGMA cache_size = -32768"));
        m_db.begin();
        QStringList drop;
        m_db.forEachStatement(QStringLiteral("SELECT name, sql FROM sqlite_master WHERE type = 'index' AND sql IS NOT NULL "
                                             "ORDER BY rowid"),
                              [&](SqliteStatement &statement) {
                                  const auto text = [&statement](int column) {
                                      return QString::fromUtf8(reinterpret_cast<const char *>(
                                          sqlite3_column_text(statement.handle(), column)));
                                  };
                                  while (statement.step()) {
                                      drop << QStringLiteral("DROP INDEX \"%1\"").arg(text(0));
                                      m_indexes << text(1);
                                  }
                              });
        if (!drop.isEmpty())
            m_db.execute(drop.join(QStringLiteral("; ")));
    }

    SqliteDatabase &db() { return m_db; }
    const QString &path() const { return m_path; }

    void commit()
    {
        // Each index's sort takes memory up to the page cache's size beside
        // the cache itself: with the rows all written, a small cache keeps the
        // peak where the row by row way had it.
        if (m_indexed && !m_indexes.isEmpty())
            m_db.execute(QStringLiteral("PRAGMA cache_size = -2048; ") + m_indexes.join(QStringLiteral("; ")));
        m_db.commit();
    }

private:
    QString m_path;
    SqliteDatabase m_db;
    QStringList m_indexes;  // as the schema creates them, in its order
    bool m_indexed;
};

} // namespace

namespace {

QString codeFromCharacters(const QString &name, const char *letters, quint32 salt)
{
    const int count = int(qstrlen(letters));
    QString code;
    for (const QChar c : name) {
        if (c.isSpace())
            continue;
        if (c.unicode() < 128) {
            if (c.isLetterOrNumber())
                code += c.toUpper();
            continue;
        }
        const quint32 mixed = (quint32(c.unicode()) * 2654435761u) ^ salt;
        code += QLatin1Char(letters[(mixed >> 16) % quint32(count)]);
    }
    return code;
}

} // namespace

QString standInPinyin(const QString &name)
{
    // No syllable of Mandarin begins with I, U or V.
    return codeFromCharacters(name, "ABCDEFGHJKLMNOPQRSTWXYZ", 0x5a17u);
}

QString standInWubi(const QString &name)
{
    // The five-stroke keyboard uses A to Y.
    return codeFromCharacters(name, "ABCDEFGHIJKLMNOPQRSTUVWXY", 0x3c91u);
}

Summary create(const QString &hrFile, const QString &rcmsFile, const Options &options, ExistingFiles existing)
{
    const bool hrExists = QFileInfo::exists(hrFile);
    const bool rcmsExists = QFileInfo::exists(rcmsFile);
    if (existing == ExistingFiles::Refuse && (hrExists || rcmsExists)) {
        const QString which = hrExists ? hrFile : rcmsFile;
        throw data::LumoError(QStringLiteral("演示数据库文件已存在, 不会覆盖: %1").arg(which));
    }
    if (options.areas < 0 || options.users < 0 || options.trailRows < 0)
        throw data::LumoError(QStringLiteral("演示数据的地区数和用户数不能为负"));

    Generator g(options);
    g.buildPlaces();

    // Both files are filled side by side, each user going to both as it is
    // made. Both or neither: on any failure every file this run made goes.
    QStringList made;
    std::exception_ptr failure;
    int trailRows = 0;
    {
        std::optional<NewDatabase> hr;
        std::optional<NewDatabase> rcms;
        try {
            if (!hrExists) {
                hr.emplace(hrFile, SchemaDatabase::HealthRecord, !options.hrCopiedOnly);
                made << hrFile;
            }
            if (!rcmsExists) {
                rcms.emplace(rcmsFile, SchemaDatabase::Rcms, !options.rcmsCopiedOnly);
                made << rcmsFile;
            }
            std::optional<UserInserter> hrUsers;
            std::optional<UserInserter> rcmsUsers;
            if (hr) {
                insertPlaces(hr->db(), g);
                hrUsers.emplace(hr->db(), true);
            }
            if (rcms)
                rcmsUsers.emplace(rcms->db(), false);
            g.buildUsers(
                [&hrUsers](const User &u) {
                    if (hrUsers)
                        (*hrUsers)(u);
                },
                [&rcmsUsers](const User &u) {
                    if (rcmsUsers)
                        (*rcmsUsers)(u);
                });
            if (hr) {
                trailRows = insertTrail(hr->db(), options.trailRows);
                finishHealthRecord(hr->db(), g);
                hr->commit();
            }
            if (rcms) {
                finishRcms(rcms->db());
                rcms->commit();
            }
        } catch (...) {
            failure = std::current_exception();
        }
    }  // closed (and rolled back) before the files go
    if (failure) {
        for (const QString &path : made)
            QFile::remove(path);
        std::rethrow_exception(failure);
    }

    Summary summary;
    summary.hrCreated = !hrExists;
    summary.rcmsCreated = !rcmsExists;
    summary.areas = int(g.areas.size());
    summary.units = int(g.units.size());
    summary.hrUsers = g.hrUserCount;
    summary.rcmsUsers = g.rcmsUserCount;
    summary.businessRows = int(g.businessRows.size());
    summary.trailRows = trailRows;
    summary.adminRcmsAreaCode = g.adminRcmsArea;
    return summary;
}

} // namespace DemoData
