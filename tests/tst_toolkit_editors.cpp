// Editors of the widget toolkit: masks and validation, events, data binding,
// style controllers, combo and lookup lists, dates.

#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include "Field.h"
#include "LumoError.h"
#include "TcxButton.h"
#include "TcxCheckBox.h"
#include "TcxComboBox.h"
#include "TcxDBComboBox.h"
#include "TcxDBDateEdit.h"
#include "TcxDBLookupComboBox.h"
#include "TcxDBMaskEdit.h"
#include "TcxDateEdit.h"
#include "TcxEditStyleController.h"
#include "TcxLookupComboBox.h"
#include "TcxMaskEdit.h"
#include "TcxTextEdit.h"
#include "ToolkitColors.h"
#include "toolkit_fixtures.h"

using namespace toolkittest;
using data::FieldType;

namespace {

// A window with editors stacked in tab order.
struct Form
{
    QWidget window;
    QVBoxLayout *layout = new QVBoxLayout(&window);

    template <class T>
    T *add(const QString &name)
    {
        auto *w = new T(&window);
        w->setObjectName(name);
        layout->addWidget(w);
        return w;
    }
};

// Collects what the toolkit reports instead of showing message boxes.
struct ReportedErrors
{
    QStringList texts;
    ReportedErrors()
    {
        TcxCustomEdit::ErrorReporter = [this](const QString &text) { texts << text; };
    }
    ~ReportedErrors() { TcxCustomEdit::ErrorReporter = nullptr; }
};

} // namespace

class TestToolkitEditors : public QObject
{
    Q_OBJECT

private slots:
    void maskLimitsTypingAndValidatesOnExit();
    void maskValidationCanBeRewrittenByOnValidate();
    void maskAcceptsEmptyAndUntouchedEditors();
    void changeEventsFollowTextChanges();
    void keyEventsComeBeforeTheEditor();
    void enterAndExitFollowFocus();
    void dbEditShowsAndFollowsTheRecord();
    void dbEditPostsOnExitAndOnRequest();
    void dbEditReportsValuesTheFieldRefuses();
    void buttonClickPostsTheFocusedEditor();
    void styleControllerSwitchesTheLook();
    void comboBoxItemsAndListStyles();
    void dbComboBoxPostsItsText();
    void lookupShowsListTextAndKeepsKey();
    void lookupTypingMatchesItemsIgnoringCase();
    void dbLookupPostsTheKey();
    void dateEditHasAnEmptyState();
    void dbDateEditPostsDates();
    void checkBoxNullShowsUnticked();
    void readOnlyEditorsRefuseTyping();
};

void TestToolkitEditors::maskLimitsTypingAndValidatesOnExit()
{
    ReportedErrors errors;
    Form form;
    auto *sn = form.add<TcxMaskEdit>("EdtSN");
    auto *next = form.add<TcxTextEdit>("EdtNext");
    sn->SetMaskRegExp("[0-9]{2,2}");
    sn->SetHint("用户代码");
    int exits = 0;
    sn->OnExit = [&](QObject *) { ++exits; };
    QVERIFY(showActive(form.window));

    sn->SetFocus();
    QVERIFY(sn->Focused());
    typeText(sn->innerWidget(), "a1b");
    QCOMPARE(sn->Text(), QString("1"));  // letters never get in
    QVERIFY(!sn->IsValidText("1"));
    QVERIFY(sn->IsValidText("12"));
    QVERIFY(!sn->IsValidText("123"));

    next->SetFocus();
    QCOMPARE(errors.texts.size(), 1);
    QCOMPARE(errors.texts.first(), TcxCustomMaskEdit::defaultValidationText());
    QVERIFY(sn->Focused());  // the focus stays in the editor
    QCOMPARE(exits, 0);

    typeText(sn->innerWidget(), "2");
    QCOMPARE(sn->Text(), QString("12"));
    typeText(sn->innerWidget(), "3");  // a third digit cannot become valid
    QCOMPARE(sn->Text(), QString("12"));
    next->SetFocus();
    QVERIFY(next->Focused());
    QCOMPARE(errors.texts.size(), 1);
    QCOMPARE(exits, 1);
}

