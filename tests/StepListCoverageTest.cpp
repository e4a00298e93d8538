// The step lists and the program's registry agree: every name a product's
// list runs is registered, and every object step is run by some list.
#include <gtest/gtest.h>

#include "products/Products.h"
#include "products/StepLists.h"
#include "products/StepRegistry.h"
#include "products/serverobjects/ServerObjects.h"

namespace orvel {
namespace {

TEST(StepListCoverage, EveryListedStepIsRegistered) {
    const StepRegistry registry = BuildStepRegistry();
    std::string missing;
    for (const auto& product : Products())
        for (const auto& entry : StepListFor(product.id))
            if (!entry.isReconnectPoint() && !registry.contains(entry.step))
                missing += " " + std::string(product.id) + ":" + std::string(entry.step);
    EXPECT_TRUE(missing.empty()) << "steps named in a list but not registered:" << missing;
}

// An object step that no list names would never run; a misspelt name (the
// lists compare exactly, letter case included) is caught here.
TEST(StepListCoverage, EveryObjectStepIsNamedInAList) {
    for (const auto& step : AllObjectSteps()) {
        bool listed = false;
        for (const auto& product : Products())
            for (const auto& entry : StepListFor(product.id)) listed = listed || entry.step == step.name;
        EXPECT_TRUE(listed) << step.name;
    }
}

}  // namespace
}  // namespace orvel
