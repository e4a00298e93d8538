// Table steps of the insurance-office product: documents, cheques and
// instalments (instalment plans, accounting document lines, expense and
// receipt vouchers, cheques, transfers, policy cancellations, bank
// remittances and the user activity log), in run order.
//
// Four steps end with T-SQL that widens columns and rebuilds keys and
// indexes; it is sent on every run, whatever the database kind, so it must
// succeed on a database that a previous run already brought up to date.  The
// server refuses ALTER COLUMN on a column that a primary key or an index
// depends on, even when the statement would change nothing: a key or index
// that a step rebuilds is therefore dropped before its columns are altered.
#include "products/TableSteps.h"

namespace orvel {

std::vector<TableStep> VeloraDocumentTableSteps() {
    using enum StatementPoint;
    using enum Sender;
    return {
        {
            .name = "A_AQSAT_I",
            .table = "A_AQSAT",
            .firstColumn = "SH_A",
            .firstType = "integer",
            .entries = {
                {"SH_B", "nvarchar(50)"}, {"CTH", "integer"}, {"NTH", "nvarchar(100)"}, {"CG", "integer"},
                {"NG", "nvarchar(100)"}, {"TA", "nvarchar(10)"}, {"TA_FIRST", "nvarchar(10)"},
                {"TA_LAST", "nvarchar(10)"}, {"QEST_NUM", "integer"}, {"QEST_COUNTER", "integer"},
                {"JMAB_AQSAT", "money"}, {"JMAN_AQSAT", "money"}, {"AVE_MQEST", "money"},
                {"CK", "integer"}, {"NK", "nvarchar(50)"}, {"JMBIMEH", "money"}, {"JKDARYAFTI", "money"},
                {"JKPARDAKHTI", "money"}, {"IS_ADOREH", "bit"}, {"TOZIH", "nvarchar(100)"},
                {"NOE_AQSAT", "nvarchar(50)"}, {"PER_YEAR", "float"}, {"PER_karmozd", "float"},
                {"DISTANCE", "nvarchar(50)"}, {"COM_CD", "integer"}, {"COM_DSC", "nvarchar(70)"},
                {"IS_DOUBLE", "integer"},
            },
            .statements = {
                {AfterEntries, Command,
                 "if exists (select 1 from sys.indexes where name='Idx_A_AQSAT' and object_id=object_id('A_AQSAT')) DROP INDEX  Idx_A_AQSAT ON A_AQSAT"},
                {AfterEntries, Command,
                 "CREATE NONCLUSTERED INDEX Idx_A_AQSAT ON A_AQSAT (NOE_AQSAT) INCLUDE ([SH_A],[SH_B],[CTH],[CG],[TA],[QEST_NUM],[QEST_COUNTER],[IS_ADOREH],[TOZIH],[IS_DOUBLE])"},
                {AfterEntries, Command,
                 "if exists (select 1 from sys.indexes where name='Idx_UK_A_AQSAT' and object_id=object_id('A_AQSAT')) DROP INDEX  Idx_UK_A_AQSAT ON A_AQSAT"},
                {AfterEntries, Command,
                 "CREATE UNIQUE NONCLUSTERED INDEX Idx_UK_A_AQSAT ON A_AQSAT ([SH_A] ASC,[SH_B] ASC,[NOE_AQSAT] ASC)"},
            },
            .finalTableAdvance = true,
        },
        {
            .name = "A_ASNAD_I",
            .table = "A_ASNAD",
            .firstColumn = "ID",
            .firstType = "integer",
            .entries = {
                {"TARTIB", "integer"}, {"TA", "nvarchar(10)"}, {"SHO_SANAD", "integer"},
                {"KOL", "nvarchar(50)"}, {"CODE_HESABDARI", "nvarchar(50)"}, {"SHARH", "nvarchar(50)"},
                {"BED", "money"}, {"BES", "money"}, {"MOIN", "nvarchar(100)"}, {"TAF", "nvarchar(50)"},
            },
            .finalTableAdvance = true,
        },
        {
            .name = "A_BHAZINEH_I",
            .table = "A_BHAZINEH",
            .firstColumn = "SHB",
            .firstType = "integer",
            .entries = {
                {"TA", "nvarchar(10)"}, {"SA", "nvarchar(10)"}, {"CH", "integer"}, {"NH", "nvarchar(50)"},
                {"CGH", "integer"}, {"NG", "nvarchar(50)"}, {"[TO]", "nvarchar(100)"}, {"MAB", "money"},
                {"SHRP", "integer"}, {"JNAQD", "money"}, {"JCHS", "money"}, {"JCHASH", "money"},
                {"JHAV", "money"}, {"JMABP", "money"}, {"CK", "integer"}, {"NK", "nvarchar(100)"},
                {"SHO_SANAD", "integer"}, {"CTH", "integer"}, {"CGTH", "integer"}, {"NTH", "nvarchar(50)"},
                {"IS_BEDEHI", "bit"},
            },
            .finalTableAdvance = true,
        },
        {
            .name = "A_CDARYAFTI_I",
            .table = "A_CDARYAFTI",
            .firstColumn = "SHSERIAL",
            .firstType = "nvarchar(50)",
            .entries = {
                {"SH_R", "integer"}, {"SH_RM", "integer"}, {"SH_RB", "integer"}, {"SH_RMB", "integer"},
                {"SHHESAB", "nvarchar(50)"}, {"NSHESAB", "nvarchar(50)"}, {"NBANK", "nvarchar(50)"},
                {"NSHOBEH", "nvarchar(50)"}, {"MABLAGH", "money"}, {"TASARRESID", "nvarchar(10)"},
                {"CA", "integer"}, {"NA", "nvarchar(50)"}, {"VAZ", "nvarchar(50)"}, {"IS_SANDUQ", "bit"},
                {"CTH", "integer"}, {"NTH", "nvarchar(50)"}, {"CTH_M", "integer"},
                {"NTH_M", "nvarchar(50)"}, {"ADOREH", "bit"}, {"TA_ADOREH", "nvarchar(10)"},
                {"BABAT_ADOREH", "nvarchar(100)"}, {"SHO_SANAD", "integer"}, {"CG", "integer"},
                {"SHH_VAGOZARI", "nvarchar(100)"}, {"NBank_VAGOZARI", "nvarchar(100)"},
            },
            .finalTableAdvance = true,
        },
        {
            .name = "A_CPARDAKHTI_I",
            .table = "A_CPARDAKHTI",
            .firstColumn = "SHSERIAL",
            .firstType = "nvarchar(50)",
            .entries = {
                {"SH_R", "integer"}, {"SHHESAB", "nvarchar(50)"}, {"NSHESAB", "nvarchar(50)"},
                {"NBANK", "nvarchar(50)"}, {"NSHOBEH", "nvarchar(50)"}, {"MABLAGH", "money"},
                {"TASARRESID", "nvarchar(10)"}, {"CA", "integer"}, {"NA", "nvarchar(50)"},
                {"VAZ", "nvarchar(50)"}, {"IS_ASH", "bit"}, {"SH_RM", "integer"}, {"SH_RM2", "integer"},
                {"CG", "integer"}, {"CTH", "integer"}, {"NTH", "nvarchar(50)"}, {"ADOREH", "bit"},
                {"TA_ADOREH", "nvarchar(10)"}, {"BABAT_ADOREH", "nvarchar(100)"}, {"SHO_SANAD", "integer"},
            },
            .finalTableAdvance = true,
        },
        {
            .name = "A_DARYAFT_I",
            .table = "A_DARYAFT",
            .firstColumn = "SH_R",
            .firstType = "integer",
            .entries = {
                {"TA", "nvarchar(10)"}, {"SA", "nvarchar(10)"}, {"BABAT", "nvarchar(100)"},
                {"CG", "integer"}, {"CTH", "integer"}, {"NTH", "nvarchar(50)"}, {"JNAQD", "money"},
                {"JCHEK", "money"}, {"JHAVALEH", "money"}, {"INDIRIM", "money"}, {"ARTIRIM", "money"},
                {"JKOL", "money"}, {"[TO]", "nvarchar(50)"}, {"[ADD]", "nvarchar(50)"}, {"CK", "integer"},
                {"NK", "nvarchar(100)"}, {"AKH_TA", "nvarchar(10)"}, {"SHO_SANAD", "integer"},
                {"Babat_SH_B", "nvarchar(100)"}, {"Babat_SH_ID_Elhaq", "integer"},
            },
            .finalTableAdvance = true,
        },
        {
            .name = "A_ENTEQAL",
            .table = "A_ENTEQAL",
            .firstColumn = "ID",
            .firstType = "integer",
            .entries = {
                {"HP", "nvarchar(10)"}, {"HD", "nvarchar(10)"}, {"NHP", "nvarchar(50)"},
                {"NHD", "nvarchar(50)"}, {"SH_RP", "integer"}, {"SH_RD", "integer"},
                {"TA", "nvarchar(50)"}, {"SA", "nvarchar(50)"}, {"MABLAGH", "money"},
                {"BABAT", "nvarchar(250)"}, {"kind", "nvarchar(5)"}, {"CK", "integer"},
                // The last entry repeats the first column: it adds ID only to an
                // older table that lacks it.
                {"NK", "nvarchar(100)"}, {"SHO_SANAD", "integer"}, {"ID", "integer"},
            },
            .statements = {
                {AfterEntries, Command, "alter table A_ENTEQAL alter column babat nvarchar (250)"},
            },
            .finalTableAdvance = true,
        },
        {
            .name = "A_FASQ",
            .table = "A_FASQ",
            .firstColumn = "SH_B",
            .firstType = "nvarchar(50)",
            .entries = {
                {"SH_SANAD", "integer"}, {"CTH", "integer"}, {"NTH", "nvarchar(50)"}, {"CB", "integer"},
                {"NB", "nvarchar(50)"}, {"CGB", "integer"}, {"CA", "integer"}, {"NA", "nvarchar(50)"},
                {"TA", "nvarchar(50)"}, {"SA", "nvarchar(50)"}, {"MAB_PAYE", "money"},
                {"PER_MALIYAT", "float"}, {"PER_AVAREZ", "float"}, {"MALIYAT", "money"}, {"JMAB", "money"},
                {"C_BAZARYAB", "integer"}, {"N_BAZARYAB", "nvarchar(50)"}, {"EMAL_BAZARYAB", "bit"},
                {"SHARH", "nvarchar(50)"}, {"CK", "integer"}, {"NK", "nvarchar(50)"},
                {"PER_BAZARYAB", "float"}, {"MAB_BAZARYAB", "money"}, {"PER_KARMOZD", "float"},
                {"MAB_KARMOZD", "money"}, {"PER_KASR", "float"}, {"SHO_SANAD", "integer"},
                {"ins_com_cd", "integer"}, {"ins_com_dsc", "nvarchar(50)"}, {"SH_ID", "integer"},
            },
            .statements = {
                {AfterEntries, Query,
                 "if object_id ('PK_A_FASQ') is not null alter table A_FASQ DROP CONSTRAINT PK_A_FASQ "},
                {AfterEntries, Query, "alter table A_FASQ ALTER COLUMN SH_B NVARCHAR(50) NOT NULL "},
                {AfterEntries, Query,
                 "DECLARE @ID INT;SET @ID=0;UPDATE A_FASQ SET @ID=SH_ID=@ID+1 WHERE SH_ID IS NULL;"},
                {AfterEntries, Query, "alter table A_FASQ ALTER COLUMN SH_ID integer NOT NULL "},
                {AfterEntries, Query, "alter table A_FASQ ADD CONSTRAINT PK_A_FASQ PRIMARY KEY (SH_B,SH_ID)"},
            },
            .finalTableAdvance = true,
        },
        {
            .name = "A_GHAVALEH",
            .table = "A_GHAVALEH",
            .firstColumn = "SH_R",
            .firstType = "integer",
            .entries = {
                {"CA", "integer"}, {"NA", "nvarchar(50)"}, {"TA", "nvarchar(50)"},
                {"SH_HESAB", "nvarchar(50)"}, {"NBANK", "nvarchar(50)"}, {"SH_Fish", "nvarchar(50)"},
                {"MAB_SANAD", "money"}, {"ID", "integer not null"}, {"SA", "nvarchar(10)"},
                {"Sort_ID", "integer"},
            },
            .statements = {
                {AfterEntries, Command, "alter table A_GHAVALEH alter column NA nvarchar(150)"},
                // The key and both unique indexes go before SH_R, CA and ID are
                // made NOT NULL (the server refuses to alter a column they
                // depend on), and come back afterwards.
                {AfterEntries, Command,
                 "IF OBJECT_ID('PK_A_GHAVALEH') IS NOT NULL ALTER TABLE A_GHAVALEH DROP constraint PK_A_GHAVALEH"},
                {AfterEntries, Command,
                 "if exists (select 1 from sys.indexes where name='UK_A_GHAVALEH' and object_id=object_id('A_GHAVALEH')) DROP INDEX  UK_A_GHAVALEH ON A_GHAVALEH"},
                {AfterEntries, Command,
                 "if exists (select 1 from sys.indexes where name='Idx_Uniq_A_GHAVALEH' and object_id=object_id('A_GHAVALEH')) DROP INDEX  Idx_Uniq_A_GHAVALEH ON A_GHAVALEH"},
                {AfterEntries, Command, "alter table A_GHAVALEH ALTER COLUMN SH_R INT NOT NULL"},
                {AfterEntries, Command, "alter table A_GHAVALEH ALTER COLUMN CA INT NOT NULL"},
                {AfterEntries, Command, "alter table A_GHAVALEH ALTER COLUMN ID INT NOT NULL"},
                {AfterEntries, Command,
                 "alter table A_GHAVALEH add constraint PK_A_GHAVALEH  primary key  (ID)"},
                {AfterEntries, Command,
                 "CREATE UNIQUE NONCLUSTERED INDEX Idx_Uniq_A_GHAVALEH ON A_GHAVALEH (SH_R ASC,CA ASC)"},
            },
            .finalTableAdvance = true,
        },
        {
            .name = "P_Log",
            .table = "P_Log",
            .firstColumn = "ID",
            .firstType = "integer",
            .entries = {
                {"CK", "integer"}, {"NK", "nvarchar(50)"}, {"SHARH", "nvarchar(100)"},
                {"TA", "nvarchar(20)"}, {"SA", "nvarchar(20)"}, {"CG", "integer"}, {"CA", "integer"},
            },
            .finalTableAdvance = true,
        },

    };
}

}  // namespace orvel
