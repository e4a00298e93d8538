// The check's rules as data: one row per rule, read by one small
// interpreter (RuleInterpreter.cpp), as the table steps are.
//
// A row names the rule, the changes it is asked about, when it applies
// (a test of the column's types, keys and what the run did before), what it
// is asked of (the catalogue alone, or the table's rows in one of the forms
// below), the condition over the rows that SQL Server refuses, the rows
// whose fate cannot be told (reported "not judged", never guessed), SQL
// Server's error number, the reason and the advice.  Conditions, reasons
// and advice are templates: {name} stands for a field of the statement
// (RuleFields lists them).
//
// Every condition is written so that SQL Server answers it whatever the
// rows hold: text is taken apart with LIKE, LEN, SUBSTRING, PATINDEX and
// CHARINDEX in a binary collation, never converted, and numbers are only
// compared.  No condition names a column the run adds (those hold NULL).
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "check/PlannedChanges.h"
#include "check/TypeFacts.h"

namespace orvel {

// A key, unique constraint, index or foreign key over columns of a table.
struct KeyFacts {
    enum Kind { PrimaryKey, Unique, Index, ForeignKey, Referenced };
    std::string name;
    Kind kind = Index;
    std::vector<std::string> columns;
};

// A column as the run leaves it before a statement.
struct ColumnState {
    std::string name;
    TypeFacts stored;  // as the database holds it now
    TypeFacts type;    // as the run's earlier statements leave it
    bool nullable = true;
    bool addedByRun = false;  // holds NULL in every row
    bool setByRun = false;    // an UPDATE of the run gives it values
};

// A table as the run leaves it before a statement.
struct TableState {
    std::string name;
    std::vector<ColumnState> columns;  // in table order
    std::vector<KeyFacts> keys;
    bool emptied = false;  // the run deleted every row

    const ColumnState* column(std::string_view name) const;
    ColumnState* column(std::string_view name);
};

// What stands under a name in the database at a point of the run: a
// table, a view, or an object of another kind ("procedure", "function",
// "synonym", "trigger", "constraint", "object").
struct NamedObject {
    std::string kind;
    std::vector<std::string> columns;  // of a table or view, as listed
};

// What a rule is asked about.
struct RuleContext {
    const PlannedChange& change;
    const TableState* table = nullptr;        // for questions about rows
    const NamedObject* object = nullptr;      // what stands under the change's table name
    const ColumnState* column = nullptr;      // the altered column, or the key column asked about
    const KeyFacts* key = nullptr;            // the key asked about
    std::optional<std::string> missingColumn; // a named column the table lacks
    std::string stopMessage;                  // the simulated run's refusal of this statement
};

struct CheckRule {
    // What a rule is asked of.
    enum Source {
        Catalogue,  // the catalogue alone: refused when it applies
        Always,     // refused whatever the rows hold (a key the change cannot keep)
        Rows,       // the table's rows: {c} is the column, {value} what an example shows
        TextValue,  // the column's text taken apart (q_t, q_x, q_s, q_u, q_p, q_e, q_n, q_l: RuleFields);
                    // asked only when rows hold more than plain numbers ({plain})
        MoneyText,  // as TextValue, after a leading currency sign and the commas
        Groups,     // groups of equal key values: {groups}, rows kept by {kept}
    };
    // Whom a rule is asked for: the change, or each key or column of it.
    enum Subject { Change, EachKeyOverColumn, EachKeyColumn, EachUniqueKey, EachNamedColumn };

    std::string_view rule;
    std::vector<PlannedChange::Kind> on;
    Subject subject = Change;
    std::function<bool(const RuleContext&)> applies;
    Source source = Rows;
    std::string_view refused;  // rows SQL Server refuses; empty: none (or all, for Catalogue and Always)
    std::string_view unsure;   // rows whose fate cannot be told; empty: none
    long error = 0;
    std::string_view reason;
    std::string_view advice;
};

// Every rule, in the order they are asked.
std::span<const CheckRule> CheckRules();

// The fields of a context, by name, for the templates: table, column, c
// (the column bracketed), value, type, from, key, keyColumns, length,
// objectKind, drop, missingColumn, missingColumnError, missingTableError,
// stopMessage, and the pieces of the conditions (controls, wholeShape,
// wholeOutOfRange, exactShape, floatShape, moneyShape, ...).  `bin` is the
// binary collation the server knows.
std::map<std::string, std::string> RuleFields(const RuleContext& context, std::string_view bin);

// `text` with every {field} replaced.
std::string Expand(std::string_view text, const std::map<std::string, std::string>& fields);

// What an index or a unique constraint lets ALTER COLUMN do to a column it
// uses: keep it varchar, nvarchar or varbinary, no shorter.
bool KeepsVariableLengthType(const TypeFacts& from, const TypeFacts& to);

}  // namespace orvel
