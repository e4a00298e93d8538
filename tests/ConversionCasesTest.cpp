// The value table (ConversionCases.cpp) covers every rule that judges
// stored values: each such rule of the check is asked of at least one case.
// (Whether each prediction is SQL Server's answer needs a server to run the
// questions: LiveConversions.)
#include <gtest/gtest.h>

#include <set>

#include <fmt/format.h>

#include "ConversionCases.h"
#include "check/RefusalCheck.h"

namespace orvel {
namespace {

TEST(ConversionCases, EveryRuleThatJudgesStoredValuesIsAskedOfSomeCase) {
    const auto& cases = test::ConversionCases();
    std::vector<PlannedStatement> plan;
    CatalogueSnapshot start;
    Metadata metadata;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const std::string table = fmt::format("cv{}", i);
        plan.push_back({cases[i].what, fmt::format("ALTER TABLE {} ALTER COLUMN v {}", table, cases[i].to)});
        start.tables.push_back({table, {"k", "v"}});
        metadata.tables[table] = {table, {{"k", "int", false}, {"v", cases[i].from}}, {}};
    }
    const PlannedChanges planned = ReadPlannedChanges(plan);
    const CatalogueJudgement judged = JudgeCatalogue(planned, start, std::map<std::string, std::string>{});
    ASSERT_TRUE(judged.refusals.empty());
    std::set<const CheckRule*> asked;
    for (const auto& question : DataQuestions(planned, judged, metadata))
        for (const auto& probe : question.probes) asked.insert(probe.row);

    for (const auto& rule : CheckRules()) {
        const bool judgesValues =
            rule.rule == "conversion" || rule.rule == "out-of-range" || rule.rule == "too-long";
        if (!judgesValues) continue;
        EXPECT_TRUE(asked.contains(&rule)) << "no case asks the rule " << rule.rule << " (error " << rule.error
                                           << "): " << rule.reason;
    }
    // Every source a case names is in the legend: keys separated by ", ",
    // each perhaps followed by a remark in parentheses.
    std::set<std::string> legend;
    for (const auto& [key, text] : test::ConversionSources()) legend.insert(key);
    for (const auto& c : cases) {
        std::size_t from = 0;
        while (from < c.source.size()) {
            const std::size_t comma = std::min(c.source.find(", ", from), c.source.size());
            std::string key = c.source.substr(from, comma - from);
            key = key.substr(0, key.find(" ("));
            EXPECT_TRUE(legend.contains(key)) << c.what << ": the source " << key << " is not in the legend";
            from = comma + 2;
        }
    }
}

}  // namespace
}  // namespace orvel
