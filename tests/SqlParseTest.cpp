// Every statement a run of the insurance-office and treasury products sends
// parses as T-SQL, and the check that says so can fail.
#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>

#include "SqlParseCheck.h"

namespace orvel::test {
namespace {

std::string describe(const std::vector<ParseFailure>& failures) {
    std::string text;
    for (const auto& f : failures) text += "step " + f.step + ": " + f.message + "  in: " + f.sql.substr(0, 300) + "\n";
    return text;
}

TEST(SqlParseCheck, ReportsEveryUnparsableStatementExceptAllowedOnes) {
    const std::string bigBroken = "SELECT FROM WHERE (" + std::string(30000, ' ') + "\r-- over the parser's size limit";
    const struct {
        const char* step;
        std::string sql;
        bool reported;
    } cases[] = {
        {"good", "SELECT A, B -- a comment ends at the carriage return\rFROM T\rWHERE A = 'ي'", false},
        {"broken", "SELECT FROM WHERE (", true},
        {"comment ends at CR", "SELECT A FROM T WHERE (A = 1 -- the close is on the next line\r)", false},
        {"unclosed", "SELECT A FROM T WHERE (A = 1", true},
        {"big broken", bigBroken, true},
        {"allowed", "EXEC('SELECT 1')", false},
    };
    std::vector<SentStatement> statements;
    for (const auto& c : cases) statements.push_back({c.step, c.sql});
    const std::vector<AllowedUnparsable> allowList{
        {"allowed", "EXEC('", "the dialect has no EXEC of a literal"},
        {"good", "FROM T", "never needed: the statement parses"},
    };

    const auto result = CheckTsqlParses(statements, allowList);

    for (const auto& c : cases) {
        const bool reported = std::any_of(result.failures.begin(), result.failures.end(),
                                          [&](const ParseFailure& f) { return f.step == c.step; });
        EXPECT_EQ(reported, c.reported) << c.step << "\n" << describe(result.failures);
    }
    EXPECT_EQ(result.unusedAllowances, std::vector<std::string>{"good: FROM T"});
}

TEST(SqlParse, EveryStatementOfTheInsuranceAndTreasuryRunsParses) {
    std::vector<SentStatement> statements;
    for (const char* product : {"Velora", "Kestin"}) {
        auto run = RegisteredRunStatements(product);
        if (!run.unregisteredSteps.empty())
            std::cout << product << ": " << run.unregisteredSteps.size()
                      << " steps of the list are not registered yet and were passed over\n";
        statements.insert(statements.end(), run.statements.begin(), run.statements.end());
    }
    ASSERT_FALSE(statements.empty());

    const auto result = CheckTsqlParses(statements, ProductAllowList());

    EXPECT_TRUE(result.failures.empty()) << describe(result.failures);
    EXPECT_TRUE(result.unusedAllowances.empty()) << ::testing::PrintToString(result.unusedAllowances);
}

}  // namespace
}  // namespace orvel::test
