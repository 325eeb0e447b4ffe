#include "UUserInfoAddEditFrm.h"

#include <QBoxLayout>
#include <QLineEdit>

#include "ClientDataSet.h"
#include "HostCall.h"
#include "LumoError.h"
#include "TcxButton.h"
#include "TcxCheckBox.h"
#include "TcxComboBox.h"
#include "TcxDBMaskEdit.h"
#include "TcxEditStyleController.h"
#include "TcxGroupBox.h"
#include "TcxLabel.h"
#include "TcxMaskEdit.h"
#include "TcxTabControl.h"
#include "TextRules.h"
#include "UGlobalFunUnt.h"
#include "UGlobalHRFunUnt.h"
#include "UGlobalValue.h"
#include "URCMSObjValueClass.h"
#include "UserSerials.h"

namespace {

constexpr int kLabelX = 20;
constexpr int kEditX = 90;
constexpr int kRowHeight = 22;

TcxLabel *makeLabel(const QString &name, const QString &caption, QWidget *parent, int x, int y)
{
    auto *label = new TcxLabel(caption, parent);
    label->setObjectName(name);
    label->SetTransparent(true);
    label->setGeometry(x, y + 2, kEditX - kLabelX - 4, kRowHeight - 4);
    return label;
}

TcxLabel *makeStar(const QString &name, const QString &caption, QWidget *parent, int x, int y)
{
    TcxLabel *star = makeLabel(name, caption, parent, x, y);
    star->SetTextColor(Qt::red);
    star->resize(24, kRowHeight - 4);
    return star;
}

template <typename Editor>
Editor *makeEditor(const QString &name, const QString &hint, QWidget *parent, int x, int y, int width)
{
    auto *editor = new Editor(parent);
    editor->setObjectName(name);
    editor->SetHint(hint);
    editor->setGeometry(x, y, width, kRowHeight);
    return editor;
}

} // namespace

TUserInfoAddEditForm::TUserInfoAddEditForm(QWidget *parent) : THREditBaseMultilistForm(parent)
{
    setObjectName(QStringLiteral("UserInfoAddEditForm"));
    setWindowTitle(QStringLiteral("用户信息--新增修改"));
    resize(534, 231);
    buildEditors();
}

TUserInfoAddEditForm::~TUserInfoAddEditForm() = default;

