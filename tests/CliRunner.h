// Runs orvel-updater-cli as a user runs it (the path comes from the build as
// ORVEL_CLI_PATH) and collects its exit code and both output streams; or
// starts it and leaves it running, for tests that act while it works.
#pragma once

#include <fcntl.h>
#include <unistd.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "TestSupport.h"

namespace orvel::test {

struct CliResult {
    int exitCode;
    std::string out;
    std::string err;
};

inline std::string FileText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

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
    result.err = FileText(errFile);
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

// orvel-updater-cli started with these arguments (passed as they are, no
// shell) and left running; its output streams go to files until wait()
// collects them.  A process still running when the object goes is killed.
class CliProcess {
public:
    explicit CliProcess(const std::vector<std::string>& arguments) {
        std::vector<std::string> words{ORVEL_CLI_PATH};
        words.insert(words.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        for (auto& word : words) argv.push_back(word.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t files;
        posix_spawn_file_actions_init(&files);
        posix_spawn_file_actions_addopen(&files, 1, outFile().c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&files, 2, errFile().c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int failed = posix_spawn(&pid_, argv.front(), &files, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&files);
        if (failed) throw std::runtime_error("cannot start " + words.front());
    }
    ~CliProcess() {
        if (exitCode_) return;
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    CliProcess(const CliProcess&) = delete;
    CliProcess& operator=(const CliProcess&) = delete;

    pid_t pid() const { return pid_; }

    // False once it has ended (then wait() returns at once).
    bool running() {
        if (exitCode_) return false;
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) != pid_) return true;
        exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return false;
    }

    // What it has written to standard error so far.
    std::string errSoFar() const { return FileText(errFile()); }

    CliResult wait() {
        if (!exitCode_) {
            int status = 0;
            waitpid(pid_, &status, 0);
            exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        return {*exitCode_, FileText(outFile()), FileText(errFile())};
    }

private:
    std::string outFile() const { return (dir_.path() / "stdout.txt").string(); }
    std::string errFile() const { return (dir_.path() / "stderr.txt").string(); }

    TempDir dir_;
    pid_t pid_ = -1;
    std::optional<int> exitCode_;
};

}  // namespace orvel::test
