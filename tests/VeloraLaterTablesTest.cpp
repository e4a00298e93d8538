// The insurance office's reference, SMS, commission and credit tables taken
// together: they stand in the run list in their order, the Access kind still
// sends their T-SQL statements and the texts sent carry the product's
// letters; and every table step of the product, run twice on a server that
// guards its keys and indexes, completes both times and keeps them.
#include <gtest/gtest.h>

#include "CatalogueRun.h"
#include "KeyedDatabase.h"
#include "products/StepLists.h"
#include "products/TableSteps.h"

namespace orvel {
namespace {

using namespace test;
using Strings = std::vector<std::string>;

std::vector<TableStep> laterTableSteps() {
    return StepsOf({VeloraReferenceTableSteps, VeloraMessagingTableSteps, VeloraCommissionTableSteps});
}

TEST(VeloraLaterTables, StandInTheRunListInTheirOrderFromPosition19To66) {
    std::vector<std::string_view> listed;
    for (const auto& entry : StepListFor("Velora"))
        if (!entry.isReconnectPoint()) listed.push_back(entry.step);
    std::vector<int> positions;
    for (const auto& step : laterTableSteps()) {
        const auto at = std::find(listed.begin(), listed.end(), step.name);
        ASSERT_NE(at, listed.end()) << step.name;
        positions.push_back(static_cast<int>(at - listed.begin()) + 1);
    }
    EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end()));
    EXPECT_EQ(positions.front(), 19);
    EXPECT_EQ(positions.back(), 66);
}

// The document kinds' table is dropped and made anew on every run, so it
// moves to the end of the table list: tables are compared by name.
CatalogueSnapshot TablesByName(CatalogueSnapshot snapshot) {
    std::sort(snapshot.tables.begin(), snapshot.tables.end(),
              [](const auto& a, const auto& b) { return a.name < b.name; });
    return snapshot;
}

TEST(VeloraTables, EveryTableStepRunsTwiceOnAKeyedServerAndKeepsItsKeysAndIndexes) {
    const auto steps = VeloraTableSteps();
    ASSERT_EQ(steps.size(), 52u);
    KeyedRun run;
    ASSERT_EQ(run.runSteps(steps), "") << "first run";
    const auto keys = run.keyed.keysAndIndexes();
    const auto tables = TablesByName(run.db.catalogue());

    ASSERT_EQ(run.runSteps(steps), "") << "second run";
    EXPECT_EQ(run.keyed.keysAndIndexes(), keys);
    EXPECT_EQ(TablesByName(run.db.catalogue()), tables);

    // The keys and index that the key-column statements drop and make
    // again, or make once, stand on their columns.
    const struct {
        const char* name;
        Strings columns;
    } rebuilt[] = {
        {"pk_a_fasq", {"sh_b", "sh_id"}},       {"pk_a_ghavaleh", {"id"}},
        {"idx_uniq_a_ghavaleh", {"sh_r", "ca"}}, {"pk_a_gmsanduq", {"sh_r", "ca"}},
        {"pk__sudur", {"sh_b"}},                 {"pk_tbimeh_wage_dt", {"ins_com_cd", "cb", "wage_year"}},
    };
    for (const auto& r : rebuilt) {
        const auto key = std::find_if(keys.begin(), keys.end(), [&](const auto& k) { return k.name == r.name; });
        ASSERT_NE(key, keys.end()) << r.name;
        EXPECT_EQ(key->columns, r.columns) << r.name;
    }
}

TEST(VeloraLaterTables, AccessStillSendsTheTSqlStatements) {
    const auto steps = laterTableSteps();
    const CatalogueSnapshot upToDate = UpToDate(steps);

    SimulatedRun sqlServer(upToDate);
    RunInOrder(steps, sqlServer);
    SimulatedRun access(upToDate, DatabaseKind::Access);
    RunInOrder(steps, access);
    // Only the create of the document kinds' table differs: Access gets it
    // without a column list.
    Strings expected = sqlServer.sent();
    std::replace(expected.begin(), expected.end(), std::string("create table dbo.P_Sanad_Type( Sanad_CD  integer)"),
                 std::string("create table dbo.P_Sanad_Type"));
    EXPECT_EQ(access.sent(), expected);

    // An Access database rejects the first of them, the document kinds' drop,
    // and the run ends there with its message.
    SimulatedRun rejecting(upToDate, DatabaseKind::Access);
    const std::string message =
        "Invalid SQL statement; expected 'DELETE', 'INSERT', 'PROCEDURE', 'SELECT', or 'UPDATE'.";
    rejecting.db.failStatementsContaining("IF OBJECT_ID", message);
    try {
        RunInOrder(steps, rejecting);
        FAIL() << "the run went on";
    } catch (const DatabaseError& e) {
        EXPECT_EQ(std::string(e.what()), message);
    }
    EXPECT_EQ(rejecting.sent(), Strings{sqlServer.sent().front()});
    EXPECT_EQ(rejecting.progress.overallGauge().position(), 15);
}

TEST(VeloraLaterTables, TextsSentCarryTheProductsLettersThroughTheCommandObject) {
    const auto steps = laterTableSteps();
    for (const auto& start : {CatalogueSnapshot{}, UpToDate(steps)}) {
        SimulatedRun run(start);
        RunInOrder(steps, run);
        for (const auto& s : run.db.statements()) {
            EXPECT_EQ(s.via, Sender::Command) << s.sql;
            EXPECT_EQ(s.sql.find("\xDB\x8C"), std::string::npos) << "FARSI YEH in " << s.sql;
            EXPECT_EQ(s.sql.find("\xD9\x83"), std::string::npos) << "ARABIC KAF in " << s.sql;
            EXPECT_EQ(s.sql.find("N'"), std::string::npos) << s.sql;
            EXPECT_EQ(s.sql.find('\n'), std::string::npos) << s.sql;
        }
    }
}

}  // namespace
}  // namespace orvel
