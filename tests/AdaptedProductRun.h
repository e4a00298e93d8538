// A whole run of a product's list on a live server, through the program's
// own run driver in this process.  On the T-SQL engine the statements go
// through EngineAdaptedDatabase, which bridges the engine's documented
// differences from SQL Server; elsewhere they go straight to the server.
#pragma once

#include <string>
#include <vector>

#include "EngineAdaptedDatabase.h"
#include "database/StatementLog.h"

namespace orvel::test {

struct AdaptedRun {
    std::string error;  // empty when the run completed
    std::vector<StatementRecord> records;
};

// Runs `product` on the database `odbc` names; the bridges the engine needed
// are added to `bridges`.
AdaptedRun RunProductAdapted(const std::string& product, const std::string& odbc, std::vector<EngineBridge>& bridges);

}  // namespace orvel::test
