// Object steps of the Solar Hijri date functions.
#include "serverobjects/ServerObjects.h"

namespace orvel {

std::vector<ObjectStep> DateFunctionSteps() {
    return {};
}

}  // namespace orvel
