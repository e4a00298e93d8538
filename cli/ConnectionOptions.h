// The options of orvel-updater-cli that say which database to reach, and
// the opening of that database, shared by every command that connects.
//
// Exit codes and the usage error live here too, so that each command's own
// file can report them the same way.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/ConnectionSettings.h"
#include "app/Platform.h"
#include "app/RunOptions.h"
#include "schema/Database.h"
#include "schema/Utf8Path.h"

namespace CLI {
class App;
class Option;
}  // namespace CLI

namespace orvel {

enum ExitCode { kSuccess = 0, kFailed = 1, kUsage = 2, kAborted = 3, kDriftFound = 4 };

// A usage error found after parsing (unknown product, unreadable file).
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct ConnectionOptions {
    std::string product;
    std::string odbc;
    std::string kind = "sqlserver";
    std::string version = "2008";
    bool local = false;
    bool web = false;
    std::string accessFile;
    std::string settingsDir;

    RunOptions runOptions() const;
};

void addProductOption(CLI::App& command, std::string& product, bool required);

// Adds --product, --odbc, --kind, --version, --local, --web, --access-file
// and --settings-dir; returns the options that only say where the database
// is (all but --product, --kind and --web).
std::vector<CLI::Option*> addConnectionOptions(CLI::App& command, ConnectionOptions& o, bool productRequired);

// Refuses a connection without --odbc when no product names its catalogue.
void requireProductOrOdbc(const ConnectionOptions& o);

void requireKnownProduct(const std::string& product);

class SettingsSystem : public SystemInfo {
public:
    explicit SettingsSystem(std::string directory) : directory_(std::move(directory)) {}
    std::string computerName() const override { return local_.computerName(); }
    std::filesystem::path programDirectory() const override {
        return directory_.empty() ? local_.programDirectory() : PathFromUtf8(directory_);
    }

private:
    LocalSystem local_;
    std::string directory_;
};

// The file dialog answered from the command line: the given file, or a
// cancel when none was given.
class GivenAccessFile : public AccessFileDialog {
public:
    explicit GivenAccessFile(std::string file) : file_(std::move(file)) {}
    std::optional<std::string> chooseFile(const std::string&) override;

private:
    std::string file_;
};

// Why an attempt with these options was aborted.
std::string abortReason(const ConnectionOptions& o);

// Builds the settings of the options; returns nothing when the attempt was
// aborted (after saying why on standard error).
std::unique_ptr<ConnectionSettings> buildSettings(const ConnectionOptions& o, SettingsSystem& system,
                                                  GivenAccessFile& dialog);

// Opens `db` as the options say; returns the connection text used, or
// nothing when the attempt was aborted.
std::optional<std::string> openDatabase(Database& db, const ConnectionOptions& o);

}  // namespace orvel
