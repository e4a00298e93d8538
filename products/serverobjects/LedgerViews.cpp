// Object steps of the policy ledger views and balance functions.
//
// Each ledger view lists, for every issued policy, one line per money event
// that concerns it, with an operation code CA and name NA, a date, a Persian
// description and an amount, next to the policy's premium and commission
// fields.  V_Pursuant_Dt and V_Settlement_Sts look at the receipts side (the
// base of the marketer's commission, and settlement), V_Commission_Dt at the
// payments side.  FN_Sudur_Reminder and FN_Sudur_Reminder_Out give a policy's
// premium less what its settlement or payment lines add up to.
//
// A view is the policy (S) with its own receipt or payment (R) and, through
// CROSS APPLY, the UNION ALL of its members (L), each member one kind of line.
// The members the views have in common are written once below.
#include <fmt/format.h>

#include "products/serverobjects/ServerObjects.h"

namespace orvel {

namespace {

constexpr std::string_view kLedgerSelect = R"sql(
(INS_COM_CD, INS_COM_DSC, CB, NB, CTH, NTH, PURSANT_CODU, PURSANT_AD, TA, SH_B, BABAT,
 SANAD_AMOUNT, JMBIMEH, MAB_KARMOZD, per_karmozd, PURSANT_PERCENT, CA, NA)
AS
SELECT S.INS_COM_CD, S.INS_COM_DSC, S.CB, S.NB, S.CTH, S.NTH, S.Pursant_Codu, S.PURSANT_AD,
       L.TA, S.SH_B, L.BABAT, L.SANAD_AMOUNT, S.JMBIMEH, L.MAB_KARMOZD, S.per_karmozd, S.PURSANT_PERCENT,
       L.CA, L.NA
FROM SUDUR S
)sql";

// The policy's own receipt (SH_R) or payment (SH_RP).  Vouchers sharing that
// number are ordinary data, so the amounts are summed and the date is the
// latest one rather than a lookup that fails on a second row; with a single
// voucher these are its own date and amounts, without one they are NULL.
constexpr std::string_view kOwnReceipt = R"sql(
CROSS APPLY (SELECT MAX(D.TA) AS TA,
                    SUM(ISNULL(D.JNAQD, 0) + ISNULL(D.INDIRIM, 0)) AS NAQD,
                    SUM(ISNULL(D.JHAVALEH, 0)) AS HAVALEH
             FROM A_DARYAFT D
             WHERE D.SH_R = S.SH_R) R
)sql";

constexpr std::string_view kOwnPayment = R"sql(
CROSS APPLY (SELECT MAX(P.TA) AS TA,
                    SUM(ISNULL(P.JNAQD, 0)) AS NAQD,
                    SUM(ISNULL(P.JHAVALEH, 0)) AS HAVALEH
             FROM A_PARDAKHT P
             WHERE P.SH_R = S.SH_RP) R
)sql";

// The first member names the columns of L.
constexpr std::string_view kIssuance = R"sql(
SELECT S.TA_SUDUR AS TA,
       'بابت صدرو بيمه نامه ' + S.SH_B + ' ' + S.NTH + '_' + S.NB + '_' + S.INS_COM_DSC AS BABAT,
       0 AS SANAD_AMOUNT, S.MAB_KARMOZD AS MAB_KARMOZD, 10 AS CA, 'صدور' AS NA
)sql";

constexpr std::string_view kReferringReceipts = R"sql(
SELECT D.TA, 'بابت دريافت وجه نقد طي رسيد ' + CAST(D.SH_R AS nvarchar),
       ISNULL(D.JNAQD, 0) + ISNULL(D.INDIRIM, 0), S.MAB_KARMOZD, 11, 'دريافت نقد'
FROM A_DARYAFT D
WHERE D.Babat_SH_B = S.SH_B
UNION ALL
SELECT D.TA, 'بابت دريافت حواله/فيش بانکي طي رسيد ' + CAST(D.SH_R AS nvarchar),
       ISNULL(D.JHAVALEH, 0), S.MAB_KARMOZD, 12, 'دريافت حواله/فيش بانکي'
