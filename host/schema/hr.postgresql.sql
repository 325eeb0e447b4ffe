-- Schema of the health-record database, PostgreSQL. Text columns are citext, so that
-- comparisons, Like and sorting ignore case as SQL Server's default collation
-- does; the checks keep SQL Server's lengths. Dates keep SQL Server's milliseconds.
CREATE EXTENSION IF NOT EXISTS citext;

-- Users of the health-record system.
CREATE TABLE p_User (
    UserCode citext CHECK (char_length(UserCode) <= 20) NOT NULL,
    UserName citext CHECK (char_length(UserName) <= 50),
    Spell citext CHECK (char_length(Spell) <= 50),
    FiveStrokes citext CHECK (char_length(FiveStrokes) <= 50),
    OrgCode citext CHECK (char_length(OrgCode) <= 20),
    Grade citext CHECK (char_length(Grade) <= 10),
    ContactType citext CHECK (char_length(ContactType) <= 100),
    PassWord citext CHECK (char_length(PassWord) <= 50),
    InpPerCode citext CHECK (char_length(InpPerCode) <= 20),
    InpDate timestamp(3),
    CONSTRAINT PK_p_User PRIMARY KEY (UserCode)
);
CREATE INDEX IX_p_User_OrgCode ON p_User (OrgCode);
-- A new user's serial is found among the codes that begin with the area's.
CREATE INDEX IX_p_User_CodePrefix ON p_User (lower(UserCode::text) text_pattern_ops);

-- Administrative areas; RCMSAreaCode is the same area in the RCMS numbering.
CREATE TABLE P_XZQH (
    AreaCode citext CHECK (char_length(AreaCode) <= 20) NOT NULL,
    AreaName citext CHECK (char_length(AreaName) <= 100),
    ParentAreaCode citext CHECK (char_length(ParentAreaCode) <= 20),
    RCMSAreaCode citext CHECK (char_length(RCMSAreaCode) <= 20),
    CONSTRAINT PK_P_XZQH PRIMARY KEY (AreaCode)
);
CREATE INDEX IX_P_XZQH_Parent ON P_XZQH (ParentAreaCode);
-- The window opens on the areas whose parent code begins with the login's.
CREATE INDEX IX_P_XZQH_ParentPrefix ON P_XZQH (lower(ParentAreaCode::text) text_pattern_ops);
CREATE INDEX IX_P_XZQH_RCMS ON P_XZQH (RCMSAreaCode);

-- Medical service units: AreaCode in the RCMS numbering, StaAreaCode in the
-- health-record numbering.
CREATE TABLE P_YLFWDW (
    OrgCode citext CHECK (char_length(OrgCode) <= 20) NOT NULL,
    OrgName citext CHECK (char_length(OrgName) <= 100),
    AreaCode citext CHECK (char_length(AreaCode) <= 20),
    StaAreaCode citext CHECK (char_length(StaAreaCode) <= 20),
    Spell citext CHECK (char_length(Spell) <= 50),
    FiveStrokes citext CHECK (char_length(FiveStrokes) <= 50),
    CONSTRAINT PK_P_YLFWDW PRIMARY KEY (OrgCode)
);
CREATE INDEX IX_P_YLFWDW_StaArea ON P_YLFWDW (StaAreaCode);
CREATE INDEX IX_P_YLFWDW_Area ON P_YLFWDW (AreaCode);

-- Code dictionary; the lists show the items whose IsStop is '2'.
CREATE TABLE TDict_CodDatDet (
    DatCodID integer NOT NULL,
    ItemID citext CHECK (char_length(ItemID) <= 20) NOT NULL,
    ItemName citext CHECK (char_length(ItemName) <= 100),
    IsStop citext CHECK (char_length(IsStop) <= 1),
    CONSTRAINT PK_TDict_CodDatDet PRIMARY KEY (DatCodID, ItemID)
);
CREATE INDEX IX_TDict_CodDatDet_Stop ON TDict_CodDatDet (DatCodID, IsStop);

