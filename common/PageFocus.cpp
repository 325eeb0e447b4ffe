#include "PageFocus.h"

#include "TcxGridDBColumn.h"
#include "TcxGridDBTableView.h"
#include "TcxGroupBox.h"
#include "TcxPageControl.h"
#include "TcxTabSheet.h"

void bringPageForward(const QWidget *control)
{
    if (!control)
        return;
    TcxTabSheet *sheet = tabSheetOf(control);
    if (!sheet) {
        if (const auto *box = qobject_cast<const TcxGroupBox *>(control->parentWidget()))
            sheet = tabSheetOf(box);
    }
    if (sheet && sheet->PageControl())
        sheet->PageControl()->SetActivePage(sheet);
}

void focusGridColumn(TcxGridDBColumn *column)
{
    if (!column)
        return;
    if (TcxGridDBTableView *view = column->GridView())
        view->Focus();
    column->Focus();
}
