// Object steps of the policy and installment status views.
#include "serverobjects/ServerObjects.h"

namespace orvel {

std::vector<ObjectStep> StatusViewSteps() {
    return {};
}

}  // namespace orvel
