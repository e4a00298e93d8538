// The command-line front end: parses the arguments and runs one command.
//
// Exit codes: 0 success; 1 the run or statement failed (the database's
// message on standard error); 2 a usage error (unknown command, option,
// product or file); 3 the attempt was aborted (Oracle chosen, or Access
// without a file); 4 `drift` found something missing.
#pragma once

#include <string>
#include <vector>

namespace orvel {

// `arguments` are those after the program's name, as UTF-8.
int RunCommandLine(std::vector<std::string> arguments);

}  // namespace orvel