FROM A_DARYAFT D
WHERE D.Babat_SH_B = S.SH_B
)sql";

constexpr std::string_view kOnlineDeposit = R"sql(
SELECT E.TA, 'بابت واريز آنلاين طي سند ' + CAST(E.ID AS nvarchar),
       ISNULL(E.MAB, 0), S.MAB_KARMOZD, 14, 'واريز آنلاين'
FROM A_EHBTH E
WHERE E.ID = S.ID_EHBTH_ONLINE
)sql";

constexpr std::string_view kSettledReceivable = R"sql(
SELECT Q.TA_QEST, 'بابت تسويه قسط مورخ ' + Q.TA_QEST,
       ISNULL(Q.MAB_QEST, 0) - ISNULL(Q.MAN_QEST, 0), S.MAB_KARMOZD, 15, 'تسويه اقساط دريافتني'
FROM A_SHARH_AQSAT Q
JOIN A_AQSAT A ON A.SH_A = Q.SH_A
WHERE A.SH_B = S.SH_B AND A.NOE_AQSAT LIKE '%در%' AND A.IS_ADOREH = 0 AND Q.VAZ = 'تسويه شده'
)sql";

// On a life installment the commission is the debit of the account movement
// that settled it (A_GMTHESAB.ID = the line's SH_R); movements sharing an ID
// are summed so the view stays readable.
constexpr std::string_view kSettledLife = R"sql(
SELECT Q.TA_QEST, 'بابت تسويه قسط بيمه نامه عمر ' + S.SH_B + ' مورخ ' + Q.TA_QEST,
       Q.MAB_QEST, (SELECT SUM(G.BED) FROM A_GMTHESAB G WHERE G.ID = Q.SH_R), 16, 'تسويه اقساط عمر'
FROM A_SHARH_AQSAT Q
JOIN A_AQSAT A ON A.SH_A = Q.SH_A
WHERE A.SH_B = S.SH_B AND A.NOE_AQSAT LIKE '%عمر%' AND A.IS_ADOREH = 0 AND Q.VAZ = 'تسويه شده'
)sql";

// The application leaves debt transfers out of the commission by these
// marker comments.
constexpr std::string_view kDebtTransfer = R"sql(
--***********dont calculate in pursuant********
SELECT E.TA, 'بابت انتقال بدهي به حساب ' + E.NTH_BED + ' طي سند ' + CAST(E.ID AS nvarchar),
       ISNULL(E.MAB, 0), S.MAB_KARMOZD, 17, 'انتقال بدهي'
FROM A_EHBTH E
WHERE E.ID = S.ID_EHBTH_NORMAL
--*******************
)sql";

// Receipts side, commission base: received cheques count once collected; a
// cheque passed on counts once its due date is before today.  Cheques on the
// receipts that refer to the policy count only when it has a marketer.
constexpr std::string_view kPursuantOwnReceipt = R"sql(
SELECT R.TA, 'بابت دريافت وجه نقد طي رسيد ' + CAST(S.SH_R AS nvarchar),
       ISNULL(R.NAQD, 0), S.MAB_KARMOZD, 11, 'دريافت نقد'
UNION ALL
SELECT R.TA, 'بابت دريافت حواله/فيش بانکي طي رسيد ' + CAST(S.SH_R AS nvarchar),
       ISNULL(R.HAVALEH, 0), S.MAB_KARMOZD, 12, 'دريافت حواله/فيش بانکي'
)sql";

constexpr std::string_view kPursuantCheques = R"sql(
SELECT C.TASARRESID, 'بابت وصول چک به شماره سريال ' + C.SHSERIAL + ' بانک ' + C.NBANK,
       ISNULL(C.MABLAGH, 0), S.MAB_KARMOZD, 13, 'وصول چک دريافتي'
