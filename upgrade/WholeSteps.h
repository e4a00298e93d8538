// A step applied whole or not at all: its statements in one transaction on
// SQL Server, committed when the step ends and rolled back when a statement
// is refused or the connection drops.
//
// The transaction statements go to the connection itself, past the run's
// statement log and catalogue picture: they are no statements of the run.
// A rolled-back step leaves the database as it was before the step, so the
// picture goes back to what it held then.  A server that ends the
// transaction by itself when a statement is refused (some engines do; SQL
// Server keeps it open) is rolled back the same way, only when a
// transaction is still open.
#pragma once

#include <functional>

#include "schema/CataloguePicture.h"
#include "database/Database.h"

namespace orvel {

inline constexpr const char* kBeginStepTransaction = "BEGIN TRANSACTION";
inline constexpr const char* kCommitStepTransaction = "COMMIT TRANSACTION";
inline constexpr const char* kRollBackStepTransaction = "IF @@TRANCOUNT > 0 ROLLBACK TRANSACTION";

// Runs `step` inside one transaction on `connection`.  Whatever `step` or
// the commit throws is passed on unchanged, after the rollback; a rollback
// that fails too (the connection is gone, and the server rolls back a
// session it loses) does not hide it.
void RunAsOneTransaction(Database& connection, CataloguePicture& picture, const std::function<void()>& step);

}  // namespace orvel
