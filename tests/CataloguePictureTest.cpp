// The catalogue picture in front of the simulator: after every statement it
// answers the table list and every column list as a fresh read would, and
// it reads again exactly when a statement leaves it in doubt.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>

#include "TestSupport.h"
#include "schema/CataloguePicture.h"
#include "database/NameMatching.h"

namespace orvel {
namespace {

using Strings = std::vector<std::string>;

Strings foldedAndSorted(Strings names) {
    for (auto& name : names) name = FoldAsciiCase(name);
    std::sort(names.begin(), names.end());
    return names;
}

// The picture's answers against a fresh read of what the database holds
// now, made on a copy so that the reads are not counted as the picture's.
void expectAnswersOfAFreshRead(CataloguePicture& picture, const CatalogueSimulator& db, const std::string& what) {
    CatalogueSimulator now(db.catalogue());
    now.open("fresh read");
    EXPECT_EQ(foldedAndSorted(picture.tableNames()), foldedAndSorted(now.tableNames())) << what;
    Strings names = now.tableNames();
    names.insert(names.end(), {"Gone", "Missing"});
    for (const auto& name : names) EXPECT_EQ(picture.columnNames(name), now.columnNames(name)) << what << ": " << name;
}

TEST(CataloguePicture, AnswersAsAFreshReadAndReadsAgainOnlyWhenInDoubt) {
    const CatalogueSnapshot tables{{{"T", {"ID"}}, {"Gone", {"ID"}}}, {}};
    const struct {
        const char* what;
        CatalogueSnapshot start;
        Strings statements;
        int reads;  // by the picture, the first one included
    } cases[] = {
        {"the shapes a run sends are applied without reading",
         tables,
         {"create table dbo.A( ID  integer PRIMARY KEY)", "ALTER TABLE a ADD [TO] bit", "ALTER TABLE T ADD B int, C int",
          "IF OBJECT_ID('A') IS NULL Create table dbo.A (X int)", "IF OBJECT_ID('Missing') IS NOT NULL DROP Table Missing",
          "drop table Gone", "alter table T alter column ID bigint", "insert into T (ID) values (1)",
          "alter table T add constraint PK_T primary key (ID)", "CREATE view [dbo].[V_A]\r(ID, [TO])\rAS\rSELECT ID, "
          "[TO] FROM A", "IF OBJECT_ID('DBO.V_A') IS NOT NULL DROP view DBO.V_A", "create table dbo.Gone( X int)"},
         1},
        {"names in another letter case, as some servers list them",
         {{{"login", {"id", "username"}}, {"p_user", {"id"}}}, {}},
         {"drop table LOGIN", "create table dbo.Login( ID  integer)", "ALTER TABLE LOGIN ADD UserName nvarchar(50)",
          "ALTER TABLE P_USER ADD PASS nvarchar(50)"},
         1},
        {"a view without a column list has its columns asked for alone",
         tables,
         {"CREATE VIEW dbo.V_T\rAS\rSELECT ID FROM T", "ALTER VIEW V_T AS SELECT ID, ID AS Two FROM T"},
         1 + 2},
        {"the same table in two schemas: every change to it is read",
         {{{"X", {"a"}}, {"T", {"ID"}}, {"x", {"b"}}}, {}},
         {"ALTER TABLE X ADD c int", "ALTER TABLE T ADD c int", "drop table X"},
         1 + 2},
        {"a view named like a table",
         {{{"X", {"a"}}}, {{"x", {"b"}}}},
         {"IF OBJECT_ID('X') IS NOT NULL DROP VIEW X", "IF OBJECT_ID('X') IS NULL create table dbo.X (c int)"},
         1 + 1},
        {"a guarded drop of a name nothing holds",
         tables,
         {"IF OBJECT_ID('V') IS NOT NULL DROP VIEW V", "IF OBJECT_ID('Gone') IS NOT NULL DROP TABLE Gone"},
         1},
        {"statements whose effect is not read exactly",
         tables,
         {"EXEC sp_rename 'T', 'T2'", "SELECT * INTO Copy FROM Gone", "ALTER TABLE Gone DROP COLUMN ID",
          "ALTER TABLE T ADD a int\rUPDATE T SET a = 0, b = 1", "EXECUTE dbo.SP_Reconfig_Orvel"},
         1 + 5},
    };
    for (const auto& c : cases) {
        CatalogueSimulator db(c.start);
        db.open("connection");
        CataloguePicture picture(db);
        expectAnswersOfAFreshRead(picture, db, c.what);
        for (const auto& sql : c.statements) {
            picture.execute(sql);
            expectAnswersOfAFreshRead(picture, db, std::string(c.what) + ", after " + sql);
        }
        EXPECT_EQ(db.catalogueReads(), c.reads) << c.what;
    }
}

TEST(CataloguePicture, ARejectedStatementAnotherConnectionAndInvalidateReadAgain) {
    CatalogueSimulator db({{{"T", {"ID"}}}, {}});
    db.open("connection");
    CataloguePicture picture(db);
    const struct {
        const char* what;
        std::function<void()> action;
    } cases[] = {
        {"a statement the database rejects", [&] { EXPECT_THROW(picture.execute("create table dbo.T( ID int)"), DatabaseError); }},
        // OBJECT_ID finds the table, so the guard lets the drop through and
        // the server refuses it.
        {"a guarded drop of the other kind",
         [&] { EXPECT_THROW(picture.execute("IF OBJECT_ID('T') IS NOT NULL DROP VIEW T"), DatabaseError); }},
        {"a batch that fails part way",
         [&] {
             db.failStatementsContaining("fails", "the second statement of the batch failed");
             EXPECT_THROW(picture.execute("create table dbo.A( ID int)\rselect fails"), DatabaseError);
         }},
        {"a reopen with another connection text", [&] {
             picture.close();
             picture.open("another connection");
         }},
        {"invalidate", [&] { picture.invalidate(); }},
        {"a connection opened past it", [&] { picture.openedPast("connection"); }},
    };
    picture.tableNames();
    for (const auto& c : cases) {
        const int before = db.catalogueReads();
        c.action();
        expectAnswersOfAFreshRead(picture, db, c.what);
        EXPECT_EQ(db.catalogueReads(), before + 1) << c.what;
    }
}

// A reconnect with the text the connection had changes nothing the database
// holds: the picture is kept, fresh or stale as it was.
TEST(CataloguePicture, AReconnectWithTheSameTextKeepsThePictureAsItWas) {
    const struct {
        const char* what;
        bool staleBeforeReconnect;
        const char* reconnectWith;
        int reads;  // by the picture, the first one included
    } cases[] = {
        {"fresh, the same text", false, "connection", 1},
        {"stale, the same text", true, "connection", 2},
        {"fresh, another text", false, "another connection", 2},
    };
    for (const auto& c : cases) {
        CatalogueSimulator db({{{"T", {"ID"}}}, {}});
        db.open("connection");
        CataloguePicture picture(db);
        picture.openedPast("connection");
        picture.tableNames();
        picture.execute("ALTER TABLE T ADD B int");
        if (c.staleBeforeReconnect) picture.execute("EXEC sp_rename 'T', 'U'");
        picture.close();
        picture.open(c.reconnectWith);
        expectAnswersOfAFreshRead(picture, db, c.what);
        picture.close();
        picture.open(c.reconnectWith);
        expectAnswersOfAFreshRead(picture, db, std::string(c.what) + ", reopened again");
        EXPECT_EQ(db.catalogueReads(), c.reads) << c.what;
    }
}

// The simulator's catalogue listed with a schema for each name, as a server
// with schemas lists it.
class WithSchemas : public Database {
public:
    WithSchemas(CatalogueSimulator& inner, std::map<std::string, std::string> schemas)
        : inner_(inner), schemas_(std::move(schemas)) {}

