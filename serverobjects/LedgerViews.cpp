// Object steps of the policy ledger views and balance functions.
#include "serverobjects/ServerObjects.h"

namespace orvel {

std::vector<ObjectStep> LedgerViewSteps() {
    return {};
}

}  // namespace orvel
