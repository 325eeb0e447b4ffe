// 批量导入 without a window, on a real SQLite database: the checks of every
// row on files read by the real reader, the run's users equal to the
// preview's, and a run stopped or failing anywhere leaves the database as it
// was.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <xlsxwriter.h>

#include "FaultySession.h"
#include "ImportCheck.h"
#include "ImportFileReader.h"
#include "UserAudit.h"
#include "UserDatabases.h"
#include "UserImport.h"

// Readable texts in GoogleTest's failure messages (as the forms tests print them).
inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace {

const QString kPassword = QStringLiteral("5f1d7a3c9e2b48d06a7c3e91b4f8d2a6");

ImportArea township()
{
    return {QStringLiteral("51010101"), QStringLiteral("510101001"), QStringLiteral("[510101001] 一乡")};
}

// A file with these lines (UTF-8 CSV), read by the import's reader.
ImportSheet sheetOf(const QString &csv)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("users.csv"));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(csv.toUtf8());
    file.close();
    return readImportFile(path);
}

QString joined(const QStringList &lines)
{
    return lines.join(QLatin1Char('\n'));
}

QStringList problemsOf(const ImportPlan &plan)
{
    QStringList texts;
    for (const ImportProblem &p : plan.problems)
        texts << QStringLiteral("%1 %2: %3").arg(p.line).arg(p.column, p.reason);
    return texts;
}

// The rows to add as "line code unit name".
QStringList addedOf(const ImportPlan &plan)
{
    QStringList texts;
    for (const ImportUser &u : plan.toAdd())
        texts << QStringLiteral("%1 %2 %3 %4").arg(u.line).arg(u.userCode, u.orgCode, u.userName);
    return texts;
}

// The users as p_User holds them, every column; Null as ∅.
QStringList storedUsers(UserDatabases &db, const QString &where)
{
    QStringList rows;
    for (const auto &row : db.session().OpenHrData(QStringLiteral("Select UserCode, UserName, Spell, FiveStrokes, OrgCode, "
                                                                  "Grade, ContactType, PassWord, InpPerCode, InpDate "
                                                                  "From p_User Where ") + where + QStringLiteral(" Order By UserCode")).rows) {
        QStringList cells;
        for (const QVariant &v : row)
            cells << (v.isNull() ? QStringLiteral("∅") : v.toString());
        rows << cells.join(QLatin1Char('|'));
    }
    return rows;
}

// The trail: "kind code" and the changes' new values.
QStringList trail(UserDatabases &db)
{
    QStringList rows;
    for (const auto &row : db.session()
                               .OpenHrData(QStringLiteral("Select Kind, UserCode, Changes From TSys_UserAudit Order By AuditID"))
                               .rows) {
        QString text = row.at(0).toString() + QLatin1Char(' ') + row.at(1).toString();
        for (const UserAudit::Change &c : UserAudit::changesFrom(row.at(2).toString()))
            text += QLatin1Char(' ') + c.column + QLatin1Char('=') + c.after.value_or(QStringLiteral("∅"));
        rows << text;
    }
    return rows;
}

// Three users for 一乡, the first with a serial of its own.
const QString kThreeUsers = QStringLiteral("姓名,所属单位代码,联系方式,级别,序号\n"
                                           "赵一,A1,13900000001,4,07\n"
                                           "钱二,A2,,,\n"
                                           "孙三,A1,0551-1,5,\n");

} // namespace

