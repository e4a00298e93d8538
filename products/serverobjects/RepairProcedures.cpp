// Object steps of the data-repair and custom-field procedures.
//
// SP_Reconfig_Orvel gives the ledger rows of returned and bounced cheques
// their operation codes and fills in the term of life policies from their
// instalment plans.  SP_FieldData turns the custom policy fields of P_TField
// into columns F<Field_ID> of T_FieldData (one row per policy).  The product
// application runs both; the upgrader only creates them.
#include "products/serverobjects/ServerObjects.h"

namespace orvel {

namespace {

constexpr std::string_view kReconfig = R"sql(
create PROCEDURE [dbo].[SP_Reconfig_Orvel] AS BEGIN
    -- Ledger rows of returned cheques get operation code 9.
    UPDATE A_GMTHESAB SET CA = 9
    WHERE ID IN (SELECT SH_RM FROM A_CPARDAKHTI WHERE VAZ LIKE '%عودت%' AND SH_RM IS NOT NULL)

    UPDATE A_GMTHESAB SET CA = 9
    WHERE ID IN (SELECT SH_RMB FROM A_CDARYAFTI WHERE VAZ LIKE '%عودت%' AND SH_RMB IS NOT NULL)

    -- Ledger rows of bounced cheques get operation code 10.
    UPDATE A_GMTHESAB SET CA = 10
    WHERE ID IN (SELECT SH_RMB FROM A_CDARYAFTI WHERE VAZ LIKE '%برگشت%' AND SH_RMB IS NOT NULL)

    UPDATE A_GMTHESAB SET CA = 10
    WHERE ID IN (SELECT SH_RB FROM A_CDARYAFTI WHERE VAZ LIKE '%برگشت%' AND SH_RB IS NOT NULL)

    -- Term in whole years of life policies without one: instalments times
    -- months per instalment, divided by 12.  The first matching interval wins;
    -- an unknown interval or a missing plan leaves the term NULL.
    UPDATE SUDUR SET LEN_OMR =
        (SELECT (A.QEST_NUM
            * CASE
                WHEN A.DISTANCE LIKE '%ماهانه%' THEN 1
                WHEN A.DISTANCE LIKE '%دو%' THEN 2
                WHEN A.DISTANCE LIKE '%سه%' THEN 3
                WHEN A.DISTANCE LIKE '%چهار%' THEN 4
                WHEN A.DISTANCE LIKE '%شش%' THEN 6
                WHEN A.DISTANCE LIKE '%يکساله%' THEN 12
            END) / 12
        FROM A_AQSAT A WHERE A.SH_A = SUDUR.SH_A)
    WHERE LEN_OMR IS NULL AND ISNULL(is_Life, 0) = 1
END
)sql";

// A field whose type is none of the four names keeps the column type of the
// field before it in the cursor (or, with none, a NULL statement, which
// sp_executesql runs as nothing).  Columns are never dropped or retyped.
constexpr std::string_view kFieldData = R"sql(
Create Procedure dbo.SP_FieldData  AS BEGIN
    DECLARE @Field_ID INT, @Field_Type NVARCHAR(50)
    DECLARE @Column_Name NVARCHAR(50), @Column_Type NVARCHAR(50), @Sql NVARCHAR(MAX)

    DECLARE cr_field CURSOR LOCAL FOR SELECT Field_ID, Field_Type FROM P_TField
    OPEN cr_field

    IF OBJECT_ID('T_FieldData') IS NULL
        CREATE TABLE T_FieldData (SH_B NVARCHAR(100) PRIMARY KEY)

    FETCH NEXT FROM cr_field INTO @Field_ID, @Field_Type
    WHILE @@FETCH_STATUS = 0
    BEGIN
        IF @Field_Type = 'رشته اي(متن)' SET @Column_Type = 'NVARCHAR(250)'
        IF @Field_Type = 'عدد صحيح' SET @Column_Type = 'INT'
        IF @Field_Type = 'عدد اعشاري' SET @Column_Type = 'FLOAT'
        IF @Field_Type = 'ريالي/ارزي' SET @Column_Type = 'Money'

        SET @Column_Name = 'F' + LTRIM(STR(@Field_ID))
        IF NOT EXISTS (SELECT 1 FROM sys.columns
                       WHERE object_id = OBJECT_ID('T_FieldData') AND name = @Column_Name)
        BEGIN
            SET @Sql = 'ALTER TABLE T_FieldData ADD ' + @Column_Name + ' ' + @Column_Type
            EXEC sp_executesql @Sql
        END

        FETCH NEXT FROM cr_field INTO @Field_ID, @Field_Type
    END

    CLOSE cr_field
    DEALLOCATE cr_field
END
)sql";

}  // namespace

std::vector<ObjectStep> RepairProcedureSteps() {
    return {
        {"SP_RECONFIG_ORVEL",
         {"IF OBJECT_ID('DBO.SP_RECONFIG_ORVEL') IS NOT NULL DROP  PROCEDURE DBO.SP_RECONFIG_ORVEL"},
         SqlLines(kReconfig),
         GaugeEffect::PlusOne},
        {"SP_FieldData",
         {"IF OBJECT_ID('SP_FieldData') IS NOT NULL DROP procedure SP_FieldData"},
         SqlLines(kFieldData),
         GaugeEffect::TenUnit},
    };
}

}  // namespace orvel
