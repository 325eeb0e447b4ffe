#pragma once

#include <QString>

#include "TcxCustomEdit.h"

class QLineEdit;

// A one-line text editor over a QLineEdit. Its edit value is the text, or null
// while it shows "no value" (set null, or a null field) and the user has not
// typed since.
class TcxCustomTextEdit : public TcxCustomEdit
{
    Q_OBJECT

public:
    explicit TcxCustomTextEdit(QWidget *parent = nullptr);

    virtual QString Text() const;
    virtual void SetText(const QString &text);
    // The raw text as it stands in the editor.
    virtual QString EditText() const { return Text(); }

    // Properties.Alignment.Horz.
    Qt::Alignment Alignment() const { return m_alignment; }
    void SetAlignment(Qt::Alignment alignment);

    // Properties.MaxLength; 0 = unlimited.
    int MaxLength() const { return m_maxLength; }
    void SetMaxLength(int length);

    QVariant EditValue() const override;
    void SetEditValue(const QVariant &value) override;

    // The line edit the user types into; nullptr when there is none (a combo
    // box that only picks).
    QLineEdit *lineEdit() const { return m_lineEdit; }
    // The width the line edit has for text: inside its frame or style-sheet
    // border, its text margins and the margin Qt keeps at either end.
    int TextRoom() const;
    // The editor's width at which text shows whole, in its current look.
    int WidthToShow(const QString &text) const;

protected:
    struct NoInnerWidget {};
    // For descendants that install their own inner widget.
    TcxCustomTextEdit(QWidget *parent, NoInnerWidget);

    // Hooks a line edit (the inner widget itself or a part of it).
    // trackText: the line edit's own textChanged reports changes (descendants
    // that report them from their inner widget pass false).
    void setLineEdit(QLineEdit *lineEdit, bool trackText = true);
    // Puts text into the editor as a value set by code (not a user change).
    virtual void showText(const QString &text);
    // The text of a value: dates as yyyy-MM-dd, date-times with hh:mm:ss.
    static QString textOfValue(const QVariant &value);
    void showField(data::Field *field);
    // Called by descendants when the text changed; user tells who changed it.
    void textChangedBy(bool user);

    void applyReadOnly(bool readOnly) override;
    QString styleClass() const override { return QStringLiteral("QLineEdit"); }

    bool m_null = true;
    bool m_settingText = false;

private:
    QLineEdit *m_lineEdit = nullptr;
    Qt::Alignment m_alignment = Qt::AlignLeft;
    int m_maxLength = 0;
};
