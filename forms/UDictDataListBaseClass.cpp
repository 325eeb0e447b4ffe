#include "UDictDataListBaseClass.h"

#include <memory>

#include "ClientDataSet.h"
#include "DataSource.h"
#include "Field.h"
#include "TcxDBComboBox.h"
#include "TcxDBLookupComboBox.h"
#include "TcxEditStyleController.h"
#include "TcxLookupComboBox.h"
#include "UBaseFrm.h"
#include "UGlobalFunUnt.h"
#include "UGlobalValue.h"
#include "URCMSObjValueClass.h"

namespace {

// The code that stands for "no dictionary": its list is always empty.
const QString kNoDictionary = QStringLiteral("99999");

} // namespace

TDictDataListBaseClass::TDictDataListBaseClass()
    : FDataSet(std::make_unique<data::ClientDataSet>()),
      FDataSource(std::make_unique<data::DataSource>()),
      FKeyFieldName(QStringLiteral("ItemName")),
      FListFieldName(QStringLiteral("ItemName"))
{
    FDataSource->SetDataSet(FDataSet.get());
}

TDictDataListBaseClass::~TDictDataListBaseClass()
{
    // The dataset goes first, then its data source; bound editors are left
    // alone (their list source is a guarded pointer).
    m_alive.reset();
    FDataSet.reset();
    FDataSource.reset();
}

void TDictDataListBaseClass::BindEdit(int code, QObject *editor)
{
    FDictCode = QString::number(code);

    const std::weak_ptr<int> alive = m_alive;
    auto checkTypedItem = [this, alive](QObject *sender) {
        if (alive.lock())
            guardEvent([&] { CheckTypedItem(sender); });
    };

    if (editor) {
        if (auto *dbLookup = qobject_cast<TcxDBLookupComboBox *>(editor)) {
            dbLookup->OnExit = checkTypedItem;
            FEdit = dbLookup;
            SetupEdit();
        } else if (auto *lookup = qobject_cast<TcxLookupComboBox *>(editor)) {
            FEdit = lookup;
            SetupEdit();
        } else if (auto *dbCombo = qobject_cast<TcxDBComboBox *>(editor)) {
            dbCombo->OnExit = checkTypedItem;
            FEdit = dbCombo;
        } else {
            ShowInfo(QStringLiteral("绑定非法的Combox对象!请绑定Lookupcombox对象!"));
        }
    }
    LoadItems();
}

void TDictDataListBaseClass::SetupEdit()
{
    if (auto *lookup = qobject_cast<TcxCustomLookupComboBox *>(FEdit.data())) {
        lookup->SetListSource(FDataSource.get());
        lookup->SetListFieldNames(FListFieldName);
        lookup->SetKeyFieldNames(FKeyFieldName);
        lookup->SetShowHeader(false);
        lookup->SetDropDownListStyle(lsEditList);
    }
    if (auto *lookup = qobject_cast<TcxCustomLookupComboBox *>(FEdit.data()))
        lookup->SetDropDownListStyle(lsEditList);
    else if (auto *combo = qobject_cast<TcxCustomComboBox *>(FEdit.data()))
        combo->SetDropDownListStyle(lsEditList);
}

void TDictDataListBaseClass::LoadItems()
{
    if (FDictCode == kNoDictionary) {
        FSql = QStringLiteral("Select ItemID, ItemName From TDict_CodDatDet Where 1=2 ");
    } else {
        FSql = QStringLiteral("Select ItemID, ItemName From TDict_CodDatDet Where DatCodID  = ")
               + FDictCode + QStringLiteral(" And IsStop = ") + QuotedStr(QStringLiteral("2"));
    }
    FDataSet->SetData(UGlobalValue::Session().OpenRcmsData(FSql));

    if (auto *combo = qobject_cast<TcxDBComboBox *>(FEdit.data())) {
        combo->ClearItems();
        FDataSet->First();
        while (!FDataSet->Eof()) {
            combo->AddItem(FDataSet->FieldByName(FKeyFieldName)->AsString());
            FDataSet->Next();
        }
    }
}

void TDictDataListBaseClass::CheckTypedItem(QObject *sender)
{
    auto *edit = qobject_cast<TcxCustomTextEdit *>(sender);
    if (!edit)
        return;
    const QString text = edit->Text();
    if (trimBlanks(text).isEmpty())
        return;
    if (FDataSet->Active() && FDataSet->Locate(FKeyFieldName, text, data::loCaseInsensitive))
        return;
    edit->SetEditValue(QStringLiteral(""));
    edit->PostEditValue();
}
