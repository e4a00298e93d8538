// Table steps of the network-marketing product: customers and services.
//
// Steps 1 to 22 of the product, in run order.  None of them sends anything
// but the schema operations' own statements; each ends with one more advance
// of TableGauge after its last entry.  The service files A_DSADSL and
// A_DSWimax list their first column ID_D again, and A_DSWimax lists five
// columns twice: those entries find the column present and send nothing.
#include "products/TableSteps.h"
#include "products/Tamrix2Columns.h"

namespace orvel {

std::vector<ColumnEntry> Tamrix2ServiceFileColumns(Tamrix2ServiceFile file) {
    const bool adsl = file == Tamrix2ServiceFile::Adsl;
    std::vector<ColumnEntry> columns{{"TEL_ADSL", "nvarchar(50)"}, {"ADR_ADSL", "nvarchar(150)"},
        {"TA", "nvarchar(50)"}, {"NS_KHAD", "nvarchar(50)"}, {"NOE_IP", "nvarchar(50)"},
        {"CK", "nvarchar(50)"}, {"CTH_H", "nvarchar(50)"}, {"NTH", "nvarchar(50)"}, {"CTH_R", "nvarchar(50)"},
        {"NTH_R", "nvarchar(50)"}, {"CTH_I", "nvarchar(50)"}, {"NTH_I", "nvarchar(50)"},
        {"SH_Sanad", "float"}, {"CShahri", "nvarchar(10)"}, {"Shenase_karbari", "nvarchar(50)"},
        {"PASS_Karbari", "nvarchar(50)"}, {"CQalam", "nvarchar(50)"}, {"NSERVICE", "nvarchar(50)"},
        {"MODAT_SERVICE", "nvarchar(50)"}, {"IP_TIME", "nvarchar(50)"}, {"id_kar", "integer"},
        {"EXTRA_GB", "nvarchar(50)"}, {"Active_Date", "nvarchar(50)"}, {"Finish_Date", "nvarchar(50)"},
        {"CA", "integer"}, {"NA", "nvarchar(50)"}, {"SA", "nvarchar(50)"}, {"JService", "money"},
        {"JIP", "money"}, {"JTraffic", "money"}, {"jAbunman", "money"}};
    if (adsl) columns.push_back({"JRanjh", "money"});
    columns.insert(columns.end(), {{"j4drasad", "money"}, {"JMODEM", "money"}, {"JNASB", "money"},
        {"JDrive", "money"}, {"MOTAFAREGE", "money"}, {"JKOL", "money"}, {"vaz", "nvarchar(50)"},
        {"CBarrasi", "nvarchar(50)"}, {"CFani", "nvarchar(50)"}, {"PORT", "nvarchar(50)"},
        {"SLAT", "nvarchar(50)"}, {"pri_new", "nvarchar(50)"}, {"Sharz_type", "nvarchar(50)"},
        {"Sharz_Date", "nvarchar(15)"}, {"SH_FISH", "nvarchar(50)"}});
    columns.push_back({"CTarh", adsl ? "nvarchar(50)" : "integer"});
    columns.push_back({"NTarh", "nvarchar(50)"});
    if (adsl) columns.insert(columns.end(), {{"CKala", "nvarchar(50)"}, {"NKala", "nvarchar(50)"}});
    columns.push_back({"Nasb_by_AD", "bit"});
    return columns;
}

std::vector<ColumnEntry> Tamrix2ServiceDefinitionColumns() {
    return {{"NService", "nvarchar(100)"}, {"CG", "nvarchar(50)"}, {"NG", "nvarchar(150)"},
            {"Level", "integer"}, {"TIME", "nvarchar(50)"}, {"SPEED", "nvarchar(50)"},
            {"SERI", "nvarchar(50)"}, {"USED_TYPE", "nvarchar(50)"}, {"HIGH_SPEED", "nvarchar(50)"},
            {"TRAFFIC", "nvarchar(50)"}, {"AY_COST", "money"}, {"floor_COST", "money"}, {"ALL_COST", "money"},
            {"PROPERTY", "nvarchar(250)"}, {"CT_new", "integer"}, {"CT_charg", "integer"}};
}

namespace {

// The entries of the ADSL and WiMAX service files: the first column ID_D
// once more, the shared columns, then the file's own.
std::vector<ColumnEntry> serviceFile(Tamrix2ServiceFile file, std::initializer_list<ColumnEntry> own) {
    std::vector<ColumnEntry> entries{{"ID_D", "float"}};
    const auto shared = Tamrix2ServiceFileColumns(file);
    entries.insert(entries.end(), shared.begin(), shared.end());
    entries.insert(entries.end(), own);
    return entries;
}

}  // namespace

std::vector<TableStep> Tamrix2CustomerTableSteps() {
    std::vector<TableStep> steps{
        {.name = "p_user", .table = "p_user", .firstColumn = "CK", .firstType = "nvarchar(50)",
         .entries = {{"PASS", "nvarchar(50)"}, {"CTH", "nvarchar(50)"}, {"NTH", "nvarchar(150)"},
                    {"NGTH", "nvarchar(50)"}, {"Semat", "nvarchar(150)"}, {"En_Del", "bit"},
                    {"En_Edit", "bit"}, {"En_list", "bit"}, {"En_Setup", "bit"}, {"En_TPSer", "bit"},
                    {"En_TPaye", "bit"}, {"En_TSer", "bit"}, {"En_TCenter", "bit"}, {"En_TKala", "bit"},
                    {"En_TTH", "bit"}, {"En_Daryaft", "bit"}, {"En_Furush", "bit"}, {"En_mali", "bit"},
                    {"En_kartabl", "bit"}, {"En_Compny", "bit"}, {"En_Act", "bit"}, {"dem_follow", "bit"},
                    {"dem_ser", "bit"}, {"dem_tarh", "bit"}, {"dem_kala", "bit"}, {"dem_sharz", "bit"},
                    {"view_sarfasl", "bit"}, {"news_id", "integer"}}},
        {.name = "P_GTHesab_ada", .table = "P_GTHesab", .firstColumn = "CG", .firstType = "integer",
         .entries = {{"NG", "nvarchar(50)"}, {"TOZih", "nvarchar(150)"}, {"CG_H", "nvarchar(10)"}}},
        {.name = "A_DSADSL", .table = "A_DSADSL", .firstColumn = "ID_D", .firstType = "float",
         // sh_fish is SH_FISH again in another letter case.
         .entries = serviceFile(Tamrix2ServiceFile::Adsl, {{"CGKala", "nvarchar(50)"},
                    {"NGKala", "nvarchar(50)"}, {"CGSER", "nvarchar(50)"}, {"NGSER", "nvarchar(50)"},
                    {"pie_day", "integer"}, {"pie_volum", "nvarchar(10)"}, {"pie_money", "money"},
                    {"tas_type1", "nvarchar(50)"}, {"tas_type2", "nvarchar(50)"}, {"sh_card", "nvarchar(50)"},
                    {"four_digit_card", "nvarchar(50)"}, {"sh_hesab", "nvarchar(50)"},
                    {"sh_fish", "nvarchar(50)"}, {"CSanduq", "integer"}, {"NSanduq", "nvarchar(50)"}})},
        {.name = "P_TH_Haq", .table = "P_TH_Haq", .firstColumn = "CTH_H", .firstType = "nvarchar(50)",
         .entries = {{"NTH_FA", "nvarchar(50)"}, {"NTH_EN", "nvarchar(50)"}, {"NPedar", "nvarchar(50)"},
                    {"SH_SH", "nvarchar(50)"}, {"SH_PASS", "nvarchar(50)"}, {"NKESHVAR", "nvarchar(50)"},
                    {"MAHAL_SUDUR", "nvarchar(50)"}, {"TT", "nvarchar(50)"}, {"JENSIYAT", "nvarchar(50)"},
                    {"SHOGHL", "nvarchar(50)"}, {"TAHSILAT", "nvarchar(50)"}, {"ADR", "nvarchar(150)"},
                    {"CODE_M", "nvarchar(50)"}, {"CODE_P", "nvarchar(50)"}, {"MOBILE", "nvarchar(50)"},
                    {"FAX", "nvarchar(50)"}, {"CODE_SHAHRI", "nvarchar(50)"}, {"TEL", "nvarchar(50)"},
                    {"CTH_I", "nvarchar(50)"}, {"NTH_I", "nvarchar(50)"}, {"EMAIL", "nvarchar(50)"},
                    {"CMoaref", "integer"}, {"NMoaref", "nvarchar(50)"}, {"Note", "nvarchar(250)"},
                    {"Note_visible", "bit"}, {"CG_H", "nvarchar(50)"}, {"CH_NOMA", "nvarchar(50)"}}},
        {.name = "P_TH_Huq", .table = "P_TH_Huq", .firstColumn = "CTH_H", .firstType = "nvarchar(50)",
         .entries = {{"NSHERKAT", "nvarchar(50)"}, {"SH_SABT", "nvarchar(50)"},
                    {"MAHAL_SABT", "nvarchar(50)"}, {"NMODIR", "nvarchar(50)"},
                    {"NOE_FAALIYAT", "nvarchar(50)"}, {"ADR_SHERKAT", "nvarchar(50)"},
                    {"TEL_SHERKAT", "nvarchar(50)"}, {"CTH_I", "nvarchar(50)"}, {"NTH_I", "nvarchar(50)"},
                    {"EMAIL", "nvarchar(50)"}, {"FAX", "nvarchar(50)"}, {"CODE_SHAHRI", "nvarchar(50)"},
                    {"MOBILE", "nvarchar(50)"}, {"CODE_P", "nvarchar(50)"}, {"CMoaref", "integer"},
                    {"NMoaref", "nvarchar(50)"}, {"CMN_SH", "nvarchar(10)"}, {"NN_SH", "nvarchar(50)"},
                    {"SEMAT", "nvarchar(50)"}, {"Note", "nvarchar(250)"}, {"Note_visible", "bit"},
                    {"CG_H", "nvarchar(50)"}, {"CH_NOMA", "nvarchar(50)"}}},
        {.name = "P_news", .table = "P_News", .firstColumn = "ID_News", .firstType = "integer",
         .entries = {{"Text", "nvarchar(150)"}, {"Insert_Date", "nvarchar(50)"}, {"View_Count", "integer"},
                    {"CK", "nvarchar(50)"}}},
        {.name = "P_TService", .table = "P_Service", .firstColumn = "CSERVICE", .firstType = "nvarchar(50)",
         .entries = Tamrix2ServiceDefinitionColumns()},
        {.name = "P_SGroup", .table = "P_SGroup", .firstColumn = "CGS", .firstType = "integer",
         .entries = {{"NGS", "nvarchar(150)"}, {"Abunman_Cost", "money"}, {"Act_Abunman", "integer"},
                    {"CTH", "integer"}, {"NTH", "nvarchar(150)"}, {"Extera", "nvarchar(50)"}}},
        {.name = "P_STime", .table = "P_STime", .firstColumn = "CTS", .firstType = "integer",
         .entries = {{"NTS", "nvarchar(50)"}, {"Time_mounth", "integer"}, {"Time_Day", "integer"},
                    {"Extera", "nvarchar(50)"}}},
        {.name = "P_SSpeed", .table = "P_SSpeed", .firstColumn = "CSS", .firstType = "integer",
         .entries = {{"NSS", "nvarchar(150)"}, {"Extera", "nvarchar(50)"}}},
        {.name = "P_SUsed", .table = "P_SUsed", .firstColumn = "CUS", .firstType = "integer",
         .entries = {{"NUS", "nvarchar(150)"}, {"Extera", "nvarchar(50)"}}},
        {.name = "P_SSeri", .table = "P_SSeri", .firstColumn = "CSerS", .firstType = "integer",
         .entries = {{"NSerS", "nvarchar(150)"}, {"Extera", "nvarchar(50)"}, {"IS_Star", "bit"}}},
        {.name = "P_STraffic", .table = "P_STraffic", .firstColumn = "CTrS", .firstType = "integer",
         .entries = {{"NTrS", "nvarchar(150)"}, {"Extera", "nvarchar(50)"}}},
        {.name = "X_Customer", .table = "X_Customer", .firstColumn = "ID", .firstType = "integer",
         .entries = {{"CTH_H", "nvarchar(50)"}, {"NTH", "nvarchar(150)"}, {"Type", "nvarchar(50)"},
                    {"Data", "nvarchar(50)"}, {"CS", "integer"}, {"NCS", "nvarchar(150)"}}},
        {.name = "E_Error", .table = "E_Error", .firstColumn = "id", .firstType = "integer",
         .entries = {{"TA", "nvarchar(50)"}, {"SA", "nvarchar(50)"}, {"CTH_H", "nvarchar(50)"},
                    {"NTH", "nvarchar(50)"}, {"Shenase_karbari", "nvarchar(50)"}, {"CS", "integer"},
                    {"CK", "nvarchar(50)"}, {"Cer", "integer"}, {"onvan", "nvarchar(50)"},
                    {"sorqu", "nvarchar(250)"}, {"yol", "nvarchar(250)"}, {"Resp_id", "integer"}}},
        {.name = "A_DSWimax", .table = "A_DSWimax", .firstColumn = "ID_D", .firstType = "float",
         // CBarrasi, CFani, Active_Date, Finish_Date and vaz are shared columns listed again.
         .entries = serviceFile(Tamrix2ServiceFile::Wireless, {{"CBarrasi", "nvarchar(50)"},
                    {"Modem_type", "nvarchar(50)"}, {"Modem_Serial", "nvarchar(50)"}, {"MAC", "nvarchar(50)"},
                    {"URI", "nvarchar(50)"}, {"Password", "nvarchar(50)"}, {"Latitude", "nvarchar(50)"},
                    {"Longtitude", "nvarchar(50)"}, {"CFani", "nvarchar(50)"}, {"BSID", "nvarchar(50)"},
                    {"RSSI", "nvarchar(50)"}, {"CINR", "nvarchar(50)"}, {"SH_MOSHTARAK", "nvarchar(50)"},
                    {"SH_PARDAXT", "nvarchar(50)"}, {"Active_Date", "nvarchar(50)"},
                    {"Finish_Date", "nvarchar(50)"}, {"vaz", "nvarchar(50)"}})},
        {.name = "P_Error", .table = "P_Error", .firstColumn = "CEr", .firstType = "integer",
         .entries = {{"onvan", "nvarchar(150)"}, {"sorqu", "nvarchar(255)"}, {"yol", "nvarchar(255)"}}},
        {.name = "P_Set", .table = "P_Set", .firstColumn = "ID", .firstType = "integer",
         .entries = {{"Main_Site", "nvarchar(50)"}, {"ADSL_Drive_Cost", "money"},
                    {"ADSL_Install_Cost", "money"}, {"ADSL_Ranjh_Cost", "money"},
                    {"ADSL_Abunman_Cost", "money"}, {"WIMAX_Drive_Cost", "money"},
                    {"WIMAX_Install_Cost", "money"}, {"WIMAX_Ranjh_Cost", "money"},
                    {"WIMAX_Abunman_Cost", "money"}, {"WIFI_Drive_Cost", "money"},
                    {"WIFI_Install_Cost", "money"}, {"WIFI_Ranjh_Cost", "money"},
                    {"WIFI_Abunman_Cost", "money"}, {"name_co", "nvarchar(50)"},
                    {"name_modir", "nvarchar(50)"}, {"address", "nvarchar(150)"}, {"tel1", "nvarchar(20)"},
                    {"tel2", "nvarchar(20)"}, {"fax", "nvarchar(20)"}, {"mob", "nvarchar(20)"},
                    {"email", "nvarchar(40)"}, {"web", "nvarchar(40)"}, {"arm", "image"}, {"sign", "image"},
                    {"mohr", "image"}}},
        {.name = "P_TModem", .table = "P_TModem", .firstColumn = "ID", .firstType = "integer",
         .entries = {{"NModem", "nvarchar(50)"}, {"Modem_Serial", "nvarchar(50)"}, {"MAC", "nvarchar(50)"},
                    {"para", "money"}}},
        {.name = "P_Xtra_Volum", .table = "P_Xtra_Volum", .firstColumn = "ID", .firstType = "integer",
         .entries = {{"sharh", "nvarchar(20)"}, {"mab", "money"}}},
        {.name = "P_TTarh", .table = "P_TTarh", .firstColumn = "CTarh", .firstType = "nvarchar(50)",
         .entries = {{"NTarh", "nvarchar(100)"}, {"CGTarh", "nvarchar(50)"}, {"NGTarh", "nvarchar(50)"},
                    {"level", "integer"}, {"CKala", "nvarchar(50)"}, {"NKala", "nvarchar(50)"},
                    {"CGKala", "nvarchar(50)"}, {"NGKala", "nvarchar(50)"}, {"CSer", "nvarchar(50)"},
                    {"NSer", "nvarchar(50)"}, {"CGSer", "nvarchar(50)"}, {"NGSer", "nvarchar(50)"},
                    {"TA_SH", "nvarchar(10)"}, {"TA_P", "nvarchar(10)"}, {"pie_day", "integer"},
                    {"pie_volum", "nvarchar(10)"}, {"pie_money", "money"}, {"Per_Tax", "float"},
                    {"modem_cost", "money"}, {"service_cost", "money"}, {"CEemal", "integer"},
                    {"Noe_Eemal", "nvarchar(50)"}, {"Service_type", "nvarchar(50)"}}},
        {.name = "J_Tarh_Ser", .table = "J_Tarh_Ser", .firstColumn = "ID", .firstType = "integer",
         .entries = {{"CTarh", "integer"}, {"CSer", "nvarchar(50)"}, {"Ta_sh", "nvarchar(10)"},
                    {"Ta_P", "nvarchar(10)"}, {"CEemal", "integer"}}},
    };
    for (auto& step : steps) step.finalTableAdvance = true;
    return steps;
}

}  // namespace orvel
