// The helpers that talk to real widgets: required editors and grid columns,
// date ranges, the progress panel and the organisation picker, offscreen.

#include <QApplication>
#include <QSignalSpy>
#include <QTableView>
#include <QVBoxLayout>
#include <QtTest>

#include <memory>

#include "ClientDataSet.h"
#include "DataSource.h"
#include "Field.h"
#include "LumoError.h"
#include "TcxDateEdit.h"
#include "TcxDBMaskEdit.h"
#include "TcxEditStyleController.h"
#include "TcxGrid.h"
#include "TcxGridDBBandedColumn.h"
#include "TcxGridDBColumn.h"
#include "TcxGridDBTableView.h"
#include "TcxGroupBox.h"
#include "TcxMaskEdit.h"
#include "TcxPageControl.h"
#include "TcxTabSheet.h"
#include "TcxTextEdit.h"
#include "TestHostObjects.h"
#include "UGlobalFunUnt.h"
#include "UGlobalHRFunUnt.h"

using data::FieldType;

namespace {

// A dialog-like window: a page control with two sheets, a group box on the
// second one, and an editor on the first that holds the focus at the start.
struct TwoPageWindow
{
    TwoPageWindow()
    {
        auto *layout = new QVBoxLayout(&window);
        pages = new TcxPageControl(&window);
        layout->addWidget(pages);
        first = new TcxTabSheet(pages);
        first->SetCaption(QStringLiteral("基本信息"));
        second = new TcxTabSheet(pages);
        second->SetCaption(QStringLiteral("其他信息"));
        startEdit = new TcxTextEdit(first);
        startEdit->setObjectName(QStringLiteral("EdtStart"));
        box = new TcxGroupBox(second);
        new QVBoxLayout(box);
        new QVBoxLayout(second);
        second->layout()->addWidget(box);
        window.resize(400, 300);
    }

    void showAndFocusStart()
    {
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        pages->SetActivePage(first);
        startEdit->SetFocus();
        QTRY_VERIFY(startEdit->hasFocus());
    }

    template <typename Edit>
    Edit *editOnBox(const QString &hint)
    {
        auto *edit = new Edit(box);
        box->layout()->addWidget(edit);
        edit->SetHint(hint);
        return edit;
    }

    QWidget window;
    TcxPageControl *pages;
    TcxTabSheet *first;
    TcxTabSheet *second;
    TcxGroupBox *box;
    TcxTextEdit *startEdit;
};

// A grid over one field, placed in the window's group box.
struct GridOnBox
{
    GridOnBox(TwoPageWindow &w, FieldType type, const QVariant &value)
    {
        dataSet.SetData(RecordingSession::packet({{QStringLiteral("Birthday"), type, 0}}, {{value}}));
        source.SetDataSet(&dataSet);
        grid = new TcxGrid(w.box);
        w.box->layout()->addWidget(grid);
        view = grid->CreateView(QStringLiteral("grdvwMain"));
        view->SetDataSource(&source);
        column = view->CreateColumnOf<TcxGridDBBandedColumn>(QStringLiteral("colBirthday"));
        column->SetCaption(QStringLiteral("出生日期"));
        column->SetFieldName(QStringLiteral("Birthday"));
        other = view->CreateColumn(QStringLiteral("colOther"));
        other->Focus();
    }

    bool gridHasFocus() const
    {
        QWidget *focus = QApplication::focusWidget();
        return focus && (focus == grid || grid->isAncestorOf(focus));
    }

    data::ClientDataSet dataSet;
    data::DataSource source;
    TcxGrid *grid;
    TcxGridDBTableView *view;
    TcxGridDBColumn *column;
    TcxGridDBColumn *other;
};

const QDateTime kToday(QDate(2024, 1, 5), QTime(9, 30, 15));

} // namespace

