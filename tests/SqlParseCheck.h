// A T-SQL syntax check of the statements a run sends, by sqlfluff.
//
// RegisteredRunStatements runs a product's list the way `plan` does (against
// the catalogue simulator, SQL Server chosen) with every step this program
// registers; steps not registered yet are passed over and named, so the
// check covers what exists while other steps are still being written.
// CheckTsqlParses writes each statement to a file of its own, with its
// carriage returns turned into line feeds for the parser only, lints them all
// in one sqlfluff process and reports every file that does not parse, except
// statements on the allow-list of known parser gaps.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace orvel::test {

struct SentStatement {
    std::string step;  // the step that sent it
    std::string sql;   // exactly as sent
};

struct RunStatements {
    std::vector<SentStatement> statements;
    std::vector<std::string> unregisteredSteps;  // in the list, not in this program yet
};

RunStatements RegisteredRunStatements(const std::string& productId);

// A statement sqlfluff cannot parse although the server accepts it: the
// statement of `step` that contains `fragment`, and why it is excused.
struct AllowedUnparsable {
    std::string_view step;
    std::string_view fragment;
    std::string_view reason;
};

struct ParseFailure {
    std::string step;
    std::string sql;
    std::string message;  // sqlfluff's description(s)
};

struct ParseCheckResult {
    std::vector<ParseFailure> failures;
    std::vector<std::string> unusedAllowances;  // allow-list entries that matched nothing unparsable
};

// Throws std::runtime_error when sqlfluff cannot be run or answers with
// something other than its report.
ParseCheckResult CheckTsqlParses(const std::vector<SentStatement>& statements,
                                 const std::vector<AllowedUnparsable>& allowList);

// Known gaps of sqlfluff's T-SQL dialect in the statements of the products.
const std::vector<AllowedUnparsable>& ProductAllowList();

}  // namespace orvel::test
