#include "UUserInfoMagFrm.h"

#include <QAction>
#include <QKeyEvent>
#include <QPainter>

#include "BusyScope.h"
#include "ClientDataSet.h"
#include "DataSource.h"
#include "FormFactory.h"
#include "GridLayoutSettings.h"
#include "HostCall.h"
#include "LumoError.h"
#include "TcxDBTreeList.h"
#include "TcxGridDBColumn.h"
#include "TcxGridDBTableView.h"
#include "TcxLabel.h"
#include "TdxBarManager.h"
#include "TextRules.h"
#include "UGlobalFunUnt.h"
#include "UGlobalHRFunUnt.h"
#include "UGlobalValue.h"
#include "UHRDictDataClass.h"
#include "URCMSObjValueClass.h"
#include "UUserInfoAddEditFrm.h"
#include "PasswordReset.h"
#include "UserDeletion.h"
#include "UserReferences.h"
#include "UserReferencesDialog.h"
#include "UserSearch.h"

TUserInfoMagForm::~TUserInfoMagForm()
{
    // Children go in creation order: the datasets before the tree and grid that
    // show them. Nothing the window's handlers read may be touched by then.
    TreLstArea->OnSelectionChanged = nullptr;
    grdvwGrdVwData->OnDblClick = nullptr;
    grdvwGrdVwData->OnCustomDrawIndicatorCell = nullptr;
    grdvwGrdVwData->OnLayoutChanged = nullptr;
    delete FUserSearch;
    dsAreaData->SetDataSet(nullptr);
    dsUserData->SetDataSet(nullptr);
    dsOrgData->SetDataSet(nullptr);
}

void TUserInfoMagForm::FormCreate(QObject *sender)
{
    TBaseForm::FormCreate(sender);
    LoadPhotoFtpSettings();
    FHRDictRef = std::make_unique<THRDictDataClass>();
    FRightControls->append(BtnAdd);
    FRightControls->append(BtnImport);
    FRightControls->append(BtnEdit);
    FRightControls->append(BtnDel);
    FRightControls->append(BtnSyh);
    FRightControls->append(BtnPreview);
    FRightControls->append(BtnSyncLog);
    FRightControls->append(BtnRefs);
    FRightControls->append(BtnResetPwd);
    FRightControls->append(BtnMoveOrg);
}

void TUserInfoMagForm::FormShow(QObject *sender)
{
    TBaseForm::FormShow(sender);
    HostSession &session = UGlobalValue::Session();
    BarMagTool->SetLargeImages(session.Images);
    BusyScope busy(this);
    // The units first: the first area's list is fitted to the names it shows.
    CDSOrgData->SetData(session.OpenHrData(QStringLiteral("Select OrgCode, OrgName From P_YLFWDW ")));
    LoadAreaTree();
    const bool anyVisible = BtnAdd->Visible() == TdxBarItemVisible::ivAlways
        || BtnEdit->Visible() == TdxBarItemVisible::ivAlways
        || BtnDel->Visible() == TdxBarItemVisible::ivAlways
        || BtnSyh->Visible() == TdxBarItemVisible::ivAlways;
    dxbrTool->SetVisible(anyVisible);

    // Said once, where the commands' failures are: the commands work as ever.
    try {
        if (!FAudit->kept(session))
            showStatus(UserAudit::NotKept);
    } catch (const data::LumoError &) {
        // No answer now: the first command that changes a user asks again.
    }

    // The grid as this login left it (columns still widen to what they show).
    FGridLayout = std::make_unique<GridLayoutSettings>(grdvwGrdVwData, QStringLiteral("UserInfoMagForm/grdvwGrdVwData"));
    if (FGridLayout->restore())
        grdvwGrdVwData->ApplyBestFit();
    grdvwGrdVwData->OnLayoutChanged = [this](QObject *) { guardEvent([this] { FGridLayout->save(); }); };
    // Read between events from now on, so that the first search in every area
    // finds them without waiting.
    FUserSearch->startReading();
}

void TUserInfoMagForm::ExportUserList()
{
    // Also run by the host's menu: nothing may escape into the event loop, and
    // nothing runs beside a running command.
    runCommand([this] { exportUserList(); });
}

