// The composition of the step registry from the products' table steps and
// their server objects.
#include "products/StepRegistry.h"
#include "products/TableSteps.h"
#include "products/serverobjects/ServerObjects.h"

namespace orvel {

StepRegistry BuildStepRegistry() {
    StepRegistry registry;
    RegisterTableSteps(registry);
    RegisterObjectSteps(registry);
    return registry;
}

}  // namespace orvel