// Each check on a file read by the reader, with its row, column and reason.
TEST(UsersImport, EveryRowIsCheckedBeforeAnythingIsWritten)
{
    const QString fiftyOne = QString(51, QChar(0x5f20));  // 张 × 51
    const QString wideName = QString(49, QChar(0x5f20)) + QStringLiteral("𠮷");  // 49 + 2 UTF-16 units
    struct Case
    {
        const char *name;
        QString setup;  // statements on the database first
        ImportArea area;
        QString csv;
        QStringList problems;  // "row column: reason"
        QStringList added;     // "row code unit name"
    };
    const ImportArea letters{QStringLiteral("51010100A"), QStringLiteral("51010100A"), QStringLiteral("字母乡")};
    const ImportArea longCode{QStringLiteral("5101010010123456789"), QStringLiteral("5101010010123456789"),
                              QStringLiteral("长代码村")};
    const Case cases[] = {
        {"rows without a serial take the next free ones after those given; a code in another case is the unit's",
         {}, township(), kThreeUsers + QStringLiteral("李四,a2,,,\n"), {},
         {"2 5101010010007 A1 赵一", "3 5101010010001 A2 钱二", "4 5101010010002 A1 孙三",
          "5 5101010010003 A2 李四"}},
        {"a unit by its name, in any column order", {}, township(),
         QStringLiteral("备注,所属单位名称,姓名\nx,一乡防保所,周四\n"), {}, {"2 5101010010001 A2 周四"}},
        {"a blank or control-only name", {}, township(),
         QStringLiteral("姓名,所属单位代码\n\"  \",A1\n\"\t\r\n\",A2\n吴五,A1\n"),
         {"2 姓名: 姓名不能为空", "3 姓名: 姓名不能为空"}, {"4 5101010010003 A1 吴五"}},
        {"a unit code that is not a unit of the area", {}, township(),
         QStringLiteral("姓名,所属单位代码\n吴五,B1\n郑六,Z9\n"),
         {"2 所属单位代码: 单位代码 B1 不是本区划的医疗服务单位", "3 所属单位代码: 单位代码 Z9 不是本区划的医疗服务单位"}, {}},
        {"a unit name the area has not, or has twice",
         QStringLiteral("Insert Into P_YLFWDW (OrgCode, OrgName, AreaCode, StaAreaCode) "
                        "Values ('A3', '一乡防保所', '51010101', '510101001')"),
         township(), QStringLiteral("姓名,所属单位名称\n王七,二乡卫生院\n冯八,一乡防保所\n陈九,一乡卫生院\n"),
         {"2 所属单位名称: 单位名称\"二乡卫生院\"不是本区划的医疗服务单位",
          "3 所属单位名称: 本区划有 2 个单位名为\"一乡防保所\"(A2, A3), 请填写所属单位代码"},
         {"4 5101010010003 A1 陈九"}},
        {"a unit's code and name that disagree, and a row without a unit", {}, township(),
         QStringLiteral("姓名,所属单位代码,所属单位名称\n陈九,A1,一乡防保所\n褚十,,\n卫一,A2,一乡防保所\n"),
         {"2 所属单位名称: 单位代码 A1 的单位名称是\"一乡卫生院\", 与\"一乡防保所\"不符", "3 所属单位代码: 所属单位不能为空"},
         {"4 5101010010003 A2 卫一"}},
        {"a serial that is taken, out of 01-99 or no number",
         QStringLiteral("Insert Into p_User (UserCode, UserName, OrgCode, PassWord) Values ('5101010010002', '占用', 'A1', 'p')"),
         township(),
         QStringLiteral("姓名,所属单位代码,序号\n甲,A1,02\n乙,A1,0\n丙,A1,100\n丁,A1,1.5\n戊,A1,x\n己,A1,9\n"),
         {"2 序号: 序号 02 已被使用: 已有用户 5101010010002", "3 序号: 序号\"0\"应为01-99的数字",
          "4 序号: 序号\"100\"应为01-99的数字", "5 序号: 序号\"1.5\"应为01-99的数字", "6 序号: 序号\"x\"应为01-99的数字"},
         {"7 5101010010009 A1 己"}},
        {"a serial given twice in the file", {}, township(),
         QStringLiteral("姓名,所属单位代码,序号\n甲,A1,08\n乙,A2,8\n丙,A1,\n"),
         {"2 序号: 序号 08 在文件中重复(第 2, 3 行)", "3 序号: 序号 08 在文件中重复(第 2, 3 行)"},
         {"4 5101010010001 A1 丙"}},
        {"no free serial left in the area",
         QStringLiteral("With Recursive n(i) As (Select 1 Union All Select i + 1 From n Where i < 99) "
                        "Insert Into p_User (UserCode, UserName, OrgCode, PassWord) "
                        "Select '51010100100' || Case When i < 10 Then '0' Else '' End || Cast(i As varchar(2)), '占用', 'A1', 'p' "
                        "From n Where i <> 50"),
         township(), QStringLiteral("姓名,所属单位代码\n甲,A1\n乙,A1\n"),
         {"3 序号: 本区划的用户序号01-99已全部使用, 无法再新增用户"}, {"2 5101010010050 A1 甲"}},
        {"a user code that would exist twice as the database compares codes",
         QStringLiteral("Insert Into P_XZQH (AreaCode, AreaName, ParentAreaCode) Values ('51010100A', '字母乡', '510101');"
                        "Insert Into P_YLFWDW (OrgCode, OrgName, AreaCode, StaAreaCode) "
                        "Values ('L1', '字母乡卫生院', '51010100A', '51010100A');"
                        "Insert Into p_User (UserCode, UserName, OrgCode, PassWord) Values ('51010100a0005', '小写', 'L1', 'p')"),
         letters, QStringLiteral("姓名,所属单位代码,序号\n甲,L1,05\n乙,L1,\n"),
         {"2 用户代码: 用户代码 51010100A0005 与已有用户代码\"51010100a0005\"在数据库中视为相同"},
         {"3 51010100A0001 L1 乙"}},
        {"a user code longer than its column",
         QStringLiteral("Insert Into P_YLFWDW (OrgCode, OrgName, AreaCode, StaAreaCode) "
                        "Values ('LL', '长代码卫生室', '5101010010123456789', '5101010010123456789')"),
         longCode, QStringLiteral("姓名,所属单位代码\n甲,LL\n"),
         {"2 用户代码: 用户代码 510101001012345678901 太长: 最多 20 个字符, 此处 21 个"}, {}},
        {"texts longer than their columns, counted as the database counts", {}, township(),
         QStringLiteral("姓名,所属单位代码,联系方式,级别\n%1,A1,,\n%2,A1,,\n甲,A1,,12345678901\n乙,A1,\"%3\t2\",\n丙,A1,%4,1234567890\n")
             .arg(fiftyOne, wideName, QString(99, QLatin1Char('1')), QString(100, QLatin1Char('1'))),
         {"2 姓名: 姓名太长: 最多 50 个字符, 此处 51 个",
          "3 姓名: 姓名太长: 最多 50 个字符, 此处 51 个 (扩展区的字每个按 2 个计)",
          "4 级别: 级别太长: 最多 10 个字符, 此处 11 个",
          "5 联系方式: 联系方式太长: 最多 100 个字符, 此处 102 个"},  // the tab is stored as two blanks
         {"6 5101010010005 A1 丙"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        UserDatabases db;
        if (!c.setup.isEmpty())
            db.hr(c.setup);
        const ImportPlan plan = ImportCheck::check(db.session(), c.area, sheetOf(c.csv));
        EXPECT_EQ(problemsOf(plan).join(QLatin1Char('\n')), c.problems.join(QLatin1Char('\n')));
        EXPECT_EQ(addedOf(plan).join(QLatin1Char('\n')), c.added.join(QLatin1Char('\n')));
        EXPECT_EQ(plan.importable(), c.problems.isEmpty());
    }

    // Characters the database cannot store, as a spreadsheet holds them
    // (Excel's _xHHHH_ escapes); a control character it can store is kept.
    UserDatabases db;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("users.xlsx"));
    lxw_workbook *wb = workbook_new(QFile::encodeName(path).constData());
    lxw_worksheet *ws = workbook_add_worksheet(wb, "用户");
    const char *cells[][3] = {{"姓名", "所属单位代码", "联系方式"},
                              {"张_x0000_三", "A1", ""},
                              {"李四", "A1", "电话_xD800_"},
                              {"王\x01五", "A1", ""}};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 3; ++c)
            worksheet_write_string(ws, lxw_row_t(r), lxw_col_t(c), cells[r][c], nullptr);
    ASSERT_EQ(workbook_close(wb), LXW_NO_ERROR);
    const ImportPlan plan = ImportCheck::check(db.session(), township(), readImportFile(path));
    EXPECT_EQ(joined(problemsOf(plan)), joined(QStringList{"2 姓名: 姓名含有数据库无法保存的字符 U+0000(空字符)",
                                                          "3 联系方式: 联系方式含有数据库无法保存的字符 U+D800(不成对的代理项)"}));
    EXPECT_EQ(joined(addedOf(plan)), QStringLiteral("4 5101010010003 A1 王\x01五"));
}

