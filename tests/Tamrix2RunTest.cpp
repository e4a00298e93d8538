// The network-marketing product with its real table steps, run by the run
// driver against the simulator: the steps against the run list and the entry
// counts their tables state, empty and up-to-date databases, the LOGIN drop,
// and the reconnect points with the product's connection.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

#include "TestSupport.h"
#include "upgrade/RunDriver.h"
#include "products/StepLists.h"
#include "products/TableSteps.h"
#include "database/StatementLog.h"

namespace orvel {
namespace {

using Strings = std::vector<std::string>;

std::vector<TableStep> tamrix2Steps() {
    auto steps = Tamrix2CustomerTableSteps();
    auto accounts = Tamrix2AccountTableSteps();
    steps.insert(steps.end(), accounts.begin(), accounts.end());
    return steps;
}

const TableStep& stepNamed(const std::vector<TableStep>& steps, const std::string& name) {
    auto it = std::find_if(steps.begin(), steps.end(), [&](const TableStep& s) { return s.name == name; });
    if (it == steps.end()) throw std::logic_error("no step " + name);
    return *it;
}

const StepRegistry& registry() {
    static const StepRegistry all = BuildStepRegistry();
    return all;
}

const CatalogueObject* tableNamed(const CatalogueSnapshot& catalogue, const std::string& name) {
    for (const auto& table : catalogue.tables)
        if (table.name == name) return &table;
    return nullptr;
}

// A run of the product through the run driver; the log in front of the
// simulator records which step sent each statement.
struct Tamrix2Run {
    explicit Tamrix2Run(CatalogueSnapshot start = {}, DatabaseKind kind = DatabaseKind::SqlServer)
        : db(std::move(start)), log(db), options(RunOptions{1, kind}), progress(display) {}

    void watch(RunDriver& driver) {
        driver.onStepStarted = [this](const std::string& step) {
            log.setCurrentStep(step);
            if (db.closeCount() != closesSeen) reconnectedAfter.push_back(stepsStarted);
            closesSeen = db.closeCount();
            ++stepsStarted;
            if (step == "p_user") tableShownAtFirstStep = progress.tableName();
        };
    }

    void run() {
        log.open("connection");
        RunDriver driver(log, progress, registry(), options);
        watch(driver);
        driver.RunProduct("Tamrix2", "connection");
    }

    Strings sent() const {
        Strings texts;
        for (const auto& record : log.records()) texts.push_back(record.sql);
        return texts;
    }

    Strings sentBy(const std::string& step) const {
        Strings texts;
        for (const auto& record : log.records())
            if (record.step == step) texts.push_back(record.sql);
        return texts;
    }

