// Counting planned statements by the step data they come from.
#include "cli/PlanSummary.h"

#include <algorithm>
#include <cctype>
#include <map>

#include <fmt/format.h>

#include "products/TableSteps.h"
#include "products/serverobjects/ServerObjects.h"

namespace orvel {

namespace {

std::string lowered(const std::string& text) {
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return result;
}

bool isFurtherStatement(const TableStep& step, const std::string& sql) {
    return std::any_of(step.statements.begin(), step.statements.end(),
                       [&sql](const FurtherStatement& statement) { return statement.text == sql; });
}

// A statement of a schema operation, by the shape SchemaOperations gives it.
void countSchemaOperation(const std::string& sql, PlanSummary& summary) {
    if (sql.starts_with("create table "))
        ++summary.tablesCreated;
    else if (sql.starts_with("drop table "))
        ++summary.tablesDropped;
    else if (sql.find(" ALTER COLUMN ") != std::string::npos)
        ++summary.columnsAltered;
    else
        ++summary.columnsAdded;
}

}  // namespace

PlanSummary Summarize(const std::vector<StatementRecord>& records) {
    std::map<std::string, TableStep, std::less<>> tableSteps;
    for (auto& step : AllTableSteps()) tableSteps.emplace(step.name, std::move(step));
    std::map<std::string, ObjectStep, std::less<>> objectSteps;
    for (auto& step : AllObjectSteps()) objectSteps.emplace(step.name, std::move(step));

    PlanSummary summary;
    const std::optional<std::string>* previousStep = nullptr;
    for (const auto& record : records) {
        ++summary.statements;
        const std::string step = record.step.value_or("");
        if (objectSteps.contains(step)) {
            if (!previousStep || *previousStep != record.step) ++summary.objectSteps;
            ++summary.objectStatements;
        } else if (const auto table = tableSteps.find(step); table != tableSteps.end()) {
            if (record.sql == table->second.ownCreate) {
                ++summary.tablesCreated;
            } else if (isFurtherStatement(table->second, record.sql)) {
                ++summary.everyRun;
                if (lowered(record.sql).find("alter column") != std::string::npos) {
                    ++summary.columnsAltered;
                    ++summary.columnsAlteredEveryRun;
                }
            } else {
                countSchemaOperation(record.sql, summary);
            }
        } else {
            // Before the first step: the run driver's own drop.
            countSchemaOperation(record.sql, summary);
        }
        previousStep = &record.step;
    }
    return summary;
}

std::string FormatSummary(const std::string& product, int steps, const PlanSummary& summary) {
    return fmt::format(
        "{}: {} steps, {} statements\n"
        "  tables created     {:>6}\n"
        "  tables dropped     {:>6}\n"
        "  columns added      {:>6}\n"
        "  columns altered    {:>6}  ({} of them by statements sent on every run)\n"
        "  sent on every run  {:>6}  (further statements of the table steps: types, keys, indexes, data)\n"
        "  object steps       {:>6}  ({} statements: each object dropped and created again)\n",
        product, steps, summary.statements, summary.tablesCreated, summary.tablesDropped, summary.columnsAdded,
        summary.columnsAltered, summary.columnsAlteredEveryRun, summary.everyRun, summary.objectSteps,
        summary.objectStatements);
}

}  // namespace orvel
