// The questions the check asks a database, and what their answers mean.
//
// The first batch asks which objects of another kind hold names the plan
// uses (sysobjects, which every version from SQL Server 2000 on answers),
// then the columns, keys and indexes of the tables whose rows are asked
// about.  Then one batch per table: a row of counts (the rows, then for
// every probe the rows SQL Server refuses and the rows whose fate is not
// known), then up to five example rows for every condition asked.
//
// A probe over text takes the value apart in a chain of derived tables
// (TextChain), each column computed from the one before with LTRIM, RTRIM,
// LIKE, PATINDEX, CHARINDEX, LEFT, SUBSTRING and REPLACE in a binary
// collation, so that a class such as [0-9] means the ten ASCII digits and
// nothing is ever converted to a number.
#include <algorithm>
#include <map>

#include <fmt/format.h>
#include <fmt/ranges.h>

#include "check/RefusalCheck.h"
#include "database/NameMatching.h"
#include "database/SqlTokens.h"

namespace orvel {

namespace {

std::string NameList(const std::vector<std::string>& names) {
    std::vector<std::string> literals;
    for (const auto& n : names) literals.push_back(UnicodeLiteral(n));
    return fmt::format("{}", fmt::join(literals, ", "));
}

// The kind of an object by its sysobjects type.
std::string KindOf(std::string type) {
    while (!type.empty() && type.back() == ' ') type.pop_back();
    if (type == "U") return "table";
    if (type == "V") return "view";
    if (type == "P" || type == "PC" || type == "X" || type == "RF") return "procedure";
    if (type == "FN" || type == "IF" || type == "TF" || type == "FS" || type == "FT" || type == "AF") return "function";
    if (type == "SN") return "synonym";
    if (type == "TR" || type == "TA") return "trigger";
    if (type == "PK" || type == "UQ" || type == "F" || type == "C" || type == "D") return "constraint";
    return "object";
}

long CountOf(const std::optional<std::string>& text) {
    try {
        return text ? std::stol(*text) : 0;
    } catch (const std::exception&) {
        return 0;
    }
}

std::string WarningText(const PlannedChange& change) {
    switch (change.kind) {
        case PlannedChange::DropTable:
            return fmt::format("the run drops the table {} with every row it holds", change.table);
        case PlannedChange::DeleteRows:
            return fmt::format("the run deletes every row of {} (and seeds the table again)", change.table);
        default:
            break;
    }
    std::string what = fmt::format("the run adds one more row to {} beside the rows it holds", change.table);
    for (std::size_t k = 0; k < change.columns.size() && k < change.values.size(); ++k)
        if (EqualIgnoringAsciiCase(change.columns[k], "PASSWORD") && change.values[k])
            what += fmt::format(", with the known password \"{}\"", *change.values[k]);
    return what;
}

// Characters whose meaning in a number SQL Server's documentation leaves
// open: tab and line breaks, the digits of other scripts (Arabic-Indic,
// Persian, full-width) and, for money, the currency signs other than $ and
// the euro.  A value holding one is not judged, unless another of its
// characters is refused for sure.
std::vector<int> UnknownCharacters(bool money) {
    std::vector<int> codes{9, 10, 13};
    for (int base : {0x0660, 0x06F0, 0xFF10})
        for (int d = 0; d < 10; ++d) codes.push_back(base + d);
    if (money)
        for (int sign : {0xA2, 0xA3, 0xA4, 0xA5, 0x060B, 0x09F2, 0x09F3, 0x0E3F, 0x17DB, 0x20A0, 0x20A1, 0x20A2,
                         0x20A3, 0x20A4, 0x20A5, 0x20A6, 0x20A7, 0x20A8, 0x20A9, 0x20AA, 0x20AB, 0x20AD, 0x20AE,
                         0x20AF, 0x20B0, 0x20B1, 0x20B9, 0x20BA, 0x20BD, 0xFDFC, 0xFE69, 0xFF04, 0xFFE0, 0xFFE1,
                         0xFFE5, 0xFFE6})
            codes.push_back(sign);
    return codes;
}

// The rows of `table` with the text of `column` taken apart, as a derived
// table with the columns the text conditions use (CheckRules.cpp) and the
// example key columns: two levels, every column a flat expression of the
// level before, so that the question stays short and shallow however many
// conditions use it.  `money` takes q_x without a leading $ or euro sign and
// without its commas.
// The first level: the key, the value, and the text without blanks around
// in a binary collation.
std::string TextRows(const std::string& table, const std::string& column, const std::string& key,
                     const QuestionDialect& dialect) {
    return fmt::format("SELECT {0}{1} AS q_v, LTRIM(RTRIM(CAST({1} AS nvarchar(4000)))) COLLATE {2} AS q_t FROM {3}",
                       key, column, dialect.binaryCollation, table);
}

std::string TextChain(const std::string& table, const std::string& column, const std::vector<std::string>& key,
                      bool money, const QuestionDialect& dialect) {
    std::string k;
    for (const auto& c : key) k += c + ", ";
    std::vector<std::string> unknown;
    for (int code : UnknownCharacters(money)) unknown.push_back(fmt::format("CHARINDEX(NCHAR({}), q_t) > 0", code));
    const std::string x =
        money ? "LTRIM(REPLACE(CASE WHEN LEFT(q_t, 1) IN (N'$', NCHAR(8364)) THEN SUBSTRING(q_t, 2, 4000) ELSE q_t "
                "END, N',', N''))"
              : "q_t";
    return fmt::format(
        "(SELECT {0}q_v, q_t, {1} AS q_x, SUBSTRING({1}, CASE WHEN {1} LIKE N'[-+]%' THEN 2 ELSE 1 END, 4000) AS "
        "q_s, CASE WHEN {2} THEN 1 ELSE 0 END AS q_u, CHARINDEX(N'.', {1}) AS q_p, PATINDEX(N'%[eEdD]%', {1}) AS "
        "q_e, PATINDEX(N'%[1-9]%', {1}) AS q_n, LEN({1}) AS q_l FROM ({3}) AS q1) AS q",
        k, x, fmt::join(unknown, " OR "), TextRows(table, column, k, dialect));
}

bool OverText(const Probe& p) { return p.source == CheckRule::TextValue || p.source == CheckRule::MoneyText; }

// The count of rows that are not plainly numbers, shared by the probes over
// the same column with the same plain rows: c<first such probe>.
std::string PlainCount(const TableQuestion& q, std::size_t n) {
    const Probe& p = q.probes[n];
    for (std::size_t m = 0; m < n; ++m)
        if (OverText(q.probes[m]) && q.probes[m].column == p.column && q.probes[m].plain == p.plain)
            return fmt::format("c{}", m);
    return fmt::format("c{}", n);
}

// Where a probe's conditions are asked: the table, or the text chain.
std::string RowsOf(const Probe& p, const std::string& table, const std::vector<std::string>& key,
                   const QuestionDialect& dialect) {
    return OverText(p) ? TextChain(table, p.column, key, p.source == CheckRule::MoneyText, dialect) : table;
}

std::vector<std::string> BracketedKey(const TableQuestion& q) {
    std::vector<std::string> key;
    for (const auto& k : q.exampleKey) key.push_back(BracketedName(k));
    return key;
}

const ResultSet::Row* CountsRow(const std::vector<ResultSet>& answers) {
    return answers.empty() || answers[0].rows.empty() ? nullptr : &answers[0].rows[0];
}

long Count(const std::vector<ResultSet>& answers, const std::string& column) {
    const ResultSet::Row* row = CountsRow(answers);
    if (!row) return 0;
    for (std::size_t i = 0; i < answers[0].columns.size() && i < row->size(); ++i)
        if (EqualIgnoringAsciiCase(answers[0].columns[i], column)) return CountOf((*row)[i]);
    return 0;
}

// The conditions whose rows are shown as examples, in the order asked:
// for each probe its refused rows, then its rows not judged.
struct ExampleCondition {
    std::size_t probe;
    bool refused;
    std::string name;  // r<n> or u<n>
};

std::vector<ExampleCondition> ExampleConditions(const TableQuestion& q) {
    std::vector<ExampleCondition> out;
    for (std::size_t n = 0; n < q.probes.size(); ++n) {
        const Probe& p = q.probes[n];
        if (p.refusedWithoutRows) continue;
        if (!p.refused.empty()) out.push_back({n, true, fmt::format("r{}", n)});
        if (!p.unsure.empty() && !p.grouped) out.push_back({n, false, fmt::format("u{}", n)});
    }
    return out;
}

}  // namespace

std::string ServerDescription(const ServerIdentity& identity) {
    int major = 0;
    try {
        major = std::stoi(identity.version);
    } catch (const std::exception&) {
    }
    const std::string minor = identity.version.size() > 3 ? identity.version.substr(3, 2) : "";
    const char* release = major == 8    ? "2000"
                          : major == 9  ? "2005"
                          : major == 10 ? (minor == "50" ? "2008 R2" : "2008")
                          : major == 11 ? "2012"
                          : major == 12 ? "2014"
                          : major == 13 ? "2016"
                          : major == 14 ? "2017"
                          : major == 15 ? "2019"
                          : major == 16 ? "2022"
                                        : nullptr;
    const bool sqlServer = identity.product.find("SQL Server") != std::string::npos;
    if (sqlServer && release) return fmt::format("SQL Server {} ({})", release, identity.version);
    return fmt::format("{} {}", identity.product, identity.version);
}

QuestionDialect DialectFor(const std::optional<ServerIdentity>& server) {
    QuestionDialect dialect;
    if (!server) return dialect;
    try {
        // SQL Server 2000 has neither the catalog views nor the BIN2 collations.
        if (std::stoi(server->version) < 9) dialect = {false, "Latin1_General_BIN"};
    } catch (const std::exception&) {
    }
    return dialect;
}

std::vector<std::string> NamesUsed(const PlannedChanges& planned) {
    std::vector<std::string> names;
    for (const auto& change : planned.changes)
        if (!change.table.empty() && !ContainsNameIgnoreCase(change.table, names)) names.push_back(change.table);
    return names;
}

std::string MetadataQuestion(const std::vector<std::string>& tables, const std::vector<std::string>& names,
                             const QuestionDialect& dialect, bool withRows) {
    std::string sql = fmt::format(
        "SELECT name, type FROM sysobjects WHERE name IN ({}) AND type NOT IN ('U', 'V', 'S', 'IT');\n",
        names.empty() ? "N''" : NameList(names));
    if (tables.empty()) return sql;
    const std::string list = NameList(tables);
    std::string ids;
    for (const auto& t : tables) ids += (ids.empty() ? "" : ", ") + fmt::format("OBJECT_ID({})", UnicodeLiteral(t));
    sql += fmt::format(
        "SELECT TABLE_NAME, COLUMN_NAME, DATA_TYPE, CHARACTER_MAXIMUM_LENGTH, NUMERIC_PRECISION, NUMERIC_SCALE, "
        "IS_NULLABLE, CASE WHEN COLUMN_DEFAULT IS NULL THEN 0 ELSE 1 END AS has_default "
        "FROM INFORMATION_SCHEMA.COLUMNS WHERE TABLE_NAME IN ({0}) ORDER BY TABLE_NAME, ORDINAL_POSITION;\n"
        "SELECT tc.TABLE_NAME, tc.CONSTRAINT_NAME, tc.CONSTRAINT_TYPE, k.COLUMN_NAME "
        "FROM INFORMATION_SCHEMA.TABLE_CONSTRAINTS tc JOIN INFORMATION_SCHEMA.KEY_COLUMN_USAGE k "
        "ON k.CONSTRAINT_NAME = tc.CONSTRAINT_NAME AND k.TABLE_NAME = tc.TABLE_NAME "
        "WHERE tc.TABLE_NAME IN ({0}) AND tc.CONSTRAINT_TYPE IN ('PRIMARY KEY', 'UNIQUE', 'FOREIGN KEY') "
        "ORDER BY tc.TABLE_NAME, tc.CONSTRAINT_NAME, k.ORDINAL_POSITION;\n",
        list);
    // Foreign keys of other tables that refer to these, and the indexes
    // that serve no constraint: catalog views from 2005 on, the system
    // tables before; then the rows of each.
    std::vector<std::string> counts;
    for (const auto& t : tables)
        counts.push_back(fmt::format("SELECT {} AS table_name, COUNT(*) AS row_count FROM {}", UnicodeLiteral(t),
                                     BracketedName(t)));
    const std::string rows = withRows ? fmt::format("{};\n", fmt::join(counts, " UNION ALL ")) : "";
    if (dialect.catalogViews)
        return sql + rows + fmt::format(
                         "SELECT OBJECT_NAME(f.referenced_object_id) AS table_name, OBJECT_NAME(f.constraint_object_id) "
                         "AS name, c.name AS column_name FROM sys.foreign_key_columns f JOIN sys.columns c ON "
                         "c.object_id = f.referenced_object_id AND c.column_id = f.referenced_column_id "
                         "WHERE f.referenced_object_id IN ({0});\n"
                         "SELECT OBJECT_NAME(i.object_id) AS table_name, i.name, i.is_unique, c.name AS column_name "
                         "FROM sys.indexes i JOIN sys.index_columns ic ON ic.object_id = i.object_id AND ic.index_id = "
                         "i.index_id JOIN sys.columns c ON c.object_id = ic.object_id AND c.column_id = ic.column_id "
                         "WHERE i.object_id IN ({0}) AND i.is_primary_key = 0 AND i.is_unique_constraint = 0 "
                         "AND ic.is_included_column = 0 ORDER BY 1, 2, ic.key_ordinal;\n",
                         ids);
    return sql + rows + fmt::format(
                     "SELECT OBJECT_NAME(f.rkeyid) AS table_name, OBJECT_NAME(f.constid) AS name, c.name AS column_name "
                     "FROM sysforeignkeys f JOIN syscolumns c ON c.id = f.rkeyid AND c.colid = f.rkey "
                     "WHERE f.rkeyid IN ({0});\n"
                     "SELECT OBJECT_NAME(i.id) AS table_name, i.name, INDEXPROPERTY(i.id, i.name, 'IsUnique') AS "
                     "is_unique, c.name AS column_name FROM sysindexes i JOIN sysindexkeys k ON k.id = i.id AND k.indid "
                     "= i.indid JOIN syscolumns c ON c.id = k.id AND c.colid = k.colid WHERE i.id IN ({0}) AND i.indid "
                     "BETWEEN 1 AND 254 AND INDEXPROPERTY(i.id, i.name, 'IsStatistics') = 0 ORDER BY 1, 2, k.keyno;\n",
                     ids);
}

Metadata ReadMetadata(const std::vector<ResultSet>& answers) {
    Metadata metadata;
    // Each answer is told by its columns, so that a batch may leave parts out.
    const auto find = [&](std::initializer_list<std::string_view> columns) -> const ResultSet* {
        for (const auto& set : answers)
            if (set.columns.size() == columns.size() &&
                std::equal(columns.begin(), columns.end(), set.columns.begin(),
                           [](std::string_view a, const std::string& b) { return EqualIgnoringAsciiCase(a, b); }))
                return &set;
        return nullptr;
    };
    const auto table = [&](const std::optional<std::string>& name) -> TableFacts& {
        auto& facts = metadata.tables[FoldAsciiCase(name.value_or(""))];
        if (facts.name.empty()) facts.name = name.value_or("");
        return facts;
    };
    const auto addKey = [](TableFacts& facts, const std::string& name, KeyFacts::Kind kind,
                           const std::string& column) {
        for (auto& key : facts.keys)
            if (EqualIgnoringAsciiCase(key.name, name) && key.kind == kind) {
                key.columns.push_back(column);
                return;
            }
        facts.keys.push_back({name, kind, {column}});
    };
    if (const auto* objects = find({"name", "type"}))
        for (const auto& row : objects->rows)
            if (row[0]) metadata.otherObjects[FoldAsciiCase(*row[0])] = KindOf(row[1].value_or(""));
    if (const auto* columns = find({"TABLE_NAME", "COLUMN_NAME", "DATA_TYPE", "CHARACTER_MAXIMUM_LENGTH",
                                    "NUMERIC_PRECISION", "NUMERIC_SCALE", "IS_NULLABLE", "has_default"}))
        for (const auto& row : columns->rows)
            table(row[0]).columns.push_back({row[1].value_or(""), TypeText(row[2].value_or(""), row[3], row[4], row[5]),
                                             row[6] == "YES", row[7] == "1"});
    if (const auto* constraints = find({"TABLE_NAME", "CONSTRAINT_NAME", "CONSTRAINT_TYPE", "COLUMN_NAME"}))
        for (const auto& row : constraints->rows) {
            const std::string type = row[2].value_or("");
            const auto kind = type == "PRIMARY KEY" ? KeyFacts::PrimaryKey
                              : type == "UNIQUE"    ? KeyFacts::Unique
                                                    : KeyFacts::ForeignKey;
            addKey(table(row[0]), row[1].value_or(""), kind, row[3].value_or(""));
        }
    if (const auto* referenced = find({"table_name", "name", "column_name"}))
        for (const auto& row : referenced->rows)
            addKey(table(row[0]), row[1].value_or(""), KeyFacts::Referenced, row[2].value_or(""));
    // The indexes, less the ones that serve a constraint read above.
    std::vector<std::string> constraintNames;
    for (const auto& [name, facts] : metadata.tables)
        for (const auto& key : facts.keys) constraintNames.push_back(FoldAsciiCase(key.name));
    if (const auto* indexes = find({"table_name", "name", "is_unique", "column_name"}))
        for (const auto& row : indexes->rows)
            if (std::find(constraintNames.begin(), constraintNames.end(), FoldAsciiCase(row[1].value_or(""))) ==
                constraintNames.end())
                addKey(table(row[0]), row[1].value_or(""), row[2] == "1" ? KeyFacts::Unique : KeyFacts::Index,
                       row[3].value_or(""));
    if (const auto* rows = find({"table_name", "row_count"}))
        for (const auto& row : rows->rows) metadata.rowCounts[FoldAsciiCase(row[0].value_or(""))] = CountOf(row[1]);
    return metadata;
}

std::string DataSql(const TableQuestion& q, const QuestionDialect& dialect) {
    const std::string table = BracketedName(q.table);
    const std::vector<std::string> key = BracketedKey(q);
    // One pass over the rows for each place the conditions are asked of.
    std::vector<std::string> parts{fmt::format("(SELECT COUNT(*) AS row_count FROM {}) AS t", table)};
    std::vector<std::pair<std::string, std::vector<std::string>>> passes;  // rows asked -> sums
    for (std::size_t n = 0; n < q.probes.size(); ++n) {
        const Probe& p = q.probes[n];
        if (p.refusedWithoutRows) continue;
        if (p.grouped) {
            parts.push_back(
                p.groupBy.empty()
                    ? fmt::format("(SELECT CASE WHEN COUNT(*) > 1 THEN COUNT(*) ELSE 0 END AS r{} FROM {} WHERE {}) AS g{}",
                                  n, table, p.refused, n)
                    : fmt::format("(SELECT ISNULL(SUM(n), 0) AS r{0} FROM (SELECT COUNT(*) AS n FROM {1} WHERE {2} "
                                  "GROUP BY {3} HAVING COUNT(*) > 1) AS d) AS g{0}",
                                  n, table, p.refused, p.groupBy));
            continue;
        }
        // Over text: first only the rows that are not plainly numbers.
        const std::string rows =
            OverText(p) ? fmt::format("({}) AS q1", TextRows(table, p.column, "", dialect)) : table;
        auto pass = std::find_if(passes.begin(), passes.end(), [&](const auto& e) { return e.first == rows; });
        if (pass == passes.end()) pass = passes.insert(passes.end(), {rows, {}});
        if (OverText(p)) {
            if (PlainCount(q, n) == fmt::format("c{}", n))
                pass->second.push_back(fmt::format("SUM(CASE WHEN NOT ({}) THEN 1 ELSE 0 END) AS c{}", p.plain, n));
            continue;
        }
        for (const auto& [condition, name] : {std::pair{&p.refused, 'r'}, std::pair{&p.unsure, 'u'}})
            if (!condition->empty())
                pass->second.push_back(fmt::format("SUM(CASE WHEN {} THEN 1 ELSE 0 END) AS {}{}", *condition, name, n));
    }
    for (std::size_t i = 0; i < passes.size(); ++i)
        if (!passes[i].second.empty())
            parts.push_back(fmt::format("(SELECT {} FROM {}) AS p{}", fmt::join(passes[i].second, ", "),
                                        passes[i].first, i));
    return fmt::format("SELECT * FROM {};\n", fmt::join(parts, " CROSS JOIN "));
}

std::string TextCountsSql(const TableQuestion& q, const std::vector<ResultSet>& counts,
                          const QuestionDialect& dialect) {
    const std::string table = BracketedName(q.table);
    std::vector<std::pair<std::string, std::vector<std::string>>> passes;  // rows asked -> sums
    for (std::size_t n = 0; n < q.probes.size(); ++n) {
        const Probe& p = q.probes[n];
        if (!OverText(p) || Count(counts, PlainCount(q, n)) == 0) continue;
        const std::string rows = RowsOf(p, table, {}, dialect);
        auto pass = std::find_if(passes.begin(), passes.end(), [&](const auto& e) { return e.first == rows; });
        if (pass == passes.end()) pass = passes.insert(passes.end(), {rows, {}});
        for (const auto& [condition, name] : {std::pair{&p.refused, 'r'}, std::pair{&p.unsure, 'u'}})
            if (!condition->empty())
                pass->second.push_back(fmt::format("SUM(CASE WHEN {} THEN 1 ELSE 0 END) AS {}{}", *condition, name, n));
    }
    if (passes.empty()) return {};
    std::vector<std::string> parts;
    for (std::size_t i = 0; i < passes.size(); ++i)
        parts.push_back(fmt::format("(SELECT {} FROM {}) AS p{}", fmt::join(passes[i].second, ", "), passes[i].first, i));
    return fmt::format("SELECT * FROM {};\n", fmt::join(parts, " CROSS JOIN "));
}

std::string ExamplesSql(const TableQuestion& q, const std::vector<ResultSet>& counts, const QuestionDialect& dialect) {
    const std::string table = BracketedName(q.table);
    const std::vector<std::string> key = BracketedKey(q);
    const std::string keyList = key.empty() ? "" : fmt::format("{}, ", fmt::join(key, ", "));
    std::string sql;
    for (const auto& e : ExampleConditions(q)) {
        if (Count(counts, e.name) == 0) continue;
        const Probe& p = q.probes[e.probe];
        const std::string& condition = e.refused ? p.refused : p.unsure;
        if (p.grouped && !p.groupBy.empty()) {
            sql += fmt::format(
                "SELECT TOP 5 {0}, COUNT(*) AS row_count FROM {1} WHERE {2} GROUP BY {0} HAVING COUNT(*) > 1;\n",
                p.groupBy, table, condition);
            continue;
        }
        sql += fmt::format("SELECT TOP 5 {}{} AS offending_value FROM {} WHERE {};\n", keyList,
                           p.valueExpression.empty() ? "NULL" : p.valueExpression, RowsOf(p, table, key, dialect),
                           condition);
    }
    return sql;
}

void Evaluate(const PlannedChanges& planned, const TableQuestion& q, const std::vector<ResultSet>& answers,
              CheckReport& report) {
    if (!CountsRow(answers)) return;
    const long rows = Count(answers, "row_count");
    for (std::size_t w : q.warnings) {
        const PlannedChange& change = planned.changes[w];
        const PlannedStatement& s = planned.statements[change.index];
        if (rows == 0) continue;
        report.warnings.push_back({s.step, s.sql, WarningText(change), rows});
    }
    // The example sets follow the counts, one for each condition that found rows.
    std::map<std::string, std::vector<RowExample>> examples;
    std::size_t set = 1;
    for (const auto& e : ExampleConditions(q)) {
        if (Count(answers, e.name) == 0 || set >= answers.size()) continue;
        const ResultSet& found = answers[set++];
        const std::size_t keyColumns = found.columns.empty() ? 0 : found.columns.size() - 1;
        for (const auto& row : found.rows) {
            RowExample example;
            for (std::size_t k = 0; k < keyColumns && k < row.size(); ++k)
                example.key.emplace_back(found.columns[k], row[k]);
            if (!row.empty()) example.value = row.back();
            examples[e.name].push_back(std::move(example));
        }
    }
    for (std::size_t n = 0; n < q.probes.size(); ++n) {
        const Probe& p = q.probes[n];
        const long atFault = Count(answers, fmt::format("r{}", n));
        const long unsure = Count(answers, fmt::format("u{}", n));
        const PlannedChange& change = planned.changes[p.change];
        const PlannedStatement& s = planned.statements[change.index];
        if (p.refusedWithoutRows || atFault > 0)
            report.refusals.push_back({.statementIndex = change.index, .step = s.step, .statement = s.sql,
                                       .table = change.table, .column = fmt::format("{}", fmt::join(change.columns, ", ")),
                                       .rule = p.rule, .error = p.error, .reason = p.reason, .rowsAtFault = atFault,
                                       .examples = examples[fmt::format("r{}", n)], .advice = p.advice});
        if (unsure > 0) {
            const std::string reason =
                p.refused.empty()
                    ? p.reason
                    : fmt::format("SQL Server's answer for these values of {}.{} as {} is not known to this check "
                                  "(tab or line-break characters, other scripts' digits, a sign or a point alone, "
                                  "trailing blanks past the length, values at the very edge of the type)",
                                  change.table, change.columns.empty() ? "" : change.columns.front(),
                                  TypeOf(change.type).text);
            report.notJudged.push_back({.statementIndex = change.index, .step = s.step, .statement = s.sql,
                                        .rule = p.rule, .reason = reason, .rows = unsure,
                                        .examples = examples[fmt::format("u{}", n)], .advice = p.advice});
        }
    }
}

}  // namespace orvel
