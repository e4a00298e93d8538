// The T-SQL engine's documented differences from SQL Server, bridged for a
// whole run of the insurance-office steps on it.
//
// A decorator over the real connection: every statement goes to the engine
// exactly as the program wrote it.  Only when the engine refuses one for a
// reason its README lists as a difference from SQL Server does the decorator
// send, in its place, what leaves the database as SQL Server would have left
// it, and record the bridge.  A refusal for any other reason fails as it
// would in a real run.  The bridges, each named after its difference:
//
// - NullabilityAlter: "ALTER TABLE t ALTER COLUMN c type [NOT] NULL" is not
//   supported; the type change alone is sent.  Every such alter of the
//   program is followed by a primary key on those columns, which makes them
//   NOT NULL there as on SQL Server.
// - RowNumbering: "UPDATE t SET @v = col = @v + 1" is a syntax error; it is
//   bridged only on an empty table, where it changes nothing anyway.
// - MangledIndexName: sys.indexes holds mangled names, so a guard
//   "IF EXISTS (SELECT ... FROM sys.indexes WHERE name = 'X' ...) DROP INDEX
//   X ON t" never sees the index and the CREATE INDEX X after it finds it
//   still there; the drop the guard would have sent is sent, then the create.
#pragma once

#include <string>
#include <vector>

#include "schema/Database.h"

namespace orvel::test {

struct EngineBridge {
    std::string step;        // the step that sent the statement
    std::string difference;  // NullabilityAlter, RowNumbering, MangledIndexName
    std::string statement;   // as the program sent it
    std::vector<std::string> sent;  // what went to the engine in its place
};

class EngineAdaptedDatabase : public Database {
public:
    explicit EngineAdaptedDatabase(Database& engine) : engine_(engine) {}

    void setCurrentStep(std::string step) { step_ = std::move(step); }
    const std::vector<EngineBridge>& bridges() const noexcept { return bridges_; }

    void open(const std::string& connectionText) override { engine_.open(connectionText); }
    void close() override { engine_.close(); }
    bool isOpen() const override { return engine_.isOpen(); }
    std::vector<std::string> tableNames() override { return engine_.tableNames(); }
    std::vector<std::string> columnNames(const std::string& table) override { return engine_.columnNames(table); }
    std::optional<std::vector<ListedObject>> listedObjects() override { return engine_.listedObjects(); }

protected:
    void doExecute(const std::string& sql) override;
    void doExecuteQuery(const std::string& sql, const Parameters& parameters) override;

private:
    // Sends `sql` as the program did; on a refusal that is a known difference,
    // sends the bridge instead.
    template <typename Send>
    void sendOrBridge(const std::string& sql, Send send);

    Database& engine_;
    std::string step_;
    std::vector<EngineBridge> bridges_;
};

}  // namespace orvel::test
