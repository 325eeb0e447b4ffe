// CheckDateRange: a date may not lie after the upper bound (today unless
// given) nor before the lower bound; the user is told which and taken there.

#include "UGlobalHRFunUnt.h"

#include <QDate>
#include <QDateTime>
#include <QRegularExpression>
#include <QWidget>

#include "ClientDataSet.h"
#include "Field.h"
#include "LumoError.h"
#include "PageFocus.h"
#include "TcxCustomDateEdit.h"
#include "TcxEditStyleController.h"
#include "TcxGridDBColumn.h"
#include "TcxGridDBTableView.h"
#include "UGlobalFunUnt.h"

namespace {

const QString kTryAgain = QStringLiteral("!请重新输入!");

// Bound texts are year-month-day with "-" (the module's own date texts, and
// the database's). A time of day after the date is allowed and ignored: a
// birthday read from a date-time column comes with one, and the bounds are
// dates.
QDate dateOfText(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral(
        "^(\\d{4})-(\\d{1,2})-(\\d{1,2})(?:[ T]\\d{1,2}:\\d{1,2}(?::\\d{1,2}(?:\\.\\d{1,3})?)?)?$"));
    const QRegularExpressionMatch match = pattern.match(trimBlanks(text));
    QDate date;
    if (match.hasMatch())
        date = QDate(match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt());
    if (!date.isValid())
        throw data::LumoError(QStringLiteral("'%1' 不是有效的日期").arg(text));
    return date;
}

QDate upperBound(const QString &maxDateText)
{
    return dateOfText(trimBlanks(maxDateText).isEmpty() ? NowText(false) : maxDateText);
}

bool hasLowerBound(const QString &minDateText)
{
    return !trimBlanks(minDateText).isEmpty();
}

bool checkColumn(TcxGridDBColumn *column, const QString &minDateText, const QString &minMessage,
                 const QString &maxDateText, const QString &maxName, QWidget *focusControl)
{
    TcxGridDBTableView *view = column->GridView();
    data::ClientDataSet *dataSet = view ? view->DataSet() : nullptr;
    if (!dataSet)
        throw data::LumoError(QStringLiteral("表格列 %1 没有数据集").arg(column->Caption()));
    const data::Field *field = dataSet->FieldByName(column->FieldName());
    if (field->IsNull() || field->AsString().isEmpty())
        return true;
    const QDateTime value = field->AsDateTime();

    // The bounds are dates without a time of day: today 10:00 lies after
    // "today", and a value equal to the lower bound passes.
    QString message;
    if (value > upperBound(maxDateText).startOfDay())
        message = column->Caption() + QStringLiteral("不能大于") + maxName + kTryAgain;
    else if (hasLowerBound(minDateText) && dateOfText(minDateText).startOfDay() > value)
        message = column->Caption() + minMessage + kTryAgain;
    else
        return true;

    ShowInfo(message);
    focusGridColumn(column);
    if (focusControl) {
        bringPageForward(focusControl);
        focusControl->setFocus(Qt::OtherFocusReason);
    }
    return false;
}

bool checkDateEdit(TcxCustomDateEdit *edit, const QString &minDateText,
                   TcxEditStyleController *errorStyle, const QString &minMessage,
                   const QString &maxDateText, const QString &maxName)
{
    // An empty editor is compared as the toolkit's null date, which lies
    // before any lower bound.
    QDate date = edit->Date();
    if (!date.isValid())
        date = TcxCustomDateEdit::nullDate();

    QString message;
    if (date > upperBound(maxDateText))
        message = edit->Hint() + QStringLiteral("不能大于") + maxName + kTryAgain;
    else if (hasLowerBound(minDateText) && dateOfText(minDateText) > date)
        message = edit->Hint() + minMessage + kTryAgain;
    else
        return true;

    ShowInfo(message);
    bringPageForward(edit);
    edit->SetStyleController(errorStyle);
    edit->SetFocus();
    return false;
}

} // namespace

bool CheckDateRange(QObject *control, const QString &minDateText,
                    TcxEditStyleController *errorStyle, const QString &minMessage,
                    const QString &maxDateText, const QString &maxName,
                    QWidget *focusControl)
{
    if (!control)
        return true;
    if (auto *column = qobject_cast<TcxGridDBColumn *>(control))
        return checkColumn(column, minDateText, minMessage, maxDateText, maxName, focusControl);
    if (auto *edit = qobject_cast<TcxCustomDateEdit *>(control))
        return checkDateEdit(edit, minDateText, errorStyle, minMessage, maxDateText, maxName);
    throw data::LumoError(QStringLiteral("%1 不是日期编辑框或表格列").arg(control->objectName()));
}
