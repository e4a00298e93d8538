// Step names are unique ignoring case, and found exactly.
#include <gtest/gtest.h>

#include "products/StepRegistry.h"

namespace orvel {
namespace {

TEST(StepRegistry, RefusesANameRegisteredTwiceInAnyLetterCase) {
    StepRegistry registry;
    registry.add("P_Kala_R", [](SchemaOperations&) {});
    EXPECT_THROW(registry.add("P_KALA_R", [](SchemaOperations&) {}), std::logic_error);
    EXPECT_TRUE(registry.contains("P_Kala_R"));
    EXPECT_FALSE(registry.contains("p_kala_r"));
}

TEST(StepRegistry, TheProgramsRegistryHasNoDuplicates) {
    EXPECT_NO_THROW(BuildStepRegistry());
}

}  // namespace
}  // namespace orvel
