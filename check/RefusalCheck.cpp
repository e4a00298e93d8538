// Following a planned run's statements to the ones whose fate depends on
// the rows a database holds, and running the whole check on a database.
#include "check/RefusalCheck.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <set>

#include <fmt/format.h>

#include "schema/CatalogueReader.h"
#include "database/NameMatching.h"
#include "database/SqlTokens.h"
#include "schema/StatementEffects.h"

namespace orvel {

namespace {

using Tokens = std::vector<SqlToken>;

// A name token without its brackets or quotes.
std::string NameOf(const SqlToken& token) {
    const std::string_view text = token.text;
    if (token.kind == SqlToken::Identifier && text.size() >= 2) return std::string(text.substr(1, text.size() - 2));
    return std::string(text);
}

bool IsPunct(const Tokens& t, std::size_t i, char c) {
    return i < t.size() && t[i].kind == SqlToken::Punct && t[i].text.size() == 1 && t[i].text[0] == c;
}

bool IsWord(const Tokens& t, std::size_t i, std::string_view upper) { return i < t.size() && IsKeyword(t[i], upper); }

// A possibly qualified object name at `i` (schema.name, db.schema.name):
// its last part; `i` moves past it.
std::optional<std::string> ReadName(const Tokens& t, std::size_t& i) {
    if (i >= t.size() || (t[i].kind != SqlToken::Word && t[i].kind != SqlToken::Identifier)) return std::nullopt;
    std::string name = NameOf(t[i++]);
    while (IsPunct(t, i, '.') && i + 1 < t.size()) {
        name = NameOf(t[i + 1]);
        i += 2;
    }
    return name;
}

// The index past the parenthesis that closes the one at `i`.
std::size_t PastParentheses(const Tokens& t, std::size_t i) {
    int depth = 0;
    for (; i < t.size(); ++i) {
        if (IsPunct(t, i, '(')) ++depth;
        if (IsPunct(t, i, ')') && --depth == 0) return i + 1;
    }
    return t.size();
}

// The comma-separated items inside the parentheses at `i`, each as tokens;
// `i` moves past the closing parenthesis.
std::vector<Tokens> ReadList(const Tokens& t, std::size_t& i) {
    std::vector<Tokens> items;
    if (!IsPunct(t, i, '(')) return items;
    const std::size_t end = PastParentheses(t, i);
    items.emplace_back();
    int depth = 0;
    for (std::size_t k = i + 1; k + 1 < end; ++k) {
        if (IsPunct(t, k, '(')) ++depth;
        if (IsPunct(t, k, ')')) --depth;
        if (depth == 0 && IsPunct(t, k, ',')) {
            items.emplace_back();
            continue;
        }
        items.back().push_back(t[k]);
    }
    i = end;
    return items;
}

// The column names of a key or index list: "(a ASC, [b])" gives a, b.
std::vector<std::string> ReadColumnList(const Tokens& t, std::size_t& i) {
    std::vector<std::string> columns;
    for (const auto& item : ReadList(t, i))
        if (!item.empty()) columns.push_back(NameOf(item.front()));
    return columns;
}

// A type as a statement writes it, in lower case without blanks; integer is int.
std::string TypeText(const Tokens& t, std::size_t& i) {
    std::string type;
    if (i >= t.size()) return type;
    type = FoldAsciiCase(NameOf(t[i++]));
    if (type == "integer") type = "int";
    if (IsPunct(t, i, '(')) {
        const std::size_t end = PastParentheses(t, i);
        for (; i < end; ++i) type += FoldAsciiCase(t[i].text);
    }
    return type;
}

// A literal value of an insert: text without quotes, a number as written,
// nothing for NULL or anything computed.
std::optional<std::string> LiteralOf(const Tokens& item) {
    std::size_t k = 0;
    if (item.size() == 2 && item[0].kind == SqlToken::Word && (item[0].text == "N" || item[0].text == "n") &&
        item[1].kind == SqlToken::Quoted)
        k = 1;
    if (item.size() != k + 1 && !(item.size() == 2 && IsPunct(item, 0, '-'))) return std::nullopt;
    if (item.size() == 2 && IsPunct(item, 0, '-')) {
        if (item[1].kind != SqlToken::Word) return std::nullopt;
        return "-" + std::string(item[1].text);
    }
    const SqlToken& token = item[k];
    if (token.kind == SqlToken::Quoted) {
        std::string text;
        const std::string_view inner = token.text.substr(1, token.text.size() - 2);
        for (std::size_t c = 0; c < inner.size(); ++c) {
            text += inner[c];
            if (inner[c] == '\'' && c + 1 < inner.size() && inner[c + 1] == '\'') ++c;
        }
        return text;
    }
    if (token.kind == SqlToken::Word && !IsKeyword(token, "NULL") && !token.text.empty() &&
        (std::isdigit(static_cast<unsigned char>(token.text[0])) != 0))
        return std::string(token.text);
    return std::nullopt;
}

// The tables and columns the database holds at a point of the run, followed
// statement by statement from the catalogue the run starts from.
class CatalogueState {
public:
    explicit CatalogueState(const CatalogueSnapshot& start) {
        for (const auto* objects : {&start.tables, &start.views})
            for (const auto& object : *objects) {
                auto& columns = tables_[FoldAsciiCase(object.name)];
                for (const auto& column : object.columns) columns.insert(FoldAsciiCase(ColumnTestName(column)));
            }
        startTables_ = tables_;
    }

