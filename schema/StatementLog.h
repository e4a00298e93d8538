// The statements of a run as they are sent: which step sent them, through
// which object, the exact text and any parameters.
//
// LoggingDatabase sits in front of any database and records what passes
// through it; `plan` puts it in front of the simulator, `upgrade --log` in
// front of the real connection.  The two output forms are JSON lines (one
// object per statement) and a reviewable T-SQL script.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "schema/Database.h"

namespace orvel {

struct StatementRecord {
    std::optional<std::string> step;  // none before the first step
    Sender via = Sender::Command;
    std::string sql;
    Parameters parameters;
    std::optional<std::string> error;  // the database's message when it was rejected

    bool operator==(const StatementRecord&) const = default;
};

// {"step": ..., "via": "command"|"query", "sql": ..., "params": {...}}
// (params only when there are any; "error" only when it was rejected).
std::string ToJsonLine(const StatementRecord& record);

// The statement as T-SQL followed by a line "GO": line breaks as line feeds,
// a query-object statement with parameters as sp_executesql.
std::string ToSqlScript(const StatementRecord& record);

class LoggingDatabase : public Database {
public:
    explicit LoggingDatabase(Database& inner) : inner_(inner) {}

    void setCurrentStep(std::string step) { step_ = std::move(step); }
    // Called with every record as soon as its statement has been answered.
    std::function<void(const StatementRecord&)> onRecord;
    const std::vector<StatementRecord>& records() const noexcept { return records_; }

    void open(const std::string& connectionText) override { inner_.open(connectionText); }
    void close() override { inner_.close(); }
    bool isOpen() const override { return inner_.isOpen(); }
    std::vector<std::string> tableNames() override { return inner_.tableNames(); }
    std::vector<std::string> columnNames(const std::string& table) override {
        return inner_.columnNames(table);
    }
    std::optional<std::vector<ListedObject>> listedObjects() override { return inner_.listedObjects(); }
    CatalogueListing readCatalogue() override { return inner_.readCatalogue(); }

protected:
    void doExecute(const std::string& sql) override;
    void doExecuteQuery(const std::string& sql, const Parameters& parameters) override;

private:
    template <typename Send>
    void record(Sender via, const std::string& sql, const Parameters& parameters, Send send);

    Database& inner_;
    std::optional<std::string> step_;
    std::vector<StatementRecord> records_;
};

}  // namespace orvel
