#include "UEditBaseFrm.h"

#include <QFont>
#include <QHBoxLayout>
#include <QScrollBar>
#include <QStyle>
#include <QVBoxLayout>
#include <QWheelEvent>

#include "BusyScope.h"
#include "ClientDataSet.h"
#include "DataSource.h"
#include "LumoError.h"
#include "TcxButton.h"
#include "TcxCheckBox.h"
#include "TcxCustomTextEdit.h"
#include "TcxEditStyleController.h"
#include "TcxGroupBox.h"
#include "TcxPageControl.h"
#include "TcxTabControl.h"
#include "TextRules.h"
#include "ToolkitColors.h"
#include "UDictDataListBaseClass.h"
#include "UGlobalFunUnt.h"
#include "UGlobalValue.h"
#include "URCMSObjValueClass.h"

namespace {

constexpr QChar kEnter = QChar(13);
constexpr QChar kCtrlD = QChar(4);

// Pale blue of read-only editors (and of the even grid rows).
constexpr quint32 kReadOnlyColor = 16510676;

TcxButton *makeButton(const QString &name, const QString &caption, QStyle::StandardPixmap glyph,
                      QWidget *parent)
{
    auto *button = new TcxButton(caption, parent);
    button->setObjectName(name);
    button->setFixedSize(83, 28);
    button->setIcon(parent->style()->standardIcon(glyph));
    button->setIconSize(QSize(19, 19));
    // Enter belongs to the editors (next field, next page, save from the
    // continuous box); a default button would swallow it and save at once.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

} // namespace

// ---- TEditScrollBox -------------------------------------------------------------

TEditScrollBox::TEditScrollBox(QWidget *parent) : QScrollArea(parent)
{
    setFrameShape(QFrame::NoFrame);
    // Tab walks the editors inside; the box itself is no stop.
    setFocusPolicy(Qt::NoFocus);
}

void TEditScrollBox::scrollOneLine(bool down)
{
    verticalScrollBar()->triggerAction(down ? QAbstractSlider::SliderSingleStepAdd
                                            : QAbstractSlider::SliderSingleStepSub);
}

void TEditScrollBox::wheelEvent(QWheelEvent *event)
{
    event->ignore();  // passed on to the window
}

// ---- TEditBaseForm ---------------------------------------------------------------

TEditBaseForm::TEditBaseForm(QWidget *parent) : TBaseForm(parent)
{
    setObjectName(QStringLiteral("EditBaseForm"));
    setWindowTitle(QStringLiteral("编辑窗口基类"));
    QFont formFont(QStringLiteral("新宋体"));
    formFont.setPixelSize(13);
    setFont(formFont);
    buildComponents();
}

TEditBaseForm::~TEditBaseForm() = default;

void TEditBaseForm::buildComponents()
{
    auto *formLayout = new QVBoxLayout(this);
    formLayout->setContentsMargins(0, 0, 0, 0);
    formLayout->setSpacing(0);

    scrlbxBack = new TEditScrollBox(this);
    scrlbxBack->setObjectName(QStringLiteral("scrlbxBack"));
    scrlbxBack->setWidgetResizable(true);
    formLayout->addWidget(scrlbxBack);

    TabCtlClient = new TcxTabControl;
    TabCtlClient->setObjectName(QStringLiteral("TabCtlClient"));
    scrlbxBack->setWidget(TabCtlClient);
    // The dialog's editors are placed by position; only the bottom bar is laid
    // out, at the bottom edge.
    auto *clientLayout = new QVBoxLayout(TabCtlClient);
    clientLayout->setContentsMargins(0, 0, 0, 0);
    clientLayout->addStretch(1);

    cxGroupBox4 = new TcxGroupBox(TabCtlClient);
    cxGroupBox4->setObjectName(QStringLiteral("cxGroupBox4"));
    cxGroupBox4->SetFrameless(true);
    cxGroupBox4->SetTransparent(true);
    cxGroupBox4->setFixedHeight(37);
    clientLayout->addWidget(cxGroupBox4);

    btnOK = makeButton(QStringLiteral("btnOK"), QStringLiteral("确定(&S)"),
                       QStyle::SP_DialogOkButton, cxGroupBox4);
    btnCancel = makeButton(QStringLiteral("btnCancel"), QStringLiteral("取消(&C)"),
                           QStyle::SP_DialogCancelButton, cxGroupBox4);
    ChkBContinue = new TcxCheckBox(QStringLiteral("连续新增记录"), cxGroupBox4);
    ChkBContinue->setObjectName(QStringLiteral("ChkBContinue"));
    ChkBContinue->setFixedWidth(115);
    ChkBContinue->SetTransparent(true);
    ChkBContinue->SetEditValue(QVariant());

    // The box keeps to the left edge, the buttons to the right edge.
    auto *barLayout = new QHBoxLayout(cxGroupBox4);
    barLayout->setContentsMargins(6, 4, 6, 5);
    barLayout->setSpacing(13);
    barLayout->addWidget(ChkBContinue, 0, Qt::AlignBottom);
    barLayout->addStretch(1);
    barLayout->addWidget(btnOK);
    barLayout->addWidget(btnCancel);
    setTabOrder(btnOK, btnCancel);
    setTabOrder(btnCancel, ChkBContinue);

    btnOK->OnClick = [this](QObject *sender) { guardEvent([&] { btnOKClick(sender); }); };
    btnCancel->OnClick = [this](QObject *sender) { guardEvent([&] { btnCancelClick(sender); }); };

    FCDSMaster = new data::ClientDataSet(this);
    FCDSMaster->setObjectName(QStringLiteral("FCDSMaster"));
    FCDSDetail = new data::ClientDataSet(this);
    FCDSDetail->setObjectName(QStringLiteral("FCDSDetail"));
    dsMaster = new data::DataSource(this);
    dsMaster->setObjectName(QStringLiteral("dsMaster"));
    dsMaster->SetDataSet(FCDSMaster);
    dsDetail = new data::DataSource(this);
    dsDetail->setObjectName(QStringLiteral("dsDetail"));
    dsDetail->SetDataSet(FCDSDetail);

    StyCtlNormal = new TcxEditStyleController(this);
    StyCtlNormal->setObjectName(QStringLiteral("StyCtlNormal"));
    StyCtlNormal->SetBorderColor(clBlue());
    StyCtlNormal->SetThickBorder(true);
    StyCtlNormal->SetFocusedColor(clWindow());

    StyCtlReadOnly = new TcxEditStyleController(this);
    StyCtlReadOnly->setObjectName(QStringLiteral("StyCtlReadOnly"));
    StyCtlReadOnly->SetColor(colorFromTColor(kReadOnlyColor));
    StyCtlReadOnly->SetLookAndFeelKind(lfOffice11);
    StyCtlReadOnly->SetFocusedColor(colorFromTColor(kReadOnlyColor));

    StyCtlError = new TcxEditStyleController(this);
    StyCtlError->setObjectName(QStringLiteral("StyCtlError"));
    StyCtlError->SetBorderColor(clRed());
    StyCtlError->SetThickBorder(true);
    StyCtlError->SetFocusedColor(clWindow());
}

void TEditBaseForm::SetKeyValue(const QString &value)
{
    FKeyValue = trimBlanks(value).isEmpty() ? QStringLiteral("0") : value;
}

QString TEditBaseForm::keyForLiteral(const QString &key)
{
    QString doubled = key;
    doubled.replace(QLatin1Char('\''), QLatin1String("''"));
    return doubled;
}

// ---- handlers -------------------------------------------------------------------------

void TEditBaseForm::FormCreate(QObject *sender)
{
    TBaseForm::FormCreate(sender);
    FDetailCurRecOnly = true;
    FRequiredEdits = std::make_unique<QList<QObject *>>();
    FDictList = std::make_unique<TDictDataListBaseClass>();
}

void TEditBaseForm::FormShow(QObject *sender)
{
    TBaseForm::FormShow(sender);
    FIsEdit = !trimBlanks(FKeyValue).isEmpty();
    if (!FIsEdit || !FKeyKeptExactly)
        FKeyValue = trimBlanks(FKeyValue);
    setWindowTitle((FIsEdit ? QStringLiteral("修改") : QStringLiteral("新增")) + FEntityCaption);
    loadOrLock();
}

void TEditBaseForm::loadOrLock()
{
    // A dialog whose data did not load has nothing it could save: OK stays
    // disabled, and the save refuses, until a load succeeds.
    m_loaded = false;
    try {
        LoadData();
    } catch (...) {
        btnOK->setEnabled(false);
        ChkBContinue->setEnabled(false);
        throw;
    }
    m_loaded = true;
    btnOK->setEnabled(true);
    ChkBContinue->setEnabled(true);
}

void TEditBaseForm::FormDestroy(QObject *sender)
{
    TBaseForm::FormDestroy(sender);
    FRequiredEdits.reset();
    FDictList.reset();
}

void TEditBaseForm::btnOKClick(QObject *)
{
    bool saved = false;
    {
        // While the save waits for the database the dialog takes no input
        // and cannot be closed: the save would go on without it.
        BusyScope busy(this);
        saved = SaveData();
    }
    if (saved)
        done(mrOk);
}

void TEditBaseForm::btnCancelClick(QObject *)
{
    if (trimBlanks(FLastSavedKey) != QLatin1String("0"))
        FKeyValue = FLastSavedKey;
    done(mrCancel);
}

void TEditBaseForm::KeyPressNextObject(QObject *, QChar &key)
{
    if (key == kEnter)
        focusNextChild();
}

void TEditBaseForm::NextPage(QObject *, QChar &key)
{
    if (key == kEnter || key == kCtrlD)
        stepToNextPage();
}

void TEditBaseForm::KeyPressToNextPage(QObject *sender, QChar &key)
{
    if (key != kEnter)
        return;
    if (FPageControl)
        stepToNextPage();
    else
        KeyPressNextObject(sender, key);
}

void TEditBaseForm::PressKeyToSave(QObject *, QChar &key)
{
    if (key == kEnter)
        btnOK->Click();
}

void TEditBaseForm::stepToNextPage()
{
    // Past the last page the page control keeps its active page.
    if (FPageControl)
        FPageControl->SetActivePageIndex(FPageControl->ActivePageIndex() + 1);
}

void TEditBaseForm::OnEdtExit(QObject *sender)
{
    if (auto *edit = qobject_cast<TcxCustomEdit *>(sender))
        edit->SetStyleController(StyCtlNormal);
}

void TEditBaseForm::CombbGetDictData(QObject *sender)
{
    PressJunjaKey();
    auto *edit = qobject_cast<TcxCustomTextEdit *>(sender);
    if (!edit) {
        throw data::LumoError(QStringLiteral("无效的类型转换: %1 不是文本编辑框").arg(
            sender ? QString::fromLatin1(sender->metaObject()->className())
                   : QStringLiteral("nil")));
    }
    FDictList->BindEdit(edit->Tag(), edit);
}

// ---- loading ---------------------------------------------------------------------------

void TEditBaseForm::LoadData()
{
    openKeyedStatement(FMasterSql, FCDSMaster, dsMaster, false);
    if (!trimBlanks(FDetailSql).isEmpty())
        openKeyedStatement(FDetailSql, FCDSDetail, dsDetail, false);
    finishLoad();
}

void TEditBaseForm::openKeyedStatement(QString &sql, data::ClientDataSet *dataSet,
                                       data::DataSource *source, bool healthRecord)
{
    if (!dataSet || !source)
        throw data::LumoError(QStringLiteral("没有数据集可以装入: %1").arg(sql));
    HostSession &session = UGlobalValue::Session();
    sql = session.ReplacePlaceholder(sql, keyForLiteral(FKeyValue), LoadKeyPlaceholder);
    dataSet->SetData(healthRecord ? session.OpenHrData(sql) : session.OpenRcmsData(sql));
    source->SetDataSet(dataSet);
}

void TEditBaseForm::finishLoad()
{
    if (FIsEdit) {
        ChkBContinue->SetChecked(false);
        ChkBContinue->setVisible(false);
    } else {
        FCDSMaster->Append();
    }
    InitControls();
}

// ---- the steps of the save ------------------------------------------------------------

bool TEditBaseForm::CheckData()
{
    if (!FRequiredEdits)
        return true;
    for (QObject *edit : std::as_const(*FRequiredEdits)) {
        if (CheckRequired(FCDSMaster, edit, StyCtlError, StyCtlNormal, nullptr))
            return false;
    }
    return true;
}

bool TEditBaseForm::CheckBeforeSave()
{
    return true;
}

bool TEditBaseForm::FillStampFields()
{
    try {
        HostSession &session = UGlobalValue::Session();
        SetFieldValue(FCDSMaster, QStringLiteral("OrgCode"), session.OrgCode);
        SetFieldValue(FCDSMaster, QStringLiteral("InpPerCode"), session.UserCode);
        SetFieldValue(FCDSMaster, QStringLiteral("InpDate"), NowText(true));
        // Only the unit goes into the detail rows, into every one of them:
        // where the user last clicked must not decide which rows are stamped.
        // The cursor ends after the last row, as before.
        if (!FDetailTable.isEmpty() && FCDSDetail->Active()) {
            FCDSDetail->First();
            while (!FCDSDetail->Eof()) {
                SetFieldValue(FCDSDetail, QStringLiteral("OrgCode"), session.OrgCode);
                FCDSDetail->Next();
            }
        }
        return true;
    } catch (...) {
        return false;
    }
}

bool TEditBaseForm::BuildSaveSql()
{
    try {
        FNewKeyAt.clear();
        QList<qsizetype> at;
        if (!trimBlanks(FMasterTable).isEmpty()) {
            FSaveSql = FIsEdit ? BuildUpdateSql(FCDSMaster, FMasterTable, FMasterKeyFields,
                                                FMasterSkipFields, true)
                               : BuildInsertSql(FCDSMaster, FMasterTable, FMasterKeyFields,
                                                FMasterSkipFields, true, QuotedNewKeyPlaceholder, at);
            FNewKeyAt = at;
        } else {
            // Without a master table there is no master statement: a text left
            // from an earlier save must not be run a second time.
            FSaveSql.clear();
        }
        if (!FDetailTable.isEmpty()) {
            const qsizetype start = FSaveSql.size();
            at.clear();
            FSaveSql += FIsEdit ? BuildUpdateSql(FCDSDetail, FDetailTable, FDetailKeyFields,
                                                 FDetailSkipFields, FDetailCurRecOnly)
                                : BuildInsertSql(FCDSDetail, FDetailTable, FDetailKeyFields,
                                                 FDetailSkipFields, FDetailCurRecOnly,
                                                 QuotedNewKeyPlaceholder, at);
            for (const qsizetype offset : at)
                FNewKeyAt << start + offset;
        }
        return true;
    } catch (...) {
        return false;
    }
}

void TEditBaseForm::AssignNewKey()
{
    if (FIsEdit)
        return;
    FKeyValue = requireKey(NewKeyValue(FMasterTable, FPKeyField, true));
    FSaveSql = withNewKey(FSaveSql, FNewKeyAt, FKeyValue);
    FNewKeyAt.clear();
}

QString TEditBaseForm::withNewKey(const QString &sql, const QList<qsizetype> &at, const QString &key)
{
    // The session is asked even when there is no place for the key, as the
    // whole-text replacement always was.
    const QString placed = UGlobalValue::Session().ReplacePlaceholder(QuotedNewKeyPlaceholder, key, NewKeyPlaceholder);
    QString result = sql;
    // From the last place to the first, so the earlier offsets still hold.
    for (auto it = at.crbegin(); it != at.crend(); ++it) {
        if (QStringView(result).mid(*it, QuotedNewKeyPlaceholder.size()) == QuotedNewKeyPlaceholder)
            result.replace(*it, QuotedNewKeyPlaceholder.size(), placed);
    }
    return result;
}

// On the RCMS database the statement is built before the transaction begins;
// the key is made inside it, after the build, and the save runs the text itself.
bool TEditBaseForm::SaveData()
{
    if (!m_loaded || !CheckData())
        return false;
    HostSession &session = UGlobalValue::Session();
    try {
        if (!FillStampFields())
            raiseOperateError();
        if (!CheckBeforeSave())
            raiseOperateError();
        if (!BuildSaveSql())
            raiseOperateError();
        session.BeginRcmsTrans();
        AssignNewKey();
        // A save with nothing to write (no master table, no detail) sends no
        // empty batch.
        if (!trimBlanks(FSaveSql).isEmpty() && !session.ExecRcmsSql(FSaveSql))
            raiseOperateError();
        session.CommitRcmsTrans();
        return finishSave();
    } catch (const std::exception &e) {
        noteFailureCause(e);
        // Rolled back whatever step failed, also before the transaction began.
        session.RollbackRcmsTrans();
        reportSaveFailure();
        return false;
    }
}

bool TEditBaseForm::finishSave()
{
    if (ChkBContinue->Checked()) {
        FLastSavedKey = FKeyValue;
        SetKeyValue(QString());
        try {
            loadOrLock();
        } catch (const std::exception &e) {
            // The record is committed: it is reported as saved, the next empty
            // record could not be loaded, and the dialog closes with the key of
            // what was saved.
            FKeyValue = FLastSavedKey;
            ShowInfo(QStringLiteral("数据保存成功!"));
            ShowInfo(QStringLiteral("无法继续新增: ") + QString::fromUtf8(e.what()));
            return true;
        }
        if (FFirstEdit)
            FFirstEdit->setFocus(Qt::OtherFocusReason);
        return false;
    }
    ShowInfo(QStringLiteral("数据保存成功!"));
    return true;
}

void TEditBaseForm::reportSaveFailure()
{
    FKeyValue = QStringLiteral("0");
    QString message = FSaveRefusal.isEmpty() ? QStringLiteral("数据保存失败!") + FErrorText : FSaveRefusal;
    if (FSaveRefusal.isEmpty() && !m_failureReason.isEmpty())
        message += QLatin1Char('\n') + m_failureReason;
    FErrorText.clear();
    FSaveRefusal.clear();
    m_failureReason.clear();
    ShowInfo(message);
}

QString TEditBaseForm::requireKey(const QString &key)
{
    // The generators answer "" when their search fails; rows written with ''
    // as their key would pass for a saved record.
    if (trimBlanks(key).isEmpty())
        raiseSaveFailure(QStringLiteral("无法生成新的记录主键"));
    return key;
}

void TEditBaseForm::raiseSaveFailure(const QString &reason)
{
    m_failureReason = reason;
    raiseOperateError();
}

void TEditBaseForm::raiseOperateError()
{
    throw data::LumoError(QStringLiteral("Operate DB Error"));
}

void TEditBaseForm::noteFailureCause(const std::exception &error)
{
    // A step that answered false has told nothing more; a database that
    // raised has (a busy or locked file, a lost connection, a constraint).
    const auto *lumo = dynamic_cast<const data::LumoError *>(&error);
    if (FErrorText.isEmpty() && lumo && lumo->message() != QLatin1String("Operate DB Error"))
        FErrorText = QStringLiteral("原因:") + lumo->cause();
}
