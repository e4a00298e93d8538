// What the live suites that drive orvel-updater-cli against a server share:
// reading the catalogue as `snapshot` lists it, the catalogue `plan`
// predicts, the statements of a `--log` file as `plan` lists them, a run
// started and left going until its log shows so many statements answered,
// and the message of the error the program reported.  (A `--log` file also
// holds a line naming each run, and the lines of its target and safety copy;
// only the statement lines begin {"step":.)
#pragma once

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "CliRunner.h"
#include "LiveServer.h"
#include "schema/CatalogueSnapshot.h"

namespace orvel::test {

// A refusal `check` reports on the T-SQL engine only: the engine lists
// indexes under mangled names (Idx_Uniq_A_GHAVALEH as
// idx_uniq_a_ghavaleha_ghavaleh<hash>), so the insurance office's guarded
// drop of that unique index never runs there, and the index stays under
// the columns the next statements alter, which SQL Server would refuse.
template <class Json>
bool IsEngineMangledIndexRefusal(const Json& refusal) {
    return LiveServerIsTsqlEngine() && refusal["rule"] == "depends-on-column" &&
           refusal["reason"].template get<std::string>().starts_with("idx_uniq_a_ghavaleha_ghavaleh");
}

// The statements of a `--log` file as `plan` lists them: the log adds how
// long each one took, which no plan can predict.
inline std::string WithoutDurations(const std::string& log) {
    static const std::regex duration(R"(,"ms":[-+.0-9eE]+\}$)", std::regex::multiline);
    return std::regex_replace(log, duration, "}");
}

// The last line of a program's output (its error, as the ErrorBox shows it).
inline std::string LastLine(std::string text) {
    while (text.ends_with('\n')) text.pop_back();
    return text.substr(text.rfind('\n') + 1);  // from the start when there is one line
}

// How many lines the file holds now.
inline int LineCount(const std::filesystem::path& file) {
    const std::string text = FileText(file);
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

// The statement lines of a `--log` file, each with its line feed.
inline std::string LoggedStatements(const std::filesystem::path& log) {
    std::string statements;
    for (const auto& line : ReadLines(log))
        if (line.starts_with("{\"step\":")) statements += line + "\n";
    return statements;
}

// How many statements a `--log` file shows answered now.
inline int StatementCount(const std::filesystem::path& log) {
    const std::string statements = LoggedStatements(log);
    return static_cast<int>(std::count(statements.begin(), statements.end(), '\n'));
}

// The catalogue of the live database, read by `snapshot`.
inline CatalogueSnapshot ReadLiveCatalogue(const std::string& odbc) {
    const auto snapshot = RunCli(std::vector<std::string>{"snapshot", "--odbc", odbc});
    EXPECT_EQ(snapshot.exitCode, 0) << snapshot.err;
    return CatalogueSnapshot::FromJson(snapshot.out);
}

// The catalogue a run of `product` on an empty database leaves, as `plan`
// predicts it on the simulator, compared as the server compares names.
inline CatalogueSnapshot PredictedCatalogue(const std::string& product, const TempDir& dir) {
    const auto file = dir.path() / (product + "-predicted.json");
    const auto plan =
        RunCli(std::vector<std::string>{"plan", "--product", product, "--summary", "--catalog-out", file.string()});
    EXPECT_EQ(plan.exitCode, 0) << plan.err;
    return AsServerCompares(CatalogueSnapshot::Load(file));
}

// What the runs made of the database: its catalogue less what it held when
// new, compared as the server compares names.
inline CatalogueSnapshot MadeByTheRuns(const std::string& odbc, const CatalogueSnapshot& newDatabase) {
    return AsServerCompares(WithoutServerObjects(ReadLiveCatalogue(odbc), newDatabase));
}

// orvel-updater-cli started with `arguments`, whose `--log` is `log`, and
// left running until the log shows `statements` answered, the run ends, or
// five minutes pass.
inline std::unique_ptr<CliProcess> StartUntilLogged(const std::vector<std::string>& arguments,
                                                    const std::filesystem::path& log, int statements) {
    auto run = std::make_unique<CliProcess>(arguments);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(5);
    while (StatementCount(log) < statements && run->running() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return run;
}

// The message of the error on standard error `err`: what follows
// "orvel-updater-cli: error: <doing> (<place>): " to the end; empty when
// there is no error line.
inline std::string ErrorMessage(const std::string& err) {
    const auto line = err.find("orvel-updater-cli: error: ");
    if (line == std::string::npos) return {};
    const auto message = err.find("): ", line);
    std::string text = err.substr(message == std::string::npos ? line : message + 3);
    while (text.ends_with('\n')) text.pop_back();
    return text;
}

}  // namespace orvel::test
