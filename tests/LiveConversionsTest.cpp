// The value table (ConversionCases.cpp) against the check and a live
// server: each value stands in a table of its own in one scratch database;
// the check's real questions foresee each ALTER COLUMN, and the prediction
// must be SQL Server's answer as the table gives it (converting values never
// foreseen refused, refused values always foreseen, unsettled ones "not
// judged").  Then each ALTER COLUMN runs for real: where the table's answer
// is settled, the server's fate must be that answer, or the engine's own as
// the table lists it (printed at the end, for the engine's README).
#include <chrono>
#include <iostream>

#include <fmt/format.h>
#include <gtest/gtest.h>

#include "ConversionCases.h"
#include "LiveServer.h"
#include "check/RefusalCheck.h"
#include "database/OdbcDatabase.h"
#include "database/SqlTokens.h"
#include "schema/CatalogueReader.h"

namespace orvel {
namespace {

using test::ConversionCase;
using test::Fate;
using test::FateName;

bool IsTextType(const std::string& type) {
    return type.find("char") != std::string::npos || type.find("text") != std::string::npos;
}

std::string Literal(const ConversionCase& c) {
    if (!c.value) return "NULL";
    return IsTextType(c.from) ? UnicodeLiteral(*c.value) : *c.value;
}

std::string Shown(const ConversionCase& c) {
    if (!c.value) return "NULL";
    std::string shown;
    for (char ch : *c.value) shown += ch == '\t' ? "\\t" : ch == '\r' ? "\\r" : ch == '\n' ? "\\n" : std::string(1, ch);
    return "'" + (shown.size() > 40 ? shown.substr(0, 37) + "..." : shown) + "'";
}

TEST(LiveConversions, EachValueIsForeseenAsSqlServerAnswersAndTheServersFateIsListed) {
    ORVEL_SKIP_WITHOUT_LIVE_SERVER();
    const auto& cases = test::ConversionCases();
    test::ScratchDatabase scratch("orvel_conversions_");
    OdbcDatabase db;
    db.open(scratch.connectionString());
    std::string fill;
    std::vector<PlannedStatement> plan;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const ConversionCase& c = cases[i];
        fill += fmt::format("CREATE TABLE cv{0} (k int NOT NULL, v {1});\nINSERT INTO cv{0} (k, v) VALUES (1, {2});\n",
                            i, c.from, Literal(c));
        plan.push_back({c.what, fmt::format("ALTER TABLE cv{} ALTER COLUMN v {}", i, c.to)});
    }
    db.execute(fill);

    const auto started = std::chrono::steady_clock::now();
    const CatalogueSnapshot start = ReadCatalogueSnapshot(ReadOnlyCatalogue(db));
    int reads = 0;
    const CheckReport report = CheckPlannedRun(db, "conversions", start, plan, std::nullopt, &reads);
    std::cout << "the check of " << cases.size() << " statements: " << reads << " reads in "
              << std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started).count()
              << " ms\n";
    std::vector<Fate> predicted(cases.size(), Fate::Converts);
    for (const auto& n : report.notJudged) predicted[n.statementIndex] = Fate::NotJudged;
    for (const auto& r : report.refusals) predicted[r.statementIndex] = Fate::Refused;

    std::string differences;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const ConversionCase& c = cases[i];
        const std::string what = fmt::format("{} {} from {} to {}", c.what, Shown(c), c.from, c.to);
        EXPECT_EQ(FateName(predicted[i]), std::string(FateName(c.sqlServer))) << what << " (" << c.source << ")";
        Fate fate = Fate::Converts;
        std::string message;
        try {
            db.execute(plan[i].sql);
        } catch (const DatabaseError& e) {
            fate = Fate::Refused;
            message = e.what();
        }
        if (c.sqlServer == Fate::NotJudged) {
            std::cout << "not judged: " << what << ": the server " << FateName(fate) << "\n";
            continue;
        }
        EXPECT_EQ(FateName(fate), std::string(FateName(c.engine.value_or(c.sqlServer))))
            << what << ": " << message;
        if (c.engine)
            differences += fmt::format("  {}: SQL Server {}, this server {}{}\n", what, FateName(c.sqlServer),
                                       FateName(fate), message.empty() ? "" : " (" + message + ")");
    }
    std::cout << "where this server answers otherwise than SQL Server:\n" << differences;
}

}  // namespace
}  // namespace orvel
