// The `--log FILE` of `upgrade`: every statement sent, as JSON lines, in a
// file that keeps what it held.
//
// The file is appended to, never emptied, so the runs of a day can share
// one log.  Each run begins with a line of its own naming the run:
// {"run": {"record", "start", "product", "server", "database", "options"}}
// (the record's id and start time, so its record is found; the server and
// database as the connection text names them; the window's choices and the
// guards asked for).  The safety copy's line, the target's line (the
// database as the connection reports it) and the statements follow.
#pragma once

#include <fstream>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "upgrade/RunRecords.h"

namespace orvel {

// The guards and reading choices of `upgrade` as the run's line names them.
struct UpgradeLogOptions {
    std::string catalogueReads;                // "once" or "every-operation"
    bool checkFirst = false;
    std::optional<std::string> safetyCopy;     // the folder asked for ("" for the default), when asked
    bool wholeSteps = false;
};

// {"run": {...}} for the run whose record has just started ("record" is
// null when no record is kept; "start" is then the time now).
nlohmann::ordered_json RunLogLine(const RecordWriter& record, const RecordHeader& header,
                                  const UpgradeLogOptions& options);

// Opens `file` for appending (made when missing); throws UsageError when it
// cannot be written.
std::ofstream OpenUpgradeLog(const std::string& file);

}  // namespace orvel
