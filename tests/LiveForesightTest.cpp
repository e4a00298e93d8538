// Foresight on live databases: objects of another kind where the run
// expects a table (or a table where it expects a view) are foreseen, with
// what stands there and what to drop or rename first, and explained under
// the server's message when a run meets them; empty and blank text that the
// run makes integer is foreseen converting, and the run with --check-first
// completes; what cannot be judged gives exit 6, and --check-first goes on
// and says so; --check-first shows check's warnings before the first
// statement and writes them to the record.
#include <algorithm>
#include <filesystem>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "CliRunner.h"
#include "LiveCliRuns.h"
#include "LiveServer.h"
#include "OlderInsuranceOffice.h"

namespace orvel {
namespace {

using Strings = std::vector<std::string>;
using test::RunCli;

test::CliResult Cli(Strings words, const std::string& product, const std::string& odbc) {
    words.insert(words.end(), {"--product", product, "--odbc", odbc});
    return RunCli(words);
}

struct OtherKind {
    const char* name;
    const char* product;
    Strings setup;             // on an empty database (Velora: on its older tables)
    long error;                // the refusal foreseen
    const char* statementPart;  // of the statement foreseen refused
    const char* advicePart;
    // Whether the engine refuses the statement as SQL Server does, so that a
    // run meets it and the refusal is explained under the server's message.
    bool engineRefuses;
};

void PrintTo(const OtherKind& c, std::ostream* out) { *out << c.name; }

const OtherKind kOtherKinds[] = {
    {"AViewWhereTheRunDropsATable",
     "Tamrix2",
     {"CREATE TABLE LOGIN_DATA (ID int)", "CREATE VIEW LOGIN AS SELECT ID FROM LOGIN_DATA"},
     3705, "drop table LOGIN", "DROP VIEW [LOGIN]", true},
    {"AViewWhereTheRunAltersATable",
     "Pelsa",
     {"CREATE TABLE TRANSFER_DATA (CT int)", "CREATE VIEW Transfer AS SELECT CT FROM TRANSFER_DATA"},
     2010, "Transfer", "DROP VIEW [Transfer]", true},
    // The engine keeps procedures apart from tables, so it creates the
    // table where SQL Server refuses (2714): only the foresight is checked.
    {"AProcedureWhereTheRunCreatesATable",
     "Pelsa",
     {"CREATE PROCEDURE TCapability AS SELECT 1 AS X"},
     2714, "TCapability", "DROP PROCEDURE [TCapability]", false},
    {"ATableWhereTheRunDropsAView",
     "Velora",
     {"CREATE TABLE V_AQSAT_STS (ID int)"},
     3705, "DROP VIEW V_AQSAT_STS", "sp_rename 'V_AQSAT_STS'", false},
};

class LiveOtherKinds : public testing::TestWithParam<OtherKind> {};

TEST_P(LiveOtherKinds, AreForeseenWithWhatStandsThereAndExplainedWhenARunMeetsThem) {
    ORVEL_SKIP_WITHOUT_LIVE_SERVER();
    const OtherKind& c = GetParam();
    test::ScratchDatabase scratch("orvel_other_kind_");
    const std::string odbc = scratch.connectionString();
    {
        test::ServerSession session(odbc);
        if (std::string(c.product) == "Velora")
            for (const char* table : test::kOlderInsuranceOfficeTables) session.run(table);
        for (const auto& sql : c.setup) session.run(sql);
    }
    const auto check = Cli({"check", "--format", "json"}, c.product, odbc);
    ASSERT_EQ(check.exitCode, 5) << check.out << check.err;
    const auto report = nlohmann::json::parse(check.out);
    const auto found = std::find_if(report["refusals"].begin(), report["refusals"].end(), [&](const auto& r) {
        return r["error"] == c.error && r["rule"] == "another-kind" &&
               r["statement"].template get<std::string>().find(c.statementPart) != std::string::npos;
    });
    ASSERT_NE(found, report["refusals"].end()) << check.out;
    EXPECT_NE((*found)["advice"].get<std::string>().find(c.advicePart), std::string::npos) << found->dump(2);
    EXPECT_NE((*found)["reason"].get<std::string>().find(" is a"), std::string::npos) << found->dump(2);

    // --check-first sends nothing; a run that meets it says why.
    test::TempDir dir;
    const auto log = dir.path() / "run.jsonl";
    if (std::string(c.product) != "Velora") {
        const auto checked = Cli({"upgrade", "--check-first", "--log", log.string()}, c.product, odbc);
        EXPECT_EQ(checked.exitCode, 5) << checked.err;
        EXPECT_EQ(test::StatementCount(log), 0) << test::FileText(log);
    }
    if (!c.engineRefuses) return;
    const auto run = Cli({"upgrade"}, c.product, odbc);
    ASSERT_EQ(run.exitCode, 1) << run.err;
    EXPECT_NE(run.err.find("Why (error " + std::to_string(c.error) + ")"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(c.advicePart), std::string::npos) << run.err;
}

INSTANTIATE_TEST_SUITE_P(Kinds, LiveOtherKinds, testing::ValuesIn(kOtherKinds),
                         [](const auto& info) { return std::string(info.param.name); });

// The restaurant product's settings made integer from text that is empty,
// blank, a number with blanks around or NULL: SQL Server converts them all,
// so nothing is foreseen and the run with --check-first completes.  A value
// whose conversion is not known (a tab after the digits) gives exit 6; the
// run with --check-first goes on and says what was not judged.
TEST(LiveForesight, EmptyAndBlankTextMadeIntegerConvertsAndWhatCannotBeJudgedStopsNothing) {
    ORVEL_SKIP_WITHOUT_LIVE_SERVER();
    test::ScratchDatabase scratch("orvel_foresight_settings_");
    const std::string odbc = scratch.connectionString();
    ASSERT_EQ(Cli({"upgrade"}, "Mornale", odbc).exitCode, 0);
    test::ServerSession session(odbc);
    for (const char* sql : {
             "ALTER TABLE Setting ALTER COLUMN Auto_back nvarchar(50)",
             "ALTER TABLE Setting ALTER COLUMN TO_P1 nvarchar(50)",
             "INSERT INTO Setting (shr, Auto_back, TO_P1) VALUES (1, N'', N'  ')",
             "INSERT INTO Setting (shr, Auto_back, TO_P1) VALUES (2, N' 1 ', NULL)",
             "INSERT INTO Setting (shr, Auto_back, TO_P1) VALUES (3, N'007', N'-2')",
         })
        session.run(sql);
    const auto clean = Cli({"check", "--format", "json"}, "Mornale", odbc);
    EXPECT_EQ(clean.exitCode, 0) << clean.out << clean.err;
    const auto report = nlohmann::json::parse(clean.out);
    EXPECT_TRUE(report["refusals"].empty()) << clean.out;
    EXPECT_TRUE(report["notJudged"].empty()) << clean.out;
    EXPECT_EQ(report["product"], "Mornale");
    EXPECT_FALSE(report["serverVersion"].get<std::string>().empty());

    session.run("INSERT INTO Setting (shr, Auto_back, TO_P1) VALUES (4, N'12' + NCHAR(9), N'1')");
    const auto unsure = Cli({"check", "--format", "json"}, "Mornale", odbc);
    EXPECT_EQ(unsure.exitCode, 6) << unsure.out << unsure.err;
    const auto notJudged = nlohmann::json::parse(unsure.out)["notJudged"];
    ASSERT_EQ(notJudged.size(), 1u) << unsure.out;
    EXPECT_EQ(notJudged[0]["rows"], 1);
    EXPECT_EQ(notJudged[0]["examples"][0]["value"], "12\t");

    // The engine converts the tab as SQL Server may: the run completes.
    const auto run = Cli({"upgrade", "--check-first"}, "Mornale", odbc);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.err.find("not judged: step Setting_R"), std::string::npos) << run.err;
    EXPECT_EQ(session.value("SELECT COUNT(*) FROM Setting"), "4");
}

// What a run removes by design is shown before its first statement and
// kept in the record: every run of the network-marketing product drops
// LOGIN with its rows.
TEST(LiveForesight, CheckFirstShowsTheWarningsBeforeTheFirstStatementAndRecordsThem) {
    ORVEL_SKIP_WITHOUT_LIVE_SERVER();
    test::ScratchDatabase scratch("orvel_foresight_login_");
    const std::string odbc = scratch.connectionString();
    ASSERT_EQ(Cli({"upgrade"}, "Tamrix2", odbc).exitCode, 0);
    test::ServerSession(odbc).run("INSERT INTO LOGIN (ID) VALUES (1)");
    const auto run = Cli({"upgrade", "--check-first"}, "Tamrix2", odbc);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto warning = run.err.find("warning: step before the first step, 1 row(s): the run drops the table LOGIN");
    EXPECT_NE(warning, std::string::npos) << run.err;
    EXPECT_LT(warning, run.err.find("step 1 of")) << run.err;

    const std::filesystem::path folder = std::filesystem::path(std::getenv("XDG_STATE_HOME")) / "orvel-updater";
    std::filesystem::path newest;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (newest.empty() || entry.last_write_time() > std::filesystem::last_write_time(newest)) newest = entry.path();
    std::ifstream in(newest);
    std::string line;
    bool recorded = false;
    while (std::getline(in, line)) {
        const auto json = nlohmann::json::parse(line);
        if (json.contains("check") && !json["check"]["warnings"].empty()) recorded = true;
    }
    EXPECT_TRUE(recorded) << newest;
}

}  // namespace
}  // namespace orvel
