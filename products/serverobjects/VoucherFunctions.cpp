// Object steps of the voucher description and advantage cost functions.
//
// Dosya_Arashtir writes the one-line Persian description of a receipt
// (operation code 2) or payment (code 3) voucher: its means of payment, then
// the payer or payee and, for a receipt, its purpose.  FN_Advantage_Cost gives
// the money amount of the advantage recorded for a policy.  Both only read
// the product's tables; neither step moves the bars.
#include "products/serverobjects/ServerObjects.h"

namespace orvel {

namespace {

// Each means of payment ends in a star; the star after the last one is cut
// off again (a blank in front of it stays).  A NULL serial number, bank or
// holder name makes the whole text NULL, and the function returns NULL.
constexpr std::string_view kDosyaArashtir = R"sql(
CREATE FUNCTION DBO.[Dosya_Arashtir]
(@CA INT, @SH_R INT)
RETURNS nvarchar(800)
AS
BEGIN
    DECLARE @Text nvarchar(800)
    DECLARE @JNAQD money, @JCHEK money, @JHAVALEH money, @JCHASHKHAS money
    DECLARE @TO nvarchar(250), @BABAT nvarchar(250)
    DECLARE @SHSERIAL nvarchar(50), @NBANK nvarchar(50), @NSHESAB nvarchar(50)

    SET @Text = ''
    SET @JNAQD = 0
    SET @JCHEK = 0
    SET @JHAVALEH = 0
    SET @JCHASHKHAS = 0
    SET @TO = ''
    SET @BABAT = ''

    IF @CA = 2
    BEGIN
        SET @Text = 'دريافت به شرح('
        SELECT @JNAQD = JNAQD, @JCHEK = JCHEK, @JHAVALEH = JHAVALEH,
            @TO = ISNULL([TO], ''), @BABAT = ISNULL(BABAT, '')
        FROM A_DARYAFT WHERE SH_R = @SH_R

        IF @JNAQD > 0 SET @Text = @Text + 'وجه نقد ' + '*'
        IF @JHAVALEH > 0 SET @Text = @Text + 'حواله/فيش بانکي ' + '*'
        IF @JCHEK > 0
        BEGIN
            DECLARE cr_cdaryafti CURSOR LOCAL FOR
                SELECT SHSERIAL, NBANK FROM A_CDARYAFTI WHERE SH_R = @SH_R
            OPEN cr_cdaryafti
            FETCH NEXT FROM cr_cdaryafti INTO @SHSERIAL, @NBANK
            WHILE @@FETCH_STATUS = 0
            BEGIN
                SET @Text = @Text + 'چک با شماره سريال ' + @SHSERIAL + ' بانک ' + @NBANK + ' * '
                FETCH NEXT FROM cr_cdaryafti INTO @SHSERIAL, @NBANK
            END
            CLOSE cr_cdaryafti
            DEALLOCATE cr_cdaryafti
        END

        -- LEN ignores trailing blanks: it is the position of the last non-blank character.
        IF RIGHT(RTRIM(@Text), 1) = '*' SET @Text = LEFT(@Text, LEN(@Text) - 1)
        SET @Text = @Text + ' : ' + @TO + '- بابت ' + @BABAT + ')'
    END

    IF @CA = 3
    BEGIN
        SET @Text = 'پرداخت به شرح ('
        SELECT @JNAQD = JNAQD, @JCHEK = JCHEK, @JHAVALEH = JHAVALEH,
            @JCHASHKHAS = JCHASHKHAS, @TO = ISNULL([TO], '')
        FROM A_PARDAKHT WHERE SH_R = @SH_R