class TstCommonChecks : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_host = std::make_unique<TestHost>();
        m_clock = std::make_unique<ScopedModuleClock>([] { return kToday; });
    }
    void cleanup()
    {
        m_clock.reset();
        m_host.reset();
    }

    void requiredEditorOnSecondSheetIsBroughtForward();
    void requiredEditorKinds();
    void requiredEditorWithoutStyleControllers();
    void requiredGridColumn();
    void requiredItemOfUnknownKind();

    void dateEditorBelowLowerBound();
    void dateEditorAboveToday();
    void dateEditorBounds_data();
    void dateEditorBounds();
    void dateBoundTextsThatAreNoDates();
    void gridDateColumn();
    void gridDateColumnFocusControl();

    void progressPanelIsCentredHalfToEven();

    void organisationPickerSequence();
    void organisationPickerCodeEditorOnly();
    void organisationPickerInitialCode();
    void organisationPickerFailurePropagates();

private:
    TestHost &host() { return *m_host; }

    std::unique_ptr<TestHost> m_host;
    std::unique_ptr<ScopedModuleClock> m_clock;
};

void TstCommonChecks::requiredEditorOnSecondSheetIsBroughtForward()
{
    TwoPageWindow w;
    auto *edit = w.editOnBox<TcxTextEdit>(QStringLiteral("用户姓名"));
    TcxEditStyleController error, normal;
    w.showAndFocusStart();

    // The sheet must already be in front when the user reads the message.
    TcxTabSheet *activeAtMessage = nullptr;
    host().dispatch.onMessage = [&](const QString &) { activeAtMessage = w.pages->ActivePage(); };

    QVERIFY(CheckRequired(nullptr, edit, &error, &normal, nullptr));
    QCOMPARE(host().dispatch.prompts(), QStringList{QStringLiteral("用户姓名不能为空!")});
    QCOMPARE(activeAtMessage, w.second);
    QCOMPARE(w.pages->ActivePage(), w.second);
    QCOMPARE(edit->StyleController(), &error);
    QTRY_VERIFY(edit->hasFocus());
}

void TstCommonChecks::requiredEditorKinds()
{
    TwoPageWindow w;
    TcxEditStyleController error;
    auto *text = w.editOnBox<TcxTextEdit>(QStringLiteral("文本"));
    auto *mask = w.editOnBox<TcxMaskEdit>(QStringLiteral("掩码"));
    auto *date = w.editOnBox<TcxDateEdit>(QStringLiteral("日期"));
    w.showAndFocusStart();

    // Blanks fill a text editor: nothing is trimmed.
    text->SetText(QStringLiteral("   "));
    QVERIFY(!CheckRequired(nullptr, text, &error, nullptr, nullptr));
    text->SetText(QString());
    QVERIFY(CheckRequired(nullptr, text, &error, nullptr, nullptr));

    // A mask editor whose value is set but whose text is empty is empty.
    mask->SetEditValue(QStringLiteral(""));
    QVERIFY(!mask->EditValue().isNull());
    QVERIFY(CheckRequired(nullptr, mask, &error, nullptr, nullptr));
    mask->SetEditValue(QStringLiteral("A1"));
    QVERIFY(!CheckRequired(nullptr, mask, &error, nullptr, nullptr));

    // Any other editor: its edit value.
    QVERIFY(CheckRequired(nullptr, date, &error, nullptr, nullptr));
    date->SetDate(QDate(2020, 2, 29));
    QVERIFY(!CheckRequired(nullptr, date, &error, nullptr, nullptr));

    QCOMPARE(host().dispatch.prompts(),
             QStringList({QStringLiteral("文本不能为空!"), QStringLiteral("掩码不能为空!"),
                          QStringLiteral("日期不能为空!")}));
    // A filled editor keeps its look.
    QCOMPARE(text->StyleController(), &error);
    QTRY_VERIFY(date->hasFocus());
}

void TstCommonChecks::requiredEditorWithoutStyleControllers()
{
    TwoPageWindow w;
    TcxEditStyleController own;
    auto *edit = new TcxTextEdit(w.first);  // directly on the first sheet
    edit->SetHint(QStringLiteral("编码"));
    edit->SetStyleController(&own);
    w.showAndFocusStart();
    w.pages->SetActivePage(w.second);

    QVERIFY(CheckRequired(nullptr, edit, nullptr, nullptr, nullptr));
    QCOMPARE(edit->StyleController(), &own);
    QCOMPARE(w.pages->ActivePage(), w.first);

    // Only a normal controller given: the editor takes the (absent) error one.
    QVERIFY(CheckRequired(nullptr, edit, nullptr, &own, nullptr));
    QCOMPARE(edit->StyleController(), nullptr);
}

