// The simulator's catalogue and the statement shapes it understands.
//
// Statements are read with the SQL tokenizer rather than regular
// expressions: the server-object texts run to several kilobytes and the
// benchmark needs the simulator's own time to vanish beside a round trip.
#include "schema/CatalogueSimulator.h"

#include <algorithm>
#include <cctype>
#include <thread>

#include "schema/NamedParameters.h"
#include "schema/SchemaOperations.h"
#include "schema/SqlTokens.h"

namespace orvel {

namespace {

constexpr const char* kErrorClass = "SimulatedDatabaseError";

using Token = SqlToken;

// Brackets and quotes off; a schema prefix off ("dbo.X", "[dbo].[X]").
std::string objectName(std::string_view text) {
    std::string result;
    for (char c : text)
        if (c != '[' && c != ']' && c != '\'' && c != '"') result += c;
    if (auto dot = result.rfind('.'); dot != std::string::npos) result.erase(0, dot + 1);
    return result;
}

class Parser {
public:
    explicit Parser(std::string_view sql) : sql_(sql), tokens_(TokenizeSql(sql)) {}

    bool atEnd() const {
        std::size_t i = at_;
        while (i < tokens_.size() && tokens_[i].kind == Token::Punct && tokens_[i].text == ";") ++i;
        return i >= tokens_.size();
    }
    bool accept(std::string_view word) {
        if (at_ < tokens_.size() && IsKeyword(tokens_[at_], word)) { ++at_; return true; }
        return false;
    }
    bool acceptPunct(char c) {
        if (at_ < tokens_.size() && tokens_[at_].kind == Token::Punct && tokens_[at_].text[0] == c) {
            ++at_;
            return true;
        }
        return false;
    }
    const Token* peek() const { return at_ < tokens_.size() ? &tokens_[at_] : nullptr; }
    std::optional<std::string> quoted() {
        if (at_ < tokens_.size() && tokens_[at_].kind == Token::Quoted) return objectName(tokens_[at_++].text);
        return std::nullopt;
    }
    // A possibly schema-qualified name; returns its last part.
    std::optional<std::string> name() {
        std::optional<std::string> last;
        while (at_ < tokens_.size() &&
               (tokens_[at_].kind == Token::Word || tokens_[at_].kind == Token::Identifier)) {
            last = objectName(tokens_[at_++].text);
            if (!acceptPunct('.')) break;
        }
        return last;
    }
    // The items of a parenthesised, comma-separated list (the opening
    // parenthesis is next); each item is its tokens' text range.
    std::optional<std::vector<std::vector<Token>>> list() {
        if (!acceptPunct('(')) return std::nullopt;
        std::vector<std::vector<Token>> items(1);
        int depth = 1;
        while (at_ < tokens_.size()) {
            const Token& token = tokens_[at_++];
            if (token.kind == Token::Punct && token.text == "(") ++depth;
            if (token.kind == Token::Punct && token.text == ")" && --depth == 0) return items;
            if (depth == 1 && token.kind == Token::Punct && token.text == ",") {
                items.emplace_back();
                continue;
            }
            items.back().push_back(token);
        }
        return std::nullopt;
    }
    // The rest of the statement as a list of comma-separated items.
    std::vector<std::vector<Token>> restItems() {
        std::vector<std::vector<Token>> items(1);
        int depth = 0;
        while (at_ < tokens_.size()) {
            const Token& token = tokens_[at_++];
            if (token.kind == Token::Punct && token.text == "(") ++depth;
            if (token.kind == Token::Punct && token.text == ")") --depth;
            if (depth == 0 && token.kind == Token::Punct && (token.text == "," || token.text == ";")) {
                items.emplace_back();
                continue;
            }
            items.back().push_back(token);
        }
        return items;
    }

private:
    std::string_view sql_;
    std::vector<Token> tokens_;
    std::size_t at_ = 0;
};

bool isConstraintItem(const std::vector<Token>& item) {
    if (item.empty()) return false;
    for (auto word : {"PRIMARY", "CONSTRAINT", "UNIQUE", "FOREIGN", "CHECK", "INDEX", "DEFAULT"})
        if (IsKeyword(item.front(), word)) return true;
    return false;
}

DatabaseError rejected(const std::string& message) { return DatabaseError(kErrorClass, message); }

// The column named by a column-definition item; rejects an item without a
// name or a type, as a server does.
std::string columnOf(const std::vector<Token>& item) {
    if (item.empty()) throw rejected("Incorrect syntax near ')'.");
    if (item.size() < 2)
        throw rejected("Column '" + objectName(item.front().text) + "' has no data type.");
    return objectName(item.front().text);
}

using Objects = std::vector<CatalogueObject>;

Objects::iterator findIn(Objects& objects, std::string_view name) {
    return std::find_if(objects.begin(), objects.end(), [&](const CatalogueObject& o) {
        return ContainsNameIgnoreCase(name, {o.name});
    });
}

}  // namespace

CatalogueSimulator::CatalogueSimulator(CatalogueSnapshot catalogue) : catalogue_(std::move(catalogue)) {}

void CatalogueSimulator::roundTrip() {
    if (delay_.count() <= 0) return;
    // Sleep most of the delay, then wait out the rest exactly: a plain sleep
    // overshoots by tens of microseconds, which the benchmark would measure.
    const auto deadline = std::chrono::steady_clock::now() + delay_;
    const auto coarse = delay_ - std::chrono::microseconds(200);
    if (coarse.count() > 0) std::this_thread::sleep_for(coarse);
    while (std::chrono::steady_clock::now() < deadline) {
    }
}

void CatalogueSimulator::open(const std::string& connectionText) {
    roundTrip();
    if (failOpen_) {
        auto message = std::move(*failOpen_);
        failOpen_.reset();
        throw rejected(message);
    }
    openedWith_.push_back(connectionText);
    open_ = true;
}

void CatalogueSimulator::close() {
    if (open_) ++closeCount_;
    open_ = false;
}

std::vector<std::string> CatalogueSimulator::tableNames() {
    std::vector<ListedObject> objects = *listedObjects();
    std::vector<std::string> names;
    names.reserve(objects.size());
    for (auto& object : objects) names.push_back(std::move(object.name));
    return names;
}

std::optional<std::vector<ListedObject>> CatalogueSimulator::listedObjects() {
    if (!open_) throw rejected("Operation is not allowed when the object is closed.");
    roundTrip();
    ++catalogueReads_;
    std::vector<ListedObject> objects;
    objects.reserve(catalogue_.tables.size() + catalogue_.views.size());
    for (const auto& t : catalogue_.tables) objects.push_back({t.name, ObjectKind::Table});
    for (const auto& v : catalogue_.views) objects.push_back({v.name, ObjectKind::View});
    return objects;
}

std::vector<std::string> CatalogueSimulator::columnNames(const std::string& table) {
    if (!open_) throw rejected("Operation is not allowed when the object is closed.");
    roundTrip();
    ++catalogueReads_;
    std::vector<std::string> columns;
    for (const auto* group : {&catalogue_.tables, &catalogue_.views})
        for (const auto& object : *group)
            if (ContainsNameIgnoreCase(table, {object.name}))
                columns.insert(columns.end(), object.columns.begin(), object.columns.end());
    return columns;
}

void CatalogueSimulator::failStatement(int k, std::string message) {
    failAt_ = {static_cast<int>(statements_.size()) + k, std::move(message)};
}

void CatalogueSimulator::failStatementsContaining(std::string fragment, std::string message) {
    failFragments_.emplace_back(std::move(fragment), std::move(message));
}

void CatalogueSimulator::failNextOpen(std::string message) { failOpen_ = std::move(message); }

void CatalogueSimulator::doExecute(const std::string& sql) { send(Sender::Command, sql, {}); }

void CatalogueSimulator::doExecuteQuery(const std::string& sql, const Parameters& parameters) {
    send(Sender::Query, sql, parameters);
}

void CatalogueSimulator::send(Sender via, const std::string& sql, const Parameters& parameters) {
    roundTrip();
    statements_.push_back({std::nullopt, via, sql, parameters, std::nullopt});
    try {
        if (failAt_ && failAt_->first == static_cast<int>(statements_.size())) {
            auto message = std::move(failAt_->second);
            failAt_.reset();
            throw rejected(message);
        }
        for (const auto& [fragment, message] : failFragments_)
            if (sql.find(fragment) != std::string::npos) throw rejected(message);
        if (via == Sender::Query)
            for (const auto& marker : FindParameterMarkers(sql)) ParameterValue(parameters, marker.name);
        apply(sql);
    } catch (const DatabaseError& e) {
        statements_.back().error = e.what();
        throw;
    }
}

void CatalogueSimulator::apply(const std::string& sql) {
    Parser p(sql);
    auto exists = [this](const std::string& name) {
        return findIn(catalogue_.tables, name) != catalogue_.tables.end() ||
               findIn(catalogue_.views, name) != catalogue_.views.end();
    };
    auto drop = [this](bool view, const std::string& name, bool guarded) {
        auto& group = view ? catalogue_.views : catalogue_.tables;
        auto it = findIn(group, name);
        if (it != group.end()) {
            group.erase(it);
        } else if (!guarded) {
            throw rejected(std::string("Cannot drop the ") + (view ? "view" : "table") + " '" + name +
                           "', because it does not exist or you do not have permission.");
        }
    };
    auto createTable = [&](Parser& q) {
        auto name = q.name();
        if (!name) return;
        if (exists(*name)) throw rejected("There is already an object named '" + *name + "' in the database.");
        CatalogueObject table{*name, {}};
        if (auto items = q.list()) {
            for (const auto& item : *items)
                if (!isConstraintItem(item)) table.columns.push_back(columnOf(item));
        }
        catalogue_.tables.push_back(std::move(table));
    };

    if (p.accept("IF")) {
        if (!p.accept("OBJECT_ID") || !p.acceptPunct('(')) return;
        auto guardedName = p.quoted();
        if (!guardedName || !p.acceptPunct(')') || !p.accept("IS")) return;
        const bool notNull = p.accept("NOT");
        if (!p.accept("NULL")) return;
        if (notNull && p.accept("DROP")) {
            const bool view = p.accept("VIEW");
            if (!view && !p.accept("TABLE")) return;
            auto name = p.name();
            if (name && p.atEnd() && ContainsNameIgnoreCase(*name, {*guardedName})) drop(view, *name, true);
        } else if (!notNull && p.accept("CREATE") && p.accept("TABLE")) {
            if (!exists(*guardedName)) createTable(p);
        }
        return;
    }
    if (p.accept("DROP")) {
        const bool view = p.accept("VIEW");
        if (!view && !p.accept("TABLE")) return;
        auto name = p.name();
        if (name && p.atEnd()) drop(view, *name, false);
        return;
    }
    if (p.accept("CREATE")) {
        if (p.accept("TABLE")) {
            createTable(p);
        } else if (p.accept("VIEW")) {
            auto name = p.name();
            if (!name) return;
            if (exists(*name)) throw rejected("There is already an object named '" + *name + "' in the database.");
            CatalogueObject view{*name, {}};
            if (auto columns = p.list())
                for (const auto& item : *columns)
                    if (!item.empty()) view.columns.push_back(objectName(item.front().text));
            catalogue_.views.push_back(std::move(view));
        }
        return;
    }
    if (p.accept("ALTER") && p.accept("TABLE")) {
        auto name = p.name();
        if (!name || !p.accept("ADD")) return;
        auto table = findIn(catalogue_.tables, *name);
        auto items = p.restItems();
        if (!items.empty() && isConstraintItem(items.front())) return;
        if (table == catalogue_.tables.end())
            throw rejected("Cannot find the object \"" + *name +
                           "\" because it does not exist or you do not have permissions.");
        bool anyColumn = false;
        for (const auto& item : items) {
            if (item.empty() || isConstraintItem(item)) continue;
            anyColumn = true;
            std::string column = columnOf(item);
            if (ContainsNameIgnoreCase(column, table->columns))
                throw rejected("Column names in each table must be unique. Column name '" + column +
                               "' in table '" + *name + "' is specified more than once.");
            table->columns.push_back(column);
        }
        if (!anyColumn) throw rejected("Incorrect syntax near 'ADD'.");
    }
}

}  // namespace orvel
