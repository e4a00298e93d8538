// Object steps of the credit-line view and the policy issuance triggers.
//
// An insurer may grant the office a credit line (T_Credit_Cash, at most one
// per insurer).  Each policy issued on credit is recorded against it in
// T_Credit_Cash_History by the insert trigger on SUDUR and the record goes
// when the policy is deleted; the view reports every line with the money and
// the days its open records use.  All three steps fill the table bar in ten
// units.
//
// The triggers work on the whole inserted or deleted set, so a statement that
// inserts or deletes several policies records or removes every one of them.
#include "products/serverobjects/ServerObjects.h"

namespace orvel {

namespace {

constexpr std::string_view kCreditCashStatus = R"sql(
CREATE VIEW dbo.V_Credit_Cash_sts AS
SELECT C.*,
    ISNULL(U.Used_Money_Credit, 0) AS Used_Money_Credit,
    ISNULL(U.Used_Time_Credit, 0) AS Used_Time_Credit
FROM T_Credit_Cash C
LEFT OUTER JOIN
    (SELECT H.Cash_CD,
        SUM(S.JMBIMEH) AS Used_Money_Credit,
        dbo.Fn_Daydiff(MIN(S.BASHLANISH), dbo.Fn_Miladi2shamsi(GETDATE())) AS Used_Time_Credit
    FROM T_Credit_Cash_History H
    INNER JOIN SUDUR S ON S.SH_B = H.SH_B
    WHERE H.Close_ID IS NULL
    GROUP BY H.Cash_CD) U
    ON U.Cash_CD = C.Cash_CD
)sql";

constexpr std::string_view kDeleteTrigger = R"sql(
CREATE TRIGGER TRG_AF_SUDUR_DEL ON SUDUR  AFTER DELETE  AS BEGIN
    -- The credit records of every deleted policy go with it.
    DELETE FROM T_Credit_Cash_History
    WHERE SH_B IN (SELECT D.SH_B FROM deleted D)
END
)sql";

constexpr std::string_view kInsertTrigger = R"sql(
CREATE TRIGGER TRG_AF_SUDUR_INS ON SUDUR  AFTER INSERT  AS BEGIN
    -- Every inserted policy issued on credit is recorded, open, against its
    -- insurer's credit line with the line's ceiling and length; an insurer
    -- without a credit line records nothing.
    INSERT INTO T_Credit_Cash_History (SH_B, Cash_CD, Credit_Roof, Credit_Length, Close_ID)
    SELECT I.SH_B, C.Cash_CD, C.Credit_Roof, C.Credit_Length, NULL
    FROM inserted I
    INNER JOIN T_Credit_Cash C ON C.INS_COM_CD = I.INS_COM_CD
    WHERE I.IS_Credit_Pay = 1
END
)sql";

}  // namespace

std::vector<ObjectStep> CreditLineSteps() {
    return {
        {"V_Credit_Cash_sts",
         {"IF OBJECT_ID('V_Credit_Cash_sts') IS NOT NULL DROP VIEW V_Credit_Cash_sts"},
         SqlLines(kCreditCashStatus),
         GaugeEffect::TenUnit},
        {"TRG_AF_SUDUR_DEL",
         {"IF OBJECT_ID('TRG_AF_SUDUR_DEL') IS NOT NULL DROP TRIGGER TRG_AF_SUDUR_DEL"},
         SqlLines(kDeleteTrigger),
         GaugeEffect::TenUnit},
        {"TRG_AF_SUDUR_INS",
         {"IF OBJECT_ID('TRG_AF_SUDUR_INS') IS NOT NULL DROP TRIGGER TRG_AF_SUDUR_INS"},
         SqlLines(kInsertTrigger),
         GaugeEffect::TenUnit},
    };
}

}  // namespace orvel
