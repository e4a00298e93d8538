// The step registry: unique names, exact look-up.
#include "products/StepRegistry.h"

#include <stdexcept>

namespace orvel {

void StepRegistry::add(std::string name, StepOperation operation) {
    std::vector<std::string> known = names();
    if (ContainsNameIgnoreCase(name, known))
        throw std::logic_error("step \"" + name + "\" is registered twice (names are unique ignoring case)");
    entries_.push_back({std::move(name), std::move(operation)});
}

const StepOperation* StepRegistry::find(std::string_view name) const {
    for (const auto& entry : entries_)
        if (entry.name == name) return &entry.operation;
    return nullptr;
}

std::vector<std::string> StepRegistry::names() const {
    std::vector<std::string> result;
    result.reserve(entries_.size());
    for (const auto& entry : entries_) result.push_back(entry.name);
    return result;
}

}  // namespace orvel
