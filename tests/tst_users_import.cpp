// 批量导入 through the real window on real databases (SQLite files, or with
// LUMO_TEST_HR_BACKEND=postgresql both databases on the PostgreSQL test
// server): the command beside 新增, the file chosen in the file dialog as a
// person chooses it, the preview, 开始导入 and the grid with the new users.
#include <QtTest>

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTableView>

#include <xlsxwriter.h>

#include <functional>

#include "ImportDialog.h"
#include "ModalDialog.h"
#include "Screenshot.h"
#include "TcxButton.h"
#include "TcxDBMaskEdit.h"
#include "TcxDBTreeList.h"
#include "TcxGridDBTableView.h"
#include "TcxLabel.h"
#include "TdxBarManager.h"
#include "UUserInfoAddEditFrm.h"
#include "UUserInfoMagFrm.h"
#include "UserDatabases.h"
#include "UserWindow.h"

namespace {

// Answers the file dialog that the click opens as a person does: the path
// typed into its name field, then Enter.
void clickAndChooseFile(QWidget *dialog, const char *button, const QString &path, QStringList *failures)
{
    whenModal([path, failures](QWidget *modal) {
        auto *name = modal->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        if (!qobject_cast<QFileDialog *>(modal) || !name) {
            failures->append(QStringLiteral("not the file dialog: ") + modal->metaObject()->className());
            return;
        }
        name->selectAll();
        QTest::keyClicks(name, path);
        QTest::keyClick(name, Qt::Key_Return);
    }, failures);
    QTest::mouseClick(dialog->findChild<QPushButton *>(QLatin1String(button)), Qt::LeftButton);
}

void clickTool(TUserInfoMagForm &w, TdxBarLargeButton *button)
{
    QTest::mouseClick(w.dxbrTool->widgetForAction(button->action()), Qt::LeftButton);
}

// The window on 一乡 (510101001), chosen in the tree.
UserWindow openWindowOnTheTownship()
{
    UserWindow w = openUserWindow();
    if (w->CDSAreaData->Locate(QStringLiteral("StaAreaCode"), QStringLiteral("510101001")))
        w->TreLstArea->SetFocusedRecordIndex(w->CDSAreaData->RecNo() - 1);
    return w;
}

// An XLSX as a person saves one from a spreadsheet program (texts, and the
// serial typed as a number); rows separated by '\n', cells by ','.
void writeXlsx(const QString &path, const QString &rows)
{
    lxw_workbook *wb = workbook_new(QFile::encodeName(path).constData());
    lxw_worksheet *ws = workbook_add_worksheet(wb, "用户");
    const QStringList lines = rows.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (int r = 0; r < lines.size(); ++r) {
        const QStringList cells = lines.at(r).split(QLatin1Char(','));
        for (int c = 0; c < cells.size(); ++c) {
            bool number = false;
            const double value = cells.at(c).toDouble(&number);
            if (number && r > 0 && cells.at(c).size() < 3)
                worksheet_write_number(ws, lxw_row_t(r), lxw_col_t(c), value, nullptr);
            else if (!cells.at(c).isEmpty())
                worksheet_write_string(ws, lxw_row_t(r), lxw_col_t(c), cells.at(c).toUtf8().constData(), nullptr);
        }
    }
    workbook_close(wb);
}

// The preview's lines as shown: "row code name unit | column reason".
QStringList previewLines(QTableView *table)
{
    QStringList lines;
    const QAbstractItemModel *m = table->model();
    for (int r = 0; r < m->rowCount(); ++r) {
        const auto at = [&](int c) { return m->index(r, c).data().toString(); };
        QString line = QStringLiteral("%1 %2 %3 %4").arg(at(0), at(1), at(2), at(5));
        if (!at(10).isEmpty())
            line += QStringLiteral(" | %1 %2").arg(at(9), at(10));
        lines << line.simplified();
    }
    return lines;
}

// The grid's users as shown, "code name unit".
QStringList gridUsers(TUserInfoMagForm &w)
{
    QStringList users;
    for (int r = 0; r < w.grdvwGrdVwData->RecordCount(); ++r)
        users << QStringLiteral("%1 %2 %3").arg(w.grdvwGrdVwData->DisplayText(r, w.colUserCode),
                                                 w.grdvwGrdVwData->DisplayText(r, w.colUserName),
                                                 w.grdvwGrdVwData->DisplayText(r, w.colOrgCode));
    users.sort();
    return users;
}

const QStringList kBefore{"51010100100001 张三 A1", "51010100100002 李四 A2", "51010100100003 王五 A1"};

// A file and what a person does with it in the dialog, then what they see.
struct Import
{
    QString file;     // name: .xlsx written as a spreadsheet program would, anything else as text
    QString content;  // rows; empty with a .xlsx name: the dialog's own template
    int filter;       // chosen with the keyboard in 显示
    QStringList preview;
    bool startEnabled;
    int cancelAtInsert;  // 取消 pressed while the n-th user is inserted; 0: never
    QStringList told;    // messages, in order
    QStringList grid;    // the area's users afterwards
    QString counts;      // the line under the panes
    const char *shot = nullptr;  // the picture of the preview (LUMO_SCREENSHOT_DIR)
};

} // namespace

