// The T-SQL engine's documented differences from SQL Server, bridged for a
// whole run of the insurance-office steps on it.
//
// A decorator over the real connection: every statement goes to the engine
// exactly as the program wrote it.  Only where the engine's README lists a
// difference from SQL Server does the decorator also send what leaves the
// database as SQL Server would have left it, and record the bridge.  Any
// other refusal fails as it would in a real run.  The bridges, each named
// after its difference:
//
// - NullabilityAlter: "ALTER TABLE t ALTER COLUMN c type [NOT] NULL" is
//   refused, even in the branch of an IF that does not run; the statement is
//   sent again with the type change alone.  A primary key added afterwards
//   makes its columns NOT NULL there as on SQL Server; the other columns
//   stay nullable, which no test relies on.
// - RowNumbering: "UPDATE t SET @v = col = @v + 1" is a syntax error; it is
//   bridged only on an empty table, where it changes nothing anyway.
// - MangledIndexName: sys.indexes holds mangled names (IX_T_C on T as
//   ix_t_ct<hash>), so the guard "IF EXISTS (SELECT ... FROM sys.indexes
//   WHERE name = 'IX_T_C' ...) DROP INDEX IX_T_C ON T" is accepted but never
//   drops; after it the index is dropped when its mangled name is there, as
//   the guard would have dropped it.
// - FunctionUsedByView: a function that a view calls cannot be dropped
//   ("other objects depend on it"), even without SCHEMABINDING.  When the
//   drop of a function is refused so, the program's views that call it are
//   dropped first; the run creates them again in their own later steps, as
//   it does on SQL Server, where they stay in place meanwhile.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "database/Database.h"
#include "database/ForwardingDatabase.h"
#include "schema/ObjectStep.h"

namespace orvel::test {

struct EngineBridge {
    std::string step;        // the step that sent the statement
    std::string difference;  // NullabilityAlter, RowNumbering, MangledIndexName, FunctionUsedByView
    std::string statement;   // as the program sent it
    std::vector<std::string> sent;  // what went to the engine instead, or after it
};

class EngineAdaptedDatabase : public ForwardingDatabase {
public:
    // `objectSteps`: the program's object steps, whose views are dropped
    // ahead of a function they call.
    EngineAdaptedDatabase(Database& engine, const std::vector<ObjectStep>& objectSteps);

    void setCurrentStep(std::string step) { step_ = std::move(step); }
    const std::vector<EngineBridge>& bridges() const noexcept { return bridges_; }

protected:
    void doExecute(const std::string& sql) override;
    void doExecuteQuery(const std::string& sql, const Parameters& parameters) override;

private:
    // Sends `sql` as the program did; on a refusal that is a known difference,
    // sends the bridge instead.
    template <typename Send>
    void sendOrBridge(const std::string& sql, Send send);

    Database& engine_;
    std::vector<std::pair<std::string, std::string>> views_;  // name, create statement
    std::string step_;
    std::vector<EngineBridge> bridges_;
};

}  // namespace orvel::test
