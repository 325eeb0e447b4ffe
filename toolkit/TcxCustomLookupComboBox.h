#pragma once

#include <QString>

#include "DataSource.h"
#include "DataSourceLink.h"
#include "TcxCustomMaskEdit.h"
#include "TcxLookupIndex.h"

class QComboBox;
class TcxLookupListModel;

// A drop-down editor whose list comes from a dataset (Properties.ListSource):
// the list shows ListFieldNames, picking a row makes its KeyFieldNames value the
// edit value. With lsEditList the user may also type: a text that equals an
// item's list text (ignoring letter case) selects that item, any other text is
// kept as typed and is itself the edit value.
class TcxCustomLookupComboBox : public TcxCustomMaskEdit
{
    Q_OBJECT

public:
    explicit TcxCustomLookupComboBox(QWidget *parent = nullptr);
    ~TcxCustomLookupComboBox() override;

    data::DataSource *ListSource() const { return m_list.source(); }
    void SetListSource(data::DataSource *source);
    QString ListFieldNames() const { return m_index.listFieldNames(); }
    void SetListFieldNames(const QString &names);
    QString KeyFieldNames() const { return m_index.keyFieldNames(); }
    void SetKeyFieldNames(const QString &names);
    // ListOptions.ShowHeader.
    bool ShowHeader() const { return m_showHeader; }
    void SetShowHeader(bool show);
    TcxEditDropDownListStyle DropDownListStyle() const { return m_listStyle; }
    void SetDropDownListStyle(TcxEditDropDownListStyle style);

    QString Text() const override;
    QVariant EditValue() const override;
    void SetEditValue(const QVariant &value) override;

    // Row of the list dataset that the edit value names; -1 when none.
    int ItemIndex() const;
    void SetItemIndex(int row);

    QComboBox *comboBox() const { return m_combo; }

protected:
    void showText(const QString &text) override;
    void showField(data::Field *field);
    void applyReadOnly(bool readOnly) override;
    QString styleClass() const override { return QStringLiteral("QComboBox"); }

private:
    void listChanged();
    void hookLineEdit();
    void showValue(const QVariant &value);
    void userPicked(int row);
    void userTyped(const QString &text);

    QComboBox *m_combo = nullptr;
    TcxLookupListModel *m_model = nullptr;
    DataSourceLink m_list;
    TcxLookupIndex m_index;
    QVariant m_value;
    bool m_showHeader = true;
    bool m_showing = false;
    TcxEditDropDownListStyle m_listStyle = lsEditList;
};
