// The rules of the check, one row each, and the fields their templates use.
//
// What SQL Server makes of stored text is written down value by value in
// tests/ConversionCases.cpp, with where each answer comes from; the rows
// below follow it.  In short: text becomes a whole number when it is blank
// or an optional sign and ASCII digits with blanks around; decimal and
// numeric take digits with one point but not a blank text; float and real
// also take an exponent (e, E, d or D); money also takes a leading currency
// sign and commas.  Tab and line-break characters, a sign or a point alone,
// other scripts' digits and values at the very edge of a type are not
// judged.
#include "check/CheckRules.h"

#include <algorithm>
#include <utility>

#include <fmt/format.h>
#include <fmt/ranges.h>

#include "database/NameMatching.h"
#include "database/SqlTokens.h"

namespace orvel {

namespace {

using K = PlannedChange::Kind;
using F = TypeFacts::Family;
using R = CheckRule;

bool IsNumber(F f) { return f == F::WholeNumber || f == F::ExactNumber || f == F::Money || f == F::Approximate; }

// The types a rule compares: the column's type before the run and the new one.
// A column whose family the run changed earlier is judged by "changed-earlier".
TypeFacts From(const RuleContext& c) { return c.column ? c.column->stored : TypeFacts{}; }
TypeFacts To(const RuleContext& c) { return TypeOf(c.change.type); }

// The column's values are those stored now: it was not added or filled by
// the run, and its family was not changed by an earlier statement.
bool StoredValues(const RuleContext& c) {
    return c.column && !c.column->addedByRun && !c.column->setByRun && c.column->stored.family == c.column->type.family;
}

bool Converts(const RuleContext& c, F from, std::initializer_list<std::string_view> toBases) {
    if (!StoredValues(c) || From(c).family != from) return false;
    const TypeFacts to = To(c);
    return std::any_of(toBases.begin(), toBases.end(), [&](std::string_view b) { return to.base == b; });
}

// The number of digits of the largest whole value a type holds.
int WholeDigits(const TypeFacts& type) {
    if (type.family == F::WholeNumber || type.family == F::Money) return static_cast<int>(RangeOf(type)->largest.size());
    if (type.family == F::ExactNumber) return type.precision - type.scale;
    if (type.family == F::Bit) return 1;
    return 400;  // float, real
}

bool Narrows(const RuleContext& c, F to) {
    if (!StoredValues(c)) return false;
    const TypeFacts from = From(c), target = To(c);
    if (target.family != to || !IsNumber(from.family) || from.text == target.text) return false;
    if (from.family == F::Approximate || from.family == F::Money) return true;
    if (to == F::ExactNumber)
        return WholeDigits(from) >= WholeDigits(target) ||
               (from.family == F::ExactNumber && from.scale > target.scale && WholeDigits(from) == WholeDigits(target));
    return WholeDigits(from) >= WholeDigits(target) && from.base != target.base;
}

// A conversion the rules above know; any other of stored values is not judged.
bool Covered(const TypeFacts& from, const TypeFacts& to) {
    if (from.family == F::Text) return to.family != F::Bit && to.family != F::Other;
    if (IsNumber(from.family) || from.family == F::Bit) return to.family != F::Other;
    return false;
}

bool ShortensText(const RuleContext& c) {
    if (!StoredValues(c) || From(c).family != F::Text) return false;
    const TypeFacts from = From(c), to = To(c);
    if (to.family != F::Text || !to.length || to.large) return false;
    return !from.length || *from.length > *to.length || from.large;
}

bool NumberToShortText(const RuleContext& c) {
    if (!StoredValues(c)) return false;
    const TypeFacts from = From(c), to = To(c);
    if (!IsNumber(from.family) || to.family != F::Text || !to.length) return false;
    // A whole number too long for char or varchar becomes "*" there: accepted.
    return !(from.family == F::WholeNumber && !to.unicode);
}

bool StrictKey(const KeyFacts& key) {
    return key.kind == KeyFacts::PrimaryKey || key.kind == KeyFacts::ForeignKey || key.kind == KeyFacts::Referenced;
}

bool IsTable(const RuleContext& c) { return c.object && c.object->kind == "table"; }
bool IsOtherKind(const RuleContext& c) { return c.object && c.object->kind != "table"; }
bool Unguarded(const RuleContext& c) { return c.change.guard == PlannedChange::Unguarded; }

// A literal as the key column's type compares with it: text quoted, a
// number as written; nothing when it could not be compared without a
// conversion that may fail.
std::optional<std::string> LiteralFor(const ColumnState& column, const std::string& literal) {
    if (column.stored.family == F::Text) return UnicodeLiteral(literal);
    if (!IsNumber(column.stored.family) && column.stored.family != F::Bit) return std::nullopt;
    const std::string_view digits = std::string_view(literal).substr(literal.starts_with('-') ? 1 : 0);
    if (digits.empty() || digits.size() > 30 ||
        !std::all_of(digits.begin(), digits.end(), [](char ch) { return (ch >= '0' && ch <= '9') || ch == '.'; }))
        return std::nullopt;
    return literal;
}

// The condition matching rows that hold the values an insert gives the
// key's columns; nothing when a value is not a literal or a column is one
// the run added (every row holds NULL there).
std::optional<std::string> InsertMatch(const RuleContext& c) {
    if (!c.key || !c.table) return std::nullopt;
    const auto& columns = c.change.columns;
    std::vector<std::string> conditions;
    for (const auto& keyColumn : c.key->columns) {
        const ColumnState* column = c.table->column(keyColumn);
        if (!column || column->addedByRun) return std::nullopt;
        std::optional<std::string> value;
        for (std::size_t k = 0; k < c.change.values.size(); ++k) {
            const std::string& name = columns.empty() ? (k < c.table->columns.size() ? c.table->columns[k].name : "")
                                                      : (k < columns.size() ? columns[k] : "");
            if (EqualIgnoringAsciiCase(name, keyColumn)) value = c.change.values[k];
        }
        if (!value) return std::nullopt;
        const auto literal = LiteralFor(*column, *value);
        if (!literal) return std::nullopt;
        conditions.push_back(fmt::format("{} = {}", BracketedName(column->name), *literal));
    }
    if (conditions.empty()) return std::nullopt;
    return fmt::format("{}", fmt::join(conditions, " AND "));
}

// Every column the change names is one the table has (or the run added).
bool ColumnsKnown(const RuleContext& c) {
    return c.table && std::all_of(c.change.columns.begin(), c.change.columns.end(),
                                  [&](const std::string& name) { return c.table->column(name) != nullptr; });
}

// Key columns whose values the run converted to another family earlier:
// what repeats after that conversion cannot be asked of the stored values.
bool KeyOverConvertedColumn(const RuleContext& c) {
    if (!c.table) return false;
    return std::any_of(c.change.columns.begin(), c.change.columns.end(), [&](const std::string& name) {
        const ColumnState* column = c.table->column(name);
        return column && !column->addedByRun && column->stored.family != column->type.family;
    });
}

std::string Digits(const std::string& digits, int add) {
    // `digits` plus one (add 1) as a digit string.
    std::string out = digits;
    for (int i = static_cast<int>(out.size()) - 1; i >= 0 && add; --i) {
        if (out[static_cast<std::size_t>(i)] == '9') {
            out[static_cast<std::size_t>(i)] = '0';
        } else {
            ++out[static_cast<std::size_t>(i)];
            add = 0;
        }
    }
    return add ? "1" + out : out;
}

constexpr std::string_view kAdviceValues =
    "Correct or empty these values of {table}.{column} (UPDATE {table} SET {column} = ... WHERE ...), then check "
    "again.";
constexpr std::string_view kAdviceNotJudged =
    "Look at these values of {table}.{column}: where one is no plain number, correct it before the upgrade.";

// The advice where an object of another kind stands under a table's name
// (the run means a table there), and where something else stands under a
// view's name.
constexpr std::string_view kDropOrRenameTheObject =
    "Drop it ({drop}) if nothing uses it any more, or rename it (EXEC sp_rename '{table}', '{table}_old'), then "
    "check again.";
constexpr std::string_view kRenameOrDropTheObject =
    "Rename it (EXEC sp_rename '{table}', '{table}_old') if it is still needed, or drop it ({drop}), then check "
    "again.";

const std::vector<CheckRule>& Rows() {
    static const std::vector<CheckRule> rows = {
        // What the catalogue alone tells.
        {"missing-table",
         {K::AlterColumn, K::AddPrimaryKey, K::AddUnique, K::AddIndex, K::AddColumn, K::AlterTable, K::DropKey,
          K::Insert, K::InsertSelect},
         R::Change, [](const RuleContext& c) { return Unguarded(c) && !c.object && c.change.missingTableError; },
         R::Catalogue, {}, {}, 0,
         "the table {table} does not exist in this database, and the run does not create it before this statement",
         "This database is older than the upgrader supports or belongs to another product: check the product "
         "chosen, or bring the database to a supported version first."},
        {"another-kind",
         {K::AlterColumn, K::AddPrimaryKey, K::AddUnique, K::AddIndex, K::AddColumn, K::AlterTable, K::DropKey},
         R::Change, [](const RuleContext& c) { return Unguarded(c) && IsOtherKind(c) && c.change.missingTableError; },
         R::Catalogue, {}, {}, 2010,
         "{table} is {objectKind} in this database, where the run alters a table of that name",
         kDropOrRenameTheObject},
        {"another-kind", {K::DropTable}, R::Change,
         [](const RuleContext& c) {
             return IsOtherKind(c) && (Unguarded(c) || c.change.guard == PlannedChange::IfObjectPresent);
         },
         R::Catalogue, {}, {}, 3705, "{table} is {objectKind} in this database, where the run drops a table of that name",
         kDropOrRenameTheObject},
        {"another-kind", {K::CreateTable}, R::Change,
         [](const RuleContext& c) { return IsOtherKind(c) && c.change.guard != PlannedChange::IfObjectMissing; },
         R::Catalogue, {}, {}, 2714, "{table} is {objectKind} in this database, where the run creates a table of that name",
         kDropOrRenameTheObject},
        {"another-kind", {K::Insert, K::InsertSelect}, R::Change,
         [](const RuleContext& c) {
             return Unguarded(c) && IsOtherKind(c) && c.object->kind != "view" && c.object->kind != "synonym";
         },
         R::Catalogue, {}, {}, 208, "{table} is {objectKind} in this database, where the run inserts into a table of that name",
         kDropOrRenameTheObject},
        {"another-kind", {K::Insert, K::InsertSelect}, R::Change,
         [](const RuleContext& c) {
             return Unguarded(c) && IsOtherKind(c) && (c.object->kind == "view" || c.object->kind == "synonym");
         },
         R::Catalogue, {}, "1 = 1", 0,
         "{table} is {objectKind} in this database, where the run inserts into a table of that name: SQL Server "
         "takes the row only when {table} can pass it on to a table",
         "Drop it ({drop}) or rename it (EXEC sp_rename '{table}', '{table}_old') if the run should insert into a "
         "table of its own, then check again."},
        {"another-kind", {K::DropView}, R::Change,
         [](const RuleContext& c) {
             return c.object && c.object->kind != "view" &&
                    (Unguarded(c) || c.change.guard == PlannedChange::IfObjectPresent);
         },
         R::Catalogue, {}, {}, 3705, "{table} is {objectKind} in this database, where the run drops a view of that name",
         kRenameOrDropTheObject},
        {"another-kind", {K::CreateView}, R::Change,
         [](const RuleContext& c) { return c.object && c.change.guard != PlannedChange::IfObjectMissing; },
         R::Catalogue, {}, {}, 2714, "{table} is {objectKind} in this database, where the run creates a view of that name",
         kRenameOrDropTheObject},
        {"missing-column", {K::AlterColumn, K::AddPrimaryKey, K::AddUnique, K::AddIndex, K::Insert}, R::EachNamedColumn,
         [](const RuleContext& c) { return Unguarded(c) && IsTable(c) && c.missingColumn; }, R::Catalogue, {}, {}, 0,
         "the column {missingColumn} does not exist in the table {table}, and the run does not add it before this "
         "statement",
         "This table is older than the upgrader supports: add the column {missingColumn} to {table} (as the "
         "product's current version defines it) or bring the database to a supported version first."},

        // Keys and indexes a change cannot keep.
        {"depends-on-column", {K::AlterColumn}, R::EachKeyOverColumn,
         [](const RuleContext& c) {
             return c.column && (StrictKey(*c.key) || !KeepsVariableLengthType(c.column->type, To(c)));
         },
         R::Always, {}, {}, 5074,
         "{key} uses the column {table}.{column}, so SQL Server refuses to alter it{keepsLength} (5074, then 4922)",
         "Drop {key} before the upgrade and make it again afterwards, or ask the product's maker how this database "
         "came to hold it."},
        {"second-primary-key", {K::AddPrimaryKey}, R::Change,
         [](const RuleContext& c) {
             return std::any_of(c.table->keys.begin(), c.table->keys.end(),
                                [](const KeyFacts& k) { return k.kind == KeyFacts::PrimaryKey; });
         },
         R::Always, {}, {}, 1779, "the table {table} already has a primary key",
         "Drop the table's present primary key before the upgrade, or ask the product's maker how this database "
         "came to hold it."},
        {"nullable-key-column", {K::AddPrimaryKey}, R::EachKeyColumn,
         [](const RuleContext& c) { return c.column->nullable; }, R::Always, {}, {}, 8111,
         "the column {table}.{column} allows NULL, and a primary key cannot be made over it",
         "Make {table}.{column} NOT NULL first (after giving every row a value)."},

        // NULLs.
        {"not-null", {K::AlterColumn}, R::Change,
         [](const RuleContext& c) {
             return c.column && c.change.notNull && !c.column->setByRun && (c.column->nullable || c.column->addedByRun);
         },
         R::Rows, "{isNull}", {}, 515, "rows hold NULL in {table}.{column}, which this statement makes NOT NULL",
         "Give these rows a value in {column} (UPDATE {table} SET {column} = ... WHERE {column} IS NULL) or delete "
         "them, then check again."},
        {"not-null-added", {K::AddColumn}, R::Change,
         [](const RuleContext& c) { return c.change.notNull && !c.change.hasDefault && !c.table->emptied; }, R::Rows,
         "1 = 1", {}, 4901,
         "the table {table} holds rows, and a NOT NULL column without a default cannot be added to it",
         "Ask the product's maker for the value these rows should take; the column cannot be added while the table "
         "holds rows."},

        // Stored values the new type cannot take.
        {"changed-earlier", {K::AlterColumn}, R::Change,
         [](const RuleContext& c) {
             return c.column && !c.column->addedByRun && !c.column->setByRun &&
                    c.column->stored.family != c.column->type.family && c.column->type.text != To(c).text;
         },
         R::Rows, {}, "{c} IS NOT NULL", 0,
         "the run changes {table}.{column} from {stored} to {from} before this statement makes it {type}; the "
         "values it will then hold cannot be asked before the run",
         kAdviceNotJudged},
        {"conversion", {K::AlterColumn}, R::Change,
         [](const RuleContext& c) { return Converts(c, F::Text, {"tinyint", "smallint", "int"}); }, R::TextValue,
         "{wholeRefusedCharacters}", "q_t <> N'' AND NOT ({wholeRefusedCharacters}) AND NOT {wholeShape}", 245, "values of {table}.{column} are no whole number, and this statement makes it {type}", kAdviceValues},
        {"conversion", {K::AlterColumn}, R::Change,
         [](const RuleContext& c) { return Converts(c, F::Text, {"bigint"}); }, R::TextValue,
         "{wholeRefusedCharacters}", "q_t <> N'' AND NOT ({wholeRefusedCharacters}) AND NOT {wholeShape}", 8114, "values of {table}.{column} are no whole number, and this statement makes it {type}", kAdviceValues},
        {"out-of-range", {K::AlterColumn}, R::Change,
         [](const RuleContext& c) { return Converts(c, F::Text, {"int"}); }, R::TextValue,
         "{wholeShape} AND {wholeOutOfRange}", "{wholeShape} AND q_l > 38 AND NOT {wholeOutOfRange}", 248,
         "values of {table}.{column} are whole numbers outside the range of {type}", kAdviceValues},
        {"out-of-range", {K::AlterColumn}, R::Change,
         [](const RuleContext& c) { return Converts(c, F::Text, {"tinyint", "smallint"}); }, R::TextValue,
         "{wholeShape} AND {wholeOutOfRange}", "{wholeShape} AND q_l > 38 AND NOT {wholeOutOfRange}", 244,
         "values of {table}.{column} are whole numbers outside the range of {type}", kAdviceValues},
        {"out-of-range", {K::AlterColumn}, R::Change,
         [](const RuleContext& c) { return Converts(c, F::Text, {"bigint"}); }, R::TextValue,
         "{wholeShape} AND {wholeOutOfRange}", "{wholeShape} AND q_l > 38 AND NOT {wholeOutOfRange}", 8114,
         "values of {table}.{column} are whole numbers outside the range of {type}", kAdviceValues},
        {"conversion", {K::AlterColumn}, R::Change,
         [](const RuleContext& c) { return Converts(c, F::Text, {"decimal", "numeric"}); }, R::TextValue,
         "q_t = N'' OR {exactRefusedCharacters}",
         "q_t <> N'' AND NOT ({exactRefusedCharacters}) AND NOT {exactShape}", 8114,
         "values of {table}.{column} are no number {type} takes (an empty text is none)", kAdviceValues},
        {"out-of-range", {K::AlterColumn}, R::Change,
         [](const RuleContext& c) { return Converts(c, F::Text, {"decimal", "numeric"}); }, R::TextValue,
         "{exactShape} AND {digitsBeforePoint} > {intDigits}",
         "{exactShape} AND (({digitsBeforePoint} = {intDigits} AND SUBSTRING(q_x, q_n, {intDigits}) NOT LIKE "
         "N'%[^9]%' AND q_p > 0 AND q_l - q_p > {scale}) OR q_l > 38) AND {digitsBeforePoint} <= {intDigits}",
         8115, "values of {table}.{column} have more than {intDigits} digits before the point, which {type} holds",
         kAdviceValues},
        {"conversion", {K::AlterColumn}, R::Change,
         [](const RuleContext& c) { return Converts(c, F::Text, {"float", "real", "double"}); }, R::TextValue,
         "{floatRefusedCharacters}", "q_t <> N'' AND NOT ({floatRefusedCharacters}) AND NOT {floatShape}", 8114,
         "values of {table}.{column} are no number, and this statement makes it {type}", kAdviceValues},
        {"out-of-range", {K::AlterColumn}, R::Change,
         [](const RuleContext& c) { return Converts(c, F::Text, {"float", "real", "double"}); }, R::TextValue,
         "{floatShape} AND q_e = 0 AND {digitsBeforePoint} >= {overDigits}",
         "{floatShape} AND ((q_e = 0 AND {digitsBeforePoint} = {overDigits} - 1) OR (q_e > 0 AND ({exponentLength} > "
         "{exponentDigits} OR {digitsBeforePoint} > {digitsBeforeExponent})) OR (q_p > 0 AND q_n > q_p + "
         "{fractionZeros} + 1))",
         8114, "values of {table}.{column} lie outside the range of {type}", kAdviceValues},
        {"conversion", {K::AlterColumn}, R::Change,
         [](const RuleContext& c) { return Converts(c, F::Text, {"money", "smallmoney"}); }, R::MoneyText,
         "{moneyRefusedCharacters}", "q_t <> N'' AND NOT ({moneyRefusedCharacters}) AND NOT {exactShape}",
         235, "values of {table}.{column} are no amount of money, and this statement makes it {type}", kAdviceValues},
        {"out-of-range", {K::AlterColumn}, R::Change,
         [](const RuleContext& c) { return Converts(c, F::Text, {"money", "smallmoney"}); }, R::MoneyText,
         "{exactShape} AND ({digitsBeforePoint} > {largestDigits} OR ({digitsBeforePoint} = {largestDigits} AND "
         "SUBSTRING(q_x, q_n, {largestDigits}) > N'{largest}'))",
         "{exactShape} AND (({digitsBeforePoint} = {largestDigits} AND SUBSTRING(q_x, q_n, {largestDigits}) = "
         "N'{largest}') OR (q_l > 38 AND {digitsBeforePoint} <= {largestDigits}))",
         8115,
         "values of {table}.{column} lie outside the range of {type}", kAdviceValues},
        {"too-long", {K::AlterColumn}, R::Change, ShortensText, R::Rows, "{textLength} > {length}",
         "{trailingBlanks}", 8152, "values of {table}.{column} are longer than the {length} characters of {type}",
         "Shorten these values of {table}.{column} to at most {length} characters, then check again."},
        {"out-of-range", {K::AlterColumn}, R::Change,
         [](const RuleContext& c) { return Narrows(c, F::WholeNumber) && From(c).family == F::WholeNumber; },
         R::Rows, "{c} < -{smallest} OR {c} > {largest}", {}, 8115,
         "values of {table}.{column} lie outside the range of {type}", kAdviceValues},
        // float, real, decimal and numeric become whole numbers truncated;
        // money rounded, in a direction this check does not know.
        {"out-of-range", {K::AlterColumn}, R::Change,
         [](const RuleContext& c) { return Narrows(c, F::WholeNumber) && From(c).family == F::Approximate; }, R::Rows,
         "{c} <= -{smallestPlusOne} OR {c} >= {largestPlusOne}", {}, 232,
         "values of {table}.{column} lie outside the range of {type}", kAdviceValues},
        {"out-of-range", {K::AlterColumn}, R::Change,
         [](const RuleContext& c) { return Narrows(c, F::WholeNumber) && From(c).family == F::ExactNumber; }, R::Rows,
         "{c} <= -{smallestPlusOne} OR {c} >= {largestPlusOne}", {}, 8115,
         "values of {table}.{column} lie outside the range of {type}", kAdviceValues},
        {"out-of-range", {K::AlterColumn}, R::Change,
         [](const RuleContext& c) { return Narrows(c, F::WholeNumber) && From(c).family == F::Money; }, R::Rows,
         "{c} <= -{smallestPlusOne} OR {c} >= {largestPlusOne}",
         "({c} > {largest} AND {c} < {largestPlusOne}) OR ({c} < -{smallest} AND {c} > -{smallestPlusOne})", 8115,
         "values of {table}.{column} lie outside the range of {type}", kAdviceValues},
        // Numbers become decimal and numeric rounded to the new scale.
        {"out-of-range", {K::AlterColumn}, R::Change,
         [](const RuleContext& c) {
             return Narrows(c, F::ExactNumber) && From(c).family != F::Approximate && To(c).precision - To(c).scale < 38;
         },
         R::Rows, "{c} >= {roundingLimit} OR {c} <= -{roundingLimit}", {}, 8115,
         "values of {table}.{column} have more than {intDigits} digits before the point, which {type} holds",
         kAdviceValues},
        {"out-of-range", {K::AlterColumn}, R::Change,
         [](const RuleContext& c) {
             return Narrows(c, F::ExactNumber) && From(c).family == F::Approximate && To(c).precision - To(c).scale < 38;
         },
         R::Rows, "{c} >= {limit} OR {c} <= -{limit}",
         "({c} > {largestExact} AND {c} < {limit}) OR ({c} < -{largestExact} AND {c} > -{limit})", 8115,
         "values of {table}.{column} have more than {intDigits} digits before the point, which {type} holds",
         kAdviceValues},
        {"out-of-range", {K::AlterColumn}, R::Change,
         [](const RuleContext& c) { return Narrows(c, F::Money); }, R::Rows,
         "{c} <= -{largestPlusOne} OR {c} >= {largestPlusOne}",
         "({c} > {largest} AND {c} < {largestPlusOne}) OR ({c} < -{largest} AND {c} > -{largestPlusOne})", 8115,
         "values of {table}.{column} lie outside the range of {type}", kAdviceValues},
        {"out-of-range", {K::AlterColumn}, R::Change,
         [](const RuleContext& c) { return StoredValues(c) && From(c).base == "float" && To(c).base == "real"; },
         R::Rows, "{c} >= 3.5E38 OR {c} <= -3.5E38", "({c} > 3.4E38 AND {c} < 3.5E38) OR ({c} < -3.4E38 AND {c} > -3.5E38)",
         8115, "values of {table}.{column} lie outside the range of {type}", kAdviceValues},
        {"out-of-range", {K::AlterColumn}, R::Change, NumberToShortText, R::Rows,
         "LEN(CAST({c} AS nvarchar(60))) > {length}", {}, 8115,
         "values of {table}.{column} take more than the {length} characters of {type} as text", kAdviceValues},
        {"conversion", {K::AlterColumn}, R::Change,
         [](const RuleContext& c) {
             return StoredValues(c) && From(c).family != To(c).family && !Covered(From(c), To(c));
         },
         R::Rows, {}, "{c} IS NOT NULL", 0,
         "what SQL Server makes of values of {table}.{column} as {type} is not known to this check", kAdviceNotJudged},

        // Repeated values under a new key, and inserts of values a key holds.
        {"duplicate-key", {K::AddPrimaryKey, K::AddUnique}, R::Change,
         [](const RuleContext& c) { return !c.table->emptied && ColumnsKnown(c) && !KeyOverConvertedColumn(c); },
         R::Groups, "{kept}", {},
         1505, "rows of {table} repeat the values of ({keyColumns}), which this statement makes {keyKind}",
         "Give each of these rows values of ({keyColumns}) of its own, or delete the extra rows, then check again."},
        {"duplicate-key", {K::AddPrimaryKey, K::AddUnique}, R::Change,
         [](const RuleContext& c) { return !c.table->emptied && KeyOverConvertedColumn(c); }, R::Rows, {}, "1 = 1",
         1505,
         "the run converts columns of ({keyColumns}) before this statement makes them {keyKind}; which values repeat "
         "then cannot be asked before the run",
         "Look for values of ({keyColumns}) that become equal once converted (\" 1\" and \"01\" are both 1)."},
        {"duplicate-insert", {K::Insert}, R::EachUniqueKey,
         [](const RuleContext& c) {
             return !c.table->emptied && c.key->kind == KeyFacts::PrimaryKey && InsertMatch(c);
         },
         R::Rows, "{insertMatch}", {}, 2627,
         "a row of {table} already holds the values this statement inserts into ({keyColumns}), which {key} keeps "
         "unique",
         "Check whether the row is already what the upgrade inserts; if it is another row, give it other key "
         "values."},
        {"duplicate-insert", {K::Insert}, R::EachUniqueKey,
         [](const RuleContext& c) {
             return !c.table->emptied && c.key->kind == KeyFacts::Unique && InsertMatch(c);
         },
         R::Rows, "{insertMatch}", {}, 2601,
         "a row of {table} already holds the values this statement inserts into ({keyColumns}), which {key} keeps "
         "unique",
         "Check whether the row is already what the upgrade inserts; if it is another row, give it other key "
         "values."},
        {"run-stops", {}, R::Change, [](const RuleContext& c) { return !c.stopMessage.empty(); }, R::Catalogue, {}, {},
         0, "the run, worked out on this database's catalogue, stops at this statement: {stopMessage}",
         "Look at what stands in the database under the names this statement uses; the run sends nothing after "
         "it."},
    };
    return rows;
}

std::string DropStatement(const NamedObject& object, const std::string& name) {
    const std::string n = BracketedName(name);
    if (object.kind == "view") return "DROP VIEW " + n;
    if (object.kind == "procedure") return "DROP PROCEDURE " + n;
    if (object.kind == "function") return "DROP FUNCTION " + n;
    if (object.kind == "synonym") return "DROP SYNONYM " + n;
    if (object.kind == "trigger") return "DROP TRIGGER " + n;
    if (object.kind == "table") return "DROP TABLE " + n;
    return "ALTER TABLE ... DROP CONSTRAINT " + n;
}

std::string Article(const std::string& kind) {
    return (kind.empty() || std::string_view("aeiou").find(kind.front()) == std::string_view::npos ? "a " : "an ") +
           kind;
}

}  // namespace

std::span<const CheckRule> CheckRules() { return Rows(); }

const ColumnState* TableState::column(std::string_view wanted) const {
    for (const auto& c : columns)
        if (EqualIgnoringAsciiCase(c.name, wanted)) return &c;
    return nullptr;
}

ColumnState* TableState::column(std::string_view wanted) {
    return const_cast<ColumnState*>(std::as_const(*this).column(wanted));
}

bool KeepsVariableLengthType(const TypeFacts& from, const TypeFacts& to) {
    if (from.base != "varchar" && from.base != "nvarchar" && from.base != "varbinary") return false;
    if (to.base != from.base) return false;
    // A max type can be no index key: (max) counts as no length.
    return from.length && to.length && *to.length >= *from.length;
}

std::map<std::string, std::string> RuleFields(const RuleContext& c, std::string_view bin) {
    std::map<std::string, std::string> f;
    const PlannedChange& change = c.change;
    const TypeFacts to = TypeOf(change.type);
    f["table"] = c.table ? c.table->name : change.table;
    f["type"] = to.text;
    f["bin"] = bin;
    f["missingTableError"] = std::to_string(change.missingTableError);
    f["missingColumnError"] = change.kind == K::AlterColumn ? "4924" : change.kind == K::Insert ? "207" : "1911";
    f["stopMessage"] = c.stopMessage;
    if (c.missingColumn) f["missingColumn"] = *c.missingColumn;
    if (c.object) {
        f["objectKind"] = Article(c.object->kind);
        f["drop"] = DropStatement(*c.object, change.table);
    }
    const std::string column = c.column ? c.column->name : change.columns.empty() ? "" : change.columns.front();
    f["column"] = column;
    f["c"] = BracketedName(column);
    const bool added = c.column && c.column->addedByRun;
    f["value"] = added ? "NULL" : f["c"];
    f["isNull"] = added ? "1 = 1" : f["c"] + " IS NULL";
    if (c.column) {
        f["from"] = c.column->type.text;
        f["stored"] = c.column->stored.text;
    }
    const auto& keyColumns = c.key ? c.key->columns : change.columns;
    f["keyColumns"] = fmt::format("{}", fmt::join(keyColumns, ", "));
    f["keyKind"] = change.kind == K::AddPrimaryKey ? "the primary key" : "unique";
    if (c.key) {
        f["key"] = c.key->name;
        f["keepsLength"] =
            StrictKey(*c.key) ? "" : " unless it stays varchar, nvarchar or varbinary and does not get shorter";
    }
    if (c.table && (change.kind == K::AddPrimaryKey || change.kind == K::AddUnique)) {
        std::vector<std::string> groups, kept;
        for (const auto& name : change.columns) {
            const ColumnState* key = c.table->column(name);
            if (key && key->addedByRun) continue;  // NULL in every row: equal everywhere
            groups.push_back(BracketedName(key ? key->name : name));
            // Rows an earlier UPDATE of the run numbers get values of their
            // own; only the rows it leaves alone can repeat.
            if (key && key->setByRun) kept.push_back(BracketedName(key->name) + " IS NOT NULL");
        }
        f["groups"] = fmt::format("{}", fmt::join(groups, ", "));
        f["kept"] = kept.empty() ? "1 = 1" : fmt::format("{}", fmt::join(kept, " AND "));
    }
    if (const auto match = InsertMatch(c)) f["insertMatch"] = *match;

    // Lengths of text.
    if (to.length) {
        f["length"] = std::to_string(*to.length);
        // text and ntext take no LEN: their first 4000 characters stand in.
        const bool large = c.column && c.column->stored.large;
        const std::string text = large ? "CAST(" + f["c"] + " AS nvarchar(4000))" : f["c"];
        f["textLength"] = "LEN(" + text + ")";
        // Trailing blanks that LEN leaves out: whether the server keeps or
        // drops them when they do not fit is not known to this check.
        const bool variable = c.column && !c.column->stored.fixedLength;
        f["trailingBlanks"] =
            variable ? fmt::format("LEN({0}) <= {1} AND LEN({0} + N'x') - 1 > {1}", text, *to.length) : "";
        if (large && *to.length >= 4000) f["trailingBlanks"] = "LEN(" + text + " + N'x') - 1 >= 4000";
    }
    // The pieces of the text conditions, over the columns of the text taken
    // apart (RefusalQuestions.cpp, TextRows): q_t the text without blanks
    // around, in a binary collation; q_x the same, for money without a
    // leading $ or euro sign and its commas; q_s q_x without its sign; q_u 1
    // when the text holds a character whose meaning in a number is not
    // known (tab, line breaks, other scripts' digits, for money other
    // currency signs); q_p the place of the first point, q_e of the first
    // exponent letter, q_n of the first digit 1 to 9, q_l the length of q_x.
    // The classes name ASCII characters only; what lies beyond ASCII is
    // told by [^ -~] (any character outside the printable ASCII ones).
    const auto refusedCharacters = [](std::string_view disallowedAscii, std::string_view text) {
        return fmt::format("q_t LIKE N'%[{}]%' OR (q_u = 0 AND {} LIKE N'%[^ -~]%')", disallowedAscii, text);
    };
    // Allowed: blanks, signs and digits; for decimal also the point; for
    // float also the exponent letters; for money also $, commas and the euro.
    f["wholeRefusedCharacters"] = refusedCharacters("!-*,./:-~", "q_t");
    f["exactRefusedCharacters"] = refusedCharacters("!-*,/:-~", "q_t");
    f["floatRefusedCharacters"] = refusedCharacters("!-*,/:-CF-cf-~", "q_t") +
                                  " OR q_t LIKE N'%.%.%' OR (q_t <> N'' AND q_t NOT LIKE N'%[^ ' + NCHAR(10) + NCHAR(13) + N']%')";
    f["moneyRefusedCharacters"] = refusedCharacters("!-#%-*/:-~", "REPLACE(q_t, NCHAR(8364), N'')");
    // The rows that plainly convert (plain digits, well inside the type, or
    // an empty text where that converts): asked first, alone, so that the
    // full conditions are asked only of a column holding anything else.
    if (to.family == F::WholeNumber || to.family == F::Money) {
        const auto range = RangeOf(to);
        f["plain"] = fmt::format("q_t = N'' OR (q_t NOT LIKE N'%[^0-9]%' AND LEN(q_t) < {})", range->largest.size());
    } else if (to.family == F::ExactNumber) {
        f["plain"] = fmt::format("q_t <> N'' AND q_t NOT LIKE N'%[^0-9]%' AND LEN(q_t) <= {}", to.precision - to.scale);
    } else {
        f["plain"] = fmt::format(
            "q_t = N'' OR (q_t NOT LIKE N'%[^.0-9]%' AND q_t NOT LIKE N'%.%.%' AND q_t LIKE N'%[0-9]%' AND q_t NOT "
            "LIKE N'%.' AND LEN(q_t) < {})",
            to.base == "real" ? 38 : 300);
    }
    f["wholeShape"] = "(q_s <> N'' AND q_s NOT LIKE N'%[^0-9]%')";
    const auto decimalShape = [](std::string_view y) {
        return fmt::format("{0} NOT LIKE N'%[^.0-9]%' AND {0} NOT LIKE N'%.%.%' AND {0} LIKE N'%[0-9]%' AND {0} NOT "
                           "LIKE N'%.'",
                           y);
    };
    f["exactShape"] = "(" + decimalShape("q_s") + ")";
    const std::string mantissa = "LEFT(q_x, q_e - 1)", exponent = "SUBSTRING(q_x, q_e + 1, 4000)";
    f["floatShape"] = fmt::format(
        "((q_e = 0 AND {0}) OR (q_e > 0 AND (({1}) OR ({2} LIKE N'[-+]%' AND {3})) AND (({4} <> N'' AND {4} NOT "
        "LIKE N'%[^0-9]%') OR ({4} LIKE N'[-+]_%' AND SUBSTRING({4}, 2, 4000) NOT LIKE N'%[^0-9]%'))))",
        decimalShape("q_s"), decimalShape(mantissa), mantissa, decimalShape("SUBSTRING(" + mantissa + ", 2, 4000)"),
        exponent);
    f["exponentLength"] = "(q_l - q_e - CASE WHEN SUBSTRING(q_x, q_e + 1, 1) IN (N'+', N'-') THEN 1 ELSE 0 END)";
    // The digits before the point (or the exponent), leading zeros left out.
    const std::string beforePoint =
        "CASE WHEN q_p > 0 AND (q_e = 0 OR q_p < q_e) THEN q_p - 1 WHEN q_e > 0 THEN q_e - 1 ELSE q_l END";
    f["digitsBeforePoint"] =
        fmt::format("(CASE WHEN q_n = 0 OR q_n > {0} THEN 0 ELSE {0} - q_n + 1 END)", beforePoint);
    const bool real = to.base == "real";
    f["overDigits"] = real ? "40" : "310";
    f["exponentDigits"] = real ? "1" : "2";
    f["digitsBeforeExponent"] = real ? "28" : "200";
    f["fractionZeros"] = real ? "37" : "290";
    f["intDigits"] = std::to_string(to.precision - to.scale);
    f["scale"] = std::to_string(to.scale);
    if (to.family == F::ExactNumber && to.precision - to.scale < 38) {
        f["limit"] = PowerOfTen(to.precision - to.scale);
        f["largestExact"] = std::string(static_cast<std::size_t>(to.precision - to.scale), '9') +
                            (to.scale > 0 ? "." + std::string(static_cast<std::size_t>(to.scale), '9') : "");
        if (to.precision == to.scale) f["largestExact"] = "0." + std::string(static_cast<std::size_t>(to.scale), '9');
        // The smallest value that rounds up past the largest: 999.995 for decimal(5,2).
        f["roundingLimit"] = f["largestExact"] + (to.scale > 0 ? "5" : ".5");
    }
    if (const auto range = RangeOf(to)) {
        f["largest"] = range->largest;
        f["smallest"] = range->smallest;
        f["largestDigits"] = std::to_string(range->largest.size());
        f["largestPlusOne"] = Digits(range->largest, 1);
        f["smallestPlusOne"] = Digits(range->smallest, 1);
        const auto side = [](const std::string& bound) {
            return fmt::format("(q_l - q_n + 1 > {0} OR (q_l - q_n + 1 = {0} AND SUBSTRING(q_x, q_n, {0}) > N'{1}'))",
                               bound.size(), bound);
        };
        f["wholeOutOfRange"] = fmt::format("(q_n > 0 AND ((q_x NOT LIKE N'-%' AND {}) OR (q_x LIKE N'-%' AND {})))",
                                           side(range->largest),
                                           range->smallest == "0" ? "1 = 1" : side(range->smallest));
    }
    return f;
}

std::string Expand(std::string_view text, const std::map<std::string, std::string>& fields) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '{') {
            const auto close = text.find('}', i);
            if (close != std::string_view::npos) {
                const auto field = fields.find(std::string(text.substr(i + 1, close - i - 1)));
                if (field != fields.end()) {
                    out += field->second;
                    i = close;
                    continue;
                }
            }
        }
        out += text[i];
    }
    return out;
}

}  // namespace orvel
