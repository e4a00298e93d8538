// The commands of orvel-updater-cli over the same core as the window.
#include "cli/CommandLine.h"

#include <algorithm>
#include <chrono>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>

#include <CLI/CLI.hpp>
#include <fmt/format.h>

#include "upgrade/ConnectionSettings.h"
#include "upgrade/Messages.h"
#include "products/Products.h"
#include "upgrade/RunDriver.h"
#include "upgrade/SafetyCopy.h"
#include "upgrade/SimulatedRun.h"
#include "products/StepLists.h"
#include "cli/CatalogueSource.h"
#include "cli/CheckReportFormat.h"
#include "cli/ConnectionOptions.h"
#include "cli/Console.h"
#include "cli/ConsoleDisplay.h"
#include "cli/Drift.h"
#include "cli/PlanSummary.h"
#include "cli/Records.h"
#include "query/QueryRunner.h"
#include "database/ConnectionText.h"
#include "database/Utf8Path.h"
#include "database/OdbcDatabase.h"
#include "database/StatementLog.h"

namespace orvel {

namespace {

// The statement text of a file, as saved; an editor's UTF-8 byte order mark
// is an encoding marker, not part of the statement.
std::string readStatementFile(const std::string& path) {
    std::ifstream in(PathFromUtf8(path), std::ios::binary);
    if (!in) throw UsageError("cannot read \"" + path + "\"");
    std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (text.starts_with("\xEF\xBB\xBF")) text.erase(0, 3);
    return text;
}

int commandProducts() {
    WriteStdout(fmt::format("{:<6}{:<10}{:>6}  {}\n", "entry", "id", "steps", "product"));
    for (const auto& product : Products())
        WriteStdout(fmt::format("{:<6}{:<10}{:>6}  {}\n", product.entry, product.id, StepCount(product.id),
                                product.plainName));
    return kSuccess;
}

// The text a run would use: the ODBC string given, or the one the choices
// build; passwords shown as "***" unless `showPassword`.
int commandConnectionText(const ConnectionOptions& o, bool odbcString, bool showPassword) {
    std::string text = o.odbc;
    if (text.empty()) {
        SettingsSystem system(o.settingsDir);
        GivenAccessFile dialog(o.accessFile);
        auto settings = buildSettings(o, system, dialog);
        if (!settings) return kAborted;
        text = settings->ConnectionText();
    }
    if (odbcString) text = OdbcDatabase::ConnectionStringFor(text);
    WriteStdout((showPassword ? text : MaskPasswords(text)) + "\n");
    return kSuccess;
}

// --catalogue-reads of upgrade and plan: its words and what they choose.
struct CatalogueReadsOption {
    std::string word = "once";

