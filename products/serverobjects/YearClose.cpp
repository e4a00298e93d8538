// Object steps of the financial-year close and the carried-over balance.
//
// SP_FinancialYearClose closes a financial year of the insurance-office
// database in one transaction: balances carried into the opening balances,
// the year's ledgers and vouchers emptied, only open cheques and instalments
// kept (marked as carried over), every policy still in force turned into a
// renewal task, then the policy table emptied.  It prints "ok" after the
// commit, or "not ok" after rolling everything back, and raises nothing.
// FN_Last_Reminder is the treasury product's balance of one account over its
// current and its archived ledger.  Neither step moves the bars.
#include "products/serverobjects/ServerObjects.h"

namespace orvel {

namespace {

// On the error path any cursor the failing step left open is closed and
// released before the rollback.  The renewal description is cut to the
// 250 characters P_TASK.SHARH is widened to, so long names or notes never
// make the close fail.  @KeepValidInsurance is accepted and not read.
constexpr std::string_view kFinancialYearClose = R"sql(
Create Procedure [dbo].[SP_FinancialYearClose] (@KeepValidInsurance bit) as begin
    DECLARE @CTH INT, @CG INT
    DECLARE @SHHESAB NVARCHAR(50), @CASH_CD INT, @In MONEY, @Out MONEY
    DECLARE @Task_ID INT, @SHARH NVARCHAR(MAX)
    -- The policy's numbers are carried as text.
    DECLARE @SH_B NVARCHAR(50), @CB NVARCHAR(50), @NB NVARCHAR(MAX), @P_CTH NVARCHAR(50),
        @NTH NVARCHAR(MAX), @QURTULUSH NVARCHAR(50), @toz NVARCHAR(MAX),
        @INS_COM_CD NVARCHAR(50), @INS_COM_DSC NVARCHAR(MAX)

    BEGIN TRY
        BEGIN TRAN

        -- 1. Customer accounts: the current balance becomes the opening balance.
        DECLARE cr_tthesab CURSOR LOCAL FOR SELECT DISTINCT CTH, CG FROM P_TTHESAB
        OPEN cr_tthesab
        FETCH NEXT FROM cr_tthesab INTO @CTH, @CG
        WHILE @@FETCH_STATUS = 0
        BEGIN
            UPDATE P_TTHESAB SET MA = MN WHERE CTH = @CTH AND CG = @CG
            FETCH NEXT FROM cr_tthesab INTO @CTH, @CG
        END
        CLOSE cr_tthesab
        DEALLOCATE cr_tthesab
        TRUNCATE TABLE A_GMTHESAB

        -- 2. Bank accounts: the year's transfers in and out join the opening balance.
        DECLARE cr_THESAB_BANKI CURSOR LOCAL FOR SELECT DISTINCT SHHESAB FROM P_THESAB_BANKI
        OPEN cr_THESAB_BANKI
        FETCH NEXT FROM cr_THESAB_BANKI INTO @SHHESAB
        WHILE @@FETCH_STATUS = 0
        BEGIN
            SELECT @In = ISNULL(SUM(MAB_SANAD), 0) FROM A_GHAVALEH WHERE CA = 2 AND SH_HESAB = @SHHESAB
            SELECT @Out = ISNULL(SUM(MAB_SANAD), 0) FROM A_GHAVALEH WHERE CA = 3 AND SH_HESAB = @SHHESAB
            UPDATE P_THESAB_BANKI SET Mojudi_Avaliye = ISNULL(Mojudi_Avaliye, 0) + @In - @Out
            WHERE SHHESAB = @SHHESAB
            FETCH NEXT FROM cr_THESAB_BANKI INTO @SHHESAB
        END
        CLOSE cr_THESAB_BANKI
        DEALLOCATE cr_THESAB_BANKI
        TRUNCATE TABLE A_GHAVALEH

