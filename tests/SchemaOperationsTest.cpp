// The schema operations against the simulator: what each sends, when, and
// what it shows.
#include <gtest/gtest.h>

#include "TestSupport.h"

namespace orvel {
namespace {

using test::SimulatedRun;
using Strings = std::vector<std::string>;

CatalogueSnapshot catalogue(std::vector<CatalogueObject> tables, std::vector<CatalogueObject> views = {}) {
    return {std::move(tables), std::move(views)};
}

TEST(ContainsNameIgnoreCase, FoldsOnlyAsciiLetters) {
    const struct {
        const char* name;
        Strings names;
        bool expected;
    } cases[] = {
        {"LOGIN", {"Login"}, true},
        {"login", {"other", "LOGIN"}, true},
        {"A_FASQ", {"AXFASQ"}, false},
        {"\xC3\x84nderung", {"\xC3\xA4nderung"}, false},  // Ä and ä are not folded
        {"\xC3\x84nderung", {"\xC3\x84NDERUNG"}, true},
        {"", {""}, true},
        {"", {}, false},
        {"T", {"T "}, false},
    };
    for (const auto& c : cases) EXPECT_EQ(ContainsNameIgnoreCase(c.name, c.names), c.expected) << c.name;
}

TEST(CreateTableIfMissing, SendsTheColumnListOnlyForSqlServer) {
    SimulatedRun sqlServer;
    sqlServer.schema.CreateTableIfMissing("P_Log", "ID", "integer");
    EXPECT_EQ(sqlServer.sent(), Strings{"create table dbo.P_Log( ID  integer)"});

    SimulatedRun access({}, DatabaseKind::Access);
    access.schema.CreateTableIfMissing("P_Log", "ID", "integer");
    EXPECT_EQ(access.sent(), Strings{"create table dbo.P_Log"});
    EXPECT_EQ(access.db.catalogue().tables.front().columns, Strings{});
}

TEST(CreateTableIfMissing, ShowsTheTableAndSendsNothingWhenATableOrViewHasTheName) {
    SimulatedRun run(catalogue({{"login", {"ID"}}}, {{"V_Report", {}}}));
    run.schema.CreateTableIfMissing("LOGIN", "ID", "integer");
    run.schema.CreateTableIfMissing("v_report", "ID", "integer");
    EXPECT_TRUE(run.sent().empty());
    EXPECT_EQ(run.display.tableNames, (Strings{"LOGIN", "v_report"}));
    EXPECT_TRUE(run.display.tableGauges.empty());
}

TEST(CreateTableIfMissing, EmptyFirstColumnAndTypeAreSentAndRejected) {
    SimulatedRun run;
    EXPECT_THROW(run.schema.CreateTableIfMissing("X", "", ""), DatabaseError);
    EXPECT_EQ(run.sent(), Strings{"create table dbo.X(   )"});
}

TEST(AddColumnIfMissing, TypeTextAsSentPerDatabaseKind) {
    const struct {
        DatabaseKind kind;
        const char* type;
        const char* sent;
    } cases[] = {
        {DatabaseKind::SqlServer, "Integer  PRIMARY KEY", "ALTER TABLE T ADD C Integer  "},
        {DatabaseKind::SqlServer, "Integer PRIMARY KEY IDENTITY", "ALTER TABLE T ADD C Integer  IDENTITY"},
        {DatabaseKind::SqlServer, "integer primary key", "ALTER TABLE T ADD C integer primary key"},
        {DatabaseKind::SqlServer, "nvarchar(50)", "ALTER TABLE T ADD C nvarchar(50)"},
        {DatabaseKind::Access, "Integer PRIMARY KEY", "ALTER TABLE T ADD C Integer PRIMARY KEY"},
    };
    for (const auto& c : cases) {
        SimulatedRun run(catalogue({{"T", {"ID"}}}), c.kind);
        run.schema.AddColumnIfMissing("T", "C", c.type);
        EXPECT_EQ(run.sent(), Strings{c.sent}) << c.type;
    }
}

TEST(AddColumnIfMissing, LooksForABracketedNameWithoutItsBracketsAndSendsItWithThem) {
    SimulatedRun missing(catalogue({{"A_DARYAFT", {"SH_R"}}}));
    missing.schema.AddColumnIfMissing("A_DARYAFT", "[TO]", "nvarchar(50)");
    EXPECT_EQ(missing.sent(), Strings{"ALTER TABLE A_DARYAFT ADD [TO] nvarchar(50)"});

    SimulatedRun present(catalogue({{"A_DARYAFT", {"SH_R", "to"}}}));
    present.schema.AddColumnIfMissing("A_DARYAFT", "[TO]", "nvarchar(50)");
    EXPECT_TRUE(present.sent().empty());
}

TEST(AddColumnIfMissing, ShowsTheColumnAndAdvancesTheTableGaugeWhetherOrNotItSends) {
    SimulatedRun run(catalogue({{"T", {"A", "B", "C", "D"}}}));
    run.progress.resetTableGauge(4);
    run.schema.AddColumnIfMissing("T", "a", "int");
    run.schema.AddColumnIfMissing("T", "E", "int");
    EXPECT_EQ(run.sent(), Strings{"ALTER TABLE T ADD E int"});
    EXPECT_EQ(run.display.fieldNames, (Strings{"a", "E"}));
    EXPECT_EQ(run.progress.tableGauge().position(), 2);
}

TEST(AddColumnIfMissing, SeesTheColumnsOfEveryTableOfThatName) {
    SimulatedRun run(catalogue({{"P_Kala", {"CKala"}}, {"P_Kala", {"NKala"}}}));
    run.schema.AddColumnIfMissing("P_Kala", "NKALA", "nvarchar(50)");
    EXPECT_TRUE(run.sent().empty());
}

TEST(AddColumnIfMissing, OnAMissingTableSendsAndTheRejectionLeavesTheGauge) {
    SimulatedRun run;
    run.progress.resetTableGauge(5);
    EXPECT_THROW(run.schema.AddColumnIfMissing("Nowhere", "C", "int"), DatabaseError);
    EXPECT_EQ(run.sent(), Strings{"ALTER TABLE Nowhere ADD C int"});
    EXPECT_EQ(run.progress.tableGauge().position(), 0);
    EXPECT_EQ(run.progress.fieldName(), "C");
}

TEST(AlterColumnIfPresent, SendsOnlyForAPresentColumnAndTouchesNoLabel) {
    SimulatedRun run(catalogue({{"A_GMTHesab", {"ShF", "ck"}}}));
    run.progress.resetTableGauge(10);
    run.schema.AlterColumnIfPresent("A_GMTHesab", "CK", "nvarchar(50)");
    run.schema.AlterColumnIfPresent("A_GMTHesab", "NK", "nvarchar(50)");
    run.schema.AlterColumnIfPresent("Missing", "CK", "nvarchar(50)");
    EXPECT_EQ(run.sent(), Strings{"ALTER TABLE A_GMTHesab ALTER COLUMN CK nvarchar(50)"});
    EXPECT_TRUE(run.display.fieldNames.empty());
    EXPECT_TRUE(run.display.tableNames.empty());
    EXPECT_EQ(run.progress.tableGauge().position(), 3);
}

TEST(AlterColumnIfPresent, SendsTheTypeUnchangedForAccess) {
    SimulatedRun run(catalogue({{"T", {"C"}}}), DatabaseKind::Access);
    run.schema.AlterColumnIfPresent("T", "C", "Integer PRIMARY KEY");
    EXPECT_EQ(run.sent(), Strings{"ALTER TABLE T ALTER COLUMN C Integer PRIMARY KEY"});
}

TEST(DropTableIfPresent, DropsInAnyLetterCaseAndRejectsAViewOfThatName) {
    SimulatedRun run(catalogue({{"Login", {"ID"}}}, {{"V_X", {}}}));
    run.schema.DropTableIfPresent("LOGIN");
    run.schema.DropTableIfPresent("LOGIN");
    EXPECT_EQ(run.sent(), Strings{"drop table LOGIN"});
    EXPECT_EQ(run.display.tableNames, (Strings{"LOGIN", "LOGIN"}));

    EXPECT_THROW(run.schema.DropTableIfPresent("V_X"), DatabaseError);
    EXPECT_EQ(run.sent().back(), "drop table V_X");
}

TEST(CountTables, CountsTablesAndViews) {
    SimulatedRun empty;
    EXPECT_EQ(empty.schema.CountTables(), 0);
    SimulatedRun some(catalogue({{"A", {}}, {"B", {}}}, {{"V", {}}}));
    EXPECT_EQ(some.schema.CountTables(), 3);
    EXPECT_EQ(some.schema.CountColumns("nothing"), 0);
}

}  // namespace
}  // namespace orvel