    CatalogueReads reads() const { return word == "once" ? CatalogueReads::Once : CatalogueReads::EveryOperation; }
};

void addCatalogueReadsOption(CLI::App& command, CatalogueReadsOption& option) {
    command
        .add_option("--catalogue-reads", option.word,
                    "once: read the catalogue when the connection opens and keep it up to date with what the run "
                    "sends; every-operation: ask the database at every operation (for a database other programs "
                    "change during the run)")
        ->check(CLI::IsMember({"once", "every-operation"}))
        ->capture_default_str();
}

struct PlanOptions {
    CatalogueSourceOptions source;
    std::string catalogOut;
    bool access = false;
    std::string format = "jsonl";
    bool summary = false;
    CatalogueReadsOption reads;
};

// Plans on the simulator loaded with the catalogue of the source: nothing
// reaches a live database but the reading of its catalogue.
int commandPlan(PlanOptions& o) {
    ConnectionOptions& connection = o.source.connection;
    if (o.access) connection.kind = "access";
    if (connection.kind == "oracle" && !o.source.isLive()) {
        WriteStderr(abortReason(connection) + "\n");
        return kAborted;
    }
    auto start = LoadCatalogue(o.source);
    if (!start) return kAborted;
    const bool script = o.format == "sql";
    std::vector<StatementRecord> records;
    FixedOptions options(connection.runOptions());
    const CatalogueSnapshot after = SimulateRun(
        connection.product, std::move(*start), options, o.reads.reads(), [&](const StatementRecord& record) {
            if (!o.summary) WriteStdout(script ? ToSqlScript(record) : ToJsonLine(record));
            records.push_back(record);
        });
    if (!o.catalogOut.empty()) after.Save(PathFromUtf8(o.catalogOut));
    const std::string summary =
        FormatSummary(connection.product, StepCount(connection.product), Summarize(records));
    if (o.summary)
        WriteStdout(summary);
    else
        WriteStderr(summary);
    return kSuccess;
}

// Asks the database what decides whether the statements a run would send
// now are accepted; sends nothing but reads.
int commandCheck(const ConnectionOptions& o, const std::string& format) {
    OdbcDatabase db;
    std::string connectionText;
    try {
        const bool connected = ConnectAsOptionsSay(
            o,
            [&](const std::string& odbc) {
                connectionText = odbc;
                db.open(odbc);
            },
            [&](ConnectionSettings& settings) {
                if (!settings.Connect(db, o.runOptions())) return false;
                connectionText = settings.ConnectionText();
                return true;
            });
        if (!connected) return kAborted;
    } catch (const DatabaseError& e) {
        throw DatabaseError(e.errorClass(), std::string("Cannot connect to the database: ") + e.what(), e.sqlState(),
                            e.nativeCode());
    }
    FixedOptions options(o.runOptions());
    int reads = 0;
    const auto started = std::chrono::steady_clock::now();
    CheckReport report = CheckRun(db, o.product, options, &reads);
    db.close();
    const ConnectionTarget target = DescribeConnectionText(connectionText);
    report.server = target.server.value_or(target.file ? "" : "(local)");
    report.database = target.catalog.value_or(target.file.value_or(""));
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
    WriteStderr(fmt::format("asked the database {} time(s) in {} ms, the catalogue reading included\n", reads,
                            elapsed.count()));
    WriteStdout(format == "json" ? FormatCheckJson(report) : FormatCheckTable(report));
    return CheckExitCode(report);
}

int commandSnapshot(const ConnectionOptions& o) {
    auto snapshot = ReadLiveCatalogue(o);
    if (!snapshot) return kAborted;
    WriteStdout(snapshot->ToJson());
    return kSuccess;
}

int commandDrift(const CatalogueSourceOptions& o, const std::string& format) {
    auto catalogue = LoadCatalogue(o);
    if (!catalogue) return kAborted;
    const Drift drift = FindDrift(o.connection.product, *catalogue);
    WriteStdout(format == "json" ? FormatDriftJson(drift) : FormatDriftTable(drift));
    return drift.nothingMissing() ? kSuccess : kDriftFound;
}

// The guards of `upgrade` against a run that stops half-way.
struct UpgradeGuards {
    CLI::Option* safetyCopyOption = nullptr;
    std::string safetyCopyFolder;  // empty: the default folder of the kind
    bool wholeSteps = false;
    bool checkFirst = false;