void TestToolkitEditors::maskValidationCanBeRewrittenByOnValidate()
{
    ReportedErrors errors;
    TcxEditStyleController errorStyle, normalStyle;
    Form form;
    auto *sn = form.add<TcxMaskEdit>("EdtSN");
    form.add<TcxTextEdit>("EdtNext");
    sn->SetMaskRegExp("[0-9]{2,2}");
    sn->SetHint("用户代码");
    sn->SetTag(2);
    bool sawError = false;
    sn->OnValidate = [&](QObject *sender, QVariant &, QString &text, bool &error) {
        auto *edit = static_cast<TcxCustomEdit *>(sender);
        sawError = error;
        if (error) {
            text = edit->Hint() + " 输入错误,编码应由" + QString::number(edit->Tag()) + "位数字构成!请输入正确的编码!";
            edit->SetStyleController(&errorStyle);
        } else {
            edit->SetStyleController(&normalStyle);
        }
    };

    sn->SetText("7");
    QVERIFY(!sn->ValidateEdit());
    QVERIFY(sawError);
    QCOMPARE(errors.texts, QStringList{"用户代码 输入错误,编码应由2位数字构成!请输入正确的编码!"});
    QCOMPARE(sn->StyleController(), &errorStyle);

    sn->SetText("07");
    QVERIFY(sn->ValidateEdit());
    QVERIFY(!sawError);
    QCOMPARE(sn->StyleController(), &normalStyle);

    // A handler may also accept a text the mask refuses, and change it.
    sn->OnValidate = [](QObject *, QVariant &value, QString &, bool &error) {
        value = "0" + value.toString();
        error = false;
    };
    sn->SetText("5");
    QVERIFY(sn->ValidateEdit());
    QCOMPARE(sn->Text(), QString("05"));
    QCOMPARE(errors.texts.size(), 1);
}

void TestToolkitEditors::maskAcceptsEmptyAndUntouchedEditors()
{
    ReportedErrors errors;
    Form form;
    auto *sn = form.add<TcxMaskEdit>("EdtSN");
    auto *next = form.add<TcxTextEdit>("EdtNext");
    sn->SetMaskRegExp("[0-9]{2,2}");
    QVERIFY(showActive(form.window));

    // Passing through without typing does not trap the focus, even with an
    // invalid text put there by code.
    sn->SetText("1");
    sn->SetFocus();
    next->SetFocus();
    QVERIFY(next->Focused());
    QVERIFY(errors.texts.isEmpty());

    // Emptying it is allowed: required editors are checked elsewhere.
    sn->SetFocus();
    QTest::keyClick(sn->innerWidget(), Qt::Key_Backspace);
    QCOMPARE(sn->Text(), QString());
    next->SetFocus();
    QVERIFY(next->Focused());
    QVERIFY(errors.texts.isEmpty());
    QVERIFY(sn->ValidateEdit());
}

void TestToolkitEditors::changeEventsFollowTextChanges()
{
    Form form;
    auto *edit = form.add<TcxMaskEdit>("EdtUserName");
    QStringList seen;
    edit->OnChange = [&](QObject *sender) { seen << static_cast<TcxMaskEdit *>(sender)->Text(); };
    QVERIFY(showActive(form.window));

    edit->SetText("张");
    edit->SetText("张");  // unchanged text: no event
    edit->SetFocus();
    typeText(edit->innerWidget(), "三");
    edit->SetEditValue(QVariant());
    QCOMPARE(seen, (QStringList{"张", "张三", ""}));
    QVERIFY(edit->EditValue().isNull());

    // An empty text typed by the user is a value, not "no value".
    edit->SetText("x");
    QTest::keyClick(edit->innerWidget(), Qt::Key_Backspace);
    QCOMPARE(edit->EditValue(), QVariant(QString()));
    QVERIFY(!edit->EditValue().isNull());
}

