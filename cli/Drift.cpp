// Drift of a catalogue against a product's table steps and column types.
#include "cli/Drift.h"

#include <algorithm>
#include <map>
#include <set>
#include <stdexcept>

#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include "database/NameMatching.h"
#include "products/Products.h"
#include "products/StepLists.h"
#include "products/TableSteps.h"
#include "products/serverobjects/ServerObjects.h"
#include "schema/CatalogueSimulator.h"
#include "schema/SchemaOperations.h"
#include "schema/StatementEffects.h"
#include "upgrade/SimulatedRun.h"

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

// The product's table steps in the order of its step list; a step this
// program lacks is refused.
std::vector<TableStep> tableStepsOf(const std::string& productId) {
    std::map<std::string, TableStep, std::less<>> steps;
    for (auto& step : AllTableSteps()) steps.emplace(step.name, std::move(step));
    std::set<std::string, std::less<>> objectSteps;
    for (const auto& step : AllObjectSteps()) objectSteps.insert(step.name);
    std::vector<TableStep> listed;
    for (const auto& entry : StepListFor(productId)) {
        if (entry.isReconnectPoint()) continue;
        const auto found = steps.find(entry.step);
        if (found != steps.end()) {
            listed.push_back(found->second);
            continue;
        }
        if (objectSteps.contains(entry.step)) continue;
        throw std::runtime_error("Cannot tell what product " + productId + " needs: its step \"" +
                                 std::string(entry.step) + "\" is not part of this program");
    }
    return listed;
}

// The ways `found` differs from `declared`; none when they are alike.
std::vector<std::string> differencesOf(const DeclaredColumn& declared, const DeclaredColumn& found) {
    std::vector<std::string> differences;
    if (BaseType(declared.type) != BaseType(found.type)) differences.push_back("type");
    else if (declared.type != found.type) differences.push_back("length");
    if (declared.nullable != found.nullable) differences.push_back("nullability");
    return differences;
}

// The columns of `productColumns` whose definition in the database differs.
std::vector<DifferentColumn> differentColumns(const std::vector<ProductColumn>& productColumns,
                                              const TableMetadata& columnTypes) {
    std::vector<DifferentColumn> different;
    for (const auto& expected : productColumns) {
        const auto table = columnTypes.find(FoldAsciiCase(expected.table));
        if (table == columnTypes.end()) continue;  // missing, or no table the question reached
        std::optional<DeclaredColumn> first;
        bool alike = false;
        for (const auto& column : table->second.columns) {
            if (!EqualIgnoringAsciiCase(column.name, expected.column)) continue;
            const DeclaredColumn found{column.type, column.nullable};
            if (!first) first = found;
            alike = alike || differencesOf(expected.declared, found).empty();
        }
        if (!first || alike) continue;  // missing (listed as such), or alike in one of its schemas
        different.push_back({expected.table, expected.column, expected.step, expected.declared, *first,
                             differencesOf(expected.declared, *first)});
    }
    return different;
}

}  // namespace

std::vector<std::string> ProductTables(const std::string& productId) {
    std::vector<std::string> tables;
    for (const auto& step : tableStepsOf(productId))
        if (!ContainsNameIgnoreCase(step.table, tables)) tables.push_back(step.table);
    return tables;
}

std::vector<ProductColumn> ProductColumns(const std::string& productId) {
    RunOptions runOptions;
    if (const auto product = ProductById(productId)) runOptions.productEntry = product->entry;
    runOptions.databaseKind = DatabaseKind::SqlServer;
    const FixedOptions options(runOptions);
    std::vector<ProductColumn> columns;
    const auto find = [&columns](const std::string& table, const std::string& column) {
        return std::find_if(columns.begin(), columns.end(), [&](const ProductColumn& c) {
            return EqualIgnoringAsciiCase(c.table, table) && EqualIgnoringAsciiCase(c.column, column);
        });
    };
    SimulateRun(productId, {}, options, CatalogueReads::Once, [&](const StatementRecord& statement) {
        const StatementEffect effect = ReadStatementEffect(statement.sql);
        const std::string step = statement.step.value_or("");
        if (const auto& change = effect.change) {
            if (change->kind == CatalogueChange::DropTable || change->kind == CatalogueChange::CreateTable)
                std::erase_if(columns, [&](const ProductColumn& c) { return EqualIgnoringAsciiCase(c.table, change->name); });
            if (change->kind == CatalogueChange::CreateTable || change->kind == CatalogueChange::AddColumns)
                for (std::size_t i = 0; i < change->columns.size() && i < change->definitions.size(); ++i)
                    if (auto declared = ReadColumnDefinition(change->definitions[i]);
                        declared && find(change->name, change->columns[i]) == columns.end())
                        columns.push_back({change->name, change->columns[i], step, *declared});
        }
        for (const auto& altered : effect.alteredColumns) {
            const auto column = find(altered.table, altered.column);
            const auto declared = ReadColumnDefinition(altered.definition);
            if (column == columns.end() || !declared) continue;
            column->declared = *declared;
            column->step = step;
        }
    });
    return columns;
}

