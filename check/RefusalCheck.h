// Which statements of a planned run SQL Server would refuse because of the
// rows a database holds, and why.
//
// The check works in three steps, each a plain function, so that `check`
// asks a live database and tests can hand in answers of their own:
//
//   1. ReadPlannedChanges follows the planned statements over the catalogue
//      the run starts from and keeps the statements whose fate depends on
//      what the tables hold (ALTER COLUMN, keys, unique indexes, NOT NULL
//      columns added, inserts), with what the run did to the table before
//      (columns it added or filled, constraints it dropped, rows it deleted).
//      A statement that names a table or column the database lacks and the
//      run does not create is refused here already.
//   2. MetadataQuestion asks, in one batch, the types, nullability, defaults,
//      keys and indexes of the tables those statements touch.
//   3. DataQuestions turns each statement into conditions on the stored rows
//      (one batch per table: a row of counts, then up to five example rows
//      per condition) and Evaluate reads the answers into refusals.
//
// The questions use only what SQL Server 2000 to 2012 all answer: no
// TRY_CONVERT, no OFFSET/FETCH; conversions are judged with LIKE patterns,
// LEN and CASE.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "schema/CatalogueSnapshot.h"
#include "database/Database.h"

namespace orvel {

// A statement of the planned run, with the step that sends it.
struct PlannedStatement {
    std::optional<std::string> step;
    std::string sql;
};

// One row of a report's examples: the row's key values (or its first
// columns when the table has no key) and the value at fault.
struct RowExample {
    std::vector<std::pair<std::string, std::optional<std::string>>> key;
    std::optional<std::string> value;

    bool operator==(const RowExample&) const = default;
};

// A statement SQL Server is expected to refuse.
struct Refusal {
    std::size_t statementIndex = 0;  // its place in the plan
    std::optional<std::string> step;
    std::string statement;
    std::string rule;    // a short name: "not-null", "conversion", ...
    long error = 0;      // SQL Server's error number
    std::string reason;  // in plain words
    long rowsAtFault = 0;
    std::vector<RowExample> examples;
    std::string advice;
};

// What a run removes or replaces by design.
struct RunWarning {
    std::optional<std::string> step;
    std::string statement;
    std::string what;
    long rows = 0;
};

struct CheckReport {
    std::string product;
    std::vector<Refusal> refusals;
    std::vector<RunWarning> warnings;
    // Why the rows were not asked about (a database that is no SQL Server);
    // only the tables and columns it lacks were then checked.
    std::optional<std::string> rowsNotAsked;
};

// A column as the database defines it.  `type` is the type in lower case
// as a statement writes it: "int", "nvarchar(50)", "nvarchar(max)".
struct ColumnFacts {
    std::string name;
    std::string type;
    bool nullable = true;
    bool hasDefault = false;
};

// A key, unique constraint, index or foreign key over columns of a table.
struct KeyFacts {
    enum Kind { PrimaryKey, Unique, Index, ForeignKey, Referenced };
    std::string name;
    Kind kind = Index;
    std::vector<std::string> columns;
};

struct TableFacts {
    std::string name;
    std::vector<ColumnFacts> columns;
    std::vector<KeyFacts> keys;

    const ColumnFacts* column(const std::string& name) const;
};

// Tables by their name folded to lower case (A-Z only).
using TableMetadata = std::map<std::string, TableFacts>;

// One planned statement whose acceptance depends on what the table holds.
struct PlannedChange {
    enum Kind {
        AlterColumn,     // `columns`[0] to `type`, `notNull`
        AddPrimaryKey,   // over `columns`
        AddUnique,       // a unique constraint or unique index over `columns`
        AddColumn,       // `columns`[0] of `type`, `notNull`, `hasDefault`
        Insert,          // `columns` (empty: every column in order) = `values`
        DropTable,       // a table the run drops (a warning)
        DeleteRows,      // every row deleted (a warning when seeded again)
        FillColumn,      // an UPDATE setting `columns` on every row it matches
        DropKey,         // a constraint or index `keyName` dropped
    };
    Kind kind = AlterColumn;
    std::size_t index = 0;  // of the statement in the plan
    std::string table;
    std::vector<std::string> columns;
    std::vector<std::optional<std::string>> values;  // literals; nullopt for NULL or an expression
    std::string type;
    bool notNull = false;
    bool hasDefault = false;
    std::string keyName;
};

struct PlannedChanges {
    std::vector<PlannedStatement> statements;
    std::vector<PlannedChange> changes;
    // Tables holding rows before the run whose rows the questions ask about.
    std::vector<std::string> touchedTables;
    // Refused for the catalogue alone: a table or column the database lacks.
    std::vector<Refusal> refusals;
};

PlannedChanges ReadPlannedChanges(const CatalogueSnapshot& start, std::vector<PlannedStatement> plan);

// What an index or a unique constraint lets ALTER COLUMN do to a column it
// uses: keep it varchar, nvarchar or varbinary, no shorter.  Types in lower
// case without blanks ("nvarchar(50)").
bool KeepsVariableLengthType(const std::string& from, const std::string& to);

// One batch asking the columns, keys and indexes of `tables`;
// `catalogViews` for SQL Server 2005 and later (sys.indexes), else the
// system tables of SQL Server 2000.
std::string MetadataQuestion(const std::vector<std::string>& tables, bool catalogViews = true);
// Whether a server of this identity answers from catalog views.
bool HasCatalogViews(const std::optional<ServerIdentity>& server);
TableMetadata ReadMetadata(const std::vector<ResultSet>& answers);

// What is asked of one table's rows.
struct Probe {
    std::size_t change = 0;  // index into PlannedChanges::changes
    std::string rule;
    long error = 0;
    std::string reason;
    std::string advice;
    // Rows at fault: those matching `condition`, or, for `groupBy`, the rows
    // of every group of equal values that holds more than one.
    std::string condition;
    std::vector<std::string> groupBy;
    std::string valueExpression;  // what an example shows as the offending value
    bool refusedWithoutRows = false;  // refused whatever the table holds
};

struct TableQuestion {
    std::string table;
    std::vector<Probe> probes;
    std::vector<std::string> exampleKey;  // the columns examples name the row by
    std::vector<std::size_t> warnings;    // DropTable / DeleteRows changes counted here
    std::string sql;                      // one batch
};

std::vector<TableQuestion> DataQuestions(const PlannedChanges& planned, const TableMetadata& metadata);

// Adds the refusals and warnings the answers of one table's question show.
void Evaluate(const PlannedChanges& planned, const TableQuestion& question, const std::vector<ResultSet>& answers,
              CheckReport& report);

// The whole check on a database that answers reads: one metadata batch, then
// one batch per table.  `roundTrips`, when given, counts the reads.
CheckReport CheckPlannedRun(Database& db, const std::string& product, const CatalogueSnapshot& start,
                            std::vector<PlannedStatement> plan, int* roundTrips = nullptr);

// Why the database refused `sql` just now, as far as its rows and catalogue
// tell: the check of a plan of that one statement (one catalogue reading and
// the questions).  Empty when nothing explains it.
std::vector<Refusal> ExplainRefusal(Database& db, const std::string& sql);

// An example as one line: `key=value  ...  value "offending"`.
std::string ExampleText(const RowExample& example);

// The refusals as lines to add under the database's own message when it
// refused a statement: the reason, the rows and the advice of each.
std::string RefusalExplanation(const std::vector<Refusal>& refusals);

}  // namespace orvel
