#include "UUserInfoMagFrm.h"

#include <QVBoxLayout>

#include "TdxBarManager.h"
#include "UGlobalValue.h"
#include "URCMSObjValueClass.h"

TUserInfoMagForm::TUserInfoMagForm(QWidget *parent) : TBaseForm(parent)
{
    setObjectName(QStringLiteral("UserInfoMagForm"));
    setWindowTitle(QStringLiteral("医疗服务单位设置"));
    setGeometry(32, -5, 1350, 780);

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
    layout->addStretch(1);
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

void TUserInfoMagForm::FormCreate(QObject *sender)
{
    TBaseForm::FormCreate(sender);
    FRightControls->append(BtnAdd);
    FRightControls->append(BtnEdit);
    FRightControls->append(BtnDel);
    FRightControls->append(BtnSyh);
}

void TUserInfoMagForm::FormShow(QObject *sender)
{
    TBaseForm::FormShow(sender);
    BarMagTool->SetLargeImages(UGlobalValue::Session().Images);
    const bool anyVisible = BtnAdd->Visible() == TdxBarItemVisible::ivAlways
        || BtnEdit->Visible() == TdxBarItemVisible::ivAlways
        || BtnDel->Visible() == TdxBarItemVisible::ivAlways
        || BtnSyh->Visible() == TdxBarItemVisible::ivAlways;
    dxbrTool->SetVisible(anyVisible);
}

void TUserInfoMagForm::FormDestroy(QObject *sender)
{
    TBaseForm::FormDestroy(sender);
}
