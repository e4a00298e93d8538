// Reading statement shapes with the SQL tokenizer.
//
// The tokenizer rather than regular expressions: the server-object texts run
// to several kilobytes, every statement of a run is read, and the benchmark
// needs the reading to vanish beside a round trip.
#include "schema/StatementEffects.h"

#include <array>

#include "database/NameMatching.h"
#include "database/SqlTokens.h"

namespace orvel {

namespace {

using Token = SqlToken;
using Tokens = std::vector<Token>;

struct QualifiedName {
    std::optional<std::string> schema;
    std::string name;
};

// A name as written ("dbo.X", "[dbo].[X]", 'DBO.X') split into its last two
// parts, brackets and quotes off.
QualifiedName qualifiedName(std::string_view text) {
    std::string plain;
    for (char c : text)
        if (c != '[' && c != ']' && c != '\'' && c != '"') plain += c;
    QualifiedName result;
    const auto dot = plain.rfind('.');
    if (dot == std::string::npos) {
        result.name = plain;
        return result;
    }
    result.name = plain.substr(dot + 1);
    std::string qualifier = plain.substr(0, dot);
    if (auto before = qualifier.rfind('.'); before != std::string::npos) qualifier.erase(0, before + 1);
    result.schema = qualifier;
    return result;
}

std::string plainName(std::string_view text) { return qualifiedName(text).name; }

bool isWord(const Token& token, std::initializer_list<std::string_view> words) {
    for (auto word : words)
        if (IsKeyword(token, word)) return true;
    return false;
}

bool isPunct(const Token& token, char c) { return token.kind == Token::Punct && token.text[0] == c; }

// Words that open a statement of their own: met inside what should be one
// column definition, they mean the text holds a further statement.
bool opensStatement(const Token& token) {
    return isWord(token, {"SELECT", "INSERT", "UPDATE", "DELETE", "MERGE", "IF", "ELSE", "WHILE", "BEGIN", "END",
                          "DECLARE", "SET", "EXEC", "EXECUTE", "CREATE", "ALTER", "DROP", "TRUNCATE", "PRINT",
                          "RETURN", "USE", "GO", "RAISERROR", "THROW", "GRANT", "DENY", "REVOKE", "OPEN", "CLOSE",
                          "FETCH", "DEALLOCATE", "SP_RENAME"});
}

bool isConstraintItem(const Tokens& item) {
    return !item.empty() &&
           isWord(item.front(), {"PRIMARY", "CONSTRAINT", "UNIQUE", "FOREIGN", "CHECK", "INDEX", "DEFAULT"});
}

// Whether the tokens from `from` on may change a table, view or column name:
// the reading of everything that is not one of the exact shapes.  A module's body (after CREATE or ALTER PROCEDURE, FUNCTION or
// TRIGGER, which must open their batch) is not run by creating the module
// and is not read.
bool mayChangeNames(const Tokens& tokens, std::size_t from) {
    const std::size_t n = tokens.size();
    auto at = [&](std::size_t i) -> const Token* { return i < n ? &tokens[i] : nullptr; };
    auto wordAt = [&](std::size_t i, std::initializer_list<std::string_view> words) {
        const Token* token = at(i);
        return token && isWord(*token, words);
    };
    // Skips a possibly qualified name starting at i; returns the index after it.
    auto skipName = [&](std::size_t i) {
        while (i < n && (tokens[i].kind == Token::Word || tokens[i].kind == Token::Identifier)) {
            ++i;
            if (i < n && isPunct(tokens[i], '.')) ++i;
            else break;
        }
        return i;
    };
    for (std::size_t i = from; i < n; ++i) {
        const Token& token = tokens[i];
        if (token.kind != Token::Word) continue;
        if (isWord(token, {"EXEC", "EXECUTE", "SP_RENAME", "RENAME", "USE"})) return true;
        if (IsKeyword(token, "INTO")) {
            const Token* before = i > 0 ? at(i - 1) : nullptr;
            const Token* after = at(i + 1);
            if (before && isWord(*before, {"INSERT", "MERGE"})) continue;
            if (after && after->kind == Token::Word && (after->text[0] == '@' || after->text[0] == '#')) continue;
            return true;  // SELECT ... INTO a table creates it
        }
        if (IsKeyword(token, "CREATE")) {
            std::size_t j = i + 1;
            while (wordAt(j, {"UNIQUE", "CLUSTERED", "NONCLUSTERED"})) ++j;
            if (wordAt(j, {"INDEX", "STATISTICS"})) {
                i = j;
                continue;
            }
            if (wordAt(j, {"PROCEDURE", "PROC", "FUNCTION", "TRIGGER"})) return false;
            return true;
        }
        if (IsKeyword(token, "DROP")) {
            if (wordAt(i + 1, {"INDEX", "STATISTICS", "PROCEDURE", "PROC", "FUNCTION", "TRIGGER", "DEFAULT", "RULE"})) {
                ++i;
                continue;
            }
            return true;
        }
        if (IsKeyword(token, "ALTER")) {
            if (wordAt(i + 1, {"INDEX"})) {
                ++i;
                continue;
            }
            if (wordAt(i + 1, {"PROCEDURE", "PROC", "FUNCTION", "TRIGGER"})) return false;
            if (!wordAt(i + 1, {"TABLE"})) return true;
            std::size_t action = skipName(i + 2);
            if (wordAt(action, {"ALTER"})) {
                i = action + 1;  // ALTER COLUMN changes a type, not a name
                continue;
            }
            if (wordAt(action, {"ADD"})) {
                if (!wordAt(action + 1, {"CONSTRAINT", "PRIMARY", "UNIQUE", "FOREIGN", "CHECK", "DEFAULT", "INDEX"}))
                    return true;  // columns, which only the exact shape reads
                i = action + 1;
                continue;
            }
            if (wordAt(action, {"DROP"})) {
                // DROP name and DROP CONSTRAINT name drop constraints; any
                // COLUMN before the next statement drops a column.
                for (std::size_t k = action + 1; k < n && !opensStatement(tokens[k]); ++k)
                    if (IsKeyword(tokens[k], "COLUMN")) return true;
                i = action;
                continue;
            }
            if (wordAt(action, {"CHECK", "NOCHECK", "WITH", "ENABLE", "DISABLE", "REBUILD", "SET", "SWITCH"})) {
                i = action;
                continue;
            }
            return true;
        }
    }
    return false;
}

class Parser {
public:
    explicit Parser(const Tokens& tokens) : tokens_(tokens) {}

