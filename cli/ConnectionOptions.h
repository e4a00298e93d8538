// The options of orvel-updater-cli that say which database to reach, and
// the opening of that database, shared by every command that connects.
//
// An ODBC connection string can be given three ways, the first found
// winning: --odbc STRING, the first line of --odbc-file FILE, or the
// environment variable ORVEL_ODBC when no option says where the database is.
// The last two keep a password out of the process list, where every user of
// the machine can read a command line.
//
// Exit codes and the usage error live here too, so that each command's own
// file can report them the same way.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "upgrade/ConnectionSettings.h"
#include "upgrade/Platform.h"
#include "upgrade/RunOptions.h"
#include "database/Database.h"
#include "database/Utf8Path.h"

namespace CLI {
class App;
class Option;
}  // namespace CLI

namespace orvel {

enum ExitCode { kSuccess = 0, kFailed = 1, kUsage = 2, kAborted = 3, kDriftFound = 4, kRefusalExpected = 5,
               kNotJudged = 6 };

inline constexpr const char* kOdbcVariable = "ORVEL_ODBC";

// A usage error found after parsing (unknown product, unreadable file).
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct ConnectionOptions {
    std::string product;
    std::string odbc;  // the ODBC string given, once TakeGivenOdbc has looked everywhere
    std::string odbcFile;
    std::string kind = "sqlserver";
    std::string version = "2008";
    bool local = false;
    bool web = false;
    std::string accessFile;
    std::string settingsDir;
    // The options that say where the database is (set by addConnectionOptions).
    std::vector<const CLI::Option*> placeOptions;

    RunOptions runOptions() const;
    // Whether any option that says where the database is was given.
    bool placeGiven() const;
};

void addProductOption(CLI::App& command, std::string& product, bool required);

// Adds --product, --odbc, --odbc-file, --kind, --version, --local, --web,
// --access-file and --settings-dir; returns the options that only say where
// the database is (all but --product, --kind and --web).
std::vector<CLI::Option*> addConnectionOptions(CLI::App& command, ConnectionOptions& o, bool productRequired);

// Sets o.odbc, when --odbc was not given, from the first line of --odbc-file,
// or else from ORVEL_ODBC when no option says where the database is.  An
// unreadable file, or one whose first line is empty, is a usage error.
void TakeGivenOdbc(ConnectionOptions& o);

// Refuses a connection without an ODBC string when no product names its
// catalogue (after TakeGivenOdbc).
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

// Connects as the options say: `given` with the ODBC string given, or else
// `fromChoices` with connection settings built from the choices, which
// returns false when the attempt was aborted.  Returns false, after saying
// why on standard error, when it was aborted.
bool ConnectAsOptionsSay(const ConnectionOptions& o, const std::function<void(const std::string& odbc)>& given,
                         const std::function<bool(ConnectionSettings& settings)>& fromChoices);

// Opens `db` as the options say; returns false when the attempt was aborted.
bool openDatabase(Database& db, const ConnectionOptions& o);

}  // namespace orvel
