// The questions the check asks a database, and what their answers mean.
//
// The rules, each with the error number SQL Server gives when it refuses:
//   515   ALTER COLUMN ... NOT NULL while rows hold NULL (a column the run
//         added holds NULL in every row; one an earlier UPDATE sets does not
//         count)
//   245   text to an integer type that is no whole number; 248 a whole
//         number outside the type's range
//   8114  text to float, real, decimal, numeric or money that is no number
//   8152  text longer than the shorter text type it is altered to
//   8115  a number outside the range of the narrower number or text type it
//         is altered to (232 from float or real)
//   5074  ALTER COLUMN of a column a primary key or foreign key uses (its own
//         columns or the ones a foreign key refers to), whatever the change;
//         of a column a unique constraint or index uses unless it stays
//         varchar, nvarchar or varbinary and does not get shorter
//   8111  a primary key over a column that allows NULL
//   1779  a second primary key on a table
//   1505  a primary key, unique constraint or unique index over columns
//         whose values repeat (NULLs count as equal)
//   4901  a NOT NULL column without a default added to a table holding rows
//   2627  an insert of key values a primary key or unique constraint already
//         holds (2601 for a unique index)
// and, found from the catalogue alone: 4902/1088/208 a table the database
// lacks, 4924/1911/207 a column it lacks.
#include "check/RefusalCheck.h"

#include <algorithm>
#include <map>

#include <fmt/format.h>
#include <fmt/ranges.h>

#include "database/NameMatching.h"
#include "database/SqlTokens.h"

