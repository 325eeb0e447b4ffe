// The parts of the user dialog that follow its width: the unit's code and name
// whole, the editors that end at the right edge.
#include "UUserInfoAddEditFrm.h"

#include <QResizeEvent>
#include <QScreen>

#include <algorithm>

#include "TcxDBMaskEdit.h"
#include "TcxLabel.h"
#include "TcxMaskEdit.h"
#include "TcxTabControl.h"

namespace {

constexpr int kRowHeight = 22;
// The unit row as designed: the code editor's least width, where the name
// editor ends (with the contact details) and the code in the corner stands,
// and how far from the editor area's right edge the name ends in a wider dialog.
constexpr int kOrgCodeWidth = 100;
constexpr int kOrgNameRight = 490;
constexpr int kEdt1X = 380;
constexpr int kOrgRowRightMargin = 44;
// Unit codes have twelve digits.
const QString kWidestUnitCode = QStringLiteral("000000000000");

} // namespace

void TUserInfoAddEditForm::resizeEvent(QResizeEvent *event)
{
    THREditBaseMultilistForm::resizeEvent(event);
    layoutUnitRow();
}

void TUserInfoAddEditForm::layoutUnitRow()
{
    if (!EdtOrgCode)
        return;
    const int codeWidth = std::max({kOrgCodeWidth, EdtOrgCode->WidthToShow(kWidestUnitCode),
                                    EdtOrgCode->WidthToShow(EdtOrgCode->Text())});
    EdtOrgCode->resize(codeWidth, kRowHeight);
    const int nameX = EdtOrgCode->x() + codeWidth + 2;
    const int nameRight = std::max(kOrgNameRight, TabCtlClient->width() - kOrgRowRightMargin);
    EdtOrgName->setGeometry(nameX, EdtOrgName->y(), nameRight - nameX, kRowHeight);
    lblOrgStar->move(nameRight + 4, lblOrgStar->y());
    // The contact details end with the name, and the code in the corner keeps
    // to the corner, clear of the title centred over a wider dialog.
    EdtContactType->resize(nameRight - EdtContactType->x(), kRowHeight);
    Edt1->move(nameRight - (kOrgNameRight - kEdt1X), Edt1->y());
}

void TUserInfoAddEditForm::showWholeUnitName()
{
    layoutUnitRow();
    const int missing = EdtOrgName->WidthToShow(EdtOrgName->Text()) - EdtOrgName->width();
    if (missing <= 0 || !screen())
        return;
    const QRect room = screen()->availableGeometry();
    const int margins = frameGeometry().width() - width();
    const int wanted = std::min(width() + missing, room.width() - margins);
    if (wanted <= width())
        return;
    resize(wanted, height());
    if (isVisible() && frameGeometry().right() > room.right())
        move(std::max(room.left(), room.right() - frameGeometry().width()), y());
}