// What the preview shows is what the import adds, byte for byte: texts as the
// save's builder cleans typed text (’ for ', blanks for a tab, ends trimmed, a
// line break kept), the host's search codes, the initial password, no stamps
// (the add dialog leaves them empty), and a 导入 row of the trail for each user.
TEST(UsersImport, ThePreviewIsWhatTheImportAdds)
{
    UserDatabases db;
    db.dispatch.setPym(QStringLiteral("赵一"), QStringLiteral("ZY"));
    db.dispatch.setWbm(QStringLiteral("赵一"), QStringLiteral("FG"));
    db.dispatch.setPym(QStringLiteral(" O'Neil\t"), QStringLiteral("ONEIL"));
    const ImportPlan plan = ImportCheck::check(
        db.session(), township(),
        sheetOf(QStringLiteral("姓名,所属单位名称,联系方式,级别,序号\n"
                               "赵一,一乡卫生院,\"电话\t13900000001\",4,07\n"
                               "\" O'Neil\t\",一乡防保所,\"第一行\r\n第二行 \",,\n"
                               "\"说\"\"好\"\"\",一乡卫生院,,,\n")));
    ASSERT_TRUE(plan.importable()) << problemsOf(plan).join(QLatin1Char('\n')).toStdString();
    QStringList previewed;
    for (const ImportUser &u : plan.toAdd())
        previewed << QStringList{u.userCode, u.userName, u.spell.isEmpty() ? QStringLiteral("∅") : u.spell,
                                 u.fiveStrokes.isEmpty() ? QStringLiteral("∅") : u.fiveStrokes, u.orgCode,
                                 u.grade.isEmpty() ? QStringLiteral("∅") : u.grade,
                                 u.contact.isEmpty() ? QStringLiteral("∅") : u.contact, kPassword,
                                 QStringLiteral("∅"), QStringLiteral("∅")}
                         .join(QLatin1Char('|'));
    EXPECT_EQ(joined(previewed), joined(QStringList{
                             "5101010010007|赵一|ZY|FG|A1|4|电话  13900000001|" + kPassword + "|∅|∅",
                             "5101010010001|O‘Neil|ONEIL|∅|A2|∅|第一行\n第二行|" + kPassword + "|∅|∅",
                             "5101010010002|说”好”|∅|∅|A1|∅|∅|" + kPassword + "|∅|∅"}));
    // In file order, as the preview lists them.
    EXPECT_EQ(joined(addedOf(plan)), joined(QStringList{"2 5101010010007 A1 赵一", "3 5101010010001 A2 O‘Neil",
                                          "4 5101010010002 A1 说”好”"}));

    UserAudit audit;
    UserImport run(db.session(), plan, kPassword);
    run.audit = &audit;
    QList<int> progress;
    run.onProgress = [&](int done, int total) { progress << done << total; };
    const UserImport::Result result = run.run();
    EXPECT_EQ(result.end, UserImport::Done) << result.cause.toStdString();
    EXPECT_EQ(result.added, 3);
    EXPECT_EQ(progress, (QList<int>{0, 3, 1, 3, 2, 3, 3, 3}));
    QStringList sorted = previewed;
    sorted.sort();
    EXPECT_EQ(joined(storedUsers(db, QStringLiteral("UserCode Like '51010100100__'"))), joined(sorted));
    EXPECT_EQ(joined(trail(db)), joined(QStringList{
                             "导入 5101010010007 UserCode=5101010010007 UserName=赵一 Spell=ZY FiveStrokes=FG OrgCode=A1 "
                             "Grade=4 ContactType=电话  13900000001 PassWord=已更改",
                             "导入 5101010010001 UserCode=5101010010001 UserName=O‘Neil Spell=ONEIL OrgCode=A2 "
                             "ContactType=第一行\n第二行 PassWord=已更改",
                             "导入 5101010010002 UserCode=5101010010002 UserName=说”好” OrgCode=A1 PassWord=已更改"}));
}