void TstCommonChecks::requiredGridColumn()
{
    TwoPageWindow w;
    GridOnBox g(w, FieldType::String, QVariant());
    w.showAndFocusStart();

    QVERIFY(CheckRequired(&g.dataSet, g.column, nullptr, nullptr, g.grid));
    QCOMPARE(host().dispatch.prompts(), QStringList{QStringLiteral("出生日期不能为空!")});
    QCOMPARE(w.pages->ActivePage(), w.second);
    QVERIFY(g.column->Focused());
    QTRY_VERIFY(g.gridHasFocus());

    // An empty text counts as empty; any text fills the column.
    g.dataSet.Edit();
    g.dataSet.FieldByName(QStringLiteral("Birthday"))->SetAsString(QStringLiteral(""));
    g.dataSet.Post();
    QVERIFY(CheckRequired(&g.dataSet, g.column, nullptr, nullptr, g.grid));
    g.dataSet.Edit();
    g.dataSet.FieldByName(QStringLiteral("Birthday"))->SetAsString(QStringLiteral(" "));
    g.dataSet.Post();
    QVERIFY(!CheckRequired(&g.dataSet, g.column, nullptr, nullptr, g.grid));

    // Without the grid control the column is still reported.
    g.dataSet.Edit();
    g.dataSet.FieldByName(QStringLiteral("Birthday"))->Clear();
    g.dataSet.Post();
    QVERIFY(CheckRequired(&g.dataSet, g.column, nullptr, nullptr, nullptr));
    QCOMPARE(host().dispatch.prompts().size(), 3);
}

void TstCommonChecks::requiredItemOfUnknownKind()
{
    QObject plain;
    QVERIFY_THROWS_EXCEPTION(data::LumoError, CheckRequired(nullptr, &plain, nullptr, nullptr, nullptr));
    QVERIFY(host().dispatch.prompts().isEmpty());
}

void TstCommonChecks::dateEditorBelowLowerBound()
{
    TwoPageWindow w;
    TcxEditStyleController error;
    auto *edit = w.editOnBox<TcxDateEdit>(QStringLiteral("建档日期"));
    edit->SetDate(QDate(1990, 4, 30));
    w.showAndFocusStart();

    QVERIFY(!CheckDateRange(edit, QStringLiteral("1990-05-01"), &error,
                            QStringLiteral("不能小于人员的出生日期"), QString(),
                            QStringLiteral("系统当前日期"), nullptr));
    QCOMPARE(host().dispatch.prompts(),
             QStringList{QStringLiteral("建档日期不能小于人员的出生日期!请重新输入!")});
    QCOMPARE(edit->StyleController(), &error);
    QCOMPARE(w.pages->ActivePage(), w.second);
    QTRY_VERIFY(edit->hasFocus());
}

void TstCommonChecks::dateEditorAboveToday()
{
    TwoPageWindow w;
    TcxEditStyleController error;
    auto *edit = w.editOnBox<TcxDateEdit>(QStringLiteral("随访日期"));
    edit->SetDate(QDate(2024, 1, 6));
    w.showAndFocusStart();

    QVERIFY(!CheckDateRange(edit, QStringLiteral("1990-05-01"), &error,
                            QStringLiteral("不能小于人员的出生日期"), QStringLiteral("  "),
                            QStringLiteral("系统当前日期"), w.startEdit));
    QCOMPARE(host().dispatch.prompts(),
             QStringList{QStringLiteral("随访日期不能大于系统当前日期!请重新输入!")});
    // The focus control is for grid columns only.
    QTRY_VERIFY(edit->hasFocus());
}