    bool hasTable(const std::string& table) const { return tables_.contains(FoldAsciiCase(table)); }
    bool hasColumn(const std::string& table, const std::string& column) const {
        const auto t = tables_.find(FoldAsciiCase(table));
        return t != tables_.end() && t->second.contains(FoldAsciiCase(column));
    }
    // The table held rows when the run started (it was there then and the
    // run has not dropped and made it again since).
    bool heldBeforeRun(const std::string& table) const { return startTables_.contains(FoldAsciiCase(table)); }

    void apply(const std::string& sql) {
        const StatementEffect effect = ReadStatementEffect(sql);
        if (!effect.change) return;
        const CatalogueChange& change = *effect.change;
        const std::string name = FoldAsciiCase(change.name);
        const bool present = tables_.contains(name);
        if (change.guard == CatalogueChange::IfMissing && present) return;
        if (change.guard == CatalogueChange::IfPresent && !present) return;
        switch (change.kind) {
            case CatalogueChange::CreateTable:
            case CatalogueChange::CreateView: {
                auto& columns = tables_[name];
                columns.clear();
                for (const auto& column : change.columns) columns.insert(FoldAsciiCase(column));
                break;
            }
            case CatalogueChange::AddColumns:
                for (const auto& column : change.columns) tables_[name].insert(FoldAsciiCase(column));
                break;
            case CatalogueChange::DropTable:
            case CatalogueChange::DropView:
                tables_.erase(name);
                startTables_.erase(name);
                break;
            case CatalogueChange::AlterView:
                break;
        }
    }

private:
    std::map<std::string, std::set<std::string>> tables_;
    std::map<std::string, std::set<std::string>> startTables_;
};

// Reads the statements of one planned statement text (a batch may hold
// several, split at semicolons) into changes and catalogue refusals.
class PlanReader {
public:
    PlanReader(const CatalogueSnapshot& start, PlannedChanges& out) : state_(start), out_(out) {}

    void read(std::size_t index) {
        const std::string& sql = out_.statements[index].sql;
        const Tokens tokens = TokenizeSql(sql);
        Tokens segment;
        // A guard covers the statements of its BEGIN ... END block too:
        // once a batch has one, what follows it is guarded.
        bool guarded = false;
        for (std::size_t i = 0; i <= tokens.size(); ++i) {
            if (i == tokens.size() || IsPunct(tokens, i, ';')) {
                if (!segment.empty()) guarded = readSegment(index, segment, guarded);
                segment.clear();
                continue;
            }
            segment.push_back(tokens[i]);
        }
        state_.apply(sql);
    }

private:
    // Reads one statement of a batch; returns whether the statements after
    // it are guarded.
    bool readSegment(std::size_t index, const Tokens& t, bool guarded) {
        std::size_t i = 0;
        // IF OBJECT_ID(...) IS [NOT] NULL and IF [NOT] EXISTS (...) guard the
        // statement after them: what it drops is followed, nothing is predicted.
        if (IsWord(t, 0, "IF")) {
            guarded = true;
            i = 1;
            if (IsWord(t, i, "NOT")) ++i;
            if (IsWord(t, i, "OBJECT_ID") || IsWord(t, i, "EXISTS")) {
                if (IsWord(t, i, "OBJECT_ID")) ++i;
                i = PastParentheses(t, i);
                if (IsWord(t, i, "IS")) ++i;
                if (IsWord(t, i, "NOT")) ++i;
                if (IsWord(t, i, "NULL")) ++i;
            } else {
                return true;
            }
        }
        if (IsWord(t, i, "BEGIN")) ++i;
        readGuardedOrNot(index, t, i, guarded);
        return guarded;
    }

