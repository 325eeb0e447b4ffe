#pragma once

#include <QString>
#include <QStringList>

// The statement texts the module sends to the host, built here the way the
// module builds them (fixed fragments with their own blanks, quoted values), so
// that the host's sessions and its T-SQL translation are tested against exactly
// what arrives.
namespace ModuleSql {

inline QString quoted(const QString &text)
{
    QString doubled = text;
    doubled.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + doubled + QLatin1Char('\'');
}

// The tables the deletion check searches, in its order; two also search a
// creator column.
inline const QStringList &guardTables()
{
    static const QStringList tables = {
        QStringLiteral("TDict_DoctList"),         QStringLiteral("TData_ConsuRrdMat"),
        QStringLiteral("TData_MotAntFirstFolup"), QStringLiteral("TData_ThreeAgePhyExa"),
        QStringLiteral("TData_AdmiRec"),          QStringLiteral("TData_HeaChecklist"),
        QStringLiteral("TData_MotAntFolup"),      QStringLiteral("TData_HypFolupVisit"),
        QStringLiteral("TData_OperGrpMat"),       QStringLiteral("TData_MotPostPartum"),
        QStringLiteral("TData_DMFolupVisit"),     QStringLiteral("TData_TwowayRefOut"),
        QStringLiteral("TData_TwowayRefIn"),      QStringLiteral("TDict_PVRVMediList"),
        QStringLiteral("TData_PerEIDsHis"),       QStringLiteral("TData_HolePerBaseInfo"),
        QStringLiteral("TData_PerBaseInfo"),      QStringLiteral("TData_PVRVVaccMat"),
        QStringLiteral("TData_VisClinicRecord"),  QStringLiteral("TDict_PVRVList"),
        QStringLiteral("TData_VisHospRecord"),    QStringLiteral("TData_HoleFolupVisit"),
        QStringLiteral("TDict_PVRVVaccDef"),      QStringLiteral("TData_PVRVVaccDet"),
        QStringLiteral("TData_PerBaseInfo_Surg"), QStringLiteral("TData_PerBaseInfo_Tran"),
        QStringLiteral("TData_PerBaseInfo_Trau"), QStringLiteral("TData_PVRVVaccExp"),
        QStringLiteral("TData_PerBaseInfoPH"),    QStringLiteral("TData_PVRVVaccSch"),
        QStringLiteral("TData_ThreeAgeHomVis"),   QStringLiteral("TData_UserRight"),
    };
    return tables;
}

// Counts the tables holding a row entered (or created) by a user whose code
// begins with userCode.
inline QString guard(const QString &userCode)
{
    const QString p = quoted(userCode + QLatin1Char('%'));
    QString sql = QStringLiteral("Select Count(*) From (  Select Top 1 'UserCode' As TOrgCode From TDict_DoctList    Where InpPerCode Like ") + p;
    const QStringList &tables = guardTables();
    for (int i = 1; i < tables.size(); ++i) {
        QString condition = QStringLiteral("   Where InpPerCode Like ") + p;
        if (i == 16)
            condition = QStringLiteral("   Where CreaRchPerCode Like ") + p + QStringLiteral("     Or InpPerCode Like ") + p;
        if (i == 17)
            condition = QStringLiteral("   Where CreaCardPerCode Like ") + p + QStringLiteral("     Or InpPerCode Like ") + p;
        sql += QStringLiteral(" Union All ") + QStringLiteral(" Select Top 1 'UserCode' From ") + tables.at(i)
            + QStringLiteral(" ") + condition;
    }
    return sql + QStringLiteral(") A ");
}

inline QString deleteUser(const QString &userCode)
{
    return QStringLiteral("Delete P_User Where UserCode = ") + quoted(userCode);
}

inline QString areaTree(const QString &startCode)
{
    return QStringLiteral("  Select Isnull(RCMSAreaCode,AreaCode) As AreaCode, AreaCode As StaAreaCode,  '[' + AreaCode + '] ' + AreaName As AreaName, ParentAreaCode as PAreaCode   From p_XzQh Where ParentAreaCode Like ")
        + quoted(startCode + QLatin1Char('%')) + QStringLiteral(" Or AreaCode = ") + quoted(startCode);
}

inline QString userList(const QString &staAreaCode)
{
    return QStringLiteral("Select * From p_User,P_YlFwDw Where p_User.OrgCode = P_YlFwDw.OrgCode And StaAreaCode = ")
        + quoted(staAreaCode) + QStringLiteral(" Order By AreaCode Asc ");
}

inline QString organisations()
{
    return QStringLiteral("Select OrgCode, OrgName From P_YLFWDW ");
}

inline QString hrAreaOfRcms(const QString &rcmsCode)
{
    return QStringLiteral("Select AreaCode From P_XZQH Where RCMSAreaCode = ") + quoted(rcmsCode);
}

struct SyncUser
{
    QString userCode, userName, spell, fiveStrokes, grade, orgCode, contactType, password;
};

inline QString syncInsert(const SyncUser &u)
{
    return QStringLiteral(" Insert Into p_User ( UserCode, UserName, Spell, FiveStrokes, Grade,    OrgCode, ContactType,Password )  Values ( ")
        + quoted(u.userCode) + QStringLiteral(", ") + quoted(u.userName) + QStringLiteral(", ") + quoted(u.spell)
        + QStringLiteral(", ") + quoted(u.fiveStrokes) + QStringLiteral(", ") + quoted(u.grade) + QStringLiteral(", ")
        + quoted(u.orgCode) + QStringLiteral(", ") + quoted(u.contactType) + QStringLiteral(", ") + quoted(u.password)
        + QStringLiteral(")");
}

inline QString syncUpdate(const SyncUser &u)
{
    return QStringLiteral(" Update p_User  Set UserName = ") + quoted(u.userName) + QStringLiteral(", ")
        + QStringLiteral("     Spell = ") + quoted(u.spell) + QStringLiteral(", ") + QStringLiteral("     FiveStrokes = ")
        + quoted(u.fiveStrokes) + QStringLiteral(", ") + QStringLiteral("     OrgCode = ") + quoted(u.orgCode)
        + QStringLiteral(", ") + QStringLiteral("     Grade = ") + quoted(u.grade) + QStringLiteral(", ")
        + QStringLiteral("     Password = ") + quoted(u.password) + QStringLiteral(", ")
        + QStringLiteral("     ContactType = ") + quoted(u.contactType) + QStringLiteral(" Where UserCode = ")
        + quoted(u.userCode);
}

// The dialog's master statement before the key is put in.
inline QString dialogMaster()
{
    return QStringLiteral(" Select *  From ") + QStringLiteral(" P_User ") + QStringLiteral(" Where UserCode = ' %s ' ");
}

inline QString duplicateCount(const QString &userCode)
{
    return QStringLiteral("Select Count(UserCode) From ") + QStringLiteral(" P_User ") + QStringLiteral(" Where UserCode = ")
        + quoted(userCode);
}

// A text value as the statement builders write it: cut at each CR LF, the
// pieces quoted and joined by +char(13)+char(10)+.
inline QString builderText(const QString &text)
{
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("'+char(13)+char(10)+'"));
    return QLatin1Char('\'') + t + QLatin1Char('\'');
}

