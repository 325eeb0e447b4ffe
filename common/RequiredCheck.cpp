// CheckRequired: the one place that decides whether a required item of a
// dialog is filled and, when it is not, tells the user which one.

#include "UGlobalFunUnt.h"

#include <QWidget>

#include "ClientDataSet.h"
#include "Field.h"
#include "LumoError.h"
#include "PageFocus.h"
#include "TcxCustomEdit.h"
#include "TcxCustomMaskEdit.h"
#include "TcxCustomTextEdit.h"
#include "TcxEditStyleController.h"
#include "TcxGridDBColumn.h"

namespace {

const QString kCannotBeEmpty = QStringLiteral("不能为空!");

bool columnFilled(data::ClientDataSet *dataSet, const TcxGridDBColumn &column)
{
    if (!dataSet)
        throw data::LumoError(QStringLiteral("没有数据集, 无法检查 %1").arg(column.Caption()));
    const data::Field *field = dataSet->FieldByName(column.FieldName());
    return !field->IsNull() && !field->AsString().isEmpty();
}

// The kinds are tested from the most to the least specific: a mask editor's
// value may be set while its text is empty (an incomplete mask), and only the
// text counts; a text editor that holds blanks is filled (nothing is trimmed).
bool editorFilled(const TcxCustomEdit &edit)
{
    if (const auto *mask = qobject_cast<const TcxCustomMaskEdit *>(&edit))
        return !mask->EditValue().isNull() && !mask->EditText().isEmpty();
    if (const auto *text = qobject_cast<const TcxCustomTextEdit *>(&edit))
        return !text->Text().isEmpty();
    const QVariant value = edit.EditValue();
    if (value.isNull())
        return false;
    return !(value.typeId() == QMetaType::QString && value.toString().isEmpty());
}

} // namespace

bool CheckRequired(data::ClientDataSet *dataSet, QObject *item,
                   TcxEditStyleController *errorStyle, TcxEditStyleController *normalStyle,
                   QWidget *gridControl)
{
    if (auto *column = qobject_cast<TcxGridDBColumn *>(item)) {
        if (columnFilled(dataSet, *column))
            return false;
        // Without the grid control there is no page to bring forward and
        // nothing to hand the focus to; the message still names the column.
        bringPageForward(gridControl);
        ShowInfo(column->Caption() + kCannotBeEmpty);
        focusGridColumn(column);
        if (gridControl)
            gridControl->setFocus(Qt::OtherFocusReason);
        return true;
    }

    auto *edit = qobject_cast<TcxCustomEdit *>(item);
    if (!edit) {
        throw data::LumoError(QStringLiteral("必填项 %1 不是编辑框或表格列")
                                  .arg(item ? item->objectName() : QStringLiteral("(无)")));
    }
    if (editorFilled(*edit))
        return false;

    bringPageForward(edit);
    if (errorStyle || normalStyle)
        edit->SetStyleController(errorStyle);
    ShowInfo(edit->Hint() + kCannotBeEmpty);
    edit->SetFocus();
    return true;
}
