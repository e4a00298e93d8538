// Runs orvel-updater-cli as a user runs it (the path comes from the build as
// ORVEL_CLI_PATH) and collects its exit code and both output streams.
#pragma once

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "TestSupport.h"

namespace orvel::test {

struct CliResult {
    int exitCode;
    std::string out;
    std::string err;
};

// `arguments` is shell text: words split by blanks, quotes as the shell reads them.
inline CliResult RunCli(const std::string& arguments) {
    TempDir dir;
    const auto errFile = dir.path() / "stderr.txt";
    const std::string command = std::string(ORVEL_CLI_PATH) + " " + arguments + " 2>" + errFile.string();
    CliResult result{-1, {}, {}};
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return result;
    std::array<char, 4096> buffer{};
    for (std::size_t n; (n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0;) result.out.append(buffer.data(), n);
    const int status = pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream err(errFile);
    result.err.assign(std::istreambuf_iterator<char>(err), std::istreambuf_iterator<char>());
    return result;
}

// Each argument passed as it is, whatever characters it holds.
inline CliResult RunCli(const std::vector<std::string>& arguments) {
    std::string text;
    for (const auto& argument : arguments) {
        text += " '";
        for (char c : argument) text += c == '\'' ? std::string("'\\''") : std::string(1, c);
        text += '\'';
    }
    return RunCli(text);
}

}  // namespace orvel::test
