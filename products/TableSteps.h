// The table steps of every product, as data.
//
// Each product file returns its steps in run order; RegisterTableSteps puts
// them all in the step registry, each run by RunTableStep.
#pragma once

#include <vector>

#include "products/StepRegistry.h"
#include "schema/TableStep.h"

namespace orvel {

std::vector<TableStep> PelsaTableSteps();             // Pelsa.cpp: office automation
std::vector<TableStep> KestinTableSteps();            // Kestin.cpp: treasury
std::vector<TableStep> MornaleTableSteps();           // Mornale.cpp: restaurant
std::vector<TableStep> ZorbexTableSteps();            // Zorbex.cpp: touch-screen accounting
std::vector<TableStep> Tamrix2CustomerTableSteps();   // Tamrix2Customers.cpp: customers and services
std::vector<TableStep> Tamrix2AccountTableSteps();    // Tamrix2Accounts.cpp: accounts, hosting, workflow
std::vector<TableStep> VeloraDocumentTableSteps();    // VeloraDocuments.cpp: documents, cheques, instalments
std::vector<TableStep> VeloraLedgerTableSteps();      // VeloraLedgers.cpp: ledgers, policies, parties
std::vector<TableStep> VeloraReferenceTableSteps();   // VeloraReference.cpp: reference tables, vouchers
std::vector<TableStep> VeloraMessagingTableSteps();   // VeloraMessaging.cpp: offers and SMS
std::vector<TableStep> VeloraCommissionTableSteps();  // VeloraCommissions.cpp: commissions, advantages, credit

// Every table step of every product, in product order.
std::vector<TableStep> AllTableSteps();

void RegisterTableSteps(StepRegistry& registry);

}  // namespace orvel
