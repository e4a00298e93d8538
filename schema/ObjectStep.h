// An object step: drop a server object when present and create it anew.
//
// Each step sends its guarded drop statements in order, then one create
// statement as a batch of its own (CREATE VIEW, FUNCTION, TRIGGER and
// PROCEDURE must each open a batch), and moves the two bars by its gauge
// effect.  No object step touches the name labels.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "schema/SchemaOperations.h"

namespace orvel {

enum class GaugeEffect {
    None,     // both bars stay as they were
    PlusOne,  // afterwards TableGauge + 1, then OverallGauge + 1
    TenUnit,  // first TableGauge := 0 of 10; afterwards TableGauge + 10, OverallGauge + 1
};

struct ObjectStep {
    std::string name;
    std::vector<std::string> drops;
    std::string create;
    GaugeEffect effect = GaugeEffect::None;
};

void RunObjectStep(const ObjectStep& step, SchemaOperations& schema);

// Turns a T-SQL text written as a C++ raw string into the text sent: one
// leading and one trailing line feed are dropped (so the raw string may open
// and close on lines of their own) and every remaining line feed becomes a
// lone carriage return, the line break the server objects are sent with.
std::string SqlLines(std::string_view rawText);

}  // namespace orvel
