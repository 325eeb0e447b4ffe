#pragma once

#include <QStringList>

#include "TcxCustomMaskEdit.h"

class QComboBox;

// A drop-down editor over a QComboBox with a list of texts (Properties.Items).
// With lsEditList the user may type any text as well as pick; with lsFixedList
// only pick. Its edit value is the text (null while it shows no value).
class TcxCustomComboBox : public TcxCustomMaskEdit
{
    Q_OBJECT

public:
    explicit TcxCustomComboBox(QWidget *parent = nullptr);

    QStringList Items() const;
    void SetItems(const QStringList &items);
    void ClearItems();
    void AddItem(const QString &item);

    TcxEditDropDownListStyle DropDownListStyle() const { return m_listStyle; }
    void SetDropDownListStyle(TcxEditDropDownListStyle style);

    // Index of the shown text in Items(); -1 when it is none of them.
    int ItemIndex() const;
    void SetItemIndex(int index);

    QString Text() const override;

    QComboBox *comboBox() const { return m_combo; }

protected:
    void showText(const QString &text) override;
    void applyReadOnly(bool readOnly) override;
    QString styleClass() const override { return QStringLiteral("QComboBox"); }

private:
    void hookLineEdit();
    void showTextFrom(const QString &before, const QString &text);

    QComboBox *m_combo = nullptr;
    TcxEditDropDownListStyle m_listStyle = lsEditList;
};
