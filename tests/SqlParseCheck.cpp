// The statements of a plan-style run, and their syntax check by sqlfluff.
#include "SqlParseCheck.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include <fmt/format.h>
#include <nlohmann/json.hpp>
#include <sys/wait.h>

#include "TestSupport.h"
#include "upgrade/RunDriver.h"
#include "products/StepLists.h"
#include "products/StepRegistry.h"
#include "schema/CatalogueSimulator.h"
#include "database/NamedParameters.h"
#include "database/StatementLog.h"

namespace orvel::test {

RunStatements RegisteredRunStatements(const std::string& productId) {
    const StepRegistry program = BuildStepRegistry();
    StepRegistry runnable;
    RunStatements result;
    for (const auto& entry : StepListFor(productId)) {
        if (entry.isReconnectPoint()) continue;
        std::string name(entry.step);
        if (const StepOperation* operation = program.find(name)) {
            runnable.add(name, *operation);
        } else {
            result.unregisteredSteps.push_back(name);
            runnable.add(name, [](SchemaOperations&) {});
        }
    }

    CatalogueSimulator simulator;
    LoggingDatabase log(simulator);
    FixedOptions options;
    SilentDisplay display;
    Progress progress(display);
    RunDriver driver(log, progress, runnable, options);
    driver.onStepStarted = [&log](const std::string& step) { log.setCurrentStep(step); };
    const std::string connection = "simulated catalogue";
    log.open(connection);
    driver.RunProduct(productId, connection);

    for (const auto& record : log.records()) {
        // The query object's named parameters reach the server as markers;
        // the parser is shown them as variables.
        std::string sql = record.via == Sender::Query
                              ? ReplaceParameterMarkers(record.sql, [](const std::string& name) { return "@" + name; })
                              : record.sql;
        result.statements.push_back({record.step.value_or(""), std::move(sql)});
    }
    return result;
}

namespace {

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Runs a shell command; its standard output and exit status.
std::pair<std::string, int> runCommand(const std::string& command) {
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) throw std::runtime_error("cannot start: " + command);
    std::string output;
    char buffer[4096];
    for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
    const int status = pclose(pipe);
    return {output, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

}  // namespace

ParseCheckResult CheckTsqlParses(const std::vector<SentStatement>& statements,
                                 const std::vector<AllowedUnparsable>& allowList) {
    ParseCheckResult result;
    std::vector<bool> allowanceUsed(allowList.size(), false);
    if (!statements.empty()) {
        TempDir dir;
        const auto files = dir.path() / "statements";
        std::filesystem::create_directories(files);
        for (std::size_t i = 0; i < statements.size(); ++i) {
            std::string text = statements[i].sql;
            std::replace(text.begin(), text.end(), '\r', '\n');
            std::ofstream(files / fmt::format("{:05}.sql", i), std::ios::binary) << text << '\n';
        }
        // Without this setting sqlfluff skips a file above 20000 bytes and
        // reports it as passing.
        dir.write("sqlfluff.cfg", "[sqlfluff]\nlarge_file_skip_byte_limit = 0\n");
        const auto stderrFile = dir.path() / "stderr.txt";
        const auto [output, status] = runCommand(fmt::format(
            "sqlfluff lint --dialect tsql --templater raw --rules L062 --format json --disable-progress-bar "
            "--config '{}' '{}' 2>'{}'",
            (dir.path() / "sqlfluff.cfg").string(), files.string(), stderrFile.string()));
        const std::string errors = readFile(stderrFile);
        if ((status != 0 && status != 1) || errors.find("Skipping") != std::string::npos)
            throw std::runtime_error(fmt::format("sqlfluff did not lint every statement (exit {}): {}", status, errors));

        nlohmann::json report;
        try {
            report = nlohmann::json::parse(output);
        } catch (const nlohmann::json::exception&) {
            throw std::runtime_error("sqlfluff gave no JSON report: " + output + errors);
        }
        if ((status == 1) == report.empty())
            throw std::runtime_error(fmt::format("sqlfluff exit {} does not match its report: {}", status, output));
        for (const auto& file : report) {
            const auto index = std::stoul(std::filesystem::path(file.at("filepath").get<std::string>()).stem().string());
            const SentStatement& statement = statements.at(index);
            std::string message;
            for (const auto& violation : file.at("violations"))
                message += violation.at("code").get<std::string>() + " " +
                           violation.at("description").get<std::string>() + "\n";
            bool allowed = false;
            for (std::size_t a = 0; a < allowList.size(); ++a) {
                if (allowList[a].step == statement.step &&
                    statement.sql.find(allowList[a].fragment) != std::string::npos) {
                    allowanceUsed[a] = allowed = true;
                }
            }
            if (!allowed) result.failures.push_back({statement.step, statement.sql, message});
        }
    }
    for (std::size_t a = 0; a < allowList.size(); ++a)
        if (!allowanceUsed[a])
            result.unusedAllowances.push_back(std::string(allowList[a].step) + ": " + std::string(allowList[a].fragment));
    return result;
}

const std::vector<AllowedUnparsable>& ProductAllowList() {
    // An entry names a statement the server accepts but sqlfluff 1.4.5's
    // T-SQL dialect cannot parse (EXEC('literal') is such a construct), with
    // the reason.  An entry that no longer matches an unparsable statement
    // fails the check, so the list never hides more than it says.
    static const std::vector<AllowedUnparsable> list{};
    return list;
}

}  // namespace orvel::test
