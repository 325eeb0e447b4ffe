-- Schema of the RCMS database, SQL Server.

-- Users of the RCMS system, the source of the synchronisation.
CREATE TABLE p_User (
    UserCode nvarchar(20) NOT NULL,
    UserName nvarchar(50),
    Spell nvarchar(50),
    FiveStrokes nvarchar(50),
    OrgCode nvarchar(20),
    Grade nvarchar(10),
    ContactType nvarchar(100),
    PassWord nvarchar(50),
    CONSTRAINT PK_p_User PRIMARY KEY (UserCode)
);

-- System parameters. Rows are inserted without column names, so the
-- column order is part of the contract: name, description, value.
CREATE TABLE TSys_Param (
    ParamName nvarchar(50) NOT NULL,
    ParamDesc nvarchar(100),
    ParamValue nvarchar(100),
    CONSTRAINT PK_TSys_Param PRIMARY KEY (ParamName)
);

-- Code dictionary; the lists show the items whose IsStop is '2'.
CREATE TABLE TDict_CodDatDet (
    DatCodID int NOT NULL,
    ItemID nvarchar(20) NOT NULL,
    ItemName nvarchar(100),
    IsStop nvarchar(1),
    CONSTRAINT PK_TDict_CodDatDet PRIMARY KEY (DatCodID, ItemID)
);
CREATE INDEX IX_TDict_CodDatDet_Stop ON TDict_CodDatDet (DatCodID, IsStop);
