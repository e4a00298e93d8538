// What orvel-updater-cli shows of a live server: `exec` with several result
// sets, counts and messages in one text; an upgrade's progress in steps and
// its summary line and JSON; `drift` naming the columns whose type, length
// or nullability differ from what the product creates; and errors naming the
// server and database they met.
#include <algorithm>
#include <set>

#include <fmt/format.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "CliRunner.h"
#include "LiveCliRuns.h"
#include "LiveServer.h"
#include "database/ConnectionText.h"
#include "database/NameMatching.h"
#include "upgrade/Messages.h"
#include "upgrade/Platform.h"

namespace orvel {
namespace {

using Strings = std::vector<std::string>;
using Json = nlohmann::json;
using test::RunCli;

// "SERVER/DATABASE" as an error names the database of `odbc`.
std::string placeOf(const std::string& odbc) {
    const ConnectionTarget target = DescribeConnectionText(odbc);
    return target.server.value_or("") + "/" + target.catalog.value_or("");
}

TEST(LiveCliOutput, ExecShowsEveryResultSetCountAndMessageInTheOrderTheServerSentThem) {
    ORVEL_SKIP_WITHOUT_LIVE_SERVER();
    test::ScratchDatabase scratch("orvel_live_exec_");
    const std::string odbc = scratch.connectionString();
    const std::string text =
        "create table T(ID int, Name nvarchar(20)); insert into T values (1, N'\xD9\x8A\xDA\xA9'), (2, NULL), (3, N''); "
        "print 'between'; select ID, Name from T order by ID; select count(*) as n from T; "
        "update T set Name = N'x' where ID = 99; raiserror('a notice', 10, 1)";

    const auto table = RunCli(Strings{"exec", "--odbc", odbc, "--sql", text});
    ASSERT_EQ(table.exitCode, 0) << table.err;
    const std::string sentence = std::string(kQuerySucceededMessage);
    const std::vector<std::string> inOrder = {
        "(3 rows affected)\n", "between\n", "ID  Name\n--  ----\n1   \xD9\x8A\xDA\xA9\n2   NULL\n3\n\n(3 rows)\n",
        "n\n-\n3\n\n(1 row)\n", "(0 rows affected)\n", "a notice\n", "\n" + sentence + "\n"};
    std::size_t at = 0;
    for (const auto& part : inOrder) {
        const auto found = table.out.find(part, at);
        ASSERT_NE(found, std::string::npos) << "missing or out of order: " << part << "\n" << table.out;
        at = found + part.size();
    }
    EXPECT_TRUE(table.out.ends_with(sentence + "\n"));

    const auto json = RunCli(Strings{"exec", "--odbc", odbc, "--sql", "select ID from T order by ID; print 'done'; "
                                                                      "select Name from T where ID = 2",
                                     "--format", "json"});
    ASSERT_EQ(json.exitCode, 0) << json.err;
    const Json answer = Json::parse(json.out);
    EXPECT_EQ(answer["database"], placeOf(odbc));
    ASSERT_EQ(answer["resultSets"].size(), 2u) << json.out;
    EXPECT_EQ(answer["resultSets"][0]["rows"], Json::parse(R"([["1"], ["2"], ["3"]])"));
    EXPECT_EQ(answer["resultSets"][1]["rows"], Json::parse(R"([[null]])"));
    ASSERT_EQ(answer["messages"].size(), 1u) << json.out;
    EXPECT_TRUE(answer["messages"][0].get<std::string>().ends_with("done"));

    // A text that fails part-way: the results before the error are shown.
    const auto failed = RunCli(Strings{"exec", "--odbc", odbc, "--sql", "select 7 as seven; select * from OrvelNoSuchTable",
                                       "--format", "json"});
    EXPECT_EQ(failed.exitCode, 1);
    const Json failure = Json::parse(failed.out);
    EXPECT_EQ(failure["result"], "failed");
    EXPECT_EQ(failure["resultSets"][0]["rows"], Json::parse(R"([["7"]])")) << failed.out;
    // (The T-SQL engine names the table in lower case.)
    EXPECT_NE(FoldAsciiCase(failure["error"].get<std::string>()).find("orvelnosuchtable"), std::string::npos)
        << failed.out;
    EXPECT_TRUE(failed.err.starts_with("orvel-updater-cli: error: running the statement (" + placeOf(odbc) + "): "))
        << failed.err;
}

TEST(LiveCliOutput, AnUpgradeCountsItsProgressInStepsAndEndsWithItsSummary) {
    ORVEL_SKIP_WITHOUT_LIVE_SERVER();
    test::ScratchDatabase scratch("orvel_live_summary_");
    const std::string odbc = scratch.connectionString();
    test::TempDir dir;
    const auto log = dir.path() / "first.jsonl";

    const auto first = RunCli(Strings{"upgrade", "--product", "Pelsa", "--odbc", odbc, "--log", log.string(),
                                      "--format", "json"});
    ASSERT_EQ(first.exitCode, 0) << first.err;
    const Json result = Json::parse(first.out);
    EXPECT_EQ(result["product"], "Pelsa");
    EXPECT_EQ(result["database"], placeOf(odbc));
    EXPECT_EQ(result["result"], "success");
    EXPECT_EQ(result["statements"], 181);
    EXPECT_EQ(test::StatementCount(log), 181);
    EXPECT_EQ(result["log"], log.string());
    EXPECT_TRUE(std::filesystem::exists(UserRecordsFolder() / (result["recordId"].get<std::string>() + ".jsonl")))
        << result;
    // Off a terminal, a line per table, each with the step and the share of
    // the steps done before it; the last line says every step is done.
    for (int step = 1; step <= 8; ++step) {
        const std::string line = fmt::format("step {} of 8 ({}%) | table ", step, 100 * (step - 1) / 8);
        EXPECT_NE(first.err.find(line), std::string::npos) << line << "\n" << first.err;
    }
    EXPECT_TRUE(first.err.ends_with("all 8 steps done (100%)\n")) << first.err;

    const auto second = RunCli(Strings{"upgrade", "--product", "pelsa", "--odbc", odbc});
    ASSERT_EQ(second.exitCode, 0) << second.err;
    const std::string start = std::string(kRunSucceededMessage) + "\nPelsa upgraded: 0 statements sent in ";
    EXPECT_TRUE(second.out.starts_with(start)) << second.out;
    EXPECT_TRUE(second.out.ends_with("; no log file\n")) << second.out;
    EXPECT_NE(second.out.find(" s; record "), std::string::npos) << second.out;
}

// A column set apart by its type, its length or its nullability, with rows
// in the tables; a column missing is listed as missing only, and a table of
// the same name in another schema whose column differs adds nothing while
// the product's own table has the column alike.
TEST(LiveCliOutput, DriftNamesTheColumnsWhoseTypeLengthOrNullabilityDiffer) {
    ORVEL_SKIP_WITHOUT_LIVE_SERVER();
    test::ScratchDatabase scratch("orvel_live_drifttypes_");
    const std::string odbc = scratch.connectionString();
    ASSERT_EQ(RunCli(Strings{"upgrade", "--product", "Pelsa", "--odbc", odbc}).exitCode, 0);
    const auto clean = RunCli(Strings{"drift", "--product", "Pelsa", "--odbc", odbc});
    EXPECT_EQ(clean.exitCode, 0) << clean.err;
    EXPECT_EQ(clean.out, "Pelsa: nothing is missing, no column differs\n");

    test::ServerSession session(odbc);
    session.run("insert into TCapability(ID, Rotation, path) values (1, 90, N'\xD9\x8A'), (2, NULL, N''), (3, -2147483648, NULL)");
    session.run("insert into TModify(CTM, Tel1) values (1, N'021'), (2, NULL)");
    // The server takes no NOT NULL in ALTER COLUMN here (the T-SQL engine):
    // the column is made again NOT NULL instead.
    for (const char* change : {
             "alter table TCapability alter column Rotation nvarchar(12)",
             "alter table Tsetting alter column NK nvarchar(100)",
             "alter table TModify drop column Tel1",
             "alter table TModify add Tel1 nvarchar(50) not null default N''",
             "alter table TModify alter column Tel2 money",
             "alter table TCapability drop column pic_type",
             "create schema other",
             "create table other.yapraqlar(ID int, Name nvarchar(7))",
         })
        session.run(change);

    const auto drift = RunCli(Strings{"drift", "--product", "Pelsa", "--odbc", odbc, "--format", "json"});
    ASSERT_EQ(drift.exitCode, 4) << drift.err;
    const Json found = Json::parse(drift.out);
    EXPECT_EQ(found["typesCompared"], true);
    std::set<Strings> different;
    for (const auto& c : found["differentColumns"]) {
        Strings row = {c["table"], c["column"], c["product"]["type"], c["database"]["type"]};
        for (const auto& d : c["differences"]) row.push_back(d);
        different.insert(row);
    }
    EXPECT_EQ(different, (std::set<Strings>{
                             {"TCapability", "Rotation", "int", "nvarchar(12)", "type"},
                             {"Tsetting", "NK", "nvarchar(150)", "nvarchar(100)", "length"},
                             {"TModify", "Tel1", "nvarchar(50)", "nvarchar(50)", "nullability"},
                             {"TModify", "Tel2", "nvarchar(50)", "money", "type"},
                         }))
        << drift.out;
    ASSERT_EQ(found["missingColumns"].size(), 1u) << drift.out;
    EXPECT_EQ(found["missingColumns"][0]["column"], "pic_type");

    const auto table = RunCli(Strings{"drift", "--product", "Pelsa", "--odbc", odbc});
    EXPECT_EQ(table.exitCode, 4);
    EXPECT_TRUE(table.out.starts_with("Pelsa: missing tables 0, missing columns 1, columns that differ 4\n")) << table.out;
    const auto tel1 = table.out.find("  TModify      Tel1 ");
    ASSERT_NE(tel1, std::string::npos) << table.out;
    const std::string line = table.out.substr(tel1, table.out.find('\n', tel1) - tel1);
    EXPECT_NE(line.find(" nvarchar(50) NULL "), std::string::npos) << line;
    EXPECT_NE(line.find(" nvarchar(50) NOT NULL "), std::string::npos) << line;
    EXPECT_TRUE(line.ends_with(" nullability")) << line;

    // A snapshot file holds no types: only the missing column counts.
    test::TempDir dir;
    dir.write("snapshot.json", RunCli(Strings{"snapshot", "--odbc", odbc}).out);
    const auto fromFile = RunCli(Strings{"drift", "--product", "Pelsa", "--catalog", (dir.path() / "snapshot.json").string(),
                                         "--format", "json"});
    EXPECT_EQ(fromFile.exitCode, 4);
    EXPECT_EQ(Json::parse(fromFile.out)["typesCompared"], false);
    EXPECT_EQ(Json::parse(fromFile.out)["differentColumns"], Json::array());
}

// Every command that cannot reach its database names the server and the
// database in its error.
TEST(LiveCliOutput, ErrorsNameTheServerAndTheDatabase) {
    ORVEL_SKIP_WITHOUT_LIVE_SERVER();
    test::ScratchDatabase scratch("orvel_live_errors_");
    const std::string missing = scratch.connectionString() + "_missing";
    const Strings commands[] = {
        {"exec", "--sql", "select 1"},  {"snapshot"}, {"drift", "--product", "Pelsa"},
        {"check", "--product", "Pelsa"}, {"plan", "--product", "Pelsa"},
        {"upgrade", "--product", "Pelsa"},
    };
    for (Strings arguments : commands) {
        arguments.insert(arguments.end(), {"--odbc", missing});
        const auto r = RunCli(arguments);
        EXPECT_EQ(r.exitCode, 1) << arguments.front() << "\n" << r.err;
        EXPECT_NE(r.err.find("orvel-updater-cli: error: connecting (" + placeOf(missing) + "): ["), std::string::npos)
            << arguments.front() << "\n" << r.err;
    }
}

}  // namespace
}  // namespace orvel