FROM A_CDARYAFTI C
WHERE C.SH_R = S.SH_R AND C.VAZ = 'وصول شده'
UNION ALL
SELECT C.TASARRESID, 'بابت وصول چک به شماره سريال ' + C.SHSERIAL + ' بانک ' + C.NBANK,
       ISNULL(C.MABLAGH, 0), S.MAB_KARMOZD, 13, 'وصول چک دريافتي'
FROM A_DARYAFT D
JOIN A_CDARYAFTI C ON C.SH_R = D.SH_R
WHERE D.Babat_SH_B = S.SH_B AND C.VAZ = 'وصول شده' AND S.Pursant_Codu > 0
UNION ALL
SELECT C.TASARRESID, 'بابت پاس خودکار پس از سررسيد چک خرج شده به شماره سريال ' + C.SHSERIAL + ' بانک ' + C.NBANK,
       CASE WHEN C.TASARRESID < dbo.Fn_Miladi2shamsi(GETDATE()) THEN ISNULL(C.MABLAGH, 0) ELSE 0 END,
       S.MAB_KARMOZD, 13, 'پاس خودکار چک خرج شده'
FROM A_CDARYAFTI C
WHERE C.SH_R = S.SH_R AND C.VAZ = 'خرج شده'
UNION ALL
SELECT C.TASARRESID, 'بابت پاس خودکار پس از سررسيد چک خرج شده به شماره سريال ' + C.SHSERIAL + ' بانک ' + C.NBANK,
       CASE WHEN C.TASARRESID < dbo.Fn_Miladi2shamsi(GETDATE()) THEN ISNULL(C.MABLAGH, 0) ELSE 0 END,
       S.MAB_KARMOZD, 13, 'پاس خودکار چک خرج شده'
FROM A_DARYAFT D
JOIN A_CDARYAFTI C ON C.SH_R = D.SH_R
WHERE D.Babat_SH_B = S.SH_B AND C.VAZ = 'خرج شده' AND S.Pursant_Codu > 0
)sql";

// Receipts side, settlement: every received cheque counts unless it was
// returned or bounced (a cheque without a state is left out too).
constexpr std::string_view kSettlementOwnReceipt = R"sql(
SELECT R.TA, 'بابت دريافت وجه نقد طي رسيد داخلي ' + CAST(S.SH_R AS nvarchar),
       ISNULL(R.NAQD, 0), S.MAB_KARMOZD, 11, 'دريافت نقد'
UNION ALL
SELECT R.TA, 'بابت دريافت حواله/فيش بانکي طي رسيد داخلي ' + CAST(S.SH_R AS nvarchar),
       ISNULL(R.HAVALEH, 0), S.MAB_KARMOZD, 12, 'دريافت حواله/فيش بانکي'
)sql";

constexpr std::string_view kSettlementCheques = R"sql(
SELECT C.TASARRESID,
       'بابت دريافت چک به شماره سريال ' + C.SHSERIAL + ' بانک ' + C.NBANK + ' طي رسيد داخلي ' + CAST(C.SH_R AS nvarchar),
       ISNULL(C.MABLAGH, 0), S.MAB_KARMOZD, 13, 'دريافت چک'
FROM A_CDARYAFTI C
WHERE C.SH_R = S.SH_R AND C.VAZ NOT IN ('عودت يافته', 'برگشت خورده')
UNION ALL
SELECT C.TASARRESID,
       'بابت دريافت چک به شماره سريال ' + C.SHSERIAL + ' بانک ' + C.NBANK + ' طي رسيد ' + CAST(D.SH_R AS nvarchar),
       ISNULL(C.MABLAGH, 0), S.MAB_KARMOZD, 13, 'دريافت چک'
FROM A_DARYAFT D
JOIN A_CDARYAFTI C ON C.SH_R = D.SH_R
WHERE D.Babat_SH_B = S.SH_B AND C.VAZ NOT IN ('عودت يافته', 'برگشت خورده')
)sql";

// Payments side: cash is JNAQD alone; an own cheque counts once cleared, a
// cheque of another person once spent.
constexpr std::string_view kCommissionIssuance = R"sql(
SELECT S.TA_SUDUR AS TA,
       'بابت صدرو بيمه نامه ' + S.SH_B + ' ' + S.NTH + '_' + S.NB AS BABAT,
       0 AS SANAD_AMOUNT, S.MAB_KARMOZD AS MAB_KARMOZD, 10 AS CA, 'صدور' AS NA
)sql";