    void readGuardedOrNot(std::size_t index, const Tokens& t, std::size_t i, bool guarded) {
        if (IsWord(t, i, "ALTER") && IsWord(t, i + 1, "TABLE")) return readAlterTable(index, t, i + 2, guarded);
        if (IsWord(t, i, "CREATE")) return readCreateIndex(index, t, i + 1, guarded);
        if (IsWord(t, i, "DROP") && IsWord(t, i + 1, "INDEX")) return readDropIndex(index, t, i + 2);
        if (IsWord(t, i, "DROP") && IsWord(t, i + 1, "TABLE")) {
            std::size_t k = i + 2;
            if (auto table = ReadName(t, k); table && state_.heldBeforeRun(*table))
                add({.kind = PlannedChange::DropTable, .index = index, .table = *table});
            return;
        }
        if (guarded) return;
        if (IsWord(t, i, "INSERT")) return readInsert(index, t, i + 1);
        if (IsWord(t, i, "UPDATE")) return readUpdate(index, t, i + 1);
        if (IsWord(t, i, "DELETE") || (IsWord(t, i, "TRUNCATE") && IsWord(t, i + 1, "TABLE"))) {
            std::size_t k = i + 1;
            if (IsWord(t, k, "FROM") || IsWord(t, k, "TABLE")) ++k;
            auto table = ReadName(t, k);
            if (table && k == t.size() && state_.heldBeforeRun(*table))
                add({.kind = PlannedChange::DeleteRows, .index = index, .table = *table});
        }
    }

    void readAlterTable(std::size_t index, const Tokens& t, std::size_t i, bool guarded) {
        auto table = ReadName(t, i);
        if (!table) return;
        if (!guarded && !state_.hasTable(*table)) {
            refuseMissingTable(index, 4902, *table);
            return;
        }
        if (IsWord(t, i, "DROP") && IsWord(t, i + 1, "CONSTRAINT")) {
            if (i + 2 < t.size())
                add({.kind = PlannedChange::DropKey, .index = index, .table = *table, .keyName = NameOf(t[i + 2])});
            return;
        }
        if (guarded) return;
        if (IsWord(t, i, "ALTER") && IsWord(t, i + 1, "COLUMN") && i + 2 < t.size()) {
            const std::string column = NameOf(t[i + 2]);
            std::size_t k = i + 3;
            PlannedChange change{.kind = PlannedChange::AlterColumn, .index = index, .table = *table,
                                 .columns = {column}, .type = TypeText(t, k)};
            change.notNull = IsWord(t, k, "NOT") && IsWord(t, k + 1, "NULL");
            if (!state_.hasColumn(*table, column)) {
                refuse(index, "missing-column", 4924,
                       fmt::format("the column {} does not exist in the table {}, and the run does not add it "
                                   "before this statement",
                                   column, *table),
                       fmt::format("This table is older than the upgrader supports: add the column {} to {} (as "
                                   "the product's current version defines it) or bring the database to a supported "
                                   "version first.",
                                   column, *table));
                return;
            }
            add(std::move(change));
            return;
        }
        if (!IsWord(t, i, "ADD")) return;
        ++i;
        if (IsWord(t, i, "CONSTRAINT")) i += 2;
        if (IsWord(t, i, "PRIMARY") || IsWord(t, i, "UNIQUE")) {
            const bool primary = IsWord(t, i, "PRIMARY");
            i += primary ? 2 : 1;
            if (IsWord(t, i, "CLUSTERED") || IsWord(t, i, "NONCLUSTERED")) ++i;
            PlannedChange change{.kind = primary ? PlannedChange::AddPrimaryKey : PlannedChange::AddUnique,
                                 .index = index, .table = *table, .columns = ReadColumnList(t, i)};
            if (!requireColumns(index, change)) return;
            add(std::move(change));
            return;
        }
        if (IsWord(t, i, "FOREIGN") || IsWord(t, i, "CHECK") || IsWord(t, i, "DEFAULT")) return;
        // ADD column definitions, comma-separated.
        Tokens definition;
        for (std::size_t k = i; k <= t.size(); ++k) {
            if (k == t.size() || IsPunct(t, k, ',')) {
                readAddedColumn(index, *table, definition);
                definition.clear();
                continue;
            }
            if (IsPunct(t, k, '(')) {
                const std::size_t end = PastParentheses(t, k);
                definition.insert(definition.end(), t.begin() + static_cast<long>(k), t.begin() + static_cast<long>(end));
                k = end - 1;
                continue;
            }
            definition.push_back(t[k]);
        }
    }