void TstCommonChecks::dateEditorBounds_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("minText");
    QTest::addColumn<QString>("maxText");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("today passes") << QDate(2024, 1, 5) << QString() << QString() << true;
    QTest::newRow("equal to lower bound") << QDate(1990, 5, 1) << "1990-05-01" << "" << true;
    QTest::newRow("lower bound with a time of day") << QDate(1990, 5, 1) << "1990-05-01 00:00:00" << "" << true;
    QTest::newRow("lower bound unpadded") << QDate(1990, 4, 30) << " 1990-5-1 " << "" << false;
    QTest::newRow("given upper bound") << QDate(2000, 1, 2) << "" << "2000-01-01" << false;
    QTest::newRow("equal to given upper bound") << QDate(2000, 1, 1) << "" << "2000-01-01" << true;
    QTest::newRow("empty editor without lower bound") << QDate() << "" << "" << true;
    QTest::newRow("empty editor below any lower bound") << QDate() << "1900-01-01" << "" << false;
}

void TstCommonChecks::dateEditorBounds()
{
    QFETCH(QDate, date);
    QFETCH(QString, minText);
    QFETCH(QString, maxText);
    QFETCH(bool, accepted);

    TcxDateEdit edit;
    edit.SetHint(QStringLiteral("日期"));
    edit.SetDate(date);
    QCOMPARE(CheckDateRange(&edit, minText, nullptr, QStringLiteral("太早"), maxText,
                            QStringLiteral("上限"), nullptr),
             accepted);
    QCOMPARE(host().dispatch.prompts().isEmpty(), accepted);
}

void TstCommonChecks::dateBoundTextsThatAreNoDates()
{
    TcxDateEdit edit;
    edit.SetDate(QDate(2000, 1, 1));
    QVERIFY_THROWS_EXCEPTION(data::LumoError,
                             CheckDateRange(&edit, QStringLiteral("1990-13-01"), nullptr, QString(),
                                            QString(), QString(), nullptr));
    QVERIFY_THROWS_EXCEPTION(data::LumoError,
                             CheckDateRange(&edit, QString(), nullptr, QString(),
                                            QStringLiteral("01/05/2024"), QString(), nullptr));
    QVERIFY(CheckDateRange(nullptr, QStringLiteral("nonsense"), nullptr, QString(), QString(),
                           QString(), nullptr));
    QObject plain;
    QVERIFY_THROWS_EXCEPTION(data::LumoError, CheckDateRange(&plain, QString(), nullptr, QString(),
                                                             QString(), QString(), nullptr));
}

void TstCommonChecks::gridDateColumn()
{
    TwoPageWindow w;
    GridOnBox g(w, FieldType::DateTime, QVariant());
    w.showAndFocusStart();
    const auto check = [&](const QString &minText) {
        return CheckDateRange(g.column, minText, nullptr, QStringLiteral("不能小于人员的出生日期"),
                              QString(), QStringLiteral("系统当前日期"), nullptr);
    };
    const auto setValue = [&](const QVariant &value) {
        g.dataSet.Edit();
        g.dataSet.FieldByName(QStringLiteral("Birthday"))->SetValue(value);
        g.dataSet.Post();
    };

    // A null value passes without a word.
    QVERIFY(check(QStringLiteral("1990-05-01")));
    QVERIFY(host().dispatch.prompts().isEmpty());

    // Today at 00:00 passes, today with a time of day does not.
    setValue(QDateTime(kToday.date(), QTime(0, 0)));
    QVERIFY(check(QString()));
    setValue(QDateTime(kToday.date(), QTime(0, 0, 1)));
    QVERIFY(!check(QString()));
    QCOMPARE(host().dispatch.prompts().last(), QStringLiteral("出生日期不能大于系统当前日期!请重新输入!"));
    QVERIFY(g.column->Focused());

    // Equal to the lower bound passes; a moment before it does not.
    setValue(QDateTime(QDate(1990, 5, 1), QTime(0, 0)));
    QVERIFY(check(QStringLiteral("1990-05-01")));
    setValue(QDateTime(QDate(1990, 4, 30), QTime(23, 59, 59)));
    QVERIFY(!check(QStringLiteral("1990-05-01")));
    QCOMPARE(host().dispatch.prompts().last(),
             QStringLiteral("出生日期不能小于人员的出生日期!请重新输入!"));
    QCOMPARE(host().dispatch.prompts().size(), 2);
}

