// The user window's commands on several users at once: the selection they act
// on, 删除 of several users and 调整单位.
#include "UUserInfoMagFrm.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include "BusyScope.h"
#include "TcxButton.h"
#include "TcxLabel.h"
#include "TcxProgressBar.h"
#include "TcxTabControl.h"
#include "ClientDataSet.h"
#include "Field.h"
#include "LumoError.h"
#include "TcxGridDBTableView.h"
#include "TextRules.h"
#include "UGlobalFunUnt.h"
#include "UGlobalHRFunUnt.h"
#include "UGlobalValue.h"
#include "URCMSObjValueClass.h"
#include "UserBatchDeletion.h"
#include "UserDeletion.h"
#include "UserSearch.h"
#include "UserUnitMove.h"

QVector<UserRef> TUserInfoMagForm::selectedUsers() const
{
    QVector<UserRef> users;
    if (!CDSUserData->Active() || CDSUserData->IsEmpty())
        return users;
    data::Field *code = CDSUserData->FieldByName(QStringLiteral("UserCode"));
    data::Field *name = CDSUserData->FindField(QStringLiteral("UserName"));
    const QList<int> rows = grdvwGrdVwData->SelectedRecordIndexes();
    if (rows.size() < 2) {
        // One row: the focused user, as the commands on one user have always taken.
        users.append({code->AsString(), name ? name->AsString() : QString()});
        return users;
    }
    // The grid's rows are the dataset's visible rows, in the same order.
    for (const int row : rows)
        users.append({CDSUserData->valueAt(row, code->Index()).toString(),
                      name ? CDSUserData->valueAt(row, name->Index()).toString() : QString()});
    return users;
}

void TUserInfoMagForm::deleteSelectedUsers(const QVector<UserRef> &users)
{
    if (!ShowConfirm(UserBatchDeletion::question(int(users.size()))))
        return;
    UserBatchDeletion::Outcome outcome;
    try {
        BusyScope busy(this);
        UserBatchDeletion deletion(UGlobalValue::Session(), users);
        deletion.setAudit(FAudit.get());
        // Each user's guard reads 32 tables: a whole area's users take a
        // while, so the panel shows how far the run is and 取消 stays live.
        struct HidePanel
        {
            QWidget *panel;
            ~HidePanel() { ShowProgressPanel(panel, false); }
        } hide{TabCtlProgress};
        m_cancelRequested = false;
        BtnSyncCancel->setEnabled(true);
        BtnSyncCancel->setText(QStringLiteral("取消"));
        ProBar->SetPosition(0);
        ProBar->SetMax(int(users.size()));
        LblProgress->SetCaption(QStringLiteral("已处理 0 / %1").arg(users.size()));
        ShowProgressPanel(TabCtlProgress, true);
        QElapsedTimer sinceEvents;
        sinceEvents.start();
        deletion.progress = [this, &sinceEvents](int done, int total) {
            // Events once a frame: the window paints and 取消 is heard, while
            // the busy window takes no other input and its search reads nothing.
            if (sinceEvents.elapsed() >= 16 || done == total) {
                ProBar->SetPosition(done);
                LblProgress->SetCaption(QStringLiteral("已处理 %1 / %2").arg(done).arg(total));
                QCoreApplication::processEvents();
                sinceEvents.restart();
            }
            return !m_cancelRequested;
        };
        outcome = deletion.run();
    } catch (const UserBatchDeletion::Cancelled &) {
        ShowInfo(QStringLiteral("已取消删除, 没有删除任何用户。"));
        return;
    } catch (const UserDeletion::Refused &) {
        ShowInfo(QStringLiteral("删除失败!"));
        return;
    } catch (const std::exception &e) {
        // Nothing was deleted: the whole run is undone.
        ShowInfo(QStringLiteral("删除失败!原因:") + data::LumoError::of(e).cause());
        return;
    }
    QString reloadFailure;
    if (!outcome.deleted.isEmpty()) {
        BusyScope busy(this);
        reloadFailure = afterCommit([this] {
            FUserSearch->usersChanged();
            LoadUserList();
        });
    }
    ShowInfo(UserBatchDeletion::report(outcome));
    if (!reloadFailure.isEmpty())
        ShowInfo(reloadFailure);
}

void TUserInfoMagForm::BtnMoveOrgClick(QObject *)
{
    const QVector<UserRef> users = selectedUsers();
    if (users.isEmpty())
        return;
    // The units of the selected area, as the add dialog offers them: a user's
    // code is made from the area's, so a user stays within the area.
    const PickedOrganisation unit = PickOrganisation(
        QString(), QStringLiteral(" And AreaCode = ") + QuotedStr(CDSAreaData->FieldByName(QStringLiteral("AreaCode"))->AsString()));
    if (trimBlanks(unit.code).isEmpty())
        return;
    if (!ShowConfirm(UserUnitMove::question(users, unit.code, unit.name)))
        return;
    try {
        BusyScope busy(this);
        UserUnitMove move(UGlobalValue::Session(), users, unit.code);
        move.setAudit(FAudit.get());
        move.run();
    } catch (const UserUnitMove::Refused &) {
        ShowInfo(QStringLiteral("调整单位失败!"));
        return;
    } catch (const std::exception &e) {
        ShowInfo(QStringLiteral("调整单位失败!原因:") + data::LumoError::of(e).cause());
        return;
    }
    QString reloadFailure;
    {
        BusyScope busy(this);
        const QString focused = CDSUserData->FieldByName(QStringLiteral("UserCode"))->AsString();
        reloadFailure = afterCommit([this, &focused] {
            FUserSearch->usersChanged();
            LoadUserList();
            if (CDSUserData->Active())
                CDSUserData->Locate(QStringLiteral("UserCode"), focused);
        });
    }
    ShowInfo(QStringLiteral("调整单位成功!"));
    if (!reloadFailure.isEmpty())
        ShowInfo(reloadFailure);
}
