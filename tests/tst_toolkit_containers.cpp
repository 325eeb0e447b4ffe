// Containers and simple controls: page control and sheets, group box,
// splitter, progress bar, styles.

#include <QHBoxLayout>
#include <QMouseEvent>
#include <QStackedWidget>
#include <QTest>

#include "TcxGroupBox.h"
#include "TcxLabel.h"
#include "TcxLookAndFeelController.h"
#include "TcxMaskEdit.h"
#include "TcxPageControl.h"
#include "TcxProgressBar.h"
#include "TcxSplitter.h"
#include "TcxStyle.h"
#include "TcxStyleRepository.h"
#include "TcxTabControl.h"
#include "TcxTabSheet.h"
#include "toolkit_fixtures.h"

class TestToolkitContainers : public QObject
{
    Q_OBJECT

private slots:
    void sheetsKnowTheirPageControl();
    void aSheetIsBroughtForward();
    void sheetsMoveBetweenPageControls();
    void splitterResizesItsPane();
    void progressBarClampsPosition();
    void stylesAndLookAndFeelKeepTheirSettings();
    void simpleControlsKeepTheirCaptions();
};

void TestToolkitContainers::sheetsKnowTheirPageControl()
{
    TcxPageControl pages;
    auto *first = new TcxTabSheet(&pages);
    first->SetCaption("基本信息");
    auto *second = new TcxTabSheet;
    second->SetPageControl(&pages);
    second->SetCaption("其他");
    QCOMPARE(pages.PageCount(), 2);
    QCOMPARE(first->PageControl(), &pages);
    QCOMPARE(second->PageIndex(), 1);
    QCOMPARE(pages.tabText(1), QString("其他"));
    // The page control keeps its pages in a stack of its own.
    QVERIFY(qobject_cast<QStackedWidget *>(first->parentWidget()));

    auto *edit = new TcxMaskEdit(second);
    auto *box = new TcxGroupBox(first);
    auto *inBox = new TcxMaskEdit(box);
    QCOMPARE(tabSheetOf(edit), second);
    QCOMPARE(tabSheetOf(box), first);
    QCOMPARE(tabSheetOf(inBox), nullptr);  // its parent is the group box
    QCOMPARE(tabSheetOf(first), nullptr);
    QCOMPARE(tabSheetOf(nullptr), nullptr);
}

void TestToolkitContainers::aSheetIsBroughtForward()
{
    TcxPageControl pages;
    auto *first = new TcxTabSheet(&pages);
    auto *second = new TcxTabSheet(&pages);
    QCOMPARE(pages.ActivePage(), first);
    pages.SetActivePage(second);
    QCOMPARE(pages.ActivePage(), second);
    QCOMPARE(pages.ActivePageIndex(), 1);
    pages.SetActivePageIndex(0);
    QCOMPARE(pages.ActivePage(), first);
    pages.SetActivePageIndex(2);  // past the last page: unchanged
    QCOMPARE(pages.ActivePage(), first);

    TcxPageControl otherPages;
    auto *foreign = new TcxTabSheet(&otherPages);
    pages.SetActivePage(foreign);
    QCOMPARE(pages.ActivePage(), first);
    QCOMPARE(otherPages.ActivePage(), foreign);
}

void TestToolkitContainers::sheetsMoveBetweenPageControls()
{
    TcxPageControl a, b;
    auto *sheet = new TcxTabSheet(&a);
    sheet->SetCaption("页");
    sheet->SetPageControl(&b);
    QCOMPARE(a.PageCount(), 0);
    QCOMPARE(b.PageCount(), 1);
    QCOMPARE(sheet->PageControl(), &b);
    b.RemovePage(sheet);
    QCOMPARE(sheet->PageControl(), nullptr);
    QCOMPARE(sheet->PageIndex(), -1);
    QCOMPARE(sheet->parent(), &b);  // still owned, not leaked
    delete sheet;
    QCOMPARE(b.PageCount(), 0);
}

void TestToolkitContainers::splitterResizesItsPane()
{
    QWidget window;
    auto *layout = new QHBoxLayout(&window);
    auto *left = new TcxGroupBox(&window);
    left->SetFrameless(true);
    left->setFixedWidth(245);
    auto *splitter = new TcxSplitter(&window);
    auto *right = new QWidget(&window);
    layout->addWidget(left);
    layout->addWidget(splitter);
    layout->addWidget(right, 1);
    splitter->SetControl(left);
    window.resize(800, 400);
    QVERIFY(toolkittest::showActive(window));
    QCOMPARE(splitter->width(), 8);

    QTest::mousePress(splitter, Qt::LeftButton, Qt::NoModifier, QPoint(4, 100));
    QMouseEvent move(QEvent::MouseMove, QPointF(64, 100), splitter->mapToGlobal(QPointF(64, 100)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(splitter, &move);
    QTest::mouseRelease(splitter, Qt::LeftButton, Qt::NoModifier, QPoint(64, 100));
    QCOMPARE(left->maximumWidth(), 305);
    QTRY_COMPARE(left->width(), 305);

    splitter->SetControlSize(-50);  // never below the pane's own minimum
    QCOMPARE(left->maximumWidth(), left->minimumSizeHint().width());
}

void TestToolkitContainers::progressBarClampsPosition()
{
    TcxProgressBar bar;
    bar.SetMax(10'000'000);
    bar.SetPosition(9'999'999);
    QCOMPARE(bar.Position(), 9'999'999);
    bar.SetPosition(20'000'000);
    QCOMPARE(bar.Position(), 10'000'000);
    bar.SetMax(50);
    QCOMPARE(bar.Position(), 50);
    bar.SetPosition(-3);
    QCOMPARE(bar.Position(), 0);
}

void TestToolkitContainers::stylesAndLookAndFeelKeepTheirSettings()
{
    TcxStyleRepository repository;
    TcxStyle *even = repository.CreateStyle("cxStyle1");
    even->SetColor(QColor(212, 238, 251));
    TcxStyle *odd = repository.CreateStyle("cxStyle2");
    QCOMPARE(repository.Count(), 2);
    QCOMPARE(repository.findChild<TcxStyle *>("cxStyle1"), even);
    QCOMPARE(even->Color(), QColor(212, 238, 251));
    QVERIFY(!odd->Color().isValid());
    delete odd;
    QCOMPARE(repository.Count(), 1);

    TcxLookAndFeelController lookAndFeel;
    lookAndFeel.SetKind(lfOffice11);
    lookAndFeel.SetNativeStyle(true);
    QCOMPARE(lookAndFeel.Kind(), lfOffice11);
    QVERIFY(lookAndFeel.NativeStyle());
}

void TestToolkitContainers::simpleControlsKeepTheirCaptions()
{
    TcxLabel label("用 户 信 息");
    label.SetTextColor(Qt::red);
    label.SetFontPixelHeight(24);
    QCOMPARE(label.Caption(), QString("用 户 信 息"));
    QCOMPARE(label.palette().color(QPalette::WindowText), QColor(Qt::red));
    QCOMPARE(label.font().pixelSize(), 24);

    TcxGroupBox box;
    box.SetCaption("单位");
    box.SetFrameless(true);
    QVERIFY(box.Frameless());
    QCOMPARE(box.Caption(), QString("单位"));

    TcxTabControl client;
    QVERIFY(qobject_cast<QFrame *>(&client));
}

QTEST_MAIN(TestToolkitContainers)
#include "tst_toolkit_containers.moc"
