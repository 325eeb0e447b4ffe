-- Schema of the health-record database, SQLite: every text column compares case-insensitively (COLLATE NOCASE),
-- as SQL Server's default collation does, and a prefix LIKE can use the indexes.
-- Dates are kept as 'YYYY-MM-DD HH:MM:SS' text on SQLite.

-- Users of the health-record system.
CREATE TABLE p_User (
    UserCode varchar(20) COLLATE NOCASE NOT NULL,
    UserName varchar(50) COLLATE NOCASE,
    Spell varchar(50) COLLATE NOCASE,
    FiveStrokes varchar(50) COLLATE NOCASE,
    OrgCode varchar(20) COLLATE NOCASE,
    Grade varchar(10) COLLATE NOCASE,
    ContactType varchar(100) COLLATE NOCASE,
    PassWord varchar(50) COLLATE NOCASE,
    InpPerCode varchar(20) COLLATE NOCASE,
    InpDate datetime,
    PRIMARY KEY (UserCode)
);
CREATE INDEX IX_p_User_OrgCode ON p_User (OrgCode);

-- Administrative areas; RCMSAreaCode is the same area in the RCMS numbering.
CREATE TABLE P_XZQH (
    AreaCode varchar(20) COLLATE NOCASE NOT NULL,
    AreaName varchar(100) COLLATE NOCASE,
    ParentAreaCode varchar(20) COLLATE NOCASE,
    RCMSAreaCode varchar(20) COLLATE NOCASE,
    PRIMARY KEY (AreaCode)
);
CREATE INDEX IX_P_XZQH_Parent ON P_XZQH (ParentAreaCode);
CREATE INDEX IX_P_XZQH_RCMS ON P_XZQH (RCMSAreaCode);

-- Medical service units: AreaCode in the RCMS numbering, StaAreaCode in the
-- health-record numbering.
CREATE TABLE P_YLFWDW (
    OrgCode varchar(20) COLLATE NOCASE NOT NULL,
    OrgName varchar(100) COLLATE NOCASE,
    AreaCode varchar(20) COLLATE NOCASE,
    StaAreaCode varchar(20) COLLATE NOCASE,
    Spell varchar(50) COLLATE NOCASE,
    FiveStrokes varchar(50) COLLATE NOCASE,
    PRIMARY KEY (OrgCode)
);
CREATE INDEX IX_P_YLFWDW_StaArea ON P_YLFWDW (StaAreaCode);
CREATE INDEX IX_P_YLFWDW_Area ON P_YLFWDW (AreaCode);

-- Code dictionary; the lists show the items whose IsStop is '2'.
CREATE TABLE TDict_CodDatDet (
    DatCodID int NOT NULL,
    ItemID varchar(20) COLLATE NOCASE NOT NULL,
    ItemName varchar(100) COLLATE NOCASE,
    IsStop varchar(1) COLLATE NOCASE,
    PRIMARY KEY (DatCodID, ItemID)
);
CREATE INDEX IX_TDict_CodDatDet_Stop ON TDict_CodDatDet (DatCodID, IsStop);

-- The host's rights: one row per user, function type and function number.
CREATE TABLE TSys_UserRight (
    UserCode varchar(20) COLLATE NOCASE NOT NULL,
    ModFunTyp int NOT NULL,
    ModFunID varchar(20) COLLATE NOCASE NOT NULL,
    PRIMARY KEY (UserCode, ModFunTyp, ModFunID)
);

-- The synchronisation log: one row per run of the RCMS user synchronisation,
-- whatever its end (成功, 失败, 已取消), and for a successful run one row per user
-- it inserted or rewrote. Passwords are never written here.
CREATE TABLE TSys_UserSyncLog (
    LogID varchar(20) COLLATE NOCASE NOT NULL,
    SyncTime datetime,
    UserCode varchar(20) COLLATE NOCASE,
    AddedCount int,
    UpdatedCount int,
    SameCount int,
    Result varchar(10) COLLATE NOCASE,
    Seconds float,
    Cause varchar(1000) COLLATE NOCASE,
    PRIMARY KEY (LogID)
);
CREATE TABLE TSys_UserSyncLogDet (
    LogID varchar(20) COLLATE NOCASE NOT NULL,
    UserCode varchar(20) COLLATE NOCASE NOT NULL,
    ChangeKind varchar(10) COLLATE NOCASE,
    ChangedColumns varchar(100) COLLATE NOCASE,
    OldValues varchar(2000) COLLATE NOCASE,
    NewValues varchar(2000) COLLATE NOCASE,
    PRIMARY KEY (LogID, UserCode)
);