void TstCommonChecks::gridDateColumnFocusControl()
{
    TwoPageWindow w;
    GridOnBox g(w, FieldType::Date, QDate(2030, 1, 1));
    auto *target = w.editOnBox<TcxTextEdit>(QStringLiteral("备注"));
    w.showAndFocusStart();

    QVERIFY(!CheckDateRange(g.column, QString(), nullptr, QString(), QString(),
                            QStringLiteral("系统当前日期"), target));
    QCOMPARE(w.pages->ActivePage(), w.second);
    QTRY_VERIFY(target->hasFocus());
    QVERIFY(g.column->Focused());
}

void TstCommonChecks::progressPanelIsCentredHalfToEven()
{
    QWidget parent;
    parent.resize(101, 60);
    QWidget sibling(&parent);
    QWidget panel(&parent);
    QWidget later(&parent);  // above the panel until it is raised
    panel.resize(50, 25);
    parent.show();

    ShowProgressPanel(&panel, true);
    QCOMPARE(panel.pos(), QPoint(26, 18));  // 25.5 -> 26, 17.5 -> 18
    QVERIFY(panel.isVisible());
    QCOMPARE(parent.children().last(), &panel);

    parent.resize(55, 29);
    ShowProgressPanel(&panel, false);
    QCOMPARE(panel.pos(), QPoint(2, 2));  // 2.5 -> 2 both ways
    QVERIFY(!panel.isVisible());

    parent.resize(40, 25);  // a panel wider than its parent
    ShowProgressPanel(&panel, true);
    QCOMPARE(panel.pos(), QPoint(-5, 0));

    QWidget orphan;
    QVERIFY_THROWS_EXCEPTION(data::LumoError, ShowProgressPanel(&orphan, true));
}

void TstCommonChecks::organisationPickerSequence()
{
    TwoPageWindow w;
    data::ClientDataSet dataSet;
    dataSet.SetData(RecordingSession::packet({{QStringLiteral("OrgCode"), FieldType::String, 20}},
                                             {{QStringLiteral("old")}}));
    data::DataSource source;
    source.SetDataSet(&dataSet);
    auto *code = new TcxDBMaskEdit(w.first);
    code->SetDataSource(&source);
    code->SetDataField(QStringLiteral("OrgCode"));
    auto *name = new TcxTextEdit(w.first);
    w.showAndFocusStart();

    host().dispatch.setSrm(42);
    host().dispatch.setConMain(QStringLiteral("main"));
    host().picker.setCodeValue(QStringLiteral("单位编码"), QStringLiteral("320101001"));
    host().picker.setCodeValue(QStringLiteral("单位名称"), QStringLiteral("城东卫生院"));

    SelectOrganisation(code, name, QStringLiteral("3"), QStringLiteral(" And AreaCode = '3201'"));

    QCOMPARE(host().picker.log(),
             QStringList({QStringLiteral("Init()"), QStringLiteral("Table=p_YLFWDW"),
                          QStringLiteral("Where= 1=1  And AreaCode = '3201'"),
                          QStringLiteral("OrderBy=OrgCode Asc"),
                          QStringLiteral("FieldList=OrgCode As 单位编码, OrgName As 单位名称"),
                          QStringLiteral("CodeType=42"), QStringLiteral("Spell=Spell"),
                          QStringLiteral("Wbx=FiveStrokes"), QStringLiteral("SearchTime=2000"),
                          QStringLiteral("Code=3"), QStringLiteral("SetPosition(0,-2,18)"),
                          QStringLiteral("conType=main"), QStringLiteral("Show()"),
                          QStringLiteral("GetCodeValue(单位编码)"),
                          QStringLiteral("GetCodeValue(单位名称)")}));
    QCOMPARE(host().dispatch.log(), QStringList({QStringLiteral("GetSRM()"), QStringLiteral("conMain()")}));
    // The variants arrive as the host gave them; the wait time as an integer.
    for (const auto &write : host().picker.writes()) {
        if (write.first == QLatin1String("CodeType"))
            QCOMPARE(write.second.typeId(), QMetaType::Int);
        if (write.first == QLatin1String("SearchTime"))
            QCOMPARE(write.second.typeId(), QMetaType::Int);
    }
    QCOMPARE(host().session.statements().first(),
             QStringLiteral("Select ParamValue From TSys_Param Where ParamName = 'SearchTime'"));

    QCOMPARE(code->EditValue().toString(), QStringLiteral("320101001"));
    QCOMPARE(dataSet.FieldByName(QStringLiteral("OrgCode"))->AsString(), QStringLiteral("320101001"));
    QCOMPARE(name->Text(), QStringLiteral("城东卫生院"));
    QTRY_VERIFY(code->hasFocus());
}

