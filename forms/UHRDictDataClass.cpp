#include "UHRDictDataClass.h"

#include "ClientDataSet.h"
#include "UGlobalValue.h"
#include "URCMSObjValueClass.h"

THRDictDataClass::THRDictDataClass()
    : FDictData(std::make_unique<data::ClientDataSet>())
{
    LoadDict();
}

THRDictDataClass::~THRDictDataClass() = default;

void THRDictDataClass::LoadDict()
{
    FDictData->SetData(
        UGlobalValue::Session().OpenHrData(QStringLiteral("Select * From TDict_CodDatDet")));
}
