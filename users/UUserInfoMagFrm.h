#pragma once

#include "UBaseFrm.h"

class TdxBar;
class TdxBarLargeButton;
class TdxBarManager;

// The module's window: the administrative areas below the user's own area, the
// user accounts of the selected area, and the commands to add, edit, delete and
// synchronise them.
class TUserInfoMagForm : public TBaseForm
{
    Q_OBJECT

public:
    explicit TUserInfoMagForm(QWidget *parent = nullptr);

    TdxBarManager *BarMagTool = nullptr;
    TdxBar *dxbrTool = nullptr;
    TdxBarLargeButton *BtnAdd = nullptr;
    TdxBarLargeButton *BtnEdit = nullptr;
    TdxBarLargeButton *BtnDel = nullptr;
    TdxBarLargeButton *BtnSyh = nullptr;

    void FormCreate(QObject *sender) override;
    void FormShow(QObject *sender) override;
    void FormDestroy(QObject *sender) override;

private:
    TdxBarLargeButton *makeButton(const char *name, const QString &caption, int tag, int image,
                                  bool beginGroup);
};
