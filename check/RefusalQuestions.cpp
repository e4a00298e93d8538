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

// The rows of `table` with the text of `column` taken apart, as a derived
// table with the columns the text conditions use (CheckRules.cpp) and the
// example key columns.  `money` first drops a leading $ or euro sign and
// every comma.
std::string TextChain(const std::string& table, const std::string& column, const std::vector<std::string>& key,
                      bool money, const QuestionDialect& dialect) {
    std::string k;
    for (const auto& c : key) k += c + ", ";
    const std::string base =
        money ? "LTRIM(REPLACE(CASE WHEN q_t LIKE N'[$€]%' THEN SUBSTRING(q_t, 2, 4000) ELSE q_t END, N',', N''))"
              : "q_t";
    const std::string q0 = fmt::format(
        "SELECT {0}{1} AS q_v, LTRIM(RTRIM(CAST({1} AS nvarchar(4000)))) COLLATE {2} AS q_t FROM {3}", k, column,
        dialect.binaryCollation, table);
    const std::string q1 = fmt::format("SELECT {}q_v, q_t, {} AS q_b FROM ({}) AS q0", k, base, q0);
    const std::string q2 = fmt::format(
        "SELECT {}q_v, q_t, CASE WHEN q_b LIKE N'[-+]%' THEN SUBSTRING(q_b, 2, 4000) ELSE q_b END AS q_s, "
        "CASE WHEN q_b LIKE N'-%' THEN 1 ELSE 0 END AS q_neg FROM ({}) AS q1",
        k, q1);
    const std::string q3 = fmt::format(
        "SELECT {}q_v, q_t, q_s, q_neg, CASE WHEN PATINDEX(N'%[eEdD]%', q_s) > 0 THEN LEFT(q_s, PATINDEX(N'%[eEdD]%', "
        "q_s) - 1) ELSE q_s END AS q_x, CASE WHEN PATINDEX(N'%[eEdD]%', q_s) > 0 THEN SUBSTRING(q_s, "
        "PATINDEX(N'%[eEdD]%', q_s) + 1, 4000) END AS q_ex FROM ({}) AS q2",
        k, q2);
    const std::string q4 = fmt::format(
        "SELECT {}q_v, q_t, q_s, q_neg, q_x, q_ex, CASE WHEN q_ex LIKE N'[-+]%' THEN SUBSTRING(q_ex, 2, 4000) ELSE "
        "q_ex END AS q_exd, CASE WHEN CHARINDEX(N'.', q_x) > 0 THEN LEFT(q_x, CHARINDEX(N'.', q_x) - 1) ELSE q_x END "
        "AS q_ip, CASE WHEN CHARINDEX(N'.', q_x) > 0 THEN SUBSTRING(q_x, CHARINDEX(N'.', q_x) + 1, 4000) END AS q_fp "
        "FROM ({}) AS q3",
        k, q3);
    return fmt::format(
        "(SELECT {}q_v, q_t, q_s, q_neg, q_x, q_ex, q_exd, q_ip, q_fp, SUBSTRING(q_ip, PATINDEX(N'%[^0]%', q_ip + "
        "N'x'), 4000) AS q_id FROM ({}) AS q4) AS q",
        k, q4);
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
                             const QuestionDialect& dialect) {
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
    // tables before.
    if (dialect.catalogViews)
        return sql + fmt::format(
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
    return sql + fmt::format(
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
    if (!answers.empty())
        for (const auto& row : answers[0].rows)
            if (row.size() >= 2 && row[0]) metadata.otherObjects[FoldAsciiCase(*row[0])] = KindOf(row[1].value_or(""));
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
    if (answers.size() > 1)
        for (const auto& row : answers[1].rows)
            if (row.size() >= 8)
                table(row[0]).columns.push_back({row[1].value_or(""),
                                                 TypeText(row[2].value_or(""), row[3], row[4], row[5]),
                                                 row[6] == "YES", row[7] == "1"});
    if (answers.size() > 2)
        for (const auto& row : answers[2].rows) {
            if (row.size() < 4) continue;
            const std::string type = row[2].value_or("");
            const auto kind = type == "PRIMARY KEY" ? KeyFacts::PrimaryKey
                              : type == "UNIQUE"    ? KeyFacts::Unique
                                                    : KeyFacts::ForeignKey;
            addKey(table(row[0]), row[1].value_or(""), kind, row[3].value_or(""));
        }
    if (answers.size() > 3)
        for (const auto& row : answers[3].rows)
            if (row.size() >= 3) addKey(table(row[0]), row[1].value_or(""), KeyFacts::Referenced, row[2].value_or(""));
    // The indexes, less the ones that serve a constraint read above.
    std::vector<std::string> constraints;
    for (const auto& [name, facts] : metadata.tables)
        for (const auto& key : facts.keys) constraints.push_back(FoldAsciiCase(key.name));
    if (answers.size() > 4)
        for (const auto& row : answers[4].rows)
            if (row.size() >= 4 && std::find(constraints.begin(), constraints.end(),
                                             FoldAsciiCase(row[1].value_or(""))) == constraints.end())
                addKey(table(row[0]), row[1].value_or(""), row[2] == "1" ? KeyFacts::Unique : KeyFacts::Index,
                       row[3].value_or(""));
    return metadata;
}

std::string DataSql(const TableQuestion& q, const QuestionDialect& dialect) {
    const std::string table = BracketedName(q.table);
    std::vector<std::string> counts{fmt::format("(SELECT COUNT(*) FROM {}) AS row_count", table)};
    std::string examples;
    std::vector<std::string> key;
    for (const auto& k : q.exampleKey) key.push_back(BracketedName(k));
    const std::string keyList = key.empty() ? "" : fmt::format("{}, ", fmt::join(key, ", "));
    for (std::size_t n = 0; n < q.probes.size(); ++n) {
        const Probe& p = q.probes[n];
        if (p.refusedWithoutRows) {
            counts.push_back(fmt::format("0 AS r{0}, 0 AS u{0}", n));
            continue;
        }
        if (p.grouped) {
            if (p.groupBy.empty()) {
                // Every row holds the same (NULL) key: repeated when more than one.
                counts.push_back(fmt::format(
                    "(SELECT CASE WHEN COUNT(*) > 1 THEN COUNT(*) ELSE 0 END FROM {} WHERE {}) AS r{}, 0 AS u{}",
                    table, p.refused, n, n));
                examples += fmt::format("SELECT TOP 5 {}NULL AS offending_value FROM {} WHERE {};\n", keyList, table,
                                        p.refused);
                continue;
            }
            counts.push_back(fmt::format(
                "(SELECT ISNULL(SUM(n), 0) FROM (SELECT COUNT(*) AS n FROM {0} WHERE {1} GROUP BY {2} HAVING "
                "COUNT(*) > 1) AS d) AS r{3}, 0 AS u{3}",
                table, p.refused, p.groupBy, n));
            examples += fmt::format(
                "SELECT TOP 5 {0}, COUNT(*) AS row_count FROM {1} WHERE {2} GROUP BY {0} HAVING COUNT(*) > 1;\n",
                p.groupBy, table, p.refused);
            continue;
        }
        const bool text = p.source == CheckRule::TextValue || p.source == CheckRule::MoneyText;
        const std::string from =
            text ? TextChain(table, p.column, key, p.source == CheckRule::MoneyText, dialect) : table;
        for (const auto& [condition, prefix] : {std::pair{&p.refused, 'r'}, std::pair{&p.unsure, 'u'}}) {
            if (condition->empty()) {
                counts.push_back(fmt::format("0 AS {}{}", prefix, n));
                continue;
            }
            counts.push_back(fmt::format("(SELECT COUNT(*) FROM {} WHERE {}) AS {}{}", from, *condition, prefix, n));
            examples += fmt::format("SELECT TOP 5 {}{} AS offending_value FROM {} WHERE {};\n", keyList,
                                    p.valueExpression.empty() ? "NULL" : p.valueExpression, from, *condition);
        }
    }
    return fmt::format("SELECT {};\n{}", fmt::join(counts, ", "), examples);
}

void Evaluate(const PlannedChanges& planned, const TableQuestion& q, const std::vector<ResultSet>& answers,
              CheckReport& report) {
    if (answers.empty() || answers[0].rows.empty()) return;
    const ResultSet::Row& counts = answers[0].rows[0];
    const long rows = CountOf(counts[0]);
    for (std::size_t w : q.warnings) {
        const PlannedChange& change = planned.changes[w];
        const PlannedStatement& s = planned.statements[change.index];
        if (rows == 0) continue;
        report.warnings.push_back({s.step, s.sql, WarningText(change), rows});
    }
    std::size_t exampleSet = 1;
    const auto examplesOf = [&](bool asked) {
        std::vector<RowExample> examples;
        if (!asked || exampleSet >= answers.size()) return examples;
        const ResultSet& set = answers[exampleSet++];
        const std::size_t keyColumns = set.columns.empty() ? 0 : set.columns.size() - 1;
        for (const auto& row : set.rows) {
            RowExample example;
            for (std::size_t k = 0; k < keyColumns && k < row.size(); ++k) example.key.emplace_back(set.columns[k], row[k]);
            if (!row.empty()) example.value = row.back();
            examples.push_back(std::move(example));
        }
        return examples;
    };
    for (std::size_t n = 0; n < q.probes.size(); ++n) {
        const Probe& p = q.probes[n];
        const long atFault = 1 + 2 * n < counts.size() ? CountOf(counts[1 + 2 * n]) : 0;
        const long unsure = 2 + 2 * n < counts.size() ? CountOf(counts[2 + 2 * n]) : 0;
        const bool asked = !p.refusedWithoutRows;
        auto refusedExamples = examplesOf(asked && !p.refused.empty());
        auto unsureExamples = examplesOf(asked && !p.grouped && !p.unsure.empty());
        const PlannedChange& change = planned.changes[p.change];
        const PlannedStatement& s = planned.statements[change.index];
        if (p.refusedWithoutRows || atFault > 0)
            report.refusals.push_back({.statementIndex = change.index, .step = s.step, .statement = s.sql,
                                       .rule = p.rule, .error = p.error, .reason = p.reason, .rowsAtFault = atFault,
                                       .examples = std::move(refusedExamples), .advice = p.advice});
        if (unsure > 0) {
            const std::string type = TypeOf(change.type).text;
            const std::string reason =
                p.refused.empty()
                    ? p.reason
                    : fmt::format("SQL Server's answer for these values of {}.{} as {} is not known to this check "
                                  "(tab or line-break characters, a sign or a point alone, trailing blanks past the "
                                  "length, values at the very edge of the type)",
                                  change.table, change.columns.empty() ? "" : change.columns.front(), type);
            report.notJudged.push_back({.statementIndex = change.index, .step = s.step, .statement = s.sql,
                                        .rule = p.rule, .reason = reason, .rows = unsure,
                                        .examples = std::move(unsureExamples), .advice = p.advice});
        }
    }
}

}  // namespace orvel
