// The insurance office's offer and SMS tables: what their steps send on an
// empty and on an up-to-date database and the tables they leave.
#include <gtest/gtest.h>

#include "CatalogueRun.h"
#include "catalogue/Catalogue.h"

namespace orvel {
namespace {

using namespace test;

TEST(VeloraMessagingTables, OnAnEmptyDatabaseEachTableIsCreatedOnceWithItsListedColumns) {
    const auto steps = VeloraMessagingTableSteps();
    SimulatedRun run;
    const auto outcomes = RunInOrder(steps, run);
    ASSERT_EQ(outcomes.size(), 8u);
    EXPECT_EQ(run.progress.overallGauge().position(), 8);

    for (std::size_t i = 0; i < steps.size(); ++i) {
        const auto& o = outcomes[i];
        EXPECT_EQ(TableCreates(o), 1) << o.step;
        if (!steps[i].ownCreate.empty()) {
            EXPECT_EQ(o.sent.front().sql, steps[i].ownCreate) << o.step;
        }
        EXPECT_EQ(LowerSet(o.columns), ListedColumns(steps[i])) << o.step;
    }

    // The repeated BODY_HURTE_COST entry finds its column: the own create and
    // 45 column statements make 46 columns.
    const auto& offers = OutcomeOf(outcomes, "T_Offers");
    EXPECT_EQ(offers.columns.size(), 46u);
    EXPECT_EQ(offers.sent.size(), 46u);

    // On SQL Server the first column of these tables is their primary key.
    for (const char* step : {"T_Sms_Vote", "T_Sms_Vote_Dt", "T_Auto_Response"})
        EXPECT_NE(OutcomeOf(outcomes, step).sent.front().sql.find("primary key"), std::string::npos) << step;
}

TEST(VeloraMessagingTables, OnAnUpToDateDatabaseOnlyTheWideningAndTheForeignKeyAreSent) {
    const auto steps = VeloraMessagingTableSteps();
    const struct {
        const char* what;
        CatalogueSnapshot start;
    } cases[] = {
        {"as a run left it", UpToDate(steps)},
        {"names in lower case", LowerCased(UpToDate(steps))},
    };
    for (const auto& c : cases) {
        SimulatedRun run(c.start);
        const auto outcomes = RunInOrder(steps, run);
        EXPECT_EQ(StatementCounts(outcomes), (std::map<std::string, int>{{"T_sms_Inbox", 1}, {"T_Sms_Vote_Dt", 2}}))
            << c.what;
        EXPECT_EQ(run.db.catalogue(), c.start) << c.what;
    }
}

}  // namespace
}  // namespace orvel
