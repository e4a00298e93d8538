// The table steps of the automation, treasury, restaurant and touch products
// run against the simulator: what a first run sends on an empty database,
// what a repeated run still sends, the Access form, the bars at the end of a
// step, and the products' upgrades through the run driver.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "TestSupport.h"
#include "upgrade/RunDriver.h"
#include "products/StepLists.h"
#include "products/TableSteps.h"

namespace orvel {
namespace {

using test::SimulatedRun;
using Strings = std::vector<std::string>;
using StepSource = std::function<std::vector<TableStep>()>;

void runAll(const std::vector<TableStep>& steps, SimulatedRun& run) {
    for (const auto& step : steps) RunTableStep(step, run.schema);
}

const TableStep& stepNamed(const std::vector<TableStep>& steps, const std::string& name) {
    auto it = std::find_if(steps.begin(), steps.end(), [&](const TableStep& s) { return s.name == name; });
    if (it == steps.end()) throw std::logic_error("no step " + name);
    return *it;
}

Strings namesOf(const std::vector<TableStep>& steps) {
    Strings names;
    for (const auto& step : steps) names.push_back(step.name);
    return names;
}

// The product's step list without its reconnect points and its object step.
Strings tableStepsListed(const std::string& product) {
    Strings names;
    for (const auto& entry : StepListFor(product))
        if (!entry.isReconnectPoint() && entry.step != "FN_Last_Reminder") names.emplace_back(entry.step);
    return names;
}

struct Tally {
    int creates = 0, adds = 0, alters = 0, viaQuery = 0, other = 0;
};

Tally tally(const CatalogueSimulator& db) {
    Tally t;
    for (const auto& s : db.statements()) {
        if (s.via == Sender::Query) ++t.viaQuery;
        else if (s.sql.starts_with("create table dbo.")) ++t.creates;
        else if (s.sql.starts_with("ALTER TABLE ") && s.sql.find(" ADD ") != std::string::npos) ++t.adds;
        else if (s.sql.starts_with("ALTER TABLE ") && s.sql.find(" ALTER COLUMN ") != std::string::npos) ++t.alters;
        else ++t.other;
    }
    return t;
}

int columnsIn(const CatalogueSnapshot& catalogue) {
    int count = 0;
    for (const auto& table : catalogue.tables) count += static_cast<int>(table.columns.size());
    return count;
}

const std::string kSettingTypeChanges[] = {
    "alter table Setting alter column Auto_back  integer",  "alter table Setting alter column Auto_print  integer",
    "alter table Setting alter column Auto_New  integer",   "alter table Setting alter column preview  integer",
    "alter table Setting alter column TO_P1  integer",      "alter table Setting alter column TO_P2  integer",
    "alter table Setting alter column TO_P3  integer",
};
const std::string kDefaultAdministrator =
    " INSERT INTO P_PASS  (CK,NK,PASSWORD,en_qoz,en_edit,en_del,en_other,en_dar,en_par,en_furush,en_kharid,"
    "en_tp,en_set)\r  VALUES (1,'مديري سيستم','1',1,1,1,1,1,1,1,1,1,1)  ";

Strings restaurantEveryRun() {
    Strings texts(std::begin(kSettingTypeChanges), std::end(kSettingTypeChanges));
    texts.push_back(kDefaultAdministrator);
    return texts;
}

// A first run on an empty SQL Server database, then a second run on what the
// first left.  The counts are those of the product's tables: every step
// creates its table with its first column, and an entry that repeats the
// first column sends nothing.
TEST(SmallProductCatalogues, FirstRunBuildsEveryTableAndARepeatedRunSendsOnlyTheEveryRunStatements) {
    const struct {
        const char* product;
        StepSource steps;
        int tables, adds, alters, viaQuery;
        int columns;  // in the catalogue the first run leaves
        Strings repeated;
    } cases[] = {
        {"Pelsa", PelsaTableSteps, 8, 173, 0, 0, 181, {}},
        {"Kestin", KestinTableSteps, 9, 96, 2, 0, 105,
         {"ALTER TABLE A_GMTHesab ALTER COLUMN CK nvarchar(50)",
          "ALTER TABLE A_GMTHESAB_OLD ALTER COLUMN CK nvarchar(50)"}},
        {"Mornale", MornaleTableSteps, 13, 171, 0, 8, 184, restaurantEveryRun()},
        {"Zorbex", ZorbexTableSteps, 19, 188, 0, 0, 207, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.product);
        const auto steps = c.steps();
        ASSERT_EQ(namesOf(steps), tableStepsListed(c.product));

        SimulatedRun first;
        runAll(steps, first);
        const Tally t = tally(first.db);
        EXPECT_EQ(t.creates, c.tables);
        EXPECT_EQ(t.adds, c.adds);
        EXPECT_EQ(t.alters, c.alters);
        EXPECT_EQ(t.viaQuery, c.viaQuery);
        EXPECT_EQ(t.other, 0);
        EXPECT_EQ(static_cast<int>(first.db.catalogue().tables.size()), c.tables);
        EXPECT_EQ(columnsIn(first.db.catalogue()), c.columns);
        EXPECT_EQ(first.progress.overallGauge().position(), c.tables);

        SimulatedRun second(first.db.catalogue());
        runAll(steps, second);
        EXPECT_EQ(second.sent(), c.repeated);
        EXPECT_EQ(second.db.catalogue(), first.db.catalogue());
        EXPECT_EQ(second.progress.overallGauge().position(), c.tables);
    }
}

// The statements of a first run that carry the products' particular rules.
TEST(SmallProductCatalogues, FirstRunSendsTheParticularStatementsInPlace) {
    const struct {
        const char* product;
        StepSource steps;
        Strings consecutive;  // found in this order, one right after the other
    } cases[] = {
        // The first entry repeats the first column with PRIMARY KEY: on a new
        // table it finds the column and sends nothing.
        {"Pelsa", PelsaTableSteps,
         {"create table dbo.TCapability( ID  Integer)", "ALTER TABLE TCapability ADD path nvarchar(150)"}},
        {"Pelsa", PelsaTableSteps,
         {"ALTER TABLE TColumn_Size ADD NDBGrid nvarchar(50)", "ALTER TABLE TColumn_Size ADD col0 Integer",
          "ALTER TABLE TColumn_Size ADD col1 Integer"}},
        {"Pelsa", PelsaTableSteps,
         {"ALTER TABLE TColumn_Size ADD col23 Integer", "create table dbo.yapraqlar( ID  Integer)"}},
        {"Pelsa", PelsaTableSteps,
         {"ALTER TABLE yollar ADD y10 Bit", "ALTER TABLE yollar ADD y21 Bit"}},
        // CK is added as integer and changed at once; its second entry and
        // the second PATH_BACKUP1 send nothing.
        {"Kestin", KestinTableSteps,
         {"create table dbo.A_GMTHesab( ShF  integer PRIMARY KEY)", "ALTER TABLE A_GMTHesab ADD TA nvarchar(50)"}},
        {"Kestin", KestinTableSteps,
         {"ALTER TABLE A_GMTHesab ADD CK integer", "ALTER TABLE A_GMTHesab ADD HOURE nvarchar(50)"}},
        {"Kestin", KestinTableSteps,
         {"ALTER TABLE A_GMTHesab ADD TO_SH nvarchar(150)", "ALTER TABLE A_GMTHesab ALTER COLUMN CK nvarchar(50)",
          "ALTER TABLE A_GMTHesab ADD NK nvarchar(50)", "create table dbo.P_THESAB( ID  integer)"}},
        {"Kestin", KestinTableSteps,
         {"create table dbo.P_INFORMATION( ID  integer)", "ALTER TABLE P_INFORMATION ADD PATH_BACKUP1 nvarchar(250)",
          "ALTER TABLE P_INFORMATION ADD CO_NAME nvarchar(150)"}},
        {"Kestin", KestinTableSteps,
         {"create table dbo.P_YIL( BASHLA  nvarchar(50))", "ALTER TABLE P_YIL ADD SON nvarchar(50)"}},
        {"Kestin", KestinTableSteps,
         {"ALTER TABLE A_GMTHESAB_OLD ADD TO_SH nvarchar(150)",
          "ALTER TABLE A_GMTHESAB_OLD ALTER COLUMN CK nvarchar(50)", "ALTER TABLE A_GMTHESAB_OLD ADD NK nvarchar(50)"}},
        {"Mornale", MornaleTableSteps,
         {"create table dbo.A_Furush_Kala( ID  Integer)", "ALTER TABLE A_Furush_Kala ADD SHF Integer"}},
        {"Mornale", MornaleTableSteps,
         [] {
             Strings texts{"ALTER TABLE Setting ADD COM_PORT nvarchar(50)"};
             for (const auto& text : kSettingTypeChanges) texts.push_back(text);
             texts.push_back("create table dbo.P_Pass( CK  nvarchar(50))");
             return texts;
         }()},
        {"Mornale", MornaleTableSteps,
         {"ALTER TABLE P_Pass ADD en_set bit", kDefaultAdministrator, "create table dbo.P_TPEYK( CTH  integer)"}},
        {"Zorbex", ZorbexTableSteps,
         {"create table dbo.P_INFO( ON1  nvarchar(50))", "ALTER TABLE P_INFO ADD ON2 nvarchar(100)"}},
        {"Zorbex", ZorbexTableSteps,
         {"create table dbo.P_THESAB_BANKI( SHHesab  NVARCHAR(50))", "ALTER TABLE P_THESAB_BANKI ADD NBANK NVARCHAR(50)"}},
    };
    for (const auto& c : cases) {
        SimulatedRun run;
        runAll(c.steps(), run);
        const Strings sent = run.sent();
        auto at = std::search(sent.begin(), sent.end(), c.consecutive.begin(), c.consecutive.end());
        EXPECT_TRUE(at != sent.end()) << c.product << ": not sent in this order: " << c.consecutive.front();
    }
}

TEST(SmallProductCatalogues, RestaurantStatementsGoThroughTheQueryObjectAsWholeTexts) {
    SimulatedRun run;
    runAll(MornaleTableSteps(), run);
    Strings viaQuery;
    for (const auto& s : run.db.statements()) {
        if (s.via != Sender::Query) continue;
        viaQuery.push_back(s.sql);
        EXPECT_TRUE(s.parameters.empty());
    }
    EXPECT_EQ(viaQuery, restaurantEveryRun());
    // Two lines joined by a lone carriage return, blanks kept at both ends.
    EXPECT_EQ(std::count(kDefaultAdministrator.begin(), kDefaultAdministrator.end(), '\r'), 1);
    EXPECT_EQ(kDefaultAdministrator.find('\n'), std::string::npos);
}

TEST(SmallProductCatalogues, TreasuryLedgerTablesKeepTheSameColumnsInTheSameOrder) {
    const struct {
        const char* what;
        CatalogueSnapshot start;
    } cases[] = {
        {"empty database", {}},
        {"older ledger without CK and NK",
         {{{"A_GMTHesab", {"ShF", "TA", "SA"}}, {"A_GMTHESAB_OLD", {"ShF", "TA", "SA"}}}, {}}},
    };
    for (const auto& c : cases) {
        SimulatedRun run(c.start);
        runAll(KestinTableSteps(), run);
        const auto& tables = run.db.catalogue().tables;
        auto columnsOf = [&](const std::string& name) {
            for (const auto& t : tables)
                if (t.name == name) return t.columns;
            return Strings{};
        };
        EXPECT_FALSE(columnsOf("A_GMTHesab").empty()) << c.what;
        EXPECT_EQ(columnsOf("A_GMTHesab"), columnsOf("A_GMTHESAB_OLD")) << c.what;
    }
}

// An older automation table without its first column gets it from the
// first entry: PRIMARY KEY is taken out on SQL Server (the blank before
// those words stays), kept on Access.
TEST(SmallProductCatalogues, AutomationFirstEntryOnATableWithoutItsFirstColumn) {
    const CatalogueSnapshot start{{{"Test", {"NAME"}}}, {}};
    SimulatedRun server(start);
    RunTableStep(stepNamed(PelsaTableSteps(), "Test"), server.schema);
    EXPECT_EQ(server.sent(), Strings{"ALTER TABLE Test ADD ID Integer "});

    SimulatedRun access(start, DatabaseKind::Access);
    RunTableStep(stepNamed(PelsaTableSteps(), "Test"), access.schema);
    EXPECT_EQ(access.sent(), Strings{"ALTER TABLE Test ADD ID Integer PRIMARY KEY"});
}

// On Access a missing table is created without columns, so every entry is
// added, the first with its PRIMARY KEY.
TEST(SmallProductCatalogues, AccessCreatesBareTablesAndAddsEveryEntry) {
    SimulatedRun run({}, DatabaseKind::Access);
    runAll(PelsaTableSteps(), run);
    const Strings sent = run.sent();
    ASSERT_GE(sent.size(), 3u);
    EXPECT_EQ(sent[0], "create table dbo.TCapability");
    EXPECT_EQ(sent[1], "ALTER TABLE TCapability ADD ID Integer PRIMARY KEY");
    EXPECT_EQ(sent[2], "ALTER TABLE TCapability ADD path nvarchar(150)");
    const Tally t = tally(run.db);
    EXPECT_EQ(t.creates, 8);
    EXPECT_EQ(t.adds, 181);
    EXPECT_EQ(t.other + t.alters + t.viaQuery, 0);
    EXPECT_EQ(columnsIn(run.db.catalogue()), 181);
    // The table bar's maximum was the column count of a bare table.
    EXPECT_EQ(run.progress.tableGauge().maximum(), 0);
    EXPECT_EQ(run.progress.tableGauge().percent(), 0);
}

// Where TableGauge ends after one step.  The maximum is the column count
// found after the create; a complete table reaches 100 % where the step has
// as many advances as columns (an entry repeating the first column, or the
// final advance), and stays one short where it has neither.
TEST(SmallProductCatalogues, TableBarAtTheEndOfAStep) {
    const struct {
        const char* product;
        StepSource steps;
        const char* step;
        bool complete;  // on what a first run left, else on an empty database
        int maximum, position;
    } cases[] = {
        {"Pelsa", PelsaTableSteps, "TCapability", true, 25, 25},
        {"Pelsa", PelsaTableSteps, "TColumn_Size", false, 1, 1},
        {"Kestin", KestinTableSteps, "P_THESAB_man", true, 24, 24},
        {"Kestin", KestinTableSteps, "A_GMTHesab_man", true, 14, 14},
        {"Kestin", KestinTableSteps, "P_INFORMATION_man", true, 17, 17},
        {"Kestin", KestinTableSteps, "P_YIL", true, 2, 2},
        {"Kestin", KestinTableSteps, "P_KALA_S", false, 1, 1},
        {"Mornale", MornaleTableSteps, "A_Daryaft_R", true, 9, 8},
        {"Mornale", MornaleTableSteps, "Setting_R", true, 26, 25},
        {"Mornale", MornaleTableSteps, "A_Furush_Kala_R", true, 16, 16},
        {"Mornale", MornaleTableSteps, "P_pass_R", true, 13, 13},
        {"Mornale", MornaleTableSteps, "BP_TPEYK", false, 1, 1},
        {"Zorbex", ZorbexTableSteps, "a_cdaryafti_x", true, 15, 15},
        {"Zorbex", ZorbexTableSteps, "P_INFO_X", true, 9, 9},
        {"Zorbex", ZorbexTableSteps, "P_TSanduq_x", false, 1, 1},
    };
    for (const auto& c : cases) {
        const auto steps = c.steps();
        CatalogueSnapshot start;
        if (c.complete) {
            SimulatedRun first;
            runAll(steps, first);
            start = first.db.catalogue();
        }
        SimulatedRun run(start);
        RunTableStep(stepNamed(steps, c.step), run.schema);
        EXPECT_EQ(run.progress.tableGauge().maximum(), c.maximum) << c.step;
        EXPECT_EQ(run.progress.tableGauge().position(), c.position) << c.step;
        EXPECT_EQ(run.progress.overallGauge().position(), 1) << c.step;
    }
}

// The products' upgrades through the run driver and the program's registry,
// as `plan` runs them.
struct ProductRun {
    explicit ProductRun(CatalogueSnapshot start = {}) : db(std::move(start)), progress(display) {}

