// Both ways of reading the catalogue against the live server (see
// LiveServer.h): every product's upgrade of an empty database (the
// insurance office's of one of an older version, which its steps need: see
// OlderInsuranceOffice.h), then of the database that left, and then of that database with tables and columns
// taken away, once asking the server at every operation and once reading
// the catalogue once per connection, each way in a database of its own.
// Both ways must send the same statements with the same results (the same
// refusal where the server refuses one), show the same progress and leave
// the same tables and columns.  On the T-SQL engine the runs go through
// EngineAdaptedDatabase, so that the insurance-office run gets past the
// engine's documented differences; the bridges sit below the picture and
// below the run's statement log, the same for both ways.
#include <gtest/gtest.h>

#include "EngineAdaptedDatabase.h"
#include "LiveServer.h"
#include "OlderInsuranceOffice.h"
#include "RecordedRun.h"
#include "schema/CatalogueReader.h"
#include "database/OdbcDatabase.h"
#include "products/serverobjects/ServerObjects.h"

namespace orvel {
namespace {

struct Outcome {
    std::vector<std::string> events;
    CatalogueSnapshot after;
};

Outcome runOn(const test::ScratchDatabase& database, const std::string& product, CatalogueReads reads) {
    OdbcDatabase db;
    test::EngineAdaptedDatabase adapted(db, AllObjectSteps());
    auto events = test::RecordRun(test::LiveServerIsTsqlEngine() ? static_cast<Database&>(adapted) : db,
                                  database.connectionString(), product, {reads});
    if (!db.isOpen()) db.open(database.connectionString());
    return {std::move(events), ReadCatalogueSnapshot(ReadOnlyCatalogue(db))};
}

// Takes away every third table and the last column of every other one,
// where the server lets it (a column a key or index needs stays).
void takeAwayPartOf(const test::ScratchDatabase& database) {
    OdbcDatabase db;
    db.open(database.connectionString());
    const CatalogueSnapshot now = ReadCatalogueSnapshot(ReadOnlyCatalogue(db));
    for (std::size_t i = 0; i < now.tables.size(); ++i) {
        const auto& table = now.tables[i];
        try {
            if (i % 3 == 1)
                db.execute("drop table " + table.name);
            else if (i % 2 == 0 && table.columns.size() > 2)
                db.execute("ALTER TABLE " + table.name + " DROP COLUMN " + table.columns.back());
        } catch (const DatabaseError&) {
            // Kept: the same refusal happens in the other database.
        }
    }
}

class CatalogueReadsLive : public testing::TestWithParam<const char*> {
protected:
    void SetUp() override { ORVEL_SKIP_WITHOUT_LIVE_SERVER(); }
};

TEST_P(CatalogueReadsLive, BothWaysSendTheSameAndLeaveTheSame) {
    const std::string product = GetParam();
    const test::ScratchDatabase everyOperation("orvel_pic_"), once("orvel_pic_");
    if (product == "Velora") {
        for (const auto* database : {&everyOperation, &once}) {
            OdbcDatabase db;
            db.open(database->connectionString());
            for (const char* table : test::kOlderInsuranceOfficeTables) db.execute(table);
        }
    }
    for (const char* start : {"empty", "up to date", "partly upgraded"}) {
        if (std::string_view(start) == "partly upgraded") {
            takeAwayPartOf(everyOperation);
            takeAwayPartOf(once);
        }
        const Outcome asked = runOn(everyOperation, product, CatalogueReads::EveryOperation);
        const Outcome kept = runOn(once, product, CatalogueReads::Once);
        EXPECT_EQ(test::FirstDifference(kept.events, asked.events), "") << product << ", " << start;
        EXPECT_EQ(kept.after, asked.after) << product << ", " << start;
    }
}

INSTANTIATE_TEST_SUITE_P(EveryProduct, CatalogueReadsLive,
                         testing::Values("Velora", "Tamrix2", "Pelsa", "Mornale", "Kestin", "Zorbex", "Brivo"),
                         [](const testing::TestParamInfo<const char*>& info) { return std::string(info.param); });

}  // namespace
}  // namespace orvel