    CatalogueSimulator db;
    LoggingDatabase log;
    FixedOptions options;
    test::RecordingDisplay display;
    Progress progress;
    int stepsStarted = 0;
    int closesSeen = 0;
    std::vector<int> reconnectedAfter;  // positions (1-based) of steps followed by a reconnect
    std::string tableShownAtFirstStep;
};

// What an up-to-date database holds: the catalogue an empty database gets.
CatalogueSnapshot upToDate() {
    Tamrix2Run first;
    first.run();
    return first.db.catalogue();
}

CatalogueSnapshot withNames(CatalogueSnapshot catalogue, int (*convert)(int)) {
    auto change = [convert](std::string& name) {
        for (auto& c : name) c = static_cast<char>(convert(static_cast<unsigned char>(c)));
    };
    for (auto& table : catalogue.tables) {
        change(table.name);
        for (auto& column : table.columns) change(column);
    }
    return catalogue;
}

std::vector<CatalogueObject> sortedTables(CatalogueSnapshot catalogue) {
    std::sort(catalogue.tables.begin(), catalogue.tables.end(),
              [](const CatalogueObject& a, const CatalogueObject& b) { return a.name < b.name; });
    return catalogue.tables;
}

TEST(Tamrix2Catalogue, StepsAreTheRunListInOrder) {
    Strings listed;
    for (const auto& entry : StepListFor("Tamrix2"))
        if (!entry.isReconnectPoint()) listed.emplace_back(entry.step);
    Strings customers, accounts;
    for (const auto& step : Tamrix2CustomerTableSteps()) customers.push_back(step.name);
    for (const auto& step : Tamrix2AccountTableSteps()) accounts.push_back(step.name);
    ASSERT_EQ(listed.size(), 49u);
    EXPECT_EQ(customers, Strings(listed.begin(), listed.begin() + 22));
    EXPECT_EQ(accounts, Strings(listed.begin() + 22, listed.end()));
}

// The number of entries each table list states for itself.
TEST(Tamrix2Catalogue, EntryCountsAreThoseTheListsState) {
    const std::pair<const char*, std::size_t> stated[] = {
        {"p_user", 28},       {"P_GTHesab_ada", 3},  {"A_DSADSL", 68},    {"P_TH_Haq", 27},
        {"P_TH_Huq", 23},     {"P_news", 4},         {"P_TService", 16},  {"P_SGroup", 6},
        {"P_STime", 4},       {"P_SSpeed", 2},       {"P_SUsed", 2},      {"P_SSeri", 3},
        {"P_STraffic", 2},    {"X_Customer", 6},     {"E_Error", 12},     {"A_DSWimax", 67},
        {"P_Error", 3},       {"P_Set", 25},         {"P_TModem", 4},     {"P_Xtra_Volum", 2},
        {"P_TTarh", 23},      {"J_Tarh_Ser", 5},     {"Login", 8},        {"P_Mokhaberat", 14},
        {"Tpre_num", 9},      {"A_GMTHesab_ada", 14}, {"P_GKala_ada", 1}, {"P_Kala_ada", 11},
        {"P_TTHesab", 17},    {"P_Hesab_ada", 18},   {"A_Action", 7},     {"P_Extra", 3},
        {"P_Sub_staff", 10},  {"T_Kala", 12},        {"P_Jobs", 1},       {"A_040", 11},
        {"P_040_SHARZ", 0},   {"P_LService", 6},     {"K_Barrasi", 16},   {"P_IPStatic", 2},
        {"A_Host", 11},       {"P_Host_Space", 1},   {"P_SWimax", 16},    {"P_SWiFi", 16},
        {"A_DSWiFi", 49},     {"Kartabl", 37},       {"P_Server", 2},     {"P_Suffix", 1},
        {"A_Domain", 19},
    };
    const auto steps = tamrix2Steps();
    ASSERT_EQ(steps.size(), std::size(stated));
    for (const auto& [name, count] : stated) EXPECT_EQ(stepNamed(steps, name).entries.size(), count) << name;
}

// Every step creates, adds and advances the bars, with one more advance of
// TableGauge at the end; none alters a column or sends anything else.
TEST(Tamrix2Catalogue, EveryStepIsAPlainTableStepWithAFinalAdvance) {
    for (const auto& step : tamrix2Steps()) {
        EXPECT_TRUE(step.finalTableAdvance) << step.name;
        EXPECT_FALSE(step.lateCount) << step.name;
        EXPECT_TRUE(step.ownCreate.empty()) << step.name;
        EXPECT_TRUE(step.statements.empty()) << step.name;
        for (const auto& entry : step.entries) EXPECT_EQ(entry.kind, EntryKind::Add) << step.name;
    }
}

TEST(Tamrix2Run, EmptySqlServerDatabaseGetsEveryTableWithItsColumns) {
    Tamrix2Run run;
    run.run();

    const auto& catalogue = run.db.catalogue();
    for (const auto& step : tamrix2Steps()) EXPECT_NE(tableNamed(catalogue, step.table), nullptr) << step.table;
    EXPECT_EQ(catalogue.tables.size(), 49u) << "two steps share a table";
    const Strings sent = run.sent();
    EXPECT_EQ(std::count(sent.begin(), sent.end(), "drop table LOGIN"), 0);

    // The repeated entries of the service files and of Login find their
    // column present and send nothing.
    const struct {
        const char* table;
        std::size_t columns;
    } stated[] = {{"A_DSADSL", 67}, {"A_DSWimax", 62}, {"A_DSWiFi", 50}, {"Login", 8}, {"P_040_SHARZ", 1}};
    for (const auto& c : stated) {
        const auto* table = tableNamed(catalogue, c.table);
        ASSERT_NE(table, nullptr) << c.table;
        EXPECT_EQ(table->columns.size(), c.columns) << c.table;
    }
    EXPECT_EQ(tableNamed(catalogue, "A_DSADSL")->columns.front(), "ID_D");
    EXPECT_EQ(run.sentBy("P_040_SHARZ"), Strings{"create table dbo.P_040_SHARZ( MAB  money)"});
    EXPECT_EQ(run.sentBy("Login").front(), "create table dbo.Login( ID  Integer)");

    EXPECT_EQ(run.progress.overallGauge().maximum(), 0);
    EXPECT_EQ(run.progress.overallGauge().percent(), 0);
    EXPECT_EQ(run.display.successMessages.size(), 1u);
}

// On an up-to-date database, in any letter case of its names, the run only
// drops LOGIN and has the step Login make that table again.
TEST(Tamrix2Run, UpToDateDatabaseOnlyRecreatesLogin) {
    const auto current = upToDate();
    const auto login = stepNamed(tamrix2Steps(), "Login");
    const struct {
        const char* what;
        CatalogueSnapshot start;
        DatabaseKind kind;
        std::string create;
        std::size_t adds;  // every entry when the create names no column
    } cases[] = {
        {"as created", current, DatabaseKind::SqlServer, "create table dbo.Login( ID  Integer)", 7},
        {"upper case", withNames(current, ::toupper), DatabaseKind::SqlServer,
         "create table dbo.Login( ID  Integer)", 7},
        {"lower case", withNames(current, ::tolower), DatabaseKind::SqlServer,
         "create table dbo.Login( ID  Integer)", 7},
        {"Access", current, DatabaseKind::Access, "create table dbo.Login", 8},
    };
    for (const auto& c : cases) {
        Tamrix2Run run(c.start, c.kind);
        run.run();
        Strings expected{"drop table LOGIN", c.create};
        for (auto it = login.entries.end() - c.adds; it != login.entries.end(); ++it)
            expected.push_back("ALTER TABLE Login ADD " + it->column + " " + it->type);
        EXPECT_EQ(run.sent(), expected) << c.what;
        EXPECT_EQ(run.log.records().front().step, std::nullopt) << c.what;
        EXPECT_EQ(run.sentBy("Login").size(), expected.size() - 1) << c.what;
        EXPECT_EQ(run.progress.overallGauge().maximum(), 49) << c.what;
        EXPECT_EQ(run.progress.overallGauge().position(), 49) << c.what;
        // The last step's table is complete: its entries and the final advance fill the bar.
        EXPECT_EQ(run.progress.tableGauge().percent(), 100) << c.what;
    }

    Tamrix2Run again(current);
    again.run();
    EXPECT_EQ(sortedTables(again.db.catalogue()), sortedTables(current));
}

TEST(Tamrix2Run, DropsLoginInAnyLetterCaseBeforeTheFirstStep) {
    for (const std::string existing : {"LOGIN", "login", "Login", "lOgIn", ""}) {
        CatalogueSnapshot start;
        if (!existing.empty()) start.tables.push_back({existing, {"ID", "Old_Column"}});
        Tamrix2Run run(start);
        run.run();

        const Strings sent = run.sent();
        ASSERT_GE(sent.size(), 2u) << existing;
        if (existing.empty()) {
            EXPECT_EQ(sent.front(), "create table dbo.p_user( CK  nvarchar(50))");
        } else {
            EXPECT_EQ(sent[0], "drop table LOGIN") << existing;
            EXPECT_EQ(run.log.records()[0].step, std::nullopt) << existing;
            EXPECT_EQ(sent[1], "create table dbo.p_user( CK  nvarchar(50))") << existing;
        }
        EXPECT_EQ(run.tableShownAtFirstStep, "LOGIN") << existing;

        const auto& tables = run.db.catalogue().tables;
        const auto logins = std::count_if(tables.begin(), tables.end(), [](const CatalogueObject& t) {
            return ContainsNameIgnoreCase(t.name, {"login"});
        });
        EXPECT_EQ(logins, 1) << existing;
        const auto* login = tableNamed(run.db.catalogue(), "Login");
        ASSERT_NE(login, nullptr) << existing;
        EXPECT_FALSE(ContainsNameIgnoreCase("Old_Column", login->columns)) << existing;
    }
}

// The Start button with the product's two connections: each reconnect
// reopens the connection the run was started with.
TEST(Tamrix2Run, ReconnectsAfterPositions12_22_33_43WithTheRunsConnection) {
    const std::string local =
        "Provider=SQLOLEDB.1;Integrated Security=SSPI;Persist Security Info=False;Initial Catalog=tamrix2";
    const std::string hosted =
        "Provider=SQLOLEDB.1;Password=Pw0123456X;Persist Security Info=True;User ID=t2user;"
        "Initial Catalog=Tamrix2DB;Data Source=192.0.2.10";
    const struct {
        bool local;
        bool web;
        std::string connection;
    } cases[] = {{true, false, local}, {false, false, hosted}, {false, true, hosted}};
    for (const auto& c : cases) {
        test::TempDir dir;
        dir.write("RemoteConnections.json",
                  R"({"Tamrix2Hosted": {"Password": "Pw0123456X", "User ID": "t2user",
                      "Initial Catalog": "Tamrix2DB", "Data Source": "192.0.2.10"}})");
        test::FakeSystem system;
        system.directory = dir.path();
        test::ScriptedDialog dialog;
        ConnectionSettings settings(system, dialog);

        Tamrix2Run run;
        run.options.edit().local = c.local;
        run.options.edit().web = c.web;
        RunDriver driver(run.log, run.progress, registry(), run.options);
        run.watch(driver);
        driver.BitBtn2Click(settings);

        EXPECT_EQ(run.reconnectedAfter, (std::vector<int>{12, 22, 33, 43})) << c.connection;
        EXPECT_EQ(run.db.openedWith(), Strings(5, c.connection));
        EXPECT_EQ(run.db.catalogue().tables.size(), 49u) << c.connection;
        EXPECT_EQ(run.display.successMessages.size(), 1u) << c.connection;
    }
}

}  // namespace
}  // namespace orvel
