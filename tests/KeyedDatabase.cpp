// The keyed double's reader and rules (the header says which), then the
// table of cases that pins them.
#include "KeyedDatabase.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <optional>
#include <regex>
#include <set>
#include <stdexcept>
#include <tuple>

#include "CatalogueRun.h"
#include "check/RefusalCheck.h"

namespace orvel::test {
namespace {

using Strings = std::vector<std::string>;
using Kind = KeyOrIndex::Kind;

DatabaseError Refusal(const std::string& message) { return DatabaseError("SimulatedDatabaseError", message); }

std::logic_error Unread(const std::string& what, const std::string& sql) {
    return std::logic_error("KeyedDatabase does not read " + what + ": " + sql);
}

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    return first == std::string::npos ? std::string() : text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// Lower case, each run of blanks and line breaks one space, none at the ends.
std::string Normalised(const std::string& sql) {
    std::string text;
    for (char c : Lower(sql)) {
        if (!std::isspace(static_cast<unsigned char>(c)))
            text += c;
        else if (!text.empty() && text.back() != ' ')
            text += ' ';
    }
    return Trimmed(text);
}

// The parts between the separators that stand outside quotes and parentheses.
Strings SplitTopLevel(const std::string& text, char separator) {
    Strings parts(1);
    int depth = 0;
    bool quoted = false;
    for (char c : text) {
        if (c == '\'') quoted = !quoted;
        if (!quoted && c == '(') ++depth;
        if (!quoted && c == ')') --depth;
        if (!quoted && depth == 0 && c == separator) {
            parts.emplace_back();
            continue;
        }
        parts.back() += c;
    }
    for (auto& part : parts) part = Trimmed(part);
    return parts;
}

std::size_t ClosingParenthesis(const std::string& text, std::size_t open) {
    int depth = 0;
    bool quoted = false;
    for (std::size_t i = open; i < text.size(); ++i) {
        if (text[i] == '\'') quoted = !quoted;
        if (quoted) continue;
        if (text[i] == '(') ++depth;
        if (text[i] == ')' && --depth == 0) return i;
    }
    return std::string::npos;
}

// Outside string literals, a word that makes, changes or drops something, or runs text as a statement.
bool ChangesSchema(const std::string& text) {
    std::string outsideLiterals;
    bool quoted = false;
    for (char c : text) {
        if (c == '\'') quoted = !quoted;
        if (!quoted) outsideLiterals += c;
    }
    static const std::regex words(R"(\b(create|alter|drop|exec|execute)\b)");
    return std::regex_search(outsideLiterals, words);
}

std::string Bare(std::string name) {
    std::erase(name, '[');
    std::erase(name, ']');
    if (name.rfind("dbo.", 0) == 0) name.erase(0, 4);
    return name;
}

// "[sh_a] asc,[sh_b] asc" -> sh_a, sh_b
Strings ColumnList(const std::string& list) {
    Strings columns;
    for (const auto& item : SplitTopLevel(list, ','))
        if (!item.empty()) columns.push_back(Bare(item.substr(0, item.find(' '))));
    return columns;
}

bool Contains(const Strings& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

bool SameSet(Strings a, Strings b) {
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    return a == b;
}

bool IsConstraint(const KeyOrIndex& k) {
    return k.kind == Kind::PrimaryKey || k.kind == Kind::Unique || k.kind == Kind::ForeignKey;
}

// type_name() of a type text: the name without its length; integer is int.
std::string TypeName(const std::string& type) {
    const std::string name = type.substr(0, type.find('('));
    return name == "integer" ? "int" : name;
}

std::optional<int> Length(const std::string& type) {
    static const std::regex sized(R"(^\w+\((\d+)\)$)");
    std::smatch m;
    if (!std::regex_match(type, m, sized)) return std::nullopt;
    return std::stoi(m[1].str());
}

// max_length in sys.columns, for the types whose storage the double knows.
std::optional<int> MaxLength(const std::string& type) {
    const std::string name = TypeName(type);
    if (name == "int") return 4;
    const auto length = Length(type);
    if (!length) return std::nullopt;
    if (name == "nchar" || name == "nvarchar") return 2 * *length;
    if (name == "char" || name == "varchar" || name == "binary" || name == "varbinary") return *length;
    return std::nullopt;
}

bool StartsWithConstraintWord(const std::string& item) {
    static const std::regex word(R"(^(constraint|primary|unique|foreign|check|default|index)\b)");
    return std::regex_search(item, word);
}

std::optional<ColumnFacts> FindColumn(const KeyedCatalogue& catalogue, const std::string& table,
                                      const std::string& column) {
    const auto t = catalogue.tables.find(table);
    if (t == catalogue.tables.end()) return std::nullopt;
    const auto c = t->second.find(column);
    if (c == t->second.end()) return std::nullopt;
    return c->second;
}

struct ColumnDefinition {
    std::string name;
    ColumnFacts facts;
    bool primaryKey, unique;
};

ColumnDefinition ReadColumn(const std::string& item, const std::string& sql) {
    static const std::regex shape(R"(^(\[?\w+\]?) (.+)$)");
    static const std::regex attribute(R"( ?\b(not|null|primary|unique|identity)\b)");
    static const std::regex unreadAttribute(R"(\b(default|constraint|references|check|collate|as)\b)");
    static const std::regex primaryKey(R"(\bprimary key\b)"), notNull(R"(\bnot null\b|\bidentity\b)"),
        unique(R"(\bunique\b)");
    std::smatch m, a;
    if (StartsWithConstraintWord(item) || !std::regex_match(item, m, shape) ||
        std::regex_search(m[2].first, m[2].second, unreadAttribute))
        throw Unread("the column definition '" + item + "' in", sql);
    const std::string rest = m[2].str();
    std::string type = std::regex_search(rest, a, attribute) ? rest.substr(0, a.position(0)) : rest;
    std::erase(type, ' ');
    const bool key = std::regex_search(rest, primaryKey);
    const bool takesNull = !key && !std::regex_search(rest, notNull);
    return {Bare(m[1].str()), {type, takesNull}, key, std::regex_search(rest, unique)};
}

// Reads one statement text into a catalogue, refusing what a server refuses.
// A statement the simulator refuses on its own (a table made twice, a
// column added twice, an unguarded drop of a missing table) is left to it:
// the catalogue read here is kept only once the simulator has taken it.
class Reader {
public:
    Reader(KeyedCatalogue& catalogue, const std::string& sql) : c_(catalogue), sql_(sql) {}

    void read() {
        for (const auto& statement : SplitTopLevel(Normalised(sql_), ';'))
            if (!statement.empty()) readGuarded(statement);
    }

private:
    struct Guard {
        bool holds;
        std::string body;
    };

    void readGuarded(const std::string& statement) {
        if (statement.rfind("if ", 0) != 0) return readStatement(statement);
        const auto guard = readGuard(statement);
        if (!guard && ChangesSchema(statement)) throw Unread("the guard", sql_);
        if (guard && guard->holds) readStatement(guard->body);
    }

    std::optional<Guard> readGuard(const std::string& statement) const {
        static const std::regex objectId(R"(^if object_id ?\('([^']*)'\) is (not )?null (.+)$)");
        static const std::regex exists(R"(^if (not )?exists ?\( ?select (?:1|\*|name) from sys\.(\w+) where )");
        std::smatch m;
        if (std::regex_match(statement, m, objectId))
            return Guard{objectExists(Bare(m[1].str())) == m[2].matched, m[3].str()};
        if (!std::regex_search(statement, m, exists)) return std::nullopt;
        const auto close = ClosingParenthesis(statement, statement.find('('));
        if (close == std::string::npos) return std::nullopt;
        const auto whereAt = static_cast<std::size_t>(m.length(0));
        const auto found = rowExists(m[2].str(), Trimmed(statement.substr(whereAt, close - whereAt)));
        if (!found) return std::nullopt;
        return Guard{*found != m[1].matched, Trimmed(statement.substr(close + 1))};
    }

    // Whether the catalogue view holds a row that meets every condition;
    // nothing when a condition or the view is not one the double reads.
    std::optional<bool> rowExists(const std::string& view, const std::string& where) const {
        static const std::regex name(R"(^name ?= ?'([^']*)'$)"), table(R"(^object_id ?= ?object_id ?\('([^']*)'\)$)"),
            nullable(R"(^is_nullable ?= ?([01])$)"), type(R"(^type_name ?\( ?user_type_id ?\) ?= ?'([^']*)'$)"),
            maxLength(R"(^max_length ?= ?(-?\d+)$)"), conjunction(" and ");
        std::optional<std::string> wantName, wantTable, wantType;
        std::optional<bool> wantNullable;
        std::optional<int> wantMaxLength;
        for (std::sregex_token_iterator it(where.begin(), where.end(), conjunction, -1), end; it != end; ++it) {
            const std::string condition = it->str();
            std::smatch m;
            if (std::regex_match(condition, m, name))
                wantName = m[1].str();
            else if (std::regex_match(condition, m, table))
                wantTable = Bare(m[1].str());
            else if (std::regex_match(condition, m, nullable))
                wantNullable = m[1].str() == "1";
            else if (std::regex_match(condition, m, type))
                wantType = m[1].str();
            else if (std::regex_match(condition, m, maxLength))
                wantMaxLength = std::stoi(m[1].str());
            else
                return std::nullopt;
        }
        if (!wantName) return std::nullopt;
        const bool columnConditions = wantNullable || wantType || wantMaxLength;
        if (view == "columns") {
            if (!wantTable) return std::nullopt;
            const auto facts = FindColumn(c_, *wantTable, *wantName);
            if (!facts) return false;
            if (wantMaxLength && !MaxLength(facts->type))
                throw Unread("the max_length of " + facts->type + " in", sql_);
            return (!wantNullable || facts->nullable == *wantNullable) &&
                   (!wantType || TypeName(facts->type) == *wantType) &&
                   (!wantMaxLength || MaxLength(facts->type) == wantMaxLength);
        }
        if (view == "indexes" && !columnConditions)
            return any([&](const KeyOrIndex& k) {
                return k.kind != Kind::ForeignKey && k.name == *wantName && (!wantTable || k.table == *wantTable);
            });
        if (view == "foreign_keys" && !columnConditions && !wantTable)
            return any([&](const KeyOrIndex& k) { return k.kind == Kind::ForeignKey && k.name == *wantName; });
        return std::nullopt;
    }

    void readStatement(const std::string& s) {
        static const std::string name = R"((?:\[?dbo\]?\.)?\[?(\w+)\]?)";
        static const std::regex createTable("^create table " + name + R"( ?(?:\((.*)\))?$)"),
            dropTable("^drop table " + name + "$"),
            addConstraint("^alter table " + name +
                          R"( add constraint (\w+) (primary key|unique|foreign key) ?\(([^)]*)\)(?: ?references )" +
                          name + R"( ?\(([^)]*)\))?$)"),
            addColumns("^alter table " + name + " add (.+)$"),
            alterColumn("^alter table " + name + R"( alter column (\[?\w+\]?) (.+)$)"),
            dropConstraint("^alter table " + name + R"( drop constraint (\w+)$)"),
            createIndex(R"(^create (unique )?(?:nonclustered )?index (\w+) on )" + name +
                        R"( ?\(([^)]*)\)(?: ?include ?\(([^)]*)\))?(?: ?with ?\([^)]*\))?(?: ?on \[?primary\]?)?$)"),
            dropIndex(R"(^drop index (\w+) on )" + name + "$");
        std::smatch m;
        if (std::regex_match(s, m, createTable)) {
            makeTable(m[1].str(), m[2].str());
        } else if (std::regex_match(s, m, dropTable)) {
            removeTable(m[1].str());
        } else if (std::regex_match(s, m, addConstraint)) {
            const Kind kind = m[3] == "primary key" ? Kind::PrimaryKey
                              : m[3] == "unique"    ? Kind::Unique
                                                    : Kind::ForeignKey;
            if ((kind == Kind::ForeignKey) != m[5].matched) throw Unread("the constraint", sql_);
            add({m[2].str(), m[1].str(), ColumnList(m[4].str()), {}, kind, m[5].str(), ColumnList(m[6].str())});
        } else if (std::regex_match(s, m, addColumns)) {
            if (!c_.tables.contains(m[1].str())) return;
            for (const auto& item : SplitTopLevel(m[2].str(), ',')) addColumn(m[1].str(), item);
        } else if (std::regex_match(s, m, alterColumn)) {
            alter(m[1].str(), Bare(m[2].str()), m[3].str());
        } else if (std::regex_match(s, m, dropConstraint)) {
            remove(m[1].str(), m[2].str(), true);
        } else if (std::regex_match(s, m, createIndex)) {
            add({m[2].str(), m[3].str(), ColumnList(m[4].str()), ColumnList(m[5].str()),
                 m[1].matched ? Kind::UniqueIndex : Kind::Index});
        } else if (std::regex_match(s, m, dropIndex)) {
            remove(m[2].str(), m[1].str(), false);
        } else if (ChangesSchema(s)) {
            throw Unread("the statement", sql_);
        }
    }

    void makeTable(const std::string& table, const std::string& list) {
        if (c_.tables.contains(table)) return;
        if (objectExists(table)) throw Refusal("There is already an object named '" + table + "' in the database.");
        c_.tables[table];
        static const std::regex tableKey(R"(^(?:constraint (\w+) )?(primary key|unique) ?\(([^)]*)\)$)");
        std::vector<KeyOrIndex> tableKeys;
        for (const auto& item : SplitTopLevel(list, ',')) {
            std::smatch m;
            if (item.empty()) continue;
            if (!std::regex_match(item, m, tableKey)) {
                addColumn(table, item);
                continue;
            }
            const Kind kind = m[2] == "unique" ? Kind::Unique : Kind::PrimaryKey;
            const Strings columns = ColumnList(m[3].str());
            tableKeys.push_back(
                {m[1].matched ? m[1].str() : keyName(kind, table, columns.front()), table, columns, {}, kind});
        }
        // A table-level primary key makes its columns NOT NULL.
        for (const auto& key : tableKeys) {
            if (key.kind == Kind::PrimaryKey)
                for (const auto& column : key.columns)
                    if (c_.tables[table].contains(column)) c_.tables[table][column].nullable = false;
            add(key);
        }
    }

    void removeTable(const std::string& table) {
        if (!c_.tables.contains(table)) return;
        for (const auto& k : c_.keysAndIndexes)
            if (k.kind == Kind::ForeignKey && k.referencedTable == table && k.table != table)
                throw Refusal("Could not drop object '" + table +
                              "' because it is referenced by a FOREIGN KEY constraint.");
        c_.tables.erase(table);
        std::erase_if(c_.keysAndIndexes, [&](const KeyOrIndex& k) { return k.table == table; });
    }

    void addColumn(const std::string& table, const std::string& item) {
        const auto column = ReadColumn(item, sql_);
        c_.tables[table][column.name] = column.facts;
        if (column.primaryKey)
            add({keyName(Kind::PrimaryKey, table, column.name), table, {column.name}, {}, Kind::PrimaryKey});
        if (column.unique) add({keyName(Kind::Unique, table, column.name), table, {column.name}, {}, Kind::Unique});
    }

    // A column the double does not know is not judged (see the header).
    void alter(const std::string& table, const std::string& column, const std::string& definition) {
        const auto now = FindColumn(c_, table, column);
        if (!now) return;
        const auto next = ReadColumn(column + " " + definition, sql_);
        if (next.primaryKey || next.unique) throw Unread("a key in", sql_);
        for (const auto& k : c_.keysAndIndexes) {
            const bool own = k.table == table && (Contains(k.columns, column) || Contains(k.included, column));
            const bool referred =
                k.kind == Kind::ForeignKey && k.referencedTable == table && Contains(k.referencedColumns, column);
            const bool lengthOnly = own && !referred && k.kind != Kind::PrimaryKey && k.kind != Kind::ForeignKey &&
                                    KeepsVariableLengthType(now->type, next.facts.type);
            if ((own || referred) && !lengthOnly)
                throw Refusal("The object '" + k.name + "' is dependent on column '" + column + "'.");
        }
        c_.tables[table][column] = next.facts;
    }

    void add(KeyOrIndex key) {
        if (!c_.tables.contains(key.table))
            throw Refusal("Cannot find the object \"" + key.table +
                          "\" because it does not exist or you do not have permissions.");
        const auto& columns = c_.tables[key.table];
        for (const auto* list : {&key.columns, &key.included})
            for (const auto& column : *list)
                if (!columns.contains(column))
                    throw Refusal("Column name '" + column + "' does not exist in the target table or view.");
        if (IsConstraint(key) && objectExists(key.name))
            throw Refusal("There is already an object named '" + key.name + "' in the database.");
        if (!IsConstraint(key) && any([&](const KeyOrIndex& k) {
                return k.kind != Kind::ForeignKey && k.table == key.table && k.name == key.name;
            }))
            throw Refusal("The operation failed because an index or statistics with name '" + key.name +
                          "' already exists on table '" + key.table + "'.");
        if (key.kind == Kind::PrimaryKey) {
            if (any([&](const KeyOrIndex& k) { return k.kind == Kind::PrimaryKey && k.table == key.table; }))
                throw Refusal("Table '" + key.table + "' already has a primary key defined on it.");
            for (const auto& column : key.columns)
                if (columns.at(column).nullable)
                    throw Refusal("Cannot define PRIMARY KEY constraint on nullable column in table '" + key.table +
                                  "'.");
        }
        if (key.kind == Kind::ForeignKey && !any([&](const KeyOrIndex& k) {
                return k.table == key.referencedTable && k.included.empty() &&
                       SameSet(k.columns, key.referencedColumns) &&
                       (k.kind == Kind::PrimaryKey || k.kind == Kind::Unique || k.kind == Kind::UniqueIndex);
            }))
            throw Refusal("There are no primary or candidate keys in the referenced table '" + key.referencedTable +
                          "' that match the referencing column list in the foreign key '" + key.name + "'.");
        c_.keysAndIndexes.push_back(std::move(key));
    }

    void remove(const std::string& table, const std::string& name, bool constraint) {
        const auto it = std::find_if(c_.keysAndIndexes.begin(), c_.keysAndIndexes.end(), [&](const KeyOrIndex& k) {
            return k.table == table && k.name == name && IsConstraint(k) == constraint;
        });
        if (it != c_.keysAndIndexes.end())
            c_.keysAndIndexes.erase(it);
        else if (constraint)
            throw Refusal("'" + name + "' is not a constraint.");
        else
            throw Refusal("Cannot drop the index '" + table + "." + name +
                          "', because it does not exist or you do not have permission.");
    }

    // The server names a key declared in a create itself (PK__table__...):
    // no statement of the products names one, so any stable name serves.
    static std::string keyName(Kind kind, const std::string& table, const std::string& column) {
        return kind == Kind::PrimaryKey ? "pk__" + table : "uq__" + table + "__" + column;
    }

    template <typename Test>
    bool any(Test test) const {
        return std::any_of(c_.keysAndIndexes.begin(), c_.keysAndIndexes.end(), test);
    }
    // OBJECT_ID finds tables and constraints, not indexes.
    bool objectExists(const std::string& name) const {
        return c_.tables.contains(name) || any([&](const KeyOrIndex& k) { return IsConstraint(k) && k.name == name; });
    }

    KeyedCatalogue& c_;
    const std::string& sql_;
};

// The double must hold the same tables and columns as the simulator, or it
// has misread a statement that makes or drops one.
void ExpectSameTables(const CatalogueSnapshot& simulated, const KeyedCatalogue& keyed, const std::string& sql) {
    std::map<std::string, std::set<std::string>> fromSimulator, fromDouble;
    for (const auto& table : simulated.tables)
        for (auto& columns = fromSimulator[Lower(table.name)]; const auto& column : table.columns)
            columns.insert(Lower(column));
    for (const auto& [table, columns] : keyed.tables)
        for (auto& names = fromDouble[table]; const auto& column : columns) names.insert(column.first);
    if (fromSimulator != fromDouble)
        throw std::logic_error("KeyedDatabase and the simulator disagree on the tables after: " + sql);
}

}  // namespace

KeyedDatabase::KeyedDatabase(CatalogueSimulator& inner) : ForwardingDatabase(inner), inner_(inner) {
    if (!inner.catalogue().tables.empty() || !inner.catalogue().views.empty())
        throw std::logic_error("KeyedDatabase starts from an empty database");
}

std::vector<KeyOrIndex> KeyedDatabase::keysAndIndexes() const {
    auto all = catalogue_.keysAndIndexes;
    std::sort(all.begin(), all.end(), [](const KeyOrIndex& a, const KeyOrIndex& b) {
        return std::tie(a.table, a.name) < std::tie(b.table, b.name);
    });
    return all;
}

void KeyedDatabase::doExecute(const std::string& sql) {
    judgeThenSend(sql, [&] { inner_.execute(sql); });
}

void KeyedDatabase::doExecuteQuery(const std::string& sql, const Parameters& parameters) {
    judgeThenSend(sql, [&] { inner_.executeQuery(sql, parameters); });
}

// A refused statement still reaches the simulator, told to fail it with the
// server's message, so that it stands in the log like any rejection.
template <typename Send>
void KeyedDatabase::judgeThenSend(const std::string& sql, Send send) {
    KeyedCatalogue next = catalogue_;
    try {
        Reader(next, sql).read();
    } catch (const DatabaseError& refusal) {
        inner_.failStatement(1, refusal.what());
    }
    send();
    catalogue_ = std::move(next);
    ExpectSameTables(inner_.catalogue(), catalogue_, sql);
}

int KeyedRun::send(const std::vector<std::string>& statements) {
    for (std::size_t i = 0; i < statements.size(); ++i) {
        try {
            keyed.execute(statements[i]);
        } catch (const DatabaseError&) {
            return static_cast<int>(i + 1);
        }
    }
    return 0;
}

std::string KeyedRun::runSteps(const std::vector<TableStep>& steps) {
    for (const auto& step : steps) {
        try {
            RunTableStep(step, schema);
        } catch (const DatabaseError& e) {
            return step.name + ": " + e.what();
        }
    }
    return {};
}

namespace {

// The column guard of the product's key-column statements, on a column of T.
std::string UnlessColumnOfTIs(const std::string& column, const std::string& conditions, const std::string& alter) {
    return "if not exists (select 1 from sys.columns where name='" + column +
           "' and object_id=object_id('T') and is_nullable=0 and " + conditions + ") " + alter;
}

TEST(KeyedDatabase, RefusesWhatAServerRefuses) {
    const std::string dropKey = "IF OBJECT_ID('PK_T') IS NOT NULL ALTER TABLE T DROP constraint PK_T";
    const std::string addKey = "alter table T add constraint PK_T  primary key  (A)";
    const std::string dropIndex =
        "if exists (select 1 from sys.indexes where name='IX_T' and object_id=object_id('T')) DROP INDEX  IX_T ON T";
    const std::string dropForeignKey =
        "if exists (select name from sys.foreign_keys where name='FK_K') alter table C drop  constraint FK_K ";
    const std::string addForeignKey = "alter table C add constraint FK_K foreign key (K) REFERENCES P(K) ";
    const std::string intGuard = "type_name(user_type_id)='int'";
    const struct {
        const char* what;
        Strings statements;
        int refused;  // 1-based; 0: none
    } cases[] = {
        // Keys.
        {"alter a column of the create's primary key, even to what it is",
         {"create table dbo.T( K  nvarchar(50) PRIMARY KEY)", "alter table T ALTER COLUMN K  nvarchar(50) NOT NULL "},
         2},
        {"alter a column of a named key added later",
         {"create table dbo.T( A  integer not null)", "ALTER TABLE T ADD B integer not null",
          "alter table T add constraint PK_T primary key (A,b)", "alter table t ALTER COLUMN B INT NOT NULL"}, 4},
        {"a primary key on a column that takes NULL", {"create table dbo.T( A  integer)", addKey}, 2},
        {"a second primary key", {"create table dbo.T( A  integer primary key)", addKey}, 2},
        {"drop the key, alter, make the key again, twice",
         {"create table dbo.T( A  integer not null)", dropKey, "alter table T ALTER COLUMN A INT NOT NULL", addKey,
          dropKey, "alter table T ALTER COLUMN A INT NOT NULL", addKey}, 0},
        {"drop and make the key in one batch, twice; the guard covers the drop only, so the key stays",
         {"create table dbo.T( A  integer not null)", dropKey + "; " + addKey, dropKey + "; " + addKey,
          "alter table T ALTER COLUMN A INT NOT NULL"}, 4},
        {"a key made only when missing, twice",
         {"create table dbo.T( A  integer not null)", "IF OBJECT_ID('PK_T') IS NULL " + addKey,
          "IF OBJECT_ID('PK_T') IS NULL " + addKey}, 0},
        {"an unguarded drop of a missing key",
         {"create table dbo.T( A  integer)", "ALTER TABLE T DROP CONSTRAINT PK_T"}, 2},
        // Indexes.
        {"alter an integer an index covers",
         {"create table dbo.T( A  integer)", "CREATE UNIQUE NONCLUSTERED INDEX IX_T ON T (A ASC) ",
          "alter table T alter column A integer not null"}, 3},
        {"widen an nvarchar an index covers",
         {"create table dbo.T( A  nvarchar(10))", "CREATE UNIQUE NONCLUSTERED INDEX IX_T ON T (A ASC) ",
          "alter table  T alter column [A] nvarchar(20)"}, 0},
        {"narrow an nvarchar an index includes",
         {"create table dbo.T( A  integer)", "ALTER TABLE T ADD C nvarchar(10)",
          "CREATE NONCLUSTERED INDEX IX_T ON T (A) INCLUDE ([C])", "alter table T alter column C nvarchar(9)"}, 4},
        {"an index made twice",
         {"create table dbo.T( A  integer)", "CREATE NONCLUSTERED INDEX IX_T ON T (A)",
          "CREATE NONCLUSTERED INDEX IX_T ON T (A)"}, 3},
        {"drop the index behind its guard, alter, make it again, twice",
         {"create table dbo.T( A  integer)", dropIndex, "CREATE NONCLUSTERED INDEX IX_T ON T (A)", dropIndex,
          "alter table T alter column A integer not null", "CREATE NONCLUSTERED INDEX IX_T ON T (A)"}, 0},
        {"an index guard that names another table drops nothing",
         {"create table dbo.T( A  integer)", "create table dbo.U( A  integer)",
          "CREATE NONCLUSTERED INDEX IX_T ON T (A)",
          "if exists (select 1 from sys.indexes where name='IX_T' and object_id=object_id('U')) DROP INDEX IX_T ON T",
          "alter table T alter column A integer not null"}, 5},
        // Foreign keys.
        {"a foreign key to a column without a key",
         {"create table dbo.P( K  integer)", "create table dbo.C( K  integer)", addForeignKey}, 3},
        {"a foreign key to a unique column of an own create, dropped behind its guard and made again",
         {"create table dbo.P (K int not null unique, B int, primary key (B) )", "create table dbo.C( K  integer)",
          dropForeignKey, addForeignKey, dropForeignKey, addForeignKey}, 0},
        {"widen a unique column a foreign key refers to",
         {"create table dbo.P( K  nvarchar(10) unique)", "create table dbo.C( K  nvarchar(10))", addForeignKey,
          "alter table P alter column K nvarchar(20)"}, 4},
        {"drop a table a foreign key refers to",
         {"create table dbo.P( K  integer primary key)", "create table dbo.C( K  integer)", addForeignKey,
          "IF OBJECT_ID('P') IS NOT NULL DROP Table P "}, 4},
        // Column guards: the alter runs, and meets the key or index, only
        // when the column is not yet what the guard asks for.
        {"guard: a primary key of the create is NOT NULL already",
         {"create table dbo.T( B  nvarchar(50) PRIMARY KEY)",
          UnlessColumnOfTIs("B", "type_name(user_type_id)='nvarchar' and max_length=100",
                            "alter table T ALTER COLUMN B  nvarchar(50) NOT NULL ")}, 0},
        {"guard: another length is altered",
         {"create table dbo.T( B  nvarchar(40) PRIMARY KEY)",
          UnlessColumnOfTIs("B", "type_name(user_type_id)='nvarchar' and max_length=100",
                            "alter table T ALTER COLUMN B  nvarchar(50) NOT NULL ")}, 2},
        {"guard: a column added without NOT NULL takes NULL",
         {"create table dbo.T( A  integer)", "ALTER TABLE T ADD B integer",
          "CREATE UNIQUE NONCLUSTERED INDEX IX_T ON T (B ASC)",
          UnlessColumnOfTIs("B", intGuard, "alter table T ALTER COLUMN B INT NOT NULL")}, 4},
        {"guard: ALTER COLUMN made it INT NOT NULL",
         {"create table dbo.T( B  integer)", "alter table T ALTER COLUMN B INT NOT NULL",
          "alter table T add constraint PK_T primary key (B)",
          UnlessColumnOfTIs("B", intGuard, "alter table T ALTER COLUMN B INT NOT NULL")}, 0},
        {"guard: a table-level primary key makes its columns NOT NULL",
         {"create table dbo.T (A integer , B integer , primary key(A , B))",
          UnlessColumnOfTIs("B", intGuard, "alter table T ALTER COLUMN B INT NOT NULL")}, 0},
        {"other columns and other tables are free",
         {"create table dbo.T( A  integer primary key)", "ALTER TABLE T ADD NA nvarchar(50)",
          "create table dbo.U( A  integer)", "alter table T alter column NA nvarchar(150)",
          "alter table U alter column A int"}, 0},
    };
    for (const auto& c : cases) {
        KeyedRun run;
        EXPECT_EQ(run.send(c.statements), c.refused) << c.what;
    }
}

TEST(KeyedDatabase, FailsTheTestOnWhatItDoesNotRead) {
    const struct {
        const char* what;
        std::string statement;
        bool read;
    } cases[] = {
        {"a column guard on another property",
         "if not exists (select 1 from sys.columns where name='A' and object_id=object_id('T') and is_identity=1) "
         "alter table T alter column A int",
         false},
        {"a column guard without its table",
         "if not exists (select 1 from sys.columns where name='A' and is_nullable=0) alter table T alter column A int",
         false},
        {"a guard on another catalogue view",
         "if exists (select 1 from sys.objects where name='PK_T') alter table T drop constraint PK_T", false},
        {"max_length of a type whose storage it does not know",
         UnlessColumnOfTIs("F", "max_length=8", "alter table T alter column F float not null"), false},
        {"another schema statement", "alter table T add default 0 for A", false},
        {"a statement run from a text", "exec ('drop table T')", false},
        {"a data statement behind a guard it does not read",
         "if not exists (select * from T) insert into T values (1, 2)", true},
    };
    for (const auto& c : cases) {
        KeyedRun run;
        ASSERT_EQ(run.send({"create table dbo.T( A  integer, F  float)"}), 0);
        if (c.read)
            EXPECT_NO_THROW(run.keyed.execute(c.statement)) << c.what;
        else
            EXPECT_THROW(run.keyed.execute(c.statement), std::logic_error) << c.what;
    }
}

}  // namespace
}  // namespace orvel::test
