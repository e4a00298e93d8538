// Table steps of the restaurant product.
//
// Every step creates its table with the first column and then adds each
// listed column.  Two steps send statements of their own after their
// entries, through the query object: Setting_R seven column-type changes and
// P_pass_R the insert of the default administrator.  Only P_pass_R advances
// TableGauge once more after its last entry.
#include <string>

#include "products/TableSteps.h"

namespace orvel {

namespace {

FurtherStatement viaQuery(std::string text) {
    return {StatementPoint::AfterEntries, Sender::Query, std::move(text)};
}

}  // namespace

std::vector<TableStep> MornaleTableSteps() {
    return {
        {.name = "A_Daryaft_R", .table = "A_Daryaft", .firstColumn = "shr", .firstType = "Integer",
         .entries = {
             {"TA", "nvarchar(10)"}, {"CTH", "Integer"}, {"NTH", "nvarchar(50)"}, {"JNAQD", "money"},
             {"JCHEK", "money"}, {"JTAKH", "money"}, {"JKOL", "money"}, {"SHARH", "nvarchar(100)"},
         }},
        {.name = "A_Furush_R", .table = "A_Furush", .firstColumn = "SHF", .firstType = "Integer",
         .entries = {
             {"TA", "nvarchar(10)"}, {"CTH", "Integer"}, {"NTH", "nvarchar(50)"}, {"ADR", "nvarchar(50)"},
             {"SHARH", "nvarchar(100)"}, {"JPAYE", "money"}, {"JHAZINEH", "money"}, {"JTAKH", "money"},
             {"JKOL", "money"}, {"TEL", "nvarchar(10)"}, {"SH_MIZ", "Integer"}, {"SH_R", "Integer"},
             {"TASVIYE", "nvarchar(50)"}, {"SH_Sudur", "Integer"}, {"CTH_PK", "Integer"},
             {"NTH_PK", "nvarchar(50)"}, {"ADR_PK", "nvarchar(100)"}, {"TEL_PK", "nvarchar(50)"},
             {"IS_Modify", "Integer"},
         }},
        {.name = "A_Furush_Kala_R", .table = "A_Furush_Kala", .firstColumn = "ID", .firstType = "Integer",
         .entries = {
             {"ID", "Integer"}, {"SHF", "Integer"}, {"CAnbar", "Integer"}, {"NAnbar", "nvarchar(50)"},
             {"CKALA", "Integer"}, {"NKALA", "nvarchar(50)"}, {"CG", "Integer"}, {"NG", "nvarchar(50)"},
             {"NUM", "float"}, {"nvahed", "nvarchar(50)"}, {"FI", "money"}, {"JSATR", "money"},
             {"SHARH", "nvarchar(100)"}, {"p1", "bit"}, {"p2", "bit"}, {"p3", "bit"},
         }},
        {.name = "A_GMTHesab_R", .table = "A_GMTHesab", .firstColumn = "ID", .firstType = "Integer",
         .entries = {
             {"TA", "nvarchar(10)"}, {"SH_SANAD", "Integer"}, {"CA", "Integer"}, {"NA", "nvarchar(50)"},
             {"CTH", "Integer"}, {"NTH", "nvarchar(50)"}, {"BED", "money"}, {"BES", "money"},
             {"REC", "nvarchar(20)"}, {"MAN", "money"}, {"SHARH", "nvarchar(100)"}, {"CK", "Integer"},
             {"NK", "nvarchar(50)"},
         }},
        {.name = "A_KHARID_R", .table = "A_KHARID", .firstColumn = "SHF", .firstType = "Integer",
         .entries = {
             {"TA", "nvarchar(10)"}, {"CTH", "Integer"}, {"NTH", "nvarchar(50)"}, {"ADR", "nvarchar(50)"},
             {"SHARH", "nvarchar(100)"}, {"JPAYE", "money"}, {"JHAZINEH", "money"}, {"JTAKH", "money"},
             {"JKOL", "money"},
         }},
        {.name = "A_KHarid_Kala_R", .table = "A_KHarid_Kala", .firstColumn = "SHF", .firstType = "Integer",
         .entries = {
             {"CAnbar", "Integer"}, {"NAnbar", "nvarchar(50)"}, {"CKALA", "Integer"},
             {"NKALA", "nvarchar(50)"}, {"CG", "Integer"}, {"NG", "nvarchar(50)"}, {"NUM", "float"},
             {"nvahed", "nvarchar(50)"}, {"FI", "money"}, {"JSATR", "money"}, {"SHARH", "nvarchar(100)"},
         }},
        {.name = "A_Pardakht_R", .table = "A_Pardakht", .firstColumn = "shr", .firstType = "Integer",
         .entries = {
             {"TA", "nvarchar(10)"}, {"CTH", "Integer"}, {"NTH", "nvarchar(50)"}, {"JNAQD", "money"},
             {"JCHEK", "money"}, {"JKOL", "money"}, {"SHARH", "nvarchar(100)"},
         }},
        {.name = "P_GKala_R", .table = "P_GKala", .firstColumn = "CGKala", .firstType = "Integer",
         .entries = {
             {"NGKala", "nvarchar(50)"},
         }},
        {.name = "P_Kala_R", .table = "P_Kala", .firstColumn = "CKala", .firstType = "Integer",
         .entries = {
             {"NKala", "nvarchar(50)"}, {"CG", "Integer"}, {"NG", "nvarchar(50)"}, {"Mojudi", "Integer"},
             {"fi_furush", "money"}, {"nvahed", "nvarchar(50)"}, {"Note", "nvarchar(100)"}, {"p1", "bit"},
             {"p2", "bit"}, {"p3", "bit"}, {"num_furush", "float"}, {"sum_furush", "money"},
         }},
        {.name = "P_TTHESAB_R", .table = "P_TTHESAB", .firstColumn = "CTH", .firstType = "integer",
         .entries = {
             {"NTH", "nvarchar(150)"}, {"ADDRESS", "nvarchar(50)"}, {"TEL1", "nvarchar(50)"},
             {"TEL2", "nvarchar(50)"}, {"TEL3", "nvarchar(50)"}, {"CM", "integer"}, {"NM", "nvarchar(150)"},
             {"TEL1_M", "nvarchar(50)"}, {"TEL2_M", "nvarchar(50)"}, {"TEL3_M", "nvarchar(50)"},
             {"BED", "money"}, {"BES", "money"}, {"MA", "money"}, {"MN", "money"}, {"TA", "nvarchar(50)"},
             {"NOTE", "nvarchar(250)"}, {"SHFA", "integer"}, {"CK", "nvarchar(50)"}, {"NK", "nvarchar(50)"},
             {"is_Moavaq", "bit"}, {"TA_AR", "nvarchar(50)"}, {"ay_counter", "integer"},
         }},
        {.name = "Setting_R", .table = "Setting", .firstColumn = "shr", .firstType = "Integer",
         .entries = {
             {"ON1", "nvarchar(50)"}, {"ON2", "nvarchar(50)"}, {"PAYAM", "nvarchar(50)"},
             {"Auto_back", "integer"}, {"Auto_print", "integer"}, {"Auto_New", "integer"},
             {"back_path", "nvarchar(50)"}, {"name_p1", "nvarchar(50)"}, {"num_p1", "Integer"},
             {"index_p1", "Integer"}, {"name_p2", "nvarchar(50)"}, {"num_p2", "Integer"},
             {"index_p2", "Integer"}, {"name_p3", "nvarchar(50)"}, {"num_p3", "Integer"},
             {"index_p3", "Integer"}, {"preview", "Integer"}, {"TO_P1", "Integer"}, {"TO_P2", "Integer"},
             {"TO_P3", "Integer"}, {"cth_day", "Integer"}, {"nth_day", "nvarchar(50)"},
             {"First_Sudur", "Integer"}, {"left_distance", "Integer"}, {"COM_PORT", "nvarchar(50)"},
         },
         // Older versions created these columns with other types; they are
         // set to integer on every run (the entries above have ensured them).
         .statements = {
             viaQuery("alter table Setting alter column Auto_back  integer"),
             viaQuery("alter table Setting alter column Auto_print  integer"),
             viaQuery("alter table Setting alter column Auto_New  integer"),
             viaQuery("alter table Setting alter column preview  integer"),
             viaQuery("alter table Setting alter column TO_P1  integer"),
             viaQuery("alter table Setting alter column TO_P2  integer"),
             viaQuery("alter table Setting alter column TO_P3  integer"),
         }},
        {.name = "P_pass_R", .table = "P_Pass", .firstColumn = "CK", .firstType = "nvarchar(50)",
         .entries = {
             {"NK", "nvarchar(50)"}, {"PASSWORD", "nvarchar(100)"}, {"en_qoz", "bit"}, {"en_edit", "bit"},
             {"en_del", "bit"}, {"en_other", "bit"}, {"en_dar", "bit"}, {"en_par", "bit"},
             {"en_furush", "bit"}, {"en_kharid", "bit"}, {"en_tp", "bit"}, {"en_set", "bit"},
         },
         // The default administrator, CK 1, with every right; sent on every
         // run without looking for an existing row.  Its password is the
         // digit 1 (README, "Before you upgrade").
         .statements = {viaQuery(" INSERT INTO P_PASS  "
                                 "(CK,NK,PASSWORD,en_qoz,en_edit,en_del,en_other,en_dar,en_par,en_furush,"
                                 "en_kharid,en_tp,en_set)"
                                 "\r"
                                 "  VALUES (1,'مديري سيستم','1',1,1,1,1,1,1,1,1,1,1)  ")},
         .finalTableAdvance = true},
        {.name = "BP_TPEYK", .table = "P_TPEYK", .firstColumn = "CTH", .firstType = "integer",
         .entries = {
             {"NTH", "nvarchar(150)"}, {"ADR", "nvarchar(50)"}, {"TEL1", "nvarchar(50)"},
             {"TEL2", "nvarchar(50)"}, {"TEL3", "nvarchar(50)"}, {"BED", "money"}, {"BES", "money"},
             {"MA", "money"}, {"MN", "money"}, {"TA", "nvarchar(50)"}, {"NOTE", "nvarchar(250)"},
             {"SHFA", "integer"}, {"CK", "nvarchar(50)"}, {"NK", "nvarchar(50)"}, {"is_Moavaq", "bit"},
             {"TA_AR", "nvarchar(50)"}, {"ay_counter", "integer"},
         }},
    };
}

}  // namespace orvel
