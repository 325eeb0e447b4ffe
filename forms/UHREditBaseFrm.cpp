#include "UHREditBaseFrm.h"

#include <QFont>
#include <QResizeEvent>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QWheelEvent>

#include "ClientDataSet.h"
#include "DataSource.h"
#include "LumoError.h"
#include "TcxCustomDateEdit.h"
#include "TcxGridDBTableView.h"
#include "TcxGroupBox.h"
#include "TcxLabel.h"
#include "TcxTabControl.h"
#include "TextRules.h"
#include "ToolkitColors.h"
#include "UGlobalFunUnt.h"
#include "UGlobalHRFunUnt.h"
#include "UGlobalValue.h"
#include "URCMSObjValueClass.h"

namespace {

// Room kept for the vertical scroll bar of the editor area.
constexpr int kScrollBarRoom = 16;

} // namespace

THREditBaseForm::THREditBaseForm(QWidget *parent) : TEditBaseForm(parent)
{
    setObjectName(QStringLiteral("HREditBaseForm"));
    setWindowTitle(QStringLiteral("健康档案单据保存记录"));
    resize(width(), 613);

    // The editor area keeps the size the resize layout (FormCanResize) gives it
    // and scrolls when the window is smaller.
    scrlbxBack->setWidgetResizable(false);
    // The layout never makes the editor area wider than the box but for the
    // 16 pixels it adds when the box is taller than the area; scrolling
    // sideways would only uncover that strip.
    scrlbxBack->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    TabCtlClient->resize(626, 549);

    lblMasterLab = new TcxLabel(QStringLiteral("标题"), TabCtlClient);
    lblMasterLab->setObjectName(QStringLiteral("lblMasterLab"));
    QFont titleFont(QStringLiteral("华文中宋"));
    titleFont.setPixelSize(24);
    lblMasterLab->setFont(titleFont);
    lblMasterLab->SetTextColor(clWindowText());
    lblMasterLab->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    lblMasterLab->SetTransparent(true);
    lblMasterLab->setGeometry(0, 0, TabCtlClient->width(), 36);

    TabCtlBot = new TcxTabControl(this);
    TabCtlBot->setObjectName(QStringLiteral("TabCtlBot"));
    TabCtlBot->setFixedHeight(37);
    QFont barFont(QStringLiteral("宋体"));
    barFont.setPixelSize(13);
    TabCtlBot->setFont(barFont);
    auto *barLayout = new QVBoxLayout(TabCtlBot);
    barLayout->setContentsMargins(0, 0, 0, 0);
    if (auto *formLayout = qobject_cast<QVBoxLayout *>(layout()))
        formLayout->addWidget(TabCtlBot);

    dsAreaLst = new data::DataSource(this);
    dsAreaLst->setObjectName(QStringLiteral("dsAreaLst"));
    dsAreaLst->SetDataSet(FCDSDetail);

    OnMouseWheel = [this](QObject *sender, Qt::KeyboardModifiers shift, int delta, QPoint pos,
                          bool &handled) { FormMouseWheel(sender, shift, delta, pos, handled); };
    OnCanResize = [this](QObject *sender, int &w, int &h, bool &resize) {
        FormCanResize(sender, w, h, resize);
    };
}

THREditBaseForm::~THREditBaseForm() = default;

// ---- handlers -------------------------------------------------------------------------

void THREditBaseForm::FormCreate(QObject *sender)
{
    TEditBaseForm::FormCreate(sender);
    // OK and Cancel move into the bar below the scrolling area, so they stay in
    // view however far the editors are scrolled.
    if (QLayout *clientLayout = TabCtlClient->layout())
        clientLayout->removeWidget(cxGroupBox4);
    cxGroupBox4->setParent(TabCtlBot);
    TabCtlBot->layout()->addWidget(cxGroupBox4);
    cxGroupBox4->show();
}

void THREditBaseForm::FormShow(QObject *sender)
{
    TEditBaseForm::FormShow(sender);
    scrlbxBack->verticalScrollBar()->setValue(0);
    TabCtlClient->move(TabCtlClient->x(), 0);
}

void THREditBaseForm::FormMouseWheel(QObject *, Qt::KeyboardModifiers, int wheelDelta, QPoint,
                                     bool &)
{
    // One line per wheel event, whatever the size of the step.
    scrlbxBack->scrollOneLine(wheelDelta < 0);
}

