// Table steps of the insurance-office product: reference tables, vouchers and document kinds.
//
// Reference lists (commission per policy year, cash boxes, expense and income
// kinds, commission percentages, tasks, bank accounts, SMS recipients and
// texts, scanned documents, cash-box users, document kinds) and three voucher
// tables.  Four tables come from a create statement of their own, which gives
// P_TKarmozd and P_Cash_Users their composite primary keys; P_Sanad_Type is
// dropped before its step and refilled with its ten fixed rows after it, so
// every run leaves exactly those rows.
#include "products/TableSteps.h"

namespace orvel {

namespace {

// year1 .. year30, the commission of each policy year.
std::vector<ColumnEntry> lifeCommissionColumns() {
    std::vector<ColumnEntry> entries = {
        {"sh_b", "nvarchar(50)"}, {"cth", "integer"}, {"cg", "integer"}, {"nth", "nvarchar(50)"}};
    for (int year = 1; year <= 30; ++year) entries.push_back({"year" + std::to_string(year), "money"});
    return entries;
}

}  // namespace

std::vector<TableStep> VeloraReferenceTableSteps() {
    return {
        {.name = "P_KAR_OMR", .table = "P_KAR_OMR", .firstColumn = "ID", .firstType = "integer",
         .entries = lifeCommissionColumns(), .finalTableAdvance = true},

        {.name = "P_TSANDUQ", .table = "P_TSanduq", .firstColumn = "CASH_CD", .firstType = "integer",
         .entries = {{"MOJUDI", "MONEY"}, {"CASH_DSC", "NVARCHAR(50)"}},
         .finalTableAdvance = true},

        {.name = "P_THazineh_i", .table = "P_THazineh", .firstColumn = "CH", .firstType = "integer",
         .entries = {{"NH", "nvarchar(50)"}, {"CG", "integer"}, {"NG", "nvarchar(50)"},
                     {"[TO]", "nvarchar(100)"}},
         .finalTableAdvance = true},

        {.name = "P_TDaramad_i", .table = "P_TDaramad", .firstColumn = "CD", .firstType = "integer",
         .entries = {{"ND", "nvarchar(50)"}, {"SHARH", "nvarchar(100)"}},
         .finalTableAdvance = true},

        {.name = "A_BDaramad_i", .table = "A_BDaramad", .firstColumn = "SHB", .firstType = "integer",
         .entries = {{"TA", "nvarchar(10)"}, {"SA", "nvarchar(10)"}, {"CD", "integer"},
                     {"ND", "nvarchar(50)"}, {"SHARH", "nvarchar(100)"}, {"MAB", "money"},
                     {"SHRD", "integer"}, {"JNAQD", "money"}, {"JCH", "money"}, {"JHAV", "money"},
                     {"JMABD", "money"}, {"CK", "integer"}, {"NK", "nvarchar(100)"},
                     {"SHO_SANAD", "integer"}, {"CTH", "integer"}, {"CGTH", "integer"},
                     {"NTH", "nvarchar(50)"}, {"IS_BESTANKARI", "bit"}},
         .finalTableAdvance = true},

        // The own create makes the three codes the primary key; their entries
        // then find the columns and only add them to an older table.
        {.name = "P_TKarmozd", .table = "P_TKarmozd", .firstColumn = "INS_CD", .firstType = "integer",
         .ownCreate = "create table dbo.P_TKarmozd (INS_CD integer , BZR_CD integer ,COM_CD  integer, "
                      "primary key(INS_CD , BZR_CD , COM_CD))",
         .entries = {{"INS_CD", "integer"}, {"INS_DSC", "nvarchar(100)"}, {"BZR_CD", "integer"},
                     {"BZR_DSC", "nvarchar(100)"}, {"COM_CD", "integer"}, {"COM_DSC", "nvarchar(100)"},
                     {"PURSANT", "float"}},
         .finalTableAdvance = true},

        {.name = "P_Task", .table = "P_TASK", .firstColumn = "ID", .firstType = "integer",
         .entries = {{"SHARH", "nvarchar(100)"}, {"BASHLANISH", "nvarchar(20)"},
                     {"QURTULUSH", "nvarchar(20)"}, {"STS", "nvarchar(20)"}, {"CK", "integer"},
                     {"NK", "nvarchar(100)"}},
         .finalTableAdvance = true},

        {.name = "P_THESAB_BANKI_i", .table = "P_THESAB_BANKI", .firstColumn = "ID", .firstType = "integer",
         .entries = {{"SHHesab", "NVARCHAR(50)"}, {"NBANK", "NVARCHAR(50)"}, {"NSHOBEH", "NVARCHAR(50)"},
                     {"NSahebHesab", "NVARCHAR(50)"}, {"Mojudi_Avaliye", "MONEY"}},
         .finalTableAdvance = true},

        {.name = "Temp_THesab", .table = "Temp_THesab", .firstColumn = "Name", .firstType = "nvarchar(100)",
         .ownCreate = "create table dbo.Temp_THesab (Name nvarchar(100) )",
         .entries = {{"MAN", "money"}, {"MOB", "nvarchar(20)"}, {"TEL", "nvarchar(20)"},
                     {"ADR", "nvarchar(100)"}, {"TT", "nvarchar(20)"}},
         .finalTableAdvance = true},

        {.name = "P_OTHERS_SMS", .table = "P_OTHERS_SMS", .firstColumn = "NTH", .firstType = "nvarchar(50)",
         .ownCreate = "create table dbo.P_OTHERS_SMS (NTH nvarchar(50) )",
         .entries = {{"MOB", "nvarchar(20)"}, {"Group_Name", "nvarchar(50)"}, {"TT", "nvarchar(20)"}},
         .finalTableAdvance = true},

        {.name = "P_SMS_TEXT", .table = "P_SMS_TEXT", .firstColumn = "TEXT", .firstType = "nvarchar(255)",
         .entries = {{"TEXT_TYPE", "nvarchar(100)"}},
         .finalTableAdvance = true},

        {.name = "A_EHBTH_I", .table = "A_EHBTH", .firstColumn = "ID", .firstType = "integer",
         .entries = {{"TA", "nvarchar(50)"}, {"MAB", "money"}, {"SHARH", "nvarchar(150)"},
                     {"SHARH2", "nvarchar(150)"}, {"CG_BED", "integer"}, {"CTH_BED", "integer"},
                     {"NTH_BED", "nvarchar(50)"}, {"CG_BES", "integer"}, {"CTH_BES", "integer"},
                     {"NTH_BES", "nvarchar(50)"}, {"SH_ID_BED", "integer"}, {"SH_ID_BES", "integer"},
                     {"CK", "integer"}, {"NK", "nvarchar(50)"}},
         .finalTableAdvance = true},

        {.name = "P_Document", .table = "P_Document", .firstColumn = "Image_ID", .firstType = "integer",
         .entries = {{"GRP1", "nvarchar(50)"}, {"GRP1_DSC", "nvarchar(50)"}, {"GRP2", "nvarchar(50)"},
                     {"GRP2_DSC", "nvarchar(50)"}, {"INS_DT", "nvarchar(50)"}, {"INS_USER", "nvarchar(50)"},
                     {"Image_Path", "nvarchar(200)"}, {"Image_DSC", "nvarchar(200)"}},
         .finalTableAdvance = true},

        // The own create holds all four columns and the key (CK, CASH_CD).
        {.name = "P_Cash_Users", .table = "P_Cash_Users", .firstColumn = "CK", .firstType = "integer",
         .ownCreate = "create table dbo.P_Cash_Users (CK integer , CASH_CD integer ,CASH_DSC nvarchar(150) "
                      ",NK nvarchar(50) , primary key(CK , CASH_CD ))",
         .entries = {{"CASH_CD", "integer"}, {"CASH_DSC", "nvarchar(150)"}, {"NK", "nvarchar(50)"}},
         .finalTableAdvance = true},

        {.name = "A_PARDAKHT_I", .table = "A_PARDAKHT", .firstColumn = "SH_R", .firstType = "integer",
         .entries = {{"Babat_SH_B", "nvarchar(100)"}, {"Babat_SH_ID_Elhaq", "integer"}},
         .finalTableAdvance = true},

        // Dropped first, so the table is always created anew with its two
        // columns; refilled once both bars have moved.
        {.name = "P_Sanad_Type", .table = "P_Sanad_Type", .firstColumn = "Sanad_CD", .firstType = "integer",
         .entries = {{"Sanad_DSC", "nvarchar(150)"}},
         .statements =
             {
                 {.point = StatementPoint::BeforeCreate,
                  .text = "IF OBJECT_ID('P_Sanad_Type') IS NOT NULL DROP Table P_Sanad_Type "},
                 {.point = StatementPoint::AfterBars, .text = "delete from P_Sanad_Type"},
                 {.point = StatementPoint::AfterBars,
                  .text = "insert into  P_Sanad_Type values (1 ,'سند صدور بيمه نامه')"},
                 {.point = StatementPoint::AfterBars, .text = "insert into  P_Sanad_Type values (2 ,'سند دريافت')"},
                 {.point = StatementPoint::AfterBars, .text = "insert into  P_Sanad_Type values (3 ,'سند پرداخت')"},
                 {.point = StatementPoint::AfterBars,
                  .text = "insert into  P_Sanad_Type values (4 ,'سند تخفيف به مشتري')"},
                 {.point = StatementPoint::AfterBars,
                  .text = "insert into  P_Sanad_Type values (5 ,'سند فسخ يا الحاقيه')"},
                 {.point = StatementPoint::AfterBars, .text = "insert into  P_Sanad_Type values (6 ,'سند هزينه')"},
                 {.point = StatementPoint::AfterBars, .text = "insert into  P_Sanad_Type values (7 ,'سند درآمد')"},
                 {.point = StatementPoint::AfterBars,
                  .text = "insert into  P_Sanad_Type values (8 ,'سند انتقال حساب بين طرف حسابها')"},
                 {.point = StatementPoint::AfterBars, .text = "insert into  P_Sanad_Type values (9 ,'سند عودت چک')"},
                 {.point = StatementPoint::AfterBars,
                  .text = "insert into  P_Sanad_Type values (10 ,'سند برگشت چک')"},
             },
         .finalTableAdvance = true},
    };
}

}  // namespace orvel