void TUserInfoAddEditForm::buildEditors()
{
    lblMasterLab->SetCaption(QStringLiteral("用 户 信 息"));
    QWidget *client = TabCtlClient;
    int y = 42;

    lblUserCode = makeLabel(QStringLiteral("lblUserCode"), QStringLiteral("用户代码:"), client, kLabelX, y);
    EdtUserCode = makeEditor<TcxDBMaskEdit>(QStringLiteral("EdtUserCode"), QStringLiteral("用户代码"), client,
                                            kEditX, y, 180);
    EdtAreaCode = makeEditor<TcxMaskEdit>(QStringLiteral("EdtAreaCode"), QStringLiteral("行政区划县及以上地区编码"),
                                          client, kEditX, y, 110);
    EdtSN = makeEditor<TcxMaskEdit>(QStringLiteral("EdtSN"), QStringLiteral("用户代码"), client, kEditX + 112, y, 40);
    lblSNStar = makeStar(QStringLiteral("lblSNStar"), QStringLiteral("*"), client, kEditX + 156, y);
    lblFreeSerials = makeLabel(QStringLiteral("lblFreeSerials"), QString(), client, kEditX + 176, y);
    lblFreeSerials->resize(110, kRowHeight - 4);
    Edt1 = makeEditor<TcxDBMaskEdit>(QStringLiteral("Edt1"), QString(), client, 380, 8, 130);

    y += 30;
    lblUserName = makeLabel(QStringLiteral("lblUserName"), QStringLiteral("用户姓名:"), client, kLabelX, y);
    EdtUserName = makeEditor<TcxDBMaskEdit>(QStringLiteral("EdtUserName"), QStringLiteral("用户姓名"), client,
                                            kEditX, y, 150);
    lblUserNameStar = makeStar(QStringLiteral("lblUserNameStar"), QStringLiteral("*"), client, kEditX + 154, y);
    lblGrade = makeLabel(QStringLiteral("lblGrade"), QStringLiteral("管理级别:"), client, 270, y);
    cbbGrade = makeEditor<TcxComboBox>(QStringLiteral("cbbGrade"), QString(), client, 340, y, 150);
    // The management level is kept on the form but not offered.
    lblGrade->hide();
    cbbGrade->hide();

    y += 30;
    lblPYCode = makeLabel(QStringLiteral("lblPYCode"), QStringLiteral("拼 音 码:"), client, kLabelX, y);
    EdtPYCode = makeEditor<TcxDBMaskEdit>(QStringLiteral("EdtPYCode"), QStringLiteral("拼音码"), client, kEditX, y, 150);
    lblWBCode = makeLabel(QStringLiteral("lblWBCode"), QStringLiteral("五 笔 码:"), client, 270, y);
    EdtWBCode = makeEditor<TcxDBMaskEdit>(QStringLiteral("EdtWBCode"), QString(), client, 340, y, 150);

    y += 30;
    lblOrgCode = makeLabel(QStringLiteral("lblOrgCode"), QStringLiteral("所属单位:"), client, kLabelX, y);
    EdtOrgCode = makeEditor<TcxDBMaskEdit>(QStringLiteral("EdtOrgCode"), QStringLiteral("所属单位"), client,
                                           kEditX, y, 100);
    EdtOrgName = makeEditor<TcxMaskEdit>(QStringLiteral("EdtOrgName"), QString(), client, kEditX + 102, y, 298);
    lblOrgStar = makeStar(QStringLiteral("lblOrgStar"), QStringLiteral("*△"), client, kEditX + 404, y);

    y += 30;
    lblContactType = makeLabel(QStringLiteral("lblContactType"), QStringLiteral("联系方式:"), client, kLabelX, y);
    EdtContactType = makeEditor<TcxDBMaskEdit>(QStringLiteral("EdtContactType"), QStringLiteral("联系方式"), client,
                                               kEditX, y, 400);

    // Data bindings.
    const std::pair<TcxDBMaskEdit *, const char *> bound[] = {
        {EdtUserCode, "UserCode"}, {EdtUserName, "UserName"}, {EdtPYCode, "Spell"},
        {EdtWBCode, "FiveStrokes"}, {EdtOrgCode, "OrgCode"},   {EdtContactType, "ContactType"},
        {Edt1, "UserCode"}};
    for (const auto &[editor, field] : bound) {
        editor->SetDataSource(dsMaster);
        editor->SetDataField(QString::fromLatin1(field));
    }

    // The serial: exactly two digits; its Tag is the digit count the message names.
    EdtSN->SetMaskRegExp(QStringLiteral("[0-9]{2,2}"));
    EdtSN->SetTag(2);
    EdtAreaCode->SetAlignment(Qt::AlignRight | Qt::AlignVCenter);

    // Looks: read-only editors, and the editors the user types into.
    for (TcxCustomEdit *editor : {static_cast<TcxCustomEdit *>(EdtUserCode), static_cast<TcxCustomEdit *>(EdtAreaCode),
                                  static_cast<TcxCustomEdit *>(Edt1)}) {
        editor->SetStyleController(StyCtlReadOnly);
        editor->SetReadOnly(true);
    }
    EdtOrgName->SetReadOnly(true);
    EdtOrgName->SetStyleColor(QColor(212, 238, 251));  // 16510676
    for (TcxCustomEdit *editor :
         {static_cast<TcxCustomEdit *>(EdtSN), static_cast<TcxCustomEdit *>(EdtUserName),
          static_cast<TcxCustomEdit *>(EdtPYCode), static_cast<TcxCustomEdit *>(EdtWBCode),
          static_cast<TcxCustomEdit *>(EdtOrgCode), static_cast<TcxCustomEdit *>(EdtContactType)}) {
        editor->SetStyleController(StyCtlNormal);
        editor->OnExit = [this](QObject *s) { OnEdtExit(s); };
        editor->OnKeyPress = [this](QObject *s, QChar &key) { KeyPressNextObject(s, key); };
    }
    // Editors that only show a value hand the focus straight on, and are no
    // stop of Tab or Shift+Tab at all: handing on forwards after a Shift+Tab
    // would send the focus straight back, a trap.
    for (TcxCustomEdit *editor : {static_cast<TcxCustomEdit *>(EdtUserCode), static_cast<TcxCustomEdit *>(EdtAreaCode),
                                  static_cast<TcxCustomEdit *>(EdtOrgName), static_cast<TcxCustomEdit *>(Edt1)}) {
        editor->OnEnter = [this](QObject *s) { NextObject(s); };
        editor->setFocusPolicy(Qt::ClickFocus);
        editor->innerWidget()->setFocusPolicy(Qt::ClickFocus);
    }

    EdtSN->OnChange = [this](QObject *s) { guardEvent([&] { EdtSNPropertiesChange(s); }); };
    EdtSN->OnValidate = [this](QObject *s, QVariant &display, QString &text, bool &error) {
        guardEvent([&] { EdtAreaCodeVPropertiesValidate(s, display, text, error); });
    };
    // The search codes follow the name only: codes typed by hand survive a
    // change of the contact details.
    EdtUserName->OnChange = [this](QObject *s) { guardEvent([&] { EdtAreaNamePropertiesChange(s); }); };
    EdtOrgCode->OnKeyDown = [this](QObject *s, int &key, Qt::KeyboardModifiers shift) {
        guardEvent([&] { EdtOrgCodeKeyDown(s, key, shift); });
    };
    ChkBContinue->OnKeyPress = [this](QObject *s, QChar &key) { guardEvent([&] { PressKeyToSave(s, key); }); };
    // Cancelling never has to get past an unfinished serial first.
    btnCancel->setProperty(TcxCustomEdit::SkipsValidationProperty, true);

    // Tab order as the user meets the editors, then the bottom bar from left
    // to right.
    const QList<QWidget *> order = {EdtUserCode, EdtAreaCode, EdtSN,          EdtUserName, EdtPYCode, EdtWBCode,
                                    EdtOrgCode,  EdtOrgName,  EdtContactType, Edt1,        ChkBContinue, btnOK,
                                    btnCancel};
    for (int i = 1; i < order.size(); ++i)
        setTabOrder(order.at(i - 1), order.at(i));

    lblNote = new TcxLabel(QStringLiteral("注: * 表示必填数据项"), cxGroupBox4);
    lblNote->setObjectName(QStringLiteral("lblNote"));
    lblNote->SetTextColor(Qt::red);
    lblNote->SetTransparent(true);
    if (auto *bar = qobject_cast<QBoxLayout *>(cxGroupBox4->layout()))
        bar->insertWidget(1, lblNote);
}

