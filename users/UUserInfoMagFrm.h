#pragma once

#include <functional>
#include <memory>

#include "SyncRun.h"
#include "UBaseFrm.h"
#include "UserAudit.h"
#include "UserRef.h"

class HostSession;
class QAction;
class QHBoxLayout;
class QKeyEvent;
class QPainter;
class QVBoxLayout;
class TcxButton;
class TcxLabel;
class TcxDBTreeList;
class TcxGrid;
class TcxGridDBColumn;
class TcxGridDBTableView;
class TcxGroupBox;
class TcxProgressBar;
class TcxSplitter;
class TcxTabControl;
class TcxTreeListColumn;
class TdxBar;
class TdxBarLargeButton;
class TdxBarManager;
class THRDictDataClass;
class GridLayoutSettings;
class UserSearch;
class AreaSearch;
struct TcxIndicatorCellInfo;
struct ImportPlan;
namespace data {
class ClientDataSet;
class DataSource;
}

// The module's window: the administrative areas below the user's own area as a
// tree, the user accounts of the selected area's units as a grid, and the
// commands to add, edit, delete and synchronise them.
class TUserInfoMagForm : public TBaseForm
{
    Q_OBJECT

public:
    explicit TUserInfoMagForm(QWidget *parent = nullptr);
    ~TUserInfoMagForm() override;

    TdxBarManager *BarMagTool = nullptr;
    TdxBar *dxbrTool = nullptr;
    TdxBarLargeButton *BtnAdd = nullptr;
    TdxBarLargeButton *BtnImport = nullptr;  // 批量导入, beside 新增 and with its right
    TdxBarLargeButton *BtnEdit = nullptr;
    TdxBarLargeButton *BtnDel = nullptr;
    TdxBarLargeButton *BtnSyh = nullptr;
    TdxBarLargeButton *BtnPreview = nullptr;
    TdxBarLargeButton *BtnRefs = nullptr;
    TdxBarLargeButton *BtnSyncLog = nullptr;
    TdxBarLargeButton *BtnAuditLog = nullptr;
    TdxBarLargeButton *BtnResetPwd = nullptr;
    TdxBarLargeButton *BtnMoveOrg = nullptr;
    QAction *ActReferences = nullptr;  // the grid menu's way to BtnRefs
    TcxTabControl *TabCtlMain = nullptr;
    TcxGroupBox *cxGroupBox1 = nullptr;
    TcxDBTreeList *TreLstArea = nullptr;
    TcxTreeListColumn *ColAreaName = nullptr;
    TcxSplitter *cxSplitter1 = nullptr;
    TcxGroupBox *PnlTop = nullptr;
    TcxGrid *GrdData = nullptr;
    TcxGridDBTableView *grdvwGrdVwData = nullptr;
    TcxGridDBColumn *colUserCode = nullptr;
    TcxGridDBColumn *colUserName = nullptr;
    TcxGridDBColumn *colPYCode = nullptr;
    TcxGridDBColumn *colWBCode = nullptr;
    TcxGridDBColumn *colOrgCode = nullptr;
    TcxGridDBColumn *colOrgName = nullptr;
    TcxTabControl *TabCtlProgress = nullptr;
    TcxProgressBar *ProBar = nullptr;
    TcxLabel *lblStatus = nullptr;  // status line: what the last command could not do
    TcxLabel *lblSyncCounts = nullptr;  // what the last synchronisation did
    TcxLabel *LblProgress = nullptr;       // "已处理 n / N"
    TcxButton *BtnSyncCancel = nullptr;     // live while a run keeps the window busy
    data::ClientDataSet *CDSAreaData = nullptr;
    data::ClientDataSet *CDSUserData = nullptr;
    data::ClientDataSet *CDSOrgData = nullptr;
    data::DataSource *dsAreaData = nullptr;
    data::DataSource *dsUserData = nullptr;
    data::DataSource *dsOrgData = nullptr;
    // The search box above the grid (and the users it finds in every area).
    UserSearch *FUserSearch = nullptr;
    // The box above the tree that finds an area.
    AreaSearch *FAreaSearch = nullptr;

    // Event handlers.
    void FormCreate(QObject *sender) override;
    void FormShow(QObject *sender) override;
    void FormDestroy(QObject *sender) override;
    void TreLstAreaSelectionChanged(QObject *sender);
    void grdvwFamLstCustomDrawIndicatorCell(TcxGridDBTableView *sender, QPainter *canvas,
                                            const TcxIndicatorCellInfo &viewInfo, bool &done);
    void grdvwGrdVwDataDblClick(QObject *sender);
    void BtnAddClick(QObject *sender);
    void BtnEditClick(QObject *sender);
    void BtnDelClick(QObject *sender);
    void BtnSyhClick(QObject *sender);
    // The synchronisation log, newest run first.
    void BtnSyncLogClick(QObject *sender);
    void BtnAuditLogClick(QObject *sender);
    // What the synchronisation would change, read without writing; the
    // synchronisation can be started from there.
    void BtnPreviewClick(QObject *sender);
    // Which business tables hold records of the selected user (read-only).
    void BtnRefsClick(QObject *sender);
    // 重置密码: the selected user's password back to a new user's, after a question naming the user.
    void BtnResetPwdClick(QObject *sender);
    // 调整单位: the selected users to a unit of the area chosen with the host's picker.
    void BtnMoveOrgClick(QObject *sender);
    // 批量导入: users of the selected area from a file, checked and previewed first.
    void BtnImportClick(QObject *sender);

