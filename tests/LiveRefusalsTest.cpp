// Refusals foreseen, on a live server: an up-to-date product database is
// given rows that a statement of the next run cannot survive.  `check` must
// name that statement and the rows; the real `upgrade` must stop at exactly
// that statement, with the explanation under the server's message and no
// row lost; once the rows are mended as the advice says, `check` expects
// nothing and the run completes.
//
// Only the rules the engine refuses as SQL Server does are run here; the
// engine cannot make a column NOT NULL by ALTER COLUMN at all (its README),
// so the NULL, key and numbering rules are pinned by the core tests of the
// check's questions.
#include <algorithm>
#include <chrono>
#include <iostream>

#include <fmt/format.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "AdaptedProductRun.h"
#include "CliRunner.h"
#include "LiveCliRuns.h"
#include "LiveServer.h"
#include "database/NameMatching.h"
#include "OlderInsuranceOffice.h"

namespace orvel {
namespace {

using Strings = std::vector<std::string>;
using test::RunCli;

struct Fixture {
    const char* name;
    const char* product;
    Strings offendingRows;   // sent to the up-to-date database
    const char* statement;   // the statement expected refused, as the run sends it
    long error;              // SQL Server's number, in the check and the run's message
    const char* table;       // whose rows must all be kept
    long rowsAtFault;
    const char* offendingValue;  // the first example's value
    Strings mend;                // what the advice asks for
};

void PrintTo(const Fixture& fixture, std::ostream* out) { *out << fixture.name; }

const std::string kLongCode(60, 'x');

const Fixture kFixtures[] = {
    {"SettingTextThatIsNoNumber",
     "Mornale",
     {"ALTER TABLE Setting ALTER COLUMN Auto_back nvarchar(50)",
      "INSERT INTO Setting (shr, Auto_back) VALUES (1, N'بله')",
      "INSERT INTO Setting (shr, Auto_back) VALUES (2, N' 12 ')"},
     "alter table Setting alter column Auto_back  integer",
     245,
     "Setting",
     1,
     "بله",
     {"UPDATE Setting SET Auto_back = N'1' WHERE shr = 1"}},
    {"CodeLongerThanItsNewType",
     "Kestin",
     {"ALTER TABLE A_GMTHesab ALTER COLUMN CK nvarchar(80)",
      "INSERT INTO A_GMTHesab (SHF, TA, CK) VALUES (1, N'1', N'" + kLongCode + "')",
      "INSERT INTO A_GMTHesab (SHF, TA, CK) VALUES (2, N'1', N'short')"},
     "ALTER TABLE A_GMTHesab ALTER COLUMN CK nvarchar(50)",
     8152,
     "A_GMTHesab",
     1,
     kLongCode.c_str(),
     {"UPDATE A_GMTHesab SET CK = LEFT(CK, 50)"}},
};

class LiveRefusals : public testing::TestWithParam<Fixture> {};

TEST_P(LiveRefusals, CheckNamesTheStatementTheRunStopsAtAndMendedRowsLetTheRunComplete) {
    ORVEL_SKIP_WITHOUT_LIVE_SERVER();
    const Fixture& f = GetParam();
    test::ScratchDatabase scratch("orvel_refusal_" + FoldAsciiCase(f.product) + "_");
    const std::string odbc = scratch.connectionString();
    const Strings product{"--product", f.product, "--odbc", odbc};
    const auto command = [&](Strings words) {
        words.insert(words.end(), product.begin(), product.end());
        return RunCli(words);
    };
    const auto first = command({"upgrade"});
    ASSERT_EQ(first.exitCode, 0) << first.err;
    test::ServerSession session(odbc);
    for (const auto& sql : f.offendingRows) session.run(sql);
    const std::string countRows = std::string("SELECT COUNT(*) FROM ") + f.table;
    const auto rowsBefore = session.value(countRows);

    // The check names the statement, the rule's number and the row.
    const auto check = command({"check", "--format", "json"});
    ASSERT_EQ(check.exitCode, 5) << check.out << check.err;
    const auto report = nlohmann::json::parse(check.out);
    ASSERT_EQ(report["refusals"].size(), 1u) << check.out;
    const auto& refusal = report["refusals"][0];
    EXPECT_EQ(refusal["statement"], f.statement);
    EXPECT_EQ(refusal["error"], f.error);
    EXPECT_EQ(refusal["rowsAtFault"], f.rowsAtFault);
    ASSERT_FALSE(refusal["examples"].empty());
    EXPECT_EQ(refusal["examples"][0]["value"], f.offendingValue);

    // --check-first sends nothing; the real run stops at exactly that
    // statement, explained, and keeps every row.
    test::TempDir dir;
    const auto log = dir.path() / "run.jsonl";
    const auto checked = command({"upgrade", "--check-first", "--log", log.string()});
    EXPECT_EQ(checked.exitCode, 5) << checked.err;
    EXPECT_EQ(test::LoggedStatements(log), "");
    const auto stopped = command({"upgrade", "--log", log.string()});
    ASSERT_EQ(stopped.exitCode, 1) << stopped.err;
    EXPECT_NE(stopped.err.find("Why (error " + std::to_string(f.error) + ")"), std::string::npos) << stopped.err;
    std::string lastLine = test::LoggedStatements(log);
    lastLine.pop_back();
    lastLine = lastLine.substr(lastLine.rfind('\n') + 1);
    const auto refused = nlohmann::json::parse(lastLine);
    EXPECT_EQ(refused["sql"], f.statement);
    EXPECT_TRUE(refused.contains("error"));
    EXPECT_EQ(session.value(countRows), rowsBefore);

    // Mended as advised: nothing expected, and the run completes.
    for (const auto& sql : f.mend) session.run(sql);
    const auto clean = command({"check"});
    EXPECT_EQ(clean.exitCode, 0) << clean.out << clean.err;
    const auto completed = command({"upgrade", "--check-first"});
    EXPECT_EQ(completed.exitCode, 0) << completed.err;
    EXPECT_EQ(session.value(countRows), rowsBefore);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, LiveRefusals, testing::ValuesIn(kFixtures),
                         [](const auto& info) { return std::string(info.param.name); });

// Older insurance-office tables holding rows that SQL Server refuses to key:
// an empty SH_B and a repeated (SH_B, SH_ID) in A_FASQ, an empty SH_R and a
// repeated (SH_R, CA) in A_GHAVALEH.  The engine refuses every ALTER COLUMN
// ... NOT NULL whatever the rows hold (its README), so no run can show the
// refusals there: the prediction alone is checked, statement by statement.
// The numbering gives the empty SH_IDs values of their own, so SH_ID NOT
// NULL is not expected refused.
TEST(LiveRefusalPredictions, EmptyAndRepeatedKeyValuesOfOlderTablesAreNamedWithTheirRows) {
    ORVEL_SKIP_WITHOUT_LIVE_SERVER();
    test::ScratchDatabase scratch("orvel_refusal_keys_");
    const std::string odbc = scratch.connectionString();
    test::ServerSession session(odbc);
    for (const char* table : test::kOlderInsuranceOfficeTables) session.run(table);
    for (const char* sql : {
             "CREATE TABLE A_FASQ (SH_B nvarchar(50), SH_ID int, TA nvarchar(10))",
             "INSERT INTO A_FASQ (SH_B, SH_ID) VALUES (NULL, 7)",
             "INSERT INTO A_FASQ (SH_B, SH_ID) VALUES (N'B1', 1)",
             "INSERT INTO A_FASQ (SH_B, SH_ID) VALUES (N'B1', 1)",
             "INSERT INTO A_FASQ (SH_B, SH_ID) VALUES (N'B2', NULL)",
             "CREATE TABLE A_GHAVALEH (SH_R int, CA int, ID int, NA nvarchar(100))",
             "INSERT INTO A_GHAVALEH VALUES (1, 1, 1, N'a')",
             "INSERT INTO A_GHAVALEH VALUES (1, 1, 2, N'b')",
             "INSERT INTO A_GHAVALEH VALUES (NULL, 2, 3, N'c')",
         })
        session.run(sql);
    const auto check = RunCli(Strings{"check", "--product", "Velora", "--odbc", odbc, "--format", "json"});
    ASSERT_EQ(check.exitCode, 5) << check.out << check.err;
    const auto report = nlohmann::json::parse(check.out);
    std::vector<std::string> found;
    for (const auto& r : report["refusals"])
        found.push_back(fmt::format("{} | {} | {}", r["statement"].get<std::string>(), r["error"].get<long>(),
                                    r["rowsAtFault"].get<long>()));
    const std::vector<std::string> expected = {
        "alter table A_FASQ ALTER COLUMN SH_B NVARCHAR(50) NOT NULL  | 515 | 1",
        "alter table A_FASQ ADD CONSTRAINT PK_A_FASQ PRIMARY KEY (SH_B,SH_ID) | 1505 | 2",
        "alter table A_GHAVALEH ALTER COLUMN SH_R INT NOT NULL | 515 | 1",
        "CREATE UNIQUE NONCLUSTERED INDEX Idx_Uniq_A_GHAVALEH ON A_GHAVALEH (SH_R ASC,CA ASC) | 1505 | 2",
    };
    EXPECT_EQ(found, expected);
}

// An insurance-office database older than the upgrader supports lacks
// columns that no step adds and a step alters (pursant_yuzda of P_TTHESAB):
// `check` names the first statement the run then stops at, which the run
// through the engine adapter confirms.
TEST(LiveRefusalPredictions, TheFirstStatementOnAColumnTheDatabaseLacksIsWhereTheRunStops) {
    ORVEL_SKIP_WITHOUT_LIVE_SERVER();
    test::ScratchDatabase scratch("orvel_refusal_missing_");
    const std::string odbc = scratch.connectionString();
    const auto check = RunCli(Strings{"check", "--product", "Velora", "--odbc", odbc, "--format", "json"});
    ASSERT_EQ(check.exitCode, 5) << check.out << check.err;
    const auto report = nlohmann::json::parse(check.out);
    ASSERT_FALSE(report["refusals"].empty());
    const auto& first = report["refusals"][0];
    EXPECT_EQ(first["error"], 4924);
    EXPECT_EQ(first["statement"], "alter table p_tthesab alter column pursant_yuzda float");

    std::vector<test::EngineBridge> bridges;
    const auto run = test::RunProductAdapted("Velora", odbc, bridges);
    ASSERT_NE(run.error, "");
    ASSERT_FALSE(run.records.empty());
    EXPECT_TRUE(run.records.back().error);
    EXPECT_EQ(run.records.back().sql, first["statement"].get<std::string>());
}

// What a run removes by design is a warning, not a refusal: every run of the
// network-marketing product drops LOGIN with its rows.
TEST(LiveRefusalWarnings, TheRowsOfATableTheRunDropsAreCountedAndNothingIsRefused) {
    ORVEL_SKIP_WITHOUT_LIVE_SERVER();
    test::ScratchDatabase scratch("orvel_refusal_login_");
    const std::string odbc = scratch.connectionString();
    test::ServerSession session(odbc);
    session.run("CREATE TABLE LOGIN (ID int, NAME nvarchar(50))");
    session.run("INSERT INTO LOGIN VALUES (1, N'a')");
    session.run("INSERT INTO LOGIN VALUES (2, N'b')");
    const auto check = RunCli(Strings{"check", "--product", "Tamrix2", "--odbc", odbc, "--format", "json"});
    ASSERT_EQ(check.exitCode, 0) << check.out << check.err;
    const auto report = nlohmann::json::parse(check.out);
    ASSERT_EQ(report["warnings"].size(), 1u) << check.out;
    EXPECT_EQ(report["warnings"][0]["rows"], 2);
    EXPECT_NE(report["warnings"][0]["what"].get<std::string>().find("LOGIN"), std::string::npos);
}

// The figures of `check` on an up-to-date insurance-office database (the
// largest product), beside those of the live `plan`: wall time and the
// questions asked.  Up to date, nothing is expected refused, but for one
// difference of the engine: it lists indexes under mangled names
// (Idx_Uniq_A_GHAVALEH as idx_uniq_a_ghavaleha_ghavaleh<hash>), so the
// product's guarded drop of the unique index never runs there and the index
// stays under the columns the next statements alter, which SQL Server
// would refuse.  On the engine those refusals, and only those, are expected.
TEST(LiveCheckFigures, CheckOfAnUpToDateInsuranceOfficeBesideLivePlan) {
    ORVEL_SKIP_WITHOUT_LIVE_SERVER();
    test::ScratchDatabase scratch("orvel_refusal_velora_");
    const std::string odbc = scratch.connectionString();
    {
        test::ServerSession session(odbc);
        for (const char* table : test::kOlderInsuranceOfficeTables) session.run(table);
    }
    std::vector<test::EngineBridge> bridges;
    const auto run = test::RunProductAdapted("Velora", odbc, bridges);
    ASSERT_EQ(run.error, "");
    const auto timed = [&](const Strings& words) {
        const auto start = std::chrono::steady_clock::now();
        auto result = RunCli(words);
        const auto ms =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
        return std::pair{result, ms};
    };
    const auto [check, checkMs] = timed({"check", "--product", "Velora", "--odbc", odbc, "--format", "json"});
    const auto report = nlohmann::json::parse(check.out);
    for (const auto& refusal : report["refusals"]) EXPECT_TRUE(test::IsEngineMangledIndexRefusal(refusal)) << refusal.dump(2);
    EXPECT_EQ(check.exitCode, report["refusals"].empty() ? 0 : 5) << check.err;
    const auto [plan, planMs] = timed({"plan", "--product", "Velora", "--odbc", odbc, "--summary"});
    EXPECT_EQ(plan.exitCode, 0) << plan.err;
    std::cout << "check: " << checkMs << " ms; " << check.err << "plan --odbc: " << planMs
              << " ms, one catalogue reading\n"
              << check.out;
}

}  // namespace
}  // namespace orvel
