// Gathers the products' table steps and registers them.
#include "products/TableSteps.h"

namespace orvel {

std::vector<TableStep> AllTableSteps() {
    std::vector<TableStep> all;
    for (auto part : {PelsaTableSteps, KestinTableSteps, MornaleTableSteps, ZorbexTableSteps,
                      Tamrix2CustomerTableSteps, Tamrix2AccountTableSteps, VeloraDocumentTableSteps,
                      VeloraLedgerTableSteps, VeloraReferenceTableSteps, VeloraMessagingTableSteps,
                      VeloraCommissionTableSteps}) {
        auto steps = part();
        all.insert(all.end(), std::make_move_iterator(steps.begin()), std::make_move_iterator(steps.end()));
    }
    return all;
}

void RegisterTableSteps(StepRegistry& registry) {
    for (auto& step : AllTableSteps()) {
        std::string name = step.name;
        registry.add(std::move(name), [step = std::move(step)](SchemaOperations& schema) {
            RunTableStep(step, schema);
        });
    }
}

}  // namespace orvel
