// Table steps of the insurance-office product: commissions, advantages, insured persons and credit.
#include "catalogue/Catalogue.h"

namespace orvel {

std::vector<TableStep> VeloraCommissionTableSteps() {
    return {};
}

}  // namespace orvel
