-- Schema of the RCMS database, SQLite: every text column compares case-insensitively (COLLATE NOCASE),
-- as SQL Server's default collation does, and a prefix LIKE can use the indexes.
-- Dates are kept as 'YYYY-MM-DD HH:MM:SS' text on SQLite.

-- Users of the RCMS system, the source of the synchronisation.
CREATE TABLE p_User (
    UserCode varchar(20) COLLATE NOCASE NOT NULL,
    UserName varchar(50) COLLATE NOCASE,
    Spell varchar(50) COLLATE NOCASE,
    FiveStrokes varchar(50) COLLATE NOCASE,
    OrgCode varchar(20) COLLATE NOCASE,
    Grade varchar(10) COLLATE NOCASE,
    ContactType varchar(100) COLLATE NOCASE,
    PassWord varchar(50) COLLATE NOCASE,
    PRIMARY KEY (UserCode)
);

-- System parameters. Rows are inserted without column names, so the
-- column order is part of the contract: name, description, value.
CREATE TABLE TSys_Param (
    ParamName varchar(50) COLLATE NOCASE NOT NULL,
    ParamDesc varchar(100) COLLATE NOCASE,
    ParamValue varchar(100) COLLATE NOCASE,
    PRIMARY KEY (ParamName)
);

-- Code dictionary; the lists show the items whose IsStop is '2'.
CREATE TABLE TDict_CodDatDet (
    DatCodID int NOT NULL,
    ItemID varchar(20) COLLATE NOCASE NOT NULL,
    ItemName varchar(100) COLLATE NOCASE,
    IsStop varchar(1) COLLATE NOCASE,
    PRIMARY KEY (DatCodID, ItemID)
);
CREATE INDEX IX_TDict_CodDatDet_Stop ON TDict_CodDatDet (DatCodID, IsStop);