    const Tokens& tokens() const { return tokens_; }
    std::size_t position() const { return at_; }
    void rewind() { at_ = 0; }

    bool atEnd() const {
        std::size_t i = at_;
        while (i < tokens_.size() && isPunct(tokens_[i], ';')) ++i;
        return i >= tokens_.size();
    }
    bool accept(std::string_view word) {
        if (at_ < tokens_.size() && IsKeyword(tokens_[at_], word)) {
            ++at_;
            return true;
        }
        return false;
    }
    bool acceptPunct(char c) {
        if (at_ < tokens_.size() && isPunct(tokens_[at_], c)) {
            ++at_;
            return true;
        }
        return false;
    }
    // A quoted literal, with or without the N prefix.
    std::optional<QualifiedName> quoted() {
        const std::size_t start = at_;
        if (at_ + 1 < tokens_.size() && IsKeyword(tokens_[at_], "N") && tokens_[at_ + 1].offset == tokens_[at_].offset + 1)
            ++at_;
        if (at_ < tokens_.size() && tokens_[at_].kind == Token::Quoted) return qualifiedName(tokens_[at_++].text);
        at_ = start;
        return std::nullopt;
    }
    // A possibly qualified name.
    std::optional<QualifiedName> name() {
        std::string written;
        while (at_ < tokens_.size() &&
               (tokens_[at_].kind == Token::Word || tokens_[at_].kind == Token::Identifier)) {
            written += tokens_[at_++].text;
            if (!acceptPunct('.')) break;
            written += '.';
        }
        if (written.empty()) return std::nullopt;
        return qualifiedName(written);
    }
    // The items of a parenthesised, comma-separated list (the opening
    // parenthesis is next).
    std::optional<std::vector<Tokens>> list() {
        if (!acceptPunct('(')) return std::nullopt;
        std::vector<Tokens> items(1);
        int depth = 1;
        while (at_ < tokens_.size()) {
            const Token& token = tokens_[at_++];
            if (isPunct(token, '(')) ++depth;
            if (isPunct(token, ')') && --depth == 0) return items;
            if (depth == 1 && isPunct(token, ',')) {
                items.emplace_back();
                continue;
            }
            items.back().push_back(token);
        }
        return std::nullopt;
    }
    // The rest of the text as comma-separated items.
    std::vector<Tokens> restItems() {
        std::vector<Tokens> items(1);
        int depth = 0;
        while (at_ < tokens_.size()) {
            const Token& token = tokens_[at_++];
            if (isPunct(token, '(')) ++depth;
            if (isPunct(token, ')')) --depth;
            if (depth == 0 && (isPunct(token, ',') || isPunct(token, ';'))) {
                items.emplace_back();
                continue;
            }
            items.back().push_back(token);
        }
        return items;
    }

private:
    const Tokens& tokens_;
    std::size_t at_ = 0;
};

// The text the tokens from `first` to `last` span in their statement.
std::string spannedText(const Token& first, const Token& last) {
    return std::string(first.text.data(), static_cast<std::size_t>(last.text.data() + last.text.size() - first.text.data()));
}

// The column a definition names, with the rest of its definition, or the
// server's complaint about it.
void readColumn(const Tokens& item, CatalogueChange& change) {
    if (!change.fault.empty()) return;
    if (item.empty()) {
        change.fault = "Incorrect syntax near ')'.";
    } else if (item.size() < 2) {
        change.fault = "Column '" + plainName(item.front().text) + "' has no data type.";
    } else {
        change.columns.push_back(plainName(item.front().text));
        change.definitions.push_back(spannedText(item[1], item.back()));
    }
}

// Every ALTER TABLE name ALTER COLUMN column definition of the statement;
// the definition ends at a semicolon, a closing parenthesis it did not open,
// or a word that opens a statement of its own.
std::vector<AlteredColumn> alteredColumns(const Tokens& tokens) {
    std::vector<AlteredColumn> altered;
    const std::size_t n = tokens.size();
    for (std::size_t i = 0; i + 1 < n; ++i) {
        if (!IsKeyword(tokens[i], "ALTER") || !IsKeyword(tokens[i + 1], "TABLE")) continue;
        std::string written;
        std::size_t k = i + 2;
        while (k < n && (tokens[k].kind == Token::Word || tokens[k].kind == Token::Identifier)) {
            written += tokens[k++].text;
            if (k >= n || !isPunct(tokens[k], '.')) break;
            written += tokens[k++].text;
        }
        if (written.empty() || k + 3 >= n || !IsKeyword(tokens[k], "ALTER") || !IsKeyword(tokens[k + 1], "COLUMN"))
            continue;
        const std::size_t first = k + 3;
        std::size_t last = first;
        int depth = 0;
        for (std::size_t j = first; j < n; ++j) {
            if (isPunct(tokens[j], '(')) ++depth;
            if (isPunct(tokens[j], ')') && --depth < 0) break;
            if (isPunct(tokens[j], ';') || (depth == 0 && j > first && opensStatement(tokens[j]))) break;
            last = j;
        }
        altered.push_back({plainName(written), plainName(tokens[k + 2].text), spannedText(tokens[first], tokens[last])});
        i = last;
    }
    return altered;
}

CatalogueChange changeOf(CatalogueChange::Kind kind, const QualifiedName& name) {
    CatalogueChange change;
    change.kind = kind;
    change.name = name.name;
    change.schema = name.schema;
    return change;
}

// CREATE TABLE after its two words: the name and any column list; the rest
// of the text is read for further changes.
StatementEffect createTable(Parser& p) {
    auto name = p.name();
    if (!name) return {std::nullopt, true};
    StatementEffect effect{changeOf(CatalogueChange::CreateTable, *name), false};
    if (auto items = p.list())
        for (const auto& item : *items)
            if (!isConstraintItem(item)) readColumn(item, *effect.change);
    effect.mayChangeMore = mayChangeNames(p.tokens(), p.position());
    return effect;
}

// IF OBJECT_ID('x') IS [NOT] NULL followed by a drop or a create of x.
std::optional<StatementEffect> guarded(Parser& p) {
    if (!p.accept("IF") || !p.accept("OBJECT_ID") || !p.acceptPunct('(')) return std::nullopt;
    auto guard = p.quoted();
    if (!guard || !p.acceptPunct(')') || !p.accept("IS")) return std::nullopt;
    const bool notNull = p.accept("NOT");
    if (!p.accept("NULL")) return std::nullopt;
    auto sameName = [&](const QualifiedName& name) { return EqualIgnoringAsciiCase(name.name, guard->name); };
    if (notNull && p.accept("DROP")) {
        const bool view = p.accept("VIEW");
        if (!view && !p.accept("TABLE")) return std::nullopt;
        auto name = p.name();
        if (!name || !p.atEnd() || !sameName(*name)) return std::nullopt;
        if (!name->schema) name->schema = guard->schema;
        StatementEffect effect{changeOf(view ? CatalogueChange::DropView : CatalogueChange::DropTable, *name), false};
        effect.change->guard = CatalogueChange::IfPresent;
        return effect;
    }
    if (!notNull && p.accept("CREATE") && p.accept("TABLE")) {
        StatementEffect effect = createTable(p);
        if (!effect.change || !sameName({effect.change->schema, effect.change->name})) return std::nullopt;
        effect.change->guard = CatalogueChange::IfMissing;
        return effect;
    }
    return std::nullopt;
}

// A batch that creates or alters a module: only its header counts.
std::optional<StatementEffect> module(Parser& p) {
    const bool create = p.accept("CREATE");
    if (!create && !p.accept("ALTER")) return std::nullopt;
    if (p.accept("PROCEDURE") || p.accept("PROC") || p.accept("FUNCTION") || p.accept("TRIGGER"))
        return StatementEffect{};
    if (!p.accept("VIEW")) return std::nullopt;
    auto name = p.name();
    if (!name) return StatementEffect{std::nullopt, true};
    if (!create) return StatementEffect{changeOf(CatalogueChange::AlterView, *name), false};
    StatementEffect effect{changeOf(CatalogueChange::CreateView, *name), false};
    if (auto columns = p.list()) {
        for (const auto& item : *columns)
            if (!item.empty()) effect.change->columns.push_back(plainName(item.front().text));
    } else {
        effect.change->columnsKnown = false;
    }
    return effect;
}

std::optional<StatementEffect> drop(Parser& p) {
    if (!p.accept("DROP")) return std::nullopt;
    const bool view = p.accept("VIEW");
    if (!view && !p.accept("TABLE")) return std::nullopt;
    auto name = p.name();
    if (!name || !p.atEnd()) return StatementEffect{std::nullopt, true};
    return StatementEffect{changeOf(view ? CatalogueChange::DropView : CatalogueChange::DropTable, *name), false};
}

std::optional<StatementEffect> addColumns(Parser& p) {
    if (!p.accept("ALTER") || !p.accept("TABLE")) return std::nullopt;
    auto name = p.name();
    if (!name || !p.accept("ADD")) return std::nullopt;
    auto items = p.restItems();
    if (!items.empty() && isConstraintItem(items.front())) return std::nullopt;
    StatementEffect effect{changeOf(CatalogueChange::AddColumns, *name), false};
    bool anyColumn = false;
    for (const auto& item : items) {
        for (const auto& token : item) effect.mayChangeMore = effect.mayChangeMore || opensStatement(token);
        if (item.empty() || isConstraintItem(item)) continue;
        anyColumn = true;
        readColumn(item, *effect.change);
    }
    if (!anyColumn && effect.change->fault.empty()) effect.change->fault = "Incorrect syntax near 'ADD'.";
    return effect;
}

std::optional<StatementEffect> plainCreateTable(Parser& p) {
    if (!p.accept("CREATE") || !p.accept("TABLE")) return std::nullopt;
    return createTable(p);
}

}  // namespace

StatementEffect ReadStatementEffect(std::string_view sql) {
    // Each reader starts from the first token; the first that recognises
    // its shape gives the effect.
    using Reader = std::optional<StatementEffect> (*)(Parser&);
    static constexpr std::array<Reader, 5> readers = {guarded, module, drop, addColumns, plainCreateTable};
    const Tokens tokens = TokenizeSql(sql);
    Parser p(tokens);
    for (Reader read : readers) {
        p.rewind();
        if (auto effect = read(p)) {
            effect->alteredColumns = alteredColumns(tokens);
            return *effect;
        }
    }
    return {std::nullopt, mayChangeNames(tokens, 0), alteredColumns(tokens)};
}

}  // namespace orvel