void TestToolkitEditors::keyEventsComeBeforeTheEditor()
{
    Form form;
    auto *edit = form.add<TcxMaskEdit>("EdtOrgCode");
    QVERIFY(showActive(form.window));
    edit->SetFocus();

    QList<int> keys;
    QStringList textsAtKeyDown;
    QList<QChar> chars;
    QObject *sender = nullptr;
    edit->OnKeyDown = [&](QObject *s, int &key, Qt::KeyboardModifiers) {
        sender = s;
        if (key == Qt::Key_Control)
            return;
        keys << key;
        textsAtKeyDown << edit->Text();
        if (key == Qt::Key_X)
            key = 0;
    };
    edit->OnKeyPress = [&](QObject *, QChar &ch) {
        chars << ch;
        if (ch == QChar('b'))
            ch = QChar(0);
        if (ch == QChar('c'))
            ch = QChar('C');
    };
    QTest::keyClick(edit->innerWidget(), Qt::Key_A);
    QTest::keyClick(edit->innerWidget(), Qt::Key_X);  // consumed by OnKeyDown
    QTest::keyClick(edit->innerWidget(), Qt::Key_B);  // consumed by OnKeyPress
    QTest::keyClick(edit->innerWidget(), Qt::Key_C);  // replaced
    QTest::keyClick(edit->innerWidget(), Qt::Key_Return);
    QTest::keyClick(edit->innerWidget(), Qt::Key_D, Qt::ControlModifier);
    QCOMPARE(edit->Text(), QString("aC"));
    QCOMPARE(sender, edit);
    // Each key is seen before the editor takes it.
    QCOMPARE(textsAtKeyDown, (QStringList{"", "a", "a", "a", "aC", "aC"}));
    QCOMPARE(keys, (QList<int>{Qt::Key_A, Qt::Key_X, Qt::Key_B, Qt::Key_C, Qt::Key_Return, Qt::Key_D}));
    QCOMPARE(chars, (QList<QChar>{QChar('a'), QChar('b'), QChar('c'), QChar('\r'), QChar(4)}));
}

void TestToolkitEditors::enterAndExitFollowFocus()
{
    Form form;
    auto *first = form.add<TcxMaskEdit>("EdtFirst");
    auto *second = form.add<TcxDateEdit>("EdtSecond");
    QStringList events;
    first->OnEnter = [&](QObject *) { events << "enter1"; };
    first->OnExit = [&](QObject *) { events << "exit1"; };
    second->OnEnter = [&](QObject *) { events << "enter2"; };
    second->OnExit = [&](QObject *) { events << "exit2"; };
    QVERIFY(showActive(form.window));

    first->SetFocus();
    second->SetFocus();
    first->SetFocus();
    QCOMPARE(events, (QStringList{"enter1", "exit1", "enter2", "exit2", "enter1"}));

    // A handler can move the focus on at once (the forms' "skip" editors).
    events.clear();
    second->OnEnter = [&](QObject *) {
        events << "enter2";
        first->SetFocus();
    };
    second->SetFocus();
    QVERIFY(first->Focused());
    QCOMPARE(events, (QStringList{"exit1", "enter2", "exit2", "enter1"}));
}

void TestToolkitEditors::dbEditShowsAndFollowsTheRecord()
{
    BoundData users({def("UserCode"), def("UserName")}, {{"0101", "张三"}, {"0102", QVariant()}});
    Form form;
    auto *code = form.add<TcxDBMaskEdit>("EdtUserCode");
    auto *name = form.add<TcxDBMaskEdit>("EdtUserName");
    code->SetDataField("UserCode");
    code->SetDataSource(&users.source);
    name->SetDataSource(&users.source);
    name->SetDataField("UserName");
    QCOMPARE(code->Field(), users.dataSet.FieldByName("UserCode"));

    QCOMPARE(code->Text(), QString("0101"));
    QCOMPARE(name->Text(), QString("张三"));
    users.dataSet.Next();
    QCOMPARE(code->Text(), QString("0102"));
    QVERIFY(name->EditValue().isNull());

    users.dataSet.Edit();
    users.dataSet.FieldByName("UserName")->SetAsString("李四");
    QCOMPARE(name->Text(), QString("李四"));

    users.load({def("UserCode")}, {{"9"}});
    QCOMPARE(code->Text(), QString("9"));
    QVERIFY(name->EditValue().isNull());  // the field is gone
    QVERIFY(!name->Field());

    users.dataSet.Close();
    QVERIFY(code->EditValue().isNull());
}

