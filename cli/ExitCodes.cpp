// Which commands a row of the exit codes (or of the environment) is for.
#include "cli/ExitCodes.h"

namespace orvel {

bool CommandListed(std::string_view commands, std::string_view command) {
    if (commands.empty()) return true;
    const std::string_view name = command.substr(0, command.find(' '));
    for (std::string_view rest = commands; !rest.empty();) {
        const auto blank = rest.find(' ');
        if (rest.substr(0, blank) == name) return true;
        rest = blank == std::string_view::npos ? std::string_view() : rest.substr(blank + 1);
    }
    return false;
}

}  // namespace orvel