        -- 3. Cash boxes: the year's cash in and out join the balance.
        DECLARE cr_TSANDUQ CURSOR LOCAL FOR SELECT DISTINCT CASH_CD FROM P_TSANDUQ
        OPEN cr_TSANDUQ
        FETCH NEXT FROM cr_TSANDUQ INTO @CASH_CD
        WHILE @@FETCH_STATUS = 0
        BEGIN
            SELECT @In = ISNULL(SUM(BED), 0) FROM A_GMSANDUQ WHERE CA = 2 AND CS = @CASH_CD
            SELECT @Out = ISNULL(SUM(BES), 0) FROM A_GMSANDUQ WHERE CA = 3 AND CS = @CASH_CD
            UPDATE P_TSANDUQ SET MOJUDI = ISNULL(MOJUDI, 0) + @In - @Out WHERE CASH_CD = @CASH_CD
            FETCH NEXT FROM cr_TSANDUQ INTO @CASH_CD
        END
        CLOSE cr_TSANDUQ
        DEALLOCATE cr_TSANDUQ
        TRUNCATE TABLE A_GMSANDUQ

        -- 4. Received cheques: only the open ones stay, carried over.
        UPDATE A_CDaryafti SET VAZ = 'تعيين وضعيت نشده' WHERE VAZ IS NULL
        UPDATE A_CDaryafti SET ADOREH = 0
        UPDATE A_CDaryafti SET ADOREH = 1
        WHERE VAZ IN ('وصول نشده', 'واگذار به بانک', 'تعيين وضعيت نشده')
        DELETE FROM A_CDaryafti WHERE ADOREH = 0

        -- 5. Paid cheques: only the open ones stay, carried over.
        UPDATE A_CPardakhti SET VAZ = 'تعيين وضعيت نشده' WHERE VAZ IS NULL
        UPDATE A_CPardakhti SET ADOREH = 0
        UPDATE A_CPardakhti SET ADOREH = 1 WHERE VAZ IN ('تعيين وضعيت نشده', 'پاس نشده')
        DELETE FROM A_CPardakhti WHERE ADOREH = 0

        -- 6. The year's receipts, payments, sheets, documents, transfers and cancellations.
        TRUNCATE TABLE A_DARYAFT
        TRUNCATE TABLE A_PARDAKHT
        TRUNCATE TABLE A_BHAZINEH
        TRUNCATE TABLE A_BDARAMAD
        TRUNCATE TABLE A_EHBTH
        TRUNCATE TABLE A_ENTEQAL
        TRUNCATE TABLE A_FASQ

        -- 7. Instalments: overdue lines become current, settled and cancelled
        -- lines go, and so do the plans left without lines; the rest is carried over.
        UPDATE A_SHARH_AQSAT SET VAZ = 'جاري' WHERE VAZ = 'معوق'
        UPDATE A_SHARH_AQSAT SET VAZ = 'جاري' WHERE VAZ IS NULL
        DELETE FROM A_SHARH_AQSAT WHERE VAZ = 'تسويه شده' OR ISNULL(IS_Canceled, 0) = 1
        DELETE FROM A_AQSAT
        WHERE NOT EXISTS (SELECT 1 FROM A_SHARH_AQSAT L WHERE L.SH_A = A_AQSAT.SH_A)
        UPDATE A_AQSAT SET IS_ADOREH = 1