void TestToolkitEditors::dbEditPostsOnExitAndOnRequest()
{
    BoundData users({def("UserCode"), def("Spell")}, {{"0101", "ZS"}});
    Form form;
    auto *code = form.add<TcxDBMaskEdit>("EdtUserCode");
    auto *spell = form.add<TcxDBMaskEdit>("EdtPYCode");
    code->SetDataSource(&users.source);
    code->SetDataField("UserCode");
    spell->SetDataSource(&users.source);
    spell->SetDataField("Spell");
    QVERIFY(showActive(form.window));

    code->SetFocus();
    QTest::keyClick(code->innerWidget(), Qt::Key_End);
    typeText(code->innerWidget(), "9");
    QCOMPARE(users.dataSet.FieldByName("UserCode")->AsString(), QString("0101"));  // not yet
    spell->SetFocus();
    QCOMPARE(users.dataSet.State(), data::DataSetState::Edit);
    QCOMPARE(users.dataSet.FieldByName("UserCode")->AsString(), QString("01019"));

    // Set by code and posted on request, as the name editor does with codes.
    users.dataSet.Post();
    spell->SetEditValue("LS");
    QCOMPARE(users.dataSet.FieldByName("Spell")->AsString(), QString("ZS"));
    spell->PostEditValue();
    QCOMPARE(users.dataSet.State(), data::DataSetState::Edit);
    QCOMPARE(users.dataSet.FieldByName("Spell")->AsString(), QString("LS"));

    // An empty text stays an empty text; "no value" clears the field.
    spell->SetEditValue(QString(""));
    spell->PostEditValue();
    QVERIFY(!users.dataSet.FieldByName("Spell")->IsNull());
    spell->SetEditValue(QVariant());
    spell->PostEditValue();
    QVERIFY(users.dataSet.FieldByName("Spell")->IsNull());
}

void TestToolkitEditors::dbEditReportsValuesTheFieldRefuses()
{
    ReportedErrors errors;
    BoundData rows({def("Grade", FieldType::Integer)}, {{qint64(3)}});
    Form form;
    auto *grade = form.add<TcxDBMaskEdit>("EdtGrade");
    auto *next = form.add<TcxTextEdit>("EdtNext");
    grade->SetDataSource(&rows.source);
    grade->SetDataField("Grade");
    QVERIFY(showActive(form.window));

    grade->SetFocus();
    typeText(grade->innerWidget(), "x");
    next->SetFocus();
    QCOMPARE(errors.texts.size(), 1);
    QVERIFY(grade->Focused());
    QCOMPARE(rows.dataSet.FieldByName("Grade")->AsInteger(), qint64(3));

    grade->SetEditValue("abc");
    QVERIFY_THROWS_EXCEPTION(data::LumoError, grade->PostEditValue());
}

void TestToolkitEditors::buttonClickPostsTheFocusedEditor()
{
    BoundData users({def("UserName")}, {{"张三"}});
    Form form;
    auto *name = form.add<TcxDBMaskEdit>("EdtUserName");
    auto *ok = form.add<TcxButton>("btnOK");
    ok->SetCaption("确定(&S)");
    name->SetDataSource(&users.source);
    name->SetDataField("UserName");
    QString seenByHandler;
    connect(ok, &QPushButton::clicked, ok, [&] { seenByHandler = users.dataSet.FieldByName("UserName")->AsString(); });
    int onClicks = 0;
    ok->OnClick = [&](QObject *) { ++onClicks; };
    QVERIFY(showActive(form.window));

    name->SetFocus();
    QTest::keyClick(name->innerWidget(), Qt::Key_End);
    typeText(name->innerWidget(), "丰");
    ok->Click();  // as by its accelerator: the focus stays in the editor
    QVERIFY(name->Focused());
    QCOMPARE(seenByHandler, QString("张三丰"));
    QCOMPARE(onClicks, 1);

    // A text the mask refuses is not taken.
    name->SetMaskRegExp("[0-9]{2,2}");
    name->SetEditValue("1");
    typeText(name->innerWidget(), "x");  // refused by the mask, but marks nothing
    name->lineEdit()->setText("3");      // as typed
    ok->Click();
    QCOMPARE(users.dataSet.FieldByName("UserName")->AsString(), QString("张三丰"));
}

