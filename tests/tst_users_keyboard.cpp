// The user dialog under the keyboard and the mouse as a person uses them: the
// unit editor lets the keyboard through, Tab walks every editor and back, and
// the dialog shows the unit, clears it in continuous adding, and closes with
// an incomplete serial.
#include <QtTest>

#include <QLineEdit>
#include <QStyleOptionFrame>

#include <memory>

#include "ClientDataSet.h"
#include "FormFactory.h"
#include "TcxButton.h"
#include "TcxCheckBox.h"
#include "TcxDBMaskEdit.h"
#include "TcxLabel.h"
#include "TcxMaskEdit.h"
#include "TcxTabControl.h"
#include "UUserInfoAddEditFrm.h"
#include "Screenshot.h"
#include "UserDatabases.h"

namespace {

using Dialog = std::unique_ptr<TUserInfoAddEditForm, void (*)(QWidget *)>;

// A dialog on the county's first township, shown (not modally) and active.
Dialog openDialog(const QString &editedUser = QString())
{
    Dialog dialog(CreateForm<TUserInfoAddEditForm>(), DestroyForm);
    if (!editedUser.isEmpty())
        dialog->SetKeyValue(editedUser);
    dialog->FAreaCode = QStringLiteral("51010101");
    dialog->FStaAreaCode = QStringLiteral("510101001");
    dialog->show();
    QApplication::setActiveWindow(dialog.get());
    if (!QTest::qWaitForWindowActive(dialog.get()))
        qWarning("the dialog did not become active");
    return dialog;
}

// The dialog's control that holds the focus, by its object name.
QString focused(QWidget *dialog)
{
    for (QWidget *w = QApplication::focusWidget(); w && w != dialog; w = w->parentWidget()) {
        if (!w->objectName().isEmpty() && w->objectName() != QLatin1String("qt_spinbox_lineedit"))
            return w->objectName();
    }
    return QString();
}

QLineEdit *line(TcxCustomEdit *editor)
{
    return qobject_cast<QLineEdit *>(editor->innerWidget());
}

// Whether a line edit shows its whole text: the text's width within the room
// QLineEdit lays it out in (inside the style's contents rectangle, two pixels
// at each end).
bool showsWhole(QLineEdit *edit)
{
    QStyleOptionFrame option;
    option.initFrom(edit);
    option.rect = edit->contentsRect();
    option.lineWidth = edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit);
    const QRect room = edit->style()->subElementRect(QStyle::SE_LineEditContents, &option, edit);
    const int width = edit->fontMetrics().horizontalAdvance(edit->text());
    if (width <= room.width() - 4)
        return true;
    qWarning() << edit->parentWidget()->objectName() << edit->text() << width << "in" << room.width() - 4;
    return false;
}

} // namespace

class UsersKeyboard : public QObject
{
    Q_OBJECT

private slots:
    void unitEditorLetsTheKeyboardThrough_data();
    void unitEditorLetsTheKeyboardThrough();
    void cancellingThePickerKeepsTheUnit();
    void tabWalksEveryEditorAndBack_data();
    void tabWalksEveryEditorAndBack();
    void editingShowsTheUnitNameAndTheTitleIsCentred();
    void theUnitShowsWhole();
    void continuousAddingClearsTheUnitName();
    void anIncompleteSerialDoesNotKeepTheDialogOpen_data();
    void anIncompleteSerialDoesNotKeepTheDialogOpen();
};

void UsersKeyboard::unitEditorLetsTheKeyboardThrough_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("opens");
    QTest::addColumn<QString>("focusAfter");  // empty: the dialog closed
    const QString stays = QStringLiteral("EdtOrgCode");
    QTest::newRow("letter") << int(Qt::Key_T) << 0 << true << stays;
    QTest::newRow("digit") << int(Qt::Key_3) << 0 << true << stays;
    QTest::newRow("F4") << int(Qt::Key_F4) << 0 << true << stays;
    QTest::newRow("Alt+Down") << int(Qt::Key_Down) << int(Qt::AltModifier) << true << stays;
    QTest::newRow("Tab") << int(Qt::Key_Tab) << 0 << false << QStringLiteral("EdtContactType");
    QTest::newRow("Shift+Tab") << int(Qt::Key_Backtab) << int(Qt::ShiftModifier) << false << QStringLiteral("EdtWBCode");
    QTest::newRow("Enter") << int(Qt::Key_Return) << 0 << false << QStringLiteral("EdtContactType");
    QTest::newRow("Shift alone") << int(Qt::Key_Shift) << int(Qt::ShiftModifier) << false << stays;
    QTest::newRow("Ctrl alone") << int(Qt::Key_Control) << int(Qt::ControlModifier) << false << stays;
    QTest::newRow("Down") << int(Qt::Key_Down) << 0 << false << stays;
    QTest::newRow("Escape") << int(Qt::Key_Escape) << 0 << false << QString();
    QTest::newRow("Alt+C") << int(Qt::Key_C) << int(Qt::AltModifier) << false << QString();
}

