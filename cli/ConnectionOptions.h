// The options of orvel-updater-cli that say which database to reach, and
// the opening of that database, shared by every command that connects.
//
// An ODBC connection string can be given three ways, the first found
// winning: --odbc STRING, the first line of --odbc-file FILE, or the
// environment variable ORVEL_ODBC when no option says where the database is.
// The last two keep a password out of the process list, where every user of
// the machine can read a command line.
//
// Where a command opens a database, its Activity learns the place, so that
// an error names the server and database (cli/ErrorReport.h).
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/ErrorReport.h"
#include "cli/ExitCodes.h"
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

inline constexpr const char* kOdbcVariable = "ORVEL_ODBC";

struct ConnectionOptions {
    std::string product;
    std::string odbc;  // the ODBC string given, once TakeGivenOdbc has looked everywhere
    bool odbcFromEnvironment = false;  // o.odbc came from ORVEL_ODBC
    std::string odbcFile;
    std::string kind = "sqlserver";
    std::string version = "2008";
    bool local = false;
    bool web = false;
    std::string accessFile;
    std::string settingsDir;
    // The options that say where the database is (set by addConnectionOptions).
    std::vector<const CLI::Option*> placeOptions;
    const CLI::Option* accessFileOption = nullptr;

    RunOptions runOptions() const;
    // Whether any option that says where the database is was given.
    bool placeGiven() const;
};

void addProductOption(CLI::App& command, std::string& product, bool required);

// Adds --product, --odbc, --odbc-file, --kind, --server-version, --local, --web,
// --access-file and --settings-dir; returns the options that only say where
// the database is (all but --product, --kind and --web).
std::vector<CLI::Option*> addConnectionOptions(CLI::App& command, ConnectionOptions& o, bool productRequired);

// Sets o.odbc, when --odbc was not given, from the first line of --odbc-file,
// or else from ORVEL_ODBC when no option says where the database is.  An
// unreadable file, or one whose first line is empty, is a usage error.
void TakeGivenOdbc(ConnectionOptions& o);

// Refuses, as a usage error, the choices an ODBC string cannot serve, so
// that no run goes to the string's database as another kind and every
// record holds the kind actually used: --kind oracle with any ODBC string,
// --kind access with one that names no Access file (DBQ=), and
// --access-file while ORVEL_ODBC is set (after TakeGivenOdbc).
void RefuseChoicesTheOdbcStringCannotServe(const ConnectionOptions& o);

// Refuses a connection without an ODBC string when no product names its
// catalogue (after TakeGivenOdbc).
void requireProductOrOdbc(const ConnectionOptions& o);

// The product's id as the products table spells it, whatever the letter
// case given; an unknown id is a usage error.  Empty stays empty.
std::string KnownProduct(const std::string& product);

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

// Builds the settings of the options; throws AbortedError when the attempt
// was aborted.
std::unique_ptr<ConnectionSettings> buildSettings(const ConnectionOptions& o, SettingsSystem& system,
                                                  GivenAccessFile& dialog);

// Connects as the options say: `given` with the ODBC string given, or else
// `fromChoices` with connection settings built from the choices, which
// returns false when the attempt was aborted.  Throws AbortedError when it
// was.  `activity` is told "connecting" and the place, which it keeps for
// whatever follows on that connection.
void ConnectAsOptionsSay(const ConnectionOptions& o, Activity& activity,
                         const std::function<void(const std::string& odbc)>& given,
                         const std::function<bool(ConnectionSettings& settings)>& fromChoices);

// Opens `db` as the options say (see ConnectAsOptionsSay).
void openDatabase(Database& db, const ConnectionOptions& o, Activity& activity);

}  // namespace orvel
