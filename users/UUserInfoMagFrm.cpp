#include "UUserInfoMagFrm.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QShortcut>
#include <QTableView>
#include <QVBoxLayout>

#include "AreaSearch.h"
#include "BusyScope.h"
#include "ClientDataSet.h"
#include "DataSource.h"
#include "FormFactory.h"
#include "GridLayoutSettings.h"
#include "HostCall.h"
#include "LumoError.h"
#include "SyncLog.h"
#include "SyncLogDialog.h"
#include "SyncPreview.h"
#include "SyncPreviewDialog.h"
#include "SyncRun.h"
#include "TcxButton.h"
#include "TcxDBTreeList.h"
#include "TcxGrid.h"
#include "TcxGridDBColumn.h"
#include "TcxGridDBTableView.h"
#include "TcxGroupBox.h"
#include "TcxLabel.h"
#include "TcxProgressBar.h"
#include "TcxSplitter.h"
#include "TcxStyle.h"
#include "TcxTabControl.h"
#include "TcxTreeListColumn.h"
#include "TdxBarManager.h"
#include "TextRules.h"
#include "UGlobalFunUnt.h"
#include "UGlobalHRFunUnt.h"
#include "UGlobalValue.h"
#include "UHRDictDataClass.h"
#include "URCMSObjValueClass.h"
#include "UUserInfoAddEditFrm.h"
#include "UserCommandKeys.h"
#include "UserDeletion.h"
#include "UserReferences.h"
#include "UserReferencesDialog.h"
#include "UserSearch.h"

namespace {

// How often a long command lets the window paint and take input: one frame.
constexpr qint64 kEventIntervalMs = 16;

} // namespace

