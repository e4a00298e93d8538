// The composition of the step registry from the catalogue and the server
// objects.
#include "app/StepRegistry.h"
#include "catalogue/Catalogue.h"
#include "serverobjects/ServerObjects.h"

namespace orvel {

StepRegistry BuildStepRegistry() {
    StepRegistry registry;
    RegisterTableSteps(registry);
    RegisterObjectSteps(registry);
    return registry;
}

}  // namespace orvel
