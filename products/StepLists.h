// The fixed step list of each product: step names and reconnect points.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace orvel {

// A step name, or a ReconnectPoint (the connection is closed and opened
// again; for the insurance-office product only while "Web" is off).
struct StepListEntry {
    std::string_view step;  // empty for a ReconnectPoint

    bool isReconnectPoint() const noexcept { return step.empty(); }
};

// The list of a product, compared exactly; empty for a product without steps.
std::span<const StepListEntry> StepListFor(std::string_view productId);

// Number of step names in the list (reconnect points not counted).
int StepCount(std::string_view productId);

}  // namespace orvel