void TUserInfoMagForm::exportUserList()
{
    const QList<TcxGridDBColumn *> columns = grdvwGrdVwData->VisibleColumnsInOrder();
    QStringList headers;
    for (TcxGridDBColumn *column : columns)
        headers << column->Caption();
    // Several rows selected: those; otherwise the whole list.
    QList<int> selected = grdvwGrdVwData->SelectedRecordIndexes();
    if (selected.size() < 2) {
        selected.clear();
        for (int row = 0; row < grdvwGrdVwData->RecordCount(); ++row)
            selected << row;
    }
    QVariantList rows;
    for (const int row : selected) {
        QStringList cells;
        for (TcxGridDBColumn *column : columns)
            cells << grdvwGrdVwData->DisplayText(row, column);
        rows << cells;
    }
    hostCall(UGlobalValue::Session().HostDispatch, "ExportTable", {QStringLiteral("用户信息"), headers, rows});
}

void TUserInfoMagForm::reloadKeepingSelection()
{
    const auto current = [](data::ClientDataSet *ds, const char *field) {
        return ds->Active() && !ds->IsEmpty() ? ds->FieldByName(QLatin1String(field))->AsString() : QString();
    };
    const QString area = current(CDSAreaData, "StaAreaCode");
    const QString user = current(CDSUserData, "UserCode");
    FUserSearch->usersChanged();
    CDSOrgData->SetData(UGlobalValue::Session().OpenHrData(QStringLiteral("Select OrgCode, OrgName From P_YLFWDW ")));
    LoadAreaTree();
    if (area.isEmpty() || !CDSAreaData->Active() || !CDSAreaData->Locate(QStringLiteral("StaAreaCode"), area))
        return;
    TreLstArea->SetFocusedRecordIndex(CDSAreaData->RecNo() - 1);
    // The same area may have stayed selected: its list is read in any case.
    LoadUserList();
    if (!user.isEmpty() && CDSUserData->Active())
        CDSUserData->Locate(QStringLiteral("UserCode"), user);
}

void TUserInfoMagForm::ShowAreaUser(const QString &staAreaCode, const QString &userCode)
{
    if (!CDSAreaData->Active() || !CDSAreaData->Locate(QStringLiteral("StaAreaCode"), staAreaCode))
        return;
    TreLstArea->SetFocusedRecordIndex(CDSAreaData->RecNo() - 1);
    if (!userCode.isEmpty() && CDSUserData->Active())
        CDSUserData->Locate(QStringLiteral("UserCode"), userCode);
}

void TUserInfoMagForm::FormDestroy(QObject *sender)
{
    TBaseForm::FormDestroy(sender);
    FHRDictRef.reset();
}

void TUserInfoMagForm::LoadAreaTree()
{
    BusyScope busy(this);
    TreLstArea->BeginUpdate();
    // Resumed and the first top-level area opened also when loading fails.
    struct Resume
    {
        TcxDBTreeList *tree;
        ~Resume()
        {
            tree->EndUpdate();
            if (tree->TopNodeCount() > 0)
                tree->ExpandTopNode(0);
        }
    } resume{TreLstArea};

    QString start;
    RcmsToHrAreaCode(QString(), start);
    const QString sql =
        QStringLiteral("  Select Isnull(RCMSAreaCode,AreaCode) As AreaCode, AreaCode As StaAreaCode,  '[' + "
                       "AreaCode + '] ' + AreaName As AreaName, ParentAreaCode as PAreaCode   From p_XzQh "
                       "Where ParentAreaCode Like ")
        + QuotedStr(start + QLatin1Char('%')) + QStringLiteral(" Or AreaCode = ") + QuotedStr(start);
    CDSAreaData->SetData(UGlobalValue::Session().OpenHrData(sql));
    // The tree opens on the login's own area, its root, whatever order the
    // database returned the areas in: the tree selects the current row when
    // it is rebuilt.
    if (CDSAreaData->FindField(QStringLiteral("StaAreaCode")))
        CDSAreaData->Locate(QStringLiteral("StaAreaCode"), start);
}

void TUserInfoMagForm::TreLstAreaSelectionChanged(QObject *)
{
    LoadUserList();
}

