// The insurance office's reference, voucher and document-kind tables: what
// their steps send on an empty and on an up-to-date database, the tables
// they leave, and the document kinds refilled on every run.
#include <gtest/gtest.h>

#include "CatalogueRun.h"
#include "catalogue/Catalogue.h"

namespace orvel {
namespace {

using namespace test;
using Strings = std::vector<std::string>;

TEST(VeloraReferenceTables, OnAnEmptyDatabaseEachTableIsCreatedOnceWithItsListedColumns) {
    const auto steps = VeloraReferenceTableSteps();
    SimulatedRun run;
    const auto outcomes = RunInOrder(steps, run);
    ASSERT_EQ(outcomes.size(), 16u);
    EXPECT_EQ(run.progress.overallGauge().position(), 16);

    for (std::size_t i = 0; i < steps.size(); ++i) {
        const auto& o = outcomes[i];
        EXPECT_EQ(TableCreates(o), 1) << o.step;
        if (!steps[i].ownCreate.empty()) {
            EXPECT_EQ(o.sent.front().sql, steps[i].ownCreate) << o.step;
        }
        EXPECT_EQ(LowerSet(o.columns), ListedColumns(steps[i])) << o.step;
    }

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
    CatalogueSnapshot withOldKinds = UpToDate(steps);
    for (auto& table : withOldKinds.tables)
        if (table.name == "P_Sanad_Type") table.columns.push_back("OLD_KIND");

    const struct {
        const char* what;
        CatalogueSnapshot start;
    } cases[] = {
        {"as a run left it", UpToDate(steps)},
        {"names in lower case", LowerCased(UpToDate(steps))},
        {"document kinds with an older column", withOldKinds},
    };
    for (const auto& c : cases) {
        SimulatedRun run(c.start);
        const auto outcomes = RunInOrder(steps, run);
        EXPECT_EQ(StatementCounts(outcomes), (std::map<std::string, int>{{"P_Sanad_Type", 14}})) << c.what;

        // Dropped, created anew with its two columns, emptied, then codes 1 to 10.
        const auto sent = OutcomeOf(outcomes, "P_Sanad_Type").texts();
        ASSERT_EQ(sent.size(), 14u) << c.what;
        EXPECT_EQ(sent[0].rfind("IF OBJECT_ID('P_Sanad_Type') IS NOT NULL DROP", 0), 0u) << c.what;
        EXPECT_EQ(sent[1], "create table dbo.P_Sanad_Type( Sanad_CD  integer)") << c.what;
        EXPECT_EQ(sent[2], "ALTER TABLE P_Sanad_Type ADD Sanad_DSC nvarchar(150)") << c.what;
        EXPECT_EQ(sent[3], "delete from P_Sanad_Type") << c.what;
        for (int code = 1; code <= 10; ++code)
            EXPECT_EQ(sent[3 + code].rfind("insert into  P_Sanad_Type values (" + std::to_string(code) + " ,'", 0),
                      0u)
                << c.what << " code " << code;
        EXPECT_EQ(OutcomeOf(outcomes, "P_Sanad_Type").columns, (Strings{"Sanad_CD", "Sanad_DSC"})) << c.what;
    }
}

TEST(VeloraReferenceTables, DocumentKindsAreRefilledAfterBothBarsHaveMoved) {
    const auto steps = VeloraReferenceTableSteps();
    const TableStep& kinds = StepNamed(steps, "P_Sanad_Type");
    SimulatedRun run;
    run.db.failStatementsContaining("(5 ,", "String or binary data would be truncated.");
    EXPECT_THROW(RunTableStep(kinds, run.schema), DatabaseError);
    EXPECT_EQ(run.progress.overallGauge().position(), 1);
    EXPECT_EQ(run.progress.tableGauge().position(), run.progress.tableGauge().maximum());
    EXPECT_EQ(run.sent().size(), 9u);  // drop, create, column, delete, inserts 1 to 5
}

}  // namespace
}  // namespace orvel
