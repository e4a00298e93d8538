// Object steps of the financial-year close and the carried-over balance.
#include "serverobjects/ServerObjects.h"

namespace orvel {

std::vector<ObjectStep> YearCloseSteps() {
    return {};
}

}  // namespace orvel
