// Table steps of the office-automation product.
//
// Every step creates its table with the first column and then adds each
// listed column; the first entry repeats the first column with PRIMARY KEY,
// so a table that existed without that column gets it (on SQL Server the
// words PRIMARY KEY are taken out by AddColumnIfMissing).  No step sends
// anything else, and no step advances TableGauge after its last entry.
#include <string>

#include "products/TableSteps.h"

namespace orvel {

namespace {

// The columns prefix+first to prefix+last (col0 to col23, say), ascending,
// all of one type.
std::vector<ColumnEntry> numberedColumns(const std::string& prefix, int first, int last,
                                         const std::string& type) {
    std::vector<ColumnEntry> columns;
    for (int n = first; n <= last; ++n) columns.push_back({prefix + std::to_string(n), type});
    return columns;
}

std::vector<ColumnEntry> joined(std::vector<ColumnEntry> head, const std::vector<ColumnEntry>& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

}  // namespace

std::vector<TableStep> PelsaTableSteps() {
    return {
        {.name = "TCapability", .table = "TCapability", .firstColumn = "ID", .firstType = "Integer",
         .entries = {
             {"ID", "Integer PRIMARY KEY"}, {"path", "nvarchar(150)"}, {"pic_type", "nvarchar(50)"},
             {"Pic_mode", "nvarchar(50)"}, {"Brightness", "Float"}, {"contrast", "Float"},
             {"resolution", "nvarchar(50)"}, {"scan_mode", "nvarchar(50)"}, {"Rotation", "Integer"},
             {"show_UI", "bit"}, {"layout_L", "Float"}, {"layout_R", "Float"}, {"layout_T", "Float"},
             {"layout_B", "Float"}, {"show_text", "bit"}, {"text", "nvarchar(250)"}, {"text_L", "Integer"},
             {"text_T", "Integer"}, {"text_W", "Integer"}, {"text_H", "Integer"}, {"HAlign", "nvarchar(50)"},
             {"VAlign", "nvarchar(200)"}, {"CO_Text", "nvarchar(200)"}, {"ONE_Page", "bit"},
             {"Multi_Page", "bit"},
         }},
        {.name = "TRansfer", .table = "Transfer", .firstColumn = "CT", .firstType = "Integer",
         .entries = {
             {"CT", "Integer PRIMARY KEY"}, {"ONT", "nvarchar(255)"}, {"BF", "nvarchar(255)"},
             {"Noe_T", "nvarchar(255)"}, {"VazT", "nvarchar(255)"}, {"OSTAN", "nvarchar(255)"},
             {"city", "nvarchar(255)"}, {"BAXSH", "nvarchar(255)"}, {"DAST_EJRAYI", "nvarchar(255)"},
             {"BANK_AMEL", "nvarchar(255)"}, {"SH_BANK_SARP", "nvarchar(255)"}, {"SH_BANK", "nvarchar(255)"},
             {"zar_T", "Integer"}, {"VAHED_ZAR", "nvarchar(255)"}, {"NOE_MOD_T", "nvarchar(255)"},
             {"ADD_T", "nvarchar(255)"}, {"ishleyen_pish", "nvarchar(255)"},
             {"ishleyen_mosavab", "nvarchar(255)"}, {"ishleyen_ilqar", "nvarchar(255)"},
             {"ishleyen_bah_dastqah", "nvarchar(255)"}, {"ishleyen_bah_bank", "nvarchar(255)"},
             {"gorulmush_pay_pish", "nvarchar(255)"}, {"ilqar_pay_pish", "nvarchar(255)"},
             {"duran_verinty_pish", "nvarchar(255)"}, {"gazar_verinty_pish", "nvarchar(255)"},
             {"duran_gazar_ver_pish", "nvarchar(255)"}, {"gorulmush_pay_deyim", "nvarchar(255)"},
             {"ilqar_pay_deyim", "nvarchar(255)"}, {"duran_verinty_deyim", "nvarchar(255)"},
             {"gazar_verinty_deyim", "nvarchar(255)"}, {"duran_ve_gazar_verinty_deyim", "nvarchar(255)"},
             {"gorulmush_pay_ilqar", "nvarchar(255)"}, {"ilqar_pay_ilqar", "nvarchar(255)"},
             {"duran_verinty_ilqar", "nvarchar(255)"}, {"gazar_verinty_ilqar", "nvarchar(255)"},
             {"duran_ve_gazar_verinty_ilqar", "nvarchar(255)"}, {"verilmish_para", "nvarchar(255)"},
             {"yardim_sayisi_bakim", "nvarchar(255)"}, {"parani_veran_yer", "nvarchar(255)"},
             {"verinty_qazanci_yuzda", "nvarchar(255)"}, {"verilmish_borc_sayisi", "nvarchar(255)"},
             {"goturum_talasma_chaghi_qun", "nvarchar(255)"}, {"ilqar_baglanti_qunu", "nvarchar(255)"},
             {"ilk_para_tokma_qunu", "nvarchar(255)"}, {"son_para_tokma_qunu", "nvarchar(255)"},
             {"set_qoturum_qunu", "nvarchar(255)"}, {"bank_qoturum_qunu", "nvarchar(255)"},
             {"yardim_pish_qunu", "nvarchar(255)"}, {"ishch_adi", "nvarchar(255)"},
             {"ishchi_sayqisi", "nvarchar(255)"}, {"ishchi_addresi", "nvarchar(255)"},
             {"ishchi_tel", "nvarchar(255)"}, {"ishchi_post_kodu", "nvarchar(255)"},
             {"kadin_kishi", "nvarchar(255)"}, {"doghum_qunu", "nvarchar(255)"},
             {"el_kodu", "nvarchar(255)"}, {"bilgi_ujalighi", "nvarchar(255)"},
             {"basharat_ay", "nvarchar(255)"}, {"chixar", "nvarchar(255)"},
             {"chixar_ujalighi", "nvarchar(255)"}, {"company_sayisi", "nvarchar(255)"},
             {"co_yazilim_qunu", "nvarchar(255)"}, {"co_yazilim_yeri", "nvarchar(255)"},
             {"baxsh_status", "nvarchar(255)"}, {"yardim_olchusu", "nvarchar(255)"},
             {"yardim_verilan_qunu", "nvarchar(255)"}, {"yardimi_veran_kas", "nvarchar(255)"},
         }},
        {.name = "Test", .table = "Test", .firstColumn = "ID", .firstType = "Integer",
         .entries = {
             {"ID", "Integer PRIMARY KEY"},
         }},
        // The flag numbers jump on purpose: 11 to 20, 26 to 30 and 36 to 39 have
        // no column.
        {.name = "Yollar", .table = "yollar", .firstColumn = "CTY", .firstType = "Integer",
         .entries = {
             {"CTY", "Integer PRIMARY KEY"}, {"y1", "Bit"}, {"y2", "Bit"}, {"y3", "Bit"}, {"y4", "Bit"},
             {"y5", "Bit"}, {"y6", "Bit"}, {"y7", "Bit"}, {"y8", "Bit"}, {"y9", "Bit"}, {"y10", "Bit"},
             {"y21", "Bit"}, {"y22", "Bit"}, {"y23", "Bit"}, {"y24", "Bit"}, {"y25", "Bit"}, {"y31", "Bit"},
             {"y32", "Bit"}, {"y33", "Bit"}, {"y34", "Bit"}, {"y35", "Bit"}, {"y40", "Bit"},
             {"path", "nvarchar(255)"},
         }},
        {.name = "TSetting", .table = "Tsetting", .firstColumn = "ID", .firstType = "Integer",
         .entries = {
             {"ID", "Integer PRIMARY KEY"}, {"NK", "nvarchar(150)"}, {"CK", "Integer"},
             {"PASSword", "nvarchar(150)"}, {"need_tayid", "bit"}, {"show_UI", "bit"},
             {"save_path", "nvarchar(255)"}, {"TTrCol_Sayisi", "Integer"}, {"resolution_x", "Integer"},
             {"resolution_y", "Integer"}, {"show_caption", "bit"}, {"caption_LEFT", "Integer"},
             {"caption_TOP", "Integer"}, {"caption_WIDTH", "Integer"}, {"caption_HEIGHT", "Integer"},
             {"caption", "nvarchar(255)"}, {"image_L", "Float"}, {"image_R", "Float"}, {"image_T", "Float"},
             {"image_B", "Float"}, {"no_password", "bit"}, {"PAGE_Autonum", "bit"},
             {"field_count", "Integer"},
         }},
        {.name = "TModify", .table = "TModify", .firstColumn = "CTM", .firstType = "Integer",
         .entries = {
             {"CTM", "Integer PRIMARY KEY"}, {"Title_Modified", "nvarchar(255)"}, {"darsad_tayid", "Float"},
             {"code_rahgiri", "nvarchar(255)"}, {"radif_mosavab", "nvarchar(255)"},
             {"chand_radif", "nvarchar(255)"}, {"ishlayan", "Integer"}, {"Tel1", "nvarchar(50)"},
             {"Tel2", "nvarchar(50)"}, {"Tel3", "nvarchar(50)"}, {"yardim_veran", "nvarchar(50)"},
             {"vaz_parvande", "nvarchar(50)"}, {"vaz_p_code", "Integer"}, {"yeni_yardim", "Integer"},
         }},
        {.name = "TColumn_Size", .table = "TColumn_Size", .firstColumn = "ID", .firstType = "Integer",
         .entries = joined({{"ID", "Integer PRIMARY KEY"}, {"NDBGrid", "nvarchar(50)"}},
                           numberedColumns("col", 0, 23, "Integer"))},
        {.name = "yapraqlar", .table = "yapraqlar", .firstColumn = "ID", .firstType = "Integer",
         .entries = {
             {"ID", "Integer PRIMARY KEY"}, {"Name", "nvarchar(50)"},
         }},
    };
}

}  // namespace orvel
