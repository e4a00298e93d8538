// The run driver with a registry of fake steps: order, reconnect points,
// the LOGIN drop, the final bar, success, failure and missing steps.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "upgrade/Messages.h"
#include "upgrade/RunDriver.h"
#include "products/StepLists.h"

namespace orvel {
namespace {

using Strings = std::vector<std::string>;

CatalogueSnapshot tables(int count) {
    CatalogueSnapshot snapshot;
    for (int i = 0; i < count; ++i) snapshot.tables.push_back({"T" + std::to_string(i), {"ID"}});
    return snapshot;
}

struct DriverFixture {
    explicit DriverFixture(CatalogueSnapshot start = {}) : db(std::move(start)), progress(display) {}

    // Registers a fake for every step of `product`: it records its name, the
    // reconnects seen so far, and advances the overall bar.
    void registerFakes(const std::string& product, const std::string& failing = {}) {
        for (const auto& entry : StepListFor(product)) {
            if (entry.isReconnectPoint()) continue;
            const std::string name(entry.step);
            registry.add(name, [this, name, failing](SchemaOperations& schema) {
                if (beforeStep) beforeStep(name);
                ran.push_back(name);
                reconnectsSeen.push_back(db.closeCount());
                if (name == failing) throw DatabaseError("SimulatedDatabaseError", "step failed");
                schema.progress().advanceOverallGauge();
            });
        }
    }

    void run(const std::string& product) {
        db.open("connection");
        RunDriver driver(db, progress, registry, options);
        driver.RunProduct(product, "connection");
    }

    // Positions (1-based) after which a reconnect happened.
    std::vector<int> reconnectPositions() const {
        std::vector<int> positions;
        for (std::size_t i = 1; i < reconnectsSeen.size(); ++i)
            if (reconnectsSeen[i] != reconnectsSeen[i - 1]) positions.push_back(static_cast<int>(i));
        return positions;
    }