void TUserInfoAddEditForm::FormCreate(QObject *sender)
{
    THREditBaseMultilistForm::FormCreate(sender);
    // The dialog keeps its designed layout when resized; only the title spans
    // the editor area's actual width, so that it stays centred.
    OnCanResize = nullptr;
    if (auto *client = qobject_cast<QBoxLayout *>(TabCtlClient->layout())) {
        lblMasterLab->setFixedHeight(lblMasterLab->height());
        client->insertWidget(0, lblMasterLab);
    }
    FEntityCaption = QStringLiteral("用户信息");
    FMasterTable = QStringLiteral(" P_User ");
    FMasterSql = QStringLiteral(" Select *  From ") + FMasterTable + QStringLiteral(" Where UserCode = ' %s ' ");
    FMasterKeyFields = QStringLiteral("UserCode");
    FMasterSkipFields = QString();
    FPKeyField = QStringLiteral("UserCode");
    // User codes arrive from RCMS byte for byte.
    FKeyKeptExactly = true;
}

void TUserInfoAddEditForm::registerRequired(QObject *editor)
{
    if (!FRequiredEdits->contains(editor))
        FRequiredEdits->append(editor);
}

void TUserInfoAddEditForm::InitControls()
{
    EdtUserCode->setVisible(FIsEdit);
    EdtAreaCode->setVisible(!FIsEdit);
    EdtSN->setVisible(!FIsEdit);
    lblSNStar->setVisible(!FIsEdit);
    lblFreeSerials->setVisible(!FIsEdit);

    if (!FIsEdit)
        registerRequired(EdtSN);
    registerRequired(EdtUserCode);
    registerRequired(EdtUserName);
    registerRequired(EdtOrgCode);

    if (!FIsEdit) {
        FFirstEdit = EdtSN;
        EdtAreaCode->SetText(UserSerials::areaPart(FStaAreaCode));
        FCDSMaster->Edit();
        FCDSMaster->FieldByName(QStringLiteral("PassWord"))->SetAsString(InitialPassword);
        // In continuous adding the serial box keeps the last serial: the new row
        // takes the code it shows, so that saving it again meets the duplicate
        // check on EdtSN instead of an empty code in a hidden editor.
        if (!EdtSN->Text().isEmpty())
            composeUserCode();
        proposeSerial();
        // The new row has no unit yet: no name of the last one may stand beside it.
        EdtOrgName->SetEditValue(QVariant());
        EdtSN->setFocus(Qt::OtherFocusReason);
    } else {
        // What the save compares the database's row with, and writes back for
        // every value nobody changed.
        m_loaded = FCDSMaster->Data();
        m_loadedCode = FCDSMaster->IsEmpty() ? QString() : FCDSMaster->FieldByName(QStringLiteral("UserCode"))->AsString();
        EdtOrgName->SetEditValue(unitName(FCDSMaster->FieldByName(QStringLiteral("OrgCode"))->AsString()));
        showWholeUnitName();
        EdtUserName->setFocus(Qt::OtherFocusReason);
        FFirstEdit = EdtUserName;
    }
}

