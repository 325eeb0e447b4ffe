// The user window's synchronisation commands: the preview, the run with its
// progress panel and 取消, and the log of past runs. The run itself is SyncRun's.
#include "UUserInfoMagFrm.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include "BusyScope.h"
#include "ClientDataSet.h"
#include "LumoError.h"
#include "SyncLog.h"
#include "AuditLogDialog.h"
#include "SyncLogDialog.h"
#include "SyncPreview.h"
#include "SyncPreviewDialog.h"
#include "TcxButton.h"
#include "TcxLabel.h"
#include "TcxProgressBar.h"
#include "TcxTabControl.h"
#include "TdxBarManager.h"
#include "UGlobalFunUnt.h"
#include "UGlobalHRFunUnt.h"
#include "UGlobalValue.h"
#include "URCMSObjValueClass.h"
#include "UserSearch.h"

namespace {

// How often a long command lets the window paint and take input: one frame.
constexpr qint64 kEventIntervalMs = 16;

} // namespace

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
    bool start = false;
    {
        SyncPreviewDialog dialog(std::move(preview), this);
        start = dialog.exec() == QDialog::Accepted;
    }
    // The dialog and its list go before the run reads both tables again: in
    // a province the list holds hundreds of thousands of changes, and the
    // C library keeps what they freed unless told to give it back (the run
    // reads one table on another thread, whose allocations would not reuse it).
#ifdef __GLIBC__
    malloc_trim(0);
#endif
    if (start)
        BtnSyhClick(BtnSyh);
}

void TUserInfoMagForm::BtnSyhClick(QObject *)
{
    synchronise();
}

void TUserInfoMagForm::synchronise()
{
    HostSession &session = UGlobalValue::Session();
    QString outcome;
    QString logFailure;
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
            run.audit = FAudit.get();
            switch (runSynchronisation(run, reloadFailure)) {
            case SyncRun::Done: outcome = QStringLiteral("同步农合用户信息数据成功"); break;
            case SyncRun::Failed:
                outcome = QStringLiteral("同步农合用户信息数据失败!")
                    + (run.cause().isEmpty() ? QString() : QStringLiteral("原因:") + run.cause());
                break;
            case SyncRun::Cancelled: outcome = QStringLiteral("已取消同步, 数据未改变"); break;
            }
            // The outcome stands as it is; that the log lacks the run is told apart.
            if (!run.logFailure().isEmpty())
                logFailure = QStringLiteral("同步记录写入失败!原因:") + run.logFailure();
        }
    }
    ShowInfo(outcome);
    if (!logFailure.isEmpty())
        ShowInfo(logFailure);
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
    run.onBegun = [this] {
        showCancelReady();
        ShowProgressPanel(TabCtlProgress, true);
    };
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
    // A cancel can no longer be honoured once the commit starts: the button
    // says so before the commit's wait rather than taking a click it ignores.
    run.onCommitting = [this] {
        showCommitting();
        emit SyncCommitting();
    };
    run.onEnded = [this] { ShowProgressPanel(TabCtlProgress, false); };
    const SyncRun::End end = run.run();
    if (end != SyncRun::Done) {
        // The user the run stopped at is named on the status line.
        if (end == SyncRun::Failed)
            showStatus(run.failedUser()
                           ? QStringLiteral("同步农合用户信息数据失败: 用户 %1 无法同步").arg(*run.failedUser())
                           : QStringLiteral("同步农合用户信息数据失败"));
        if (!run.logged() && run.logFailure().isEmpty()) {
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
    if (!run.logged() && run.logFailure().isEmpty())
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

void TUserInfoMagForm::BtnAuditLogClick(QObject *)
{
    HostSession &session = UGlobalValue::Session();
    bool restored = false;
    try {
        std::unique_ptr<AuditLogDialog> dialog;
        {
            BusyScope busy(this);
            if (!FAudit->kept(session)) {
                ShowInfo(UserAudit::NotKept);
                return;
            }
            // Bringing a user back makes a user, as 新增 does.
            dialog = std::make_unique<AuditLogDialog>(session, *FAudit, BtnAdd->Visible() == TdxBarItemVisible::ivAlways,
                                                      this);
        }
        dialog->exec();
        restored = dialog->restoredAny();
    } catch (const data::LumoError &e) {
        ShowInfo(QStringLiteral("读取操作日志失败!原因:") + e.cause());
    }
    if (restored) {
        BusyScope busy(this);
        reloadKeepingSelection();
    }
}

void TUserInfoMagForm::showCancelReady()
{
    BtnSyncCancel->setEnabled(true);
    BtnSyncCancel->setText(QStringLiteral("取消"));
}

void TUserInfoMagForm::showCommitting()
{
    BtnSyncCancel->setEnabled(false);
    BtnSyncCancel->setText(QStringLiteral("正在提交…"));
    BtnSyncCancel->repaint();
}
