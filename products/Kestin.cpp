// Table steps of the treasury product.
//
// The first column of a table exists only through its create statement
// (except in P_YIL, which repeats it among its entries), so every step
// advances TableGauge once more after its last entry to end a complete
// table at 100 %.  The product's list ends with the object step
// FN_Last_Reminder, which is not a table step.
#include "products/TableSteps.h"

namespace orvel {

namespace {

// The entries of the ledger table A_GMTHesab and of A_GMTHESAB_OLD, which
// keeps older entries: FN_Last_Reminder unions all columns of the two, so
// they must keep the same columns in the same order with the same types.
// CK was once integer: it is ensured, then changed to nvarchar(50) on every
// run (the alter entry finds it present), and the plain entry after the alter
// finds it present and sends nothing.
std::vector<ColumnEntry> ledgerEntries() {
    return {
        {"TA", "nvarchar(50)"}, {"SA", "nvarchar(50)"}, {"CTH", "integer"}, {"NTH", "nvarchar(150)"},
        {"SHARH", "nvarchar(150)"}, {"CSH", "integer"}, {"MAB", "money"}, {"MAN_N", "money"},
        {"CK", "integer"}, {"HOURE", "nvarchar(50)"}, {"TOZIH", "nvarchar(150)"},
        {"TO_SH", "nvarchar(150)"}, alter("CK", "nvarchar(50)"), {"CK", "nvarchar(50)"},
        {"NK", "nvarchar(50)"},
    };
}

}  // namespace

std::vector<TableStep> KestinTableSteps() {
    std::vector<TableStep> steps{
        {.name = "A_GMTHesab_man", .table = "A_GMTHesab",
         .firstColumn = "ShF", .firstType = "integer PRIMARY KEY", .entries = ledgerEntries()},
        {.name = "P_THESAB_man", .table = "P_THESAB", .firstColumn = "ID", .firstType = "integer",
         .entries = {
             {"CTH", "integer"}, {"NTH", "nvarchar(150)"}, {"ADDRESS", "nvarchar(50)"},
             {"TEL1", "nvarchar(50)"}, {"TEL2", "nvarchar(50)"}, {"TEL3", "nvarchar(50)"}, {"CM", "integer"},
             {"NM", "nvarchar(150)"}, {"TEL1_M", "nvarchar(50)"}, {"TEL2_M", "nvarchar(50)"},
             {"TEL3_M", "nvarchar(50)"}, {"BED", "money"}, {"BES", "money"}, {"MA", "money"},
             {"MN", "money"}, {"TA", "nvarchar(50)"}, {"NOTE", "nvarchar(250)"}, {"SHFA", "integer"},
             {"CK", "nvarchar(50)"}, {"NK", "nvarchar(50)"}, {"is_Moavaq", "bit"}, {"TA_AR", "nvarchar(50)"},
             {"ay_counter", "integer"},
         }},
        {.name = "P_HMOAVAQ_man", .table = "P_HMOAVAQ", .firstColumn = "CTH", .firstType = "integer",
         .entries = {
             {"NTH", "nvarchar(150)"}, {"TEL", "nvarchar(50)"}, {"NM", "nvarchar(50)"},
             {"TEL_M", "nvarchar(150)"}, {"MN", "money"}, {"SON_VERILMISH", "nvarchar(50)"},
             {"MOAVAQ_AY", "integer"},
         }},
        {.name = "P_PASS_man", .table = "P_PASS", .firstColumn = "CK", .firstType = "nvarchar(50)",
         .entries = {
             {"NK", "nvarchar(150)"}, {"PASSWORD", "nvarchar(50)"}, {"En_Qoz", "bit"}, {"En_Edit", "bit"},
             {"En_Del", "bit"}, {"En_Other", "bit"},
         }},
        {.name = "P_INFORMATION_man", .table = "P_INFORMATION", .firstColumn = "ID", .firstType = "integer",
         .entries = {
             {"PATH_BACKUP1", "nvarchar(250)"}, {"PATH_BACKUP1", "nvarchar(250)"},
             {"CO_NAME", "nvarchar(150)"}, {"Adr", "nvarchar(150)"}, {"Tel1", "nvarchar(50)"},
             {"Tel2", "nvarchar(50)"}, {"Note", "nvarchar(150)"}, {"AUTO_BACKUP", "bit"},
             {"big_mab", "money"}, {"medium_mab1", "money"}, {"medium_mab2", "money"}, {"low_mab", "money"},
             {"big_AY", "integer"}, {"MEDIUM_AY", "integer"}, {"low_AY", "integer"},
             {"Bashlat", "nvarchar(50)"}, {"Son", "nvarchar(50)"},
         }},
        {.name = "P_YIL", .table = "P_YIL", .firstColumn = "BASHLA", .firstType = "nvarchar(50)",
         .entries = {
             {"BASHLA", "nvarchar(50)"}, {"SON", "nvarchar(50)"},
         }},
        {.name = "A_KHARID_KALA_S", .table = "A_KHarid_Kala", .firstColumn = "SHF", .firstType = "integer",
         .entries = {
             {"CAnbar", "integer"}, {"NAnbar", "nvarchar(10)"}, {"CKala", "integer"},
             {"NKala", "nvarchar(100)"}, {"NVahed", "nvarchar(100)"}, {"NUM_K", "float"}, {"NUM_J", "float"},
             {"NUM", "float"}, {"FI", "money"}, {"JHAZINEH", "money"}, {"JSATR", "money"},
             {"SHARH", "nvarchar(100)"},
         }},
        {.name = "P_KALA_S", .table = "P_Kala", .firstColumn = "CKala", .firstType = "integer",
         .entries = {
             {"NKala", "nvarchar(50)"}, {"mojudi", "integer"}, {"Fi_Furush", "money"},
             {"nvahed", "nvarchar(50)"}, {"NOTE", "nvarchar(100)"},
         }},
        {.name = "BA_GMTHesab_Old", .table = "A_GMTHESAB_OLD",
         .firstColumn = "ShF", .firstType = "integer PRIMARY KEY", .entries = ledgerEntries()},
    };
    for (auto& step : steps) step.finalTableAdvance = true;
    return steps;
}

}  // namespace orvel
