// The records of upgrade runs and of query-window openings, kept in the
// user's own data folder so that, a week later, anyone can say what the
// upgrader sent, where a run stopped and what was typed into the query window.
//
// One JSON-lines file per record, named by its start time and product
// (20250114-093012-Velora.jsonl, 20250114-093512-Velora-query.jsonl); the
// name without ".jsonl" is the record's id.  The first line describes the
// attempt: program, version, start, product, the choices, and the server,
// catalog or file the connection leads to (never a password).  Each statement
// follows as its `--log` line with its duration (a query-window statement
// also with the answer shown); what the run did besides its statements (the
// run lock taken, or why there is none) is a line {"note": ...}.  The last
// line gives the result (success, the window closed, the error with the
// stage it stopped in, or the interruption with the stage it stopped in)
// and the total time.  Every line is flushed as it is
// written, so a run that dies leaves what it sent.  The newest kRecordsKept
// records are kept.
//
// Writing a record never stops a run: a folder or file that cannot be written
// costs one warning, through the function the program gives, and the run
// goes on with nothing more written.
#pragma once

#include <chrono>
#include <cstddef>
#include <exception>
#include <filesystem>
#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "upgrade/RunOptions.h"
#include "database/StatementLog.h"

namespace orvel {

inline constexpr std::size_t kRecordsKept = 200;

enum class RecordKind { Run, Query };

// What the first line of a record says.
struct RecordHeader {
    RecordKind kind = RecordKind::Run;
    std::string product;  // ProductId; empty when a given ODBC string is used without one
    RunOptions options;
    std::string connectionText;  // only where it leads is written; empty when the settings failed
    bool connectionGiven = false;  // an ODBC string given as it is, not built from the choices
};

// {"databaseKind", "serverVersion", "local", "web"}: the window's choices as
// the first line of a record (and of a run in a `--log` file) gives them.
nlohmann::ordered_json RunChoicesJson(const RunOptions& options);

// The local time now as a record's first line gives it
// (2025-01-14T09:30:12+03:30).
std::string LocalTimeNowText();

using RecordWarning = std::function<void(const std::string& message)>;

// One record being written.  Every call may be made at any time and never
// throws: a record that cannot be written warns once and then writes nothing,
// and the default record writes nothing at all (no records kept).
class RecordWriter {
public:
    RecordWriter();
    RecordWriter(RecordWriter&&) noexcept;
    RecordWriter& operator=(RecordWriter&&) noexcept;
    ~RecordWriter();

    // The record's id; empty when nothing is being written.
    const std::string& id() const noexcept { return id_; }
    // The start time as the first line gives it; empty when nothing is
    // being written.
    const std::string& start() const noexcept { return start_; }

    // A line about the run itself that is no statement of it (the safety
    // copy made before it), written as it is.
    void note(const nlohmann::ordered_json& line) noexcept;
    // A statement of a run, as the database answered it.
    void statement(const StatementRecord& record) noexcept;
    // A query-window statement with the text the window showed.
    void answered(const StatementRecord& record, const std::string& answer) noexcept;
    // What the run did that is no statement (the run lock), as a line of its own.
    void note(const std::string& text) noexcept;

    // The last line; after it nothing more is written.
    void succeeded() noexcept;
    void closed() noexcept;  // the query window was closed
    void failed(const std::exception& error, const std::string& stoppedIn) noexcept;
    // The run was stopped from outside (`by`: "SIGINT", "SIGTERM").
    void interrupted(const std::string& by, const std::string& stoppedIn, const std::string& message) noexcept;

private:
    friend class RunRecords;
    RecordWriter(std::filesystem::path file, std::string id, std::string start, std::unique_ptr<std::ofstream> out,
                 RecordWarning warn);

    // Runs `work` while the record is being written; a failure in it ends
    // the writing with the record's one warning.
    void attempt(const std::function<void()>& work) noexcept;
    void write(const nlohmann::ordered_json& line);
    // Writes `result` with the statement count and the total time as the
    // last line, and closes the file.
    void finish(nlohmann::ordered_json result);
    void giveUp(const std::string& reason) noexcept;

    std::filesystem::path file_;
    std::string id_;
    std::string start_;
    std::unique_ptr<std::ofstream> out_;
    RecordWarning warn_;
    std::chrono::steady_clock::time_point started_;
    std::size_t statements_ = 0;
};

// A record as `records` lists it.
struct RecordSummary {
    std::string id;
    std::string start;  // as the first line gives it
    std::string kind;   // "run" or "query"
    std::string product;
    // "success", "failed", "interrupted", "closed"; "unfinished" when the record has no
    // last line (the program ended first, or is still running).
    std::string result;
    std::string stoppedIn;
    std::size_t statements = 0;
};

// The folder of records: starting new ones, listing and finding kept ones.
class RunRecords {
public:
    // `folder` is made when the first record is started; an empty folder
    // (none known on this machine) keeps no records.  `program` names the
    // writer in each record; `warn` receives the one warning of a record that
    // cannot be written (none: silent).
    RunRecords(std::filesystem::path folder, std::string program, RecordWarning warn = {});

    const std::filesystem::path& folder() const noexcept { return folder_; }

    // Starts a record and removes the oldest beyond kRecordsKept.  Never
    // throws; a record that cannot be started warns and writes nothing.
    RecordWriter start(const RecordHeader& header) const noexcept;

    // The kept records, newest first.
    std::vector<RecordSummary> list() const;
    // The file of the record `id` (its name, with or without ".jsonl").
    std::optional<std::filesystem::path> fileOf(const std::string& id) const;

private:
    void removeOldest(const std::filesystem::path& keep) const noexcept;
    void warn(const std::string& message) const noexcept;

    std::filesystem::path folder_;
    std::string program_;
    RecordWarning warn_;
};

}  // namespace orvel
