-- Schema of the health-record database, SQL Server.

-- Users of the health-record system.
CREATE TABLE p_User (
    UserCode nvarchar(20) NOT NULL,
    UserName nvarchar(50),
    Spell nvarchar(50),
    FiveStrokes nvarchar(50),
    OrgCode nvarchar(20),
    Grade nvarchar(10),
    ContactType nvarchar(100),
    PassWord nvarchar(50),
    InpPerCode nvarchar(20),
    InpDate datetime,
    CONSTRAINT PK_p_User PRIMARY KEY (UserCode)
);
CREATE INDEX IX_p_User_OrgCode ON p_User (OrgCode);

-- Administrative areas; RCMSAreaCode is the same area in the RCMS numbering.
CREATE TABLE P_XZQH (
    AreaCode nvarchar(20) NOT NULL,
    AreaName nvarchar(100),
    ParentAreaCode nvarchar(20),
    RCMSAreaCode nvarchar(20),
    CONSTRAINT PK_P_XZQH PRIMARY KEY (AreaCode)
);
CREATE INDEX IX_P_XZQH_Parent ON P_XZQH (ParentAreaCode);
CREATE INDEX IX_P_XZQH_RCMS ON P_XZQH (RCMSAreaCode);

-- Medical service units: AreaCode in the RCMS numbering, StaAreaCode in the
-- health-record numbering.
CREATE TABLE P_YLFWDW (
    OrgCode nvarchar(20) NOT NULL,
    OrgName nvarchar(100),
    AreaCode nvarchar(20),
    StaAreaCode nvarchar(20),
    Spell nvarchar(50),
    FiveStrokes nvarchar(50),
    CONSTRAINT PK_P_YLFWDW PRIMARY KEY (OrgCode)
);
CREATE INDEX IX_P_YLFWDW_StaArea ON P_YLFWDW (StaAreaCode);
CREATE INDEX IX_P_YLFWDW_Area ON P_YLFWDW (AreaCode);

-- Code dictionary; the lists show the items whose IsStop is '2'.
CREATE TABLE TDict_CodDatDet (
    DatCodID int NOT NULL,
    ItemID nvarchar(20) NOT NULL,
    ItemName nvarchar(100),
    IsStop nvarchar(1),
    CONSTRAINT PK_TDict_CodDatDet PRIMARY KEY (DatCodID, ItemID)
);
CREATE INDEX IX_TDict_CodDatDet_Stop ON TDict_CodDatDet (DatCodID, IsStop);

-- The host's rights: one row per user, function type and function number.
CREATE TABLE TSys_UserRight (
    UserCode nvarchar(20) NOT NULL,
    ModFunTyp int NOT NULL,
    ModFunID nvarchar(20) NOT NULL,
    CONSTRAINT PK_TSys_UserRight PRIMARY KEY (UserCode, ModFunTyp, ModFunID)
);

-- The synchronisation log: one row per run of the RCMS user synchronisation,
-- whatever its end (成功, 失败, 已取消), and for a successful run one row per user
-- it inserted or rewrote. Passwords are never written here.
CREATE TABLE TSys_UserSyncLog (
    LogID nvarchar(20) NOT NULL,
    SyncTime datetime,
    UserCode nvarchar(20),
    AddedCount int,
    UpdatedCount int,
    SameCount int,
    Result nvarchar(10),
    Seconds float,
    Cause nvarchar(1000),
    CONSTRAINT PK_TSys_UserSyncLog PRIMARY KEY (LogID)
);
CREATE TABLE TSys_UserSyncLogDet (
    LogID nvarchar(20) NOT NULL,
    UserCode nvarchar(20) NOT NULL,
    ChangeKind nvarchar(10),
    ChangedColumns nvarchar(100),
    OldValues nvarchar(2000),
    NewValues nvarchar(2000),
    CONSTRAINT PK_TSys_UserSyncLogDet PRIMARY KEY (LogID, UserCode)
);

