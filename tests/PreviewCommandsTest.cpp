// snapshot, plan and drift of orvel-updater-cli against a real database: the
// SQLite ODBC driver on files the tests fill.  Every command run against a
// database must leave its file byte for byte as it was, and its directory
// without new files (no journal).
#include <algorithm>
#include <set>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "CliRunner.h"
#include "schema/CatalogueSimulator.h"
#include "database/OdbcDatabase.h"

namespace orvel {
namespace {

using Strings = std::vector<std::string>;
using Json = nlohmann::json;

const std::string kPersianColumn = "\xD8\xB3\xD8\xB1\xDB\x8C";

Strings sorted(Strings names) {
    std::sort(names.begin(), names.end());
    return names;
}

Strings namesOf(const std::vector<CatalogueObject>& objects) {
    Strings names;
    for (const auto& object : objects) names.push_back(object.name);
    return names;
}

std::string bracketed(const std::string& name) { return "[" + name + "]"; }

class LiveDatabase : public testing::Test {
protected:
    // A database file holding the tables and views of `catalogue` (every
    // column of type text); returns its ODBC connection string.
    std::string makeDatabase(const std::string& file, const CatalogueSnapshot& catalogue) {
        const auto path = dir.path() / file;
        const std::string odbc = "DRIVER={SQLite3};Database=" + OdbcValue(path.string());
        OdbcDatabase db;
        db.open(odbc);
        for (const auto& table : catalogue.tables) {
            std::string columns;
            for (const auto& column : table.columns) columns += (columns.empty() ? "" : ", ") + bracketed(column) + " text";
            db.execute("create table " + bracketed(table.name) + "(" + columns + ")");
        }
        for (const auto& view : catalogue.views) {
            std::string columns;
            for (const auto& column : view.columns) columns += (columns.empty() ? "" : ", ") + ("1 as " + bracketed(column));
            db.execute("create view " + bracketed(view.name) + " as select " + columns);
        }
        paths[odbc] = path;
        return odbc;
    }

    // Runs the command with --odbc `odbc` and checks that nothing was written.
    test::CliResult runOn(const std::string& odbc, Strings arguments) {
        const auto& path = paths.at(odbc);
        const std::string before = test::FileText(path);
        const Strings filesBefore = filesBeside(path);
        arguments.insert(arguments.end(), {"--odbc", odbc});
        auto result = test::RunCli(arguments);
        EXPECT_EQ(test::FileText(path), before) << "the database file was written to by: " << arguments.front();
        EXPECT_EQ(filesBeside(path), filesBefore) << arguments.front();
        return result;
    }

    static Strings filesBeside(const std::filesystem::path& path) {
        Strings names;
        for (const auto& entry : std::filesystem::directory_iterator(path.parent_path()))
            names.push_back(entry.path().filename().string());
        return sorted(names);
    }

