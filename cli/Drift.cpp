// Drift of a catalogue against a product's table steps.
#include "cli/Drift.h"

#include <algorithm>
#include <map>
#include <set>
#include <stdexcept>

#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include "products/StepLists.h"
#include "products/TableSteps.h"
#include "schema/CatalogueSimulator.h"
#include "schema/SchemaOperations.h"
#include "products/serverobjects/ServerObjects.h"

namespace orvel {

namespace {

// The columns a table step gives its table: the first column and every add
// entry, each once.
std::vector<std::string> columnsOf(const TableStep& step) {
    std::vector<std::string> columns;
    auto give = [&columns](const std::string& column) {
        const std::string name = ColumnTestName(column);
        if (!name.empty() && !ContainsNameIgnoreCase(name, columns)) columns.push_back(name);
    };
    give(step.firstColumn);
    for (const auto& entry : step.entries)
        if (entry.kind == EntryKind::Add) give(entry.column);
    return columns;
}

}  // namespace

Drift FindDrift(const std::string& productId, const CatalogueSnapshot& catalogue) {
    std::map<std::string, TableStep, std::less<>> steps;
    for (auto& step : AllTableSteps()) steps.emplace(step.name, std::move(step));
    std::set<std::string, std::less<>> objectSteps;
    for (const auto& step : AllObjectSteps()) objectSteps.insert(step.name);

    // The simulator answers the table and column lists as the database did.
    CatalogueSimulator db(catalogue);
    db.open("drift");
    const std::vector<std::string> tables = db.tableNames();

    Drift drift{productId, {}, {}};
    for (const auto& entry : StepListFor(productId)) {
        if (entry.isReconnectPoint()) continue;
        const auto found = steps.find(entry.step);
        if (found == steps.end()) {
            if (objectSteps.contains(entry.step)) continue;
            throw std::runtime_error("Cannot tell what product " + productId + " needs: its step \"" +
                                     std::string(entry.step) + "\" is not part of this program");
        }
        const TableStep& step = found->second;

        if (!ContainsNameIgnoreCase(step.table, tables)) {
            auto missing = std::find_if(drift.tables.begin(), drift.tables.end(), [&](const MissingTable& t) {
                return ContainsNameIgnoreCase(step.table, {t.table});
            });
            if (missing == drift.tables.end())
                missing = drift.tables.insert(drift.tables.end(), MissingTable{step.table, step.name, {}});
            for (auto& column : columnsOf(step))
                if (!ContainsNameIgnoreCase(column, missing->columns)) missing->columns.push_back(column);
            continue;
        }
        const std::vector<std::string> present = db.columnNames(step.table);
        for (const auto& column : step.entries) {
            if (column.kind != EntryKind::Add) continue;
            const std::string name = ColumnTestName(column.column);
            if (ContainsNameIgnoreCase(name, present)) continue;
            const bool listed = std::any_of(drift.columns.begin(), drift.columns.end(), [&](const MissingColumn& c) {
                return ContainsNameIgnoreCase(step.table, {c.table}) && ContainsNameIgnoreCase(name, {c.column});
            });
            if (!listed) drift.columns.push_back({step.table, name, column.type, step.name});
        }
    }
    return drift;
}

std::string FormatDriftTable(const Drift& drift) {
    if (drift.nothingMissing()) return drift.product + ": nothing is missing\n";
    std::string out = fmt::format("{}: missing tables {}, missing columns {}\n", drift.product, drift.tables.size(),
                                  drift.columns.size());
    auto width = [](const auto& rows, const char* heading, auto field) {
        std::size_t w = std::string_view(heading).size();
        for (const auto& row : rows) w = std::max(w, field(row).size());
        return w;
    };
    if (!drift.tables.empty()) {
        const auto table = width(drift.tables, "table", [](const MissingTable& t) { return t.table; });
        out += fmt::format("\nmissing tables\n  {:<{}}  {:>7}  {}\n", "table", table, "columns", "step");
        for (const auto& t : drift.tables)
            out += fmt::format("  {:<{}}  {:>7}  {}\n", t.table, table, t.columns.size(), t.step);
    }
    if (!drift.columns.empty()) {
        const auto table = width(drift.columns, "table", [](const MissingColumn& c) { return c.table; });
        const auto column = width(drift.columns, "column", [](const MissingColumn& c) { return c.column; });
        const auto type = width(drift.columns, "type", [](const MissingColumn& c) { return c.type; });
        out += fmt::format("\nmissing columns\n  {:<{}}  {:<{}}  {:<{}}  {}\n", "table", table, "column", column,
                           "type", type, "step");
        for (const auto& c : drift.columns)
            out += fmt::format("  {:<{}}  {:<{}}  {:<{}}  {}\n", c.table, table, c.column, column, c.type, type, c.step);
    }
    return out;
}

std::string FormatDriftJson(const Drift& drift) {
    using Json = nlohmann::ordered_json;
    Json tables = Json::array();
    for (const auto& t : drift.tables) tables.push_back({{"table", t.table}, {"step", t.step}, {"columns", t.columns}});
    Json columns = Json::array();
    for (const auto& c : drift.columns)
        columns.push_back({{"table", c.table}, {"column", c.column}, {"type", c.type}, {"step", c.step}});
    const Json json = {{"product", drift.product}, {"missingTables", tables}, {"missingColumns", columns}};
    return json.dump(2) + "\n";
}

}  // namespace orvel
