// Table steps of the touch-screen accounting product.
#include "catalogue/Catalogue.h"

namespace orvel {

std::vector<TableStep> ZorbexTableSteps() {
    return {};
}

}  // namespace orvel
