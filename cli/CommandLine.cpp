// The commands of orvel-updater-cli over the same core as the window.
#include "cli/CommandLine.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>

#include <CLI/CLI.hpp>
#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include "upgrade/ConnectionSettings.h"
#include "upgrade/Messages.h"
#include "products/Products.h"
#include "upgrade/RunDriver.h"
#include "upgrade/SafetyCopy.h"
#include "upgrade/SimulatedRun.h"
#include "products/StepLists.h"
#include "cli/CatalogueSource.h"
#include "cli/CheckReportFormat.h"
#include "cli/CommandHelp.h"
#include "cli/ConnectionOptions.h"
#include "cli/Console.h"
#include "cli/ConsoleDisplay.h"
#include "cli/Drift.h"
#include "cli/PlanSummary.h"
#include "cli/Records.h"
#include "cli/StatementAnswers.h"
#include "cli/UpgradeResult.h"
#include "cli/UpgradeLog.h"
#include "upgrade/RunTarget.h"
#include "upgrade/StopSignals.h"
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

// The products, as a table or as JSON: [{"entry", "id", "product", "steps"}].
int commandProducts(const std::string& format) {
    if (format == "json") {
        nlohmann::ordered_json products = nlohmann::ordered_json::array();
        for (const auto& product : Products())
            products.push_back({{"entry", product.entry},
                                {"id", product.id},
                                {"product", product.plainName},
                                {"steps", StepCount(product.id)}});
        WriteStdout(products.dump(2) + "\n");
        return kSuccess;
    }
    WriteStdout(fmt::format("{:<6}{:<10}{:>6}  {}\n", "entry", "id", "steps", "product"));
    for (const auto& product : Products())
        WriteStdout(fmt::format("{:<6}{:<10}{:>6}  {}\n", product.entry, product.id, StepCount(product.id),
                                product.plainName));
    return kSuccess;
}

// The text a run would use: the ODBC string given, or the one the choices
// build; passwords shown as "***" unless `showPassword`.
int commandConnectionText(const ConnectionOptions& o, bool odbcString, bool showPassword, Activity& activity) {
    activity.doing = "building the connection text";
    std::string text = o.odbc;
    if (text.empty()) {
        SettingsSystem system(o.settingsDir);
        GivenAccessFile dialog(o.accessFile);
        text = buildSettings(o, system, dialog)->ConnectionText();
    }
    activity.at(text);
    if (odbcString) text = OdbcDatabase::ConnectionStringFor(text);
    WriteStdout((showPassword ? text : MaskPasswords(text)) + "\n");
    return kSuccess;
}