// A fault at any call inside the run's transaction (the commit included)
// undoes every user and writes no trail; the run names the cause, and the
// row when the fault was a user's insert.
TEST(UsersImport, AFaultAtAnyStatementUndoesEveryUser)
{
    // Inside the transaction: the codes and the units read again, p_User's
    // columns, three inserts, the users read back, the trail, the commit.
    const QStringList calls{"OpenHrQuery", "OpenHrData", "OpenHrData", "ExecHrSql", "ExecHrSql", "ExecHrSql",
                            "OpenHrData", "ExecHrSql", "CommitHrTrans"};
    const int failedLine[] = {0, 0, 0, 2, 3, 4, 0, 0, 0};
    for (int n = 0; n <= calls.size(); ++n) {  // 0: the begin itself
        SCOPED_TRACE(n);
        UserDatabases db;
        const ImportPlan plan = ImportCheck::check(db.session(), township(), sheetOf(kThreeUsers));
        const QString before = db.hrUsers();
        UserAudit audit;
        FaultySession faulty(db.session());
        bool inTransaction = false;
        int call = 0, hits = 0;
        QString broken;
        faulty.breakIf([&](int, const QString &slot, const QString &) {
            if (slot == QLatin1String("BeginHrTrans")) {
                inTransaction = true;
                if (n == 0) {
                    ++hits;
                    return true;
                }
                return false;
            }
            if (!inTransaction || slot == QLatin1String("RollbackHrTrans"))
                return false;
            if (++call == n) {
                ++hits;
                broken = slot;
                return true;
            }
            return false;
        });
        UserImport run(faulty, plan, kPassword);
        run.audit = &audit;
        const UserImport::Result result = run.run();
        EXPECT_EQ(hits, 1);
        if (n > 0)
            EXPECT_EQ(broken, calls.at(n - 1));
        EXPECT_EQ(result.end, UserImport::Failed);
        EXPECT_EQ(result.added, 0);
        EXPECT_TRUE(result.cause.contains(QStringLiteral("injected failure"))) << result.cause.toStdString();
        EXPECT_EQ(result.failedLine, n > 0 ? failedLine[n - 1] : 0);
        EXPECT_EQ(db.hrUsers(), before);
        EXPECT_EQ(trail(db), QStringList());
    }
}

