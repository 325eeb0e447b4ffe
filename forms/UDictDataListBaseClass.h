#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>

class TcxCustomEdit;
namespace data {
class ClientDataSet;
class DataSource;
} // namespace data

// Binds drop-down editors to one dictionary of TDict_CodDatDet on the RCMS
// database: reads the dictionary's items and makes them the editor's list.
// Lookup editors read the list through DataSource(); a plain data-aware combo
// box gets the item names copied into its items. Key and list field are both
// "ItemName", so a bound editor stores the item's name, not its ItemID.
//
// One binder per dialog; it can be rebound any number of times. Every binding
// re-reads the items into the same dataset, so a lookup editor bound earlier
// shows the list of the latest binding.
class TDictDataListBaseClass
{
public:
    TDictDataListBaseClass();
    virtual ~TDictDataListBaseClass();
    TDictDataListBaseClass(const TDictDataListBaseClass &) = delete;
    TDictDataListBaseClass &operator=(const TDictDataListBaseClass &) = delete;

    // An extension point for descendants; nothing in the module calls it.
    virtual void Initialize() {}

    // Binds editor (a TcxDBLookupComboBox, TcxLookupComboBox or TcxDBComboBox;
    // anything else is refused with a message) to dictionary code, then loads
    // the items, also for a null or refused editor. Data-aware editors get
    // CheckTypedItem as their OnExit handler, replacing the one they had.
    void BindEdit(int code, QObject *editor);

    // Points a lookup editor at the item list; every drop-down gets the
    // edit-list style (typing as well as picking).
    virtual void SetupEdit();

    // Builds the item query, reads the items and fills a plain combo box.
    virtual void LoadItems();

    // On leaving an editor: a text that names no item (letter case ignored) is
    // cleared and the empty value written to the bound field at once; a blank
    // text and an item's name are left as they are.
    void CheckTypedItem(QObject *sender);

    QString Sql() const { return FSql; }
    data::ClientDataSet *DataSet() const { return FDataSet.get(); }
    data::DataSource *DataSource() const { return FDataSource.get(); }
    TcxCustomEdit *Edit() const { return FEdit; }
    QString KeyFieldName() const { return FKeyFieldName; }
    QString ListFieldName() const { return FListFieldName; }
    QString DictCode() const { return FDictCode; }

protected:
    QString FSql;
    std::unique_ptr<data::ClientDataSet> FDataSet;
    std::unique_ptr<data::DataSource> FDataSource;
    // The editor bound last. Not owned; a guarded pointer, because the editor
    // may go before the binder does.
    QPointer<TcxCustomEdit> FEdit;
    QString FKeyFieldName;
    QString FListFieldName;
    QString FDictCode;

private:
    // Editors keep their OnExit handler after the binder is gone (a dialog
    // frees its binder in FormDestroy, before its editors, which may still
    // lose the focus); the handler checks this token first.
    std::shared_ptr<int> m_alive = std::make_shared<int>(0);
};