void TestToolkitEditors::styleControllerSwitchesTheLook()
{
    TcxEditStyleController normal, error, readOnly;
    normal.SetBorderColor(clBlue());
    normal.SetThickBorder(true);
    normal.SetFocusedColor(clWindow());
    error.SetBorderColor(clRed());
    error.SetThickBorder(true);
    readOnly.SetColor(colorFromTColor(16510676));
    QCOMPARE(readOnly.Color(), QColor(212, 238, 251));

    Form form;
    auto *edit = form.add<TcxMaskEdit>("EdtUserName");
    QCOMPARE(edit->StyleController(), nullptr);
    edit->SetStyleController(&normal);
    QCOMPARE(edit->StyleController(), &normal);
    QVERIFY(edit->innerWidget()->styleSheet().contains("#0000ff"));
    edit->SetStyleController(&error);
    QCOMPARE(edit->StyleController(), &error);
    QVERIFY(edit->innerWidget()->styleSheet().contains("#ff0000"));
    QVERIFY(!edit->innerWidget()->styleSheet().contains("#0000ff"));

    // Changing a controller restyles the editors that use it.
    error.SetBorderColor(QColor(0, 128, 0));
    QVERIFY(edit->innerWidget()->styleSheet().contains("#008000"));

    auto *date = form.add<TcxDateEdit>("EdtDate");
    date->SetStyleController(&readOnly);
    QVERIFY(date->innerWidget()->styleSheet().contains("QDateEdit { background-color: #d4eefb"));

    // A destroyed controller leaves the editor with its own look.
    {
        TcxEditStyleController temporary;
        edit->SetStyleController(&temporary);
    }
    QCOMPARE(edit->StyleController(), nullptr);
}

void TestToolkitEditors::comboBoxItemsAndListStyles()
{
    Form form;
    auto *combo = form.add<TcxComboBox>("cbbGrade");
    combo->SetItems({"一级", "二级"});
    QVERIFY(combo->EditValue().isNull());  // filling the list picks nothing
    QCOMPARE(combo->ItemIndex(), -1);

    combo->SetText("二级");
    QCOMPARE(combo->ItemIndex(), 1);
    combo->SetText("三级");  // free text in an edit list
    QCOMPARE(combo->Text(), QString("三级"));
    QCOMPARE(combo->ItemIndex(), -1);

    combo->SetItems({"甲", "乙"});
    QCOMPARE(combo->Text(), QString("三级"));  // the text outlives the list
    combo->SetDropDownListStyle(lsFixedList);
    QCOMPARE(combo->Text(), QString());  // a fixed list cannot show it
    QCOMPARE(combo->lineEdit(), nullptr);
    combo->SetItemIndex(1);
    QCOMPARE(combo->Text(), QString("乙"));
    QCOMPARE(combo->EditValue(), QVariant(QString("乙")));

    int changes = 0;
    combo->OnChange = [&](QObject *) { ++changes; };
    combo->comboBox()->setCurrentIndex(0);  // as by the user's pick
    QCOMPARE(changes, 1);
    QVERIFY(combo->ModifiedAfterEnter());
    combo->ClearItems();
    QCOMPARE(combo->Items(), QStringList());
}

void TestToolkitEditors::dbComboBoxPostsItsText()
{
    BoundData rows({def("Grade")}, {{"二级"}});
    Form form;
    auto *combo = form.add<TcxDBComboBox>("cbbGrade");
    auto *next = form.add<TcxTextEdit>("EdtNext");
    combo->SetItems({"一级", "二级"});
    combo->SetDataSource(&rows.source);
    combo->SetDataField("Grade");
    QCOMPARE(combo->ItemIndex(), 1);

    combo->SetEditValue(QString(""));
    combo->PostEditValue();
    QCOMPARE(rows.dataSet.FieldByName("Grade")->AsString(), QString());
    combo->SetText("一级");
    combo->PostEditValue();
    QCOMPARE(rows.dataSet.FieldByName("Grade")->AsString(), QString("一级"));

    // Typed into and left: written at once.
    QVERIFY(showActive(form.window));
    combo->SetFocus();
    typeText(combo->innerWidget(), "甲");
    next->SetFocus();
    QCOMPARE(rows.dataSet.FieldByName("Grade")->AsString(), QString("一级甲"));
}