-- The trail of changes to p_User: one row per change of one user (新增, 修改,
-- 删除, 重置密码, 调整单位, 恢复, 导入, 同步), written in the change's own
-- transaction. Changes holds the changed columns as a JSON array of
-- [column, before, after]; a password reads 已更改 there. A deleted user's row
-- is kept whole, its stored password in PassWord, so that it can be restored.
-- The indexes serve the trail's view: newest first, by time, operator, user
-- code, user name or kind.
CREATE TABLE TSys_UserAudit (
    AuditID integer NOT NULL PRIMARY KEY AUTOINCREMENT,
    AuditTime datetime NOT NULL,
    OperatorCode varchar(20) COLLATE NOCASE,
    MachineName varchar(64) COLLATE NOCASE,
    Kind varchar(10) COLLATE NOCASE NOT NULL,
    UserCode varchar(20) COLLATE NOCASE NOT NULL,
    UserName varchar(50) COLLATE NOCASE,
    SyncLogID varchar(20) COLLATE NOCASE,
    PassWord varchar(50) COLLATE NOCASE,
    Changes text
);
CREATE INDEX IX_TSys_UserAudit_Time ON TSys_UserAudit (AuditTime);
CREATE INDEX IX_TSys_UserAudit_Operator ON TSys_UserAudit (OperatorCode, AuditTime);
CREATE INDEX IX_TSys_UserAudit_User ON TSys_UserAudit (UserCode, AuditTime);
CREATE INDEX IX_TSys_UserAudit_Name ON TSys_UserAudit (UserName, AuditTime);
CREATE INDEX IX_TSys_UserAudit_Kind ON TSys_UserAudit (Kind, AuditTime);