    // The dictionary cache lent to every add/edit dialog.
    THRDictDataClass *HRDict() const { return FHRDictRef.get(); }

    // The statement that counts the business tables holding a record entered by
    // a user whose code begins with userCode (0 to 32): UserDeletion's guard.
    static QString BuildUserGuardSql(const QString &userCode);

    // Hands the listed users (the visible columns in their shown order, the
    // rows in the grid's order) to the host to write to a file.
    Q_INVOKABLE void ExportUserList();

    // Selects an area in the tree (opening its parents) and a user of its list.
    void ShowAreaUser(const QString &staAreaCode, const QString &userCode);

protected:
    void keyPressEvent(QKeyEvent *event) override;

signals:
    // After each user of a synchronisation (and once with 0 before the first).
    void SyncProgress(int done, int total);
    // The run's users are written and its commit starts.
    void SyncCommitting();

private:
    void LoadAreaTree();
    void LoadUserList();
    void UpdateButtons();
    // Opens the add/edit dialog; editing when userCode is given.
    void openUserDialog(bool edit);
    void synchronise();
    // Runs the synchronisation with the progress panel shown and its 取消
    // live, then tells on the status line at which user a failed run stopped
    // and on the counts line what a committed run did. A committed run is a
    // success even when the reload fails; reloadFailure then says the list
    // could not be refreshed.
    SyncRun::End runSynchronisation(SyncRun &run, QString &reloadFailure);
    // The line that says, once per window, that the database keeps no log.
    QString noSyncLogNote();
    // Runs a command's handler unless a command is already running.
    template <typename Body>
    void runCommand(Body body)
    {
        if (!Busy())
            guardEvent(body);
    }
    // Shows text on the status line; an empty text hides it.
    void showStatus(const QString &text);
    // Runs a reload after a committed change; returns the message that says the
    // list could not be refreshed, or an empty text.
    static QString afterCommit(const std::function<void()> &reload);
    void exportUserList();
    // The users the commands on several users act on: the grid's selected
    // rows in the grid's order, or the focused user when only one is selected.
    QVector<UserRef> selectedUsers() const;
    // 删除 on several selected users: one question, one transaction.
    void deleteSelectedUsers(const QVector<UserRef> &users);
    // Runs an import with the progress panel shown and its 取消 live, then
    // shows the area's list with the new users and the count on the line
    // under the panes.
    void importUsers(const ImportPlan &plan);
    // The progress panel's 取消 of a run that can still be cancelled, and the
    // same button once the run's commit has started and no cancel is heard.
    void showCancelReady();
    void showCommitting();
    // F5: the tree, the units and the list read again, the same area and user selected.
    void reloadKeepingSelection();

    // The window's parts, made in the order of the calls in the constructor,
    // which is also the order Tab moves through them.
    void buildDataSets();
    void buildToolbar(QVBoxLayout *layout);
    // The areas' tree with the box that finds an area, and the splitter that
    // sizes its pane.
    void buildTreePane(QHBoxLayout *panes);
    // The users' grid; returns the layout of its pane, where the search box goes.
    QVBoxLayout *buildGridPane(QHBoxLayout *panes);
    // Under the panes: what the last command could not do, what the last
    // synchronisation did.
    void buildStatusLines(QVBoxLayout *layout);
    // The search box over the grid, sorting and moving its columns, the
    // command keys and the grid's menu.
    void buildGridSearchAndMenu(QVBoxLayout *gridPane);
    // The panel that floats over the window while a synchronisation runs.
    void buildProgressPanel();
    TdxBarLargeButton *makeButton(const char *name, const QString &caption, int tag, int image,
                                  bool beginGroup);
    TcxGridDBColumn *makeColumn(const char *name, const QString &caption, const QString &field,
                                int width, int minWidth);

    std::unique_ptr<THRDictDataClass> FHRDictRef;
    std::unique_ptr<GridLayoutSettings> FGridLayout;
    // The trail of changes the window's commands write, and whether the
    // database keeps it (asked once when the window is shown).
    std::unique_ptr<UserAudit> FAudit = std::make_unique<UserAudit>();
    bool m_cancelRequested = false;
    bool m_toldNoSyncLog = false;
};