void UsersKeyboard::unitEditorLetsTheKeyboardThrough()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(bool, opens);
    QFETCH(QString, focusAfter);
    UserDatabases db;
    db.picker.setCodeValue(QStringLiteral("单位编码"), QStringLiteral("A1"));
    db.picker.setCodeValue(QStringLiteral("单位名称"), QStringLiteral("一乡卫生院"));
    Dialog dialog = openDialog();
    dialog->EdtOrgCode->SetFocus();
    QCOMPARE(focused(dialog.get()), QStringLiteral("EdtOrgCode"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(db.picker.log().contains(QStringLiteral("Show()")), opens);
    if (focusAfter.isEmpty()) {
        QTRY_VERIFY(!dialog->isVisible());
        return;
    }
    QVERIFY(dialog->isVisible());
    QCOMPARE(focused(dialog.get()), focusAfter);
    QCOMPARE(line(dialog->EdtOrgCode)->text(), opens ? QStringLiteral("A1") : QString());
}

void UsersKeyboard::cancellingThePickerKeepsTheUnit()
{
    UserDatabases db;
    Dialog dialog = openDialog();
    db.picker.setCodeValue(QStringLiteral("单位编码"), QStringLiteral("A1"));
    db.picker.setCodeValue(QStringLiteral("单位名称"), QStringLiteral("一乡卫生院"));
    dialog->EdtOrgCode->SetFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A);
    QCOMPARE(line(dialog->EdtOrgCode)->text(), QStringLiteral("A1"));
    // Left without a choice: the picker answers nothing.
    db.picker.setCodeValue(QStringLiteral("单位编码"), QString());
    db.picker.setCodeValue(QStringLiteral("单位名称"), QString());
    for (Qt::Key k : {Qt::Key_B, Qt::Key_F4}) {
        QTest::keyClick(QApplication::focusWidget(), k);
        QCOMPARE(line(dialog->EdtOrgCode)->text(), QStringLiteral("A1"));
        QCOMPARE(line(dialog->EdtOrgName)->text(), QStringLiteral("一乡卫生院"));
        QCOMPARE(dialog->FCDSMaster->FieldByName(QStringLiteral("OrgCode"))->AsString(), QStringLiteral("A1"));
    }
    QCOMPARE(db.picker.log().count(QStringLiteral("Show()")), 3);
    // A picker that cannot open: the error is shown, the key is not typed in.
    db.session().CodePicker = nullptr;
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_C);
    QCOMPARE(line(dialog->EdtOrgCode)->text(), QStringLiteral("A1"));
    QCOMPARE(line(dialog->EdtOrgName)->text(), QStringLiteral("一乡卫生院"));
    QCOMPARE(db.dispatch.prompts().size(), 1);
}

void UsersKeyboard::tabWalksEveryEditorAndBack_data()
{
    QTest::addColumn<QString>("user");
    QTest::addColumn<QStringList>("order");
    QTest::newRow("adding") << QString()
                            << QStringList{"EdtSN", "EdtUserName", "EdtPYCode", "EdtWBCode", "EdtOrgCode",
                                           "EdtContactType", "ChkBContinue", "btnOK", "btnCancel"};
    QTest::newRow("editing") << QStringLiteral("51010100100002")
                             << QStringList{"EdtUserName", "EdtPYCode", "EdtWBCode", "EdtOrgCode", "EdtContactType",
                                            "btnOK", "btnCancel"};
}

void UsersKeyboard::tabWalksEveryEditorAndBack()
{
    QFETCH(QString, user);
    QFETCH(QStringList, order);
    UserDatabases db;
    Dialog dialog = openDialog(user);
    if (user.isEmpty())
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("07"));
    QCOMPARE(focused(dialog.get()), order.first());
    QStringList forth{order.first()};
    for (int i = 0; i < order.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        forth << focused(dialog.get());
    }
    QCOMPARE(forth, order + QStringList{order.first()});
    QStringList back{order.first()};
    for (int i = 0; i < order.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        back << focused(dialog.get());
    }
    std::reverse(order.begin(), order.end());
    QCOMPARE(back, QStringList{back.first()} + order);
    QVERIFY(db.picker.log().isEmpty());
}