    bool safetyCopy() const { return safetyCopyOption && safetyCopyOption->count() > 0; }
};

void addUpgradeGuardOptions(CLI::App& upgrade, UpgradeGuards& guards) {
    guards.safetyCopyOption =
        upgrade
            .add_option("--safety-copy", guards.safetyCopyFolder,
                        "Before anything is sent, copy the database: a verified copy-only backup into DIR on "
                        "the server (default: its default backup folder), or a copy of the Access file (default: "
                        "beside it); the run stops when the copy cannot be made")
            ->expected(0, 1)
            ->type_name("[DIR]");
    upgrade.add_flag("--whole-steps", guards.wholeSteps,
                     "SQL Server: run each step as one transaction, rolled back when a statement is refused or "
                     "the connection drops");
    upgrade.add_flag("--check-first", guards.checkFirst,
                     "Run `check` first and send nothing when it expects a statement to be refused (exit 5, its "
                     "report on standard error)");
}

int commandUpgrade(const ConnectionOptions& o, const std::string& logFile, CatalogueReads reads,
                   const UpgradeGuards& guards) {
    if (guards.wholeSteps && o.kind != "sqlserver")
        throw UsageError("--whole-steps runs steps as transactions of SQL Server; it cannot be used with --kind " +
                         o.kind);
    std::ofstream logOut;
    if (!logFile.empty()) {
        logOut.open(PathFromUtf8(logFile), std::ios::binary);
        if (!logOut) throw UsageError("cannot write the log file \"" + logFile + "\"");
    }
    OdbcDatabase odbc;
    std::optional<SafetyCopyingDatabase> copying;
    if (guards.safetyCopy()) {
        copying.emplace(odbc, guards.safetyCopyFolder);
        // The copy is named on standard error and, before the statements,
        // as the first line of the log.
        copying->onMade = [&logOut](const SafetyCopy& copy) {
            WriteStderr("orvel-updater-cli: " + DescribeSafetyCopy(copy) + "\n");
            if (logOut.is_open()) logOut << JsonLine(SafetyCopyJson(copy)) << std::flush;
        };
    }
    Database& connection = copying ? static_cast<Database&>(*copying) : odbc;
    FixedOptions options(o.runOptions());
    ConsoleDisplay display(StderrIsTerminal());
    Progress progress(display);
    const StepRegistry registry = BuildStepRegistry();
    const RunRecords records = CommandLineRecords();
    RunDriver driver(connection, progress, registry, options, &records, reads);
    driver.setWholeSteps(guards.wholeSteps);
    if (copying)
        driver.onConnectionOpened = [&copying](RecordWriter& record) {
            if (copying->made()) record.note(SafetyCopyJson(*copying->made()));
        };
    driver.checkFirst = guards.checkFirst;
    // What the check foresees besides refusals goes to standard error
    // before the first statement; a foreseen refusal stops the run (exit 5,
    // the whole report).
    driver.onChecked = [&display](const CheckReport& report) {
        if (report.refusals.empty() && (!report.warnings.empty() || !report.notJudged.empty())) {
            display.finish();
            WriteStderr(FormatCheckNotes(report));
        }
        return false;
    };
    int step = 0;
    const int stepCount = StepCount(o.product);
    driver.onStepStarted = [&](const std::string&) { display.stepStarted(++step, stepCount); };
    if (logOut.is_open())
        driver.onStatementSent = [&logOut](const StatementRecord& record) { logOut << ToLogLine(record) << std::flush; };
    try {
        const bool connected = ConnectAsOptionsSay(
            o, [&](const std::string& odbcString) { driver.RunWithConnectionText(o.product, odbcString); },
            [&driver](ConnectionSettings& settings) {
                driver.BitBtn2Click(settings);
                return !settings.RunAborted();
            });
        if (!connected) return kAborted;
    } catch (const RefusalExpectedError& e) {
        display.finish();
        WriteStderr(FormatCheckTable(e.report()));
        return kRefusalExpected;
    } catch (...) {
        display.finish();
        throw;
    }
    return kSuccess;
}

int commandExec(const ConnectionOptions& o, const std::string& sql, const std::string& file) {
    const std::string text = file.empty() ? sql : readStatementFile(file);
    OdbcDatabase db;
    const RunRecords records = CommandLineRecords();
    QueryRunner runner(db, &records);
    const bool connected = ConnectAsOptionsSay(
        o, [&](const std::string& odbc) { runner.openWithConnectionText(o.product, odbc, o.runOptions()); },
        [&](ConnectionSettings& settings) { return runner.open(settings, o.runOptions()); });
    if (!connected) return kAborted;
    QueryOutcome outcome = runner.run(text);
    runner.close();
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
    bool odbcString = false, showPassword = false;
    auto* connectionText = app.add_subcommand(
        "connection-text", "Print the connection text a run would use, passwords shown as ***");
    addConnectionOptions(*connectionText, textOptions, true);
    connectionText->add_flag("--odbc-string", odbcString, "Print the ODBC connection string instead");
    connectionText->add_flag("--show-password", showPassword, "Print passwords as they are");

    PlanOptions planOptions;
    auto* plan = app.add_subcommand(
        "plan", "Print every statement a run would send, against a simulated database: empty, a catalogue "
                "snapshot, or a snapshot of the live database");
    addCatalogueSourceOptions(*plan, planOptions.source);
    plan->add_option("--catalog-out", planOptions.catalogOut, "Write the catalogue after the run (JSON)");
    plan->add_flag("--access", planOptions.access, "Plan for an Access database (as --kind access)")
        ->excludes(plan->get_option("--kind"));
    plan->add_flag("--summary", planOptions.summary, "Print only the summary, on standard output");
    plan->add_option("--format", planOptions.format, "Output form")
        ->check(CLI::IsMember({"jsonl", "sql"}))
        ->capture_default_str();
    addCatalogueReadsOption(*plan, planOptions.reads);

    ConnectionOptions snapshotOptions;
    auto* snapshot = app.add_subcommand(
        "snapshot", "Print the tables, views and columns of a database as the catalogue snapshot plan reads; "
                    "sends no statement");
    addConnectionOptions(*snapshot, snapshotOptions, false);

    CatalogueSourceOptions driftOptions;
    std::string driftFormat = "table";
    auto* drift = app.add_subcommand(
        "drift", "List the tables and columns of the product that a database lacks (exit 4 when any)");
    addCatalogueSourceOptions(*drift, driftOptions);
    drift->add_option("--format", driftFormat, "Output form")
        ->check(CLI::IsMember({"table", "json"}))
        ->capture_default_str();
    drift->callback([&] {
        if (!driftOptions.isLive() && driftOptions.catalogFile.empty())
            throw CLI::RequiredError("--catalog, --odbc or --live");
    });

    ConnectionOptions checkOptions;
    std::string checkFormat = "table";
    auto* check = app.add_subcommand(
        "check", "Ask the database which statements of a run it would refuse because of the rows it holds, and "
                 "what the run removes by design; sends only reads (exit 5 when a refusal is expected)");
    addConnectionOptions(*check, checkOptions, true);
    check->add_option("--format", checkFormat, "Output form")
        ->check(CLI::IsMember({"table", "json"}))
        ->capture_default_str();

    ConnectionOptions upgradeOptions;
    std::string logFile;
    CatalogueReadsOption upgradeReads;
    auto* upgrade = app.add_subcommand("upgrade", "Upgrade a product database");
    addConnectionOptions(*upgrade, upgradeOptions, true);
    upgrade->add_option("--log", logFile, "Write every statement sent as JSON lines to this file");
    addCatalogueReadsOption(*upgrade, upgradeReads);
    UpgradeGuards upgradeGuards;
    addUpgradeGuardOptions(*upgrade, upgradeGuards);

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
    });