Q_DECLARE_METATYPE(Import)

class UsersImport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (const QString unavailable = UserDatabases::unavailableReason(); !unavailable.isEmpty())
            QSKIP(qPrintable(unavailable));
    }
    void theCommandPreviewsAndImportsAFile_data();
    void theCommandPreviewsAndImportsAFile();
};

void UsersImport::theCommandPreviewsAndImportsAFile_data()
{
    QTest::addColumn<Import>("i");
    const QString header = QStringLiteral("姓名,所属单位代码,所属单位名称,联系方式,级别,序号\n");
    const QStringList imported = kBefore + QStringList{"5101010010001 钱二 A2", "5101010010002 孙三 A1",
                                                       "5101010010007 赵一 A1"};
    QTest::newRow("a good spreadsheet is imported") << Import{
        "users.xlsx", header + "赵一,A1,,13900000001,4,7\n钱二,,一乡防保所,,,\n孙三,A1,,,,\n", ImportDialog::All,
        {"2 5101010010007 赵一 A1", "3 5101010010001 钱二 A2", "4 5101010010002 孙三 A1"}, true, 0, {},
        imported, "已导入 3 个用户", "import_preview_ready"};
    QTest::newRow("a file with problems is previewed and not imported") << Import{
        "users.csv", "姓名,所属单位代码,序号,备注\n赵一,A1,7,x\n,A2,,y\n孙三,B1,7,\n钱二,A2,,\n", ImportDialog::WithProblems,
        {"2 5101010010007 赵一 A1 | 序号 序号 07 在文件中重复(第 2, 4 行)", "3 5101010010001 A2 | 姓名 姓名不能为空",
         "4 5101010010007 孙三 | 所属单位代码 单位代码 B1 不是本区划的医疗服务单位",
         "4 5101010010007 孙三 | 序号 序号 07 在文件中重复(第 2, 4 行)"},
        false, 0, {}, kBefore, "", "import_preview_problems"};
    QTest::newRow("the area's template, read back, has no rows")
        << Import{"template.xlsx", "", ImportDialog::All, {}, false, 0, {"模板已保存到 %path"}, kBefore, ""};
    QTest::newRow("a file that is no table says why and changes nothing") << Import{
        "users.csv", QString::fromLatin1("\x01\x02\x03 binary"), ImportDialog::All, {}, false, 0,
        {"文件不是可以导入的表格: 既不是 Excel 表格 (.xlsx), 也不是 CSV 文本; 请选择按导入模板填写的 .xlsx 或 .csv 文件"},
        kBefore, ""};
    QTest::newRow("取消 during the run changes nothing") << Import{
        "users.csv", header + "赵一,A1,,,,\n钱二,A2,,,,\n孙三,A1,,,,\n", ImportDialog::ToAdd,
        {"2 5101010010001 赵一 A1", "3 5101010010002 钱二 A2", "4 5101010010003 孙三 A1"}, true, 2,
        {"已取消导入, 数据未改变"}, kBefore, ""};
}

