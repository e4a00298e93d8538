// Table steps of the insurance-office product: commissions, advantages, insured persons and credit.
//
// The log of automatic SMS replies, stored passwords, commission percentages
// per insurance kind, year and insurer, advantage formulas and the advantages
// granted on policies, insured persons, credit lines and the credit taken per
// policy, expense groups and custom field definitions.  Keys, foreign keys and
// the unique credit-line index are dropped and made again on every run.  Five
// steps set the table bar after their columns (late count), so it ends at the
// table's final column count.
#include "products/TableSteps.h"

namespace orvel {

std::vector<TableStep> VeloraCommissionTableSteps() {
    return {
        {.name = "T_Auto_Response_Dt", .table = "T_Auto_Response_Dt", .firstColumn = "ID",
         .firstType = "integer primary key",
         .entries = {{"Secretary_id", "integer"}, {"Receive_Msg_id", "integer"}, {"Send_Msg_id", "integer"}},
         .finalTableAdvance = true},

        {.name = "T_Systempwd", .table = "T_Systempwd", .firstColumn = "id", .firstType = "integer",
         .entries = {{"Objectpwd", "varbinary(128)"}},
         .finalTableAdvance = true},

        // Key rebuild on every run.  The key is dropped before the three key
        // columns are altered to NOT NULL: the server rejects an ALTER COLUMN
        // on a column its primary key depends on, even one that changes
        // nothing, so altering first failed every run after the first.
        {.name = "P_TBimeh_Wage_DT", .table = "P_TBimeh_Wage_DT", .firstColumn = "CB",
         .firstType = "integer not null",
         .entries = {{"Wage_Year", "nvarchar(50)"}, {"Wage_Percent", "float"}, {"Issuer_Percent", "float"},
                     {"Ins_com_cd", "integer"}},
         .statements =
             {
                 {.text = "update P_TBimeh_Wage_DT set Ins_com_cd=1 where Ins_com_cd is null "},
                 {.text = "IF OBJECT_ID('PK_TBimeh_Wage_DT') IS NOT NULL ALTER TABLE P_TBimeh_Wage_DT "
                          "DROP CONSTRAINT  PK_TBimeh_Wage_DT "},
                 {.text = "alter table P_TBimeh_Wage_DT alter column CB integer not null "},
                 {.text = "alter table P_TBimeh_Wage_DT alter column Wage_Year nvarchar(50) not null "},
                 {.text = "alter table P_TBimeh_Wage_DT alter column Ins_com_cd integer not null "},
                 {.text = "alter table P_TBimeh_Wage_DT add constraint PK_TBimeh_Wage_DT primary key "
                          "(Ins_com_cd,CB,Wage_Year) "},
             },
         .finalTableAdvance = true},

        // The server creates the table, with its key (CG, CTH, CB) and the
        // unique Formula_ID that T_Advantages refers to, only when no object
        // of that name exists; CreateTableIfMissing then finds it.
        {.name = "T_Advantage_Formulas", .table = "T_Advantage_Formulas", .firstColumn = "Formula_ID",
         .firstType = "integer UNIQUE",
         .entries = {{"CG", "integer"}, {"CTH", "integer"}, {"NTH", "nvarchar(150)"}, {"CB", "integer"},
                     {"NB", "nvarchar(150)"}, {"Amount", "float"}, {"Amount_Type", "nvarchar(50)"},
                     {"Calc_Base", "nvarchar(150)"}},
         .statements = {{.point = StatementPoint::BeforeCreate,
                         .text = "IF OBJECT_ID('T_Advantage_Formulas') IS  NULL Create table "
                                 "dbo.T_Advantage_Formulas (Formula_ID int not null unique,CG int not null "
                                 ",CTH int not null,CB int not null , primary key (CG,CTH,CB) )"}},
         .finalTableAdvance = true, .lateCount = true},

        {.name = "T_Advantages", .table = "T_Advantages", .firstColumn = "Adv_ID",
         .firstType = "integer primary key",
         .entries = {{"SH_B", "nvarchar(50) NOT NULL"}, {"Formula_ID", "integer"}, {"Amount", "float"},
                     {"Amount_Type", "nvarchar(50)"}, {"Calc_Base", "nvarchar(150)"}, {"IS_Moaref", "bit"},
                     {"ID_GMTH", "int"}},
         .statements =
             {
                 {.text = "if exists (select name from sys.foreign_keys where name='FK_Adv_Formula_ID') "
                          "alter table T_Advantages drop  constraint FK_Adv_Formula_ID "},
                 {.text = "alter table T_Advantages add constraint FK_Adv_Formula_ID foreign key (Formula_ID) "
                          "REFERENCES T_Advantage_Formulas(Formula_ID) "},
             },
         .finalTableAdvance = true, .lateCount = true},

        {.name = "T_Insured", .table = "T_Insured", .firstColumn = "SH_B", .firstType = "NVARCHAR(50) NOT NULL",
         .entries = {{"First_Name", "nvarchar(50)"}, {"Last_Name", "nvarchar(50)"},
                     {"RATIO", "nvarchar(50) NOT NULL"}, {"National_CD", "nvarchar(15)"},
                     {"Birth_Date", "nvarchar(10)"}},
         .finalTableAdvance = true, .lateCount = true},

        // At most one credit line per insurance company: the unique index is
        // made again once both bars have moved.
        {.name = "T_Credit_Cash", .table = "T_Credit_Cash", .firstColumn = "Cash_CD",
         .firstType = "integer NOT NULL PRIMARY KEY",
         .entries = {{"Cash_DSC", "nvarchar(50)"}, {"INS_COM_CD", "integer"}, {"Credit_Roof", "money"},
                     {"Credit_Length", "integer"}, {"Start_Date", "nvarchar(10)"}},
         .statements =
             {
                 {.point = StatementPoint::AfterBars,
                  .text = "if exists (select 1 from sys.indexes where name='IX_T_Credit_Cash' and "
                          "object_id=object_id('T_Credit_Cash')) DROP INDEX  IX_T_Credit_Cash ON T_Credit_Cash"},
                 {.point = StatementPoint::AfterBars,
                  .text = "CREATE UNIQUE NONCLUSTERED INDEX IX_T_Credit_Cash ON T_Credit_Cash (INS_COM_CD ASC) \r"
                          "WITH (PAD_INDEX  = OFF, STATISTICS_NORECOMPUTE  = OFF, SORT_IN_TEMPDB = OFF, "
                          "IGNORE_DUP_KEY = OFF, DROP_EXISTING = OFF, ONLINE = OFF, ALLOW_ROW_LOCKS  = ON, "
                          "ALLOW_PAGE_LOCKS  = ON) ON [PRIMARY]"},
             },
         .finalTableAdvance = true, .lateCount = true},

        {.name = "T_Credit_Cash_History", .table = "T_Credit_Cash_History", .firstColumn = "SH_B",
         .firstType = "nvarchar(100) NOT NULL PRIMARY KEY",
         .entries = {{"Cash_CD", "integer NOT NULL"}, {"Credit_Roof", "money"}, {"Credit_Length", "integer"},
                     {"Close_ID", "integer"}},
         .statements =
             {
                 {.point = StatementPoint::AfterBars,
                  .text = "IF OBJECT_ID('FK_T_Credit_Cash') IS NOT NULL ALTER TABLE T_Credit_Cash_History "
                          "DROP CONSTRAINT  FK_T_Credit_Cash "},
                 {.point = StatementPoint::AfterBars,
                  .text = "ALTER TABLE T_Credit_Cash_History ADD CONSTRAINT FK_T_Credit_Cash FOREIGN KEY "
                          "(Cash_CD) REFERENCES T_Credit_Cash (Cash_CD)\r"},
             },
         .finalTableAdvance = true, .lateCount = true},

        // Seeds the two expense groups only while the table holds no row; the
        // inserts name no columns and fill CGH, NGH, SHARH in that order.
        {.name = "P_TGHAZINEH", .table = "P_TGHAZINEH", .firstColumn = "CGH", .firstType = "integer primary key",
         .entries = {{"NGH", "nvarchar(100) not null"}, {"SHARH", "nvarchar(100)"}},
         .statements = {{.text = "if not exists (select * from P_TGHAZINEH ) begin insert into P_TGHAZINEH "
                                 "values(1,'هزينه هاي ثابت',''); insert into P_TGHAZINEH "
                                 "values(2,'هزينه هاي غير ثابت','');end; "}},
         .finalTableAdvance = true},

        {.name = "P_TField", .table = "P_TField", .firstColumn = "Field_ID", .firstType = "integer primary key",
         .entries = {{"CB", "integer"}, {"Field_Title", "nvarchar(150)"}, {"Field_Type", "nvarchar(50)"},
                     {"Field_Sts", "nvarchar(50)"}, {"CK", "integer"}, {"NK", "nvarchar(50)"},
                     {"Ta", "nvarchar(10)"}, {"Sa", "nvarchar(10)"}},
         .finalTableAdvance = true},
    };
}

}  // namespace orvel
