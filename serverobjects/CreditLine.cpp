// Object steps of the credit-line view and the policy issuance triggers.
#include "serverobjects/ServerObjects.h"

namespace orvel {

std::vector<ObjectStep> CreditLineSteps() {
    return {};
}

}  // namespace orvel
