// Table steps of the treasury product.
#include "catalogue/Catalogue.h"

namespace orvel {

std::vector<TableStep> KestinTableSteps() {
    return {};
}

}  // namespace orvel
