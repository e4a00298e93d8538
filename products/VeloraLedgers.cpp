// Table steps of the insurance-office product: ledgers, policies, company
// and parties (cash-box and account movements, single instalments, the
// office's settings, issued policies, insurance kinds, parties and per-user
// rights), in run order.
//
// Six steps end with T-SQL that widens or retypes columns, makes key columns
// NOT NULL, adds a primary key, rebuilds an index and corrects data; it is
// sent on every run, whatever the database kind.  The server refuses ALTER
// COLUMN on a column that a primary key depends on, even when the statement
// would change nothing, and the keys of sudur and A_GMSANDUQ are kept, not
// rebuilt: their NOT NULL statements are therefore sent only when the column
// is not yet of the wanted type and nullability.
#include "products/TableSteps.h"

namespace orvel {

std::vector<TableStep> VeloraLedgerTableSteps() {
    using enum StatementPoint;
    using enum Sender;
    return {
        {
            .name = "A_GMSANDUQ",
            .table = "A_GMSANDUQ",
            .firstColumn = "SH_R",
            .firstType = "integer",
            .entries = {
                {"CA", "integer not null"}, {"NA", "nvarchar(150)"}, {"CTH", "integer"},
                {"NTH", "nvarchar(50)"}, {"CG", "integer"}, {"TA", "nvarchar(50)"}, {"CS", "integer"},
                {"NS", "nvarchar(50)"}, {"BED", "money"}, {"BES", "money"}, {"SH_Fish", "nvarchar(50)"},
                {"SA", "nvarchar(10)"}, {"Sort_ID", "integer"},
            },
            .statements = {
                {AfterEntries, Command, "alter table A_GMSANDUQ alter column NA nvarchar(150)"},
                // PK_A_GMSANDUQ is kept once made and depends on SH_R and CA:
                // they are altered only while not yet INT NOT NULL.
                {AfterEntries, Command,
                 "if not exists (select 1 from sys.columns where name='SH_R' and object_id=object_id('A_GMSANDUQ') and is_nullable=0 and type_name(user_type_id)='int') alter table A_GMSANDUQ ALTER COLUMN SH_R INT NOT NULL"},
                {AfterEntries, Command,
                 "if not exists (select 1 from sys.columns where name='CA' and object_id=object_id('A_GMSANDUQ') and is_nullable=0 and type_name(user_type_id)='int') alter table A_GMSANDUQ ALTER COLUMN CA INT NOT NULL"},
                {AfterEntries, Command,
                 "IF OBJECT_ID('PK_A_GMSANDUQ') IS NULL alter table A_GMSANDUQ add constraint PK_A_GMSANDUQ  primary key  (sh_r,ca)"},
            },
            .finalTableAdvance = true,
        },
        {
            .name = "A_GMTHESAB_I",
            .table = "A_GMTHESAB",
            .firstColumn = "ID",
            .firstType = "integer",
            .entries = {
                {"CG", "integer"}, {"CA", "integer"}, {"NA", "nvarchar(255)"}, {"SH_B", "nvarchar(50)"},
                {"CTH", "integer"}, {"NTH", "nvarchar(50)"}, {"TA", "nvarchar(50)"},
                {"SA", "nvarchar(20)"}, {"CB", "integer"}, {"NB", "nvarchar(50)"}, {"MAB_B", "money"},
                {"PER_BAZARYAB", "float"}, {"per_daftar", "float"}, {"BED", "money"}, {"BES", "money"},
                {"RECOG", "nvarchar(50)"}, {"SH_R", "integer"}, {"CK", "integer"}, {"NK", "nvarchar(50)"},
                {"AKH_TA_P", "nvarchar(50)"}, {"KARMOZ_DAY", "integer"}, {"SH_SANAD", "integer"},
                {"SHARH", "nvarchar(50)"}, {"BED2", "money"}, {"BES2", "money"},
                {"TRANSACTION_SORT", "integer"},
            },
            .statements = {
                {AfterEntries, Query, "alter table A_GMTHESAB alter column SA  nvarchar(20)"},
            },
            .finalTableAdvance = true,
        },
        {
            .name = "A_Sharh_Aqsat",
            .table = "A_Sharh_Aqsat",
            .firstColumn = "SH_A",
            .firstType = "integer",
            .entries = {
                {"SH_R", "integer"}, {"SH_RP", "integer"}, {"SH_T", "integer"}, {"SH_RPursant", "integer"},
                {"TA_QEST", "nvarchar(10)"}, {"MAB_QEST", "money"}, {"Year", "integer"},
                {"VAZ", "nvarchar(100)"}, {"SELECTED", "bit"}, {"SH_R2", "integer"}, {"MAN_QEST", "money"},
                {"ID_BH_DOUBLE", "integer"}, {"ID_BD_DOUBLE", "integer"}, {"PAYMENT_ID", "nvarchar(50)"},
                {"IS_Canceled", "bit"},
            },
            .statements = {
                {AfterEntries, Command,
                 "if exists (select 1 from sys.indexes where name='Idx_A_SHARH_AQSAT' and object_id=object_id('A_Sharh_Aqsat')) DROP INDEX  Idx_A_SHARH_AQSAT ON A_Sharh_Aqsat"},
                {AfterEntries, Command,
                 "CREATE NONCLUSTERED INDEX Idx_A_SHARH_AQSAT ON A_Sharh_Aqsat (SH_A,VAZ) INCLUDE ([SH_R],[SH_RP],[TA_QEST],[MAB_QEST],[SELECTED],[SH_R2],[MAN_QEST],[PAYMENT_ID],[IS_Canceled])"},
            },
            .finalTableAdvance = true,
        },
        {
            .name = "Company_i",
            .table = "company",
            .firstColumn = "on1",
            .firstType = "nvarchar(50)",
            .entries = {
                {"on2", "nvarchar(50)"}, {"nmodir", "nvarchar(50)"}, {"tel1", "nvarchar(50)"},
                {"tel2", "nvarchar(50)"}, {"mob", "nvarchar(50)"}, {"email", "nvarchar(50)"},
                {"web", "nvarchar(50)"}, {"[add]", "nvarchar(100)"}, {"auto_bak", "bit"},
                {"back_path", "nvarchar(50)"}, {"per_maliyat", "float"}, {"per_avarez", "float"},
                {"per_kasr_karmozd", "float"}, {"karmozd_day", "integer"}, {"tiny_register", "bit"},
                {"mojudi_sanduq", "money"}, {"TA_Sanad_Eftetah", "nvarchar(10)"}, {"per_sales", "float"},
                {"per_mazad", "float"}, {"per_sarneshin", "float"}, {"per_sales_haz", "float"},
                {"per_mazad_haz", "float"}, {"per_sarneshin_haz", "float"}, {"ins_com_cd", "integer"},
                {"ins_com_dsc", "nvarchar(50)"}, {"sms_user", "nvarchar(50)"},
                {"sms_pass", "nvarchar(50)"}, {"sms_company", "nvarchar(50)"}, {"Title_Addto_NTH", "bit"},
                {"DOC_PATH", "nvarchar(100)"}, {"SHOW_LAST_DOC_ONSHOW", "bit"},
                {"Prevent_Dup_National_CD", "bit"}, {"Prevent_Dup_Name", "bit"}, {"RND_Maliyat", "int"},
                {"RND_Aqsat", "int"}, {"SHOW_MN_AQSAT", "bit"}, {"Dec_Ins_End_Dt", "bit"},
                {"CHEQUE_AlertDay", "integer"}, {"Payment_AlertDay", "integer"},
                {"Insurance_AlertDay", "integer"}, {"Arm_Path", "nvarchar(250)"}, {"CGB_OMR", "integer"},
                {"NGB_OMR", "nvarchar(100)"}, {"Assign_Bashlanish_to_Document", "bit"},
                {"Auto_Update_Alert_Panel", "bit"}, {"National_CD_Addto_NTH", "bit"},
                {"CheckUpdate", "bit"},
            },
            .finalTableAdvance = true,
        },
        {
            .name = "sudur",
            .table = "sudur",
            .firstColumn = "SH_B",
            .firstType = "nvarchar(50) PRIMARY KEY",
            .entries = {
                {"IS_SALES", "bit"}, {"IS_LIFE", "bit"}, {"IS_SUDUR", "bit"}, {"MAZAD", "money"},
                {"SALES", "money"}, {"SARNESHIN", "money"}, {"per_sales", "float"}, {"per_mazad", "float"},
                {"per_sarneshin", "float"}, {"per_sales_haz", "float"}, {"per_mazad_haz", "float"},
                {"per_sarneshin_haz", "float"}, {"per_haz_sudur", "float"}, {"INS_COM_CD", "integer"},
                {"INS_COM_DSC", "nvarchar(100)"}, {"ID_EHBTH_NORMAL", "integer"},
                {"ID_EHBTH_ONLINE", "integer"}, {"TOZ1", "nvarchar(100)"}, {"LEN_OMR", "integer"},
                {"Revival_STS", "integer"}, {"Revival_Insurance_ID", "nvarchar(100)"}, {"CGM", "integer"},
                {"CM", "integer"}, {"NM", "nvarchar(100)"}, {"IS_Credit_Pay", "bit"},
            },
            .statements = {
                // On SQL Server the create makes SH_B the primary key, and the
                // server refuses any ALTER COLUMN on a key column: SH_B is
                // altered only while not yet nvarchar(50) (100 bytes) NOT NULL.
                {AfterEntries, Command,
                 "if not exists (select 1 from sys.columns where name='SH_B' and object_id=object_id('sudur') and is_nullable=0 and type_name(user_type_id)='nvarchar' and max_length=100) alter table sudur ALTER COLUMN SH_B  nvarchar(50) NOT NULL "},
            },
            .finalTableAdvance = true,
        },
        {
            .name = "P_TBIMEH",
            .table = "P_TBIMEH",
            .firstColumn = "CB",
            .firstType = "nvarchar(50)",
            .entries = {
                {"per_karmozd", "float"}, {"per_haz_sudur", "float"},
            },
            .statements = {
                {AfterEntries, Query, "alter table P_TBIMEH alter column per_karmozd  float"},
            },
            .finalTableAdvance = true,
        },
        {
            .name = "P_TTHESAB_I",
            .table = "P_TTHESAB",
            .firstColumn = "CTH",
            .firstType = "integer",
            .entries = {
                {"CG", "integer"}, {"ADR", "nvarchar(150)"}, {"TT", "nvarchar(15)"},
                {"jensiat", "nvarchar(15)"}, {"Secondry_grp", "nvarchar(50)"},
                {"Location", "nvarchar(50)"}, {"TH_Type", "nvarchar(50)"}, {"Email", "nvarchar(50)"},
                {"National_CD", "nvarchar(20)"}, {"SH_SH", "nvarchar(20)"}, {"POST_CD", "nvarchar(20)"},
                {"Title", "nvarchar(50)"}, {"WEB", "nvarchar(50)"}, {"CTH_COM", "integer"},
                {"NTH2", "nvarchar(250)"},
            },
            .statements = {
                {AfterEntries, Query, "alter table p_tthesab alter column Adr nvarchar(150)"},
                {AfterEntries, Query, "alter table p_tthesab alter column pursant_yuzda float"},
                // Every party of group 2 is named policyholder; the name is bound
                // as a text parameter, never written into the statement.
                {AfterEntries, Query, "update p_tthesab set ng=:p1 where cg=2", {{"p1", "بيمه گذار"}}},
                {AfterEntries, Query, "alter table p_tthesab alter column [TO] nvarchar(150)"},
            },
            .finalTableAdvance = true,
        },
        {
            .name = "P_INFO",
            .table = "P_INFO",
            .firstColumn = "CK",
            .firstType = "integer",
            .entries = {
                {"EN_TINS_COM", "bit"}, {"EN_TSANDUQ", "bit"}, {"EN_EDIT_AM", "bit"}, {"EN_ADar", "bit"},
                {"EN_TDar", "bit"}, {"EN_TKarmozd", "bit"}, {"EN_TASK", "bit"}, {"EN_AENTEQAL_ASH", "bit"},
            },
            .finalTableAdvance = true,
        },

    };
}

}  // namespace orvel