void TestToolkitEditors::lookupShowsListTextAndKeepsKey()
{
    BoundData orgs({def("OrgCode"), def("OrgName")}, {{"A1", "城关卫生院"}, {"B2", "新华社区"}});
    Form form;
    auto *lookup = form.add<TcxLookupComboBox>("lcbOrg");
    lookup->SetKeyFieldNames("OrgCode");
    lookup->SetListFieldNames("OrgName");
    lookup->SetListSource(&orgs.source);
    lookup->SetShowHeader(false);
    QCOMPARE(lookup->comboBox()->count(), 2);

    lookup->SetEditValue("B2");
    QCOMPARE(lookup->Text(), QString("新华社区"));
    QCOMPARE(lookup->EditValue(), QVariant("B2"));
    QCOMPARE(lookup->ItemIndex(), 1);

    // A new list content: the same key shows the new text.
    orgs.load({def("OrgCode"), def("OrgName")}, {{"B2", "新华社区卫生服务站"}});
    QCOMPARE(lookup->Text(), QString("新华社区卫生服务站"));
    QCOMPARE(lookup->comboBox()->count(), 1);

    // A key that names no item is shown as it is in an edit list.
    lookup->SetEditValue("Z9");
    QCOMPARE(lookup->Text(), QString("Z9"));
    QCOMPARE(lookup->ItemIndex(), -1);
    lookup->SetDropDownListStyle(lsFixedList);
    QCOMPARE(lookup->Text(), QString());
    QCOMPARE(lookup->EditValue(), QVariant("Z9"));
}

void TestToolkitEditors::lookupTypingMatchesItemsIgnoringCase()
{
    BoundData items({def("ItemName")}, {{"Alpha"}, {"Beta"}});
    Form form;
    auto *lookup = form.add<TcxLookupComboBox>("lcbDict");
    lookup->SetKeyFieldNames("ItemName");
    lookup->SetListFieldNames("ItemName");
    lookup->SetListSource(&items.source);
    QVERIFY(showActive(form.window));

    lookup->SetFocus();
    typeText(lookup->innerWidget(), "beta");
    QCOMPARE(lookup->Text(), QString("beta"));  // left as typed
    QCOMPARE(lookup->EditValue(), QVariant("Beta"));
    QTest::keyClick(lookup->innerWidget(), Qt::Key_Backspace);
    QCOMPARE(lookup->EditValue(), QVariant("bet"));  // no item: the text itself
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(lookup->innerWidget(), Qt::Key_Backspace);
    QVERIFY(lookup->EditValue().isNull());
}

void TestToolkitEditors::dbLookupPostsTheKey()
{
    BoundData orgs({def("OrgCode"), def("OrgName")}, {{"A1", "城关卫生院"}, {"B2", "新华社区"}});
    BoundData users({def("UserCode"), def("OrgCode")}, {{"0101", "A1"}});
    Form form;
    auto *lookup = form.add<TcxDBLookupComboBox>("lcbOrg");
    lookup->SetKeyFieldNames("OrgCode");
    lookup->SetListFieldNames("OrgName");
    lookup->SetListSource(&orgs.source);
    lookup->SetDataSource(&users.source);
    lookup->SetDataField("OrgCode");
    QCOMPARE(lookup->Text(), QString("城关卫生院"));

    lookup->SetItemIndex(1);
    lookup->PostEditValue();
    QCOMPARE(users.dataSet.FieldByName("OrgCode")->AsString(), QString("B2"));
    QCOMPARE(lookup->Text(), QString("新华社区"));

    // Picking in a fixed list, as the user does, then leaving.
    auto *next = form.add<TcxTextEdit>("EdtNext");
    lookup->SetDropDownListStyle(lsFixedList);
    QCOMPARE(lookup->Text(), QString("新华社区"));
    QVERIFY(showActive(form.window));
    lookup->SetFocus();
    QTest::keyClick(lookup->innerWidget(), Qt::Key_Up);
    QCOMPARE(lookup->EditValue(), QVariant("A1"));
    next->SetFocus();
    QCOMPARE(users.dataSet.FieldByName("OrgCode")->AsString(), QString("A1"));
}

