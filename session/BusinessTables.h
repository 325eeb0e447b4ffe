#pragma once

#include <cstddef>

// The business tables of the health-record database whose rows name the user who
// entered them (InpPerCode), in the order the deletion guard lists them; two of
// them also name the record's creator. A user named in any of them cannot be
// deleted. The host's demo data and schema checks use the same list, and the
// report of a user's records names each table by its caption.
struct BusinessTable
{
    const char *name;
    const char *creatorColumn;  // nullptr when the table has none
    const char *caption;        // the table's name as a person reads it (UTF-8)
};

inline constexpr BusinessTable kBusinessTables[] = {
    {"TDict_DoctList", nullptr, "医生名册"},
    {"TData_ConsuRrdMat", nullptr, "会诊记录"},
    {"TData_MotAntFirstFolup", nullptr, "第一次产前随访"},
    {"TData_ThreeAgePhyExa", nullptr, "儿童健康检查"},
    {"TData_AdmiRec", nullptr, "接诊记录"},
    {"TData_HeaChecklist", nullptr, "健康体检表"},
    {"TData_MotAntFolup", nullptr, "产前随访"},
    {"TData_HypFolupVisit", nullptr, "高血压随访"},
    {"TData_OperGrpMat", nullptr, "团体活动记录"},
    {"TData_MotPostPartum", nullptr, "产后访视"},
    {"TData_DMFolupVisit", nullptr, "糖尿病随访"},
    {"TData_TwowayRefOut", nullptr, "双向转诊(转出)"},
    {"TData_TwowayRefIn", nullptr, "双向转诊(转入)"},
    {"TDict_PVRVMediList", nullptr, "疫苗药品目录"},
    {"TData_PerEIDsHis", nullptr, "个人疾病史"},
    {"TData_HolePerBaseInfo", nullptr, "重性精神疾病患者信息"},
    {"TData_PerBaseInfo", "CreaRchPerCode", "个人基本信息"},
    {"TData_PVRVVaccMat", "CreaCardPerCode", "预防接种卡"},
    {"TData_VisClinicRecord", nullptr, "门诊就诊记录"},
    {"TDict_PVRVList", nullptr, "接种门诊目录"},
    {"TData_VisHospRecord", nullptr, "住院就诊记录"},
    {"TData_HoleFolupVisit", nullptr, "重性精神疾病随访"},
    {"TDict_PVRVVaccDef", nullptr, "疫苗定义"},
    {"TData_PVRVVaccDet", nullptr, "接种明细"},
    {"TData_PerBaseInfo_Surg", nullptr, "个人手术史"},
    {"TData_PerBaseInfo_Tran", nullptr, "个人输血史"},
    {"TData_PerBaseInfo_Trau", nullptr, "个人外伤史"},
    {"TData_PVRVVaccExp", nullptr, "接种异常反应"},
    {"TData_PerBaseInfoPH", nullptr, "个人健康史"},
    {"TData_PVRVVaccSch", nullptr, "接种计划"},
    {"TData_ThreeAgeHomVis", nullptr, "新生儿家庭访视"},
    {"TData_UserRight", nullptr, "用户权限"},
};
inline constexpr std::size_t kBusinessTableCount = sizeof(kBusinessTables) / sizeof(kBusinessTables[0]);
static_assert(kBusinessTableCount == 32, "the guard reads 32 tables");
