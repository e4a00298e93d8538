// The insurance office's reference, voucher and document-kind tables: what
// their steps send on an empty and on an up-to-date database, the tables
// they leave, and the document kinds refilled on every run.
#include <gtest/gtest.h>

#include "CatalogueRun.h"
#include "products/TableSteps.h"

namespace orvel {
namespace {

using namespace test;
using Strings = std::vector<std::string>;

TEST(VeloraReferenceTables, OnAnEmptyDatabaseEachTableIsCreatedOnceWithItsListedColumns) {
    const auto outcomes = RunOnEmptyAndCheckEveryTable(VeloraReferenceTableSteps());
    ASSERT_EQ(outcomes.size(), 16u);

    // The bar's maximum is the column count right after the create: the own
    // creates make three, one, one and four columns.
    const struct {
        const char* step;
        int gaugeMaximum;
    } gauges[] = {{"P_KAR_OMR", 1}, {"P_TKarmozd", 3}, {"Temp_THesab", 1}, {"P_OTHERS_SMS", 1},
                  {"P_Cash_Users", 4}};
    for (const auto& g : gauges) {
        EXPECT_EQ(OutcomeOf(outcomes, g.step).tableGauge.maximum(), g.gaugeMaximum) << g.step;
        EXPECT_EQ(OutcomeOf(outcomes, g.step).tableGauge.position(), g.gaugeMaximum) << g.step;
    }

    EXPECT_EQ(OutcomeOf(outcomes, "P_KAR_OMR").columns.size(), 35u);
    // The key columns come from the own create, the rest from the entries.
    EXPECT_EQ(OutcomeOf(outcomes, "P_TKarmozd").columns,
              (Strings{"INS_CD", "BZR_CD", "COM_CD", "INS_DSC", "BZR_DSC", "COM_DSC", "PURSANT"}));
    // The own create holds every column: no entry sends anything.
    EXPECT_EQ(OutcomeOf(outcomes, "P_Cash_Users").sent.size(), 1u);
}

TEST(VeloraReferenceTables, OnAnUpToDateDatabaseOnlyTheDocumentKindsAreSent) {
    const auto steps = VeloraReferenceTableSteps();
    auto starts = UpToDateDatabases(steps);
    CatalogueSnapshot withOldKinds = UpToDate(steps);
    for (auto& table : withOldKinds.tables)
        if (table.name == "P_Sanad_Type") table.columns.push_back("OLD_KIND");
    starts.push_back({"document kinds with an older column", withOldKinds});

    for (const auto& start : starts) {
        SimulatedRun run(start.catalogue);
        const auto outcomes = RunInOrder(steps, run);
        EXPECT_EQ(StatementCounts(outcomes), (std::map<std::string, int>{{"P_Sanad_Type", 14}})) << start.what;

        // Dropped, created anew with its two columns, emptied, then codes 1 to 10.
        const auto sent = OutcomeOf(outcomes, "P_Sanad_Type").texts();
        ASSERT_EQ(sent.size(), 14u) << start.what;
        EXPECT_EQ(sent[0].rfind("IF OBJECT_ID('P_Sanad_Type') IS NOT NULL DROP", 0), 0u) << start.what;
        EXPECT_EQ(sent[1], "create table dbo.P_Sanad_Type( Sanad_CD  integer)") << start.what;
        EXPECT_EQ(sent[2], "ALTER TABLE P_Sanad_Type ADD Sanad_DSC nvarchar(150)") << start.what;
        EXPECT_EQ(sent[3], "delete from P_Sanad_Type") << start.what;
        for (int code = 1; code <= 10; ++code)
            EXPECT_EQ(sent[3 + code].rfind("insert into  P_Sanad_Type values (" + std::to_string(code) + " ,'", 0),
                      0u)
                << start.what << " code " << code;
        EXPECT_EQ(OutcomeOf(outcomes, "P_Sanad_Type").columns, (Strings{"Sanad_CD", "Sanad_DSC"})) << start.what;
    }
}

TEST(VeloraReferenceTables, DocumentKindsAreRefilledAfterBothBarsHaveMoved) {
    const auto steps = VeloraReferenceTableSteps();
    const struct {
        const char* failing;
        std::size_t sent;  // drop, create and column statement, then the refill
    } cases[] = {{"delete from P_Sanad_Type", 4}, {"(5 ,", 9}};
    for (const auto& c : cases) {
        SimulatedRun run;
        run.db.failStatementsContaining(c.failing, "String or binary data would be truncated.");
        EXPECT_THROW(RunTableStep(StepNamed(steps, "P_Sanad_Type"), run.schema), DatabaseError) << c.failing;
        EXPECT_EQ(run.progress.overallGauge().position(), 1) << c.failing;
        EXPECT_EQ(run.progress.tableGauge().position(), run.progress.tableGauge().maximum()) << c.failing;
        EXPECT_EQ(run.sent().size(), c.sent) << c.failing;
    }
}

}  // namespace
}  // namespace orvel
