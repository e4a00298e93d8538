// Table steps of the restaurant product.
#include "catalogue/Catalogue.h"

namespace orvel {

std::vector<TableStep> MornaleTableSteps() {
    return {};
}

}  // namespace orvel