bool TUserInfoAddEditForm::CheckData()
{
    if (!THREditBaseMultilistForm::CheckData() || !checkNameAndUnit())
        return false;
    if (!FIsEdit) {
        const QVariant count = UGlobalValue::Session().GetHrValue(
            QStringLiteral("Select Count(UserCode) From ") + FMasterTable + QStringLiteral(" Where UserCode = ")
            + QuotedStr(EdtUserCode->Text()));
        if (count.toLongLong() > 0) {
            ShowInfo(QStringLiteral("当前输入的用户编码已被使用,请重新输入!"));
            EdtSN->SetStyleController(StyCtlError);
            EdtSN->setFocus(Qt::OtherFocusReason);
            return false;
        }
    }
    return true;
}

bool TUserInfoAddEditForm::checkNameAndUnit()
{
    // Blanks and control characters alone are no name and no unit code.
    for (TcxCustomTextEdit *editor : {static_cast<TcxCustomTextEdit *>(EdtUserName), static_cast<TcxCustomTextEdit *>(EdtOrgCode)}) {
        if (trimBlanks(editor->EditText()).isEmpty()) {
            editor->SetStyleController(StyCtlError);
            ShowInfo(editor->Hint() + QStringLiteral("不能为空!"));
            editor->SetFocus();
            return false;
        }
    }
    const QString orgCode = FCDSMaster->FieldByName(QStringLiteral("OrgCode"))->AsString();
    const QVariant units = UGlobalValue::Session().GetHrValue(
        QStringLiteral("Select Count(*) From P_YLFWDW Where OrgCode = ") + QuotedStr(orgCode));
    if (units.toLongLong() < 1) {
        EdtOrgCode->SetStyleController(StyCtlError);
        ShowInfo(QStringLiteral("所属单位编码 \"%1\" 不是已有的医疗服务单位, 请选择所属单位!").arg(orgCode));
        EdtOrgCode->SetFocus();
        return false;
    }
    return true;
}

UserAudit &TUserInfoAddEditForm::audit()
{
    if (FAudit)
        return *FAudit;
    if (!m_ownAudit)
        m_ownAudit = std::make_unique<UserAudit>();
    return *m_ownAudit;
}

bool TUserInfoAddEditForm::CheckBeforeSave()
{
    // Asked before the transaction begins: on a database without the trail
    // the probe fails, and a failed statement may end a server's transaction.
    audit().kept(UGlobalValue::Session());
    return THREditBaseMultilistForm::CheckBeforeSave();
}

void TUserInfoAddEditForm::recordChange()
{
    HostSession &session = UGlobalValue::Session();
    if (!audit().kept(session))
        return;
    const data::DataPacket before = FIsEdit ? m_loaded : data::DataPacket();
    const data::DataPacket after = UserAudit::userRow(session, FIsEdit ? m_loadedCode : EdtUserCode->Text());
    const UserAudit::Entry entry =
        UserAudit::entryFor(FIsEdit ? UserAudit::Kind::Edited : UserAudit::Kind::Added, before, after);
    // A save that changed nothing is no change of the user.
    if (!entry.changes.isEmpty())
        audit().write(session, entry);
}

bool TUserInfoAddEditForm::FillStampFields()
{
    // The row keeps the unit chosen in the dialog, not the logged-in user's.
    return true;
}

void TUserInfoAddEditForm::AssignNewKey()
{
    // User codes are composed in the dialog, never generated.
}

