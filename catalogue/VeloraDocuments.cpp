// Table steps of the insurance-office product: documents, cheques and instalments.
#include "catalogue/Catalogue.h"

namespace orvel {

std::vector<TableStep> VeloraDocumentTableSteps() {
    return {};
}

}  // namespace orvel
