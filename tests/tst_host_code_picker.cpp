// The unit picker under the keyboard and the mouse, on the demo databases: 确定
// and Enter choose from the results of the text as it stands, however quickly
// they follow the typing, and no rows of another text are ever on show.
#include <QtTest>

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QThread>

#include "CodePicker.h"
#include "DemoData.h"
#include "HookedSession.h"
#include "SearchCodes.h"
#include "SqliteSession.h"

namespace {

// The first township of the demo county, by its RCMS code, as the user dialog
// restricts the picker to the area's units.
const QString kTownship = QStringLiteral("41000101");

} // namespace

class HostCodePicker : public QObject
{
    Q_OBJECT

private slots:
    void choosesFromTheTextAsItStands_data();
    void choosesFromTheTextAsItStands();
};

void HostCodePicker::choosesFromTheTextAsItStands_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("byEnter");       // else a click on 确定
    QTest::addColumn<bool>("slowSearch");    // every query takes longer than the picker's prompt limit
    QTest::addColumn<QString>("chosenName");  // empty: nothing is chosen
    const QString dp = QStringLiteral("店坪村卫生室");
    QTest::newRow("dp, 确定 at once") << QStringLiteral("dp") << false << false << dp;
    QTest::newRow("dp, Enter at once") << QStringLiteral("dp") << true << false << dp;
    QTest::newRow("no match, 确定") << QStringLiteral("zzz") << false << false << QString();
    QTest::newRow("no match, Enter") << QStringLiteral("zzz") << true << false << QString();
    QTest::newRow("slow: dp, 确定 at once") << QStringLiteral("dp") << false << true << dp;
    QTest::newRow("slow: no match, Enter") << QStringLiteral("zzz") << true << true << QString();
}

void HostCodePicker::choosesFromTheTextAsItStands()
{
    QFETCH(QString, typed);
    QFETCH(bool, byEnter);
    QFETCH(bool, slowSearch);
    QFETCH(QString, chosenName);

    QTemporaryDir dir;
    const QString hr = dir.filePath(QStringLiteral("hr.db")), rcms = dir.filePath(QStringLiteral("rcms.db"));
    DemoData::Options demo;  // with the host's search codes, as --create-demo makes them
    demo.pinyin = SearchCodes::pinyinInitials;
    demo.wubi = SearchCodes::wubiInitials;
    DemoData::create(hr, rcms, demo);
    SqliteSession files(hr, rcms);
    HookedSession session(files);
    if (slowSearch) {
        session.beforeCall = [](const char *slot, const QString &) {
            if (QByteArray(slot) == "OpenHrData")
                QThread::msleep(CodePickerDialog::kPromptSearchMs + 30);
        };
    }
    const QString chosenCode = chosenName.isEmpty() ? QString()
        : files.GetHrValue(QStringLiteral("Select OrgCode From P_YLFWDW Where OrgName = '%1'").arg(chosenName)).toString();

    CodePicker picker(&session);
    picker.Init();
    picker.setProperty("Table", QStringLiteral("p_YLFWDW"));
    picker.setProperty("Where", QStringLiteral(" 1=1  And AreaCode = '%1'").arg(kTownship));
    picker.setProperty("OrderBy", QStringLiteral("OrgCode Asc"));
    picker.setProperty("FieldList", QStringLiteral("OrgCode As 单位编码, OrgName As 单位名称"));
    picker.setProperty("Spell", QStringLiteral("Spell"));
    picker.setProperty("Wbx", QStringLiteral("FiveStrokes"));
    picker.setProperty("SearchTime", 2000);

    QStringList failures;
    connect(&picker, &CodePicker::dialogShown, this, [&](QDialog *dialog) {
        QTimer::singleShot(0, dialog, [&, dialog] {
            // Closed on every path, so that a failed check never leaves exec() waiting.
            const auto closer = qScopeGuard([dialog = QPointer<QDialog>(dialog)] {
                if (dialog && dialog->isVisible())
                    dialog->reject();
            });
            auto *search = dialog->findChild<QLineEdit *>(QStringLiteral("SearchEdit"));
            auto *table = dialog->findChild<QTableView *>(QStringLiteral("ResultTable"));
            auto *status = dialog->findChild<QLabel *>(QStringLiteral("StatusLabel"));
            // Opened on the township's whole list, its first row selected.
            if (table->model()->rowCount() < 2 || !table->currentIndex().isValid())
                failures << QStringLiteral("the picker did not open on the township's units");
            search->setFocus();
            QTest::keyClicks(search, typed);
            // At once: the rows of the typed text (a quick search), or none
            // while a slow one waits for the typing to pause.
            const int rows = table->model()->rowCount();
            const QString first = rows > 0 ? table->model()->index(0, 1).data().toString() : QString();
            if (slowSearch ? rows != 0 || !status->text().contains(QStringLiteral("停止输入后查找"))
                           : first != chosenName || (rows > 0) != table->currentIndex().isValid())
                failures << QStringLiteral("right after typing: %1 rows, first %2, status %3")
                                .arg(rows).arg(first, status->text());
            if (rows > 0 && table->columnWidth(0) < table->fontMetrics().horizontalAdvance(chosenCode))
                failures << QStringLiteral("the code column cuts %1").arg(chosenCode);
            if (byEnter)
                QTest::keyClick(search, Qt::Key_Return);
            else
                QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("BtnOK")), Qt::LeftButton);
            if (chosenName.isEmpty()) {
                // Nothing to choose: the picker stays, empty, for more typing.
                if (!dialog->isVisible() || table->model()->rowCount() != 0 || table->currentIndex().isValid())
                    failures << QStringLiteral("a text without a match chose or showed a row");
                QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("BtnCancel")), Qt::LeftButton);
            }
        });
    });
    picker.Show();
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join(QLatin1Char('\n'))));
    QCOMPARE(picker.GetCodeValue(QStringLiteral("单位名称")), chosenName);
    QCOMPARE(picker.GetCodeValue(QStringLiteral("单位编码")), chosenCode);
}

QTEST_MAIN(HostCodePicker)
#include "tst_host_code_picker.moc"
