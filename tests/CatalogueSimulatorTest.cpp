// The simulator applies the statement shapes the steps send, rejects what a
// server would reject, and records everything.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "schema/CatalogueSimulator.h"

namespace orvel {
namespace {

using Strings = std::vector<std::string>;

// The catalogue after a statement, written "Table(col,col) ...; view V".
std::string describe(const CatalogueSnapshot& c) {
    std::string text;
    for (const auto& t : c.tables) {
        text += t.name + "(";
        for (std::size_t i = 0; i < t.columns.size(); ++i) text += (i ? "," : "") + t.columns[i];
        text += ") ";
    }
    for (const auto& v : c.views) text += "view " + v.name + " ";
    return text;
}

TEST(CatalogueSimulator, AppliesTheShapesThatChangeTheCatalogue) {
    const CatalogueSnapshot start{{{"Old", {"ID"}}}, {{"V_Old", {}}}};
    const struct {
        const char* sql;
        const char* after;
    } cases[] = {
        {"create table dbo.P_Log( ID  integer)", "Old(ID) P_Log(ID) view V_Old "},
        {"create table dbo.P_Log", "Old(ID) P_Log() view V_Old "},
        {"create table dbo.P_TKarmozd (INS_CD integer , BZR_CD integer ,COM_CD  integer, primary key(INS_CD , BZR_CD , COM_CD))",
         "Old(ID) P_TKarmozd(INS_CD,BZR_CD,COM_CD) view V_Old "},
        {"create table T_Offers (Offer_ID integer  NOT NULL IDENTITY (1, 1))", "Old(ID) T_Offers(Offer_ID) view V_Old "},
        {"IF OBJECT_ID('T_Advantage_Formulas') IS  NULL Create table dbo.T_Advantage_Formulas (Formula_ID int not null unique,CG int not null ,CTH int not null,CB int not null , primary key (CG,CTH,CB) )",
         "Old(ID) T_Advantage_Formulas(Formula_ID,CG,CTH,CB) view V_Old "},
        {"IF OBJECT_ID('old') IS NULL create table dbo.Old (X int)", "Old(ID) view V_Old "},
        {"ALTER TABLE old ADD [TO] nvarchar(50)", "Old(ID,TO) view V_Old "},
        {"alter table Old add constraint PK_Old  primary key  (ID)", "Old(ID) view V_Old "},
        {"drop table OLD", "view V_Old "},
        {"IF OBJECT_ID('Old') IS NOT NULL DROP Table Old ", "view V_Old "},
        {"IF OBJECT_ID('Missing') IS NOT NULL DROP Table Missing ", "Old(ID) view V_Old "},
        {"IF OBJECT_ID('DBO.V_Old') IS NOT NULL DROP view DBO.V_Old", "Old(ID) "},
        {"CREATE VIEW [dbo].[V_New]\rAS\rSELECT 1 AS One", "Old(ID) view V_Old view V_New "},
        {"IF OBJECT_ID('PK_Old') IS NOT NULL ALTER TABLE Old DROP constraint PK_Old; alter table Old add constraint PK_Old primary key (ID)",
         "Old(ID) view V_Old "},
        {"alter table Old alter column ID nvarchar(150)", "Old(ID) view V_Old "},
        {"-- comment\rDROP TABLE Old", "view V_Old "},
    };
    for (const auto& c : cases) {
        CatalogueSimulator db(start);
        db.open("x");
        db.execute(c.sql);
        EXPECT_EQ(describe(db.catalogue()), c.after) << c.sql;
    }
}

TEST(CatalogueSimulator, RejectsWhatAServerRejects) {
    const CatalogueSnapshot start{{{"Old", {"ID"}}}, {{"V_Old", {}}}};
    const char* cases[] = {
        "create table dbo.Old( ID  integer)",
        "create table dbo.v_old",
        "ALTER TABLE Old ADD id integer",
        "ALTER TABLE Missing ADD C integer",
        "ALTER TABLE Old ADD C ",
        "ALTER TABLE Old ADD  ",
        "drop table Missing",
        "drop table V_Old",
        "create table dbo.X(    )",
        "create table dbo.X( ID  )",
    };
    for (const char* sql : cases) {
        CatalogueSimulator db(start);
        db.open("x");
        EXPECT_THROW(db.execute(sql), DatabaseError) << sql;
        EXPECT_EQ(describe(db.catalogue()), "Old(ID) view V_Old ") << sql;
        ASSERT_EQ(db.statements().size(), 1u);
        EXPECT_TRUE(db.statements()[0].error.has_value()) << sql;
    }
}

TEST(CatalogueSimulator, InjectedFailuresAndQueryParameters) {
    CatalogueSimulator db;
    db.open("x");
    db.failStatement(2, "second fails");
    db.execute("one");
    try {
        db.execute("two");
        FAIL() << "the second statement should fail";
    } catch (const DatabaseError& e) {
        EXPECT_STREQ(e.what(), "second fails");
    }
    db.execute("three");
    db.failStatementsContaining("p_tthesab", "no such column");
    EXPECT_THROW(db.executeQuery("update p_tthesab set ng=:p1", {{"p1", "x"}}), DatabaseError);
    db.clearStatements();
    EXPECT_THROW(db.executeQuery("update T set ng=:p2 where cg=2", {{"p1", "x"}}), DatabaseError);
    EXPECT_NO_THROW(db.executeQuery("update T set ng=:P1 where x=':p9'", {{"p1", "x"}}));
    EXPECT_EQ(db.statements().size(), 2u);
    EXPECT_EQ(db.statements()[1].via, Sender::Query);
}

TEST(CatalogueSimulator, ClosedConnectionsAndOpenFailures) {
    CatalogueSimulator db;
    EXPECT_THROW(db.tableNames(), DatabaseError);
    EXPECT_THROW(db.execute("select 1"), DatabaseError);
    db.failNextOpen("Login failed for user 'x'.");
    EXPECT_THROW(db.open("text"), DatabaseError);
    EXPECT_FALSE(db.isOpen());
    db.open("text");
    EXPECT_TRUE(db.isOpen());
    EXPECT_THROW(db.execute(""), DatabaseError);
    db.close();
    EXPECT_EQ(db.closeCount(), 1);
    EXPECT_EQ(db.openedWith(), Strings{"text"});
}

TEST(CatalogueSnapshot, RoundTripsThroughJsonKeepingOrder) {
    const CatalogueSnapshot snapshot{{{"Zeta", {"b", "a"}}, {"Alpha", {}}}, {{"V_پ", {"ستون"}}}};
    EXPECT_EQ(CatalogueSnapshot::FromJson(snapshot.ToJson()), snapshot);
    EXPECT_EQ(CatalogueSnapshot::FromJson(R"({"tables": {"T": ["c"]}})").tables.size(), 1u);
}

TEST(CatalogueSnapshot, RejectsMalformedTextWithAReason) {
    for (const char* json : {"[]", "{\"tables\": []}", "{\"tables\": {\"T\": [1]}}", "{\"table\": {}}", "{"})
        EXPECT_THROW(CatalogueSnapshot::FromJson(json), SnapshotError) << json;
}

}  // namespace
}  // namespace orvel