constexpr std::string_view kCommissionPayments = R"sql(
SELECT R.TA, 'بابت پرداخت وجه نقد طي رسيد ' + CAST(S.SH_RP AS nvarchar),
       ISNULL(R.NAQD, 0), S.MAB_KARMOZD, 11, 'پرداخت نقد'
UNION ALL
SELECT R.TA, 'بابت پرداخت حواله/فيش بانکي طي رسيد ' + CAST(S.SH_RP AS nvarchar),
       ISNULL(R.HAVALEH, 0), S.MAB_KARMOZD, 12, 'پرداخت حواله/فيش بانکي'
UNION ALL
SELECT P.TA, 'بابت پرداخت وجه نقد طي رسيد ' + CAST(P.SH_R AS nvarchar),
       ISNULL(P.JNAQD, 0), S.MAB_KARMOZD, 11, 'پرداخت نقد'
FROM A_PARDAKHT P
WHERE P.Babat_SH_B = S.SH_B
UNION ALL
SELECT P.TA, 'بابت پرداخت حواله/فيش بانکي طي رسيد ' + CAST(P.SH_R AS nvarchar),
       ISNULL(P.JHAVALEH, 0), S.MAB_KARMOZD, 12, 'پرداخت حواله/فيش بانکي'
FROM A_PARDAKHT P
WHERE P.Babat_SH_B = S.SH_B
)sql";

constexpr std::string_view kCommissionCheques = R"sql(
SELECT C.TASARRESID, 'بابت پاس چک به شماره سريال ' + C.SHSERIAL + ' بانک ' + C.NBANK,
       ISNULL(C.MABLAGH, 0), S.MAB_KARMOZD, 13, 'پاس چک پرداختي'
FROM A_CPARDAKHTI C
WHERE C.SH_R = S.SH_RP AND C.VAZ = 'پاس شده' AND ISNULL(C.IS_ASH, 0) = 0
UNION ALL
SELECT C.TASARRESID, 'بابت خرج چک اشخاص به شماره سريال ' + C.SHSERIAL + ' بانک ' + C.NBANK,
       ISNULL(C.MABLAGH, 0), S.MAB_KARMOZD, 13, 'خرج چک اشخاص'
FROM A_CPARDAKHTI C
WHERE C.SH_R = S.SH_RP AND C.VAZ = 'خرج شده' AND C.IS_ASH = 1
UNION ALL
SELECT C.TASARRESID, 'بابت پاس چک به شماره سريال ' + C.SHSERIAL + ' بانک ' + C.NBANK,
       ISNULL(C.MABLAGH, 0), S.MAB_KARMOZD, 13, 'پاس چک پرداختي'
FROM A_PARDAKHT P
JOIN A_CPARDAKHTI C ON C.SH_R = P.SH_R
WHERE P.Babat_SH_B = S.SH_B AND C.VAZ = 'پاس شده' AND ISNULL(C.IS_ASH, 0) = 0
UNION ALL
SELECT C.TASARRESID, 'بابت خرج چک اشخاص به شماره سريال ' + C.SHSERIAL + ' بانک ' + C.NBANK,
       ISNULL(C.MABLAGH, 0), S.MAB_KARMOZD, 13, 'خرج چک اشخاص'
FROM A_PARDAKHT P
JOIN A_CPARDAKHTI C ON C.SH_R = P.SH_R
WHERE P.Babat_SH_B = S.SH_B AND C.VAZ = 'خرج شده' AND C.IS_ASH = 1
)sql";

constexpr std::string_view kSettledPayable = R"sql(
SELECT Q.TA_QEST, 'بابت تسويه قسط مورخ ' + Q.TA_QEST,
       ISNULL(Q.MAB_QEST, 0) - ISNULL(Q.MAN_QEST, 0), S.MAB_KARMOZD, 15, 'تسويه اقساط پرداختني'
