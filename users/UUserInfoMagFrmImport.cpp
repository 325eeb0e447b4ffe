// The user window's 批量导入: the dialog that previews a file, then the run
// with the progress panel and 取消. The checks and the run are users/import's.
#include "UUserInfoMagFrm.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include "BusyScope.h"
#include "ClientDataSet.h"
#include "Field.h"
#include "ImportCheck.h"
#include "ImportDialog.h"
#include "TcxButton.h"
#include "TcxLabel.h"
#include "TcxProgressBar.h"
#include "TcxTabControl.h"
#include "UGlobalFunUnt.h"
#include "UGlobalHRFunUnt.h"
#include "UGlobalValue.h"
#include "URCMSObjValueClass.h"
#include "UUserInfoAddEditFrm.h"
#include "UserImport.h"
#include "UserSearch.h"

void TUserInfoMagForm::BtnImportClick(QObject *)
{
    if (!CDSAreaData->Active() || CDSAreaData->IsEmpty())
        return;
    // The area as the add dialog gets it: its units by AreaCode, the codes from StaAreaCode.
    ImportArea area;
    area.areaCode = CDSAreaData->FieldByName(QStringLiteral("AreaCode"))->AsString();
    area.staAreaCode = CDSAreaData->FieldByName(QStringLiteral("StaAreaCode"))->AsString();
    area.name = CDSAreaData->FieldByName(QStringLiteral("AreaName"))->AsString();
    ImportDialog dialog(UGlobalValue::Session(), area, this);
    if (dialog.exec() == QDialog::Accepted)
        importUsers(dialog.plan());
}

void TUserInfoMagForm::importUsers(const ImportPlan &plan)
{
    UserImport::Result result;
    {
        BusyScope busy(this);
        struct HidePanel
        {
            QWidget *panel;
            ~HidePanel() { ShowProgressPanel(panel, false); }
        } hide{TabCtlProgress};
        showStatus(QString());
        lblSyncCounts->hide();
        UserImport run(UGlobalValue::Session(), plan, TUserInfoAddEditForm::InitialPassword);
        run.audit = FAudit.get();
        m_cancelRequested = false;
        QElapsedTimer sinceEvents;
        run.onProgress = [this, &sinceEvents](int done, int total) {
            if (done == 0) {
                showCancelReady();
                ProBar->SetPosition(0);
                ProBar->SetMax(total);
                LblProgress->SetCaption(QStringLiteral("已处理 0 / %1").arg(total));
                ShowProgressPanel(TabCtlProgress, true);
                sinceEvents.start();
                return;
            }
            // Events once a frame and at the end: the window paints and 取消
            // is heard, while the busy window takes no other input.
            if (sinceEvents.elapsed() >= 16 || done == total) {
                ProBar->SetPosition(done);
                LblProgress->SetCaption(QStringLiteral("已处理 %1 / %2").arg(done).arg(total));
                QCoreApplication::processEvents();
                sinceEvents.restart();
            }
        };
        run.cancelRequested = [this] { return m_cancelRequested; };
        run.onCommitting = [this] { showCommitting(); };
        result = run.run();
    }
    if (result.end == UserImport::Cancelled) {
        ShowInfo(QStringLiteral("已取消导入, 数据未改变"));
        return;
    }
    if (result.end == UserImport::Failed) {
        if (result.failedLine > 0)
            showStatus(QStringLiteral("导入失败: 文件第 %1 行的用户无法导入").arg(result.failedLine));
        ShowInfo(QStringLiteral("导入失败!原因:") + result.cause);
        return;
    }
    // Committed: the users are there, whatever the reload does.
    QString reloadFailure;
    {
        BusyScope busy(this);
        const QVector<ImportUser> added = plan.toAdd();
        reloadFailure = afterCommit([this, &added] {
            FUserSearch->usersChanged();
            LoadUserList();
            if (!added.isEmpty() && CDSUserData->Active())
                CDSUserData->Locate(QStringLiteral("UserCode"), added.first().userCode);
        });
    }
    lblSyncCounts->SetCaption(QStringLiteral("已导入 %1 个用户").arg(result.added));
    lblSyncCounts->show();
    if (!reloadFailure.isEmpty())
        ShowInfo(reloadFailure);
}
