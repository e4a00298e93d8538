// What SQL Server makes of stored values when ALTER COLUMN changes their
// type, as a table of cases: the value, the column's type before and after,
// and SQL Server's answer (converts, refused, or not settled: "not judged"),
// with where that answer comes from.  The check's rules must foresee each
// answer; the live suite LiveConversions also runs each ALTER on the T-SQL
// engine and lists where the engine answers otherwise.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace orvel::test {

enum class Fate { Converts, Refused, NotJudged };

struct ConversionCase {
    std::string what;
    std::optional<std::string> value;  // as stored: text, or a number's literal; none for NULL
    std::string from, to;              // the column's type before and after
    Fate sqlServer;                    // SQL Server's answer
    std::string source;                // where the answer comes from (a key of ConversionSources())
    // The T-SQL engine's answer where it differs from SQL Server's.
    std::optional<Fate> engine = std::nullopt;
};

const std::vector<ConversionCase>& ConversionCases();

// The sources the cases name, by key: a title and an address.
const std::vector<std::pair<std::string, std::string>>& ConversionSources();

const char* FateName(Fate fate);

}  // namespace orvel::test