-- The trail of changes to p_User: one row per change of one user (新增, 修改,
-- 删除, 重置密码, 调整单位, 恢复, 导入, 同步), written in the change's own
-- transaction. Changes holds the changed columns as a JSON array of
-- [column, before, after]; a password reads 已更改 there. A deleted user's row
-- is kept whole, its stored password in PassWord, so that it can be restored.
-- The indexes serve the trail's view: newest first, by time, operator, user
-- code, user name or kind.
CREATE TABLE TSys_UserAudit (
    AuditID bigint IDENTITY(1,1) NOT NULL,
    AuditTime datetime NOT NULL,
    OperatorCode nvarchar(20),
    MachineName nvarchar(64),
    Kind nvarchar(10) NOT NULL,
    UserCode nvarchar(20) NOT NULL,
    UserName nvarchar(50),
    SyncLogID nvarchar(20),
    PassWord nvarchar(50),
    Changes nvarchar(max),
    CONSTRAINT PK_TSys_UserAudit PRIMARY KEY (AuditID)
);
CREATE INDEX IX_TSys_UserAudit_Time ON TSys_UserAudit (AuditTime);
CREATE INDEX IX_TSys_UserAudit_Operator ON TSys_UserAudit (OperatorCode, AuditTime);
CREATE INDEX IX_TSys_UserAudit_User ON TSys_UserAudit (UserCode, AuditTime);
CREATE INDEX IX_TSys_UserAudit_Name ON TSys_UserAudit (UserName, AuditTime);
CREATE INDEX IX_TSys_UserAudit_Kind ON TSys_UserAudit (Kind, AuditTime);