        IF @JNAQD > 0 SET @Text = @Text + 'وجه نقد  ' + '*'
        IF @JHAVALEH > 0 SET @Text = @Text + 'حواله/فيش بانکي  ' + '*'
        IF @JCHEK > 0
        BEGIN
            -- Own cheques.
            DECLARE cr_cpardakhti CURSOR LOCAL FOR
                SELECT SHSERIAL, NBANK FROM A_CPARDAKHTI
                WHERE SH_R = @SH_R AND ISNULL(IS_ASH, 0) = 0
            OPEN cr_cpardakhti
            FETCH NEXT FROM cr_cpardakhti INTO @SHSERIAL, @NBANK
            WHILE @@FETCH_STATUS = 0
            BEGIN
                SET @Text = @Text + 'چک با شماره سريال ' + @SHSERIAL + ' بانک ' + @NBANK + ' *'
                FETCH NEXT FROM cr_cpardakhti INTO @SHSERIAL, @NBANK
            END
            CLOSE cr_cpardakhti
            DEALLOCATE cr_cpardakhti
        END
        IF @JCHASHKHAS > 0
        BEGIN
            -- Cheques of other persons passed on.
            DECLARE cr_cpardakhti_ash CURSOR LOCAL FOR
                SELECT NSHESAB, SHSERIAL, NBANK FROM A_CPARDAKHTI
                WHERE SH_R = @SH_R AND IS_ASH = 1
            OPEN cr_cpardakhti_ash
            FETCH NEXT FROM cr_cpardakhti_ash INTO @NSHESAB, @SHSERIAL, @NBANK
            WHILE @@FETCH_STATUS = 0
            BEGIN
                SET @Text = @Text + 'چک مربوط به ' + @NSHESAB + ' ' + 'با شماره سريال ' + @SHSERIAL
                    + ' بانک ' + @NBANK + ' *'
                FETCH NEXT FROM cr_cpardakhti_ash INTO @NSHESAB, @SHSERIAL, @NBANK
            END
            CLOSE cr_cpardakhti_ash
            DEALLOCATE cr_cpardakhti_ash
        END

        IF RIGHT(RTRIM(@Text), 1) = '*' SET @Text = LEFT(@Text, LEN(@Text) - 1)
        SET @Text = @Text + ' : ' + @TO + ')'
    END

    RETURN @Text
END
)sql";

// A computed advantage (no ledger row yet) is a percentage of the premium,
// or of the premium less tax and penalty, or a fixed amount; a posted one is
// the credit of its ledger row.  The rows are assigned one after another, not
// summed: the result is the amount of the row read last.
constexpr std::string_view kAdvantageCost = R"sql(
CREATE FUNCTION [dbo].[FN_Advantage_Cost]
(@SH_B NVARCHAR(50), @IS_Moaref bit)
RETURNS MONEY
AS
BEGIN
    DECLARE @Cost MONEY

    SELECT @Cost =
        CASE
            WHEN ISNULL(A.ID_GMTH, 0) <= 0 THEN
                CASE
                    WHEN LEFT(A.Amount_Type, 4) = 'درصد' THEN
                        (A.Amount / 100)
                        * CASE
                            WHEN A.Calc_Base LIKE '%نها%' THEN S.JMBIMEH
                            WHEN A.Calc_Base LIKE '%خال%' THEN S.JMBIMEH - S.JMMaliyat - S.JJarimeh
                        END
                    ELSE A.Amount
                END
            ELSE G.BES
        END
    FROM T_Advantages A
    LEFT OUTER JOIN sudur S ON S.SH_B = A.SH_B
    LEFT OUTER JOIN A_GMTHESAB G ON G.ID = A.ID_GMTH
    WHERE A.SH_B = @SH_B AND A.IS_Moaref = @IS_Moaref

    RETURN @Cost
END
)sql";

}  // namespace

std::vector<ObjectStep> VoucherFunctionSteps() {
    return {
        {"BtnF_DOSYA_ARASHTIR",
         {"IF OBJECT_ID('DBO.DOSYA_ARASHTIR') IS NOT NULL DROP FUNCTION DBO.DOSYA_ARASHTIR"},
         SqlLines(kDosyaArashtir),
         GaugeEffect::None},
        {"FN_Advantage_Cost",
         {"IF OBJECT_ID('DBO.FN_Advantage_Cost') IS NOT NULL DROP FUNCTION DBO.FN_Advantage_Cost"},
         SqlLines(kAdvantageCost),
         GaugeEffect::None},
    };
}

}  // namespace orvel