TUserInfoMagForm::TUserInfoMagForm(QWidget *parent) : TBaseForm(parent)
{
    setObjectName(QStringLiteral("UserInfoMagForm"));
    setWindowTitle(QStringLiteral("医疗服务单位设置"));
    setGeometry(32, -5, 1350, 780);

    CDSAreaData = new data::ClientDataSet(this);
    CDSAreaData->setObjectName(QStringLiteral("CDSAreaData"));
    CDSUserData = new data::ClientDataSet(this);
    CDSUserData->setObjectName(QStringLiteral("CDSUserData"));
    CDSOrgData = new data::ClientDataSet(this);
    CDSOrgData->setObjectName(QStringLiteral("CDSOrgData"));
    dsAreaData = new data::DataSource(this);
    dsAreaData->setObjectName(QStringLiteral("dsAreaData"));
    dsAreaData->SetDataSet(CDSAreaData);
    dsUserData = new data::DataSource(this);
    dsUserData->setObjectName(QStringLiteral("dsUserData"));
    dsUserData->SetDataSet(CDSUserData);
    dsOrgData = new data::DataSource(this);
    dsOrgData->setObjectName(QStringLiteral("dsOrgData"));
    dsOrgData->SetDataSet(CDSOrgData);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    BarMagTool = new TdxBarManager(this);
    BarMagTool->setObjectName(QStringLiteral("BarMagTool"));
    dxbrTool = BarMagTool->AddBar(QStringLiteral("dxbrTool"), this);
    dxbrTool->SetCaption(QStringLiteral("命令行"));
    dxbrTool->setMinimumHeight(43);
    layout->addWidget(dxbrTool);
    BtnAdd = makeButton("BtnAdd", QStringLiteral("新  增"), 254, 0, false);
    BtnEdit = makeButton("BtnEdit", QStringLiteral("修  改"), 255, 1, true);
    BtnDel = makeButton("BtnDel", QStringLiteral("删  除"), 256, 2, true);
    BtnSyh = makeButton("BtnSyh", QStringLiteral("同步农合数据"), 257, 3, true);
    // A command never starts while another runs, however it is triggered.
    BtnAdd->OnClick = [this](QObject *s) { runCommand([&] { BtnAddClick(s); }); };
    BtnEdit->OnClick = [this](QObject *s) { runCommand([&] { BtnEditClick(s); }); };
    BtnDel->OnClick = [this](QObject *s) { runCommand([&] { BtnDelClick(s); }); };
    BtnSyh->OnClick = [this](QObject *s) { runCommand([&] { BtnSyhClick(s); }); };
    BtnPreview = makeButton("BtnPreview", QStringLiteral("同步预览"), 257, 4, false);
    BtnPreview->OnClick = [this](QObject *s) { runCommand([&] { BtnPreviewClick(s); }); };
    BtnSyncLog = makeButton("BtnSyncLog", QStringLiteral("同步记录"), 257, 5, false);
    BtnSyncLog->OnClick = [this](QObject *s) { runCommand([&] { BtnSyncLogClick(s); }); };
    // Read-only, so it goes with the right to delete, whose refusals it explains.
    BtnRefs = makeButton("BtnRefs", QStringLiteral("数据引用情况"), 256, 6, true);
    BtnRefs->OnClick = [this](QObject *s) { runCommand([&] { BtnRefsClick(s); }); };

    TabCtlMain = new TcxTabControl(this);
    TabCtlMain->setObjectName(QStringLiteral("TabCtlMain"));
    layout->addWidget(TabCtlMain, 1);
    auto *panes = new QHBoxLayout(TabCtlMain);
    panes->setContentsMargins(2, 2, 2, 2);
    panes->setSpacing(0);

    cxGroupBox1 = new TcxGroupBox(TabCtlMain);
    cxGroupBox1->setObjectName(QStringLiteral("cxGroupBox1"));
    cxGroupBox1->SetFrameless(true);
    cxGroupBox1->setFixedWidth(245);
    auto *left = new QVBoxLayout(cxGroupBox1);
    left->setContentsMargins(0, 0, 0, 0);
    TreLstArea = new TcxDBTreeList(cxGroupBox1);
    TreLstArea->setObjectName(QStringLiteral("TreLstArea"));
    TreLstArea->SetKeyField(QStringLiteral("StaAreaCode"));
    TreLstArea->SetParentField(QStringLiteral("PAreaCode"));
    TreLstArea->SetRootValue(-1);
    ColAreaName = TreLstArea->CreateColumn(QStringLiteral("ColAreaName"));
    ColAreaName->SetCaption(QStringLiteral("行政区划"));
    ColAreaName->SetFieldName(QStringLiteral("AreaName"));
    ColAreaName->SetWidth(180);
    ColAreaName->SetMinWidth(180);
    ColAreaName->SetHeaderAlignment(Qt::AlignCenter);
    TreLstArea->SetDataSource(dsAreaData);
    // The area names follow the pane's width, also when it is dragged wider.
    TreLstArea->SetLastColumnFillsWidth(true);
    TreLstArea->OnSelectionChanged = [this](QObject *s) {
        guardEvent([&] { TreLstAreaSelectionChanged(s); });
    };
    FAreaSearch = new AreaSearch(
        CDSAreaData, [this](const QString &area) { ShowAreaUser(area, QString()); }, cxGroupBox1);
    left->addWidget(FAreaSearch);
    left->addWidget(TreLstArea);
    panes->addWidget(cxGroupBox1);
    auto *findArea = new QShortcut(QKeySequence::FindNext, this);
    findArea->setContext(Qt::WidgetWithChildrenShortcut);
    connect(findArea, &QShortcut::activated, FAreaSearch, &AreaSearch::findNext);

    cxSplitter1 = new TcxSplitter(TabCtlMain);
    cxSplitter1->setObjectName(QStringLiteral("cxSplitter1"));
    cxSplitter1->setFixedWidth(8);
    cxSplitter1->SetControl(cxGroupBox1);
    panes->addWidget(cxSplitter1);

    PnlTop = new TcxGroupBox(TabCtlMain);
    PnlTop->setObjectName(QStringLiteral("PnlTop"));
    PnlTop->SetFrameless(true);
    auto *right = new QVBoxLayout(PnlTop);
    right->setContentsMargins(0, 0, 0, 0);
    GrdData = new TcxGrid(PnlTop);
    GrdData->setObjectName(QStringLiteral("GrdData"));
    grdvwGrdVwData = GrdData->CreateView(QStringLiteral("grdvwGrdVwData"));
    grdvwGrdVwData->SetDataSource(dsUserData);
    grdvwGrdVwData->SetHideSelection(true);
    grdvwGrdVwData->SetFooter(true);
    grdvwGrdVwData->SetIndicator(true);
    grdvwGrdVwData->SetIndicatorWidth(25);
    grdvwGrdVwData->SetContentEven(cxStyle1);
    grdvwGrdVwData->SetContentOdd(cxStyle2);
    colUserCode = makeColumn("colUserCode", QStringLiteral("用户代码"), QStringLiteral("UserCode"), 100, 100);
    colUserName = makeColumn("colUserName", QStringLiteral("姓   名"), QStringLiteral("UserName"), 180, 180);
    colPYCode = makeColumn("colPYCode", QStringLiteral("拼音码"), QStringLiteral("Spell"), 110, 110);
    colWBCode = makeColumn("colWBCode", QStringLiteral("五笔码"), QStringLiteral("FiveStrokes"), 110, 110);
    colOrgCode = makeColumn("colOrgCode", QStringLiteral("所属部门代码"), QStringLiteral("OrgCode"), 127, 20);
    colOrgName = makeColumn("colOrgName", QStringLiteral("所属部门名称"), QStringLiteral("OrgCode"), 225, 200);
    colOrgName->SetListSource(dsOrgData);
    colOrgName->SetKeyFieldNames(QStringLiteral("OrgCode"));
    colOrgName->SetListFieldNames(QStringLiteral("OrgName"));
    colUserCode->SetFooterSummary(skCount, QStringLiteral("记录数: 0"));
    grdvwGrdVwData->OnDblClick = [this](QObject *s) { runCommand([&] { grdvwGrdVwDataDblClick(s); }); };
    grdvwGrdVwData->OnCustomDrawIndicatorCell = [this](TcxGridDBTableView *view, QPainter *canvas,
                                                       const TcxIndicatorCellInfo &info, bool &done) {
        grdvwFamLstCustomDrawIndicatorCell(view, canvas, info, done);
    };
    right->addWidget(GrdData);
    panes->addWidget(PnlTop, 1);

    // The status line under the panes: what the last command could not do,
    // named so that the user can act on it.
    lblStatus = new TcxLabel(QString(), this);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    lblStatus->SetTextColor(Qt::red);
    lblStatus->setContentsMargins(6, 2, 6, 2);
    lblStatus->hide();
    layout->addWidget(lblStatus);
    // What the last synchronisation did, until the next one.
    lblSyncCounts = new TcxLabel(QString(), this);
    lblSyncCounts->setObjectName(QStringLiteral("lblSyncCounts"));
    lblSyncCounts->setContentsMargins(6, 2, 6, 2);
    lblSyncCounts->hide();
    layout->addWidget(lblSyncCounts);

    // Finding and ordering users: a search box over the grid, sorting by the
    // column headers, columns the user may move.
    FUserSearch = new UserSearch(
        CDSUserData, grdvwGrdVwData, colUserCode,
        [this](const QString &area, const QString &user) { ShowAreaUser(area, user); },
        [] {
            QString start;
            RcmsToHrAreaCode(QString(), start);
            return start;
        },
        PnlTop);
    right->insertWidget(0, FUserSearch);
    auto *find = new QShortcut(QKeySequence::Find, this);
    find->setContext(Qt::WidgetWithChildrenShortcut);
    connect(find, &QShortcut::activated, FUserSearch, &UserSearch::focusSearch);
    grdvwGrdVwData->SetSortingByHeader(true);
    grdvwGrdVwData->SetColumnMoving(true);
    new UserCommandKeys(this, {BtnAdd, BtnEdit, BtnDel, grdvwGrdVwData->tableView(), [this] { return Busy(); },
                               [this] { runCommand([this] { reloadKeepingSelection(); }); }});
    auto *exportList = new QAction(QStringLiteral("导出列表(&E)..."), grdvwGrdVwData->tableView());
    exportList->setObjectName(QStringLiteral("ActExportUsers"));
    connect(exportList, &QAction::triggered, this, &TUserInfoMagForm::ExportUserList);
    grdvwGrdVwData->tableView()->addAction(exportList);
    // Why the selected user cannot be deleted, also from the grid's menu.
    ActReferences = new QAction(QStringLiteral("数据引用情况"), grdvwGrdVwData->tableView());
    ActReferences->setObjectName(QStringLiteral("ActReferences"));
    connect(ActReferences, &QAction::triggered, this, [this] { runCommand([this] { BtnRefsClick(BtnRefs); }); });
    grdvwGrdVwData->tableView()->addAction(ActReferences);
    grdvwGrdVwData->tableView()->setContextMenuPolicy(Qt::ActionsContextMenu);

    // The progress panel floats over the window, centred when shown.
    TabCtlProgress = new TcxTabControl(this);
    TabCtlProgress->setObjectName(QStringLiteral("TabCtlProgress"));
    // Opaque, so the grid never shows through it; the count and 取消 below the bar.
    TabCtlProgress->setFixedSize(320, 84);
    TabCtlProgress->setAutoFillBackground(true);
    ProBar = new TcxProgressBar(TabCtlProgress);
    ProBar->setObjectName(QStringLiteral("ProBar"));
    ProBar->setGeometry(14, 8, 292, 33);
    LblProgress = new TcxLabel(QString(), TabCtlProgress);
    LblProgress->setObjectName(QStringLiteral("LblProgress"));
    LblProgress->setGeometry(14, 48, 200, 28);
    BtnSyncCancel = new TcxButton(QStringLiteral("取消"), TabCtlProgress);
    BtnSyncCancel->setObjectName(QStringLiteral("BtnSyncCancel"));
    BtnSyncCancel->setGeometry(226, 48, 80, 28);
    connect(BtnSyncCancel, &QPushButton::clicked, this, [this] { m_cancelRequested = true; });
    AllowWhileBusy(BtnSyncCancel);
    TabCtlProgress->hide();
}

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

