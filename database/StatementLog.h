// The statements of a run as they are sent: which step sent them, through
// which object, the exact text, any parameters and how long the database
// took to answer.
//
// LoggingDatabase sits in front of any database and records what passes
// through it; `plan` puts it in front of the simulator, the run driver in
// front of the connection of every run.  The output forms are JSON lines
// (one object per statement: exact for `plan`, timed and with passwords
// masked for `--log` and the records of runs) and a reviewable T-SQL script.
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "database/Database.h"
#include "database/ForwardingDatabase.h"

namespace orvel {

struct StatementRecord {
    std::optional<std::string> step;  // none before the first step
    Sender via = Sender::Command;
    std::string sql;
    Parameters parameters;
    std::optional<std::string> error;  // the database's message when it was rejected
    std::chrono::microseconds duration{0};  // from sending to the answer, when measured

    bool operator==(const StatementRecord&) const = default;
};

// {"step": ..., "via": "command"|"query", "sql": ..., "params": {...}}
// (params only when there are any; "error" only when it was rejected).
std::string ToJsonLine(const StatementRecord& record);

// The form of `--log` and of the records of runs: the object of ToJsonLine
// with "ms", the duration in milliseconds, and with any password in the
// text or the error masked (the product's own statements hold none).
nlohmann::ordered_json ToLogJson(const StatementRecord& record);
std::string ToLogLine(const StatementRecord& record);

// One line of a log or record: the object on a line of its own.  Bytes that
// are not UTF-8 (a statement file in another encoding) become U+FFFD instead
// of failing the line.
std::string JsonLine(const nlohmann::ordered_json& json);

// The statement as T-SQL followed by a line "GO": line breaks as line feeds,
// a query-object statement with parameters as sp_executesql.
std::string ToSqlScript(const StatementRecord& record);

class LoggingDatabase : public ForwardingDatabase {
public:
    // Whether records() keeps what was sent, or each record only goes to
    // onRecord (a log that lives as long as the program).
    enum class Keep { AllRecords, None };

    explicit LoggingDatabase(Database& inner, Keep keep = Keep::AllRecords)
        : ForwardingDatabase(inner), inner_(inner), keep_(keep) {}

    // The step named in the records that follow; none before the first step.
    void setCurrentStep(std::optional<std::string> step) { step_ = std::move(step); }
    // Called with every record as soon as its statement has been answered.
    std::function<void(const StatementRecord&)> onRecord;
    // Called before each statement is sent; what it throws stops the
    // statement unsent and unrecorded.
    std::function<void()> beforeEachStatement;
    const std::vector<StatementRecord>& records() const noexcept { return records_; }

protected:
    void doExecute(const std::string& sql) override;
    void doExecuteQuery(const std::string& sql, const Parameters& parameters) override;

private:
    template <typename Send>
    void record(Sender via, const std::string& sql, const Parameters& parameters, Send send);
    void keep(StatementRecord entry);

    Database& inner_;
    Keep keep_;
    std::optional<std::string> step_;
    std::vector<StatementRecord> records_;
};

}  // namespace orvel
