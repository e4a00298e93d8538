// The table-step routine: the order of its operations and statements, and
// the bars at the end of a step.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "schema/TableStep.h"

namespace orvel {
namespace {

using test::SimulatedRun;
using Strings = std::vector<std::string>;

TableStep sample() {
    TableStep step;
    step.name = "Sample_I";
    step.table = "Sample";
    step.firstColumn = "ID";
    step.firstType = "integer";
    step.entries = {{"NA", "nvarchar(50)"}, alter("NA", "nvarchar(150)"), {"[TO]", "nvarchar(20)"}};
    step.statements = {
        {StatementPoint::AfterBars, Sender::Command, "after bars"},
        {StatementPoint::BeforeCreate, Sender::Command, "before create"},
        {StatementPoint::AfterEntries, Sender::Query, "update Sample set NA=:p1", {{"p1", "بيمه گذار"}}},
    };
    return step;
}

TEST(RunTableStep, SendsEachStatementAtItsPointOfTheSequence) {
    SimulatedRun run;
    RunTableStep(sample(), run.schema);
    EXPECT_EQ(run.sent(), (Strings{
                              "before create",
                              "create table dbo.Sample( ID  integer)",
                              "ALTER TABLE Sample ADD NA nvarchar(50)",
                              "ALTER TABLE Sample ALTER COLUMN NA nvarchar(150)",
                              "ALTER TABLE Sample ADD [TO] nvarchar(20)",
                              "update Sample set NA=:p1",
                              "after bars",
                          }));
    const auto& query = run.db.statements()[5];
    EXPECT_EQ(query.via, Sender::Query);
    EXPECT_EQ(query.parameters, (Parameters{{"p1", "بيمه گذار"}}));
    EXPECT_EQ(run.schema.CurrentTableName(), "Sample");
}

TEST(RunTableStep, BarsAtTheEndOfAStep) {
    const struct {
        const char* what;
        bool finalAdvance;
        bool lateCount;
        CatalogueSnapshot start;
        int maximum;
        int position;
    } cases[] = {
        // A new table has one column when the gauge is set: full at the first entry.
        {"new table", false, false, {}, 1, 1},
        {"up-to-date table, final advance stops at the maximum", true, false,
         {{{"Sample", {"ID", "NA", "TO"}}}, {}}, 3, 3},
        {"table lacking two columns", false, false, {{{"Sample", {"ID"}}}, {}}, 1, 1},
        {"late count: final count, position 1", true, true, {}, 3, 1},
    };
    for (const auto& c : cases) {
        TableStep step = sample();
        step.statements.clear();
        step.finalTableAdvance = c.finalAdvance;
        step.lateCount = c.lateCount;
        SimulatedRun run(c.start);
        RunTableStep(step, run.schema);
        EXPECT_EQ(run.progress.tableGauge().maximum(), c.maximum) << c.what;
        EXPECT_EQ(run.progress.tableGauge().position(), c.position) << c.what;
        EXPECT_EQ(run.progress.overallGauge().position(), 1) << c.what;
    }
}

TEST(RunTableStep, OwnCreateIsSentOnlyWhenTheTableIsMissingWhateverTheKind) {
    TableStep step;
    step.name = "T_General";
    step.table = "T_General";
    step.firstColumn = "ID";
    step.firstType = "integer";
    step.ownCreate = "create table dbo.T_General (ID integer  NOT NULL IDENTITY (1, 1))";
    step.entries = {{"CG", "integer"}};

    SimulatedRun access({}, DatabaseKind::Access);
    RunTableStep(step, access.schema);
    EXPECT_EQ(access.sent(), (Strings{step.ownCreate, "ALTER TABLE T_General ADD CG integer"}));

    SimulatedRun present({{{"t_general", {"ID", "CG"}}}, {}});
    RunTableStep(step, present.schema);
    EXPECT_TRUE(present.sent().empty());
}

TEST(RunTableStep, AFailingStatementEndsTheStepBeforeTheOverallBarMoves) {
    SimulatedRun run;
    run.db.failStatementsContaining("ALTER COLUMN", "Msg 5074: The object is dependent on column 'NA'.");
    EXPECT_THROW(RunTableStep(sample(), run.schema), DatabaseError);
    EXPECT_EQ(run.sent().back(), "ALTER TABLE Sample ALTER COLUMN NA nvarchar(150)");
    EXPECT_EQ(run.progress.overallGauge().position(), 0);
    EXPECT_EQ(run.progress.fieldName(), "NA");
}

}  // namespace
}  // namespace orvel