    void run(const std::string& product) {
        db.open("simulated");
        RunDriver driver(db, progress, registry, options);
        driver.onStepStarted = [this](const std::string& step) { started.push_back(step); };
        driver.RunProduct(product, "simulated");
    }

    CatalogueSimulator db;
    FixedOptions options;
    test::RecordingDisplay display;
    Progress progress;
    StepRegistry registry = BuildStepRegistry();
    Strings started;
};

TEST(SmallProductUpgrades, RunEveryStepOfTheListThroughTheDriver) {
    for (const char* product : {"Pelsa", "Mornale", "Zorbex"}) {
        ProductRun f;
        f.run(product);
        EXPECT_EQ(static_cast<int>(f.started.size()), StepCount(product)) << product;
        EXPECT_EQ(f.display.successMessages.size(), 1u) << product;
    }
}

// The treasury list ends with an object step of the server objects; until
// the program registers it, the driver refuses the list before sending.
TEST(SmallProductUpgrades, TreasuryRunsCompletelyOrIsRefusedForItsObjectStepOnly) {
    ProductRun f;
    if (f.registry.contains("FN_Last_Reminder")) {
        f.run("Kestin");
        EXPECT_EQ(static_cast<int>(f.started.size()), StepCount("Kestin"));
        return;
    }
    try {
        f.run("Kestin");
        FAIL() << "expected the list to be refused";
    } catch (const MissingStepError& e) {
        EXPECT_NE(std::string(e.what()).find("\"FN_Last_Reminder\""), std::string::npos) << e.what();
    }
    EXPECT_TRUE(f.db.statements().empty());
}

// The insert of the default administrator fails when the database refuses a
// second row: the run ends there and the courier table is not ensured.
TEST(SmallProductUpgrades, RestaurantRunEndsAtARefusedAdministratorInsert) {
    ProductRun f;
    f.db.failStatementsContaining("INSERT INTO P_PASS",
                                  "Violation of PRIMARY KEY constraint 'PK_P_Pass'. Cannot insert duplicate key.");
    EXPECT_THROW(f.run("Mornale"), DatabaseError);
    EXPECT_EQ(f.started.back(), "P_pass_R");
    const auto& tables = f.db.catalogue().tables;
    EXPECT_TRUE(std::none_of(tables.begin(), tables.end(),
                             [](const CatalogueObject& t) { return t.name == "P_TPEYK"; }));
    EXPECT_TRUE(f.display.successMessages.empty());
}

}  // namespace
}  // namespace orvel
