// The statement shapes the check reads, as a table, and the small matcher
// that reads a statement by them.
//
// A shape is a pattern over the statement's tokens: WORDS match keywords
// in any case, {parts} read a piece (below), [a|b] is an optional choice
// of sequences, a|b a required choice of words, and ... takes whatever
// follows.  The first shape that matches a statement gives its change.
// Statements of no shape (declarations, SET, EXEC, the bodies of modules)
// change nothing the rules look at.
//
//   {table}        a possibly qualified name: its last part
//   {column}       a column name          {key}      a constraint or index name
//   {type}         a type with its length or precision, in lower case
//   {columns}      a parenthesised list of column names (ASC/DESC dropped)
//   {values}       a parenthesised list of literals (NULL and expressions: none)
//   {notnull}      NOT NULL               {set}      the columns an UPDATE's SET names
//   {definitions}  the column definitions of ALTER TABLE ... ADD, comma-separated
//   {dotted}       table.index of DROP INDEX
#include "check/PlannedChanges.h"

#include <cctype>
#include <string_view>

#include "database/NameMatching.h"
#include "database/SqlTokens.h"

namespace orvel {

namespace {

using Tokens = std::vector<SqlToken>;
using K = PlannedChange::Kind;

struct StatementShape {
    std::string_view pattern;
    K kind;
    long missingTableError = 0;
};

// Tried in order; the first that matches reads the statement.
const StatementShape kShapes[] = {
    {"ALTER TABLE {table} ALTER COLUMN {column} {type} [{notnull}|NULL]", K::AlterColumn, 4902},
    {"ALTER TABLE {table} DROP CONSTRAINT {key} ...", K::DropKey, 4902},
    {"ALTER TABLE {table} ADD [CONSTRAINT {key}] PRIMARY KEY [CLUSTERED|NONCLUSTERED] {columns} ...",
     K::AddPrimaryKey, 4902},
    {"ALTER TABLE {table} ADD [CONSTRAINT {key}] UNIQUE [CLUSTERED|NONCLUSTERED] {columns} ...", K::AddUnique,
     4902},
    {"ALTER TABLE {table} ADD [CONSTRAINT {key}] FOREIGN|CHECK|DEFAULT ...", K::AlterTable, 4902},
    {"ALTER TABLE {table} ADD {definitions}", K::AddColumn, 4902},
    {"ALTER TABLE {table} ...", K::AlterTable, 4902},
    {"CREATE UNIQUE [CLUSTERED|NONCLUSTERED] INDEX {key} ON {table} {columns} ...", K::AddUnique, 1088},
    {"CREATE [CLUSTERED|NONCLUSTERED] INDEX {key} ON {table} {columns} ...", K::AddIndex, 1088},
    {"DROP INDEX {key} ON {table}", K::DropKey},
    {"DROP INDEX {dotted}", K::DropKey},
    {"DROP TABLE {table}", K::DropTable},
    {"CREATE TABLE {table} ...", K::CreateTable},
    {"CREATE VIEW {table} ...", K::CreateView},
    {"DROP VIEW {table}", K::DropView},
    {"INSERT [INTO] {table} [{columns}] VALUES {values}", K::Insert, 208},
    {"INSERT [INTO] {table} ...", K::InsertSelect, 208},
    {"UPDATE {table} SET {set}", K::FillColumn},
    {"DELETE [FROM] {table}", K::DeleteRows},
    {"TRUNCATE TABLE {table}", K::DeleteRows},
};

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

bool IsName(const Tokens& t, std::size_t i) {
    return i < t.size() && (t[i].kind == SqlToken::Word || t[i].kind == SqlToken::Identifier);
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

// The items of a comma-separated list from `from` to `to`, at depth 0.
std::vector<Tokens> SplitAtCommas(const Tokens& t, std::size_t from, std::size_t to) {
    std::vector<Tokens> items(1);
    int depth = 0;
    for (std::size_t k = from; k < to; ++k) {
        if (IsPunct(t, k, '(')) ++depth;
        if (IsPunct(t, k, ')')) --depth;
        if (depth == 0 && IsPunct(t, k, ',')) {
            items.emplace_back();
            continue;
        }
        items.back().push_back(t[k]);
    }
    return items;
}

// A literal value of an insert: text without quotes, a number as written,
// nothing for NULL or anything computed.
std::optional<std::string> LiteralOf(const Tokens& item) {
    if (item.size() == 2 && IsPunct(item, 0, '-') && item[1].kind == SqlToken::Word &&
        std::isdigit(static_cast<unsigned char>(item[1].text[0])) != 0)
        return "-" + std::string(item[1].text);
    std::size_t k = 0;
    if (item.size() == 2 && (IsKeyword(item[0], "N")) && item[1].kind == SqlToken::Quoted) k = 1;
    if (item.size() != k + 1) return std::nullopt;
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
    if (token.kind == SqlToken::Word && std::isdigit(static_cast<unsigned char>(token.text[0])) != 0)
        return std::string(token.text);
    return std::nullopt;
}

// What a matched shape read.
struct Reading {
    PlannedChange change;
    std::vector<Tokens> definitions;
};

// One element of a shape's pattern.
struct Element {
    enum Kind { Word, Part, Optional, OneOf, Rest } kind = Word;
    std::string text;                             // the word or the part's name
    std::vector<std::string> words;               // OneOf
    std::vector<std::vector<Element>> sequences;  // Optional
};

std::vector<Element> ParsePattern(std::string_view pattern) {
    std::vector<Element> elements;
    std::size_t i = 0;
    while (i < pattern.size()) {
        if (pattern[i] == ' ') {
            ++i;
            continue;
        }
        if (pattern[i] == '[') {
            int depth = 0;
            std::size_t end = i;
            std::vector<std::string_view> choices;
            std::size_t start = i + 1;
            for (; end < pattern.size(); ++end) {
                if (pattern[end] == '[') ++depth;
                if (pattern[end] == ']' && --depth == 0) break;
                if (pattern[end] == '|' && depth == 1) {
                    choices.push_back(pattern.substr(start, end - start));
                    start = end + 1;
                }
            }
            choices.push_back(pattern.substr(start, end - start));
            Element optional{Element::Optional};
            for (auto choice : choices) optional.sequences.push_back(ParsePattern(choice));
            elements.push_back(std::move(optional));
            i = end + 1;
            continue;
        }
        std::size_t end = pattern.find(' ', i);
        if (end == std::string_view::npos) end = pattern.size();
        const std::string word(pattern.substr(i, end - i));
        i = end;
        if (word == "...") {
            elements.push_back({Element::Rest});
        } else if (word.front() == '{') {
            elements.push_back({Element::Part, word.substr(1, word.size() - 2)});
        } else if (word.find('|') != std::string::npos) {
            Element oneOf{Element::OneOf};
            for (std::size_t from = 0; from <= word.size();) {
                const std::size_t bar = std::min(word.find('|', from), word.size());
                oneOf.words.push_back(word.substr(from, bar - from));
                from = bar + 1;
            }
            elements.push_back(std::move(oneOf));
        } else {
            elements.push_back({Element::Word, word});
        }
    }
    return elements;
}

// Reads one part at `i`; false when the tokens there are not that part.
bool ReadPart(const std::string& part, const Tokens& t, std::size_t& i, Reading& r) {
    PlannedChange& c = r.change;
    if (part == "table") {
        if (!IsName(t, i)) return false;
        c.table = NameOf(t[i++]);
        while (IsPunct(t, i, '.') && IsName(t, i + 1)) {
            c.table = NameOf(t[i + 1]);
            i += 2;
        }
        return true;
    }
    if (part == "column" || part == "key") {
        if (!IsName(t, i)) return false;
        (part == "column" ? c.columns.emplace_back() : c.keyName) = NameOf(t[i++]);
        return true;
    }
    if (part == "dotted") {
        if (!IsName(t, i) || !IsPunct(t, i + 1, '.') || !IsName(t, i + 2) || i + 3 != t.size()) return false;
        c.table = NameOf(t[i]);
        c.keyName = NameOf(t[i + 2]);
        i += 3;
        return true;
    }
    if (part == "type") {
        if (!IsName(t, i)) return false;
        c.type = FoldAsciiCase(NameOf(t[i++]));
        if (c.type == "integer") c.type = "int";
        if (IsPunct(t, i, '(')) {
            const std::size_t end = PastParentheses(t, i);
            for (; i < end; ++i) c.type += FoldAsciiCase(t[i].text);
        }
        return true;
    }
    if (part == "notnull") {
        if (!IsWord(t, i, "NOT") || !IsWord(t, i + 1, "NULL")) return false;
        c.notNull = true;
        i += 2;
        return true;
    }
    if (part == "columns" || part == "values") {
        if (!IsPunct(t, i, '(')) return false;
        const std::size_t end = PastParentheses(t, i);
        for (const auto& item : SplitAtCommas(t, i + 1, end - 1)) {
            if (part == "values") {
                c.values.push_back(LiteralOf(item));
            } else if (!item.empty()) {
                c.columns.push_back(NameOf(item.front()));
            }
        }
        i = end;
        return true;
    }
    if (part == "set") {
        // Every `name =` of the SET list, SET @v = column = ... included.
        for (; i < t.size() && !IsWord(t, i, "WHERE") && !IsWord(t, i, "FROM"); ++i)
            if (IsName(t, i) && IsPunct(t, i + 1, '=') && !t[i].text.starts_with("@")) c.columns.push_back(NameOf(t[i]));
        i = t.size();
        return !c.columns.empty();
    }
    if (part == "definitions") {
        if (i >= t.size()) return false;
        r.definitions = SplitAtCommas(t, i, t.size());
        i = t.size();
        return true;
    }
    return false;
}

bool Match(const std::vector<Element>& elements, std::size_t e, const Tokens& t, std::size_t i, Reading& r) {
    if (e == elements.size()) return i == t.size();
    const Element& element = elements[e];
    switch (element.kind) {
        case Element::Rest:
            return true;
        case Element::Word:
            return IsWord(t, i, element.text) && Match(elements, e + 1, t, i + 1, r);
        case Element::OneOf:
            for (const auto& word : element.words)
                if (IsWord(t, i, word)) return Match(elements, e + 1, t, i + 1, r);
            return false;
        case Element::Part: {
            Reading tried = r;
            std::size_t k = i;
            if (!ReadPart(element.text, t, k, tried) || !Match(elements, e + 1, t, k, tried)) return false;
            r = std::move(tried);
            return true;
        }
        case Element::Optional:
            for (const auto& sequence : element.sequences) {
                std::vector<Element> rest = sequence;
                rest.insert(rest.end(), elements.begin() + static_cast<long>(e) + 1, elements.end());
                Reading tried = r;
                if (Match(rest, 0, t, i, tried)) {
                    r = std::move(tried);
                    return true;
                }
            }
            return Match(elements, e + 1, t, i, r);
    }
    return false;
}

const std::vector<std::pair<std::vector<Element>, const StatementShape*>>& Patterns() {
    static const auto patterns = [] {
        std::vector<std::pair<std::vector<Element>, const StatementShape*>> parsed;
        for (const auto& shape : kShapes) parsed.emplace_back(ParsePattern(shape.pattern), &shape);
        return parsed;
    }();
    return patterns;
}

// The guard at the head of a statement, and where the guarded statement
// begins: IF OBJECT_ID('x') IS [NOT] NULL, or any other IF (its condition
// runs to the first word that begins a statement).
PlannedChange::Guard ReadGuard(const Tokens& t, std::size_t& i, std::string& guardName) {
    if (!IsWord(t, 0, "IF")) return PlannedChange::Unguarded;
    i = 1;
    const bool negated = IsWord(t, i, "NOT");
    if (negated) ++i;
    if (IsWord(t, i, "OBJECT_ID") && IsPunct(t, i + 1, '(') && i + 2 < t.size() &&
        t[i + 2].kind == SqlToken::Quoted && IsPunct(t, i + 3, ')')) {
        std::string name(t[i + 2].text.substr(1, t[i + 2].text.size() - 2));
        if (const auto dot = name.rfind('.'); dot != std::string::npos) name = name.substr(dot + 1);
        guardName = name;
        i += 4;
        if (IsWord(t, i, "IS")) ++i;
        const bool isNot = IsWord(t, i, "NOT");
        if (isNot) ++i;
        if (IsWord(t, i, "NULL")) ++i;
        if (IsWord(t, i, "BEGIN")) ++i;
        return isNot != negated ? PlannedChange::IfObjectPresent : PlannedChange::IfObjectMissing;
    }
    if (IsWord(t, i, "EXISTS") || IsWord(t, i, "OBJECT_ID")) {
        if (IsWord(t, i, "OBJECT_ID")) ++i;
        i = PastParentheses(t, i);
        if (IsWord(t, i, "IS")) ++i;
        if (IsWord(t, i, "NOT")) ++i;
        if (IsWord(t, i, "NULL")) ++i;
    } else {
        i = t.size();  // a condition read no further: nothing is predicted behind it
    }
    if (IsWord(t, i, "BEGIN")) ++i;
    return PlannedChange::OtherGuard;
}

void ReadSegment(std::size_t index, const Tokens& segment, PlannedChange::Guard& batchGuard,
                 std::vector<PlannedChange>& out) {
    std::size_t i = 0;
    std::string guardName;
    PlannedChange::Guard guard = ReadGuard(segment, i, guardName);
    if (guard == PlannedChange::Unguarded) {
        guard = batchGuard == PlannedChange::Unguarded ? guard : PlannedChange::OtherGuard;
    } else {
        // A guard covers the statements of its BEGIN ... END block too:
        // what follows it in the batch is decided by the server.
        batchGuard = PlannedChange::OtherGuard;
    }
    if (IsWord(segment, i, "BEGIN")) ++i;
    if (IsWord(segment, i, "END")) ++i;
    const Tokens t(segment.begin() + static_cast<long>(std::min(i, segment.size())), segment.end());
    if (t.empty()) return;
    for (const auto& [elements, shape] : Patterns()) {
        Reading reading;
        if (!Match(elements, 0, t, 0, reading)) continue;
        PlannedChange change = std::move(reading.change);
        change.kind = shape->kind;
        change.index = index;
        change.missingTableError = shape->missingTableError;
        // An OBJECT_ID guard names what it guards; one on another name is
        // decided by the server.
        change.guard = (guard == PlannedChange::IfObjectPresent || guard == PlannedChange::IfObjectMissing) &&
                               !EqualIgnoringAsciiCase(guardName, change.table)
                           ? PlannedChange::OtherGuard
                           : guard;
        if (shape->kind != K::AddColumn) {
            out.push_back(std::move(change));
            return;
        }
        for (const auto& definition : reading.definitions) {
            if (definition.size() < 2 || !IsName(definition, 0)) continue;
            PlannedChange column = change;
            column.columns = {NameOf(definition[0])};
            std::size_t k = 1;
            Reading typed;
            if (ReadPart("type", definition, k, typed)) column.type = typed.change.type;
            for (; k < definition.size(); ++k) {
                if (IsWord(definition, k, "NOT") && IsWord(definition, k + 1, "NULL")) column.notNull = true;
                if (IsWord(definition, k, "DEFAULT") || IsWord(definition, k, "IDENTITY")) column.hasDefault = true;
            }
            out.push_back(std::move(column));
        }
        return;
    }
}

}  // namespace

PlannedChanges ReadPlannedChanges(std::vector<PlannedStatement> plan, std::optional<SimulatedStop> stop) {
    PlannedChanges out;
    out.statements = std::move(plan);
    out.stop = std::move(stop);
    for (std::size_t index = 0; index < out.statements.size(); ++index) {
        const Tokens tokens = TokenizeSql(out.statements[index].sql);
        PlannedChange::Guard batchGuard = PlannedChange::Unguarded;
        Tokens segment;
        for (std::size_t i = 0; i <= tokens.size(); ++i) {
            if (i == tokens.size() || IsPunct(tokens, i, ';')) {
                if (!segment.empty()) ReadSegment(index, segment, batchGuard, out.changes);
                segment.clear();
                continue;
            }
            segment.push_back(tokens[i]);
        }
    }
    return out;
}

}  // namespace orvel