void TestToolkitEditors::dateEditHasAnEmptyState()
{
    Form form;
    auto *date = form.add<TcxDateEdit>("EdtBirthday");
    QVERIFY(date->EditValue().isNull());
    QVERIFY(!date->Date().isValid());
    QCOMPARE(date->Text(), QString());

    int changes = 0;
    date->OnChange = [&](QObject *) { ++changes; };
    date->SetDate(QDate(1980, 5, 17));
    QCOMPARE(date->EditValue(), QVariant(QDate(1980, 5, 17)));
    QCOMPARE(date->Text(), QString("1980-05-17"));
    date->SetEditValue(QDateTime(QDate(1990, 1, 2), QTime(8, 0)));
    QCOMPARE(date->Date(), QDate(1990, 1, 2));
    date->SetEditValue("2001-02-03");
    QCOMPARE(date->Date(), QDate(2001, 2, 3));
    date->SetEditValue(QVariant());
    QVERIFY(date->EditValue().isNull());
    QCOMPARE(changes, 4);

    // The user empties it with Delete over the whole text.
    QVERIFY(showActive(form.window));
    date->SetDate(QDate(2000, 1, 1));
    date->SetFocus();
    date->dateEdit()->selectAll();
    QTest::keyClick(date->innerWidget(), Qt::Key_Delete);
    QVERIFY(date->EditValue().isNull());
    QVERIFY(date->ModifiedAfterEnter());
}

void TestToolkitEditors::dbDateEditPostsDates()
{
    BoundData people({def("Birthday", FieldType::DateTime), def("Seen", FieldType::Date)},
                     {{QDateTime(QDate(1970, 3, 4), QTime(0, 0)), QVariant()}});
    Form form;
    auto *birthday = form.add<TcxDBDateEdit>("EdtBirthday");
    auto *seen = form.add<TcxDBDateEdit>("EdtSeen");
    birthday->SetDataSource(&people.source);
    birthday->SetDataField("Birthday");
    seen->SetDataSource(&people.source);
    seen->SetDataField("Seen");
    QCOMPARE(birthday->Date(), QDate(1970, 3, 4));
    QVERIFY(seen->EditValue().isNull());

    birthday->SetDate(QDate(1971, 4, 5));
    birthday->PostEditValue();
    QCOMPARE(people.dataSet.FieldByName("Birthday")->AsDateTime(), QDateTime(QDate(1971, 4, 5), QTime(0, 0)));
    seen->SetDate(QDate(2020, 1, 1));
    seen->PostEditValue();
    QCOMPARE(people.dataSet.FieldByName("Seen")->AsDateTime().date(), QDate(2020, 1, 1));
    seen->SetEditValue(QVariant());
    seen->PostEditValue();
    QVERIFY(people.dataSet.FieldByName("Seen")->IsNull());
}

void TestToolkitEditors::checkBoxNullShowsUnticked()
{
    TcxCheckBox box("连续新增记录");
    QVERIFY(box.EditValue().isNull());
    QVERIFY(!box.Checked());
    box.SetChecked(true);
    QCOMPARE(box.EditValue(), QVariant(true));
    box.SetEditValue(QVariant());
    QVERIFY(!box.Checked());
    QVERIFY(box.EditValue().isNull());

    QList<QChar> typed;
    box.OnKeyPress = [&](QObject *, QChar &ch) { typed << ch; };
    QTest::keyClick(&box, Qt::Key_Return);
    QCOMPARE(typed, QList<QChar>{QChar('\r')});
}

void TestToolkitEditors::readOnlyEditorsRefuseTyping()
{
    Form form;
    auto *edit = form.add<TcxMaskEdit>("EdtAreaCode");
    auto *combo = form.add<TcxComboBox>("cbbGrade");
    combo->SetItems({"一", "二"});
    edit->SetText("12");
    edit->SetReadOnly(true);
    combo->SetReadOnly(true);
    QVERIFY(showActive(form.window));
    edit->SetFocus();
    typeText(edit->innerWidget(), "3");
    QCOMPARE(edit->Text(), QString("12"));
    combo->SetFocus();
    QTest::keyClick(combo->innerWidget(), Qt::Key_Down);
    QCOMPARE(combo->Text(), QString());
}

QTEST_MAIN(TestToolkitEditors)
#include "tst_toolkit_editors.moc"
