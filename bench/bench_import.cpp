// Times 批量导入 on the large demo set (100,000 areas, 300,000 users):
//   import <N> rows: reading N rows from XLSX files written here, checking them
//                    and importing them (target 5 s at 10,000). An area takes
//                    at most 99 users (a user's code is the area's and a
//                    two-digit serial), so the N rows go in one file per
//                    township, each as many rows as the township has free
//                    serials, read, checked and imported one after the other
//                    as a person would do them, with the host's search codes.
//   check <N> rows in one area: one file of N rows for one township, read and
//                    checked; all rows beyond its free serials are problems.
// Usage: bench_import [rows [areas users]]
#include <QApplication>
#include <QWidget>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <xlsxwriter.h>

#include <cstdio>

#include "DemoData.h"
#include "HostDispatch.h"
#include "ImportCheck.h"
#include "ImportFileReader.h"
#include "LocalTimeZone.h"
#include "SqliteSession.h"
#include "UGlobalValue.h"
#include "UserAudit.h"
#include "UserImport.h"
#include "UserSerials.h"

namespace {

struct Township
{
    ImportArea area;
    QStringList units;
    int free = 0;
};

// The townships with units and free serials, in code order.
QVector<Township> townships(SqliteSession &session)
{
    QHash<QString, int> used;
    for (const auto &row : session.OpenHrData(QStringLiteral(
             "Select substr(UserCode, 1, 11), Count(*) From p_User Where length(UserCode) = 13 Group By 1")).rows)
        used.insert(row.at(0).toString(), row.at(1).toInt());
    QHash<QString, QStringList> unitsOf;
    for (const auto &row : session.OpenHrData(QStringLiteral("Select AreaCode, OrgCode From P_YLFWDW Order By OrgCode")).rows)
        unitsOf[row.at(0).toString()] << row.at(1).toString();
    QVector<Township> found;
    for (const auto &row : session.OpenHrData(QStringLiteral(
             "Select AreaCode, RCMSAreaCode, AreaName From P_XZQH Where length(AreaCode) = 9 Order By AreaCode")).rows) {
        Township t;
        t.area = {row.at(1).isNull() ? row.at(0).toString() : row.at(1).toString(), row.at(0).toString(),
                  row.at(2).toString()};
        t.units = unitsOf.value(t.area.areaCode);
        t.free = UserSerials::kLast - used.value(UserSerials::areaPart(t.area.staAreaCode));
        if (!t.units.isEmpty() && t.free > 0)
            found.append(t);
    }
    return found;
}

QString personName(int i)
{
    static const QString surnames = QStringLiteral("王李张刘陈杨黄赵吴周徐孙马朱胡郭何高林罗郑梁谢宋唐许韩冯邓曹彭曾肖田董袁潘于蒋蔡余杜叶程苏魏吕丁任沈姚卢");
    static const QString given = QStringLiteral("伟芳娜敏静丽强磊军洋勇艳杰娟涛明超秀霞平刚桂英华玉兰红梅建国文斌");
    return QString(surnames.at(i % surnames.size())) + given.at((i / 7) % given.size()) + given.at((i / 131) % given.size());
}

// An XLSX as the template asks for it: 姓名, 所属单位代码, 联系方式, 级别, 序号 (empty).
void writeFile(const QString &path, const Township &t, int first, int rows)
{
    lxw_workbook *wb = workbook_new(QFile::encodeName(path).constData());
    lxw_worksheet *ws = workbook_add_worksheet(wb, "用户");
    const char *header[] = {"姓名", "所属单位代码", "联系方式", "级别", "序号"};
    for (int c = 0; c < 5; ++c)
        worksheet_write_string(ws, 0, lxw_col_t(c), header[c], nullptr);
    for (int r = 0; r < rows; ++r) {
        const int i = first + r;
        worksheet_write_string(ws, lxw_row_t(r + 1), 0, personName(i).toUtf8().constData(), nullptr);
        worksheet_write_string(ws, lxw_row_t(r + 1), 1, t.units.at(i % t.units.size()).toUtf8().constData(), nullptr);
        worksheet_write_string(ws, lxw_row_t(r + 1), 2, QStringLiteral("139%1").arg(i, 8, 10, QLatin1Char('0')).toUtf8().constData(),
                               nullptr);
        worksheet_write_string(ws, lxw_row_t(r + 1), 3, "4", nullptr);
    }
    workbook_close(wb);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    pinLocalTimeZone();
    QApplication app(argc, argv);
    const int rows = argc > 1 ? QByteArray(argv[1]).toInt() : 10000;
    DemoData::Options options;
    options.areas = argc > 3 ? QByteArray(argv[2]).toInt() : 100000;
    options.users = argc > 3 ? QByteArray(argv[3]).toInt() : 300000;
    QTemporaryDir dir;
    const QString hr = dir.filePath(QStringLiteral("hr.db")), rcms = dir.filePath(QStringLiteral("rcms.db"));
    const DemoData::Summary summary = DemoData::create(hr, rcms, options);

    SqliteSession session(hr, rcms);
    session.UserCode = DemoData::AdminCode;
    HostDispatch dispatch;
    dispatch.setResponder([](const QString &, bool) { return 1; });
    session.HostDispatch = &dispatch;
    UGlobalValue::HostSessionRef = &session;

    // The files, written before anything is timed.
    const QVector<Township> areas = townships(session);
    struct File
    {
        const Township *township;
        QString path;
        int rows;
    };
    QVector<File> files;
    int planned = 0;
    for (const Township &t : areas) {
        if (planned >= rows)
            break;
        const int n = qMin(t.free, rows - planned);
        files.append({&t, dir.filePath(QStringLiteral("import-%1.xlsx").arg(files.size())), n});
        writeFile(files.last().path, t, planned, n);
        planned += n;
    }
    const QString whole = dir.filePath(QStringLiteral("whole.xlsx"));
    writeFile(whole, areas.first(), 0, rows);

    // One file of all rows for one township: reading and checking.
    {
        QElapsedTimer timer;
        timer.start();
        const ImportSheet sheet = readImportFile(whole);
        const double read = timer.nsecsElapsed() / 1e9;
        const ImportPlan plan = ImportCheck::check(session, areas.first().area, sheet);
        const double total = timer.nsecsElapsed() / 1e9;
        std::printf("check %lld rows in one area: %.3f s  (read %.3f s, check %.3f s; %d rows to add, %d with problems)\n",
                    static_cast<long long>(sheet.rows.size()), total, read, total - read,
                    int(plan.toAdd().size()), plan.problemRows());
    }

    // All rows, one file per township: read, checked and imported in turn.
    UserAudit audit;
    double read = 0, check = 0, import = 0;
    int added = 0;
    QElapsedTimer timer;
    timer.start();
    for (const File &f : files) {
        QElapsedTimer step;
        step.start();
        const ImportSheet sheet = readImportFile(f.path);
        read += step.nsecsElapsed() / 1e9;
        step.restart();
        const ImportPlan plan = ImportCheck::check(session, f.township->area, sheet);
        check += step.nsecsElapsed() / 1e9;
        step.restart();
        if (!plan.importable()) {
            std::printf("file %s: %d problems\n", qPrintable(f.path), int(plan.problems.size()));
            return 1;
        }
        UserImport run(session, plan, DemoData::InitialPassword);
        run.audit = &audit;
        const UserImport::Result result = run.run();
        import += step.nsecsElapsed() / 1e9;
        if (result.end != UserImport::Done) {
            std::printf("import of %s failed: %s\n", qPrintable(f.path), qPrintable(result.cause));
            return 1;
        }
        added += result.added;
    }
    const double total = timer.nsecsElapsed() / 1e9;
    const int inDb = session.GetHrValue(QStringLiteral("Select Count(*) From p_User")).toInt();
    std::printf("import %d rows: %.3f s (target 5 s)  (read %.3f s, check %.3f s, import %.3f s; %lld files, one per "
                "township; %d users added, p_User %d -> %d, trail %s)\n",
                planned, total, read, check, import, static_cast<long long>(files.size()), added, summary.hrUsers, inDb,
                audit.knownKept().value_or(false) ? "written" : "not kept");
    UGlobalValue::HostSessionRef = nullptr;
    return added == planned ? 0 : 1;
}