void TstCommonChecks::organisationPickerCodeEditorOnly()
{
    TwoPageWindow w;
    auto *code = new TcxTextEdit(w.first);
    w.showAndFocusStart();
    host().session.queueValue(QStringLiteral("500"));
    // Left without a choice: the empty answer is written all the same.
    code->SetText(QStringLiteral("before"));

    SelectOrganisation(code, nullptr, QString(), QString());

    QCOMPARE(host().picker.log().filter(QStringLiteral("GetCodeValue")),
             QStringList{QStringLiteral("GetCodeValue(单位编码)")});
    QVERIFY(host().picker.log().contains(QStringLiteral("Where= 1=1 ")));
    QVERIFY(host().picker.log().contains(QStringLiteral("SearchTime=500")));
    QVERIFY(host().picker.log().contains(QStringLiteral("Code=")));
    QCOMPARE(code->Text(), QString());
    QTRY_VERIFY(code->hasFocus());

    // Only a name editor, disabled: filled, not focused.
    host().picker.clear();
    auto *name = new TcxTextEdit(w.first);
    name->setEnabled(false);
    host().picker.setCodeValue(QStringLiteral("单位名称"), QStringLiteral("卫生院"));
    SelectOrganisation(nullptr, name, QStringLiteral("a"), QString());
    QCOMPARE(name->Text(), QStringLiteral("卫生院"));
    QVERIFY(!name->hasFocus());
}

void TstCommonChecks::organisationPickerInitialCode()
{
    // What a key-down handler hands over for the key it saw.
    QCOMPARE(typedTextOfKey(Qt::Key_3), QStringLiteral("3"));  // also the numeric pad's 3
    QCOMPARE(typedTextOfKey(Qt::Key_C), QStringLiteral("C"));
    QCOMPARE(typedTextOfKey(Qt::Key_Space), QStringLiteral(" "));
    QCOMPARE(typedTextOfKey(Qt::Key_Return), QString());
    QCOMPARE(typedTextOfKey(Qt::Key_Shift), QString());
    QCOMPARE(typedTextOfKey(Qt::Key_Down), QString());

    const auto codeFor = [&](const QString &typed) {
        host().picker.clear();
        SelectOrganisation(nullptr, nullptr, typed, QString());
        const QStringList codes = host().picker.log().filter(QRegularExpression(QStringLiteral("^Code=")));
        return codes.value(0);
    };
    QCOMPARE(codeFor(QStringLiteral("3")), QStringLiteral("Code=3"));
    QCOMPARE(codeFor(QStringLiteral("张")), QStringLiteral("Code=张"));
    QCOMPARE(codeFor(QStringLiteral("ab")), QStringLiteral("Code=a"));
    QCOMPARE(codeFor(QStringLiteral("\r")), QStringLiteral("Code="));
    QCOMPARE(codeFor(QStringLiteral("\t")), QStringLiteral("Code="));
    QCOMPARE(codeFor(QString()), QStringLiteral("Code="));
}

void TstCommonChecks::organisationPickerFailurePropagates()
{
    auto code = std::make_unique<TcxTextEdit>();
    code->SetText(QStringLiteral("kept"));
    host().picker.onShow = [] { throw data::LumoError(QStringLiteral("picker failed")); };
    QVERIFY_THROWS_EXCEPTION(data::LumoError,
                             SelectOrganisation(code.get(), nullptr, QStringLiteral("1"), QString()));
    QCOMPARE(code->Text(), QStringLiteral("kept"));
    QVERIFY(host().picker.log().filter(QStringLiteral("GetCodeValue")).isEmpty());

    host().session.CodePicker = nullptr;
    QVERIFY_THROWS_EXCEPTION(data::LumoError,
                             SelectOrganisation(code.get(), nullptr, QStringLiteral("1"), QString()));
}

QTEST_MAIN(TstCommonChecks)
#include "tst_common_checks.moc"
