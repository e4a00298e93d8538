// The insurance office's offer and SMS tables: what their steps send on an
// empty and on an up-to-date database and the tables they leave.
#include <gtest/gtest.h>

#include "CatalogueRun.h"
#include "products/TableSteps.h"

namespace orvel {
namespace {

using namespace test;

TEST(VeloraMessagingTables, OnAnEmptyDatabaseEachTableIsCreatedOnceWithItsListedColumns) {
    const auto outcomes = RunOnEmptyAndCheckEveryTable(VeloraMessagingTableSteps());
    ASSERT_EQ(outcomes.size(), 8u);

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
    ExpectOnUpToDateDatabases(VeloraMessagingTableSteps(), {{"T_sms_Inbox", 1}, {"T_Sms_Vote_Dt", 2}});
}

}  // namespace
}  // namespace orvel
