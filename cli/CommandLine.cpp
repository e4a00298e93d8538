// The commands of orvel-updater-cli over the same core as the window.
#include "cli/CommandLine.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>

#include <CLI/CLI.hpp>
#include <fmt/format.h>

#include "app/ConnectionSettings.h"
#include "app/Messages.h"
#include "app/Products.h"
#include "app/RunDriver.h"
#include "app/StepLists.h"
#include "cli/Console.h"
#include "cli/ConsoleDisplay.h"
#include "cli/PlanSummary.h"
#include "query/QueryRunner.h"
#include "schema/CatalogueSimulator.h"
#include "schema/OdbcDatabase.h"
#include "schema/StatementLog.h"

namespace orvel {

namespace {

enum ExitCode { kSuccess = 0, kFailed = 1, kUsage = 2, kAborted = 3 };

// File names arrive as UTF-8.  On Windows a path built from a plain
// std::string does not read it as UTF-8, so paths are built from UTF-8
// explicitly, and shown as UTF-8.
std::filesystem::path pathOf(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string utf8Of(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return {text.begin(), text.end()};
}

// A usage error found after parsing (unknown product, unreadable file).
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The options that say which database to reach, shared by every command
// that builds a connection.
struct ConnectionOptions {
    std::string product;
    std::string odbc;
    std::string kind = "sqlserver";
    std::string version = "2008";
    bool local = false;
    bool web = false;
    std::string accessFile;
    std::string settingsDir;

    RunOptions runOptions() const {
        RunOptions options;
        if (auto p = ProductById(product)) options.productEntry = p->entry;
        options.databaseKind = kind == "access"   ? DatabaseKind::Access
                               : kind == "oracle" ? DatabaseKind::Oracle
                                                  : DatabaseKind::SqlServer;
        options.serverVersion = version == "2000"   ? ServerVersion::Sql2000
                                : version == "2005" ? ServerVersion::Sql2005
                                : version == "2012" ? ServerVersion::Sql2012
                                                    : ServerVersion::Sql2008;
        options.local = local;
        options.web = web;
        return options;
    }
};

void addProductOption(CLI::App& command, std::string& product, bool required) {
    auto* option = command.add_option("--product", product, "Product id (see `products`)");
    if (required) option->required();
}

void addConnectionOptions(CLI::App& command, ConnectionOptions& o, bool productRequired) {
    addProductOption(command, o.product, productRequired);
    auto* odbc = command.add_option("--odbc", o.odbc, "An ODBC connection string, used as it is");
    command.add_option("--kind", o.kind, "Database kind")
        ->check(CLI::IsMember({"sqlserver", "access", "oracle"}))
        ->capture_default_str();
    command.add_option("--version", o.version, "SQL Server version choice")
        ->check(CLI::IsMember({"2000", "2005", "2008", "2012"}))
        ->capture_default_str()
        ->excludes(odbc);
    command.add_flag("--local", o.local, "The Local option (network-marketing product)")->excludes(odbc);
    command.add_flag("--web", o.web, "The Web option (insurance-office product)");
    command.add_option("--access-file", o.accessFile, "The .mdb file, as the file dialog would answer")
        ->excludes(odbc);
    command.add_option("--settings-dir", o.settingsDir,
                       "Where ServerName.txt and RemoteConnections.json are read (default: beside the program)");
}

class SettingsSystem : public SystemInfo {
public:
    explicit SettingsSystem(std::string directory) : directory_(std::move(directory)) {}
    std::string computerName() const override { return local_.computerName(); }
    std::filesystem::path programDirectory() const override {
        return directory_.empty() ? local_.programDirectory() : pathOf(directory_);
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
    std::optional<std::string> chooseFile(const std::string&) override {
        if (file_.empty()) return std::nullopt;
        return utf8Of(std::filesystem::absolute(pathOf(file_)));
    }

private:
    std::string file_;
};

void requireKnownProduct(const std::string& product) {
    if (!product.empty() && !ProductById(product))
        throw UsageError("unknown product \"" + product + "\" (ids: Velora, Tamrix2, Pelsa, Brivo, Mornale, Kestin, Zorbex)");
}

std::string abortReason(const ConnectionOptions& o) {
    if (o.kind == "oracle") return "Oracle databases are not served: nothing was opened";
    return "Access was chosen without --access-file: nothing was opened";
}

std::string readFile(const std::string& path) {
    std::ifstream in(pathOf(path), std::ios::binary);
    if (!in) throw UsageError("cannot read \"" + path + "\"");
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Builds the settings of the options; returns nothing when the attempt was
// aborted (after saying why on standard error).
std::unique_ptr<ConnectionSettings> buildSettings(const ConnectionOptions& o, SettingsSystem& system,
                                                  GivenAccessFile& dialog) {
    auto settings = std::make_unique<ConnectionSettings>(system, dialog);
    settings->clearRunAborted();
    settings->Button2Click(o.runOptions());
    settings->Button3Click(o.runOptions());
    if (settings->RunAborted()) {
        WriteStderr(abortReason(o) + "\n");
        return nullptr;
    }
    return settings;
}

// Opens `db` as the options say; returns the connection text used, or
// nothing when the attempt was aborted.
std::optional<std::string> openDatabase(Database& db, const ConnectionOptions& o) {
    if (!o.odbc.empty()) {
        db.open(o.odbc);
        return o.odbc;
    }
    SettingsSystem system(o.settingsDir);
    GivenAccessFile dialog(o.accessFile);
    auto settings = buildSettings(o, system, dialog);
    if (!settings) return std::nullopt;
    db.open(settings->ConnectionText());
    return settings->ConnectionText();
}

int commandProducts() {
    WriteStdout(fmt::format("{:<6}{:<10}{:>6}  {}\n", "entry", "id", "steps", "product"));
    for (const auto& product : Products())
        WriteStdout(fmt::format("{:<6}{:<10}{:>6}  {}\n", product.entry, product.id, StepCount(product.id),
                                product.plainName));
    return kSuccess;
}

int commandConnectionText(const ConnectionOptions& o, bool odbcString) {
    SettingsSystem system(o.settingsDir);
    GivenAccessFile dialog(o.accessFile);
    auto settings = buildSettings(o, system, dialog);
    if (!settings) return kAborted;
    WriteStdout((odbcString ? OdbcDatabase::ConnectionStringFor(settings->ConnectionText())
                            : settings->ConnectionText()) +
                "\n");
    return kSuccess;
}

struct PlanOptions {
    std::string product;
    std::string catalog;
    std::string catalogOut;
    bool access = false;
    bool web = false;
    std::string format = "jsonl";
    bool summary = false;
};

int commandPlan(const PlanOptions& o) {
    CatalogueSnapshot start;
    if (!o.catalog.empty()) {
        try {
            start = CatalogueSnapshot::Load(pathOf(o.catalog));
        } catch (const SnapshotError& e) {
            throw UsageError(e.what());
        }
    }
    CatalogueSimulator simulator(std::move(start));
    LoggingDatabase log(simulator);
    const bool script = o.format == "sql";
    if (!o.summary) {
        log.onRecord = [script](const StatementRecord& record) {
            WriteStdout(script ? ToSqlScript(record) : ToJsonLine(record));
        };
    }
    RunOptions runOptions;
    runOptions.databaseKind = o.access ? DatabaseKind::Access : DatabaseKind::SqlServer;
    runOptions.web = o.web;
    FixedOptions options(runOptions);
    SilentDisplay display;
    Progress progress(display);
    const StepRegistry registry = BuildStepRegistry();
    RunDriver driver(log, progress, registry, options);
    driver.onStepStarted = [&log](const std::string& step) { log.setCurrentStep(step); };
    const std::string connection = "simulated catalogue";
    log.open(connection);
    driver.RunProduct(o.product, connection);
    if (!o.catalogOut.empty()) simulator.catalogue().Save(pathOf(o.catalogOut));
    const std::string summary = FormatSummary(o.product, StepCount(o.product), Summarize(log.records()));
    if (o.summary)
        WriteStdout(summary);
    else
        WriteStderr(summary);
    return kSuccess;
}

int commandUpgrade(const ConnectionOptions& o, const std::string& logFile) {
    std::ofstream logOut;
    if (!logFile.empty()) {
        logOut.open(pathOf(logFile), std::ios::binary);
        if (!logOut) throw UsageError("cannot write the log file \"" + logFile + "\"");
    }
    OdbcDatabase odbc;
    LoggingDatabase log(odbc);
    log.onRecord = [&logOut](const StatementRecord& record) {
        if (logOut.is_open()) logOut << ToJsonLine(record) << std::flush;
    };
    FixedOptions options(o.runOptions());
    ConsoleDisplay display(StderrIsTerminal());
    Progress progress(display);
    const StepRegistry registry = BuildStepRegistry();
    RunDriver driver(log, progress, registry, options);
    driver.onStepStarted = [&log](const std::string& step) { log.setCurrentStep(step); };
    try {
        if (!o.odbc.empty()) {
            log.open(o.odbc);
            driver.RunProduct(o.product, o.odbc);
        } else {
            SettingsSystem system(o.settingsDir);
            GivenAccessFile dialog(o.accessFile);
            ConnectionSettings settings(system, dialog);
            driver.BitBtn2Click(settings);
            if (settings.RunAborted()) {
                WriteStderr(abortReason(o) + "\n");
                return kAborted;
            }
        }
    } catch (...) {
        display.finish();
        throw;
    }
    return kSuccess;
}

int commandExec(const ConnectionOptions& o, const std::string& sql, const std::string& file) {
    const std::string text = file.empty() ? sql : readFile(file);
    OdbcDatabase db;
    if (!openDatabase(db, o)) return kAborted;
    QueryOutcome outcome = RunTypedStatement(db, text);
    std::string shown = outcome.message;
    for (auto& c : shown)
        if (c == '\r') c = '\n';
    if (outcome.succeeded) {
        WriteStdout(shown + "\n");
        return kSuccess;
    }
    WriteStderr(shown + "\n");
    return kFailed;
}

}  // namespace

int RunCommandLine(std::vector<std::string> arguments) {
    CLI::App app{"orvel-updater-cli: brings a product database to the current schema, without the window"};
    app.name("orvel-updater-cli");
    app.require_subcommand(1);
    app.set_help_all_flag("--help-all", "Help for every command");

    auto* products = app.add_subcommand("products", "List the products with their ids and step counts");

    ConnectionOptions textOptions;
    bool odbcString = false;
    auto* connectionText = app.add_subcommand("connection-text", "Print the connection text a run would use");
    addConnectionOptions(*connectionText, textOptions, true);
    connectionText->add_flag("--odbc-string", odbcString, "Print the ODBC connection string instead");

    PlanOptions planOptions;
    auto* plan = app.add_subcommand("plan", "Print every statement a run would send, against a simulated database");
    addProductOption(*plan, planOptions.product, true);
    // A missing file is reported by the load, which opens it by its UTF-8
    // name (CLI::ExistingFile would not read the name as UTF-8 on Windows).
    plan->add_option("--catalog", planOptions.catalog, "Start from this catalogue snapshot (JSON) instead of an empty database");
    plan->add_option("--catalog-out", planOptions.catalogOut, "Write the catalogue after the run (JSON)");
    plan->add_flag("--access", planOptions.access, "Plan for an Access database");
    plan->add_flag("--web", planOptions.web, "The Web option");
    plan->add_flag("--summary", planOptions.summary, "Print only the summary, on standard output");
    plan->add_option("--format", planOptions.format, "Output form")
        ->check(CLI::IsMember({"jsonl", "sql"}))
        ->capture_default_str();

    ConnectionOptions upgradeOptions;
    std::string logFile;
    auto* upgrade = app.add_subcommand("upgrade", "Upgrade a product database");
    addConnectionOptions(*upgrade, upgradeOptions, true);
    upgrade->add_option("--log", logFile, "Write every statement sent as JSON lines to this file");

    ConnectionOptions execOptions;
    std::string sql, sqlFile;
    auto* exec = app.add_subcommand("exec", "Run one statement text against a product database");
    addConnectionOptions(*exec, execOptions, false);
    auto* sqlOption = exec->add_option("--sql", sql, "The statement text");
    auto* fileOption = exec->add_option("--file", sqlFile, "Read the statement text from this file");
    sqlOption->excludes(fileOption);
    exec->callback([&] {
        if (sqlOption->count() == 0 && fileOption->count() == 0)
            throw CLI::RequiredError("--sql or --file");
        if (execOptions.odbc.empty() && execOptions.product.empty())
            throw CLI::RequiredError("--product or --odbc");
    });

    try {
        std::reverse(arguments.begin(), arguments.end());  // CLI11 takes them last first
        app.parse(arguments);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        WriteStderr(fmt::format("orvel-updater-cli: {}\n", e.what()));
        return kUsage;
    }

    try {
        if (products->parsed()) return commandProducts();
        if (connectionText->parsed()) {
            requireKnownProduct(textOptions.product);
            return commandConnectionText(textOptions, odbcString);
        }
        if (plan->parsed()) {
            requireKnownProduct(planOptions.product);
            return commandPlan(planOptions);
        }
        if (upgrade->parsed()) {
            requireKnownProduct(upgradeOptions.product);
            return commandUpgrade(upgradeOptions, logFile);
        }
        if (exec->parsed()) {
            requireKnownProduct(execOptions.product);
            return commandExec(execOptions, sql, sqlFile);
        }
    } catch (const UsageError& e) {
        WriteStderr(fmt::format("orvel-updater-cli: {}\n", e.what()));
        return kUsage;
    } catch (const std::exception& e) {
        WriteStderr(ErrorBoxText(e.what()) + "\n");
        return kFailed;
    }
    return kUsage;
}

}  // namespace orvel
