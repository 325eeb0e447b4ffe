// How the user window is made: its parts in the order they are created,
// which is also the order Tab moves through them.
#include "UUserInfoMagFrm.h"

#include <QAction>
#include <QHBoxLayout>
#include <QShortcut>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

#include "AreaSearch.h"
#include "ClientDataSet.h"
#include "DataSource.h"
#include "GridLayoutSettings.h"
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
#include "UGlobalHRFunUnt.h"
#include "UHRDictDataClass.h"
#include "UserCommandKeys.h"
#include "UserSearch.h"

TUserInfoMagForm::TUserInfoMagForm(QWidget *parent) : TBaseForm(parent)
{
    setObjectName(QStringLiteral("UserInfoMagForm"));
    setWindowTitle(QStringLiteral("医疗服务单位设置"));
    setGeometry(32, -5, 1350, 780);

    buildDataSets();

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    buildToolbar(layout);

    TabCtlMain = new TcxTabControl(this);
    TabCtlMain->setObjectName(QStringLiteral("TabCtlMain"));
    layout->addWidget(TabCtlMain, 1);
    auto *panes = new QHBoxLayout(TabCtlMain);
    panes->setContentsMargins(2, 2, 2, 2);
    panes->setSpacing(0);
    buildTreePane(panes);
    QVBoxLayout *gridPane = buildGridPane(panes);

    buildStatusLines(layout);
    buildGridSearchAndMenu(gridPane);
    buildProgressPanel();
}

void TUserInfoMagForm::buildDataSets()
{
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
}

void TUserInfoMagForm::buildToolbar(QVBoxLayout *layout)
{
    BarMagTool = new TdxBarManager(this);
    BarMagTool->setObjectName(QStringLiteral("BarMagTool"));
    dxbrTool = BarMagTool->AddBar(QStringLiteral("dxbrTool"), this);
    dxbrTool->SetCaption(QStringLiteral("命令行"));
    dxbrTool->setMinimumHeight(43);
    layout->addWidget(dxbrTool);
    BtnAdd = makeButton("BtnAdd", QStringLiteral("新  增"), 254, 0, false);
    // Makes users as 新增 does, so it goes with the right to add; it borrows the add's picture.
    BtnImport = makeButton("BtnImport", QStringLiteral("批量导入"), 254, 0, false);
    BtnImport->SetHint(QStringLiteral("批量导入 (从 Excel 或 CSV 文件)"));
    BtnEdit = makeButton("BtnEdit", QStringLiteral("修  改"), 255, 1, true);
    BtnDel = makeButton("BtnDel", QStringLiteral("删  除"), 256, 2, true);
    BtnSyh = makeButton("BtnSyh", QStringLiteral("同步农合数据"), 257, 3, true);
    // A command never starts while another runs, however it is triggered.
    BtnAdd->OnClick = [this](QObject *s) { runCommand([&] { BtnAddClick(s); }); };
    BtnImport->OnClick = [this](QObject *s) { runCommand([&] { BtnImportClick(s); }); };
    BtnEdit->OnClick = [this](QObject *s) { runCommand([&] { BtnEditClick(s); }); };
    BtnDel->OnClick = [this](QObject *s) { runCommand([&] { BtnDelClick(s); }); };
    BtnSyh->OnClick = [this](QObject *s) { runCommand([&] { BtnSyhClick(s); }); };
    BtnPreview = makeButton("BtnPreview", QStringLiteral("同步预览"), 257, 4, false);
    BtnPreview->OnClick = [this](QObject *s) { runCommand([&] { BtnPreviewClick(s); }); };
    BtnSyncLog = makeButton("BtnSyncLog", QStringLiteral("同步记录"), 257, 5, false);
    BtnSyncLog->OnClick = [this](QObject *s) { runCommand([&] { BtnSyncLogClick(s); }); };
    // Read-only and bound to no right: whoever may open the window sees who changed its users.
    BtnAuditLog = makeButton("BtnAuditLog", QStringLiteral("操作日志"), 0, 5, false);
    BtnAuditLog->OnClick = [this](QObject *s) { runCommand([&] { BtnAuditLogClick(s); }); };
    // Read-only, so it goes with the right to delete, whose refusals it explains.
    BtnRefs = makeButton("BtnRefs", QStringLiteral("数据引用情况"), 256, 6, true);
    BtnRefs->OnClick = [this](QObject *s) { runCommand([&] { BtnRefsClick(s); }); };
    // A change of the user as an edit is, so it goes with the right to edit.
    BtnResetPwd = makeButton("BtnResetPwd", QStringLiteral("重置密码"), 255, 7, false);
    BtnResetPwd->OnClick = [this](QObject *s) { runCommand([&] { BtnResetPwdClick(s); }); };
    // Changes the users as an edit does, so it goes with the right to edit.
    BtnMoveOrg = makeButton("BtnMoveOrg", QStringLiteral("调整单位"), 255, 1, false);
    BtnMoveOrg->OnClick = [this](QObject *s) { runCommand([&] { BtnMoveOrgClick(s); }); };
}

void TUserInfoMagForm::buildTreePane(QHBoxLayout *panes)
{
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
}

QVBoxLayout *TUserInfoMagForm::buildGridPane(QHBoxLayout *panes)
{
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
    // Several users at once for 删除, 调整单位, 重置密码 and 导出.
    grdvwGrdVwData->SetMultiSelect(true);
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
    return right;
}

void TUserInfoMagForm::buildStatusLines(QVBoxLayout *layout)
{
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
}

void TUserInfoMagForm::buildGridSearchAndMenu(QVBoxLayout *gridPane)
{
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
    gridPane->insertWidget(0, FUserSearch);
    // The users found in every area share the pane with the grid, under the
    // search row, so that a chosen one is seen in its area's list below.
    auto *results = new QSplitter(Qt::Vertical, PnlTop);
    results->setObjectName(QStringLiteral("SplSearchResults"));
    results->setChildrenCollapsible(false);
    gridPane->removeWidget(GrdData);
    results->addWidget(FUserSearch->results());
    results->addWidget(GrdData);
    results->setStretchFactor(0, 1);
    results->setStretchFactor(1, 1);
    gridPane->addWidget(results, 1);
    auto *find = new QShortcut(QKeySequence::Find, this);
    find->setContext(Qt::WidgetWithChildrenShortcut);
    connect(find, &QShortcut::activated, FUserSearch, &UserSearch::focusSearch);
    grdvwGrdVwData->SetSortingByHeader(true);
    // Names sort as they are read: by the stored pinyin code (单思雨, SSY, under S).
    colUserName->SetSortFieldName(QStringLiteral("Spell"));
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
}

void TUserInfoMagForm::buildProgressPanel()
{
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
    LblProgress->setGeometry(14, 48, 186, 28);
    BtnSyncCancel = new TcxButton(QStringLiteral("取消"), TabCtlProgress);
    BtnSyncCancel->setObjectName(QStringLiteral("BtnSyncCancel"));
    // Wide enough for "正在提交…", which it says while the run commits.
    BtnSyncCancel->setGeometry(206, 48, 100, 28);
    connect(BtnSyncCancel, &QPushButton::clicked, this, [this] { m_cancelRequested = true; });
    AllowWhileBusy(BtnSyncCancel);
    TabCtlProgress->hide();
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
