// Table steps of the touch-screen accounting product.
//
// The first column of a table exists only through its create statement
// (except in P_INFO, which repeats it among its entries), so every step
// advances TableGauge once more after its last entry to end a complete
// table at 100 %.  No step sends anything but the schema operations'
// statements.
#include "products/TableSteps.h"

namespace orvel {

std::vector<TableStep> ZorbexTableSteps() {
    std::vector<TableStep> steps{
        {.name = "a_cdaryafti_x", .table = "A_CDaryafti",
         .firstColumn = "SH_SERIAL", .firstType = "nvarchar(50)",
         .entries = {
             {"sharh", "nvarchar(100)"}, {"TA_SARRESID", "nvarchar(100)"}, {"NBANK", "nvarchar(100)"},
             {"MAB", "money"}, {"VAZ", "nvarchar(100)"}, {"CTH", "integer"}, {"NTH", "nvarchar(100)"},
             {"CTH_M", "integer"}, {"NTH_M", "nvarchar(100)"}, {"SH_RP", "integer"}, {"SELECTED", "bit"},
             {"IS_AVAL_DOREH", "bit"}, {"VUSUL_TYPE", "nvarchar(20)"}, {"SH_ID", "integer"},
         }},
        {.name = "a_cpardakhti_x", .table = "A_CPardakhti",
         .firstColumn = "SH_SERIAL", .firstType = "nvarchar(50)",
         .entries = {
             {"sharh", "nvarchar(100)"}, {"SH_R", "integer"}, {"TA_SARRESID", "nvarchar(100)"},
             {"SH_HESAB", "nvarchar(100)"}, {"NSAHEB_HESAB", "nvarchar(100)"}, {"NBANK", "nvarchar(100)"},
             {"MAB", "money"}, {"VAZ", "nvarchar(100)"}, {"CTH_M", "integer"}, {"NTH_M", "nvarchar(100)"},
             {"IS_AVAL_DOREH", "bit"}, {"SH_ID", "integer"},
         }},
        {.name = "A_DARYAFT_X", .table = "A_daryaft", .firstColumn = "SH_R", .firstType = "integer",
         .entries = {
             {"TA", "nvarchar(10)"}, {"SHARH", "nvarchar(100)"}, {"MAB", "money"}, {"JNAQD", "money"},
             {"JCHEK", "money"}, {"JTAKH", "money"}, {"SH_HESAB", "nvarchar(50)"}, {"NBANK", "nvarchar(50)"},
             {"JHAVALEH", "money"}, {"JKOL", "money"}, {"CTH", "integer"}, {"NTH", "nvarchar(100)"},
             {"SH_ID_GH", "integer"}, {"SH_ID_GS", "integer"},
         }},
        {.name = "A_FURUSH_X", .table = "A_FURUSH", .firstColumn = "SH_F", .firstType = "integer",
         .entries = {
             {"TA", "nvarchar(10)"}, {"ADR", "nvarchar(100)"}, {"SHARH", "nvarchar(100)"},
             {"JHAZINEH", "money"}, {"JPAYE", "money"}, {"JTAKH", "money"}, {"JKOL", "money"},
             {"CTH", "integer"}, {"NTH", "nvarchar(100)"},
         }},
        {.name = "A_Furush_Kala_X", .table = "A_FURUSH_kala", .firstColumn = "SH_F", .firstType = "integer",
         .entries = {
             {"CANBAR", "integer"}, {"NAnbar", "nvarchar(100)"}, {"CKALA", "integer"},
             {"NKALA", "nvarchar(100)"}, {"NUM_K", "float"}, {"NUM_J", "float"}, {"NUM", "float"},
             {"NVahed", "nvarchar(50)"}, {"FI", "money"}, {"JSATR", "money"}, {"SHARH", "nvarchar(100)"},
         }},
        {.name = "A_GMTHesab_x", .table = "A_GMTHesab", .firstColumn = "ID", .firstType = "integer",
         .entries = {
             {"TA", "nvarchar(10)"}, {"SH_Sanad", "integer"}, {"CA", "integer"}, {"NA", "nvarchar(100)"},
             {"CTH", "integer"}, {"NTH", "nvarchar(100)"}, {"BED", "money"}, {"BES", "money"},
             {"REC", "nvarchar(10)"}, {"MAN", "money"}, {"SHARH", "nvarchar(150)"}, {"CK", "integer"},
             {"NK", "nvarchar(100)"},
         }},
        {.name = "A_KHARID_X", .table = "A_KHARID", .firstColumn = "SHF", .firstType = "integer",
         .entries = {
             {"TA", "nvarchar(10)"}, {"CTH", "integer"}, {"NTH", "nvarchar(100)"}, {"ADR", "nvarchar(100)"},
             {"SHARH", "nvarchar(100)"}, {"JPAYE", "money"}, {"JHAZINEH", "money"}, {"JTAKH", "money"},
             {"JKOL", "money"}, {"SH_R", "integer"},
         }},
        {.name = "A_KHarid_Kala_X", .table = "A_KHarid_Kala", .firstColumn = "SHF", .firstType = "integer",
         .entries = {
             {"CAnbar", "integer"}, {"NAnbar", "nvarchar(10)"}, {"CKala", "integer"},
             {"NKala", "nvarchar(100)"}, {"NVahed", "nvarchar(100)"}, {"NUM_K", "float"}, {"NUM_J", "float"},
             {"NUM", "float"}, {"FI", "money"}, {"JHAZINEH", "money"}, {"JSATR", "money"},
             {"SHARH", "nvarchar(100)"},
         }},
        {.name = "A_Pardakht_X", .table = "A_Pardakht", .firstColumn = "SH_R", .firstType = "integer",
         .entries = {
             {"TA", "nvarchar(15)"}, {"CTH", "integer"}, {"NTH", "nvarchar(100)"}, {"JNAQD", "money"},
             {"JCHEK", "money"}, {"JCHEK_ASH", "money"}, {"JKOL", "money"}, {"SHARH", "nvarchar(200)"},
             {"SH_HESAB", "nvarchar(50)"}, {"NBANK", "nvarchar(50)"}, {"JHAVALEH", "money"},
             {"SH_ID_GH", "integer"}, {"SH_ID_GS", "integer"},
         }},
        {.name = "P_INFO_X", .table = "P_INFO", .firstColumn = "ON1", .firstType = "nvarchar(50)",
         .entries = {
             {"ON1", "nvarchar(50)"}, {"ON2", "nvarchar(100)"}, {"TEL1", "nvarchar(50)"},
             {"TEL2", "nvarchar(50)"}, {"MOB", "nvarchar(50)"}, {"EMAIL", "nvarchar(50)"},
             {"ADR", "nvarchar(50)"}, {"AUTO_BACK", "BIT"}, {"BACK_PATH", "nvarchar(50)"},
         }},
        {.name = "P_Kala_X", .table = "P_Kala", .firstColumn = "CKala", .firstType = "integer",
         .entries = {
             {"NKala", "nvarchar(50)"}, {"mojudi", "integer"}, {"Fi_Furush", "money"},
             {"nvahed", "nvarchar(50)"}, {"NOTE", "nvarchar(100)"},
         }},
        {.name = "P_Pass_X", .table = "P_Pass", .firstColumn = "CK", .firstType = "nvarchar(50)",
         .entries = {
             {"NK", "nvarchar(50)"}, {"PASSWORD", "nvarchar(50)"}, {"En_Qoz", "bit"}, {"En_Edit", "bit"},
             {"En_Del", "bit"}, {"En_Other", "bit"},
         }},
        {.name = "P_TTHESAB_x", .table = "P_TTHESAB", .firstColumn = "CTH", .firstType = "integer",
         .entries = {
             {"NTH", "nvarchar(150)"}, {"ADDRESS", "nvarchar(50)"}, {"TEL1", "nvarchar(50)"},
             {"TEL2", "nvarchar(50)"}, {"TEL3", "nvarchar(50)"}, {"CM", "integer"}, {"NM", "nvarchar(150)"},
             {"TEL1_M", "nvarchar(50)"}, {"TEL2_M", "nvarchar(50)"}, {"TEL3_M", "nvarchar(50)"},
             {"BED", "money"}, {"BES", "money"}, {"MA", "money"}, {"MN", "money"}, {"TA", "nvarchar(50)"},
             {"NOTE", "nvarchar(250)"}, {"SHFA", "integer"}, {"CK", "nvarchar(50)"}, {"NK", "nvarchar(50)"},
             {"is_Moavaq", "bit"}, {"TA_AR", "nvarchar(50)"}, {"ay_counter", "integer"},
         }},
        {.name = "P_TSanduq_x", .table = "P_TSanduq", .firstColumn = "CASH_CD", .firstType = "integer",
         .entries = {
             {"MOJUDI", "MONEY"}, {"CASH_DSC", "NVARCHAR(50)"},
         }},
        {.name = "P_THESAB_BANKI_x", .table = "P_THESAB_BANKI",
         .firstColumn = "SHHesab", .firstType = "NVARCHAR(50)",
         .entries = {
             {"NBANK", "NVARCHAR(50)"}, {"NSHOBEH", "NVARCHAR(50)"}, {"NSahebHesab", "NVARCHAR(50)"},
             {"Mojudi_Avaliye", "MONEY"},
         }},
        {.name = "A_GHAVALEH_X", .table = "A_GHAVALEH", .firstColumn = "ID", .firstType = "integer",
         .entries = {
             {"TA", "nvarchar(50)"}, {"SHARH", "nvarchar(200)"}, {"SH_HESAB", "nvarchar(50)"},
             {"NBANK", "nvarchar(50)"}, {"BED", "money"}, {"BES", "money"},
         }},
        {.name = "A_GMSANDUQ_X", .table = "A_GMSANDUQ", .firstColumn = "ID", .firstType = "integer",
         .entries = {
             {"SHARH", "nvarchar(100)"}, {"TA", "nvarchar(50)"}, {"CS", "integer"}, {"NS", "nvarchar(50)"},
             {"BED", "money"}, {"BES", "money"},
         }},
        {.name = "A_Enteqal_x", .table = "A_Enteqal", .firstColumn = "ID", .firstType = "integer",
         .entries = {
             {"TA", "nvarchar(50)"}, {"HP", "nvarchar(50)"}, {"NHP", "nvarchar(50)"}, {"HD", "nvarchar(50)"},
             {"NHD", "nvarchar(50)"}, {"MAB", "money"}, {"SHARH", "nvarchar(150)"},
             {"Transfer_type", "nvarchar(10)"}, {"SH_ID_P", "integer"}, {"SH_ID_D", "integer"},
         }},
        {.name = "A_Hazineh_X", .table = "A_Hazineh", .firstColumn = "ID", .firstType = "integer",
         .entries = {
             {"TA", "nvarchar(50)"}, {"MAB", "money"}, {"SHARH", "nvarchar(150)"}, {"cash_cd", "integer"},
             {"cash_dsc", "nvarchar(50)"}, {"JNaqd_par", "money"}, {"sh_hesab", "nvarchar(50)"},
             {"nbank", "nvarchar(50)"}, {"JHav_par", "money"}, {"SH_ID_GS", "integer"},
             {"SH_ID_GH", "integer"},
         }},
    };
    for (auto& step : steps) step.finalTableAdvance = true;
    return steps;
}

}  // namespace orvel
