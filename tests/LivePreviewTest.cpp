// snapshot, drift and plan --odbc of orvel-updater-cli against a database of
// an older version on the live server: what they report, and that the
// database is exactly as it was afterwards (objects, columns, types, rows).
#include <algorithm>
#include <set>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "CliRunner.h"
#include "LiveServer.h"

namespace orvel {
namespace {

using Strings = std::vector<std::string>;
using Json = nlohmann::json;
using test::RunCli;

template <typename Objects>  // a const or a changeable list
auto& find(Objects& objects, const std::string& name) {
    return *std::find_if(objects.begin(), objects.end(), [&](const CatalogueObject& o) { return o.name == name; });
}

// The Pelsa catalogue a run leaves, less the table Transfer and two columns
// of TCapability, with Test as a view and yapraqlar spelt in upper case.
CatalogueSnapshot olderPelsa(const test::TempDir& dir) {
    const auto file = dir.path() / "pelsa.json";
    EXPECT_EQ(RunCli(Strings{"plan", "--product", "Pelsa", "--summary", "--catalog-out", file.string()}).exitCode, 0);
    CatalogueSnapshot older = CatalogueSnapshot::Load(file);
    std::erase_if(older.tables, [](const CatalogueObject& t) { return t.name == "Transfer"; });
    std::erase(find(older.tables, "TCapability").columns, "pic_type");
    std::erase(find(older.tables, "TCapability").columns, "Brightness");
    find(older.tables, "yapraqlar").name = "YAPRAQLAR";
    older.views.push_back(find(older.tables, "Test"));
    std::erase_if(older.tables, [](const CatalogueObject& t) { return t.name == "Test"; });
    return older;
}

void create(test::ServerSession& session, const CatalogueSnapshot& catalogue) {
    for (const auto& table : catalogue.tables) {
        std::string columns;
        for (const auto& column : table.columns) columns += (columns.empty() ? "[" : ", [") + column + "] nvarchar(50)";
        session.run("create table [" + table.name + "](" + columns + ")");
    }
    for (const auto& view : catalogue.views) {
        std::string columns;
        for (const auto& column : view.columns) columns += (columns.empty() ? "N'x' as [" : ", N'x' as [") + column + "]";
        session.run("create view [" + view.name + "] as select " + columns);
    }
}

// Everything a statement could change: objects, columns with their types
// and nullability, and the rows of the table that holds data.
std::vector<test::Row> fingerprint(test::ServerSession& session) {
    auto rows = session.rows(
        "select o.name, o.type, c.name, c.column_id, type_name(c.user_type_id), c.max_length, c.is_nullable "
        "from sys.objects o left join sys.columns c on c.object_id = o.object_id "
        "where o.is_ms_shipped = 0 order by o.name, c.column_id");
    const auto data = session.rows("select * from YAPRAQLAR order by 1");
    rows.insert(rows.end(), data.begin(), data.end());
    return rows;
}

TEST(LivePreview, SnapshotDriftAndPlanReadTheDatabaseAndChangeNothing) {
    ORVEL_SKIP_WITHOUT_LIVE_SERVER();
    test::ScratchDatabase scratch("orvel_live_preview_");
    const std::string odbc = scratch.connectionString();
    test::TempDir dir;
    const CatalogueSnapshot older = olderPelsa(dir);
    const auto newDatabase = RunCli(Strings{"snapshot", "--odbc", odbc});
    ASSERT_EQ(newDatabase.exitCode, 0) << newDatabase.err;
    test::ServerSession session(odbc);
    create(session, older);
    session.run("insert into YAPRAQLAR([" + find(older.tables, "YAPRAQLAR").columns.front() + "]) values (N'\xD9\x8A\xDA\xA9')");
    const auto before = fingerprint(session);

    // snapshot: the database's catalogue.
    const auto snapshot = RunCli(Strings{"snapshot", "--odbc", odbc});
    ASSERT_EQ(snapshot.exitCode, 0) << snapshot.err;
    const CatalogueSnapshot listed = test::WithoutServerObjects(CatalogueSnapshot::FromJson(snapshot.out),
                                                                CatalogueSnapshot::FromJson(newDatabase.out));
    EXPECT_EQ(test::AsServerCompares(listed).ToJson(), test::AsServerCompares(older).ToJson());

    // drift: the missing table and columns, found by name whatever the case.
    const auto drift = RunCli(Strings{"drift", "--product", "Pelsa", "--odbc", odbc, "--format", "json"});
    ASSERT_EQ(drift.exitCode, 4) << drift.err;
    const Json found = Json::parse(drift.out);
    ASSERT_EQ(found["missingTables"].size(), 1u) << drift.out;
    EXPECT_EQ(found["missingTables"][0]["table"], "Transfer");
    std::set<Strings> columns;
    for (const auto& c : found["missingColumns"])
        columns.insert({c["table"].get<std::string>(), c["column"].get<std::string>()});
    EXPECT_EQ(columns, (std::set<Strings>{{"TCapability", "pic_type"}, {"TCapability", "Brightness"}})) << drift.out;

    // plan --odbc: exactly the plan of the snapshot, which creates the
    // missing table and adds the missing columns.
    dir.write("snapshot.json", snapshot.out);
    for (const std::string format : {"jsonl", "sql"}) {
        const auto live = RunCli(Strings{"plan", "--product", "Pelsa", "--odbc", odbc, "--format", format});
        const auto fromFile = RunCli(Strings{"plan", "--product", "Pelsa", "--format", format, "--catalog",
                                             (dir.path() / "snapshot.json").string()});
        ASSERT_EQ(live.exitCode, 0) << live.err;
        EXPECT_TRUE(live.out == fromFile.out) << format;
        if (format == "sql") {
            EXPECT_NE(live.out.find("create table dbo.Transfer( "), std::string::npos);
            EXPECT_NE(live.out.find("ALTER TABLE TCapability ADD pic_type "), std::string::npos);
        }
    }

    EXPECT_EQ(fingerprint(session), before);
}

}  // namespace
}  // namespace orvel