    CatalogueSimulator db;
    FixedOptions options;
    test::RecordingDisplay display;
    Progress progress;
    StepRegistry registry;
    Strings ran;
    std::vector<int> reconnectsSeen;
    std::function<void(const std::string&)> beforeStep;
};

Strings namesOf(const std::string& product) {
    Strings names;
    for (const auto& entry : StepListFor(product))
        if (!entry.isReconnectPoint()) names.emplace_back(entry.step);
    return names;
}

TEST(StepLists, HoldTheStepCountsOfEachProduct) {
    const struct {
        const char* product;
        int steps;
    } cases[] = {{"Velora", 69}, {"Tamrix2", 49}, {"Pelsa", 8}, {"Brivo", 0},
                 {"Mornale", 13}, {"Kestin", 10}, {"Zorbex", 19}, {"velora", 0}};
    for (const auto& c : cases) EXPECT_EQ(StepCount(c.product), c.steps) << c.product;
}

TEST(RunDriver, RunsTheStepsInListOrderAndReportsSuccess) {
    DriverFixture f(tables(3));
    f.registerFakes("Pelsa");
    f.run("Pelsa");
    EXPECT_EQ(f.ran, namesOf("Pelsa"));
    EXPECT_EQ(f.progress.overallGauge().maximum(), 3);
    EXPECT_EQ(f.display.focusMoves, 1);
    EXPECT_EQ(f.display.successMessages, Strings{std::string(kRunSucceededMessage)});
    EXPECT_EQ(f.db.closeCount(), 0);
}

TEST(RunDriver, ReconnectPointsPerProductAndWebOption) {
    const struct {
        const char* product;
        bool web;
        std::vector<int> positions;
    } cases[] = {
        // The two date functions run right after the third reconnect, ahead
        // of the views that call them; the fourth follows V_Commission_Dt.
        {"Velora", false, {10, 18, 31, 40, 49, 65}},
        {"Velora", true, {}},
        {"Tamrix2", false, {12, 22, 33, 43}},
        {"Tamrix2", true, {12, 22, 33, 43}},
        {"Zorbex", false, {6, 13}},
        {"Mornale", false, {6}},
        {"Kestin", true, {6}},
    };
    for (const auto& c : cases) {
        DriverFixture f;
        f.options.edit().web = c.web;
        f.registerFakes(c.product);
        f.run(c.product);
        EXPECT_EQ(f.reconnectPositions(), c.positions) << c.product << " web " << c.web;
        EXPECT_EQ(f.db.openedWith().back(), "connection");
    }
}

TEST(RunDriver, WebIsReadAtEachReconnectPoint) {
    DriverFixture f;
    f.options.edit().web = true;
    f.registerFakes("Velora");
    f.beforeStep = [&f](const std::string& step) {
        if (step == "P_KAR_OMR") f.options.edit().web = false;  // position 19
    };
    f.run("Velora");
    EXPECT_EQ(f.reconnectPositions(), (std::vector<int>{31, 40, 49, 65}));
}

TEST(RunDriver, NetworkMarketingDropsLoginFirstInAnyLetterCase) {
    DriverFixture f({{{"Login", {"ID"}}, {"p_user", {"CK"}}}, {}});
    f.registerFakes("Tamrix2");
    std::string tableShownAtFirstStep;
    f.beforeStep = [&](const std::string& step) {
        if (step == "p_user") tableShownAtFirstStep = f.progress.tableName();
    };
    f.run("Tamrix2");
    ASSERT_FALSE(f.db.statements().empty());
    EXPECT_EQ(f.db.statements().front().sql, "drop table LOGIN");
    EXPECT_EQ(tableShownAtFirstStep, "LOGIN");
    EXPECT_EQ(f.progress.overallGauge().maximum(), 2);
}

TEST(RunDriver, InsuranceOfficeEndsWithTheOverallBarSetTo100) {
    const struct {
        int tables;
        int percent;
    } cases[] = {{150, 66}, {0, 0}, {40, 100}, {100, 100}};
    for (const auto& c : cases) {
        DriverFixture f(tables(c.tables));
        f.registry.add("unused", [](SchemaOperations&) {});
        for (const auto& name : namesOf("Velora")) f.registry.add(name, [](SchemaOperations&) {});
        f.run("Velora");
        EXPECT_EQ(f.progress.overallGauge().percent(), c.percent) << c.tables;
    }
}

TEST(RunDriver, BrivoOpensPreparesTheBarAndSucceedsWithoutStatements) {
    DriverFixture f(tables(7));
    f.run("Brivo");
    EXPECT_TRUE(f.db.statements().empty());
    EXPECT_EQ(f.progress.overallGauge().maximum(), 7);
    EXPECT_EQ(f.progress.overallGauge().position(), 0);
    EXPECT_EQ(f.display.successMessages.size(), 1u);
}

TEST(RunDriver, AFailureEndsTheRunAndKeepsTheProgressDisplay) {
    DriverFixture f(tables(20));
    f.registerFakes("Pelsa", "TSetting");
    EXPECT_THROW(f.run("Pelsa"), DatabaseError);
    EXPECT_EQ(f.ran, (Strings{"TCapability", "TRansfer", "Test", "Yollar", "TSetting"}));
    EXPECT_EQ(f.progress.overallGauge().position(), 4);
    EXPECT_EQ(f.display.focusMoves, 0);
    EXPECT_TRUE(f.display.successMessages.empty());
    EXPECT_TRUE(f.db.isOpen());
}

TEST(RunDriver, AListWithAnUnregisteredStepIsRefusedBeforeAnythingIsSent) {
    DriverFixture f({{{"Login", {}}}, {}});
    f.registry.add("p_user", [](SchemaOperations&) {});
    try {
        f.run("Tamrix2");
        FAIL() << "expected a missing step";
    } catch (const MissingStepError& e) {
        EXPECT_NE(std::string(e.what()).find("\"P_GTHesab_ada\""), std::string::npos) << e.what();
    }
    EXPECT_TRUE(f.db.statements().empty());
}

TEST(RunDriver, StartButtonBuildsTheConnectionOrStopsSilently) {
    test::TempDir dir;
    test::FakeSystem system;
    system.directory = dir.path();
    test::ScriptedDialog dialog;
    ConnectionSettings settings(system, dialog);

    DriverFixture f;
    RunDriver driver(f.db, f.progress, f.registry, f.options);
    f.options.edit().productEntry = 3;
    f.options.edit().databaseKind = DatabaseKind::Access;
    driver.BitBtn2Click(settings);
    EXPECT_FALSE(f.db.isOpen());
    EXPECT_TRUE(f.display.successMessages.empty());
    EXPECT_TRUE(f.display.overallGauges.empty());

    dialog.answer = "/data/brivo.mdb";
    driver.BitBtn2Click(settings);
    EXPECT_TRUE(f.db.isOpen());
    EXPECT_EQ(f.db.openedWith().back(), settings.ConnectionText());
    EXPECT_EQ(f.display.successMessages.size(), 1u);
}

}  // namespace
}  // namespace orvel