void UsersImport::theCommandPreviewsAndImportsAFile()
{
    QFETCH(Import, i);
    UserDatabases db;
    QTemporaryDir dir;
    const QString path = dir.filePath(i.file);
    if (i.file.endsWith(QLatin1String(".xlsx")) && !i.content.isEmpty())
        writeXlsx(path, i.content);
    else if (!i.content.isEmpty()) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(i.content.toUtf8());
    }
    UserWindow w = openWindowOnTheTownship();
    QCOMPARE(gridUsers(*w), kBefore);
    const QString before = db.hrUsers();
    auto *cancel = w->findChild<TcxButton *>(QStringLiteral("BtnSyncCancel"));
    int inserts = 0;
    db.onSessionCall([&](const char *slot, const QString &sql) {
        if (QLatin1String(slot) == QLatin1String("ExecHrSql") && sql.startsWith(QLatin1String(" Insert Into P_User"))
            && ++inserts == i.cancelAtInsert && cancel->isVisible())
            QTest::mouseClick(cancel, Qt::LeftButton);
    });

    QStringList failures;
    QStringList preview;
    bool startEnabled = true;
    whenModal([&](QWidget *dialog) {
        if (!qobject_cast<ImportDialog *>(dialog)) {
            failures << QStringLiteral("not the import dialog: ") + dialog->metaObject()->className();
            return;
        }
        if (i.content.isEmpty() && i.file.endsWith(QLatin1String(".xlsx")))
            clickAndChooseFile(dialog, "BtnImportTemplate", path, &failures);
        clickAndChooseFile(dialog, "BtnImportChoose", path, &failures);
        auto *filter = dialog->findChild<QComboBox *>(QStringLiteral("CmbImportFilter"));
        filter->setFocus();
        for (int k = 0; k < i.filter; ++k)
            QTest::keyClick(filter, Qt::Key_Down);
        auto *table = dialog->findChild<QTableView *>(QStringLiteral("TblImportPreview"));
        preview = previewLines(table);
        auto *unknown = dialog->findChild<QLabel *>(QStringLiteral("LblImportUnknown"));
        if (unknown->isVisible() != i.content.startsWith(QStringLiteral("姓名,所属单位代码,序号,备注"))
            || (unknown->isVisible() && unknown->text() != QStringLiteral("以下列无法识别, 已忽略: 备注")))
            failures << QStringLiteral("unknown columns: ") + unknown->text();
        auto *start = dialog->findChild<QPushButton *>(QStringLiteral("BtnImportStart"));
        startEnabled = start->isEnabled();
        if (i.shot)
            screenshot(dialog, i.shot);
        QTest::mouseClick(start, Qt::LeftButton);
    }, &failures);
    QVERIFY(w->BtnImport->Visible() == TdxBarItemVisible::ivAlways);
    clickTool(*w, w->BtnImport);
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join(QLatin1Char('\n'))));
    QCOMPARE(preview, i.preview);
    QCOMPARE(startEnabled, i.startEnabled);
    QStringList told = i.told;
    told.replaceInStrings(QStringLiteral("%path"), QDir::toNativeSeparators(path));
    QCOMPARE(db.dispatch.prompts(), told);
    QCOMPARE(gridUsers(*w), i.grid);
    if (i.grid == kBefore)
        QCOMPARE(db.hrUsers(), before);
    QCOMPARE(w->lblSyncCounts->isVisible() ? w->lblSyncCounts->Caption() : QString(), i.counts);
    QVERIFY(!cancel->isVisible());
    if (!i.counts.isEmpty()) {
        // The first new user is the grid's current row, and the area stays chosen.
        QCOMPARE(w->CDSAreaData->FieldByName(QStringLiteral("StaAreaCode"))->AsString(), QStringLiteral("510101001"));
        QCOMPARE(w->CDSUserData->FieldByName(QStringLiteral("UserCode"))->AsString(), QStringLiteral("5101010010007"));
        screenshot(w.get(), "import_done");
        // 操作日志 lists them under 导入, chosen with the keyboard in its 类别.
        QStringList listed;
        whenModal([&](QWidget *viewer) {
            auto *kind = viewer->findChild<QComboBox *>(QStringLiteral("CmbAuditKind"));
            kind->setFocus();
            while (kind->currentText() != QStringLiteral("导入") && kind->currentIndex() < kind->count() - 1)
                QTest::keyClick(kind, Qt::Key_Down);
            const QAbstractItemModel *rows = viewer->findChild<QTableView *>(QStringLiteral("TblAudit"))->model();
            for (int r = 0; r < rows->rowCount(); ++r)
                listed << rows->index(r, 4).data().toString() + QLatin1Char(' ') + rows->index(r, 5).data().toString();
        }, &failures);
        clickTool(*w, w->BtnAuditLog);
        QVERIFY2(failures.isEmpty(), qPrintable(failures.join(QLatin1Char('\n'))));
        listed.sort();
        QCOMPARE(listed, (QStringList{"导入 5101010010001", "导入 5101010010002", "导入 5101010010007"}));
    }
}

QTEST_MAIN(UsersImport)
#include "tst_users_import.moc"