-- Business tables. A user who entered a row in any of them (InpPerCode, and
-- the creator columns of TData_PerBaseInfo and TData_PVRVVaccMat) cannot be
-- deleted; the check searches each column with a prefix LIKE, hence the indexes:
-- SQL Server seeks an index for a LIKE whose pattern begins with a constant, in
-- the column's case-insensitive collation, so the plain column index serves it.
CREATE TABLE TDict_DoctList (
    RecordID nvarchar(20) NOT NULL,
    OrgCode nvarchar(20),
    InpPerCode nvarchar(20),
    InpDate datetime,
    CONSTRAINT PK_TDict_DoctList PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TDict_DoctList_InpPerCode ON TDict_DoctList (InpPerCode);
CREATE TABLE TData_ConsuRrdMat (
    RecordID nvarchar(20) NOT NULL,
    OrgCode nvarchar(20),
    InpPerCode nvarchar(20),
    InpDate datetime,
    CONSTRAINT PK_TData_ConsuRrdMat PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_ConsuRrdMat_InpPerCode ON TData_ConsuRrdMat (InpPerCode);
CREATE TABLE TData_MotAntFirstFolup (
    RecordID nvarchar(20) NOT NULL,
    OrgCode nvarchar(20),
    InpPerCode nvarchar(20),
    InpDate datetime,
    CONSTRAINT PK_TData_MotAntFirstFolup PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_MotAntFirstFolup_InpPerCode ON TData_MotAntFirstFolup (InpPerCode);
CREATE TABLE TData_ThreeAgePhyExa (
    RecordID nvarchar(20) NOT NULL,
    OrgCode nvarchar(20),
    InpPerCode nvarchar(20),
    InpDate datetime,
    CONSTRAINT PK_TData_ThreeAgePhyExa PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_ThreeAgePhyExa_InpPerCode ON TData_ThreeAgePhyExa (InpPerCode);
CREATE TABLE TData_AdmiRec (
    RecordID nvarchar(20) NOT NULL,
    OrgCode nvarchar(20),
    InpPerCode nvarchar(20),
    InpDate datetime,
    CONSTRAINT PK_TData_AdmiRec PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_AdmiRec_InpPerCode ON TData_AdmiRec (InpPerCode);
CREATE TABLE TData_HeaChecklist (
    RecordID nvarchar(20) NOT NULL,
    OrgCode nvarchar(20),
    InpPerCode nvarchar(20),
    InpDate datetime,
    CONSTRAINT PK_TData_HeaChecklist PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_HeaChecklist_InpPerCode ON TData_HeaChecklist (InpPerCode);
CREATE TABLE TData_MotAntFolup (
    RecordID nvarchar(20) NOT NULL,
    OrgCode nvarchar(20),
    InpPerCode nvarchar(20),
    InpDate datetime,
    CONSTRAINT PK_TData_MotAntFolup PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_MotAntFolup_InpPerCode ON TData_MotAntFolup (InpPerCode);
CREATE TABLE TData_HypFolupVisit (
    RecordID nvarchar(20) NOT NULL,
    OrgCode nvarchar(20),
    InpPerCode nvarchar(20),
    InpDate datetime,
    CONSTRAINT PK_TData_HypFolupVisit PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_HypFolupVisit_InpPerCode ON TData_HypFolupVisit (InpPerCode);
CREATE TABLE TData_OperGrpMat (
    RecordID nvarchar(20) NOT NULL,
    OrgCode nvarchar(20),
    InpPerCode nvarchar(20),
    InpDate datetime,
    CONSTRAINT PK_TData_OperGrpMat PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_OperGrpMat_InpPerCode ON TData_OperGrpMat (InpPerCode);
CREATE TABLE TData_MotPostPartum (
    RecordID nvarchar(20) NOT NULL,
    OrgCode nvarchar(20),
    InpPerCode nvarchar(20),
    InpDate datetime,
    CONSTRAINT PK_TData_MotPostPartum PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_MotPostPartum_InpPerCode ON TData_MotPostPartum (InpPerCode);
CREATE TABLE TData_DMFolupVisit (
    RecordID nvarchar(20) NOT NULL,
    OrgCode nvarchar(20),
    InpPerCode nvarchar(20),
    InpDate datetime,
    CONSTRAINT PK_TData_DMFolupVisit PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_DMFolupVisit_InpPerCode ON TData_DMFolupVisit (InpPerCode);
CREATE TABLE TData_TwowayRefOut (
    RecordID nvarchar(20) NOT NULL,
    OrgCode nvarchar(20),
    InpPerCode nvarchar(20),
    InpDate datetime,
    CONSTRAINT PK_TData_TwowayRefOut PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_TwowayRefOut_InpPerCode ON TData_TwowayRefOut (InpPerCode);
CREATE TABLE TData_TwowayRefIn (
    RecordID nvarchar(20) NOT NULL,
    OrgCode nvarchar(20),
    InpPerCode nvarchar(20),
    InpDate datetime,
    CONSTRAINT PK_TData_TwowayRefIn PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_TwowayRefIn_InpPerCode ON TData_TwowayRefIn (InpPerCode);
CREATE TABLE TDict_PVRVMediList (
    RecordID nvarchar(20) NOT NULL,
    OrgCode nvarchar(20),
    InpPerCode nvarchar(20),
    InpDate datetime,
    CONSTRAINT PK_TDict_PVRVMediList PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TDict_PVRVMediList_InpPerCode ON TDict_PVRVMediList (InpPerCode);
CREATE TABLE TData_PerEIDsHis (
    RecordID nvarchar(20) NOT NULL,
    OrgCode nvarchar(20),
    InpPerCode nvarchar(20),
    InpDate datetime,
    CONSTRAINT PK_TData_PerEIDsHis PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_PerEIDsHis_InpPerCode ON TData_PerEIDsHis (InpPerCode);
CREATE TABLE TData_HolePerBaseInfo (
    RecordID nvarchar(20) NOT NULL,
    OrgCode nvarchar(20),
    InpPerCode nvarchar(20),
    InpDate datetime,
    CONSTRAINT PK_TData_HolePerBaseInfo PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_HolePerBaseInfo_InpPerCode ON TData_HolePerBaseInfo (InpPerCode);
CREATE TABLE TData_PerBaseInfo (
    RecordID nvarchar(20) NOT NULL,
    OrgCode nvarchar(20),
    CreaRchPerCode nvarchar(20),
    InpPerCode nvarchar(20),
    InpDate datetime,
    CONSTRAINT PK_TData_PerBaseInfo PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_PerBaseInfo_InpPerCode ON TData_PerBaseInfo (InpPerCode);
CREATE INDEX IX_TData_PerBaseInfo_CreaRchPerCode ON TData_PerBaseInfo (CreaRchPerCode);
CREATE TABLE TData_PVRVVaccMat (
    RecordID nvarchar(20) NOT NULL,
    OrgCode nvarchar(20),
    CreaCardPerCode nvarchar(20),
    InpPerCode nvarchar(20),
    InpDate datetime,
    CONSTRAINT PK_TData_PVRVVaccMat PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_PVRVVaccMat_InpPerCode ON TData_PVRVVaccMat (InpPerCode);
CREATE INDEX IX_TData_PVRVVaccMat_CreaCardPerCode ON TData_PVRVVaccMat (CreaCardPerCode);
CREATE TABLE TData_VisClinicRecord (
    RecordID nvarchar(20) NOT NULL,
    OrgCode nvarchar(20),
    InpPerCode nvarchar(20),
    InpDate datetime,
    CONSTRAINT PK_TData_VisClinicRecord PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_VisClinicRecord_InpPerCode ON TData_VisClinicRecord (InpPerCode);
CREATE TABLE TDict_PVRVList (
    RecordID nvarchar(20) NOT NULL,
    OrgCode nvarchar(20),
    InpPerCode nvarchar(20),
    InpDate datetime,
    CONSTRAINT PK_TDict_PVRVList PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TDict_PVRVList_InpPerCode ON TDict_PVRVList (InpPerCode);
CREATE TABLE TData_VisHospRecord (
    RecordID nvarchar(20) NOT NULL,
    OrgCode nvarchar(20),
    InpPerCode nvarchar(20),
    InpDate datetime,
    CONSTRAINT PK_TData_VisHospRecord PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_VisHospRecord_InpPerCode ON TData_VisHospRecord (InpPerCode);
CREATE TABLE TData_HoleFolupVisit (
    RecordID nvarchar(20) NOT NULL,
    OrgCode nvarchar(20),
    InpPerCode nvarchar(20),
    InpDate datetime,
    CONSTRAINT PK_TData_HoleFolupVisit PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_HoleFolupVisit_InpPerCode ON TData_HoleFolupVisit (InpPerCode);
CREATE TABLE TDict_PVRVVaccDef (
    RecordID nvarchar(20) NOT NULL,
    OrgCode nvarchar(20),
    InpPerCode nvarchar(20),
    InpDate datetime,
    CONSTRAINT PK_TDict_PVRVVaccDef PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TDict_PVRVVaccDef_InpPerCode ON TDict_PVRVVaccDef (InpPerCode);
CREATE TABLE TData_PVRVVaccDet (
    RecordID nvarchar(20) NOT NULL,
    OrgCode nvarchar(20),
    InpPerCode nvarchar(20),
    InpDate datetime,
    CONSTRAINT PK_TData_PVRVVaccDet PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_PVRVVaccDet_InpPerCode ON TData_PVRVVaccDet (InpPerCode);
CREATE TABLE TData_PerBaseInfo_Surg (
    RecordID nvarchar(20) NOT NULL,
    OrgCode nvarchar(20),
    InpPerCode nvarchar(20),
    InpDate datetime,
    CONSTRAINT PK_TData_PerBaseInfo_Surg PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_PerBaseInfo_Surg_InpPerCode ON TData_PerBaseInfo_Surg (InpPerCode);
CREATE TABLE TData_PerBaseInfo_Tran (
    RecordID nvarchar(20) NOT NULL,
    OrgCode nvarchar(20),
    InpPerCode nvarchar(20),
    InpDate datetime,
    CONSTRAINT PK_TData_PerBaseInfo_Tran PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_PerBaseInfo_Tran_InpPerCode ON TData_PerBaseInfo_Tran (InpPerCode);
CREATE TABLE TData_PerBaseInfo_Trau (
    RecordID nvarchar(20) NOT NULL,
    OrgCode nvarchar(20),
    InpPerCode nvarchar(20),
    InpDate datetime,
    CONSTRAINT PK_TData_PerBaseInfo_Trau PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_PerBaseInfo_Trau_InpPerCode ON TData_PerBaseInfo_Trau (InpPerCode);
CREATE TABLE TData_PVRVVaccExp (
    RecordID nvarchar(20) NOT NULL,
    OrgCode nvarchar(20),
    InpPerCode nvarchar(20),
    InpDate datetime,
    CONSTRAINT PK_TData_PVRVVaccExp PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_PVRVVaccExp_InpPerCode ON TData_PVRVVaccExp (InpPerCode);
CREATE TABLE TData_PerBaseInfoPH (
    RecordID nvarchar(20) NOT NULL,
    OrgCode nvarchar(20),
    InpPerCode nvarchar(20),
    InpDate datetime,
    CONSTRAINT PK_TData_PerBaseInfoPH PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_PerBaseInfoPH_InpPerCode ON TData_PerBaseInfoPH (InpPerCode);
CREATE TABLE TData_PVRVVaccSch (
    RecordID nvarchar(20) NOT NULL,
    OrgCode nvarchar(20),
    InpPerCode nvarchar(20),
    InpDate datetime,
    CONSTRAINT PK_TData_PVRVVaccSch PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_PVRVVaccSch_InpPerCode ON TData_PVRVVaccSch (InpPerCode);
CREATE TABLE TData_ThreeAgeHomVis (
    RecordID nvarchar(20) NOT NULL,
    OrgCode nvarchar(20),
    InpPerCode nvarchar(20),
    InpDate datetime,
    CONSTRAINT PK_TData_ThreeAgeHomVis PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_ThreeAgeHomVis_InpPerCode ON TData_ThreeAgeHomVis (InpPerCode);
CREATE TABLE TData_UserRight (
    RecordID nvarchar(20) NOT NULL,
    OrgCode nvarchar(20),
    InpPerCode nvarchar(20),
    InpDate datetime,
    CONSTRAINT PK_TData_UserRight PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_UserRight_InpPerCode ON TData_UserRight (InpPerCode);
