// Table steps of the insurance-office product: offers and SMS tables.
#include "catalogue/Catalogue.h"

namespace orvel {

std::vector<TableStep> VeloraMessagingTableSteps() {
    return {};
}

}  // namespace orvel