bool TUserInfoAddEditForm::BuildSaveSql()
{
    try {
        if (FMasterTable.trimmed().isEmpty())
            return false;
        if (!FIsEdit) {
            FSaveSql = BuildInsertSql(FCDSMaster, FMasterTable, FMasterKeyFields, FMasterSkipFields, true,
                                      QuotedNewKeyPlaceholder);
            AssignNewKey();
            FKeyValue = EdtUserCode->Text();
        } else {
            // Inside the save's transaction: a row someone else changed since
            // the dialog loaded it is not written over.
            if (!rowUnchangedSinceLoad()) {
                FSaveRefusal = ChangedByOthers;
                return false;
            }
            FSaveSql = BuildUserUpdateSql(FCDSMaster, FMasterTable, FMasterKeyFields, FMasterSkipFields, true);
            FKeyValue = m_loadedCode;
        }
        if (!UGlobalValue::Session().ExecHrSql(FSaveSql))
            return false;
        recordChange();
        return true;
    } catch (const data::LumoError &e) {
        // Follows "数据保存失败!": why, in a person's words; the statement is in the host's log.
        FErrorText = QStringLiteral("原因:") + e.cause();
        return false;
    } catch (const std::exception &) {
        return false;
    }
}

QString TUserInfoAddEditForm::BuildUserUpdateSql(data::ClientDataSet *dataSet, const QString &table,
                                                 const QString &keyFields, const QString &skipFields,
                                                 bool currentOnly) const
{
    QString sql;
    try {
        const QStringList keys = keyFields.trimmed().isEmpty() ? QStringList() : keyFields.split(QLatin1Char(';'));
        const QStringList skips = skipFields.trimmed().isEmpty() ? QStringList() : skipFields.split(QLatin1Char(';'));
        const QString head = QStringLiteral(" UpDate ") + table.trimmed() + QStringLiteral(" With(RowLock) Set ");
        auto statement = [&]() {
            QString where = QStringLiteral(" Where 1 = 1 ");
            QString set = head;
            for (const auto &field : dataSet->Fields()) {
                if (!skips.isEmpty() && FindItemList(skips, field->FieldName()))
                    continue;
                const bool isKey = !keys.isEmpty() && FindItemList(keys, field->FieldName());
                // The code assigned to itself keeps its exact value, quoted as in
                // the condition: the cleaned text would turn an apostrophe into ‘
                // and move the user away from every record that names them.
                const QString value = isKey && !field->AsString().isEmpty()
                    ? QuotedStr(field->AsString())
                    : updateValue(*field);
                const QString item = field->FieldName() + QStringLiteral(" = ") + value;
                // The condition names the user by the code exactly as loaded:
                // the editor shows a code, but one with blanks or control
                // characters at its ends must not match a trimmed twin.
                if (isKey)
                    where += QStringLiteral(" And UserCode = ") + QuotedStr(m_loadedCode);
                set += (set == head ? QString() : QStringLiteral(" , ")) + item;
            }
            return set + QStringLiteral("  ") + where + QStringLiteral("  ");
        };
        if (currentOnly) {
            sql = statement();
        } else {
            for (dataSet->First(); !dataSet->Eof(); dataSet->Next())
                sql += QStringLiteral(" ") + statement();
        }
    } catch (const std::exception &) {
        // What was built so far stands.
    }
    return sql;
}

QString TUserInfoAddEditForm::unitName(const QString &orgCode)
{
    if (orgCode.isEmpty())
        return QString();
    return UGlobalValue::Session()
        .GetHrValue(QStringLiteral("Select OrgName From P_YLFWDW Where OrgCode = ") + QuotedStr(orgCode))
        .toString();
}

QString TUserInfoAddEditForm::updateValue(const data::Field &field) const
{
    const int column = field.Index();
    const bool untouched = m_loaded.rows.size() == 1 && column < m_loaded.rows.first().size()
        && field.Value() == m_loaded.rows.first().at(column);
    // A text nobody typed (a password or contact from RCMS) goes back as
    // stored: the cleaning of typed text would turn O'Neil into O‘Neil.
    if (!untouched || !data::isTextType(field.DataType()))
        return FieldToSqlValue(field, 0);
    return field.IsNull() ? QStringLiteral("Null") : QuotedStr(field.AsString());
}

bool TUserInfoAddEditForm::rowUnchangedSinceLoad()
{
    if (m_loaded.rows.size() != 1)
        return false;
    // The load's own statement, key already in place, read again.
    data::ClientDataSet current;
    current.SetData(UGlobalValue::Session().OpenHrData(FMasterSql));
    return current.Data().rows == m_loaded.rows;
}