    test::TempDir dir;
    std::map<std::string, std::filesystem::path> paths;
};

TEST_F(LiveDatabase, SnapshotRoundTripsIntoTheSimulator) {
    const std::string odbc = makeDatabase("round-trip.db", CatalogueSnapshot::FromJson(R"({
        "tables": {"Alpha": ["ID", "Name", "TO", ")" + kPersianColumn + R"("],
                   "A_FASQ": ["ID"], "AXFASQ": ["Wrong"]},
        "views": {"V_Alpha": ["Name"]}})"));
    const auto result = runOn(odbc, {"snapshot"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_NE(result.err.find("read the catalogue: tables 3, views 1, columns 7"), std::string::npos) << result.err;

    const CatalogueSnapshot snapshot = CatalogueSnapshot::FromJson(result.out);
    EXPECT_EQ(sorted(namesOf(snapshot.tables)), (Strings{"AXFASQ", "A_FASQ", "Alpha"}));
    EXPECT_EQ(namesOf(snapshot.views), Strings{"V_Alpha"});

    // The simulator loaded with it answers the schema operations' questions
    // as the database does.
    OdbcDatabase live;
    live.open(odbc);
    CatalogueSimulator simulator(snapshot);
    simulator.open("snapshot");
    EXPECT_EQ(sorted(simulator.tableNames()), sorted(live.tableNames()));
    Strings asked = live.tableNames();
    asked.insert(asked.end(), {"ALPHA", "a_fasq", "A_FAS_", "Missing"});
    for (const auto& name : asked) EXPECT_EQ(simulator.columnNames(name), live.columnNames(name)) << name;
}

TEST_F(LiveDatabase, PlanOfTheLiveDatabaseEqualsPlanOfTheSameCatalogueFile) {
    // Tables of several products, one present only as a view, one with a
    // column whose letter case differs from the steps'.
    const std::string catalogue = R"({
        "tables": {"TCapability": ["ID", "PATH", "pic_type"], "Login": ["ID", "UserName"],
                   "yapraqlar": ["ID"], "Setting": ["Auto_back"], "A_GMTHesab": ["ShF", "TA"]},
        "views": {"Test": ["ID"]}})";
    const std::string odbc = makeDatabase("plan.db", CatalogueSnapshot::FromJson(catalogue));
    dir.write("catalogue.json", catalogue);
    const std::string file = (dir.path() / "catalogue.json").string();

    for (const std::string product : {"Pelsa", "Tamrix2", "Kestin", "Mornale"}) {
        for (const std::string format : {"jsonl", "sql"}) {
            const auto live = runOn(odbc, {"plan", "--product", product, "--format", format});
            const auto fromFile = test::RunCli(Strings{"plan", "--product", product, "--format", format, "--catalog", file});
            const auto empty = test::RunCli(Strings{"plan", "--product", product, "--format", format});
            ASSERT_EQ(live.exitCode, 0) << product << live.err;
            ASSERT_EQ(fromFile.exitCode, 0) << product << fromFile.err;
            EXPECT_TRUE(live.out == fromFile.out) << product << " " << format;
            EXPECT_TRUE(live.out != empty.out) << product << " " << format;
            // The summary follows the progress lines of the reading.
            EXPECT_TRUE(live.err.ends_with(fromFile.err)) << live.err << "\n---\n" << fromFile.err;
        }
    }
}

TEST_F(LiveDatabase, DriftListsExactlyWhatIsMissing) {
    // The product's whole catalogue, as a run on an empty database leaves it.
    const auto fullFile = dir.path() / "full.json";
    ASSERT_EQ(test::RunCli(Strings{"plan", "--product", "Pelsa", "--summary", "--catalog-out", fullFile.string()}).exitCode, 0);
    const CatalogueSnapshot full = CatalogueSnapshot::Load(fullFile);
    auto find = [](std::vector<CatalogueObject>& objects, const std::string& name) -> CatalogueObject& {
        return *std::find_if(objects.begin(), objects.end(), [&](const CatalogueObject& o) { return o.name == name; });
    };

    // Present: everything, with names in other letter cases and one table as
    // a view.  Missing: one table and two columns of another.
    CatalogueSnapshot partial = full;
    const CatalogueObject transfer = find(partial.tables, "Transfer");
    partial.tables.erase(std::find(partial.tables.begin(), partial.tables.end(), transfer));
    auto& capability = find(partial.tables, "TCapability").columns;
    std::erase(capability, "pic_type");
    std::erase(capability, "Brightness");
    auto& leaves = find(partial.tables, "yapraqlar");
    for (auto* name : {&leaves.name, &leaves.columns.back()})
        std::transform(name->begin(), name->end(), name->begin(), [](unsigned char c) { return std::toupper(c); });
    const CatalogueObject test = find(partial.tables, "Test");
    partial.tables.erase(std::find(partial.tables.begin(), partial.tables.end(), test));
    partial.views.push_back(test);

    const std::string drifted = makeDatabase("drifted.db", partial);
    const auto json = runOn(drifted, {"drift", "--product", "Pelsa", "--format", "json"});
    ASSERT_EQ(json.exitCode, 4) << json.err;
    Json drift = Json::parse(json.out);
    ASSERT_EQ(drift["missingTables"].size(), 1u) << json.out;
    EXPECT_EQ(drift["missingTables"][0]["table"], "Transfer");
    EXPECT_EQ(drift["missingTables"][0]["columns"].get<Strings>(), transfer.columns);
    std::set<Strings> columns;
    for (const auto& c : drift["missingColumns"])
        columns.insert({c["table"].get<std::string>(), c["column"].get<std::string>()});
    EXPECT_EQ(columns, (std::set<Strings>{{"TCapability", "pic_type"}, {"TCapability", "Brightness"}})) << json.out;

    // Each missing column is one the plan of that database adds, with the type reported.
    const auto plan = runOn(drifted, {"plan", "--product", "Pelsa", "--format", "sql"});
    for (const auto& c : drift["missingColumns"]) {
        const std::string add = "ALTER TABLE " + c["table"].get<std::string>() + " ADD " +
                                c["column"].get<std::string>() + " " + c["type"].get<std::string>() + "\n";
        EXPECT_NE(plan.out.find(add), std::string::npos) << add;
    }

    const auto table = runOn(drifted, {"drift", "--product", "Pelsa"});
    EXPECT_EQ(table.exitCode, 4);
    for (const char* name : {"Transfer", "pic_type", "Brightness"}) EXPECT_NE(table.out.find(name), std::string::npos) << name;

    // The snapshot file gives the same answer as the live database.
    const auto snapshot = runOn(drifted, {"snapshot"});
    dir.write("drifted.json", snapshot.out);
    const auto fromFile = test::RunCli(Strings{"drift", "--product", "Pelsa", "--format", "json", "--catalog",
                                               (dir.path() / "drifted.json").string()});
    EXPECT_EQ(fromFile.exitCode, 4);
    // Neither compares types: SQLite is no SQL Server, and a file holds none.
    Json fromFileDrift = Json::parse(fromFile.out);
    EXPECT_EQ(drift["typesNotCompared"], "the database is no SQL Server (SQLite)");
    EXPECT_EQ(fromFileDrift["typesNotCompared"], "a snapshot file holds no column types");
    for (Json* found : {&drift, &fromFileDrift}) {
        EXPECT_EQ((*found)["typesCompared"], false);
        EXPECT_EQ((*found)["differentColumns"], Json::array());
        found->erase("typesNotCompared");
    }
    EXPECT_EQ(fromFileDrift, drift);

    const std::string complete = makeDatabase("complete.db", full);
    const auto none = runOn(complete, {"drift", "--product", "Pelsa"});
    EXPECT_EQ(none.exitCode, 0) << none.out << none.err;
    EXPECT_EQ(none.out, "Pelsa: nothing is missing (column types not compared: the database is no SQL Server (SQLite))\n");
}

}  // namespace
}  // namespace orvel