Drift FindDrift(const std::string& productId, const CatalogueSnapshot& catalogue,
                const std::optional<TableMetadata>& columnTypes, const std::string& typesNotCompared) {
    // The simulator answers the table and column lists as the database did.
    CatalogueSimulator db(catalogue);
    db.open("drift");
    const std::vector<std::string> tables = db.tableNames();

    Drift drift{productId, {}, {}, {}, std::nullopt};
    for (const TableStep& step : tableStepsOf(productId)) {
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
    if (columnTypes)
        drift.differentColumns = differentColumns(ProductColumns(productId), *columnTypes);
    else
        drift.typesNotCompared = typesNotCompared;
    return drift;
}

std::string FormatDriftTable(const Drift& drift) {
    const std::string notCompared =
        drift.typesNotCompared ? fmt::format(" (column types not compared: {})", *drift.typesNotCompared) : "";
    if (drift.nothingFound()) return drift.product + ": nothing is missing" + (notCompared.empty() ? ", no column differs" : notCompared) + "\n";
    std::string out = fmt::format("{}: missing tables {}, missing columns {}", drift.product, drift.tables.size(),
                                  drift.columns.size());
    out += drift.typesNotCompared ? notCompared + "\n"
                                  : fmt::format(", columns that differ {}\n", drift.differentColumns.size());
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
    if (!drift.differentColumns.empty()) {
        using Row = DifferentColumn;
        const auto productText = [](const Row& c) { return ColumnDefinitionText(c.product); };
        const auto databaseText = [](const Row& c) { return ColumnDefinitionText(c.database); };
        const auto table = width(drift.differentColumns, "table", [](const Row& c) { return c.table; });
        const auto column = width(drift.differentColumns, "column", [](const Row& c) { return c.column; });
        const auto product = width(drift.differentColumns, "product", productText);
        const auto database = width(drift.differentColumns, "database", databaseText);
        out += fmt::format("\ncolumns that differ\n  {:<{}}  {:<{}}  {:<{}}  {:<{}}  {}\n", "table", table, "column",
                           column, "product", product, "database", database, "differs in");
        for (const auto& c : drift.differentColumns) {
            std::string differences;
            for (const auto& d : c.differences) differences += (differences.empty() ? "" : ", ") + d;
            out += fmt::format("  {:<{}}  {:<{}}  {:<{}}  {:<{}}  {}\n", c.table, table, c.column, column,
                               productText(c), product, databaseText(c), database, differences);
        }
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
    const auto definition = [](const DeclaredColumn& d) { return Json{{"type", d.type}, {"nullable", d.nullable}}; };
    Json different = Json::array();
    for (const auto& c : drift.differentColumns)
        different.push_back({{"table", c.table},
                             {"column", c.column},
                             {"step", c.step},
                             {"product", definition(c.product)},
                             {"database", definition(c.database)},
                             {"differences", c.differences}});
    const Json json = {{"product", drift.product},
                       {"missingTables", tables},
                       {"missingColumns", columns},
                       {"differentColumns", different},
                       {"typesCompared", !drift.typesNotCompared},
                       {"typesNotCompared", drift.typesNotCompared ? Json(*drift.typesNotCompared) : Json()}};
    return json.dump(2) + "\n";
}

}  // namespace orvel