// What changed after the file was read fails the run, naming the row: a
// code taken meanwhile (as the database compares codes), a unit moved away.
TEST(UsersImport, WhatChangedSinceTheFileWasReadFailsTheRun)
{
    struct Case
    {
        const char *name;
        QString change;
        QString cause;
        int line;
    };
    const Case cases[] = {
        {"a code taken",
         QStringLiteral("Insert Into p_User (UserCode, UserName, OrgCode, PassWord) Values ('5101010010001', '他人', 'A1', 'p')"),
         QStringLiteral("用户代码 5101010010001 已被用户 5101010010001 使用(文件读取之后), 请重新选择文件"), 3},
        {"a unit moved", QStringLiteral("Update P_YLFWDW Set AreaCode = '51010102' Where OrgCode = 'A2'"),
         QStringLiteral("单位 A2 已不是本区划的医疗服务单位(文件读取之后), 请重新选择文件"), 3},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        UserDatabases db;
        const ImportPlan plan = ImportCheck::check(db.session(), township(), sheetOf(kThreeUsers));
        db.hr(c.change);
        const QString before = db.hrUsers();
        const UserImport::Result result = UserImport(db.session(), plan, kPassword).run();
        EXPECT_EQ(result.end, UserImport::Failed);
        EXPECT_EQ(result.cause, c.cause);
        EXPECT_EQ(result.failedLine, c.line);
        EXPECT_EQ(db.hrUsers(), before);
    }
}
