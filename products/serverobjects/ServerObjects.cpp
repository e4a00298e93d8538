// Gathers the object-step groups and registers them.
#include "products/serverobjects/ServerObjects.h"

namespace orvel {

std::vector<ObjectStep> AllObjectSteps() {
    std::vector<ObjectStep> all;
    for (auto group : {DateFunctionSteps, VoucherFunctionSteps, StatusViewSteps, LedgerViewSteps,
                       RepairProcedureSteps, CreditLineSteps, YearCloseSteps}) {
        auto steps = group();
        all.insert(all.end(), std::make_move_iterator(steps.begin()), std::make_move_iterator(steps.end()));
    }
    return all;
}

void RegisterObjectSteps(StepRegistry& registry) {
    for (auto& step : AllObjectSteps()) {
        std::string name = step.name;
        registry.add(std::move(name), [step = std::move(step)](SchemaOperations& schema) {
            RunObjectStep(step, schema);
        });
    }
}

}  // namespace orvel