-- The host's rights: one row per user, function type and function number.
CREATE TABLE TSys_UserRight (
    UserCode citext CHECK (char_length(UserCode) <= 20) NOT NULL,
    ModFunTyp integer NOT NULL,
    ModFunID citext CHECK (char_length(ModFunID) <= 20) NOT NULL,
    CONSTRAINT PK_TSys_UserRight PRIMARY KEY (UserCode, ModFunTyp, ModFunID)
);

-- The synchronisation log: one row per run of the RCMS user synchronisation,
-- whatever its end (成功, 失败, 已取消), and for a successful run one row per user
-- it inserted or rewrote. Passwords are never written here.
CREATE TABLE TSys_UserSyncLog (
    LogID citext CHECK (char_length(LogID) <= 20) NOT NULL,
    SyncTime timestamp(3),
    UserCode citext CHECK (char_length(UserCode) <= 20),
    AddedCount integer,
    UpdatedCount integer,
    SameCount integer,
    Result citext CHECK (char_length(Result) <= 10),
    Seconds double precision,
    Cause citext CHECK (char_length(Cause) <= 1000),
    CONSTRAINT PK_TSys_UserSyncLog PRIMARY KEY (LogID)
);
-- Its key is compared byte by byte: a run writes tens of thousands of rows
-- under one LogID, and a case-blind key would fold both sides of every
-- comparison in the index (about a second per 50,000 rows). The codes
-- are those the run has just written to p_User, whose own key already refuses
-- two that differ only in case.
CREATE TABLE TSys_UserSyncLogDet (
    LogID varchar(20) COLLATE "C" NOT NULL,
    UserCode varchar(20) COLLATE "C" NOT NULL,
    ChangeKind citext CHECK (char_length(ChangeKind) <= 10),
    ChangedColumns citext CHECK (char_length(ChangedColumns) <= 100),
    OldValues citext CHECK (char_length(OldValues) <= 2000),
    NewValues citext CHECK (char_length(NewValues) <= 2000),
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
    AuditID bigint GENERATED BY DEFAULT AS IDENTITY NOT NULL,
    AuditTime timestamp(3) NOT NULL,
    OperatorCode citext CHECK (char_length(OperatorCode) <= 20),
    MachineName citext CHECK (char_length(MachineName) <= 64),
    Kind citext CHECK (char_length(Kind) <= 10) NOT NULL,
    UserCode citext CHECK (char_length(UserCode) <= 20) NOT NULL,
    UserName citext CHECK (char_length(UserName) <= 50),
    SyncLogID citext CHECK (char_length(SyncLogID) <= 20),
    PassWord citext CHECK (char_length(PassWord) <= 50),
    Changes text,
    CONSTRAINT PK_TSys_UserAudit PRIMARY KEY (AuditID)
);
CREATE INDEX IX_TSys_UserAudit_Time ON TSys_UserAudit (AuditTime);
CREATE INDEX IX_TSys_UserAudit_Operator ON TSys_UserAudit (OperatorCode, AuditTime);
CREATE INDEX IX_TSys_UserAudit_User ON TSys_UserAudit (UserCode, AuditTime);
CREATE INDEX IX_TSys_UserAudit_Name ON TSys_UserAudit (UserName, AuditTime);
CREATE INDEX IX_TSys_UserAudit_Kind ON TSys_UserAudit (Kind, AuditTime);

