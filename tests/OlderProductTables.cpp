// An older version of a product's tables, worked out from its table steps.
#include "OlderProductTables.h"

#include <algorithm>
#include <regex>
#include <set>

#include "products/StepLists.h"
#include "products/TableSteps.h"

namespace orvel::test {

namespace {

std::string upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
    return text;
}

std::string unbracketed(std::string name) {
    name.erase(std::remove(name.begin(), name.end(), '['), name.end());
    name.erase(std::remove(name.begin(), name.end(), ']'), name.end());
    return name;
}

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

const auto kIgnoreCase = std::regex::ECMAScript | std::regex::icase;

// A step's type text as an older table's column type: without the key and
// nullability words, which the run's own statements decide.
std::string plainType(const std::string& type) {
    static const std::regex extras(R"(\s+(primary\s+key|not\s+null|null)\b)", kIgnoreCase);
    return trimmed(std::regex_replace(type, extras, ""));
}

bool mentionsKey(const std::string& type) {
    static const std::regex key(R"(\b(primary\s+key|not\s+null)\b)", kIgnoreCase);
    return std::regex_search(type, key);
}

// The columns, upper-cased, that the step's statements key, index, make NOT
// NULL or change the type of.
struct StatementColumns {
    std::set<std::string> keyed;
    std::set<std::string> altered;
};

StatementColumns columnsOfStatements(const TableStep& step) {
    static const std::regex columnList(R"(\b(?:primary\s+key|index\s+\w+\s+on\s+\w+)\s*\(([^)]*)\))", kIgnoreCase);
    static const std::regex alterColumn(R"(\balter\s+column\s+(\[?\w+\]?)\s+([^;]*))", kIgnoreCase);
    static const std::regex notNull(R"(\bnot\s+null\b)", kIgnoreCase);
    StatementColumns found;
    for (const auto& statement : step.statements) {
        for (std::sregex_iterator m(statement.text.begin(), statement.text.end(), columnList), end; m != end; ++m) {
            std::string list = (*m)[1].str();
            std::size_t start = 0;
            while (start <= list.size()) {
                const auto comma = std::min(list.find(',', start), list.size());
                std::string column = trimmed(list.substr(start, comma - start));
                column = unbracketed(column.substr(0, column.find(' ')));
                if (!column.empty()) found.keyed.insert(upper(column));
                start = comma + 1;
            }
        }
        for (std::sregex_iterator m(statement.text.begin(), statement.text.end(), alterColumn), end; m != end; ++m) {
            const std::string column = upper(unbracketed((*m)[1].str()));
            found.altered.insert(column);
            const std::string rest = (*m)[2].str();
            if (std::regex_search(rest, notNull)) found.keyed.insert(column);
        }
    }
    for (const auto& entry : step.entries)
        if (entry.kind == EntryKind::Alter) found.altered.insert(upper(unbracketed(entry.column)));
    return found;
}

bool contains(const std::vector<std::string>& names, const std::string& name) {
    return std::any_of(names.begin(), names.end(), [&](const std::string& n) { return upper(n) == upper(name); });
}

// The table of one step as an older version had it.
FixtureTable olderTable(const TableStep& step, const OlderVersion& version) {
    const StatementColumns statements = columnsOfStatements(step);
    FixtureTable table{step.table, {}, !contains(version.leftEmpty, step.table)};
    std::set<std::string> present;
    const auto add = [&](const std::string& column, const std::string& type, bool key, bool asCreated = false) {
        const std::string name = unbracketed(column);
        if (!present.insert(upper(name)).second) return;
        const auto older = version.olderTypes.find(upper(step.table) + "." + upper(name));
        table.columns.push_back({name, older != version.olderTypes.end() ? older->second
                                                     : asCreated ? type : plainType(type),
                                 key});
    };
    // The first column as the run creates a table: with its key.
    add(step.firstColumn, step.firstType, true, true);
    for (std::size_t i = 0; i < step.entries.size(); ++i) {
        const ColumnEntry& entry = step.entries[i];
        if (entry.kind != EntryKind::Add) continue;
        const std::string name = upper(unbracketed(entry.column));
        const bool keyed = (statements.keyed.contains(name) || mentionsKey(entry.type)) &&
                           !contains(version.filledByTheRun, step.table + "." + name);
        if (i % 2 == 0 || keyed || statements.altered.contains(name)) add(entry.column, entry.type, keyed);
    }
    return table;
}

// Splits "a int, b nvarchar(50) PRIMARY KEY" at the commas outside brackets.
std::vector<std::string> columnDefinitions(const std::string& list) {
    std::vector<std::string> parts;
    int depth = 0;
    std::string part;
    for (char c : list) {
        if (c == '(') ++depth;
        if (c == ')') --depth;
        if (c == ',' && depth == 0) {
            parts.push_back(trimmed(part));
            part.clear();
        } else {
            part += c;
        }
    }
    parts.push_back(trimmed(part));
    return parts;
}

}  // namespace

FixtureTable FixtureTableFromCreate(const std::string& create) {
    static const std::regex head(R"(^\s*create\s+table\s+(\[?\w+\]?)\s*\()", kIgnoreCase);
    std::smatch match;
    if (!std::regex_search(create, match, head)) throw std::invalid_argument("not a CREATE TABLE: " + create);
    FixtureTable table{unbracketed(match[1].str()), {}};
    const auto open = static_cast<std::size_t>(match.length(0));
    for (const auto& definition : columnDefinitions(create.substr(open, create.rfind(')') - open))) {
        const auto space = definition.find(' ');
        table.columns.push_back({unbracketed(definition.substr(0, space)), trimmed(definition.substr(space + 1)),
                                 mentionsKey(definition)});
    }
    return table;
}

std::vector<FixtureTable> OlderProductTables(const OlderVersion& version) {
    std::vector<FixtureTable> tables;
    std::set<std::string> seen;
    for (const auto& create : version.createdWhole) {
        tables.push_back(FixtureTableFromCreate(create));
        tables.back().filled = !contains(version.leftEmpty, tables.back().name);
        seen.insert(upper(tables.back().name));
    }
    const auto all = AllTableSteps();
    int position = 0;
    for (const auto& entry : StepListFor(version.product)) {
        const auto step = std::find_if(all.begin(), all.end(), [&](const TableStep& s) { return s.name == entry.step; });
        if (step == all.end() || !seen.insert(upper(step->table)).second) continue;
        const bool changesTypes = !columnsOfStatements(*step).altered.empty();
        const bool named = contains(version.leftEmpty, step->table) || contains(version.alwaysPresent, step->table);
        if (position++ % 3 == 2 && !changesTypes && !named) continue;
        tables.push_back(olderTable(*step, version));
    }
    return tables;
}

}  // namespace orvel::test
