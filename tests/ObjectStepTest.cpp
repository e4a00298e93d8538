// The installation routine of every object step: statement order and
// batches, gauge effects, a failing create, and the text form of SqlLines.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "schema/ObjectStep.h"

namespace orvel {
namespace {

using Strings = std::vector<std::string>;

ObjectStep viewStep(GaugeEffect effect) {
    return {"V_X",
            {"IF OBJECT_ID('DBO.V_OLD') IS NOT NULL DROP view DBO.V_OLD",
             "IF OBJECT_ID('DBO.V_X') IS NOT NULL DROP view DBO.V_X"},
            "CREATE view dbo.V_X\r(A)\rAS\rSELECT 1",
            effect};
}

TEST(ObjectStep, SendsItsDropsInOrderThenTheCreateEachAsAStatementOfItsOwn) {
    test::SimulatedRun run({{}, {{"V_OLD", {"A"}}, {"V_X", {"B"}}}});
    const ObjectStep step = viewStep(GaugeEffect::None);
    RunObjectStep(step, run.schema);
    EXPECT_EQ(run.sent(), (Strings{step.drops[0], step.drops[1], step.create}));
    for (const auto& statement : run.db.statements()) EXPECT_EQ(statement.via, Sender::Command);
    ASSERT_EQ(run.db.catalogue().views.size(), 1u);
    EXPECT_EQ(run.db.catalogue().views[0].columns, Strings{"A"});
    EXPECT_TRUE(run.display.tableNames.empty());
    EXPECT_TRUE(run.display.fieldNames.empty());
}

TEST(ObjectStep, MovesTheBarsByItsGaugeEffect) {
    const struct {
        GaugeEffect effect;
        int tableMaximumBefore, tablePositionBefore;
        int tableMaximum, tablePosition, overallPosition;
    } cases[] = {
        {GaugeEffect::None, 20, 7, 20, 7, 3},
        {GaugeEffect::PlusOne, 20, 7, 20, 8, 4},
        {GaugeEffect::PlusOne, 20, 20, 20, 20, 4},
        {GaugeEffect::TenUnit, 20, 7, 10, 10, 4},
        {GaugeEffect::TenUnit, 0, 0, 10, 10, 4},
    };
    for (const auto& c : cases) {
        test::SimulatedRun run;
        run.progress.resetTableGauge(c.tableMaximumBefore);
        run.progress.advanceTableGauge(c.tablePositionBefore);
        run.progress.resetOverallGauge(50);
        run.progress.advanceOverallGauge(3);
        const auto tableEvents = run.display.tableGauges.size();
        const auto overallEvents = run.display.overallGauges.size();

        RunObjectStep(viewStep(c.effect), run.schema);

        const auto& table = run.progress.tableGauge();
        EXPECT_EQ(table.maximum(), c.tableMaximum) << static_cast<int>(c.effect);
        EXPECT_EQ(table.position(), c.tablePosition) << static_cast<int>(c.effect);
        EXPECT_EQ(run.progress.overallGauge().position(), c.overallPosition) << static_cast<int>(c.effect);
        if (c.effect == GaugeEffect::None) {
            EXPECT_EQ(run.display.tableGauges.size(), tableEvents);
            EXPECT_EQ(run.display.overallGauges.size(), overallEvents);
        }
    }
}

TEST(ObjectStep, AFailingCreateLeavesItsDropAppliedAndTheBarsAtTheirOpening) {
    test::SimulatedRun run({{}, {{"V_X", {"B"}}}});
    run.progress.resetTableGauge(30);
    run.progress.advanceTableGauge(30);
    run.db.failStatementsContaining("CREATE view", "Invalid object name 'dbo.Fn_Miladi2shamsi'.");

    EXPECT_THROW(RunObjectStep(viewStep(GaugeEffect::TenUnit), run.schema), DatabaseError);

    EXPECT_TRUE(run.db.catalogue().views.empty());
    EXPECT_EQ(run.progress.tableGauge().maximum(), 10);
    EXPECT_EQ(run.progress.tableGauge().position(), 0);
    EXPECT_EQ(run.progress.overallGauge().position(), 0);
}

TEST(SqlLines, JoinsTheLinesOfARawStringWithLoneCarriageReturns) {
    const struct {
        const char* raw;
        const char* sent;
    } cases[] = {
        {"\nCREATE VIEW V\nAS\nSELECT 1\n", "CREATE VIEW V\rAS\rSELECT 1"},
        {"SELECT 1 -- note\nFROM T", "SELECT 1 -- note\rFROM T"},
        {"\n\nA\n\n", "\rA\r"},
        {"A", "A"},
        {"\n", ""},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(SqlLines(c.raw), c.sent) << c.raw;
}

}  // namespace
}  // namespace orvel
