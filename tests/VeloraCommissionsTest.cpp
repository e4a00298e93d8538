// The insurance office's commission, advantage, insured-person and credit
// tables: what their steps send on an empty and on an up-to-date database,
// the late-count bars, the statements sent after both bars, and the seeding
// of the expense groups.
#include <gtest/gtest.h>

#include <set>

#include "CatalogueRun.h"
#include "products/TableSteps.h"

namespace orvel {
namespace {

using namespace test;
using Strings = std::vector<std::string>;

const std::set<std::string> kLateCountSteps{"T_Advantage_Formulas", "T_Advantages", "T_Insured", "T_Credit_Cash",
                                            "T_Credit_Cash_History"};

// The columns the step's "ALTER TABLE <table> ADD <column> ..." statements added.
Strings addedColumns(const StepOutcome& outcome, const std::string& table) {
    Strings columns;
    const std::string prefix = "ALTER TABLE " + table + " ADD ";
    for (const auto& text : outcome.texts()) {
        if (text.rfind(prefix, 0) != 0) continue;
        const auto end = text.find(' ', prefix.size());
        columns.push_back(text.substr(prefix.size(), end - prefix.size()));
    }
    return columns;
}

TEST(VeloraCommissionTables, OnAnEmptyDatabaseEachTableIsCreatedOnceWithItsListedColumns) {
    const auto outcomes = RunOnEmptyAndCheckEveryTable(VeloraCommissionTableSteps());
    ASSERT_EQ(outcomes.size(), 10u);

    // The server makes the formulas table through the guarded create, the
    // first statement of the step; the entries add the five other columns.
    const auto& formulas = OutcomeOf(outcomes, "T_Advantage_Formulas");
    EXPECT_EQ(formulas.sent.front().sql.rfind("IF OBJECT_ID('T_Advantage_Formulas') IS  NULL Create table", 0), 0u);
    EXPECT_EQ(addedColumns(formulas, "T_Advantage_Formulas"),
              (Strings{"NTH", "NB", "Amount", "Amount_Type", "Calc_Base"}));
}

TEST(VeloraCommissionTables, OnAnUpToDateDatabaseOnlyTheRebuildsAndTheSeedingAreSent) {
    ExpectOnUpToDateDatabases(VeloraCommissionTableSteps(), {{"T_Advantage_Formulas", 1},
                                                            {"P_TBimeh_Wage_DT", 6},
                                                            {"T_Advantages", 2},
                                                            {"T_Credit_Cash", 2},
                                                            {"T_Credit_Cash_History", 2},
                                                            {"P_TGHAZINEH", 1}});
}

TEST(VeloraCommissionTables, LateCountStepsEndWithTheFinalColumnCountAtPositionOne) {
    const auto steps = VeloraCommissionTableSteps();
    const CatalogueSnapshot full = UpToDate(steps);
    CatalogueSnapshot firstColumnsOnly = full;
    for (auto& table : firstColumnsOnly.tables) table.columns.resize(1);

    const struct {
        const char* what;
        CatalogueSnapshot start;
        bool columnsMissing;
    } cases[] = {{"empty database", {}, true}, {"tables with their first column", firstColumnsOnly, true},
                 {"up-to-date database", full, false}};
    for (const auto& c : cases) {
        SimulatedRun run(c.start);
        for (const auto& o : RunInOrder(steps, run)) {
            const int final = static_cast<int>(o.columns.size());
            if (kLateCountSteps.count(o.step)) {
                EXPECT_EQ(o.tableGauge.maximum(), final) << c.what << ": " << o.step;
                EXPECT_EQ(o.tableGauge.position(), 1) << c.what << ": " << o.step;
            } else {
                // Counted before the entries: a full bar either way.
                EXPECT_EQ(o.tableGauge.maximum(), c.columnsMissing ? 1 : final) << c.what << ": " << o.step;
                EXPECT_EQ(o.tableGauge.position(), o.tableGauge.maximum()) << c.what << ": " << o.step;
            }
        }
    }
}

TEST(VeloraCommissionTables, RebuildStatementsRunBeforeOrAfterTheOverallBarAsTheStepSays) {
    const auto steps = VeloraCommissionTableSteps();
    const struct {
        const char* step;
        const char* failing;
        int overallPosition;
    } cases[] = {
        {"P_TBimeh_Wage_DT", "add constraint PK_TBimeh_Wage_DT", 0},
        {"T_Advantages", "add constraint FK_Adv_Formula_ID", 0},
        {"T_Credit_Cash", "CREATE UNIQUE NONCLUSTERED INDEX", 1},
        {"T_Credit_Cash_History", "ADD CONSTRAINT FK_T_Credit_Cash", 1},
    };
    for (const auto& c : cases) {
        SimulatedRun run(UpToDate(steps));
        run.db.failStatementsContaining(c.failing, "rejected");
        EXPECT_THROW(RunTableStep(StepNamed(steps, c.step), run.schema), DatabaseError) << c.step;
        EXPECT_EQ(run.progress.overallGauge().position(), c.overallPosition) << c.step;
        EXPECT_NE(run.sent().back().find(c.failing), std::string::npos) << c.step;
    }
}

// The number of values of each "values(...)" list of a statement, string
// literals and nested parentheses taken into account.
std::vector<int> valueCounts(const std::string& sql) {
    std::vector<int> counts;
    for (auto at = sql.find("values("); at != std::string::npos; at = sql.find("values(", at + 1)) {
        int depth = 0, values = 1;
        bool quoted = false;
        for (auto i = at + 6; i < sql.size(); ++i) {
            const char ch = sql[i];
            if (ch == '\'') quoted = !quoted;
            if (quoted) continue;
            if (ch == '(') ++depth;
            if (ch == ')' && --depth == 0) break;
            if (ch == ',' && depth == 1) ++values;
        }
        counts.push_back(values);
    }
    return counts;
}

TEST(VeloraCommissionTables, ExpenseGroupsSeedFillsEveryColumnOfTheNewTable) {
    const auto steps = VeloraCommissionTableSteps();
    SimulatedRun run;
    const auto outcomes = RunInOrder(steps, run);
    const auto& groups = OutcomeOf(outcomes, "P_TGHAZINEH");
    // Sent last, once the listed columns are there; the inserts name no
    // columns, so each must give one value per column.
    const auto sent = groups.texts();
    ASSERT_EQ(sent.size(), 4u);
    EXPECT_EQ(addedColumns(groups, "P_TGHAZINEH"), (Strings{"NGH", "SHARH"}));
    EXPECT_EQ(sent.back().rfind("if not exists (select * from P_TGHAZINEH )", 0), 0u);
    EXPECT_EQ(valueCounts(sent.back()), (std::vector<int>{3, 3}));
    EXPECT_EQ(groups.columns.size(), 3u);
}

}  // namespace
}  // namespace orvel
