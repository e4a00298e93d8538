// The report of `check` (and of `upgrade --check-first`) as a table for a
// technician or as JSON for a program.
//
// JSON: {"product", "refusals": [{"step", "statement", "rule", "error",
// "reason", "rowsAtFault", "examples": [{"key": {...}, "value"}], "advice"}],
// "warnings": [{"step", "statement", "what", "rows"}]}.
#pragma once

#include <string>

#include "check/RefusalCheck.h"

namespace orvel {

std::string FormatCheckTable(const CheckReport& report);
std::string FormatCheckJson(const CheckReport& report);

}  // namespace orvel
