#pragma once

#include <cstddef>

// The business tables of the health-record database whose rows name the user who
// entered them (InpPerCode), in the order the deletion guard lists them; two of
// them also name the record's creator. A user named in any of them cannot be
// deleted. The host's demo data and schema checks use the same list.
struct BusinessTable
{
    const char *name;
    const char *creatorColumn;  // nullptr when the table has none
};

inline constexpr BusinessTable kBusinessTables[] = {
    {"TDict_DoctList", nullptr},         {"TData_ConsuRrdMat", nullptr},
    {"TData_MotAntFirstFolup", nullptr}, {"TData_ThreeAgePhyExa", nullptr},
    {"TData_AdmiRec", nullptr},          {"TData_HeaChecklist", nullptr},
    {"TData_MotAntFolup", nullptr},      {"TData_HypFolupVisit", nullptr},
    {"TData_OperGrpMat", nullptr},       {"TData_MotPostPartum", nullptr},
    {"TData_DMFolupVisit", nullptr},     {"TData_TwowayRefOut", nullptr},
    {"TData_TwowayRefIn", nullptr},      {"TDict_PVRVMediList", nullptr},
    {"TData_PerEIDsHis", nullptr},       {"TData_HolePerBaseInfo", nullptr},
    {"TData_PerBaseInfo", "CreaRchPerCode"}, {"TData_PVRVVaccMat", "CreaCardPerCode"},
    {"TData_VisClinicRecord", nullptr},  {"TDict_PVRVList", nullptr},
    {"TData_VisHospRecord", nullptr},    {"TData_HoleFolupVisit", nullptr},
    {"TDict_PVRVVaccDef", nullptr},      {"TData_PVRVVaccDet", nullptr},
    {"TData_PerBaseInfo_Surg", nullptr}, {"TData_PerBaseInfo_Tran", nullptr},
    {"TData_PerBaseInfo_Trau", nullptr}, {"TData_PVRVVaccExp", nullptr},
    {"TData_PerBaseInfoPH", nullptr},    {"TData_PVRVVaccSch", nullptr},
    {"TData_ThreeAgeHomVis", nullptr},   {"TData_UserRight", nullptr},
};
inline constexpr std::size_t kBusinessTableCount = sizeof(kBusinessTables) / sizeof(kBusinessTables[0]);
static_assert(kBusinessTableCount == 32, "the guard reads 32 tables");