        -- 8. Every policy still in force becomes a renewal task dated on its end date.
        DECLARE cr_sudur CURSOR LOCAL FOR
            SELECT SH_B, CB, NB, CTH, NTH, QURTULUSH, ISNULL(toz, ''), INS_COM_CD, INS_COM_DSC
            FROM SUDUR
            WHERE QURTULUSH > dbo.Fn_Miladi2shamsi(GETDATE())
        SELECT @Task_ID = ISNULL(MAX(ID), 0) FROM P_TASK
        ALTER TABLE P_TASK ALTER COLUMN SHARH NVARCHAR(250)
        OPEN cr_sudur
        FETCH NEXT FROM cr_sudur
        INTO @SH_B, @CB, @NB, @P_CTH, @NTH, @QURTULUSH, @toz, @INS_COM_CD, @INS_COM_DSC
        WHILE @@FETCH_STATUS = 0
        BEGIN
            SET @Task_ID = @Task_ID + 1
            SET @SHARH = 'موعد تمديد بيمه نامه شماره: ' + @SH_B + '|'
                + 'رشته: ' + @CB + '*' + @NB + '|'
                + 'به نام:' + @P_CTH + '*' + @NTH + '|'
                + 'معلق به شرکت: ' + @INS_COM_CD + '*' + @INS_COM_DSC + '|'
                + @toz
            INSERT INTO P_Task (ID, SHARH, BASHLANISH, QURTULUSH, STS, CK, NK)
            VALUES (@Task_ID, LEFT(@SHARH, 250), @QURTULUSH, @QURTULUSH, 1, 0, 'Orvel_FYC')
            FETCH NEXT FROM cr_sudur
            INTO @SH_B, @CB, @NB, @P_CTH, @NTH, @QURTULUSH, @toz, @INS_COM_CD, @INS_COM_DSC
        END
        TRUNCATE TABLE SUDUR
        CLOSE cr_sudur
        DEALLOCATE cr_sudur

        -- 9.
        COMMIT TRAN
        PRINT 'ok'
    END TRY
    BEGIN CATCH
        -- 10. A cursor the failing step left open is released first, then
        -- everything is undone; the caller gets the message, not the error.
        IF CURSOR_STATUS('local', 'cr_tthesab') >= 0 CLOSE cr_tthesab
        IF CURSOR_STATUS('local', 'cr_tthesab') >= -1 DEALLOCATE cr_tthesab
        IF CURSOR_STATUS('local', 'cr_THESAB_BANKI') >= 0 CLOSE cr_THESAB_BANKI
        IF CURSOR_STATUS('local', 'cr_THESAB_BANKI') >= -1 DEALLOCATE cr_THESAB_BANKI
        IF CURSOR_STATUS('local', 'cr_TSANDUQ') >= 0 CLOSE cr_TSANDUQ
        IF CURSOR_STATUS('local', 'cr_TSANDUQ') >= -1 DEALLOCATE cr_TSANDUQ
        IF CURSOR_STATUS('local', 'cr_sudur') >= 0 CLOSE cr_sudur
        IF CURSOR_STATUS('local', 'cr_sudur') >= -1 DEALLOCATE cr_sudur
        IF @@TRANCOUNT > 0 ROLLBACK TRAN
        PRINT 'not ok'
    END CATCH
end
)sql";

// UNION removes rows that are identical in every column, so a row present in
// both ledgers counts once.
constexpr std::string_view kLastReminder = R"sql(
CREATE FUNCTION [dbo].[FN_Last_Reminder]
(@CTH INT)
RETURNS money
AS
BEGIN
    DECLARE @Reminder money

    SELECT @Reminder = ISNULL(SUM(T.MAB), 0)
    FROM (SELECT * FROM A_GMTHESAB WHERE CTH = @CTH
          UNION
          SELECT * FROM A_GMTHESAB_OLD WHERE CTH = @CTH) T

    RETURN @Reminder
END
)sql";

}  // namespace

std::vector<ObjectStep> YearCloseSteps() {
    return {
        {"SP_FinancialYearClose",
         {"IF OBJECT_ID('DBO.SP_FinancialYearClose') IS NOT NULL DROP procedure DBO.SP_FinancialYearClose"},
         SqlLines(kFinancialYearClose),
         GaugeEffect::None},
        {"FN_Last_Reminder",
         {"IF OBJECT_ID('DBO.FN_Last_Reminder') IS NOT NULL DROP FUNCTION DBO.FN_Last_Reminder"},
         SqlLines(kLastReminder),
         GaugeEffect::None},
    };
}

}  // namespace orvel
