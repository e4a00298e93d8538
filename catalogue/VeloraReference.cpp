// Table steps of the insurance-office product: reference tables, vouchers and document kinds.
#include "catalogue/Catalogue.h"

namespace orvel {

std::vector<TableStep> VeloraReferenceTableSteps() {
    return {};
}

}  // namespace orvel
