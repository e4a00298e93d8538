// Object steps of the voucher description and advantage cost functions.
#include "serverobjects/ServerObjects.h"

namespace orvel {

std::vector<ObjectStep> VoucherFunctionSteps() {
    return {};
}

}  // namespace orvel