void UsersKeyboard::editingShowsTheUnitNameAndTheTitleIsCentred()
{
    UserDatabases db;
    Dialog dialog = openDialog(QStringLiteral("51010100100002"));
    QCOMPARE(line(dialog->EdtOrgCode)->text(), QStringLiteral("A2"));
    QCOMPARE(line(dialog->EdtOrgName)->text(), QStringLiteral("一乡防保所"));
    dialog->resize(700, dialog->height());
    QTRY_COMPARE(dialog->lblMasterLab->width(), dialog->TabCtlClient->contentsRect().width());
    QCOMPARE(dialog->lblMasterLab->geometry().center().x(), dialog->TabCtlClient->contentsRect().center().x());
    QVERIFY(dialog->TabCtlClient->width() > 600);
}

// The unit loaded with the edited user, and picked: a twelve-digit code and a
// name longer than the dialog as designed, each whole.
void UsersKeyboard::theUnitShowsWhole()
{
    const QString code = QStringLiteral("510101001003");
    const QString name = QStringLiteral("示范县一乡疾病预防控制中心慢性非传染性疾病防治与健康教育科第三门诊部");
    for (const bool picked : {false, true}) {
        const auto named = qScopeGuard([&] { if (QTest::currentTestFailed()) qWarning() << "picked" << picked; });
        UserDatabases db;
        db.hr(QStringLiteral("Insert Into P_YLFWDW (OrgCode, OrgName, AreaCode, StaAreaCode) "
                             "Values ('%1', '%2', '51010101', '510101001')").arg(code, name));
        db.hr(QStringLiteral("Update p_User Set OrgCode = '%1' Where UserCode = '51010100100002'").arg(code));
        db.picker.setCodeValue(QStringLiteral("单位编码"), code);
        db.picker.setCodeValue(QStringLiteral("单位名称"), name);
        Dialog dialog = openDialog(picked ? QString() : QStringLiteral("51010100100002"));
        if (picked) {
            dialog->EdtOrgCode->SetFocus();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_5);
        }
        QCOMPARE(line(dialog->EdtOrgCode)->text(), code);
        QCOMPARE(line(dialog->EdtOrgName)->text(), name);
        QTRY_VERIFY(showsWhole(line(dialog->EdtOrgCode)));
        QTRY_VERIFY(showsWhole(line(dialog->EdtOrgName)));
        QVERIFY(dialog->lblOrgStar->geometry().left() > dialog->EdtOrgName->geometry().right());
        screenshot(dialog.get(), picked ? "dialog-long-unit-picked" : "dialog-long-unit");
    }
}

void UsersKeyboard::continuousAddingClearsTheUnitName()
{
    UserDatabases db;
    db.picker.setCodeValue(QStringLiteral("单位编码"), QStringLiteral("A1"));
    db.picker.setCodeValue(QStringLiteral("单位名称"), QStringLiteral("一乡卫生院"));
    Dialog dialog = openDialog();
    dialog->ChkBContinue->SetChecked(true);
    QTest::keyClicks(line(dialog->EdtSN), QStringLiteral("07"));
    QTest::keyClicks(line(dialog->EdtUserName), QStringLiteral("Li"));
    dialog->EdtOrgCode->SetFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A);
    QTest::mouseClick(dialog->btnOK, Qt::LeftButton);
    QCOMPARE(db.hrValue(QStringLiteral("Select OrgCode From p_User Where UserCode = '5101010010007'")).toString(),
             QStringLiteral("A1"));
    QVERIFY(dialog->isVisible());
    QCOMPARE(line(dialog->EdtOrgCode)->text(), QString());
    QCOMPARE(line(dialog->EdtOrgName)->text(), QString());
}

void UsersKeyboard::anIncompleteSerialDoesNotKeepTheDialogOpen_data()
{
    QTest::addColumn<bool>("titleBar");
    QTest::newRow("取消") << false;
    QTest::newRow("title-bar close") << true;
}

void UsersKeyboard::anIncompleteSerialDoesNotKeepTheDialogOpen()
{
    QFETCH(bool, titleBar);
    UserDatabases db;
    Dialog dialog = openDialog();
    QTest::keyClicks(line(dialog->EdtSN), QStringLiteral("7"));
    QCOMPARE(focused(dialog.get()), QStringLiteral("EdtSN"));
    if (titleBar)
        dialog->close();
    else
        QTest::mouseClick(dialog->btnCancel, Qt::LeftButton);
    QTRY_VERIFY(!dialog->isVisible());
    QVERIFY(db.dispatch.prompts().isEmpty());
}

QTEST_MAIN(UsersKeyboard)
#include "tst_users_keyboard.moc"
