// The object steps of every product, one group per file.
//
// Each group file returns its steps (the T-SQL kept as readable raw strings,
// sent with lone carriage returns through SqlLines); RegisterObjectSteps puts
// them all in the step registry, each run by RunObjectStep.
#pragma once

#include <vector>

#include "products/StepRegistry.h"
#include "schema/ObjectStep.h"

namespace orvel {

std::vector<ObjectStep> DateFunctionSteps();     // DateFunctions.cpp: Fn_Miladi2shamsi, Fn_Daydiff
std::vector<ObjectStep> VoucherFunctionSteps();  // VoucherFunctions.cpp: Dosya_Arashtir, FN_Advantage_Cost
std::vector<ObjectStep> StatusViewSteps();       // StatusViews.cpp: V_SUDUR_STS, V_AQSAT_STS
std::vector<ObjectStep> LedgerViewSteps();       // LedgerViews.cpp: ledger views, balance functions
std::vector<ObjectStep> RepairProcedureSteps();  // RepairProcedures.cpp: SP_Reconfig_Orvel, SP_FieldData
std::vector<ObjectStep> CreditLineSteps();       // CreditLine.cpp: V_Credit_Cash_sts and the SUDUR triggers
std::vector<ObjectStep> YearCloseSteps();        // YearClose.cpp: SP_FinancialYearClose, FN_Last_Reminder

// Every object step, in group order.
std::vector<ObjectStep> AllObjectSteps();

void RegisterObjectSteps(StepRegistry& registry);

}  // namespace orvel
