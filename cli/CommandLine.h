// The command-line front end: parses the arguments and runs one command.
//
// The exit codes are the table in cli/ExitCodes.h; every error is reported
// in the one shape of cli/ErrorReport.h.
#pragma once

#include <string>
#include <vector>

namespace orvel {

// `arguments` are those after the program's name, as UTF-8.
int RunCommandLine(std::vector<std::string> arguments);

}  // namespace orvel