FROM A_SHARH_AQSAT Q
JOIN A_AQSAT A ON A.SH_A = Q.SH_A
WHERE A.SH_B = S.SH_B AND A.NOE_AQSAT LIKE '%پر%' AND A.IS_ADOREH = 0 AND Q.VAZ = 'تسويه شده'
)sql";

// head, the column list and policy fields, the own voucher, then the members
// joined by UNION ALL; lines end in lone carriage returns as sent.
std::string LedgerView(std::string_view head, std::string_view ownVoucher,
                       std::initializer_list<std::string_view> members) {
    std::string text(head);
    text += '\r' + SqlLines(kLedgerSelect);
    text += '\r' + SqlLines(ownVoucher);
    text += "\rCROSS APPLY (";
    const char* separator = "\r";
    for (auto member : members) {
        text += separator + SqlLines(member);
        separator = "\rUNION ALL\r";
    }
    text += "\r) L";
    return text;
}

// The premium (on the issuance line) less the amounts of all other lines;
// SUM skips a NULL amount, and a policy number without lines gives NULL.
std::string BalanceFunction(std::string_view name, std::string_view view) {
    return SqlLines(fmt::format(R"sql(
create function dbo.{} (@sh_b nvarchar(50))
returns money
as
begin
    return (select sum(case when CA = 10 then JMBIMEH else 0 end)
                 - sum(case when CA <> 10 then SANAD_AMOUNT else 0 end)
            from dbo.{}
            where SH_B = @sh_b)
end
)sql",
                                name, view));
}

}  // namespace

std::vector<ObjectStep> LedgerViewSteps() {
    return {
        {"V_Pursuant_Dt",
         {"IF OBJECT_ID('DBO.V_ISSUANCE_PERCENT_DT') IS NOT NULL DROP view DBO.V_ISSUANCE_PERCENT_DT",
          "IF OBJECT_ID('DBO.V_Pursuant_Dt') IS NOT NULL DROP view DBO.V_Pursuant_Dt"},
         LedgerView("CREATE view dbo.V_Pursuant_Dt", kOwnReceipt,
                    {kIssuance, kPursuantOwnReceipt, kReferringReceipts, kPursuantCheques, kOnlineDeposit,
                     kSettledReceivable, kSettledLife, kDebtTransfer}),
         GaugeEffect::None},
        {"V_Commission_Dt",
         {"IF OBJECT_ID('DBO.V_Commission_Dt') IS NOT NULL DROP view DBO.V_Commission_Dt"},
         LedgerView("CREATE view [dbo].V_Commission_Dt", kOwnPayment,
                    {kCommissionIssuance, kCommissionPayments, kCommissionCheques, kOnlineDeposit,
                     kSettledPayable, kSettledLife}),
         GaugeEffect::None},
        {"V_Settlement_Sts",
         {"IF OBJECT_ID('DBO.V_Settlement_Sts') IS NOT NULL DROP view DBO.V_Settlement_Sts"},
         LedgerView("CREATE view dbo.V_Settlement_Sts", kOwnReceipt,
                    {kIssuance, kSettlementOwnReceipt, kReferringReceipts, kSettlementCheques, kOnlineDeposit,
                     kSettledReceivable, kSettledLife, kDebtTransfer}),
         GaugeEffect::None},
        {"FN_Sudur_Reminder",
         {"IF OBJECT_ID('FN_Sudur_Reminder') IS NOT NULL DROP FUNCTION FN_Sudur_Reminder"},
         BalanceFunction("FN_Sudur_Reminder", "V_Settlement_Sts"), GaugeEffect::TenUnit},
        {"FN_Sudur_Reminder_Out",
         {"IF OBJECT_ID('FN_Sudur_Reminder_Out') IS NOT NULL DROP FUNCTION FN_Sudur_Reminder_Out"},
         BalanceFunction("FN_Sudur_Reminder_Out", "V_Commission_Dt"), GaugeEffect::TenUnit},
    };
}

}  // namespace orvel
