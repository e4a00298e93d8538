// Table steps of the office-automation product.
#include "catalogue/Catalogue.h"

namespace orvel {

std::vector<TableStep> PelsaTableSteps() {
    return {};
}

}  // namespace orvel
