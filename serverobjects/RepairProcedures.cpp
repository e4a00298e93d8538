// Object steps of the data-repair and custom-field procedures.
#include "serverobjects/ServerObjects.h"

namespace orvel {

std::vector<ObjectStep> RepairProcedureSteps() {
    return {};
}

}  // namespace orvel