TdxBarLargeButton *TUserInfoMagForm::makeButton(const char *name, const QString &caption, int tag,
                                                int image, bool beginGroup)
{
    auto *button = new TdxBarLargeButton(BarMagTool);
    button->setObjectName(QString::fromLatin1(name));
    button->SetCaption(caption);
    button->SetHint(caption);
    button->SetTag(tag);
    button->SetLargeImageIndex(image);
    button->SetBeginGroup(beginGroup);
    dxbrTool->AddItem(button);
    return button;
}

TcxGridDBColumn *TUserInfoMagForm::makeColumn(const char *name, const QString &caption,
                                              const QString &field, int width, int minWidth)
{
    TcxGridDBColumn *column = grdvwGrdVwData->CreateColumn(QString::fromLatin1(name));
    column->SetCaption(caption);
    column->SetFieldName(field);
    column->SetWidth(width);
    column->SetMinWidth(minWidth);
    column->SetHeaderAlignment(Qt::AlignCenter);
    return column;
}

void TUserInfoMagForm::FormCreate(QObject *sender)
{
    TBaseForm::FormCreate(sender);
    LoadPhotoFtpSettings();
    FHRDictRef = std::make_unique<THRDictDataClass>();
    FRightControls->append(BtnAdd);
    FRightControls->append(BtnEdit);
    FRightControls->append(BtnDel);
    FRightControls->append(BtnSyh);
    FRightControls->append(BtnPreview);
    FRightControls->append(BtnSyncLog);
    FRightControls->append(BtnRefs);
}