-- Business tables. A user who entered a row in any of them (InpPerCode, and
-- the creator columns of TData_PerBaseInfo and TData_PVRVVaccMat) cannot be
-- deleted; the check searches each column with a prefix LIKE. citext's LIKE cannot
-- use an index, so the host gives each such match a condition on the lower-cased
-- text beside it, and these indexes (pattern operator class: any collation) serve it.
CREATE TABLE TDict_DoctList (
    RecordID citext CHECK (char_length(RecordID) <= 20) NOT NULL,
    OrgCode citext CHECK (char_length(OrgCode) <= 20),
    InpPerCode citext CHECK (char_length(InpPerCode) <= 20),
    InpDate timestamp(3),
    CONSTRAINT PK_TDict_DoctList PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TDict_DoctList_InpPerCode ON TDict_DoctList (lower(InpPerCode::text) text_pattern_ops);
CREATE TABLE TData_ConsuRrdMat (
    RecordID citext CHECK (char_length(RecordID) <= 20) NOT NULL,
    OrgCode citext CHECK (char_length(OrgCode) <= 20),
    InpPerCode citext CHECK (char_length(InpPerCode) <= 20),
    InpDate timestamp(3),
    CONSTRAINT PK_TData_ConsuRrdMat PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_ConsuRrdMat_InpPerCode ON TData_ConsuRrdMat (lower(InpPerCode::text) text_pattern_ops);
CREATE TABLE TData_MotAntFirstFolup (
    RecordID citext CHECK (char_length(RecordID) <= 20) NOT NULL,
    OrgCode citext CHECK (char_length(OrgCode) <= 20),
    InpPerCode citext CHECK (char_length(InpPerCode) <= 20),
    InpDate timestamp(3),
    CONSTRAINT PK_TData_MotAntFirstFolup PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_MotAntFirstFolup_InpPerCode ON TData_MotAntFirstFolup (lower(InpPerCode::text) text_pattern_ops);
CREATE TABLE TData_ThreeAgePhyExa (
    RecordID citext CHECK (char_length(RecordID) <= 20) NOT NULL,
    OrgCode citext CHECK (char_length(OrgCode) <= 20),
    InpPerCode citext CHECK (char_length(InpPerCode) <= 20),
    InpDate timestamp(3),
    CONSTRAINT PK_TData_ThreeAgePhyExa PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_ThreeAgePhyExa_InpPerCode ON TData_ThreeAgePhyExa (lower(InpPerCode::text) text_pattern_ops);
CREATE TABLE TData_AdmiRec (
    RecordID citext CHECK (char_length(RecordID) <= 20) NOT NULL,
    OrgCode citext CHECK (char_length(OrgCode) <= 20),
    InpPerCode citext CHECK (char_length(InpPerCode) <= 20),
    InpDate timestamp(3),
    CONSTRAINT PK_TData_AdmiRec PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_AdmiRec_InpPerCode ON TData_AdmiRec (lower(InpPerCode::text) text_pattern_ops);
CREATE TABLE TData_HeaChecklist (
    RecordID citext CHECK (char_length(RecordID) <= 20) NOT NULL,
    OrgCode citext CHECK (char_length(OrgCode) <= 20),
    InpPerCode citext CHECK (char_length(InpPerCode) <= 20),
    InpDate timestamp(3),
    CONSTRAINT PK_TData_HeaChecklist PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_HeaChecklist_InpPerCode ON TData_HeaChecklist (lower(InpPerCode::text) text_pattern_ops);
CREATE TABLE TData_MotAntFolup (
    RecordID citext CHECK (char_length(RecordID) <= 20) NOT NULL,
    OrgCode citext CHECK (char_length(OrgCode) <= 20),
    InpPerCode citext CHECK (char_length(InpPerCode) <= 20),
    InpDate timestamp(3),
    CONSTRAINT PK_TData_MotAntFolup PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_MotAntFolup_InpPerCode ON TData_MotAntFolup (lower(InpPerCode::text) text_pattern_ops);
CREATE TABLE TData_HypFolupVisit (
    RecordID citext CHECK (char_length(RecordID) <= 20) NOT NULL,
    OrgCode citext CHECK (char_length(OrgCode) <= 20),
    InpPerCode citext CHECK (char_length(InpPerCode) <= 20),
    InpDate timestamp(3),
    CONSTRAINT PK_TData_HypFolupVisit PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_HypFolupVisit_InpPerCode ON TData_HypFolupVisit (lower(InpPerCode::text) text_pattern_ops);
CREATE TABLE TData_OperGrpMat (
    RecordID citext CHECK (char_length(RecordID) <= 20) NOT NULL,
    OrgCode citext CHECK (char_length(OrgCode) <= 20),
    InpPerCode citext CHECK (char_length(InpPerCode) <= 20),
    InpDate timestamp(3),
    CONSTRAINT PK_TData_OperGrpMat PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_OperGrpMat_InpPerCode ON TData_OperGrpMat (lower(InpPerCode::text) text_pattern_ops);
CREATE TABLE TData_MotPostPartum (
    RecordID citext CHECK (char_length(RecordID) <= 20) NOT NULL,
    OrgCode citext CHECK (char_length(OrgCode) <= 20),
    InpPerCode citext CHECK (char_length(InpPerCode) <= 20),
    InpDate timestamp(3),
    CONSTRAINT PK_TData_MotPostPartum PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_MotPostPartum_InpPerCode ON TData_MotPostPartum (lower(InpPerCode::text) text_pattern_ops);
CREATE TABLE TData_DMFolupVisit (
    RecordID citext CHECK (char_length(RecordID) <= 20) NOT NULL,
    OrgCode citext CHECK (char_length(OrgCode) <= 20),
    InpPerCode citext CHECK (char_length(InpPerCode) <= 20),
    InpDate timestamp(3),
    CONSTRAINT PK_TData_DMFolupVisit PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_DMFolupVisit_InpPerCode ON TData_DMFolupVisit (lower(InpPerCode::text) text_pattern_ops);
CREATE TABLE TData_TwowayRefOut (
    RecordID citext CHECK (char_length(RecordID) <= 20) NOT NULL,
    OrgCode citext CHECK (char_length(OrgCode) <= 20),
    InpPerCode citext CHECK (char_length(InpPerCode) <= 20),
    InpDate timestamp(3),
    CONSTRAINT PK_TData_TwowayRefOut PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_TwowayRefOut_InpPerCode ON TData_TwowayRefOut (lower(InpPerCode::text) text_pattern_ops);
CREATE TABLE TData_TwowayRefIn (
    RecordID citext CHECK (char_length(RecordID) <= 20) NOT NULL,
    OrgCode citext CHECK (char_length(OrgCode) <= 20),
    InpPerCode citext CHECK (char_length(InpPerCode) <= 20),
    InpDate timestamp(3),
    CONSTRAINT PK_TData_TwowayRefIn PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_TwowayRefIn_InpPerCode ON TData_TwowayRefIn (lower(InpPerCode::text) text_pattern_ops);
CREATE TABLE TDict_PVRVMediList (
    RecordID citext CHECK (char_length(RecordID) <= 20) NOT NULL,
    OrgCode citext CHECK (char_length(OrgCode) <= 20),
    InpPerCode citext CHECK (char_length(InpPerCode) <= 20),
    InpDate timestamp(3),
    CONSTRAINT PK_TDict_PVRVMediList PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TDict_PVRVMediList_InpPerCode ON TDict_PVRVMediList (lower(InpPerCode::text) text_pattern_ops);
CREATE TABLE TData_PerEIDsHis (
    RecordID citext CHECK (char_length(RecordID) <= 20) NOT NULL,
    OrgCode citext CHECK (char_length(OrgCode) <= 20),
    InpPerCode citext CHECK (char_length(InpPerCode) <= 20),
    InpDate timestamp(3),
    CONSTRAINT PK_TData_PerEIDsHis PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_PerEIDsHis_InpPerCode ON TData_PerEIDsHis (lower(InpPerCode::text) text_pattern_ops);
CREATE TABLE TData_HolePerBaseInfo (
    RecordID citext CHECK (char_length(RecordID) <= 20) NOT NULL,
    OrgCode citext CHECK (char_length(OrgCode) <= 20),
    InpPerCode citext CHECK (char_length(InpPerCode) <= 20),
    InpDate timestamp(3),
    CONSTRAINT PK_TData_HolePerBaseInfo PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_HolePerBaseInfo_InpPerCode ON TData_HolePerBaseInfo (lower(InpPerCode::text) text_pattern_ops);
CREATE TABLE TData_PerBaseInfo (
    RecordID citext CHECK (char_length(RecordID) <= 20) NOT NULL,
    OrgCode citext CHECK (char_length(OrgCode) <= 20),
    CreaRchPerCode citext CHECK (char_length(CreaRchPerCode) <= 20),
    InpPerCode citext CHECK (char_length(InpPerCode) <= 20),
    InpDate timestamp(3),
    CONSTRAINT PK_TData_PerBaseInfo PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_PerBaseInfo_InpPerCode ON TData_PerBaseInfo (lower(InpPerCode::text) text_pattern_ops);
CREATE INDEX IX_TData_PerBaseInfo_CreaRchPerCode ON TData_PerBaseInfo (lower(CreaRchPerCode::text) text_pattern_ops);
CREATE TABLE TData_PVRVVaccMat (
    RecordID citext CHECK (char_length(RecordID) <= 20) NOT NULL,
    OrgCode citext CHECK (char_length(OrgCode) <= 20),
    CreaCardPerCode citext CHECK (char_length(CreaCardPerCode) <= 20),
    InpPerCode citext CHECK (char_length(InpPerCode) <= 20),
    InpDate timestamp(3),
    CONSTRAINT PK_TData_PVRVVaccMat PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_PVRVVaccMat_InpPerCode ON TData_PVRVVaccMat (lower(InpPerCode::text) text_pattern_ops);
CREATE INDEX IX_TData_PVRVVaccMat_CreaCardPerCode ON TData_PVRVVaccMat (lower(CreaCardPerCode::text) text_pattern_ops);
CREATE TABLE TData_VisClinicRecord (
    RecordID citext CHECK (char_length(RecordID) <= 20) NOT NULL,
    OrgCode citext CHECK (char_length(OrgCode) <= 20),
    InpPerCode citext CHECK (char_length(InpPerCode) <= 20),
    InpDate timestamp(3),
    CONSTRAINT PK_TData_VisClinicRecord PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_VisClinicRecord_InpPerCode ON TData_VisClinicRecord (lower(InpPerCode::text) text_pattern_ops);
CREATE TABLE TDict_PVRVList (
    RecordID citext CHECK (char_length(RecordID) <= 20) NOT NULL,
    OrgCode citext CHECK (char_length(OrgCode) <= 20),
    InpPerCode citext CHECK (char_length(InpPerCode) <= 20),
    InpDate timestamp(3),
    CONSTRAINT PK_TDict_PVRVList PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TDict_PVRVList_InpPerCode ON TDict_PVRVList (lower(InpPerCode::text) text_pattern_ops);
CREATE TABLE TData_VisHospRecord (
    RecordID citext CHECK (char_length(RecordID) <= 20) NOT NULL,
    OrgCode citext CHECK (char_length(OrgCode) <= 20),
    InpPerCode citext CHECK (char_length(InpPerCode) <= 20),
    InpDate timestamp(3),
    CONSTRAINT PK_TData_VisHospRecord PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_VisHospRecord_InpPerCode ON TData_VisHospRecord (lower(InpPerCode::text) text_pattern_ops);
CREATE TABLE TData_HoleFolupVisit (
    RecordID citext CHECK (char_length(RecordID) <= 20) NOT NULL,
    OrgCode citext CHECK (char_length(OrgCode) <= 20),
    InpPerCode citext CHECK (char_length(InpPerCode) <= 20),
    InpDate timestamp(3),
    CONSTRAINT PK_TData_HoleFolupVisit PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_HoleFolupVisit_InpPerCode ON TData_HoleFolupVisit (lower(InpPerCode::text) text_pattern_ops);
CREATE TABLE TDict_PVRVVaccDef (
    RecordID citext CHECK (char_length(RecordID) <= 20) NOT NULL,
    OrgCode citext CHECK (char_length(OrgCode) <= 20),
    InpPerCode citext CHECK (char_length(InpPerCode) <= 20),
    InpDate timestamp(3),
    CONSTRAINT PK_TDict_PVRVVaccDef PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TDict_PVRVVaccDef_InpPerCode ON TDict_PVRVVaccDef (lower(InpPerCode::text) text_pattern_ops);
CREATE TABLE TData_PVRVVaccDet (
    RecordID citext CHECK (char_length(RecordID) <= 20) NOT NULL,
    OrgCode citext CHECK (char_length(OrgCode) <= 20),
    InpPerCode citext CHECK (char_length(InpPerCode) <= 20),
    InpDate timestamp(3),
    CONSTRAINT PK_TData_PVRVVaccDet PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_PVRVVaccDet_InpPerCode ON TData_PVRVVaccDet (lower(InpPerCode::text) text_pattern_ops);
CREATE TABLE TData_PerBaseInfo_Surg (
    RecordID citext CHECK (char_length(RecordID) <= 20) NOT NULL,
    OrgCode citext CHECK (char_length(OrgCode) <= 20),
    InpPerCode citext CHECK (char_length(InpPerCode) <= 20),
    InpDate timestamp(3),
    CONSTRAINT PK_TData_PerBaseInfo_Surg PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_PerBaseInfo_Surg_InpPerCode ON TData_PerBaseInfo_Surg (lower(InpPerCode::text) text_pattern_ops);
CREATE TABLE TData_PerBaseInfo_Tran (
    RecordID citext CHECK (char_length(RecordID) <= 20) NOT NULL,
    OrgCode citext CHECK (char_length(OrgCode) <= 20),
    InpPerCode citext CHECK (char_length(InpPerCode) <= 20),
    InpDate timestamp(3),
    CONSTRAINT PK_TData_PerBaseInfo_Tran PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_PerBaseInfo_Tran_InpPerCode ON TData_PerBaseInfo_Tran (lower(InpPerCode::text) text_pattern_ops);
CREATE TABLE TData_PerBaseInfo_Trau (
    RecordID citext CHECK (char_length(RecordID) <= 20) NOT NULL,
    OrgCode citext CHECK (char_length(OrgCode) <= 20),
    InpPerCode citext CHECK (char_length(InpPerCode) <= 20),
    InpDate timestamp(3),
    CONSTRAINT PK_TData_PerBaseInfo_Trau PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_PerBaseInfo_Trau_InpPerCode ON TData_PerBaseInfo_Trau (lower(InpPerCode::text) text_pattern_ops);
CREATE TABLE TData_PVRVVaccExp (
    RecordID citext CHECK (char_length(RecordID) <= 20) NOT NULL,
    OrgCode citext CHECK (char_length(OrgCode) <= 20),
    InpPerCode citext CHECK (char_length(InpPerCode) <= 20),
    InpDate timestamp(3),
    CONSTRAINT PK_TData_PVRVVaccExp PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_PVRVVaccExp_InpPerCode ON TData_PVRVVaccExp (lower(InpPerCode::text) text_pattern_ops);
CREATE TABLE TData_PerBaseInfoPH (
    RecordID citext CHECK (char_length(RecordID) <= 20) NOT NULL,
    OrgCode citext CHECK (char_length(OrgCode) <= 20),
    InpPerCode citext CHECK (char_length(InpPerCode) <= 20),
    InpDate timestamp(3),
    CONSTRAINT PK_TData_PerBaseInfoPH PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_PerBaseInfoPH_InpPerCode ON TData_PerBaseInfoPH (lower(InpPerCode::text) text_pattern_ops);
CREATE TABLE TData_PVRVVaccSch (
    RecordID citext CHECK (char_length(RecordID) <= 20) NOT NULL,
    OrgCode citext CHECK (char_length(OrgCode) <= 20),
    InpPerCode citext CHECK (char_length(InpPerCode) <= 20),
    InpDate timestamp(3),
    CONSTRAINT PK_TData_PVRVVaccSch PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_PVRVVaccSch_InpPerCode ON TData_PVRVVaccSch (lower(InpPerCode::text) text_pattern_ops);
CREATE TABLE TData_ThreeAgeHomVis (
    RecordID citext CHECK (char_length(RecordID) <= 20) NOT NULL,
    OrgCode citext CHECK (char_length(OrgCode) <= 20),
    InpPerCode citext CHECK (char_length(InpPerCode) <= 20),
    InpDate timestamp(3),
    CONSTRAINT PK_TData_ThreeAgeHomVis PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_ThreeAgeHomVis_InpPerCode ON TData_ThreeAgeHomVis (lower(InpPerCode::text) text_pattern_ops);
CREATE TABLE TData_UserRight (
    RecordID citext CHECK (char_length(RecordID) <= 20) NOT NULL,
    OrgCode citext CHECK (char_length(OrgCode) <= 20),
    InpPerCode citext CHECK (char_length(InpPerCode) <= 20),
    InpDate timestamp(3),
    CONSTRAINT PK_TData_UserRight PRIMARY KEY (RecordID)
);
CREATE INDEX IX_TData_UserRight_InpPerCode ON TData_UserRight (lower(InpPerCode::text) text_pattern_ops);
