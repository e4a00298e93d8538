// Table steps of the insurance-office product: ledgers, policies, company and parties.
#include "catalogue/Catalogue.h"

namespace orvel {

std::vector<TableStep> VeloraLedgerTableSteps() {
    return {};
}

}  // namespace orvel