    std::size_t recordCount = 20;
    std::string recordId;
    auto* recordsCommand = app.add_subcommand(
        "records", "List the latest records of runs and query windows (both programs write them)");
    recordsCommand->add_option("--count", recordCount, "How many to list; 0 lists every kept record")
        ->capture_default_str();
    auto* recordsShow = recordsCommand->add_subcommand("show", "Print one record as it was written");
    recordsShow->add_option("id", recordId, "The record's id, as `records` lists it")->required();

    try {
        std::reverse(arguments.begin(), arguments.end());  // CLI11 takes them last first
        app.parse(arguments);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        WriteStderr(fmt::format("orvel-updater-cli: {}\n", MaskPasswords(e.what())));
        return kUsage;
    }

    // The ODBC string from wherever it was given, and the product checked.
    const auto given = [](ConnectionOptions& o) {
        TakeGivenOdbc(o);
        requireKnownProduct(o.product);
    };
    try {
        if (products->parsed()) return commandProducts();
        if (connectionText->parsed()) {
            given(textOptions);
            return commandConnectionText(textOptions, odbcString, showPassword);
        }
        if (plan->parsed()) {
            given(planOptions.source.connection);
            return commandPlan(planOptions);
        }
        if (snapshot->parsed()) {
            given(snapshotOptions);
            requireProductOrOdbc(snapshotOptions);
            return commandSnapshot(snapshotOptions);
        }
        if (drift->parsed()) {
            given(driftOptions.connection);
            return commandDrift(driftOptions, driftFormat);
        }
        if (check->parsed()) {
            given(checkOptions);
            return commandCheck(checkOptions, checkFormat);
        }
        if (upgrade->parsed()) {
            given(upgradeOptions);
            return commandUpgrade(upgradeOptions, logFile, upgradeReads.reads(), upgradeGuards);
        }
        if (exec->parsed()) {
            given(execOptions);
            requireProductOrOdbc(execOptions);
            return commandExec(execOptions, sql, sqlFile);
        }
        if (recordsCommand->parsed()) {
            const RunRecords records = CommandLineRecords();
            return recordsShow->parsed() ? commandRecordsShow(records, recordId)
                                         : commandRecordsList(records, recordCount);
        }
    } catch (const UsageError& e) {
        WriteStderr(fmt::format("orvel-updater-cli: {}\n", MaskPasswords(e.what())));
        return kUsage;
    } catch (const std::exception& e) {
        WriteStderr(ErrorBoxText(e.what()) + "\n");
        return kFailed;
    }
    return kUsage;
}

}  // namespace orvel
