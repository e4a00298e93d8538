// Steps registered under their names, looked up by the run driver.
//
// A step is a parameterless operation on the open connection; the products'
// table-step and server-object files register theirs.  Names are unique even when the case
// of the ASCII letters is ignored: a second registration of a name is a
// programming error and throws std::logic_error.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "schema/SchemaOperations.h"

namespace orvel {

using StepOperation = std::function<void(SchemaOperations&)>;

class StepRegistry {
public:
    void add(std::string name, StepOperation operation);

    // Exact name; nullptr when no step is registered under it.
    const StepOperation* find(std::string_view name) const;
    bool contains(std::string_view name) const { return find(name) != nullptr; }
    std::vector<std::string> names() const;

private:
    struct Entry {
        std::string name;
        StepOperation operation;
    };
    std::vector<Entry> entries_;
};

// Every table step and object step of every product.
StepRegistry BuildStepRegistry();

}  // namespace orvel
