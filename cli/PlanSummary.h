// A short account of a planned run: tables created and dropped, columns
// added and altered, statements sent on every run, and the object steps.
//
// Statements are counted by where they come from.  A statement of a table
// step is one of its further statements or its own create when its text is
// that of the step's data; otherwise it is the statement of a schema
// operation (create, add column, alter column, drop), whose shape is fixed.
// Every statement of an object step counts for that step.
#pragma once

#include <string>
#include <vector>

#include "database/StatementLog.h"

namespace orvel {

struct PlanSummary {
    int statements = 0;
    int tablesCreated = 0;
    int tablesDropped = 0;
    int columnsAdded = 0;
    // Alter entries of columns present, and further statements that change
    // a column's type (counted in everyRun as well).
    int columnsAltered = 0;
    int columnsAlteredEveryRun = 0;
    // Further statements of table steps: sent whatever the database holds.
    int everyRun = 0;
    int objectSteps = 0;
    int objectStatements = 0;
};

PlanSummary Summarize(const std::vector<StatementRecord>& records);

std::string FormatSummary(const std::string& product, int steps, const PlanSummary& summary);

}  // namespace orvel