    void open(const std::string& text) override { inner_.open(text); }
    void close() override { inner_.close(); }
    bool isOpen() const override { return inner_.isOpen(); }
    std::vector<std::string> tableNames() override { return inner_.tableNames(); }
    std::vector<std::string> columnNames(const std::string& table) override { return inner_.columnNames(table); }
    std::optional<std::vector<ListedObject>> listedObjects() override { return readCatalogue().objects; }
    CatalogueListing readCatalogue() override {
        CatalogueListing listing = inner_.readCatalogue();
        for (auto& object : listing.objects) object.schema = schemas_.at(object.name);
        return listing;
    }

protected:
    void doExecute(const std::string& sql) override { inner_.execute(sql); }
    void doExecuteQuery(const std::string& sql, const Parameters& parameters) override {
        inner_.executeQuery(sql, parameters);
    }

private:
    CatalogueSimulator& inner_;
    std::map<std::string, std::string> schemas_;
};

TEST(CataloguePicture, ANameListedOnlyInAnotherSchemaIsReadNotGuessed) {
    // Whether an unqualified or dbo name means a table of another schema
    // depends on the login's default schema: the picture reads again.
    const struct {
        const char* schema;
        const char* sql;
        bool readsAgain;
    } cases[] = {
        {"dbo", "IF OBJECT_ID('T') IS NOT NULL DROP TABLE T", false},
        {"DBO", "ALTER TABLE T ADD c int", false},
        {"sales", "IF OBJECT_ID('T') IS NOT NULL DROP TABLE T", true},
        {"sales", "IF OBJECT_ID('T') IS NULL create table dbo.T (a int)", true},
        {"sales", "ALTER TABLE T ADD c int", true},
        {"dbo", "create table sales.X (a int)", true},
    };
    for (const auto& c : cases) {
        CatalogueSimulator db({{{"T", {"ID"}}}, {}});
        db.open("connection");
        WithSchemas listed(db, {{"T", c.schema}, {"X", "sales"}});
        CataloguePicture picture(listed);
        picture.tableNames();
        picture.execute(c.sql);
        picture.tableNames();
        EXPECT_EQ(db.catalogueReads(), c.readsAgain ? 2 : 1) << c.schema << ": " << c.sql;
    }
}

}  // namespace
}  // namespace orvel