void TUserInfoMagForm::LoadUserList()
{
    struct Buttons
    {
        TUserInfoMagForm *form;
        ~Buttons() { form->UpdateButtons(); }
    } buttons{this};

    if (!CDSAreaData->Active())
        return;
    if (CDSAreaData->IsEmpty()) {
        CDSUserData->Close();
        return;
    }
    BusyScope busy(this);
    grdvwGrdVwData->BeginUpdate();
    struct Resume
    {
        TcxGridDBTableView *view;
        ~Resume()
        {
            view->EndUpdate();
            // Codes are read whole: a 13-digit user code cut to "3401010000…" is no code.
            view->ApplyBestFit();
        }
    } resume{grdvwGrdVwData};
    const QString area = CDSAreaData->FieldByName(QStringLiteral("StaAreaCode"))->AsString();
    const QString sql = QStringLiteral("Select * From p_User,P_YlFwDw Where p_User.OrgCode = P_YlFwDw.OrgCode "
                                       "And StaAreaCode = ")
        + QuotedStr(area) + QStringLiteral(" Order By AreaCode Asc ");
    CDSUserData->SetData(UGlobalValue::Session().OpenHrData(sql));
}

void TUserInfoMagForm::UpdateButtons()
{
    if (!CDSUserData->Active() || CDSUserData->IsEmpty()) {
        BtnAdd->SetEnabled(true);
        BtnEdit->SetEnabled(false);
        BtnDel->SetEnabled(false);
    } else {
        BtnEdit->SetEnabled(true);
        BtnDel->SetEnabled(true);
    }
    BtnRefs->SetEnabled(BtnDel->Enabled());
    BtnResetPwd->SetEnabled(BtnEdit->Enabled());
    BtnMoveOrg->SetEnabled(BtnEdit->Enabled());
    // Users are imported into the selected area: there must be one.
    BtnImport->SetEnabled(CDSAreaData->Active() && !CDSAreaData->IsEmpty());
    ActReferences->setVisible(BtnRefs->Visible() == TdxBarItemVisible::ivAlways);
    ActReferences->setEnabled(BtnRefs->Enabled());
}

void TUserInfoMagForm::grdvwFamLstCustomDrawIndicatorCell(TcxGridDBTableView *, QPainter *canvas,
                                                          const TcxIndicatorCellInfo &viewInfo, bool &done)
{
    if (!viewInfo.IsDataRow)
        return;
    const QString text = QString::number(viewInfo.RecordIndex + 1);
    if (viewInfo.Selected) {
        // The selected row's number: bold on the red fill, in white so that it
        // can be read (red on red showed a plain red box).
        QFont bold = viewInfo.Font;
        bold.setBold(true);
        TcxGridDBTableView::DrawHeaderCell(canvas, viewInfo.Bounds, text, true, bold, Qt::white, Qt::red);
    } else {
        TcxGridDBTableView::DrawHeaderCell(canvas, viewInfo.Bounds, text, false, viewInfo.Font,
                                           viewInfo.TextColor, viewInfo.BrushColor);
    }
    done = true;
}

QString TUserInfoMagForm::BuildUserGuardSql(const QString &userCode)
{
    return UserDeletion::guardSql(userCode);
}

void TUserInfoMagForm::BtnDelClick(QObject *)
{
    if (grdvwGrdVwData->SelectedRecordIndexes().size() > 1) {
        deleteSelectedUsers(selectedUsers());
        return;
    }
    HostSession &session = UGlobalValue::Session();
    try {
        UserDeletion deletion(session, CDSUserData->FieldByName(QStringLiteral("UserCode"))->AsString());
        deletion.setAudit(FAudit.get());
        bool referenced = false;
        {
            BusyScope busy(this);
            referenced = deletion.referenced();
        }
        if (referenced) {
            ShowInfo(QStringLiteral("当前选中的用户信息已产生数据,无法进行删除!"));
            return;
        }
        if (!ShowConfirm(QStringLiteral("您确定要删除当前选中的用户信息记录?")))
            return;
        // A delete the session answers false to is a failure too: the list
        // stays as it is, never "删除成功!".
        BusyScope busy(this);
        deletion.run();
    } catch (const UserDeletion::Refused &) {
        ShowInfo(QStringLiteral("删除失败!"));
        return;
    } catch (const data::LumoError &e) {
        // The cause in a person's words; the statement stays in the host's log.
        ShowInfo(QStringLiteral("删除失败!原因:") + e.cause());
        return;
    } catch (const std::exception &e) {
        ShowInfo(QStringLiteral("删除失败!原因:") + QString::fromLocal8Bit(e.what()));
        return;
    }
    // Committed: the user is gone, whatever the reload does.
    QString reloadFailure;
    {
        BusyScope busy(this);
        reloadFailure = afterCommit([this] {
            FUserSearch->usersChanged();
            LoadUserList();
        });
    }
    ShowInfo(QStringLiteral("删除成功!"));
    if (!reloadFailure.isEmpty())
        ShowInfo(reloadFailure);
}

