// What every command's `--help` ends with: the exit codes it can give (from
// the one table in cli/ExitCodes.h) and the environment variables it reads.
#pragma once

#include <string>
#include <string_view>

namespace orvel {

// The lines after a command's options, each list under its heading.
std::string CommandHelpFooter(std::string_view command);
// The lines after the program's usage: every exit code.
std::string ProgramHelpFooter();

}  // namespace orvel
