// Table steps of the network-marketing product: customers and services.
#include "catalogue/Catalogue.h"

namespace orvel {

std::vector<TableStep> Tamrix2CustomerTableSteps() {
    return {};
}

}  // namespace orvel
