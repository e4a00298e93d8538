// Runs catalogue table steps in order on a simulated database and keeps, per
// step, what it sent and the table bar it left: the view the catalogue tests
// check a product's claims against.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "products/TableSteps.h"
#include "schema/TableStep.h"

namespace orvel::test {

// ASCII letters folded to lower case, as the name tests fold them.
inline std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : static_cast<char>(c);
    });
    return text;
}

// The steps of several catalogue files, one file after another.
inline std::vector<TableStep> StepsOf(std::initializer_list<std::vector<TableStep> (*)()> files) {
    std::vector<TableStep> steps;
    for (auto file : files)
        for (auto& step : file()) steps.push_back(std::move(step));
    return steps;
}

// Every table step of the insurance office, in run order.
inline std::vector<TableStep> VeloraTableSteps() {
    return StepsOf({VeloraDocumentTableSteps, VeloraLedgerTableSteps, VeloraReferenceTableSteps,
                    VeloraMessagingTableSteps, VeloraCommissionTableSteps});
}

struct StepOutcome {
    std::string step;
    std::vector<StatementRecord> sent;
    Gauge tableGauge;
    std::vector<std::string> columns;  // the table's columns at the end of the step

    std::vector<std::string> texts() const {
        std::vector<std::string> result;
        for (const auto& s : sent) result.push_back(s.sql);
        return result;
    }
};

inline std::vector<StepOutcome> RunInOrder(const std::vector<TableStep>& steps, SimulatedRun& run) {
    std::vector<StepOutcome> outcomes;
    for (const auto& step : steps) {
        const auto before = run.db.statements().size();
        RunTableStep(step, run.schema);
        StepOutcome outcome{step.name, {}, run.progress.tableGauge(), run.db.columnNames(step.table)};
        outcome.sent.assign(run.db.statements().begin() + static_cast<std::ptrdiff_t>(before),
                            run.db.statements().end());
        outcomes.push_back(std::move(outcome));
    }
    return outcomes;
}

// The database the steps leave behind when run on an empty one.
inline CatalogueSnapshot UpToDate(const std::vector<TableStep>& steps) {
    SimulatedRun run;
    RunInOrder(steps, run);
    return run.db.catalogue();
}

// The same database with every table and column name in lower case.
inline CatalogueSnapshot LowerCased(CatalogueSnapshot snapshot) {
    for (auto& table : snapshot.tables) {
        table.name = Lower(table.name);
        for (auto& column : table.columns) column = Lower(column);
    }
    return snapshot;
}

// Steps that sent anything, with the number of statements each sent.
inline std::map<std::string, int> StatementCounts(const std::vector<StepOutcome>& outcomes) {
    std::map<std::string, int> counts;
    for (const auto& o : outcomes)
        if (!o.sent.empty()) counts[o.step] = static_cast<int>(o.sent.size());
    return counts;
}

inline const StepOutcome& OutcomeOf(const std::vector<StepOutcome>& outcomes, const std::string& step) {
    for (const auto& o : outcomes)
        if (o.step == step) return o;
    throw std::out_of_range("no step " + step);
}

inline const TableStep& StepNamed(const std::vector<TableStep>& steps, const std::string& name) {
    for (const auto& s : steps)
        if (s.name == name) return s;
    throw std::out_of_range("no step " + name);
}

// Statements that create a table, guarded or not, in any letter case.
inline int TableCreates(const StepOutcome& outcome) {
    int creates = 0;
    for (const auto& s : outcome.sent)
        if (Lower(s.sql).find("create table") != std::string::npos) ++creates;
    return creates;
}

// The columns a table created from nothing ends with: the first column and
// every entry, each once, in lower case.
inline std::set<std::string> ListedColumns(const TableStep& step) {
    std::set<std::string> columns{Lower(step.firstColumn)};
    for (const auto& entry : step.entries) columns.insert(Lower(ColumnTestName(entry.column)));
    return columns;
}

inline std::set<std::string> LowerSet(const std::vector<std::string>& names) {
    std::set<std::string> result;
    for (const auto& n : names) result.insert(Lower(n));
    return result;
}

// Runs the steps on an empty database and checks what every table step
// promises there: one bar advance per step, each table created once (by the
// step's own create, sent first, when it has one) and ending with exactly its
// listed columns.
inline std::vector<StepOutcome> RunOnEmptyAndCheckEveryTable(const std::vector<TableStep>& steps) {
    SimulatedRun run;
    auto outcomes = RunInOrder(steps, run);
    EXPECT_EQ(run.progress.overallGauge().position(), static_cast<int>(steps.size()));
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const auto& o = outcomes[i];
        EXPECT_EQ(TableCreates(o), 1) << o.step;
        if (!steps[i].ownCreate.empty()) {
            EXPECT_EQ(o.sent.front().sql, steps[i].ownCreate) << o.step;
        }
        EXPECT_EQ(LowerSet(o.columns), ListedColumns(steps[i])) << o.step;
    }
    return outcomes;
}

struct StartingDatabase {
    std::string what;
    CatalogueSnapshot catalogue;
};

// Databases that already hold every table of the steps with all its columns:
// as a run left them, and with every name in lower case.
inline std::vector<StartingDatabase> UpToDateDatabases(const std::vector<TableStep>& steps) {
    return {{"as a run left it", UpToDate(steps)}, {"names in lower case", LowerCased(UpToDate(steps))}};
}

// On every up-to-date database only the given steps send, this many
// statements each, and the tables and columns stay as they were.
inline void ExpectOnUpToDateDatabases(const std::vector<TableStep>& steps, const std::map<std::string, int>& counts) {
    for (const auto& start : UpToDateDatabases(steps)) {
        SimulatedRun run(start.catalogue);
        EXPECT_EQ(StatementCounts(RunInOrder(steps, run)), counts) << start.what;
        EXPECT_EQ(run.db.catalogue(), start.catalogue) << start.what;
    }
}

}  // namespace orvel::test