namespace orvel {

namespace {

std::string NameList(const std::vector<std::string>& tables) {
    std::string out;
    for (const auto& t : tables) out += (out.empty() ? "" : ", ") + UnicodeLiteral(t);
    return out;
}

std::string Joined(const std::vector<std::string>& parts, std::string_view separator) {
    return fmt::format("{}", fmt::join(parts, separator));
}

std::string BaseType(const std::string& type) { return type.substr(0, type.find('(')); }

// The length of a sized type: "nvarchar(50)" 50; nothing for max or unsized.
std::optional<long> TypeLength(const std::string& type) {
    const auto open = type.find('(');
    if (open == std::string::npos) return std::nullopt;
    try {
        return std::stol(type.substr(open + 1));
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

bool IsText(const std::string& base) {
    return base == "char" || base == "varchar" || base == "nchar" || base == "nvarchar" || base == "text" ||
           base == "ntext";
}
bool IsWholeNumber(const std::string& base) {
    return base == "tinyint" || base == "smallint" || base == "int" || base == "bigint";
}
bool IsApproximate(const std::string& base) { return base == "float" || base == "real"; }
bool IsExact(const std::string& base) {
    return base == "decimal" || base == "numeric" || base == "money" || base == "smallmoney";
}
bool IsNumber(const std::string& base) {
    return IsWholeNumber(base) || IsApproximate(base) || IsExact(base) || base == "bit";
}

std::optional<std::pair<std::string, std::string>> WholeNumberRange(const std::string& base) {
    if (base == "tinyint") return std::pair{"0", "255"};
    if (base == "smallint") return std::pair{"-32768", "32767"};
    if (base == "int") return std::pair{"-2147483648", "2147483647"};
    return std::nullopt;
}

// The type a statement would write for a column INFORMATION_SCHEMA describes.
std::string TypeFromMetadata(const ResultSet::Row& row) {
    std::string base = FoldAsciiCase(row[2].value_or(""));
    const auto& length = row[3];
    if (length && (IsText(base) || base == "binary" || base == "varbinary") && base != "text" && base != "ntext")
        return base + "(" + (*length == "-1" ? std::string("max") : *length) + ")";
    if ((base == "decimal" || base == "numeric") && row[4] && row[5]) return fmt::format("{}({},{})", base, *row[4], *row[5]);
    return base;
}

// A column as the run leaves it up to a statement.
struct ColumnState {
    std::string type;
    bool nullable = true;
    bool addedByRun = false;  // holds NULL in every row
    bool setByRun = false;    // an UPDATE of the run gives it values
};

struct TableState {
    std::map<std::string, ColumnState> columns;  // by folded name
    std::vector<KeyFacts> keys;
    bool emptied = false;

    ColumnState* column(const std::string& name) {
        auto c = columns.find(FoldAsciiCase(name));
        return c == columns.end() ? nullptr : &c->second;
    }
};

class ProbeBuilder {
public:
    ProbeBuilder(const PlannedChanges& planned, const TableFacts& facts, TableQuestion& question)
        : planned_(planned), question_(question) {
        for (const auto& c : facts.columns) {
            state_.columns[FoldAsciiCase(c.name)] = {c.type, c.nullable};
            order_.push_back(c.name);
        }
        state_.keys = facts.keys;
    }

    void follow(std::size_t changeIndex) {
        const PlannedChange& change = planned_.changes[changeIndex];
        switch (change.kind) {
            case PlannedChange::AlterColumn: return alterColumn(changeIndex, change);
            case PlannedChange::AddPrimaryKey: return addPrimaryKey(changeIndex, change);
            case PlannedChange::AddUnique: return addUnique(changeIndex, change, false);
            case PlannedChange::AddColumn: return addColumn(changeIndex, change);
            case PlannedChange::Insert: return insert(changeIndex, change);
            case PlannedChange::DropTable:
                question_.warnings.push_back(changeIndex);
                return;
            case PlannedChange::DeleteRows:
                question_.warnings.push_back(changeIndex);
                state_.emptied = true;
                return;
            case PlannedChange::FillColumn:
                for (const auto& name : change.columns)
                    if (auto* c = state_.column(name)) c->setByRun = true;
                return;
            case PlannedChange::DropKey:
                std::erase_if(state_.keys,
                              [&](const KeyFacts& k) { return EqualIgnoringAsciiCase(k.name, change.keyName); });
                return;
        }
    }

private:
    void probe(Probe p) { question_.probes.push_back(std::move(p)); }

    void alterColumn(std::size_t i, const PlannedChange& change) {
        const std::string& name = change.columns[0];
        ColumnState* column = state_.column(name);
        if (!column) return;
        const std::string v = BracketedName(name);
        const std::string where = fmt::format("{}.{}", change.table, name);
        for (const auto& key : state_.keys) {
            if (std::none_of(key.columns.begin(), key.columns.end(),
                             [&](const std::string& c) { return EqualIgnoringAsciiCase(c, name); }))
                continue;
            const bool strict = key.kind == KeyFacts::PrimaryKey || key.kind == KeyFacts::ForeignKey ||
                                key.kind == KeyFacts::Referenced;
            if (!strict && KeepsVariableLengthType(column->type, change.type)) continue;
            probe({.change = i, .rule = "depends-on-column", .error = 5074,
                   .reason = fmt::format("{} uses the column {}, so SQL Server refuses to alter it{} (5074, then "
                                         "4922)",
                                         key.name, where,
                                         strict ? "" : " unless it stays varchar, nvarchar or varbinary and does "
                                                       "not get shorter"),
                   .advice = fmt::format("Drop {} before the upgrade and make it again afterwards, or ask the "
                                         "product's maker how this database came to hold it.",
                                         key.name),
                   .refusedWithoutRows = true});
            break;
        }
        // A column that allows no NULL holds none; one the run added holds
        // nothing else.
        if (change.notNull && !column->setByRun && (column->nullable || column->addedByRun)) {
            probe({.change = i, .rule = "not-null", .error = 515,
                   .reason = fmt::format("rows hold NULL in {}, which this statement makes NOT NULL", where),
                   .advice = fmt::format("Give these rows a value in {0} (UPDATE {1} SET {0} = ... WHERE {0} IS "
                                         "NULL) or delete them, then check again.",
                                         name, change.table),
                   .condition = column->addedByRun ? "1 = 1" : v + " IS NULL",
                   .valueExpression = v});
        }
        if (!column->addedByRun && !column->setByRun) conversion(i, change, *column, v, where);
        column->type = change.type;
        column->nullable = !change.notNull;
    }

    void conversion(std::size_t i, const PlannedChange& change, const ColumnState& column, const std::string& v,
                    const std::string& where) {
        const std::string from = BaseType(column.type), to = BaseType(change.type);
        const std::string advice = fmt::format(
            "Correct or empty these values of {} (UPDATE {} SET {} = ... WHERE ...), then check again.", where,
            change.table, change.columns[0]);
        const std::string trimmed = "LTRIM(RTRIM(" + v + "))";
        const std::string wholeNumber = fmt::format(
            "({0} NOT LIKE '%[^0-9]%' OR ({0} LIKE '[-+]_%' AND SUBSTRING({0}, 2, 4000) NOT LIKE '%[^0-9]%'))",
            trimmed);
        if (IsText(from) && IsWholeNumber(to)) {
            probe({.change = i, .rule = "conversion", .error = 245,
                   .reason = fmt::format("values of {} are no whole number, and this statement makes it {}", where,
                                         change.type),
                   .advice = advice, .condition = fmt::format("{} IS NOT NULL AND NOT {}", v, wholeNumber),
                   .valueExpression = v});
            if (const auto range = WholeNumberRange(to))
                probe({.change = i, .rule = "conversion", .error = 248,
                       .reason = fmt::format("values of {} are whole numbers outside the range of {}", where, to),
                       .advice = advice,
                       .condition = fmt::format(
                           "{0} IS NOT NULL AND CASE WHEN NOT {1} THEN 0 WHEN LEN({2}) > 30 THEN 1 "
                           "WHEN CAST({2} AS decimal(38,0)) NOT BETWEEN {3} AND {4} THEN 1 ELSE 0 END = 1",
                           v, wholeNumber, trimmed, range->first, range->second),
                       .valueExpression = v});
            return;
        }
        if (IsText(from) && (IsApproximate(to) || IsExact(to))) {
            const bool emptyConverts = IsApproximate(to) || to == "money" || to == "smallmoney";
            probe({.change = i, .rule = "conversion", .error = 8114,
                   .reason = fmt::format("values of {} are no number, and this statement makes it {}", where,
                                         change.type),
                   .advice = advice,
                   .condition = fmt::format("{0} IS NOT NULL{1} AND (ISNUMERIC({2}) = 0 OR {2} LIKE "
                                            "'%[^0-9.eE+-]%')",
                                            v, emptyConverts ? " AND " + trimmed + " <> ''" : "", trimmed),
                   .valueExpression = v});
            return;
        }
        if (IsText(from) && IsText(to)) {
            const auto length = TypeLength(change.type);
            const auto before = TypeLength(column.type);
            if (!length || (before && *before <= *length)) return;
            probe({.change = i, .rule = "too-long", .error = 8152,
                   .reason = fmt::format("values of {} are longer than the {} characters of {}", where, *length,
                                         change.type),
                   .advice = fmt::format("Shorten these values of {} to at most {} characters, then check again.",
                                         where, *length),
                   .condition = fmt::format("LEN({}) > {}", v, *length), .valueExpression = v});
            return;
        }
        if (IsNumber(from) && IsWholeNumber(to)) {
            const auto range = WholeNumberRange(to);
            if (!range || (IsWholeNumber(from) && WholeNumberRange(from) && from != "int" && to == "int")) return;
            if (from == to) return;
            probe({.change = i, .rule = "out-of-range", .error = IsApproximate(from) ? 232 : 8115,
                   .reason = fmt::format("values of {} lie outside the range of {}", where, to), .advice = advice,
                   .condition = fmt::format("({0} < {1} OR {0} > {2})", v, range->first, range->second),
                   .valueExpression = v});
            return;
        }
        if (IsWholeNumber(from) && IsText(to)) {
            const auto length = TypeLength(change.type);
            if (!length) return;
            probe({.change = i, .rule = "out-of-range", .error = 8115,
                   .reason = fmt::format("values of {} have more digits than the {} characters of {}", where,
                                         *length, change.type),
                   .advice = advice,
                   .condition = fmt::format("LEN(CAST({} AS varchar(30))) > {}", v, *length),
                   .valueExpression = v});
        }
    }

    void addPrimaryKey(std::size_t i, const PlannedChange& change) {
        if (std::any_of(state_.keys.begin(), state_.keys.end(),
                        [](const KeyFacts& k) { return k.kind == KeyFacts::PrimaryKey; })) {
            probe({.change = i, .rule = "second-primary-key", .error = 1779,
                   .reason = fmt::format("the table {} already has a primary key", change.table),
                   .advice = "Drop the table's present primary key before the upgrade, or ask the product's maker "
                             "how this database came to hold it.",
                   .refusedWithoutRows = true});
        }
        for (const auto& name : change.columns) {
            const ColumnState* column = state_.column(name);
            if (column && column->nullable)
                probe({.change = i, .rule = "nullable-key-column", .error = 8111,
                       .reason = fmt::format("the column {}.{} allows NULL, and a primary key cannot be made over "
                                             "it",
                                             change.table, name),
                       .advice = fmt::format("Make {}.{} NOT NULL first (after giving every row a value).",
                                             change.table, name),
                       .refusedWithoutRows = true});
        }
        addUnique(i, change, true);
    }

    void addUnique(std::size_t i, const PlannedChange& change, bool primary) {
        if (!state_.emptied) {
            // Rows whose key column an earlier UPDATE of the run numbers get
            // values of their own; only the rows it leaves alone can repeat.
            std::vector<std::string> kept;
            for (const auto& name : change.columns)
                if (const ColumnState* c = state_.column(name); c && c->setByRun)
                    kept.push_back(BracketedName(name) + " IS NOT NULL");
            std::vector<std::string> columns;
            for (const auto& name : change.columns) columns.push_back(BracketedName(name));
            probe({.change = i, .rule = "duplicate-key", .error = 1505,
                   .reason = fmt::format("rows of {} repeat the values of ({}), which this statement makes {}",
                                         change.table, Joined(change.columns, ", "),
                                         primary ? "the primary key" : "unique"),
                   .advice = fmt::format("Give each of these rows values of ({}) of its own, or delete the extra "
                                         "rows, then check again.",
                                         Joined(change.columns, ", ")),
                   .condition = Joined(kept, " AND "), .groupBy = columns});
        }
        state_.keys.push_back({change.keyName.empty() ? "the primary key" : change.keyName,
                               primary ? KeyFacts::PrimaryKey : KeyFacts::Unique, change.columns});
    }

    void addColumn(std::size_t i, const PlannedChange& change) {
        if (change.notNull && !change.hasDefault)
            probe({.change = i, .rule = "not-null-added", .error = 4901,
                   .reason = fmt::format("the table {} holds rows, and a NOT NULL column without a default cannot "
                                         "be added to it",
                                         change.table),
                   .advice = "Ask the product's maker for the value these rows should take; the column cannot be "
                             "added while the table holds rows.",
                   .condition = "1 = 1"});
        state_.columns[FoldAsciiCase(change.columns[0])] = {change.type, !change.notNull, true, false};
        order_.push_back(change.columns[0]);
    }

    void insert(std::size_t i, const PlannedChange& change) {
        if (state_.emptied) return;
        // A row the run adds beside the rows held (sent on every run).
        question_.warnings.push_back(i);
        for (const auto& key : state_.keys) {
            if (key.kind == KeyFacts::ForeignKey || key.kind == KeyFacts::Referenced || key.kind == KeyFacts::Index)
                continue;
            std::vector<std::string> conditions;
            for (const auto& column : key.columns) {
                const auto value = valueOf(change, column);
                if (!value) {
                    conditions.clear();
                    break;
                }
                conditions.push_back(fmt::format("{} = {}", BracketedName(column), UnicodeLiteral(*value)));
            }
            if (conditions.empty()) continue;
            probe({.change = i, .rule = "duplicate-insert", .error = key.kind == KeyFacts::PrimaryKey ? 2627L : 2601L,
                   .reason = fmt::format("a row of {} already holds the values this statement inserts into ({}), "
                                         "which {} keeps unique",
                                         change.table, Joined(key.columns, ", "), key.name),
                   .advice = "Check whether the row is already what the upgrade inserts; if it is another row, "
                             "give it other key values.",
                   .condition = Joined(conditions, " AND ")});
        }
    }

    std::optional<std::string> valueOf(const PlannedChange& change, const std::string& column) const {
        // Without a column list the values go to the columns in table order.
        const std::vector<std::string>& columns = change.columns.empty() ? order_ : change.columns;
        for (std::size_t k = 0; k < columns.size() && k < change.values.size(); ++k)
            if (EqualIgnoringAsciiCase(columns[k], column)) return change.values[k];
        return std::nullopt;
    }

    const PlannedChanges& planned_;
    TableQuestion& question_;
    TableState state_;
    std::vector<std::string> order_;  // the table's columns at the start, in order
};

// The columns an example names its row by: the primary key, else the
// first unique key, else the first column.
std::vector<std::string> ExampleKey(const TableFacts& facts) {
    for (auto kind : {KeyFacts::PrimaryKey, KeyFacts::Unique})
        for (const auto& key : facts.keys)
            if (key.kind == kind) return key.columns;
    if (!facts.columns.empty()) return {facts.columns.front().name};
    return {};
}

std::string DataSql(const TableQuestion& q) {
    const std::string table = BracketedName(q.table);
    std::vector<std::string> counts{fmt::format("(SELECT COUNT(*) FROM {}) AS row_count", table)};
    std::string examples;
    std::vector<std::string> key;
    for (const auto& k : q.exampleKey) key.push_back(BracketedName(k));
    for (std::size_t n = 0; n < q.probes.size(); ++n) {
        const Probe& p = q.probes[n];
        if (p.refusedWithoutRows) {
            counts.push_back(fmt::format("0 AS q{}", n));
            continue;
        }
        if (!p.groupBy.empty()) {
            const std::string where = p.condition.empty() ? "" : " WHERE " + p.condition;
            const std::string groups = Joined(p.groupBy, ", ");
            counts.push_back(fmt::format(
                "(SELECT ISNULL(SUM(n), 0) FROM (SELECT COUNT(*) AS n FROM {}{} GROUP BY {} HAVING COUNT(*) > 1) "
                "AS d) AS q{}",
                table, where, groups, n));
            examples += fmt::format("SELECT TOP 5 {0}, COUNT(*) AS row_count FROM {1}{2} GROUP BY {0} HAVING "
                                    "COUNT(*) > 1;\n",
                                    groups, table, where);
            continue;
        }
        counts.push_back(fmt::format("(SELECT COUNT(*) FROM {} WHERE {}) AS q{}", table, p.condition, n));
        const std::string value = p.valueExpression.empty() ? "NULL" : p.valueExpression;
        examples += fmt::format("SELECT TOP 5 {}{}{} AS offending_value FROM {} WHERE {};\n", Joined(key, ", "),
                                key.empty() ? "" : ", ", value, table, p.condition);
    }
    return "SELECT " + Joined(counts, ", ") + ";\n" + examples;
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

}  // namespace

bool KeepsVariableLengthType(const std::string& from, const std::string& to) {
    const std::string base = BaseType(from);
    if (base != "varchar" && base != "nvarchar" && base != "varbinary") return false;
    if (BaseType(to) != base) return false;
    // A max type can be no index key: (max) counts as no length.
    const auto before = TypeLength(from), after = TypeLength(to);
    return before && after && *after >= *before;
}

std::string MetadataQuestion(const std::vector<std::string>& tables, bool catalogViews) {
    const std::string names = NameList(tables);
    std::string ids;
    for (const auto& t : tables) ids += (ids.empty() ? "" : ", ") + fmt::format("OBJECT_ID({})", UnicodeLiteral(t));
    const std::string columnsAndConstraints = fmt::format(
        "SELECT TABLE_NAME, COLUMN_NAME, DATA_TYPE, CHARACTER_MAXIMUM_LENGTH, NUMERIC_PRECISION, NUMERIC_SCALE, "
        "IS_NULLABLE, CASE WHEN COLUMN_DEFAULT IS NULL THEN 0 ELSE 1 END AS has_default "
        "FROM INFORMATION_SCHEMA.COLUMNS WHERE TABLE_NAME IN ({0}) ORDER BY TABLE_NAME, ORDINAL_POSITION;\n"
        "SELECT tc.TABLE_NAME, tc.CONSTRAINT_NAME, tc.CONSTRAINT_TYPE, k.COLUMN_NAME "
        "FROM INFORMATION_SCHEMA.TABLE_CONSTRAINTS tc JOIN INFORMATION_SCHEMA.KEY_COLUMN_USAGE k "
        "ON k.CONSTRAINT_NAME = tc.CONSTRAINT_NAME AND k.TABLE_NAME = tc.TABLE_NAME "
        "WHERE tc.TABLE_NAME IN ({0}) AND tc.CONSTRAINT_TYPE IN ('PRIMARY KEY', 'UNIQUE', 'FOREIGN KEY') "
        "ORDER BY tc.TABLE_NAME, tc.CONSTRAINT_NAME, k.ORDINAL_POSITION;\n",
        names);
    // Foreign keys of other tables that refer to these, and the indexes
    // that serve no constraint: catalog views from 2005 on, the system
    // tables before.
    if (catalogViews)
        return columnsAndConstraints +
               fmt::format(
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
    return columnsAndConstraints +
           fmt::format(
               "SELECT OBJECT_NAME(f.rkeyid) AS table_name, OBJECT_NAME(f.constid) AS name, c.name AS column_name "
               "FROM sysforeignkeys f JOIN syscolumns c ON c.id = f.rkeyid AND c.colid = f.rkey "
               "WHERE f.rkeyid IN ({0});\n"
               "SELECT OBJECT_NAME(i.id) AS table_name, i.name, INDEXPROPERTY(i.id, i.name, 'IsUnique') AS "
               "is_unique, c.name AS column_name FROM sysindexes i JOIN sysindexkeys k ON k.id = i.id AND k.indid "
               "= i.indid JOIN syscolumns c ON c.id = k.id AND c.colid = k.colid WHERE i.id IN ({0}) AND i.indid "
               "BETWEEN 1 AND 254 AND INDEXPROPERTY(i.id, i.name, 'IsStatistics') = 0 ORDER BY 1, 2, k.keyno;\n",
               ids);
}

TableMetadata ReadMetadata(const std::vector<ResultSet>& answers) {
    TableMetadata metadata;
    const auto table = [&](const std::optional<std::string>& name) -> TableFacts& {
        auto& facts = metadata[FoldAsciiCase(name.value_or(""))];
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
    if (!answers.empty())
        for (const auto& row : answers[0].rows)
            if (row.size() >= 8)
                table(row[0]).columns.push_back({row[1].value_or(""), TypeFromMetadata(row), row[6] == "YES",
                                                 row[7] == "1"});
    if (answers.size() > 1)
        for (const auto& row : answers[1].rows) {
            if (row.size() < 4) continue;
            const std::string type = row[2].value_or("");
            const auto kind = type == "PRIMARY KEY" ? KeyFacts::PrimaryKey
                              : type == "UNIQUE"    ? KeyFacts::Unique
                                                    : KeyFacts::ForeignKey;
            addKey(table(row[0]), row[1].value_or(""), kind, row[3].value_or(""));
        }
    if (answers.size() > 2)
        for (const auto& row : answers[2].rows)
            if (row.size() >= 3) addKey(table(row[0]), row[1].value_or(""), KeyFacts::Referenced, row[2].value_or(""));
    // The indexes, less the ones that serve a constraint read above.
    std::vector<std::string> constraints;
    for (const auto& [name, facts] : metadata)
        for (const auto& key : facts.keys) constraints.push_back(FoldAsciiCase(key.name));
    if (answers.size() > 3)
        for (const auto& row : answers[3].rows)
            if (row.size() >= 4 && std::find(constraints.begin(), constraints.end(),
                                             FoldAsciiCase(row[1].value_or(""))) == constraints.end())
                addKey(table(row[0]), row[1].value_or(""), row[2] == "1" ? KeyFacts::Unique : KeyFacts::Index,
                       row[3].value_or(""));
    return metadata;
}

std::vector<TableQuestion> DataQuestions(const PlannedChanges& planned, const TableMetadata& metadata) {
    std::vector<TableQuestion> questions;
    for (const auto& table : planned.touchedTables) {
        const auto facts = metadata.find(FoldAsciiCase(table));
        if (facts == metadata.end()) continue;
        TableQuestion question{.table = facts->second.name, .exampleKey = ExampleKey(facts->second)};
        ProbeBuilder builder(planned, facts->second, question);
        for (std::size_t i = 0; i < planned.changes.size(); ++i)
            if (EqualIgnoringAsciiCase(planned.changes[i].table, table)) builder.follow(i);
        if (question.probes.empty() && question.warnings.empty()) continue;
        question.sql = DataSql(question);
        questions.push_back(std::move(question));
    }
    return questions;
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
    for (std::size_t n = 0; n < q.probes.size(); ++n) {
        const Probe& p = q.probes[n];
        const ResultSet* examples = nullptr;
        if (!p.refusedWithoutRows && exampleSet < answers.size()) examples = &answers[exampleSet++];
        const long atFault = n + 1 < counts.size() ? CountOf(counts[n + 1]) : 0;
        if (!p.refusedWithoutRows && atFault == 0) continue;
        const PlannedChange& change = planned.changes[p.change];
        const PlannedStatement& s = planned.statements[change.index];
        Refusal refusal{.statementIndex = change.index, .step = s.step, .statement = s.sql, .rule = p.rule,
                        .error = p.error, .reason = p.reason, .rowsAtFault = atFault, .advice = p.advice};
        if (examples) {
            const std::size_t keyColumns = examples->columns.empty() ? 0 : examples->columns.size() - 1;
            for (const auto& row : examples->rows) {
                RowExample example;
                for (std::size_t k = 0; k < keyColumns && k < row.size(); ++k)
                    example.key.emplace_back(examples->columns[k], row[k]);
                if (!row.empty()) example.value = row.back();
                refusal.examples.push_back(std::move(example));
            }
        }
        report.refusals.push_back(std::move(refusal));
    }
}

}  // namespace orvel