-- Business tables. A user who entered a row in any of them (InpPerCode, and
-- the creator columns of TData_PerBaseInfo and TData_PVRVVaccMat) cannot be
-- deleted; the check searches each column with a prefix LIKE, hence the indexes.
CREATE TABLE TDict_DoctList (
    RecordID varchar(20) COLLATE NOCASE NOT NULL,
    OrgCode varchar(20) COLLATE NOCASE,
    InpPerCode varchar(20) COLLATE NOCASE,
    InpDate datetime,
    PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TDict_DoctList_InpPerCode ON TDict_DoctList (InpPerCode);
CREATE TABLE TData_ConsuRrdMat (
    RecordID varchar(20) COLLATE NOCASE NOT NULL,
    OrgCode varchar(20) COLLATE NOCASE,
    InpPerCode varchar(20) COLLATE NOCASE,
    InpDate datetime,
    PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_ConsuRrdMat_InpPerCode ON TData_ConsuRrdMat (InpPerCode);
CREATE TABLE TData_MotAntFirstFolup (
    RecordID varchar(20) COLLATE NOCASE NOT NULL,
    OrgCode varchar(20) COLLATE NOCASE,
    InpPerCode varchar(20) COLLATE NOCASE,
    InpDate datetime,
    PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_MotAntFirstFolup_InpPerCode ON TData_MotAntFirstFolup (InpPerCode);
CREATE TABLE TData_ThreeAgePhyExa (
    RecordID varchar(20) COLLATE NOCASE NOT NULL,
    OrgCode varchar(20) COLLATE NOCASE,
    InpPerCode varchar(20) COLLATE NOCASE,
    InpDate datetime,
    PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_ThreeAgePhyExa_InpPerCode ON TData_ThreeAgePhyExa (InpPerCode);
CREATE TABLE TData_AdmiRec (
    RecordID varchar(20) COLLATE NOCASE NOT NULL,
    OrgCode varchar(20) COLLATE NOCASE,
    InpPerCode varchar(20) COLLATE NOCASE,
    InpDate datetime,
    PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_AdmiRec_InpPerCode ON TData_AdmiRec (InpPerCode);
CREATE TABLE TData_HeaChecklist (
    RecordID varchar(20) COLLATE NOCASE NOT NULL,
    OrgCode varchar(20) COLLATE NOCASE,
    InpPerCode varchar(20) COLLATE NOCASE,
    InpDate datetime,
    PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_HeaChecklist_InpPerCode ON TData_HeaChecklist (InpPerCode);
CREATE TABLE TData_MotAntFolup (
    RecordID varchar(20) COLLATE NOCASE NOT NULL,
    OrgCode varchar(20) COLLATE NOCASE,
    InpPerCode varchar(20) COLLATE NOCASE,
    InpDate datetime,
    PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_MotAntFolup_InpPerCode ON TData_MotAntFolup (InpPerCode);
CREATE TABLE TData_HypFolupVisit (
    RecordID varchar(20) COLLATE NOCASE NOT NULL,
    OrgCode varchar(20) COLLATE NOCASE,
    InpPerCode varchar(20) COLLATE NOCASE,
    InpDate datetime,
    PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_HypFolupVisit_InpPerCode ON TData_HypFolupVisit (InpPerCode);
CREATE TABLE TData_OperGrpMat (
    RecordID varchar(20) COLLATE NOCASE NOT NULL,
    OrgCode varchar(20) COLLATE NOCASE,
    InpPerCode varchar(20) COLLATE NOCASE,
    InpDate datetime,
    PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_OperGrpMat_InpPerCode ON TData_OperGrpMat (InpPerCode);
CREATE TABLE TData_MotPostPartum (
    RecordID varchar(20) COLLATE NOCASE NOT NULL,
    OrgCode varchar(20) COLLATE NOCASE,
    InpPerCode varchar(20) COLLATE NOCASE,
    InpDate datetime,
    PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_MotPostPartum_InpPerCode ON TData_MotPostPartum (InpPerCode);
CREATE TABLE TData_DMFolupVisit (
    RecordID varchar(20) COLLATE NOCASE NOT NULL,
    OrgCode varchar(20) COLLATE NOCASE,
    InpPerCode varchar(20) COLLATE NOCASE,
    InpDate datetime,
    PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_DMFolupVisit_InpPerCode ON TData_DMFolupVisit (InpPerCode);
CREATE TABLE TData_TwowayRefOut (
    RecordID varchar(20) COLLATE NOCASE NOT NULL,
    OrgCode varchar(20) COLLATE NOCASE,
    InpPerCode varchar(20) COLLATE NOCASE,
    InpDate datetime,
    PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_TwowayRefOut_InpPerCode ON TData_TwowayRefOut (InpPerCode);
CREATE TABLE TData_TwowayRefIn (
    RecordID varchar(20) COLLATE NOCASE NOT NULL,
    OrgCode varchar(20) COLLATE NOCASE,
    InpPerCode varchar(20) COLLATE NOCASE,
    InpDate datetime,
    PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_TwowayRefIn_InpPerCode ON TData_TwowayRefIn (InpPerCode);
CREATE TABLE TDict_PVRVMediList (
    RecordID varchar(20) COLLATE NOCASE NOT NULL,
    OrgCode varchar(20) COLLATE NOCASE,
    InpPerCode varchar(20) COLLATE NOCASE,
    InpDate datetime,
    PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TDict_PVRVMediList_InpPerCode ON TDict_PVRVMediList (InpPerCode);
CREATE TABLE TData_PerEIDsHis (
    RecordID varchar(20) COLLATE NOCASE NOT NULL,
    OrgCode varchar(20) COLLATE NOCASE,
    InpPerCode varchar(20) COLLATE NOCASE,
    InpDate datetime,
    PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_PerEIDsHis_InpPerCode ON TData_PerEIDsHis (InpPerCode);
CREATE TABLE TData_HolePerBaseInfo (
    RecordID varchar(20) COLLATE NOCASE NOT NULL,
    OrgCode varchar(20) COLLATE NOCASE,
    InpPerCode varchar(20) COLLATE NOCASE,
    InpDate datetime,
    PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_HolePerBaseInfo_InpPerCode ON TData_HolePerBaseInfo (InpPerCode);
CREATE TABLE TData_PerBaseInfo (
    RecordID varchar(20) COLLATE NOCASE NOT NULL,
    OrgCode varchar(20) COLLATE NOCASE,
    CreaRchPerCode varchar(20) COLLATE NOCASE,
    InpPerCode varchar(20) COLLATE NOCASE,
    InpDate datetime,
    PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_PerBaseInfo_InpPerCode ON TData_PerBaseInfo (InpPerCode);
CREATE INDEX IX_TData_PerBaseInfo_CreaRchPerCode ON TData_PerBaseInfo (CreaRchPerCode);
CREATE TABLE TData_PVRVVaccMat (
    RecordID varchar(20) COLLATE NOCASE NOT NULL,
    OrgCode varchar(20) COLLATE NOCASE,
    CreaCardPerCode varchar(20) COLLATE NOCASE,
    InpPerCode varchar(20) COLLATE NOCASE,
    InpDate datetime,
    PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_PVRVVaccMat_InpPerCode ON TData_PVRVVaccMat (InpPerCode);
CREATE INDEX IX_TData_PVRVVaccMat_CreaCardPerCode ON TData_PVRVVaccMat (CreaCardPerCode);
CREATE TABLE TData_VisClinicRecord (
    RecordID varchar(20) COLLATE NOCASE NOT NULL,
    OrgCode varchar(20) COLLATE NOCASE,
    InpPerCode varchar(20) COLLATE NOCASE,
    InpDate datetime,
    PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_VisClinicRecord_InpPerCode ON TData_VisClinicRecord (InpPerCode);
CREATE TABLE TDict_PVRVList (
    RecordID varchar(20) COLLATE NOCASE NOT NULL,
    OrgCode varchar(20) COLLATE NOCASE,
    InpPerCode varchar(20) COLLATE NOCASE,
    InpDate datetime,
    PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TDict_PVRVList_InpPerCode ON TDict_PVRVList (InpPerCode);
CREATE TABLE TData_VisHospRecord (
    RecordID varchar(20) COLLATE NOCASE NOT NULL,
    OrgCode varchar(20) COLLATE NOCASE,
    InpPerCode varchar(20) COLLATE NOCASE,
    InpDate datetime,
    PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_VisHospRecord_InpPerCode ON TData_VisHospRecord (InpPerCode);
CREATE TABLE TData_HoleFolupVisit (
    RecordID varchar(20) COLLATE NOCASE NOT NULL,
    OrgCode varchar(20) COLLATE NOCASE,
    InpPerCode varchar(20) COLLATE NOCASE,
    InpDate datetime,
    PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_HoleFolupVisit_InpPerCode ON TData_HoleFolupVisit (InpPerCode);
CREATE TABLE TDict_PVRVVaccDef (
    RecordID varchar(20) COLLATE NOCASE NOT NULL,
    OrgCode varchar(20) COLLATE NOCASE,
    InpPerCode varchar(20) COLLATE NOCASE,
    InpDate datetime,
    PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TDict_PVRVVaccDef_InpPerCode ON TDict_PVRVVaccDef (InpPerCode);
CREATE TABLE TData_PVRVVaccDet (
    RecordID varchar(20) COLLATE NOCASE NOT NULL,
    OrgCode varchar(20) COLLATE NOCASE,
    InpPerCode varchar(20) COLLATE NOCASE,
    InpDate datetime,
    PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_PVRVVaccDet_InpPerCode ON TData_PVRVVaccDet (InpPerCode);
CREATE TABLE TData_PerBaseInfo_Surg (
    RecordID varchar(20) COLLATE NOCASE NOT NULL,
    OrgCode varchar(20) COLLATE NOCASE,
    InpPerCode varchar(20) COLLATE NOCASE,
    InpDate datetime,
    PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_PerBaseInfo_Surg_InpPerCode ON TData_PerBaseInfo_Surg (InpPerCode);
CREATE TABLE TData_PerBaseInfo_Tran (
    RecordID varchar(20) COLLATE NOCASE NOT NULL,
    OrgCode varchar(20) COLLATE NOCASE,
    InpPerCode varchar(20) COLLATE NOCASE,
    InpDate datetime,
    PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_PerBaseInfo_Tran_InpPerCode ON TData_PerBaseInfo_Tran (InpPerCode);
CREATE TABLE TData_PerBaseInfo_Trau (
    RecordID varchar(20) COLLATE NOCASE NOT NULL,
    OrgCode varchar(20) COLLATE NOCASE,
    InpPerCode varchar(20) COLLATE NOCASE,
    InpDate datetime,
    PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_PerBaseInfo_Trau_InpPerCode ON TData_PerBaseInfo_Trau (InpPerCode);
CREATE TABLE TData_PVRVVaccExp (
    RecordID varchar(20) COLLATE NOCASE NOT NULL,
    OrgCode varchar(20) COLLATE NOCASE,
    InpPerCode varchar(20) COLLATE NOCASE,
    InpDate datetime,
    PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_PVRVVaccExp_InpPerCode ON TData_PVRVVaccExp (InpPerCode);
CREATE TABLE TData_PerBaseInfoPH (
    RecordID varchar(20) COLLATE NOCASE NOT NULL,
    OrgCode varchar(20) COLLATE NOCASE,
    InpPerCode varchar(20) COLLATE NOCASE,
    InpDate datetime,
    PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_PerBaseInfoPH_InpPerCode ON TData_PerBaseInfoPH (InpPerCode);
CREATE TABLE TData_PVRVVaccSch (
    RecordID varchar(20) COLLATE NOCASE NOT NULL,
    OrgCode varchar(20) COLLATE NOCASE,
    InpPerCode varchar(20) COLLATE NOCASE,
    InpDate datetime,
    PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_PVRVVaccSch_InpPerCode ON TData_PVRVVaccSch (InpPerCode);
CREATE TABLE TData_ThreeAgeHomVis (
    RecordID varchar(20) COLLATE NOCASE NOT NULL,
    OrgCode varchar(20) COLLATE NOCASE,
    InpPerCode varchar(20) COLLATE NOCASE,
    InpDate datetime,
    PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_ThreeAgeHomVis_InpPerCode ON TData_ThreeAgeHomVis (InpPerCode);
CREATE TABLE TData_UserRight (
    RecordID varchar(20) COLLATE NOCASE NOT NULL,
    OrgCode varchar(20) COLLATE NOCASE,
    InpPerCode varchar(20) COLLATE NOCASE,
    InpDate datetime,
    PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_UserRight_InpPerCode ON TData_UserRight (InpPerCode);
