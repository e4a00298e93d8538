// The exit codes of orvel-updater-cli, as one table: the code, what it means
// and the commands that can end with it.  Each command's `--help` lists its
// rows from here (cli/CommandHelp.h), and the README's table of exit codes
// repeats it.
//
// 130 and 143 follow the shells' custom (128 + the signal's number) for a run
// ended by Ctrl+C (SIGINT) or by SIGTERM.
#pragma once

#include <string>
#include <string_view>

namespace orvel {

enum ExitCode {
    kSuccess = 0,
    kFailed = 1,
    kUsage = 2,
    kAborted = 3,
    kDriftFound = 4,
    kRefusalExpected = 5,
    kNotJudged = 6,
    kInterrupted = 130,
    kTerminated = 143,
};

struct ExitCodeMeaning {
    ExitCode code;
    std::string_view meaning;
    // The commands that can end with it, blank-separated; empty: every command.
    std::string_view commands;
};

inline constexpr ExitCodeMeaning kExitCodes[] = {
    {kSuccess, "success", ""},
    {kFailed, "the run, the statement or the reading failed (the server's or driver's message on standard error)",
     ""},
    {kUsage, "a usage error (unknown command, option, product or file); nothing was opened", ""},
    {kAborted, "the attempt was aborted before anything was opened (Oracle chosen, or Access without --access-file)",
     "connection-text plan snapshot drift check upgrade exec"},
    {kDriftFound, "drift found a table or column of the product missing, or a column that differs from it", "drift"},
    {kRefusalExpected,
     "check foresees the database refusing a statement of the run (upgrade --check-first: nothing was sent)",
     "check upgrade"},
    {kNotJudged, "check could not judge every statement, and foresees no refusal", "check"},
    {kInterrupted, "the upgrade was interrupted (Ctrl+C, SIGINT)", "upgrade"},
    {kTerminated, "the upgrade was stopped (SIGTERM)", "upgrade"},
};

// Whether `commands` (blank-separated; empty: every command) holds
// `command` (a name as typed; "records show" counts as "records").
bool CommandListed(std::string_view commands, std::string_view command);

}  // namespace orvel
