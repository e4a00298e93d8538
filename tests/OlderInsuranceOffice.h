// The tables of an insurance-office database of an older version, for the
// live suites that run the product's whole upgrade on a server.
//
// The product's server objects read, and P_TTHESAB's step alters, columns
// that its own older versions created and no table step adds (SUDUR's
// policy fields, A_PARDAKHT's amounts, the accounts' mobile numbers and
// balances): a run on a database without them stops where it first needs
// one, on SQL Server as on the engine.
#pragma once

namespace orvel::test {

// Columns an insurance-office database of an older version holds that the
// objects read, or the table steps alter, and no table step adds; the steps
// add the rest.
inline constexpr const char* kOlderInsuranceOfficeTables[] = {
    "create table SUDUR (SH_B nvarchar(50) NOT NULL PRIMARY KEY, TA_SUDUR nvarchar(10), CB int, NB nvarchar(100), "
    "CTH int, NTH nvarchar(100), Pursant_Codu int, PURSANT_AD nvarchar(100), PURSANT_PERCENT float, "
    "BASHLANISH nvarchar(10), QURTULUSH nvarchar(10), per_karmozd float, SH_R int, PER_MALIYAT float, "
    "PER_AVAREZ float, per_kasr_karmozd float, SH_RP int, JMMaliyat money, SH_A int, SH_AP int, JMBIMEH money, "
    "MAB_KARMOZD money, JJarimeh money, toz nvarchar(250))",
    "create table A_PARDAKHT (SH_R int, TA nvarchar(10), JNAQD money, JCHEK money, JHAVALEH money, "
    "JCHASHKHAS money, [TO] nvarchar(100))",
    "create table P_TTHESAB (CTH int, CG int, NG nvarchar(50), NTH nvarchar(100), MOB nvarchar(20), MA money, "
    "MN money, pursant_yuzda float, [TO] nvarchar(100))",
};

}  // namespace orvel::test
