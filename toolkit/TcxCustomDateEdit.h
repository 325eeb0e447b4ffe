#pragma once

#include <QDate>
#include <QString>

#include "TcxCustomEdit.h"

class QDateEdit;

// A date editor over a QDateEdit with a calendar drop-down and an empty state:
// EditValue is a QDate, or null while the editor is empty. Delete or Backspace
// over the whole text empties it.
class TcxCustomDateEdit : public TcxCustomEdit
{
    Q_OBJECT

public:
    explicit TcxCustomDateEdit(QWidget *parent = nullptr);

    // Invalid when empty.
    QDate Date() const;
    void SetDate(const QDate &date);  // an invalid date empties the editor

    // Display text ("yyyy-MM-dd"); empty when empty.
    QString Text() const;
    QString EditText() const { return Text(); }

    QVariant EditValue() const override;
    void SetEditValue(const QVariant &value) override;  // QDate, QDateTime, date text or null

    QDateEdit *dateEdit() const { return m_dateEdit; }

    // The date the inner widget holds while the editor is empty.
    static QDate nullDate();

protected:
    void showField(data::Field *field);
    void applyReadOnly(bool readOnly) override;
    QString styleClass() const override { return QStringLiteral("QDateEdit"); }

private:
    void showDate(const QDate &date);

    QDateEdit *m_dateEdit = nullptr;
    bool m_settingDate = false;
};