    void readAddedColumn(std::size_t index, const std::string& table, const Tokens& d) {
        if (d.size() < 2) return;
        std::size_t k = 1;
        PlannedChange change{.kind = PlannedChange::AddColumn, .index = index, .table = table,
                             .columns = {NameOf(d[0])}, .type = TypeText(d, k)};
        for (; k < d.size(); ++k) {
            if (IsWord(d, k, "NOT") && IsWord(d, k + 1, "NULL")) change.notNull = true;
            if (IsWord(d, k, "DEFAULT") || IsWord(d, k, "IDENTITY")) change.hasDefault = true;
        }
        add(std::move(change));
    }

    void readCreateIndex(std::size_t index, const Tokens& t, std::size_t i, bool guarded) {
        if (!IsWord(t, i, "UNIQUE") || guarded) return;
        ++i;
        if (IsWord(t, i, "CLUSTERED") || IsWord(t, i, "NONCLUSTERED")) ++i;
        if (!IsWord(t, i, "INDEX") || i + 1 >= t.size()) return;
        const std::string name = NameOf(t[i + 1]);
        i += 2;
        if (!IsWord(t, i, "ON")) return;
        ++i;
        auto table = ReadName(t, i);
        if (!table) return;
        if (!state_.hasTable(*table)) {
            refuseMissingTable(index, 1088, *table);
            return;
        }
        PlannedChange change{.kind = PlannedChange::AddUnique, .index = index, .table = *table,
                             .columns = ReadColumnList(t, i), .keyName = name};
        if (!requireColumns(index, change)) return;
        add(std::move(change));
    }

    void readDropIndex(std::size_t index, const Tokens& t, std::size_t i) {
        if (i >= t.size()) return;
        std::string name = NameOf(t[i]);
        std::size_t k = i + 1;
        std::optional<std::string> table;
        if (IsWord(t, k, "ON")) {
            ++k;
            table = ReadName(t, k);
        } else if (IsPunct(t, k, '.') && k + 1 < t.size()) {  // DROP INDEX table.index
            table = name;
            name = NameOf(t[k + 1]);
        }
        if (table) add({.kind = PlannedChange::DropKey, .index = index, .table = *table, .keyName = name});
    }

    void readInsert(std::size_t index, const Tokens& t, std::size_t i) {
        if (IsWord(t, i, "INTO")) ++i;
        auto table = ReadName(t, i);
        if (!table) return;
        if (!state_.hasTable(*table)) {
            refuseMissingTable(index, 208, *table);
            return;
        }
        PlannedChange change{.kind = PlannedChange::Insert, .index = index, .table = *table};
        if (IsPunct(t, i, '(')) change.columns = ReadColumnList(t, i);
        if (!IsWord(t, i, "VALUES")) return;
        ++i;
        for (const auto& item : ReadList(t, i)) change.values.push_back(LiteralOf(item));
        if (!requireColumns(index, change)) return;
        add(std::move(change));
    }

    void readUpdate(std::size_t index, const Tokens& t, std::size_t i) {
        auto table = ReadName(t, i);
        if (!table || !IsWord(t, i, "SET")) return;
        PlannedChange change{.kind = PlannedChange::FillColumn, .index = index, .table = *table};
        // Every `name =` of the SET list (including SET @v = column = ...).
        for (std::size_t k = i + 1; k + 1 < t.size() && !IsWord(t, k, "WHERE") && !IsWord(t, k, "FROM"); ++k)
            if ((t[k].kind == SqlToken::Word || t[k].kind == SqlToken::Identifier) && IsPunct(t, k + 1, '=') &&
                !t[k].text.starts_with("@"))
                change.columns.push_back(NameOf(t[k]));
        if (!change.columns.empty()) add(std::move(change));
    }

    // False (and the statement refused) when a named column is missing.
    bool requireColumns(std::size_t index, const PlannedChange& change) {
        for (const auto& column : change.columns) {
            if (state_.hasColumn(change.table, column)) continue;
            refuse(index, "missing-column", change.kind == PlannedChange::Insert ? 207 : 1911,
                   fmt::format("the column {} does not exist in the table {}, and the run does not add it before "
                               "this statement",
                               column, change.table),
                   fmt::format("This table is older than the upgrader supports: add the column {} to {} or bring "
                               "the database to a supported version first.",
                               column, change.table));
            return false;
        }
        return true;
    }