void TUserInfoAddEditForm::composeUserCode()
{
    FCDSMaster->Edit();
    FCDSMaster->FieldByName(QStringLiteral("UserCode"))->SetAsString(EdtAreaCode->Text() + EdtSN->Text());
}

void TUserInfoAddEditForm::proposeSerial()
{
    const UserSerials serials = UserSerials::read(EdtAreaCode->Text());
    const QString serial = serials.next(EdtSN->Text());
    if (serial.isEmpty()) {
        lblFreeSerials->SetCaption(QStringLiteral("无可用序号"));
        // Said now, not after the user has filled in the whole form.
        ShowInfo(QStringLiteral("本区划的用户序号01-99已全部使用, 无法再新增用户!"));
        return;
    }
    lblFreeSerials->SetCaption(QStringLiteral("可用序号: %1个").arg(serials.freeCount()));
    EdtSN->SetText(serial);
    composeUserCode();
    // Selected, so that typing a serial of one's own replaces the proposal.
    EdtSN->lineEdit()->selectAll();
}

void TUserInfoAddEditForm::EdtSNPropertiesChange(QObject *)
{
    composeUserCode();
}

void TUserInfoAddEditForm::EdtAreaCodeVPropertiesValidate(QObject *sender, QVariant &, QString &errorText, bool &error)
{
    auto *editor = qobject_cast<TcxCustomEdit *>(sender);
    if (!editor)
        return;
    if (error) {
        errorText = editor->Hint() + QStringLiteral(" 输入错误,编码应由") + QString::number(editor->Tag())
            + QStringLiteral("位数字构成!请输入正确的编码!");
        editor->SetStyleController(StyCtlError);
    } else {
        editor->SetStyleController(StyCtlNormal);
    }
}

void TUserInfoAddEditForm::EdtAreaNamePropertiesChange(QObject *)
{
    QObject *dispatch = UGlobalValue::Session().HostDispatch;
    const QString name = EdtUserName->Text();
    EdtPYCode->SetEditValue(hostCall(dispatch, "GetPYM", {name}).toString());
    EdtPYCode->PostEditValue();
    EdtWBCode->SetEditValue(hostCall(dispatch, "GetWBM", {name}).toString());
    EdtWBCode->PostEditValue();
}

QString TUserInfoAddEditForm::typedText(int key, Qt::KeyboardModifiers shift)
{
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return QString(QChar(shift & Qt::ShiftModifier ? key : key - Qt::Key_A + 'a'));
    if (key >= Qt::Key_Space && key <= Qt::Key_AsciiTilde)
        return QString(QChar(key));
    return QString();
}

bool TUserInfoAddEditForm::opensUnitPicker(int key, Qt::KeyboardModifiers shift)
{
    const Qt::KeyboardModifiers chord = shift & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if ((key == Qt::Key_F4 && chord == Qt::NoModifier) || (key == Qt::Key_Down && chord == Qt::AltModifier))
        return true;
    // Ctrl and Alt chords are shortcuts and mnemonics (确定(S), 取消(C)).
    return chord == Qt::NoModifier && !typedText(key, shift).isEmpty();
}

void TUserInfoAddEditForm::EdtOrgCodeKeyDown(QObject *, int &key, Qt::KeyboardModifiers shift)
{
    // Tab, Enter, Escape, arrows and modifier keys keep their usual meaning; a
    // picker opened by Enter would answer a second Enter with its first row.
    if (!opensUnitPicker(key, shift))
        return;
    const QVariant code = EdtOrgCode->EditValue();
    const QVariant name = EdtOrgName->EditValue();
    const auto keepChosenUnit = [&] {
        EdtOrgCode->SetEditValue(code);
        EdtOrgCode->PostEditValue();
        EdtOrgName->SetEditValue(name);
    };
    // The picker takes the key as its initial code; typed into the unit editor
    // as well it would spoil the code just picked, or, when the picker cannot
    // open, stand there as a unit code nobody chose.
    const QString typed = typedText(key, shift);
    key = 0;
    try {
        SelectOrganisation(EdtOrgCode, EdtOrgName, typed, QStringLiteral(" And AreaCode = ") + QuotedStr(FAreaCode));
    } catch (...) {
        keepChosenUnit();
        throw;
    }
    // A picker left without a choice keeps the unit chosen before.
    if (EdtOrgCode->EditValue().toString().isEmpty() && !code.toString().isEmpty())
        keepChosenUnit();
    showWholeUnitName();
}
