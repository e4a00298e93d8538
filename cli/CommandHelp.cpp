// The exit codes and environment variables of each command, for --help.
#include "cli/CommandHelp.h"

#include <fmt/format.h>

#include "cli/ConnectionOptions.h"
#include "cli/ExitCodes.h"
#include "database/OdbcConnectionString.h"
#include "database/Utf8Path.h"
#include "upgrade/Platform.h"

namespace orvel {

namespace {

// The variable that names the user's data folder, which holds the records
// (upgrade/Platform.h, UserRecordsFolder).
#ifdef _WIN32
constexpr std::string_view kRecordsFolderVariable = "LOCALAPPDATA";
#else
constexpr std::string_view kRecordsFolderVariable = "XDG_STATE_HOME";
#endif

constexpr std::string_view kConnecting = "connection-text plan snapshot drift check upgrade exec";

struct EnvironmentVariable {
    std::string_view name;
    std::string_view meaning;
    std::string_view commands;
};

constexpr EnvironmentVariable kEnvironment[] = {
    {kOdbcVariable,
     "an ODBC connection string, used when no option says where the database is (plan and drift: with --live)",
     kConnecting},
    {kSqlServerDriverVariable, "the SQL Server ODBC driver for connection texts built from the choices", kConnecting},
    {kAccessDriverVariable, "the Access ODBC driver for connection texts built from the choices", kConnecting},
};

std::string exitCodeLines(std::string_view command) {
    std::string text = "Exit codes:\n";
    for (const auto& code : kExitCodes)
        if (command.empty() || CommandListed(code.commands, command))
            text += fmt::format("  {:<5}{}\n", static_cast<int>(code.code), code.meaning);
    return text;
}

}  // namespace

std::string ProgramHelpFooter() {
    return exitCodeLines("") + "\n`orvel-updater-cli help COMMAND` (or COMMAND --help) tells a command's options, exit "
                               "codes and environment variables.";
}

std::string CommandHelpFooter(std::string_view command) {
    std::string text = exitCodeLines(command);
    std::string variables;
    for (const auto& variable : kEnvironment)
        if (CommandListed(variable.commands, command))
            variables += fmt::format("  {:<24}{}\n", variable.name, variable.meaning);
    if (CommandListed("upgrade exec records", command)) {
        // The records folder is named by the user's environment: shown as found.
        const std::string folder = Utf8FromPath(UserRecordsFolder());
        variables += fmt::format("  {:<24}the records of runs and query windows are kept in {}\n",
                                 kRecordsFolderVariable, folder.empty() ? "(none: no folder is named)" : folder);
    }
    if (!variables.empty()) text += "\nEnvironment:\n" + variables;
    return text;
}

}  // namespace orvel
