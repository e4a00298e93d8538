// Table steps of the insurance-office product: offers and SMS tables.
//
// Vehicle-insurance offers, a general lookup list and the SMS tables (sent
// and received messages, polls and their options, blocked numbers, reply
// rules).  Four tables come from a create statement of their own so that
// their first column is an identity column; T_SMS_Inbox widens its message
// text on every run and T_SMS_Vote_Dt rebuilds its foreign key to the polls.
#include "products/TableSteps.h"

namespace orvel {

std::vector<TableStep> VeloraMessagingTableSteps() {
    return {
        // BODY_HURTE_COST stands twice; the second entry finds the column and
        // only advances the bar.
        {.name = "T_Offers", .table = "T_Offers", .firstColumn = "Offer_ID", .firstType = "integer",
         .ownCreate = "create table T_Offers (Offer_ID integer  NOT NULL IDENTITY (1, 1))",
         .entries = {{"CB", "integer"},
                     {"NB", "nvarchar(50)"},
                     {"CTH", "integer"},
                     {"NTH", "nvarchar(100)"},
                     {"SH_SH", "nvarchar(50)"},
                     {"NATIONAL_CD", "nvarchar(50)"},
                     {"TEL", "nvarchar(50)"},
                     {"MOB", "nvarchar(50)"},
                     {"ADR", "nvarchar(150)"},
                     {"TT", "nvarchar(50)"},
                     {"POST_CD", "nvarchar(50)"},
                     {"SYSTEM_TYPE_ID", "integer"},
                     {"SYSTEM_TYPE_DSC", "nvarchar(50)"},
                     {"CAR_TYPE_ID", "integer"},
                     {"CAR_TYPE_DSC", "nvarchar(50)"},
                     {"SARNESHIN_NUM", "integer"},
                     {"PELAK_TYPE_ID", "integer"},
                     {"PELAK_TYPE_DSC", "nvarchar(50)"},
                     {"PELAK_TYPE_DSC2", "nvarchar(50)"},
                     {"CAPACITY", "nvarchar(50)"},
                     {"SH_PELAK", "nvarchar(50)"},
                     {"CAR_COLOR", "nvarchar(50)"},
                     {"SILANDR_NUM", "integer"},
                     {"SH_MOTOR", "nvarchar(50)"},
                     {"SH_SHASI", "nvarchar(50)"},
                     {"PRODUCT_YEAR", "nvarchar(10)"},
                     {"SAVARI_USAGE_ID", "integer"},
                     {"SAVARI_USAGE_DSC", "nvarchar(100)"},
                     {"BARKESH_USAGE_ID", "integer"},
                     {"BARKESH_USAGE_DSC", "nvarchar(100)"},
                     {"AUTOCAR_USAGE_ID", "integer"},
                     {"AUTOCAR_USAGE_DSC", "nvarchar(100)"},
                     {"SILANDR_NUM_ID", "integer"},
                     {"SILANDR_NUM_DSC", "integer"},
                     {"BODY_HURTE_COST", "money"},
                     {"FINANCIAL_COST", "money"},
                     {"DRIVER_BODY_HURTE_COST", "money"},
                     {"MEDICAL_COST", "money"},
                     {"BODY_HURTE_COST", "money"},
                     {"HAS_SALES", "nvarchar(50)"},
                     {"SH_BIMENAMEH_PRE", "nvarchar(50)"},
                     {"TA_BIMENAMEH_PRE", "nvarchar(50)"},
                     {"INS_COM_ID_PRE", "integer"},
                     {"INS_COM_DSC_PRE", "nvarchar(50)"},
                     {"HAS_HURTE", "nvarchar(50)"},
                     {"HURTE_NUM", "integer"}},
         .finalTableAdvance = true},

        {.name = "T_General", .table = "T_General", .firstColumn = "ID", .firstType = "integer",
         .ownCreate = "create table dbo.T_General (ID integer  NOT NULL IDENTITY (1, 1))",
         .entries = {{"CG", "integer"}, {"NG", "nvarchar(50)"}, {"ITEM_ID", "integer"},
                     {"ITEM_DSC", "nvarchar(100)"}, {"FATHER_ID", "integer"}},
         .finalTableAdvance = true},

        {.name = "T_sms_Sendbox", .table = "T_SMS_Sendbox", .firstColumn = "ID", .firstType = "integer",
         .ownCreate = "create table dbo.T_SMS_Sendbox (ID integer  NOT NULL IDENTITY (1, 1))",
         .entries = {{"FROM_NUM", "nvarchar(20)"}, {"TO_NUM", "nvarchar(20)"}, {"SMS_TEXT", "nvarchar(250)"},
                     {"SEND_DT", "nvarchar(20)"}, {"USER_LUMEX", "nvarchar(100)"},
                     {"RESPONSE_ID", "nvarchar(50)"}, {"STS", "nvarchar(200)"}},
         .finalTableAdvance = true},

        // The alter widens SMS_TEXT of an older table.  No key or index of
        // the product covers the column, and widening an (n)varchar that an
        // index covers is allowed, so the alter can be repeated every run.
        {.name = "T_sms_Inbox", .table = "T_SMS_Inbox", .firstColumn = "ID", .firstType = "integer",
         .ownCreate = "create table dbo.T_SMS_Inbox (ID integer  NOT NULL IDENTITY (1, 1))",
         .entries = {{"FROM_NUM", "nvarchar(20)"}, {"TO_NUM", "nvarchar(20)"}, {"SMS_TEXT", "nvarchar(450)"},
                     {"Receive_DT", "nvarchar(20)"}, {"Receive_SA", "nvarchar(20)"},
                     {"USER_LUMEX", "nvarchar(100)"}, {"Msg_ID", "integer"}},
         .statements = {{.text = "alter table  T_SMS_Inbox alter column [SMS_TEXT] nvarchar(450)"}},
         .finalTableAdvance = true},

        {.name = "T_Sms_Vote", .table = "T_SMS_Vote", .firstColumn = "VOTE_ID", .firstType = "integer primary key",
         .entries = {{"VOTE_TITLE", "nvarchar(250)"}, {"BEGIN_DT", "nvarchar(20)"}, {"END_DT", "nvarchar(20)"},
                     {"IS_COMPETITION", "bit"}},
         .finalTableAdvance = true},

        {.name = "T_Sms_Vote_Dt", .table = "T_SMS_Vote_Dt", .firstColumn = "ID", .firstType = "integer primary key",
         .entries = {{"VOTE_ID", "integer"}, {"SMS_OPTION", "nvarchar(250)"},
                     {"SMS_OPTION_SYNONYM", "nvarchar(250)"}, {"Auto_Response_Msg_Text", "nvarchar(250)"},
                     {"Auto_Response_Line_Num", "nvarchar(20)"}, {"IS_Correct", "bit"}},
         .statements =
             {
                 {.text = "if exists (select name from sys.foreign_keys where name='FK_VOTE_ID') "
                          "alter table T_SMS_Vote_Dt drop  constraint FK_VOTE_ID "},
                 {.text = "alter table T_SMS_Vote_Dt add constraint FK_VOTE_ID foreign key (VOTE_ID) "
                          "REFERENCES T_Sms_Vote(VOTE_ID) "},
             },
         .finalTableAdvance = true},

        {.name = "T_SMS_BlackList", .table = "T_SMS_BlackList", .firstColumn = "MOB", .firstType = "nvarchar(50)",
         .entries = {{"NTH", "nvarchar(100)"}},
         .finalTableAdvance = true},

        {.name = "T_Auto_Response", .table = "T_Auto_Response", .firstColumn = "ID",
         .firstType = "integer primary key",
         .entries = {{"Receive_Text", "nvarchar(250)"}, {"Response_Text", "nvarchar(250)"},
                     {"BEGIN_DT", "nvarchar(20)"}, {"END_DT", "nvarchar(20)"}, {"sts", "nvarchar(50)"}},
         .finalTableAdvance = true},
    };
}

}  // namespace orvel
