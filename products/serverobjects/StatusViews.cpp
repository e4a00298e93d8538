// Object steps of the policy and installment status views.
//
// V_SUDUR_STS gives, per issued policy, its own fields and what has been paid
// on it; V_AQSAT_STS gives, per installment line of a customer's plan, the
// customer's contact fields and whether the line is settled, cancelled,
// current or overdue against today's Solar Hijri date.
#include "products/serverobjects/ServerObjects.h"

namespace orvel {

namespace {

// The policy's receipt (RC, by SH_R), its receipt when one of the receipt's
// cheques is collected (CV), its receivable or life installment lines (AQ) and
// plans (PL) are each gathered into one row per policy.  Receipts sharing an
// SH_R, several collected cheques, several settled lines and two matching
// plans are all ordinary data: amounts are summed and the collected cheque is
// an existence test, so the view can always be read, and a policy with a
// single matching row gets that row's values.  A missing receipt or plan
// leaves naqd, chek, chek_vosul_shode, sum_aqsat and sum_man_aqsat NULL.
constexpr std::string_view kSudurStatus = R"sql(
CREATE view [dbo].[V_SUDUR_STS]
(SH_B, TA_SUDUR, CB, NB, CTH, NTH, Pursant_Codu, PURSANT_AD, PURSANT_PERCENT, BASHLANISH, QURTULUSH,
 per_karmozd, SH_R, PER_MALIYAT, PER_AVAREZ, per_kasr_karmozd, SH_RP, JMMaliyat, SH_A, SH_AP,
 is_Life, is_Sales, Sales, IS_SUDUR, INS_COM_CD, INS_COM_DSC, JMBIMEH,
 jpardakht_shode, pursant_kol, pursant_today, naqd, chek, chek_vosul_shode,
 num_aqsat, num_aqsat_tasviye_shode, sum_aqsat, sum_man_aqsat)
AS
SELECT S.SH_B, S.TA_SUDUR, S.CB, S.NB, S.CTH, S.NTH, S.Pursant_Codu, S.PURSANT_AD, S.PURSANT_PERCENT,
       S.BASHLANISH, S.QURTULUSH, S.per_karmozd, S.SH_R, S.PER_MALIYAT, S.PER_AVAREZ, S.per_kasr_karmozd,
       S.SH_RP, S.JMMaliyat, S.SH_A, S.SH_AP, S.is_Life, S.is_Sales, S.Sales, S.IS_SUDUR,
       S.INS_COM_CD, S.INS_COM_DSC, S.JMBIMEH,
       PAID.jpardakht_shode,
       PAID.pursant_kol,
       (PAID.jpardakht_shode / CASE WHEN S.JMBIMEH = 0 THEN 1 ELSE S.JMBIMEH END) * PAID.pursant_kol,
       RC.naqd,
       RC.chek,
       CV.chek_vosul_shode,
       AQ.num_aqsat,
       AQ.num_aqsat_tasviye_shode,
       PL.sum_aqsat,
       PL.sum_man_aqsat
FROM SUDUR S
CROSS APPLY (SELECT SUM(ISNULL(D.JNAQD, 0) + ISNULL(D.JHAVALEH, 0)) AS naqd,
                    SUM(D.JCHEK) AS chek
             FROM A_DARYAFT D
             WHERE D.SH_R = S.SH_R) RC
CROSS APPLY (SELECT SUM(D.JCHEK) AS chek_vosul_shode
             FROM A_DARYAFT D
             WHERE D.SH_R = S.SH_R
               AND EXISTS (SELECT 1 FROM A_CDARYAFTI C WHERE C.SH_R = D.SH_R AND C.VAZ = 'وصول شده')) CV
CROSS APPLY (SELECT COUNT(*) AS num_aqsat,
                    COUNT(CASE WHEN Q.VAZ = 'تسويه شده' THEN 1 END) AS num_aqsat_tasviye_shode,
                    SUM(CASE WHEN Q.VAZ = 'تسويه شده' THEN ISNULL(Q.MAB_QEST, 0) - ISNULL(Q.MAN_QEST, 0) END) AS settled
             FROM A_SHARH_AQSAT Q
             JOIN A_AQSAT A ON A.SH_A = Q.SH_A
             WHERE A.SH_B = S.SH_B
               AND (A.NOE_AQSAT LIKE '%در%' OR A.NOE_AQSAT LIKE '%عمر%')
               AND A.IS_ADOREH = 0) AQ
CROSS APPLY (SELECT SUM(A.JMAB_AQSAT) AS sum_aqsat,
                    SUM(A.JMAN_AQSAT) AS sum_man_aqsat
             FROM A_AQSAT A
             WHERE A.SH_B = S.SH_B
               AND (A.NOE_AQSAT LIKE '%در%' OR A.NOE_AQSAT LIKE '%عمر%')
               AND A.IS_ADOREH = 0) PL
CROSS APPLY (SELECT ISNULL(RC.naqd, 0) + ISNULL(CV.chek_vosul_shode, 0) + ISNULL(AQ.settled, 0) AS jpardakht_shode,
                    S.MAB_KARMOZD * S.PURSANT_PERCENT / 100 AS pursant_kol) PAID
)sql";

// Every installment line of a customer (account group above 1) with its
// state: settled wins over cancelled; an open line is current until its due
// date has passed.
constexpr std::string_view kAqsatStatus = R"sql(
CREATE VIEW dbo.V_AQSAT_STS
AS
SELECT DISTINCT A.CG, A.CTH, A.NTH,
       CASE WHEN LEN(T.MOB) = 10 AND LEFT(T.MOB, 1) <> '0' THEN '0' + T.MOB ELSE T.MOB END AS MOB,
       S.TA_QEST, T.Jensiat, T.Secondry_grp, T.location, A.NOE_AQSAT, A.SH_B,
       CASE WHEN S.VAZ = 'تسويه شده' THEN S.VAZ
            WHEN ISNULL(S.IS_Canceled, 0) = 1 THEN 'باطل شده'
            WHEN S.TA_QEST >= dbo.Fn_Miladi2shamsi(GETDATE()) THEN 'جاري'
            WHEN S.TA_QEST < dbo.Fn_Miladi2shamsi(GETDATE()) THEN 'معوق'
       END AS VAZ
FROM A_AQSAT A, P_TTHESAB T, A_SHARH_AQSAT S
WHERE A.CTH = T.CTH AND A.CG = T.CG AND A.SH_A = S.SH_A AND T.CG > 1
)sql";

}  // namespace

std::vector<ObjectStep> StatusViewSteps() {
    return {
        {"V_SUDUR_STS",
         {"IF OBJECT_ID('DBO.V_SUDUR_STS') IS NOT NULL DROP view DBO.V_SUDUR_STS"},
         SqlLines(kSudurStatus), GaugeEffect::None},
        {"V_AQSAT_STS",
         {"IF OBJECT_ID('V_AQSAT_STS') IS NOT NULL DROP VIEW V_AQSAT_STS"},
         SqlLines(kAqsatStatus), GaugeEffect::TenUnit},
    };
}

}  // namespace orvel