void TUserInfoMagForm::BtnResetPwdClick(QObject *)
{
    const QVector<UserRef> users = selectedUsers();
    if (users.isEmpty())
        return;
    if (!ShowConfirm(PasswordReset::question(users)))
        return;
    try {
        BusyScope busy(this);
        PasswordReset reset(UGlobalValue::Session(), users, TUserInfoAddEditForm::InitialPassword);
        reset.setAudit(FAudit.get());
        reset.run();
    } catch (const PasswordReset::Refused &) {
        ShowInfo(QStringLiteral("密码重置失败!"));
        return;
    } catch (const data::LumoError &e) {
        ShowInfo(QStringLiteral("密码重置失败!原因:") + e.cause());
        return;
    } catch (const std::exception &e) {
        ShowInfo(QStringLiteral("密码重置失败!原因:") + QString::fromLocal8Bit(e.what()));
        return;
    }
    ShowInfo(QStringLiteral("密码重置成功!"));
}

void TUserInfoMagForm::BtnRefsClick(QObject *)
{
    if (!CDSUserData->Active() || CDSUserData->IsEmpty())
        return;
    const QString user = CDSUserData->FieldByName(QStringLiteral("UserCode"))->AsString();
    const QString name = CDSUserData->FieldByName(QStringLiteral("UserName"))->AsString();
    QVector<UserReference> references;
    try {
        BusyScope busy(this);
        references = CountUserReferences(UGlobalValue::Session(), user);
    } catch (const data::LumoError &e) {
        ShowInfo(QStringLiteral("统计数据引用情况失败!原因:") + e.cause());
        return;
    }
    UserReferencesDialog dialog(user, name, references, this);
    dialog.exec();
}

void TUserInfoMagForm::showStatus(const QString &text)
{
    lblStatus->SetCaption(text);
    lblStatus->setVisible(!text.isEmpty());
}

QString TUserInfoMagForm::afterCommit(const std::function<void()> &reload)
{
    try {
        reload();
        return QString();
    } catch (const std::exception &e) {
        return QStringLiteral("列表未能刷新, 请重新选择行政区划: ") + data::LumoError::of(e).cause();
    }
}

void TUserInfoMagForm::keyPressEvent(QKeyEvent *event)
{
    // The window lives inside the host: Escape, which closes a dialog, would
    // hide it with nothing to bring it back.
    if (event->matches(QKeySequence::Cancel)) {
        event->accept();
        return;
    }
    TBaseForm::keyPressEvent(event);
}

void TUserInfoMagForm::grdvwGrdVwDataDblClick(QObject *sender)
{
    if (BtnEdit->Visible() == TdxBarItemVisible::ivAlways && BtnEdit->Enabled())
        BtnEditClick(sender);
}

void TUserInfoMagForm::BtnAddClick(QObject *)
{
    openUserDialog(false);
}

void TUserInfoMagForm::BtnEditClick(QObject *)
{
    openUserDialog(true);
}

void TUserInfoMagForm::openUserDialog(bool edit)
{
    // Freed also when a step fails; the error then goes on to the default handler.
    std::unique_ptr<TUserInfoAddEditForm, void (*)(QWidget *)> dialog(CreateForm<TUserInfoAddEditForm>(),
                                                                      DestroyForm);
    if (edit)
        dialog->SetKeyValue(CDSUserData->FieldByName(QStringLiteral("UserCode"))->AsString());
    dialog->FAreaCode = CDSAreaData->FieldByName(QStringLiteral("AreaCode"))->AsString();
    dialog->FStaAreaCode = CDSAreaData->FieldByName(QStringLiteral("StaAreaCode"))->AsString();
    dialog->FHRDict = FHRDictRef.get();
    dialog->FAudit = FAudit.get();
    dialog->exec();
    const QString key = dialog->FKeyValue;
    if (!key.trimmed().isEmpty()) {
        FUserSearch->usersChanged();
        LoadUserList();
        if (CDSUserData->Active())
            CDSUserData->Locate(QStringLiteral("UserCode"), key);
    }
}
