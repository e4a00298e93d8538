// Table steps of the network-marketing product: accounts, hosting and workflow.
#include "catalogue/Catalogue.h"

namespace orvel {

std::vector<TableStep> Tamrix2AccountTableSteps() {
    return {};
}

}  // namespace orvel
