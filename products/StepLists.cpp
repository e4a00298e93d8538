// The step lists of the products, in run order, with their reconnect points.
#include "products/StepLists.h"

#include <algorithm>
#include <vector>

namespace orvel {

namespace {

constexpr StepListEntry reconnect{};

const std::vector<StepListEntry> kZorbex{
    {"a_cdaryafti_x"}, {"a_cpardakhti_x"}, {"A_DARYAFT_X"}, {"A_FURUSH_X"}, {"A_Furush_Kala_X"},
    {"A_GMTHesab_x"}, reconnect,
    {"A_KHARID_X"}, {"A_KHarid_Kala_X"}, {"A_Pardakht_X"}, {"P_INFO_X"}, {"P_Kala_X"}, {"P_Pass_X"},
    {"P_TTHESAB_x"}, reconnect,
    {"P_TSanduq_x"}, {"P_THESAB_BANKI_x"}, {"A_GHAVALEH_X"}, {"A_GMSANDUQ_X"}, {"A_Enteqal_x"},
    {"A_Hazineh_X"},
};

const std::vector<StepListEntry> kTamrix2{
    {"p_user"}, {"P_GTHesab_ada"}, {"A_DSADSL"}, {"P_TH_Haq"}, {"P_TH_Huq"}, {"P_news"},
    {"P_TService"}, {"P_SGroup"}, {"P_STime"}, {"P_SSpeed"}, {"P_SUsed"}, {"P_SSeri"}, reconnect,
    {"P_STraffic"}, {"X_Customer"}, {"E_Error"}, {"A_DSWimax"}, {"P_Error"}, {"P_Set"},
    {"P_TModem"}, {"P_Xtra_Volum"}, {"P_TTarh"}, {"J_Tarh_Ser"}, reconnect,
    {"Login"}, {"P_Mokhaberat"}, {"Tpre_num"}, {"A_GMTHesab_ada"}, {"P_GKala_ada"}, {"P_Kala_ada"},
    {"P_TTHesab"}, {"P_Hesab_ada"}, {"A_Action"}, {"P_Extra"}, {"P_Sub_staff"}, reconnect,
    {"T_Kala"}, {"P_Jobs"}, {"A_040"}, {"P_040_SHARZ"}, {"P_LService"}, {"K_Barrasi"},
    {"P_IPStatic"}, {"A_Host"}, {"P_Host_Space"}, {"P_SWimax"}, reconnect,
    {"P_SWiFi"}, {"A_DSWiFi"}, {"Kartabl"}, {"P_Server"}, {"P_Suffix"}, {"A_Domain"},
};

const std::vector<StepListEntry> kMornale{
    {"A_Daryaft_R"}, {"A_Furush_R"}, {"A_Furush_Kala_R"}, {"A_GMTHesab_R"}, {"A_KHARID_R"},
    {"A_KHarid_Kala_R"}, reconnect,
    {"A_Pardakht_R"}, {"P_GKala_R"}, {"P_Kala_R"}, {"P_TTHESAB_R"}, {"Setting_R"}, {"P_pass_R"},
    {"BP_TPEYK"},
};

const std::vector<StepListEntry> kKestin{
    {"A_GMTHesab_man"}, {"P_THESAB_man"}, {"P_HMOAVAQ_man"}, {"P_PASS_man"}, {"P_INFORMATION_man"},
    {"P_YIL"}, reconnect,
    {"A_KHARID_KALA_S"}, {"P_KALA_S"}, {"BA_GMTHesab_Old"}, {"FN_Last_Reminder"},
};

const std::vector<StepListEntry> kVelora{
    {"A_AQSAT_I"}, {"A_ASNAD_I"}, {"A_BHAZINEH_I"}, {"A_CDARYAFTI_I"}, {"A_CPARDAKHTI_I"},
    {"A_DARYAFT_I"}, {"A_ENTEQAL"}, {"A_FASQ"}, {"A_GHAVALEH"}, {"P_Log"}, reconnect,
    {"A_GMSANDUQ"}, {"A_GMTHESAB_I"}, {"A_Sharh_Aqsat"}, {"Company_i"}, {"sudur"}, {"P_TBIMEH"},
    {"P_TTHESAB_I"}, {"P_INFO"}, reconnect,
    {"P_KAR_OMR"}, {"P_TSANDUQ"}, {"P_THazineh_i"}, {"P_TDaramad_i"}, {"A_BDaramad_i"},
    {"P_TKarmozd"}, {"P_Task"}, {"P_THESAB_BANKI_i"}, {"Temp_THesab"}, {"P_OTHERS_SMS"},
    {"P_SMS_TEXT"}, {"A_EHBTH_I"}, {"P_Document"}, reconnect,
    // The date functions come before every object that calls them: a view
    // is created only when the functions it calls exist.
    {"Fn_Milad2shamsi"}, {"Fn_DayDiff"},
    {"BtnF_DOSYA_ARASHTIR"}, {"P_Cash_Users"}, {"A_PARDAKHT_I"}, {"V_SUDUR_STS"}, {"P_Sanad_Type"},
    {"V_Pursuant_Dt"}, {"V_Commission_Dt"}, reconnect,
    {"T_Offers"}, {"T_General"}, {"T_sms_Sendbox"},
    {"T_sms_Inbox"}, {"T_Sms_Vote"}, {"T_Sms_Vote_Dt"}, {"SP_RECONFIG_ORVEL"}, {"T_SMS_BlackList"},
    {"T_Auto_Response"}, reconnect,
    {"T_Auto_Response_Dt"}, {"T_Systempwd"}, {"P_TBimeh_Wage_DT"}, {"T_Advantage_Formulas"},
    {"T_Advantages"}, {"T_Insured"}, {"FN_Advantage_Cost"}, {"V_AQSAT_STS"}, {"T_Credit_Cash"},
    {"T_Credit_Cash_History"}, {"V_Credit_Cash_sts"}, {"TRG_AF_SUDUR_DEL"}, {"TRG_AF_SUDUR_INS"},
    {"FN_Sudur_Reminder"}, {"P_TGHAZINEH"}, {"FN_Sudur_Reminder_Out"}, reconnect,
    {"P_TField"}, {"SP_FieldData"}, {"V_Settlement_Sts"}, {"SP_FinancialYearClose"},
};

const std::vector<StepListEntry> kPelsa{
    {"TCapability"}, {"TRansfer"}, {"Test"}, {"Yollar"}, {"TSetting"}, {"TModify"},
    {"TColumn_Size"}, {"yapraqlar"},
};

}  // namespace

std::span<const StepListEntry> StepListFor(std::string_view productId) {
    if (productId == "Velora") return kVelora;
    if (productId == "Tamrix2") return kTamrix2;
    if (productId == "Pelsa") return kPelsa;
    if (productId == "Mornale") return kMornale;
    if (productId == "Kestin") return kKestin;
    if (productId == "Zorbex") return kZorbex;
    return {};
}

int StepCount(std::string_view productId) {
    const auto list = StepListFor(productId);
    return static_cast<int>(std::count_if(list.begin(), list.end(),
                                          [](const StepListEntry& e) { return !e.isReconnectPoint(); }));
}

}  // namespace orvel
