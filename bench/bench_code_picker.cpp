// The code picker's search on 10,000 units, run by hand:
//   QT_QPA_PLATFORM=offscreen build/bench/bench_code_picker
// Target: every search answers within the picker's prompt limit
// (CodePickerDialog::kPromptSearchMs, 50 ms), so that the list follows each key
// at once and the search time (2000 ms by default) is never waited.
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QAbstractItemModel>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "CodePicker.h"
#include "SearchCodes.h"
#include "SqliteSession.h"

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int units = argc > 1 ? QByteArray(argv[1]).toInt() : 10000;

    QTemporaryDir dir;
    const QString hr = dir.filePath(QStringLiteral("hr.db")), rcms = dir.filePath(QStringLiteral("rcms.db"));
    SqliteSession::createDatabases(hr, rcms);
    sqlite3 *db = nullptr;
    sqlite3_open(hr.toUtf8().constData(), &db);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt *stmt = nullptr;
    sqlite3_prepare_v2(db, "Insert Into P_YLFWDW (OrgCode, OrgName, AreaCode, StaAreaCode, Spell, FiveStrokes) "
                           "Values (?, ?, '4101', '410101', ?, ?)", -1, &stmt, nullptr);
    const QStringList places = {QStringLiteral("青山"), QStringLiteral("临江"), QStringLiteral("张庄"),
                                QStringLiteral("李集"), QStringLiteral("王桥"), QStringLiteral("赵屯")};
    for (int i = 0; i < units; ++i) {
        const QString name = places.at(i % places.size()) + QStringLiteral("第%1卫生室").arg(i);
        const QByteArray code = QByteArray::number(41010100000LL + i);
        const QByteArray nameBytes = name.toUtf8();
        const QByteArray spell = SearchCodes::pinyinInitials(name).toUtf8();
        const QByteArray wubi = SearchCodes::wubiInitials(name).toUtf8();
        sqlite3_bind_text(stmt, 1, code.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(stmt, 2, nameBytes.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(stmt, 3, spell.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(stmt, 4, wubi.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_step(stmt);
        sqlite3_reset(stmt);
    }
    sqlite3_finalize(stmt);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);

    SqliteSession session(hr, rcms);
    CodePicker picker(&session);
    picker.Init();
    picker.setProperty("Table", QStringLiteral("p_YLFWDW"));
    picker.setProperty("Where", QStringLiteral(" 1=1  And AreaCode = '4101'"));
    picker.setProperty("OrderBy", QStringLiteral("OrgCode Asc"));
    picker.setProperty("FieldList", QStringLiteral("OrgCode As 单位编码, OrgName As 单位名称"));
    picker.setProperty("Spell", QStringLiteral("Spell"));
    picker.setProperty("Wbx", QStringLiteral("FiveStrokes"));
    const int searchTime = 2000;
    CodePickerDialog dialog(&picker, &session, true, searchTime, nullptr);

    const qint64 prompt = CodePickerDialog::kPromptSearchMs;
    std::printf("picker search on %d units (follows each key when within %lld ms):\n", units, static_cast<long long>(prompt));
    for (const QString &text : {QString(), QStringLiteral("4"), QStringLiteral("41010100"), QStringLiteral("Q"),
                                QStringLiteral("QS"), QStringLiteral("ZZ"), QStringLiteral("GI"),
                                QStringLiteral("410101099")}) {
        dialog.searchEdit()->setText(text);
        QElapsedTimer timer;
        timer.start();
        dialog.search();
        const double ms = timer.nsecsElapsed() / 1e6;
        std::printf("  %-12s %6d rows shown  %8.1f ms  %s\n", qPrintable(text.isEmpty() ? QStringLiteral("(empty)") : text),
                    dialog.model()->rowCount(), ms, ms <= prompt ? "at once" : "OVER: waits for the search time");
    }

    // Searches by a part of the unit's name, as a person types it: the median
    // of 100, each text differing from the one before.
    std::vector<double> times;
    for (int i = 0; i < 100; ++i) {
        const QString text = i % 2 == 0 ? places.at(i % places.size()).left(1 + i % 2)
                                         : QStringLiteral("第%1").arg(i * 97 % units);
        dialog.searchEdit()->setText(text);
        QElapsedTimer timer;
        timer.start();
        dialog.search();
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    std::printf("search picker %d rows: median %.1f ms\n", units, (times[49] + times[50]) / 2);
    return 0;
}
