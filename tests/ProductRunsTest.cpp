// Every product's whole run on the simulator, with the program's registry:
// a first run on an empty database, a repeat on what it left, the
// reconnects, and the final state of the bars.
#include <gtest/gtest.h>

#include <algorithm>

#include "TestSupport.h"
#include "products/Products.h"
#include "upgrade/RunDriver.h"
#include "products/StepLists.h"

namespace orvel {
namespace {

struct ProductRun {
    int statements = 0;
    int reconnects = 0;
    CatalogueSnapshot after;
    Gauge overall;
};

ProductRun runProduct(const std::string& product, CatalogueSnapshot start, bool web = false) {
    static const StepRegistry registry = BuildStepRegistry();
    CatalogueSimulator db(std::move(start));
    test::RecordingDisplay display;
    Progress progress(display);
    FixedOptions options;
    options.edit().web = web;
    db.open("connection");
    RunDriver(db, progress, registry, options).RunProduct(product, "connection");
    EXPECT_EQ(display.successMessages.size(), 1u) << product;
    return {static_cast<int>(db.statements().size()), db.closeCount(), db.catalogue(), progress.overallGauge()};
}

// The catalogue in name order: objects a step drops and makes again (the
// server objects, LOGIN, the document kinds) come back at the end of the list.
CatalogueSnapshot sorted(CatalogueSnapshot snapshot) {
    auto byName = [](const CatalogueObject& a, const CatalogueObject& b) { return a.name < b.name; };
    std::sort(snapshot.tables.begin(), snapshot.tables.end(), byName);
    std::sort(snapshot.views.begin(), snapshot.views.end(), byName);
    return snapshot;
}

TEST(ProductRuns, ARepeatedRunChangesNoTableAndSendsOnlyTheEveryRunStatements) {
    const struct {
        const char* product;
        int firstRun;
        int repeatRun;  // the statements every run sends, on an up-to-date database
        int reconnects;
    } cases[] = {
        {"Velora", 715, 98, 6}, {"Tamrix2", 687, 9, 4}, {"Pelsa", 181, 0, 0},
        {"Mornale", 192, 8, 1}, {"Kestin", 109, 4, 1}, {"Zorbex", 207, 0, 2}, {"Brivo", 0, 0, 0},
    };
    for (const auto& c : cases) {
        const ProductRun first = runProduct(c.product, {});
        const ProductRun repeat = runProduct(c.product, first.after);
        EXPECT_EQ(first.statements, c.firstRun) << c.product;
        EXPECT_EQ(repeat.statements, c.repeatRun) << c.product;
        EXPECT_EQ(first.reconnects, c.reconnects) << c.product;
        EXPECT_EQ(sorted(repeat.after).ToJson(), sorted(first.after).ToJson()) << c.product;
    }
}

TEST(ProductRuns, InsuranceOfficeReconnectsOnlyWithWebOffAndFillsTheOverallBar) {
    const ProductRun webOff = runProduct("Velora", {});
    const ProductRun webOn = runProduct("Velora", {}, true);
    EXPECT_EQ(webOff.reconnects, 6);
    EXPECT_EQ(webOn.reconnects, 0);
    // An empty database: the bar's maximum is 0, so it stays at 0 %.
    EXPECT_EQ(webOff.overall.percent(), 0);
    // On the database a run left (52 tables and 6 views) the final setting fills it.
    EXPECT_EQ(runProduct("Velora", webOff.after).overall.percent(), 100);
}

}  // namespace
}  // namespace orvel
