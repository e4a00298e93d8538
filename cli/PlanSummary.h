// A short account of a planned run: how many tables would be created,
// columns added, columns retyped, and other statements sent.
#pragma once

#include <string>
#include <vector>

#include "schema/StatementLog.h"

namespace orvel {

struct PlanSummary {
    int tablesCreated = 0;
    int tablesDropped = 0;
    int columnsAdded = 0;
    int columnsAltered = 0;
    int otherStatements = 0;
    int total() const { return tablesCreated + tablesDropped + columnsAdded + columnsAltered + otherStatements; }
};

PlanSummary Summarize(const std::vector<StatementRecord>& records);

std::string FormatSummary(const std::string& product, int steps, const PlanSummary& summary);

}  // namespace orvel
