// A run of a product's steps on the catalogue simulator: the statements a
// real run would send to a database holding `start`, nothing sent anywhere.
//
// `plan` prints these statements; `check` and `upgrade --check-first` ask
// the database about the ones that change tables holding rows.
#pragma once

#include <functional>
#include <string>

#include "upgrade/RunDriver.h"
#include "upgrade/RunOptions.h"
#include "schema/CatalogueSnapshot.h"
#include "check/RefusalCheck.h"
#include "database/StatementLog.h"

namespace orvel {

// Runs `product` on a simulator loaded with `start`; every statement goes to
// `onStatement` with its step.  Returns the catalogue the run leaves.
CatalogueSnapshot SimulateRun(const std::string& product, CatalogueSnapshot start, const OptionsSource& options,
                              CatalogueReads reads,
                              const std::function<void(const StatementRecord&)>& onStatement);

// The check of a run of `product` on the open database `db`: one reading of
// its catalogue, the run simulated on it, then the questions about the rows
// of the tables the run changes.  `roundTrips`, when given, counts every
// read, the catalogue reading included.
CheckReport CheckRun(Database& db, const std::string& product, const OptionsSource& options,
                     int* roundTrips = nullptr);

}  // namespace orvel
