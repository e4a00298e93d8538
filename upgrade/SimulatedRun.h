// A run of a product's steps on the catalogue simulator: the statements a
// real run would send to a database holding `start`, nothing sent anywhere.
//
// `plan` prints these statements; `check`, `upgrade --check-first` and the
// window's Start ask the database about the ones that change tables
// holding rows.
#pragma once

#include <functional>
#include <string>

#include "check/RefusalCheck.h"
#include "database/StatementLog.h"
#include "schema/CatalogueSnapshot.h"
#include "upgrade/RunDriver.h"
#include "upgrade/RunOptions.h"

namespace orvel {

// Runs `product` on a simulator loaded with `start`; every statement goes to
// `onStatement` with its step.  Returns the catalogue the run leaves.
CatalogueSnapshot SimulateRun(const std::string& product, CatalogueSnapshot start, const OptionsSource& options,
                              CatalogueReads reads,
                              const std::function<void(const StatementRecord&)>& onStatement);

// The statements a run of `product` (its steps from `registry`) would send
// to a database holding `start`.  Where the simulated database refuses a
// statement, as a server would (a view where a table is dropped, a name
// already taken), the plan ends with that statement and `stop` says so.
struct PlannedRun {
    std::vector<PlannedStatement> statements;
    std::optional<SimulatedStop> stop;
};
PlannedRun PlanRun(const std::string& product, const CatalogueSnapshot& start, const OptionsSource& options,
                   const StepRegistry& registry);

// The check of a run of `product` on the open database `db`, which holds
// `start` (read once by the caller): the run simulated with `registry`'s
// steps, then the questions about the rows of the tables it changes.
CheckReport CheckRunOn(Database& db, const CatalogueSnapshot& start, const std::string& product,
                       const OptionsSource& options, const StepRegistry& registry, int* roundTrips = nullptr);

// The same with one reading of the catalogue first and the program's own
// steps.  `roundTrips`, when given, counts every read, the reading included.
CheckReport CheckRun(Database& db, const std::string& product, const OptionsSource& options,
                     int* roundTrips = nullptr);

}  // namespace orvel