// --format of a command, with the words it takes (the default is what `format` holds).
void addFormatOption(CLI::App& command, std::string& format, std::vector<std::string> words) {
    command.add_option("--format", format, "Output form")->check(CLI::IsMember(std::move(words)))->capture_default_str();
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
int commandPlan(PlanOptions& o, Activity& activity) {
    ConnectionOptions& connection = o.source.connection;
    if (o.access) connection.kind = "access";
    activity.doing = "planning " + connection.product;
    if (connection.kind == "oracle" && !o.source.isLive()) throw AbortedError(abortReason(connection));
    CatalogueSnapshot start = LoadCatalogue(o.source, activity);
    activity.doing = "planning " + connection.product;
    const bool script = o.format == "sql";
    std::vector<StatementRecord> records;
    FixedOptions options(connection.runOptions());
    const CatalogueSnapshot after = SimulateRun(
        connection.product, std::move(start), options, o.reads.reads(), [&](const StatementRecord& record) {
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
int commandCheck(const ConnectionOptions& o, const std::string& format, Activity& activity) {
    OdbcDatabase db;
    std::string connectionText;
    ConnectAsOptionsSay(
        o, activity,
        [&](const std::string& odbc) {
            connectionText = odbc;
            db.open(odbc);
        },
        [&](ConnectionSettings& settings) {
            if (!settings.Connect(db, o.runOptions())) return false;
            connectionText = settings.ConnectionText();
            return true;
        });
    activity.doing = "checking " + o.product;
    FixedOptions options(o.runOptions());
    int reads = 0;
    const auto started = std::chrono::steady_clock::now();
    CheckReport report = CheckRun(db, o.product, options, &reads);
    // The server and database judged: as the connection text names the
    // server, and as the connection reports the database.
    const RunTarget target = DescribeRunTarget(db, o.product, connectionText);
    db.close();
    // A server the text does not name is the local default instance; a
    // file's database (Access, SQLite) has none.
    const bool sqlServer = target.identity && target.identity->product.find("SQL Server") != std::string::npos;
    report.server = target.server.value_or(sqlServer ? "(local)" : "");
    report.database = target.database.value_or(target.file.value_or(""));
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
    WriteStderr(fmt::format("asked the database {} time(s) in {} ms, the catalogue reading included\n", reads,
                            elapsed.count()));
    WriteStdout(format == "json" ? FormatCheckJson(report) : FormatCheckTable(report));
    return CheckExitCode(report);
}

int commandSnapshot(const ConnectionOptions& o, Activity& activity) {
    WriteStdout(ReadLiveCatalogue(o, activity).ToJson());
    return kSuccess;
}

// The tables and columns missing, read from the catalogue; and, on a live
// SQL Server, the columns whose definition differs, read on the same
// connection with the check's metadata question.
int commandDrift(const CatalogueSourceOptions& o, const std::string& format, Activity& activity) {
    const std::string& product = o.connection.product;
    std::optional<TableMetadata> columnTypes;
    std::string typesNotCompared = "a snapshot file holds no column types";
    const CatalogueSnapshot catalogue = LoadCatalogue(o, activity, [&](Database& db) {
        const auto server = db.serverIdentity();
        if (!server || server->product.find("SQL Server") == std::string::npos) {
            typesNotCompared = "the database is no SQL Server (" + (server ? server->product : "unknown") + ")";
            return;
        }
        activity.doing = "reading the column types";
        columnTypes =
            ReadMetadata(db.readResults(MetadataQuestion(ProductTables(product), {}, DialectFor(server), false))).tables;
    });
    activity.doing = "comparing with " + product;
    const Drift drift = FindDrift(product, catalogue, columnTypes, typesNotCompared);
    WriteStdout(format == "json" ? FormatDriftJson(drift) : FormatDriftTable(drift));
    return drift.nothingFound() ? kSuccess : kDriftFound;
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

// The run, with its progress on standard error; once it has ended, the
// success sentence and the summary line, or the result as JSON (also of a
// run that failed or was refused by the check, before the error is
// reported).
int commandUpgrade(const ConnectionOptions& o, const std::string& logFile, const std::string& format,
                   const CatalogueReadsOption& reads, const UpgradeGuards& guards, Activity& activity) {
    if (guards.wholeSteps && o.kind != "sqlserver")
        throw UsageError("--whole-steps runs steps as transactions of SQL Server; it cannot be used with --kind " +
                         o.kind);
    std::ofstream logOut;
    if (!logFile.empty()) logOut = OpenUpgradeLog(logFile);
    const auto logLine = [&logOut](const nlohmann::ordered_json& line) {
        if (logOut.is_open()) logOut << JsonLine(line) << std::flush;
    };
    const auto started = std::chrono::steady_clock::now();
    UpgradeResult result{o.product, {}, "success", 0, 0, {}, logFile, std::nullopt};
    OdbcDatabase odbc;
    std::optional<SafetyCopyingDatabase> copying;
    if (guards.safetyCopy()) {
        copying.emplace(odbc, guards.safetyCopyFolder);
        // The copy is named on standard error and, before the statements,
        // in the log.
        copying->onMade = [&logLine](const SafetyCopy& copy) {
            WriteStderr(std::string(kProgramName) + ": " + DescribeSafetyCopy(copy) + "\n");
            logLine(SafetyCopyJson(copy));
        };
    }
    Database& connection = copying ? static_cast<Database&>(*copying) : odbc;
    FixedOptions options(o.runOptions());
    ConsoleDisplay display(StderrIsTerminal());
    Progress progress(display);
    const StepRegistry registry = BuildStepRegistry();
    const RunRecords records = CommandLineRecords();
    RunDriver driver(connection, progress, registry, options, &records, reads.reads());
    driver.setWholeSteps(guards.wholeSteps);
    const std::string upgrading = "upgrading " + o.product;
    driver.onConnectionOpened = [&](RecordWriter& record) {
        result.recordId = record.id();
        activity.doing =
            guards.checkFirst ? "checking " + o.product + " before the run" : upgrading + " before the first step";
        if (copying && copying->made()) record.note(SafetyCopyJson(*copying->made()));
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
    const UpgradeLogOptions logOptions{
        reads.word, guards.checkFirst,
        guards.safetyCopy() ? std::optional(guards.safetyCopyFolder) : std::nullopt, guards.wholeSteps};
    driver.onRecordStarted = [&](const RecordWriter& record, const RecordHeader& header) {
        logLine(RunLogLine(record, header, logOptions));
    };
    // Named before the first statement, on standard error and in the log.
    driver.onTargetKnown = [&logLine](const RunTarget& target) {
        WriteStderr(RunTargetSentence(target) + "\n");
        logLine(RunTargetJson(target));
    };
    int step = 0;
    const int stepCount = StepCount(o.product);
    driver.onStepStarted = [&](const std::string& name) {
        activity.doing = upgrading + ", step " + name;
        display.stepStarted(++step, stepCount);
    };
    driver.onStatementSent = [&](const StatementRecord& record) {
        ++result.statements;
        if (logOut.is_open()) logOut << ToLogLine(record) << std::flush;
    };
    const bool json = format == "json";
    const auto ended = [&](const char* how, std::optional<std::string> error) {
        display.finish();
        result.database = activity.place;
        result.result = how;
        result.error = std::move(error);
        result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        if (json) WriteStdout(UpgradeResultJson(result).dump(2) + "\n");
    };
    // Ctrl-C and SIGTERM stop the run cleanly for as long as it lasts.
    const StopSignalListener signals([&driver](StopCause cause) { driver.requestStop(cause); });
    try {
        ConnectAsOptionsSay(
            o, activity, [&](const std::string& odbcString) { driver.RunWithConnectionText(o.product, odbcString); },
            [&driver](ConnectionSettings& settings) {
                driver.BitBtn2Click(settings);
                return !settings.RunAborted();
            });
    } catch (const RefusalExpectedError& e) {
        ended("refusal expected", std::nullopt);
        WriteStderr(FormatCheckTable(e.report()));
        return kRefusalExpected;
    } catch (const RunInterrupted& e) {
        ended("interrupted", MaskPasswords(e.what()));
        WriteStderr(ErrorLine(activity, e.what()));
        return ExitCodeFor(e.cause());
    } catch (const AbortedError&) {
        display.finish();
        throw;
    } catch (const std::exception& e) {
        ended("failed", MaskPasswords(e.what()));
        throw;
    }
    ended("success", std::nullopt);
    if (!json) WriteStdout(PersianSentenceLine(display.successMessage().value_or("")) + UpgradeSummaryLine(result));
    return kSuccess;
}

// Runs the text as the query window does; each answer is printed as it
// arrives (the table form) or all of them at the end (JSON, also when the
// text failed, with the error).
int commandExec(const ConnectionOptions& o, const std::string& sql, const std::string& file, const std::string& format,
                Activity& activity) {
    const std::string text = file.empty() ? sql : readStatementFile(file);
    OdbcDatabase db;
    const RunRecords records = CommandLineRecords();
    QueryRunner runner(db, &records);
    ConnectAsOptionsSay(
        o, activity, [&](const std::string& odbc) { runner.openWithConnectionText(o.product, odbc, o.runOptions()); },
        [&](ConnectionSettings& settings) { return runner.open(settings, o.runOptions()); });
    activity.doing = "running the statement";
    const bool json = format == "json";
    AnsweredText answered{o.product, activity.place, {}, std::nullopt};
    bool first = true;
    QueryOutcome outcome = runner.run(text, [&](StatementAnswer answer) {
        if (json) {
            answered.answers.push_back(std::move(answer));
            return;
        }
        WriteStdout((first ? "" : "\n") + FormatAnswer(answer));
        first = false;
    });
    runner.close();
    if (!outcome.succeeded) answered.error = outcome.error;
    if (json) WriteStdout(AnsweredTextJson(answered).dump(2) + "\n");
    if (!outcome.succeeded) throw std::runtime_error(outcome.error);
    if (!json) WriteStdout((first ? "" : "\n") + PersianSentenceLine(outcome.message));
    return kSuccess;
}

// How many single-letter edits turn `a` into `b` (the names are ASCII).
std::size_t editDistance(std::string_view a, std::string_view b) {
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            const bool same = std::tolower(static_cast<unsigned char>(a[i - 1])) ==
                              std::tolower(static_cast<unsigned char>(b[j - 1]));
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (same ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

std::vector<const CLI::App*> commandsOf(const CLI::App& app) {
    return app.get_subcommands([](const CLI::App*) { return true; });
}

const CLI::App* commandNamed(const CLI::App& app, std::string_view name) {
    for (const CLI::App* command : commandsOf(app))
        if (command->get_name() == name) return command;
    return nullptr;
}

// The usage error of a command that does not exist, naming the command it
// most likely meant: one whose name begins with what was typed, else the
// one fewest letter edits away.
UsageError unknownCommand(const CLI::App& app, const std::string& typed) {
    const CLI::App* nearest = nullptr;
    std::size_t distance = 0;
    for (const CLI::App* command : commandsOf(app)) {
        const std::string& name = command->get_name();
        const std::size_t edits = !typed.empty() && name.starts_with(typed) ? 0 : editDistance(typed, name);
        if (!nearest || edits < distance) {
            nearest = command;
            distance = edits;
        }
    }
    return UsageError(fmt::format("unknown command \"{}\": the nearest is \"{}\" ({} --help lists every command)",
                                  typed, nearest ? nearest->get_name() : "", kProgramName));
}

// What is answered before the arguments are parsed: the usage (asked for
// with `help`, or when no command is given), the program's version, a
// command's help by `help COMMAND`, a command that does not exist, and
// --version given to a command.  Nothing when the parser takes over.
std::optional<int> answerWithoutParsing(const CLI::App& app, const std::vector<std::string>& arguments) {
    if (arguments.empty()) {
        WriteStdout(app.help());
        return kUsage;
    }
    const std::string& first = arguments.front();
    if (first == "--version") {
        WriteStdout(app.version() + "\n");
        return kSuccess;
    }
    if (first == "help") {
        if (arguments.size() == 1) {
            WriteStdout(app.help());
            return kSuccess;
        }
        const CLI::App* command = commandNamed(app, arguments[1]);
        if (!command) throw unknownCommand(app, arguments[1]);
        if (arguments.size() > 2)
            if (const CLI::App* sub = commandNamed(*command, arguments[2])) command = sub;
        const std::string parent = command->get_parent() == &app ? "" : " " + command->get_parent()->get_name();
        WriteStdout(command->help(std::string(kProgramName) + parent));
        return kSuccess;
    }
    if (first.starts_with("-")) {
        if (first == "-h" || first == "--help" || first == "--help-all") return std::nullopt;
        throw UsageError(fmt::format("unknown option \"{}\": a command comes first ({} --help lists every command)",
                                     first, kProgramName));
    }
    if (!commandNamed(app, first)) throw unknownCommand(app, first);
    for (const auto& argument : arguments)
        if (argument == "--version" || argument.starts_with("--version="))
            throw UsageError(fmt::format("--version is no option of {}: the SQL Server version is chosen with "
                                         "--server-version ({} --version prints the program's version)",
                                         first, kProgramName));
    return std::nullopt;
}

}  // namespace

int RunCommandLine(std::vector<std::string> arguments) {
    CLI::App app{"orvel-updater-cli: brings a product database to the current schema, without the window"};
    app.name("orvel-updater-cli");
    app.require_subcommand(1);
    app.set_help_all_flag("--help-all", "Help for every command");
    app.get_formatter()->label("SUBCOMMAND", "COMMAND");
    app.set_version_flag("--version", fmt::format("{} {}", kProgramName, kProgramVersion), "Print the program's version");

    std::string productsFormat = "table";
    auto* products = app.add_subcommand("products", "List the products with their ids and step counts");
    addFormatOption(*products, productsFormat, {"table", "json"});

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
    addFormatOption(*plan, planOptions.format, {"jsonl", "sql"});
    addCatalogueReadsOption(*plan, planOptions.reads);

    ConnectionOptions snapshotOptions;
    auto* snapshot = app.add_subcommand(
        "snapshot", "Print the tables, views and columns of a database as the catalogue snapshot plan reads; "
                    "sends no statement");
    addConnectionOptions(*snapshot, snapshotOptions, false);

    CatalogueSourceOptions driftOptions;
    std::string driftFormat = "table";
    auto* drift = app.add_subcommand(
        "drift", "List the tables and columns of the product that a database lacks, and the columns whose type, "
                 "length or nullability differ from what the product creates (exit 4 when any)");
    addCatalogueSourceOptions(*drift, driftOptions);
    addFormatOption(*drift, driftFormat, {"table", "json"});
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
    addFormatOption(*check, checkFormat, {"table", "json"});

    ConnectionOptions upgradeOptions;
    std::string logFile, upgradeFormat = "text";
    CatalogueReadsOption upgradeReads;
    auto* upgrade = app.add_subcommand("upgrade", "Upgrade a product database");
    addConnectionOptions(*upgrade, upgradeOptions, true);
    upgrade->add_option("--log", logFile,
                        "Append every statement sent, as JSON lines, to this file; each run begins with a line "
                        "naming it (record, time, product, server and database, options)");
    addFormatOption(*upgrade, upgradeFormat, {"text", "json"});
    addCatalogueReadsOption(*upgrade, upgradeReads);
    UpgradeGuards upgradeGuards;
    addUpgradeGuardOptions(*upgrade, upgradeGuards);

    ConnectionOptions execOptions;
    std::string sql, sqlFile, execFormat = "table";
    auto* exec = app.add_subcommand(
        "exec", "Run one statement text against a product database: each result set as a table with its row "
                "count, and the server's messages");
    addConnectionOptions(*exec, execOptions, false);
    addFormatOption(*exec, execFormat, {"table", "json"});
    auto* sqlOption = exec->add_option("--sql", sql, "The statement text");
    auto* fileOption = exec->add_option("--file", sqlFile, "Read the statement text from this file");
    sqlOption->excludes(fileOption);
    exec->callback([&] {
        if (sqlOption->count() == 0 && fileOption->count() == 0)
            throw CLI::RequiredError("--sql or --file");
    });

    std::size_t recordCount = 20;
    std::string recordId, recordsFormat = "table";
    auto* recordsCommand = app.add_subcommand(
        "records", "List the latest records of runs and query windows (both programs write them)");
    recordsCommand->add_option("--count", recordCount, "How many to list; 0 lists every kept record")
        ->capture_default_str();
    addFormatOption(*recordsCommand, recordsFormat, {"table", "json"});
    auto* recordsShow = recordsCommand->add_subcommand("show", "Print one record as it was written");
    recordsShow->add_option("id", recordId, "The record's id, as `records` lists it")->required();

    for (CLI::App* command : app.get_subcommands([](CLI::App*) { return true; })) {
        command->group("Commands");
        command->footer(CommandHelpFooter(command->get_name()));
        for (CLI::App* sub : command->get_subcommands([](CLI::App*) { return true; })) {
            sub->group("Commands");
            sub->footer(CommandHelpFooter(command->get_name() + " " + sub->get_name()));
        }
    }
    app.footer(ProgramHelpFooter());

    // What comes before any parsing: the usage, the version, a command that
    // does not exist.
    try {
        if (auto answered = answerWithoutParsing(app, arguments)) return *answered;
    } catch (const UsageError& e) {
        return ReportError(e, {});
    }

    const std::string first = arguments.front();  // the parser consumes the arguments
    try {
        std::reverse(arguments.begin(), arguments.end());  // CLI11 takes them last first
        app.parse(arguments);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        // The command's own help tells its options.
        const std::string help = commandNamed(app, first) ? first + " --help" : "--help";
        WriteStderr(ErrorLine({}, fmt::format("{} ({} {} lists the options)", e.what(), kProgramName, help)));
        return kUsage;
    }

    // The ODBC string from wherever it was given, and the product's id as
    // the products table spells it.
    const auto given = [](ConnectionOptions& o) {
        TakeGivenOdbc(o);
        o.product = KnownProduct(o.product);
    };
    Activity activity;
    // ... for a command that connects with it.
    const auto givenToConnect = [&given](ConnectionOptions& o) {
        given(o);
        RefuseChoicesTheOdbcStringCannotServe(o);
    };
    try {
        if (products->parsed()) return commandProducts(productsFormat);
        if (connectionText->parsed()) {
            givenToConnect(textOptions);
            return commandConnectionText(textOptions, odbcString, showPassword, activity);
        }
        if (plan->parsed()) {
            given(planOptions.source.connection);
            if (planOptions.source.isLive()) RefuseChoicesTheOdbcStringCannotServe(planOptions.source.connection);
            return commandPlan(planOptions, activity);
        }
        if (snapshot->parsed()) {
            givenToConnect(snapshotOptions);
            requireProductOrOdbc(snapshotOptions);
            return commandSnapshot(snapshotOptions, activity);
        }
        if (drift->parsed()) {
            given(driftOptions.connection);
            if (driftOptions.isLive()) RefuseChoicesTheOdbcStringCannotServe(driftOptions.connection);
            return commandDrift(driftOptions, driftFormat, activity);
        }
        if (check->parsed()) {
            givenToConnect(checkOptions);
            return commandCheck(checkOptions, checkFormat, activity);
        }
        if (upgrade->parsed()) {
            givenToConnect(upgradeOptions);
            return commandUpgrade(upgradeOptions, logFile, upgradeFormat, upgradeReads, upgradeGuards, activity);
        }
        if (exec->parsed()) {
            givenToConnect(execOptions);
            requireProductOrOdbc(execOptions);
            return commandExec(execOptions, sql, sqlFile, execFormat, activity);
        }
        if (recordsCommand->parsed()) {
            activity.doing = "reading the records";
            const RunRecords records = CommandLineRecords();
            return recordsShow->parsed() ? commandRecordsShow(records, recordId)
                                         : commandRecordsList(records, recordCount, recordsFormat);
        }
    } catch (const std::exception& e) {
        return ReportError(e, activity);
    }
    return kUsage;
}

}  // namespace orvel
