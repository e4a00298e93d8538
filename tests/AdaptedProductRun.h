// One whole run of a product's list through the program's run driver, in
// this process, over EngineAdaptedDatabase: what the live suites use to
// bring a database up to date where the command-line tool's plain run would
// meet one of the engine's documented differences (the insurance office).
#pragma once

#include <string>
#include <vector>

#include "EngineAdaptedDatabase.h"
#include "schema/StatementLog.h"

namespace orvel::test {

struct ProductRun {
    std::string error;  // empty when the run completed
    std::vector<StatementRecord> records;
};

// Elsewhere than on the engine the statements go straight to the server;
// the bridges the run needed are added to `bridges`.
ProductRun RunThroughEngineAdapter(const std::string& product, const std::string& odbc,
                                   std::vector<EngineBridge>& bridges);

}  // namespace orvel::test