void THREditBaseForm::FormCanResize(QObject *, int &, int &, bool &)
{
    const int boxWidth = scrlbxBack->width();
    const int boxHeight = scrlbxBack->height();
    TabCtlClient->resize(boxWidth - kScrollBarRoom, TabCtlClient->height());
    if (boxHeight > TabCtlClient->height())
        TabCtlClient->resize(boxWidth + kScrollBarRoom, boxHeight);
    if (!lblMasterLab->isHidden()) {
        // Stretched across the top of its parent, then free with those bounds.
        QWidget *parent = lblMasterLab->parentWidget();
        lblMasterLab->setGeometry(0, 0, parent ? parent->width() : lblMasterLab->width(),
                                  lblMasterLab->height());
        if (FTitleAlignCtl) {
            lblMasterLab->resize(FTitleAlignCtl->width(), lblMasterLab->height());
            lblMasterLab->move(FTitleAlignCtl->x(), lblMasterLab->y());
        }
    }
}

void THREditBaseForm::grdvwFamLstCustomDrawIndicatorCell(TcxGridDBTableView *, QPainter *canvas,
                                                         const TcxIndicatorCellInfo &viewInfo,
                                                         bool &done)
{
    if (!viewInfo.IsDataRow)
        return;
    TcxGridDBTableView::DrawHeaderCell(canvas, viewInfo.Bounds,
                                       QString::number(viewInfo.RecordIndex + 1),
                                       viewInfo.Focused, viewInfo.Font, viewInfo.TextColor,
                                       viewInfo.BrushColor);
    done = true;
}

void THREditBaseForm::wheelEvent(QWheelEvent *event)
{
    if (!OnMouseWheel) {
        TEditBaseForm::wheelEvent(event);
        return;
    }
    event->accept();
    guardEvent([&] {
        bool handled = false;
        OnMouseWheel(this, event->modifiers(), event->angleDelta().y(),
                     event->position().toPoint(), handled);
    });
}

void THREditBaseForm::resizeEvent(QResizeEvent *event)
{
    TEditBaseForm::resizeEvent(event);
    if (OnCanResize) {
        guardEvent([&] {
            int newWidth = event->size().width();
            int newHeight = event->size().height();
            bool resize = true;
            OnCanResize(this, newWidth, newHeight, resize);
        });
    } else {
        // Unbound: the editor area simply fills the scroll box.
        TabCtlClient->resize(scrlbxBack->maximumViewportSize());
    }
}

// ---- loading and saving ------------------------------------------------------------------

void THREditBaseForm::LoadData()
{
    openKeyedStatement(FMasterSql, FCDSMaster, dsMaster, true);
    if (!trimBlanks(FDetailSql).isEmpty())
        openKeyedStatement(FDetailSql, FCDSDetail, dsDetail, true);
    finishLoad();
}

bool THREditBaseForm::CheckData()
{
    if (!TEditBaseForm::CheckData())
        return false;
    if (!FPersonSource)
        return true;
    data::ClientDataSet *person = FPersonSource->DataSet();
    if (!person)
        throw data::LumoError(QStringLiteral("人员数据源没有数据集, 无法读取出生日期"));
    const QString birthday = person->FieldByName(QStringLiteral("Birthday"))->AsString();
    return CheckDateRange(FCheckDateEdit.data(), birthday, StyCtlError,
                          QStringLiteral("不能小于人员的出生日期"), QString(),
                          QStringLiteral("系统当前日期"), nullptr);
}

void THREditBaseForm::AssignNewKey()
{
    if (FIsEdit)
        return;
    FKeyValue = requireKey(NewHrKeyValue(FMasterTable, FPKeyField, QStringLiteral("OrgCode"), true));
    FSaveSql = withNewKey(FSaveSql, FNewKeyAt, FKeyValue);
    FNewKeyAt.clear();
}

// On the health-record database the transaction begins before the key is made
// and the statement built; BuildSaveSql both builds and executes inside it.
bool THREditBaseForm::SaveData()
{
    if (!loaded() || !CheckData())
        return false;
    HostSession &session = UGlobalValue::Session();
    try {
        if (!FillStampFields())
            raiseOperateError();
        if (!CheckBeforeSave())
            raiseOperateError();
        session.BeginHrTrans();
        AssignNewKey();
        if (!BuildSaveSql())
            raiseOperateError();
        session.CommitHrTrans();
        return finishSave();
    } catch (const std::exception &e) {
        noteFailureCause(e);
        session.RollbackHrTrans();
        reportSaveFailure();
        return false;
    }
}