// The dialog's INSERT of one p_User row, every column, as the statement
// builder writes it (values are literals already: 'x', Null, or a number).
inline QString builderInsert(const QString &table, const QStringList &columns, const QStringList &values)
{
    QString head = QStringLiteral(" Insert Into ") + table.trimmed() + QStringLiteral(" With(RowLock) ( ");
    QString cols = head;
    QString vals = QStringLiteral(" ) Values ( ");
    for (int i = 0; i < columns.size(); ++i) {
        const QString sep = cols == head ? QStringLiteral(" ") : QStringLiteral(" , ");
        cols += sep + columns.at(i);
        vals += sep + values.at(i);
    }
    return cols + vals + QStringLiteral(")") + QStringLiteral("  ");
}

// The dialog's own UPDATE: every column assigned, the condition from the code
// shown in the dialog.
inline QString userUpdate(const QString &table, const QStringList &columns, const QStringList &values,
                          const QString &shownCode)
{
    const QString head = QStringLiteral(" UpDate ") + table.trimmed() + QStringLiteral(" With(RowLock) Set ");
    QString set = head;
    QString where = QStringLiteral(" Where 1 = 1 ");
    for (int i = 0; i < columns.size(); ++i) {
        const QString item = columns.at(i) + QStringLiteral(" = ") + values.at(i);
        if (columns.at(i).compare(QLatin1String("UserCode"), Qt::CaseInsensitive) == 0)
            where += QStringLiteral(" And UserCode = ") + quoted(shownCode);
        set += (set == head ? QString() : QStringLiteral(" , ")) + item;
    }
    return set + QStringLiteral("  ") + where + QStringLiteral("  ");
}

// The next-key search of the key generators.
inline QString newKey(const QString &table, const QString &keyField, const QString &stamp, const QString &orgCode)
{
    return QStringLiteral(" Select Max(") + keyField + QStringLiteral(") as ID ") + QStringLiteral(" From ") + table
        + QStringLiteral(" With(RowLock) ") + QStringLiteral(" Where ") + keyField + QStringLiteral(" Like ")
        + quoted(stamp + QLatin1Char('%')) + QStringLiteral(" And  OrgCode = ") + quoted(orgCode);
}

inline QString paramValue(const QString &name)
{
    return QStringLiteral("Select ParamValue From TSys_Param Where ParamName=") + quoted(name);
}

inline QString searchTime()
{
    return QStringLiteral("Select ParamValue From TSys_Param Where ParamName = 'SearchTime'");
}

inline QString searchTimeRepair()
{
    return QStringLiteral(" Insert Into TSys_Param Values ('SearchTime', '查询等待时间', 2000) ");
}

inline QString dictionaryItems(int code)
{
    if (code == 99999)
        return QStringLiteral("Select ItemID, ItemName From TDict_CodDatDet Where 1=2 ");
    return QStringLiteral("Select ItemID, ItemName From TDict_CodDatDet Where DatCodID  = ") + QString::number(code)
        + QStringLiteral(" And IsStop = ") + quoted(QStringLiteral("2"));
}

inline QString wholeDictionary()
{
    return QStringLiteral("Select * From TDict_CodDatDet");
}

inline QString detailDelete(const QString &table, const QString &linkField, const QString &value)
{
    return QStringLiteral(" Delete From ") + table + QStringLiteral(" Where 1= 1 ") + QStringLiteral(" And ") + linkField
        + QStringLiteral("  = ") + quoted(value);
}

} // namespace ModuleSql
