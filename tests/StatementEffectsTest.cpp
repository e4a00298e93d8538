// What statements do to the tables, views and columns: the exact shapes,
// the statements that change no name, and the ones that may change names in
// ways the reading does not pin down.
#include <gtest/gtest.h>

#include "schema/StatementEffects.h"

namespace orvel {
namespace {

// "CreateTable dbo.X (a,b) if-missing", "none", "... +more".
std::string describe(const StatementEffect& effect) {
    std::string text = "none";
    if (const auto& c = effect.change) {
        static const char* const kinds[] = {"CreateTable", "CreateView", "AlterView", "AddColumns", "DropTable",
                                            "DropView"};
        text = std::string(kinds[c->kind]) + " " + (c->schema ? *c->schema + "." : "") + c->name;
        if (c->kind == CatalogueChange::CreateTable || c->kind == CatalogueChange::AddColumns ||
            (c->kind == CatalogueChange::CreateView && c->columnsKnown)) {
            text += " (";
            for (std::size_t i = 0; i < c->columns.size(); ++i) text += (i ? "," : "") + c->columns[i];
            text += ")";
        }
        if (c->kind == CatalogueChange::CreateView && !c->columnsKnown) text += " columns-unknown";
        if (c->guard == CatalogueChange::IfMissing) text += " if-missing";
        if (c->guard == CatalogueChange::IfPresent) text += " if-present";
        if (!c->fault.empty()) text += " fault: " + c->fault;
    }
    return effect.mayChangeMore ? text + " +more" : text;
}

struct Case {
    const char* sql;
    const char* effect;
};

void expectEffects(const std::vector<Case>& cases) {
    for (const auto& c : cases) EXPECT_EQ(describe(ReadStatementEffect(c.sql)), c.effect) << c.sql;
}

TEST(StatementEffects, ReadsTheShapesThatCreateDropAndAddExactly) {
    expectEffects({
        {"create table dbo.A_GMTHesab( ShF  integer PRIMARY KEY)", "CreateTable dbo.A_GMTHesab (ShF)"},
        {"create table T_Offers (Offer_ID integer  NOT NULL IDENTITY (1, 1))", "CreateTable T_Offers (Offer_ID)"},
        {"create table dbo.P_TKarmozd (INS_CD integer , BZR_CD integer ,COM_CD  integer, primary key(INS_CD , BZR_CD "
         ", COM_CD))",
         "CreateTable dbo.P_TKarmozd (INS_CD,BZR_CD,COM_CD)"},
        {"create table dbo.P_Log", "CreateTable dbo.P_Log ()"},
        {"create table [dbo].[T] ([TO] bit, \"From\" int) ON [PRIMARY]", "CreateTable dbo.T (TO,From)"},
        {"IF OBJECT_ID('T_Advantage_Formulas') IS  NULL Create table dbo.T_Advantage_Formulas (Formula_ID int not "
         "null unique,CG int not null , primary key (CG) )",
         "CreateTable dbo.T_Advantage_Formulas (Formula_ID,CG) if-missing"},
        {"create table dbo.X( ID  )", "CreateTable dbo.X () fault: Column 'ID' has no data type."},
        {"create table dbo.X(    )", "CreateTable dbo.X () fault: Incorrect syntax near ')'."},
        {"ALTER TABLE p_user ADD PASS nvarchar(50)", "AddColumns p_user (PASS)"},
        {"ALTER TABLE A_GMSANDUQ ADD CA integer not null", "AddColumns A_GMSANDUQ (CA)"},
        {"alter table T add [TO] bit, b int default (0)", "AddColumns T (TO,b)"},
        {"ALTER TABLE Old ADD C ", "AddColumns Old () fault: Column 'C' has no data type."},
        {"ALTER TABLE Old ADD  ", "AddColumns Old () fault: Incorrect syntax near 'ADD'."},
        {"drop table LOGIN", "DropTable LOGIN"},
        {"-- comment\rDROP VIEW dbo.V;", "DropView dbo.V"},
        {"IF OBJECT_ID('DBO.V_SUDUR_STS') IS NOT NULL DROP view DBO.V_SUDUR_STS", "DropView DBO.V_SUDUR_STS if-present"},
        {"IF OBJECT_ID('P_Sanad_Type') IS NOT NULL DROP Table P_Sanad_Type ", "DropTable P_Sanad_Type if-present"},
        {"if object_id(N'dbo.X') is not null drop table X", "DropTable dbo.X if-present"},
        {"CREATE view [dbo].[V_SUDUR_STS]\r(SH_B, [TO])\rAS\rSELECT A, B FROM T", "CreateView dbo.V_SUDUR_STS (SH_B,TO)"},
        {"CREATE VIEW dbo.V_AQSAT_STS\rAS\rSELECT DISTINCT A.CG INTO X FROM A", "CreateView dbo.V_AQSAT_STS columns-unknown"},
        {"ALTER VIEW V AS SELECT 1 AS One", "AlterView V"},
    });
}

// The definitions of the columns a statement makes, and every ALTER COLUMN
// in it, as written: what drift reads to learn a product's column types.
TEST(StatementEffects, ColumnDefinitionsAndAlteredColumnsAreKeptAsWritten) {
    const struct {
        const char* sql;
        std::vector<std::string> definitions;
        std::vector<AlteredColumn> altered;
    } cases[] = {
        {"create table dbo.Transfer( CT  Integer PRIMARY KEY)", {"Integer PRIMARY KEY"}, {}},
        {"create table dbo.P_TKarmozd (INS_CD integer , COM_CD  nvarchar (50) NOT NULL, primary key(INS_CD))",
         {"integer", "nvarchar (50) NOT NULL"},
         {}},
        {"ALTER TABLE T ADD a nvarchar(5) NOT NULL, [TO] bit default (0)", {"nvarchar(5) NOT NULL", "bit default (0)"}, {}},
        {"alter table A_FASQ ALTER COLUMN SH_B NVARCHAR(50) NOT NULL ", {}, {{"A_FASQ", "SH_B", "NVARCHAR(50) NOT NULL"}}},
        {"alter table  T_SMS_Inbox alter column [SMS_TEXT] nvarchar(450)", {}, {{"T_SMS_Inbox", "SMS_TEXT", "nvarchar(450)"}}},
        {"if not exists (select 1 from sys.columns where name='SH_R' and object_id=object_id('A_GMSANDUQ') and "
         "is_nullable=0) alter table dbo.A_GMSANDUQ ALTER COLUMN SH_R INT NOT NULL",
         {},
         {{"A_GMSANDUQ", "SH_R", "INT NOT NULL"}}},
        {"alter table T alter column a int; alter table [dbo].[U] alter column b decimal(18, 2) null\rselect 1",
         {},
         {{"T", "a", "int"}, {"U", "b", "decimal(18, 2) null"}}},
        {"begin alter table T alter column a money end", {}, {{"T", "a", "money"}}},
        {"alter table T alter column", {}, {}},
        {"alter table T add constraint PK primary key (a)", {}, {}},
    };
    for (const auto& c : cases) {
        const StatementEffect effect = ReadStatementEffect(c.sql);
        EXPECT_EQ(effect.change ? effect.change->definitions : std::vector<std::string>(), c.definitions) << c.sql;
        EXPECT_EQ(effect.alteredColumns, c.altered) << c.sql;
    }
}

TEST(StatementEffects, StatementsThatChangeNoNameAreKnownAsSuch) {
    expectEffects({
        {"alter table A_FASQ ALTER COLUMN SH_B NVARCHAR(50) NOT NULL ", "none"},
        {"alter table A_FASQ ADD CONSTRAINT PK_A_FASQ PRIMARY KEY (SH_B,SH_ID)", "none"},
        {"alter table T_SMS_Vote_Dt add constraint FK_VOTE_ID foreign key (VOTE_ID) REFERENCES T_Sms_Vote(VOTE_ID) "
         "ON DELETE CASCADE",
         "none"},
        {"IF OBJECT_ID('PK_A_GHAVALEH') IS NOT NULL ALTER TABLE A_GHAVALEH DROP constraint PK_A_GHAVALEH", "none"},
        {"IF OBJECT_ID('PK_A_GMSANDUQ') IS NULL alter table A_GMSANDUQ add constraint PK_A_GMSANDUQ  primary key  "
         "(sh_r,ca)",
         "none"},
        {"if not exists (select 1 from sys.columns where name='SH_R' and object_id=object_id('A_GMSANDUQ')) alter "
         "table A_GMSANDUQ ALTER COLUMN SH_R INT NOT NULL",
         "none"},
        {"if exists (select 1 from sys.indexes where name='Idx_A' and object_id=object_id('A')) DROP INDEX  Idx_A ON A",
         "none"},
        {"CREATE UNIQUE NONCLUSTERED INDEX IX_T ON T (C ASC) \rWITH (PAD_INDEX  = OFF, DROP_EXISTING = OFF) ON "
         "[PRIMARY]",
         "none"},
        {"DECLARE @ID INT;SET @ID=0;UPDATE A_FASQ SET @ID=SH_ID=@ID+1 WHERE SH_ID IS NULL;", "none"},
        {"if not exists (select * from P_TGHAZINEH ) begin insert into P_TGHAZINEH values(1,'a',''); insert into "
         "P_TGHAZINEH values(2,'b','');end; ",
         "none"},
        {"update p_tthesab set ng=:p1 where cg=2", "none"},
        {"delete from P_Sanad_Type", "none"},
        {"TRUNCATE TABLE T", "none"},
        {"SELECT * INTO #Work FROM T", "none"},
        {"IF OBJECT_ID('DBO.FN_Last_Reminder') IS NOT NULL DROP FUNCTION DBO.FN_Last_Reminder", "none"},
        {"IF OBJECT_ID('SP_FieldData') IS NOT NULL DROP procedure SP_FieldData", "none"},
        // A module's body runs when the module is used, not when it is made.
        {"Create Procedure dbo.SP_FieldData  AS BEGIN\r  DECLARE c CURSOR LOCAL FOR SELECT Name FROM T\r  FETCH NEXT "
         "FROM c INTO @Name\r  SET @Sql = 'ALTER TABLE T ADD ' + @Name\r  EXEC (@Sql)\r  ALTER TABLE T ADD X int\rEND",
         "none"},
        {"CREATE FUNCTION [dbo].[F] (@A INT) RETURNS money AS BEGIN SELECT * INTO Copy FROM T RETURN 0 END", "none"},
        {"CREATE TRIGGER TRG ON SUDUR AFTER DELETE AS BEGIN DROP TABLE T END", "none"},
    });
}

TEST(StatementEffects, StatementsThatMayChangeNamesOtherwiseAreSaidToMay) {
    expectEffects({
        {"EXEC sp_rename 'A', 'B'", "none +more"},
        {"sp_rename 'T.a', 'b', 'COLUMN'", "none +more"},
        {"EXEC ('create table X (a int)')", "none +more"},
        {"EXECUTE dbo.SP_Reconfig_Orvel", "none +more"},
        {"SELECT * INTO Copy FROM T", "none +more"},
        {"ALTER TABLE T DROP COLUMN a", "none +more"},
        {"ALTER TABLE T DROP CONSTRAINT c, COLUMN a", "none +more"},
        {"ALTER SCHEMA sales TRANSFER dbo.T", "none +more"},
        {"CREATE SYNONYM S FOR T", "none +more"},
        {"CREATE OR ALTER VIEW V AS SELECT 1 AS A", "none +more"},
        {"USE Other", "none +more"},
        {"drop table A, B", "none +more"},
        {"IF OBJECT_ID('X') IS NOT NULL DROP TABLE Y", "none +more"},
        {"if not exists (select 1 from sys.columns where name='C') alter table T add C int", "none +more"},
        {"ALTER TABLE T ADD a int\rUPDATE T SET a = 0, b = 1", "AddColumns T (a,b) +more"},
        {"create table dbo.X (a int)\rexec sp_rename 'X', 'Y'", "CreateTable dbo.X (a) +more"},
        {"IF OBJECT_ID('X') IS NULL CREATE TABLE X (a int); DROP TABLE Z", "CreateTable X (a) if-missing +more"},
    });
}

}  // namespace
}  // namespace orvel
