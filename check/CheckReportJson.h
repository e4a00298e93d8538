// The report of a check as JSON, for `check --format json` and the record
// of a run that checked first.
//
// {"product", "server", "database", "serverVersion", "refusals": [{"step",
// "statement", "table", "column", "rule", "error", "reason", "rowsAtFault", "examples":
// [{"key": {...}, "value"}], "advice"}], "notJudged": [{"step",
// "statement", "rule", "reason", "rows", "examples", "advice"}],
// "warnings": [{"step", "statement", "what", "rows"}]}, with "rowsNotAsked"
// when the rows could not be asked about.
#pragma once

#include <nlohmann/json.hpp>

#include "check/RefusalCheck.h"

namespace orvel {

nlohmann::ordered_json CheckReportJson(const CheckReport& report);

}  // namespace orvel