void TUserInfoMagForm::FormShow(QObject *sender)
{
    TBaseForm::FormShow(sender);
    HostSession &session = UGlobalValue::Session();
    BarMagTool->SetLargeImages(session.Images);
    BusyScope busy(this);
    LoadAreaTree();
    CDSOrgData->SetData(session.OpenHrData(QStringLiteral("Select OrgCode, OrgName From P_YLFWDW ")));
    const bool anyVisible = BtnAdd->Visible() == TdxBarItemVisible::ivAlways
        || BtnEdit->Visible() == TdxBarItemVisible::ivAlways
        || BtnDel->Visible() == TdxBarItemVisible::ivAlways
        || BtnSyh->Visible() == TdxBarItemVisible::ivAlways;
    dxbrTool->SetVisible(anyVisible);

    // The grid as this login left it (columns still widen to what they show).
    FGridLayout = std::make_unique<GridLayoutSettings>(grdvwGrdVwData, QStringLiteral("UserInfoMagForm/grdvwGrdVwData"));
    FGridLayout->restore();
    grdvwGrdVwData->OnLayoutChanged = [this](QObject *) { FGridLayout->save(); };
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
    QVariantList rows;
    for (int row = 0; row < grdvwGrdVwData->RecordCount(); ++row) {
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
    HostSession &session = UGlobalValue::Session();
    try {
        UserDeletion deletion(session, CDSUserData->FieldByName(QStringLiteral("UserCode"))->AsString());
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

void TUserInfoMagForm::BtnPreviewClick(QObject *)
{
    SyncPreview preview;
    try {
        BusyScope busy(this);
        preview = SyncPreview::read(UGlobalValue::Session());
    } catch (const data::LumoError &e) {
        ShowInfo(QStringLiteral("同步预览失败!原因:") + e.cause());
        return;
    }
    SyncPreviewDialog dialog(std::move(preview), this);
    if (dialog.exec() == QDialog::Accepted)
        BtnSyhClick(BtnSyh);
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

void TUserInfoMagForm::BtnSyhClick(QObject *)
{
    synchronise();
}

void TUserInfoMagForm::synchronise()
{
    HostSession &session = UGlobalValue::Session();
    QString outcome;
    QString reloadFailure;
    {
        // From the first statement to the reloaded tree nothing else may run
        // in the window: a second run, a delete or a dialog would work inside
        // this run's transaction and be undone with it, or leave the grid
        // disagreeing with the database.
        BusyScope busy(this);
        const QVariant units = session.GetHrValue(QStringLiteral("Select Count(*) From P_YLFWDW"));
        if (units.toLongLong() == 0) {
            outcome = QStringLiteral(
                "不存在医疗服务单位信息,无法同步农合用户信息,请先维护医疗服务单位信息后再使用此功能!");
        } else {
            SyncRun run(session);
            switch (runSynchronisation(run, reloadFailure)) {
            case SyncRun::Done: outcome = QStringLiteral("同步农合用户信息数据成功"); break;
            case SyncRun::Failed:
                outcome = QStringLiteral("同步农合用户信息数据失败!")
                    + (run.cause().isEmpty() ? QString() : QStringLiteral("原因:") + run.cause());
                break;
            case SyncRun::Cancelled: outcome = QStringLiteral("已取消同步, 数据未改变"); break;
            }
        }
    }
    ShowInfo(outcome);
    if (!reloadFailure.isEmpty())
        ShowInfo(reloadFailure);
}

SyncRun::End TUserInfoMagForm::runSynchronisation(SyncRun &run, QString &reloadFailure)
{
    struct HidePanel
    {
        QWidget *panel;
        ~HidePanel() { panel->hide(); }
    } hide{TabCtlProgress};
    showStatus(QString());
    lblSyncCounts->hide();
    const QString area = CDSAreaData->Active() && !CDSAreaData->IsEmpty()
        ? CDSAreaData->FieldByName(QStringLiteral("StaAreaCode"))->AsString()
        : QString();
    m_cancelRequested = false;
    run.onBegun = [this] { ShowProgressPanel(TabCtlProgress, true); };
    // Pending events are handled once a frame rather than after every user:
    // that keeps the window painting and answering, while a pass of the event
    // loop per user cost a tenth of a large run.
    QElapsedTimer sinceEvents;
    run.onProgress = [this, &run, &sinceEvents](int done, int total) {
        emit SyncProgress(done, total);
        if (done == 0) {
            ProBar->SetPosition(0);
            ProBar->SetMax(total * 100);
            LblProgress->SetCaption(QStringLiteral("已处理 0 / %1").arg(total));
            sinceEvents.start();
            return;
        }
        // The bar moves with the caption, once a frame and at the end:
        // moving it per user cost more than the frame's painting.
        if (sinceEvents.elapsed() >= kEventIntervalMs || done == total) {
            ProBar->SetPosition(done * 100);
            LblProgress->SetCaption(QStringLiteral("已处理 %1 / %2").arg(done).arg(total));
            // Whatever the pass reaches may use the session: the run's
            // statements wait meanwhile.
            const std::unique_lock<std::mutex> held = run.holdStatements();
            QCoreApplication::processEvents();
            sinceEvents.restart();
        }
    };
    run.cancelRequested = [this] { return m_cancelRequested; };
    run.onEnded = [this] { ShowProgressPanel(TabCtlProgress, false); };
    const SyncRun::End end = run.run();
    if (end != SyncRun::Done) {
        // The user the run stopped at is named on the status line.
        if (end == SyncRun::Failed)
            showStatus(run.failedUser()
                           ? QStringLiteral("同步农合用户信息数据失败: 用户 %1 无法同步").arg(*run.failedUser())
                           : QStringLiteral("同步农合用户信息数据失败"));
        if (!run.logged()) {
            if (const QString note = noSyncLogNote(); !note.isEmpty()) {
                lblSyncCounts->SetCaption(note);
                lblSyncCounts->show();
            }
        }
        return end;
    }
    // Committed: the run succeeded, whatever the reload does.
    reloadFailure = afterCommit([this, &area] {
        FUserSearch->usersChanged();
        LoadAreaTree();
        if (!area.isEmpty())
            ShowAreaUser(area, QString());
    });
    QString counts = run.ran().runLine(run.seconds());
    if (!run.logged())
        if (const QString note = noSyncLogNote(); !note.isEmpty())
            counts += QStringLiteral("; ") + note;
    lblSyncCounts->SetCaption(counts);
    lblSyncCounts->show();
    return SyncRun::Done;
}

QString TUserInfoMagForm::noSyncLogNote()
{
    if (m_toldNoSyncLog)
        return QString();
    m_toldNoSyncLog = true;
    return QStringLiteral("数据库中没有同步记录表, 不记录同步日志");
}

void TUserInfoMagForm::BtnSyncLogClick(QObject *)
{
    SyncLog log(UGlobalValue::Session());
    try {
        std::unique_ptr<SyncLogDialog> dialog;
        {
            BusyScope busy(this);
            if (!log.available()) {
                ShowInfo(QStringLiteral("数据库中没有同步记录表, 没有同步记录可看"));
                return;
            }
            dialog = std::make_unique<SyncLogDialog>(log, this);
        }
        dialog->exec();
    } catch (const data::LumoError &e) {
        ShowInfo(QStringLiteral("读取同步记录失败!原因:") + e.cause());
    }
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
    dialog->exec();
    const QString key = dialog->FKeyValue;
    if (!key.trimmed().isEmpty()) {
        FUserSearch->usersChanged();
        LoadUserList();
        if (CDSUserData->Active())
            CDSUserData->Locate(QStringLiteral("UserCode"), key);
    }
}
