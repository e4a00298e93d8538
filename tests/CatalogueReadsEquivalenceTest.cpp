// A run that reads the catalogue once and keeps it across its reconnects
// does exactly what a run that asks the database at every operation does:
// every product, from the same starting catalogues, sends the same
// statements in the same order through the same object with the same
// parameters, shows the same labels and bars, ends the same way and leaves
// the same tables and columns.  On ordinary databases the picture never has
// to read again, reconnects included.
#include <gtest/gtest.h>

#include <map>

#include "CatalogueRun.h"
#include "RecordedRun.h"
#include "products/Products.h"
#include "products/StepLists.h"

namespace orvel {
namespace {

// The catalogue a run leaves on an empty database.
CatalogueSnapshot upToDate(const std::string& product) {
    static std::map<std::string, CatalogueSnapshot> made;
    auto it = made.find(product);
    if (it != made.end()) return it->second;
    CatalogueSimulator db;
    test::RecordRun(db, "connection", product, {CatalogueReads::EveryOperation});
    return made[product] = db.catalogue();
}

// Every third table gone, two columns gone from every other one left.
CatalogueSnapshot partlyUpgraded(CatalogueSnapshot catalogue) {
    std::vector<CatalogueObject> kept;
    for (std::size_t i = 0; i < catalogue.tables.size(); ++i) {
        auto table = catalogue.tables[i];
        if (i % 3 == 1) continue;
        if (i % 2 == 0 && table.columns.size() > 2) table.columns.resize(table.columns.size() - 2);
        kept.push_back(std::move(table));
    }
    catalogue.tables = std::move(kept);
    return catalogue;
}

// The first and the last table listed a second time, with other columns:
// the same names in another schema.
CatalogueSnapshot tablesInTwoSchemas(CatalogueSnapshot catalogue) {
    if (catalogue.tables.empty()) return catalogue;
    for (const auto* table : {&catalogue.tables.front(), &catalogue.tables.back()})
        catalogue.tables.push_back({table->name, {table->columns.front(), "OtherSchemaOnly"}});
    return catalogue;
}

// A view of the same name beside a table.
CatalogueSnapshot viewNamedLikeATable(CatalogueSnapshot catalogue) {
    if (catalogue.tables.size() > 1) catalogue.views.push_back({catalogue.tables[1].name, {"ViewOnly"}});
    return catalogue;
}

// A table gone and a view of its name in its place: the run's first add to
// it is refused, both ways at the same statement.
CatalogueSnapshot viewInPlaceOfATable(CatalogueSnapshot catalogue) {
    if (catalogue.tables.size() < 2) return catalogue;
    catalogue.views.push_back({catalogue.tables[1].name, {"ID"}});
    catalogue.tables.erase(catalogue.tables.begin() + 1);
    return catalogue;
}

struct Start {
    const char* what;
    CatalogueSnapshot (*make)(const std::string& product);
    bool ordinary;  // a database on which the picture never reads again
};

const Start kStarts[] = {
    {"empty", [](const std::string&) { return CatalogueSnapshot{}; }, true},
    {"up to date", upToDate, true},
    {"partly upgraded", [](const std::string& p) { return partlyUpgraded(upToDate(p)); }, true},
    {"names in lower case", [](const std::string& p) { return test::LowerCased(upToDate(p)); }, true},
    {"tables in two schemas", [](const std::string& p) { return tablesInTwoSchemas(partlyUpgraded(upToDate(p))); },
     false},
    {"a view named like a table", [](const std::string& p) { return viewNamedLikeATable(upToDate(p)); }, false},
    {"a view in place of a table", [](const std::string& p) { return viewInPlaceOfATable(upToDate(p)); }, false},
};

struct Outcome {
    std::vector<std::string> events;
    CatalogueSnapshot after;
    int catalogueReads;
    int connections;
};

Outcome run(const std::string& product, const CatalogueSnapshot& start, test::RunWay way) {
    CatalogueSimulator db(start);
    auto events = test::RecordRun(db, "connection", product, way);
    return {std::move(events), db.catalogue(), db.catalogueReads(), db.closeCount() + 1};
}

TEST(CatalogueReads, OnceAndEveryOperationRunEveryProductAlikeFromEveryStart) {
    struct Way {
        const char* product;
        bool web;
    };
    std::vector<Way> products;
    for (const auto& p : Products()) products.push_back({p.id.data(), false});
    products.push_back({"Velora", true});

    for (const auto& [product, web] : products) {
        for (const auto& start : kStarts) {
            const std::string what = std::string(product) + (web ? " (Web)" : "") + ", " + start.what;
            const CatalogueSnapshot catalogue = start.make(product);
            const Outcome every = run(product, catalogue, {CatalogueReads::EveryOperation, web});
            const Outcome once = run(product, catalogue, {CatalogueReads::Once, web});
            EXPECT_EQ(test::FirstDifference(once.events, every.events), "") << what;
            EXPECT_EQ(once.after, every.after) << what;
            if (start.ordinary) {
                EXPECT_EQ(once.catalogueReads, 1) << what << ": one reading, kept across " << once.connections - 1
                                                  << " reconnects";
                EXPECT_TRUE(once.events.back().starts_with("success")) << what << ": " << once.events.back();
            }
        }
    }
}

TEST(CatalogueReads, ARunSeesWhatWasDoneOnTheConnectionSinceTheLastRun) {
    // The query window sends on the same connection, past the picture.
    CatalogueSimulator db;
    db.open("connection");
    static const StepRegistry registry = BuildStepRegistry();
    SilentDisplay display;
    Progress progress(display);
    FixedOptions options;
    RunDriver driver(db, progress, registry, options);
    driver.RunProduct("Pelsa", "connection");
    db.execute("drop table TCapability");
    db.clearStatements();
    driver.RunProduct("Pelsa", "connection");
    ASSERT_FALSE(db.statements().empty());
    EXPECT_EQ(db.statements().front().sql.rfind("create table dbo.TCapability", 0), 0u) << db.statements().front().sql;
}

}  // namespace
}  // namespace orvel