    void add(PlannedChange change) {
        if (state_.heldBeforeRun(change.table) &&
            std::none_of(out_.touchedTables.begin(), out_.touchedTables.end(),
                         [&](const std::string& t) { return EqualIgnoringAsciiCase(t, change.table); }))
            out_.touchedTables.push_back(change.table);
        if (state_.heldBeforeRun(change.table)) out_.changes.push_back(std::move(change));
    }

    // A statement on a table that neither the database nor the run's earlier
    // statements hold.
    void refuseMissingTable(std::size_t index, long error, const std::string& table) {
        refuse(index, "missing-table", error,
               fmt::format("the table {} does not exist in this database, and the run does not create it before "
                           "this statement",
                           table),
               "This database is older than the upgrader supports or belongs to another product: check the "
               "product chosen, or bring the database to a supported version first.");
    }

    void refuse(std::size_t index, std::string rule, long error, std::string reason, std::string advice) {
        const auto& statement = out_.statements[index];
        out_.refusals.push_back({.statementIndex = index, .step = statement.step, .statement = statement.sql, .rule = std::move(rule),
                                 .error = error, .reason = std::move(reason), .advice = std::move(advice)});
    }

    CatalogueState state_;
    PlannedChanges& out_;
};

}  // namespace

const ColumnFacts* TableFacts::column(const std::string& wanted) const {
    for (const auto& c : columns)
        if (EqualIgnoringAsciiCase(c.name, wanted)) return &c;
    return nullptr;
}

bool HasCatalogViews(const std::optional<ServerIdentity>& server) {
    if (!server) return true;
    try {
        return std::stoi(server->version) >= 9;
    } catch (const std::exception&) {
        return true;
    }
}

PlannedChanges ReadPlannedChanges(const CatalogueSnapshot& start, std::vector<PlannedStatement> plan) {
    PlannedChanges out;
    out.statements = std::move(plan);
    PlanReader reader(start, out);
    for (std::size_t i = 0; i < out.statements.size(); ++i) reader.read(i);
    return out;
}

CheckReport CheckPlannedRun(Database& db, const std::string& product, const CatalogueSnapshot& start,
                            std::vector<PlannedStatement> plan, int* roundTrips) {
    CheckReport report{.product = product};
    const PlannedChanges planned = ReadPlannedChanges(start, std::move(plan));
    report.refusals = planned.refusals;
    if (planned.touchedTables.empty()) return report;
    // The questions are T-SQL: INFORMATION_SCHEMA, LIKE classes, LEN, TOP.
    if (const auto server = db.serverIdentity(); server && server->product.find("SQL Server") == std::string::npos) {
        report.rowsNotAsked = fmt::format(
            "{} cannot answer the questions about rows (they need SQL Server's INFORMATION_SCHEMA, LIKE classes "
            "and functions); only missing tables and columns were checked",
            server->product);
        return report;
    }
    int reads = 1;
    const TableMetadata metadata = ReadMetadata(
        db.readResults(MetadataQuestion(planned.touchedTables, HasCatalogViews(db.serverIdentity()))));
    for (const auto& question : DataQuestions(planned, metadata)) {
        ++reads;
        Evaluate(planned, question, db.readResults(question.sql), report);
    }
    if (roundTrips) *roundTrips += reads;
    std::stable_sort(report.refusals.begin(), report.refusals.end(), [&](const Refusal& a, const Refusal& b) {
        return a.statementIndex < b.statementIndex;
    });
    return report;
}

std::string ExampleText(const RowExample& example) {
    const auto shown = [](const std::optional<std::string>& value) { return value ? "\"" + *value + "\"" : "NULL"; };
    std::string line;
    for (const auto& [column, value] : example.key) line += fmt::format("{}={}  ", column, shown(value));
    return line + "value " + shown(example.value);
}

std::string RefusalExplanation(const std::vector<Refusal>& refusals) {
    std::string out;
    for (const auto& r : refusals) {
        out += fmt::format("Why (error {}): {}", r.error, r.reason);
        if (r.rowsAtFault > 0) out += fmt::format("; rows at fault: {}", r.rowsAtFault);
        out += "\n";
        for (const auto& example : r.examples) out += "  " + ExampleText(example) + "\n";
        out += "What to do: " + r.advice + "\n";
    }
    return out;
}

std::vector<Refusal> ExplainRefusal(Database& db, const std::string& sql) {
    const CatalogueSnapshot now = ReadCatalogueSnapshot(ReadOnlyCatalogue(db));
    return CheckPlannedRun(db, {}, now, {{std::nullopt, sql}}).refusals;
}

}  // namespace orvel
