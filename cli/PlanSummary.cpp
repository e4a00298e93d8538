// Counting planned statements by what they do, from their text.
#include "cli/PlanSummary.h"

#include <algorithm>
#include <cctype>

#include <fmt/format.h>

namespace orvel {

namespace {

std::string lowered(const std::string& text) {
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return result;
}

}  // namespace

PlanSummary Summarize(const std::vector<StatementRecord>& records) {
    PlanSummary summary;
    for (const auto& record : records) {
        const std::string sql = lowered(record.sql);
        if (sql.starts_with("create table "))
            ++summary.tablesCreated;
        else if (sql.starts_with("drop table "))
            ++summary.tablesDropped;
        else if (sql.starts_with("alter table ") && sql.find(" alter column ") != std::string::npos)
            ++summary.columnsAltered;
        else if (sql.starts_with("alter table ") && sql.find(" add constraint ") == std::string::npos &&
                 sql.find(" add ") != std::string::npos)
            ++summary.columnsAdded;
        else
            ++summary.otherStatements;
    }
    return summary;
}

std::string FormatSummary(const std::string& product, int steps, const PlanSummary& summary) {
    return fmt::format(
        "{}: {} steps, {} statements\n"
        "  tables created    {:>6}\n"
        "  tables dropped    {:>6}\n"
        "  columns added     {:>6}\n"
        "  columns altered   {:>6}\n"
        "  other statements  {:>6}  (keys, indexes, data fixes, server objects)\n",
        product, steps, summary.total(), summary.tablesCreated, summary.tablesDropped, summary.columnsAdded, summary.columnsAltered,
        summary.otherStatements);
}

}  // namespace orvel
