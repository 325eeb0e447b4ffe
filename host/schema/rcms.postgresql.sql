-- Schema of the RCMS database, PostgreSQL. Text columns are citext, so that
-- comparisons, Like and sorting ignore case as SQL Server's default collation
-- does; the checks keep SQL Server's lengths. Dates keep SQL Server's milliseconds.
CREATE EXTENSION IF NOT EXISTS citext;

-- Users of the RCMS system, the source of the synchronisation.
CREATE TABLE p_User (
    UserCode citext CHECK (char_length(UserCode) <= 20) NOT NULL,
    UserName citext CHECK (char_length(UserName) <= 50),
    Spell citext CHECK (char_length(Spell) <= 50),
    FiveStrokes citext CHECK (char_length(FiveStrokes) <= 50),
    OrgCode citext CHECK (char_length(OrgCode) <= 20),
    Grade citext CHECK (char_length(Grade) <= 10),
    ContactType citext CHECK (char_length(ContactType) <= 100),
    PassWord citext CHECK (char_length(PassWord) <= 50),
    CONSTRAINT PK_p_User PRIMARY KEY (UserCode)
);

-- System parameters. Rows are inserted without column names, so the
-- column order is part of the contract: name, description, value.
CREATE TABLE TSys_Param (
    ParamName citext CHECK (char_length(ParamName) <= 50) NOT NULL,
    ParamDesc citext CHECK (char_length(ParamDesc) <= 100),
    ParamValue citext CHECK (char_length(ParamValue) <= 100),
    CONSTRAINT PK_TSys_Param PRIMARY KEY (ParamName)
);

-- Code dictionary; the lists show the items whose IsStop is '2'.
CREATE TABLE TDict_CodDatDet (
    DatCodID integer NOT NULL,
    ItemID citext CHECK (char_length(ItemID) <= 20) NOT NULL,
    ItemName citext CHECK (char_length(ItemName) <= 100),
    IsStop citext CHECK (char_length(IsStop) <= 1),
    CONSTRAINT PK_TDict_CodDatDet PRIMARY KEY (DatCodID, ItemID)
);
CREATE INDEX IX_TDict_CodDatDet_Stop ON TDict_CodDatDet (DatCodID, IsStop);
