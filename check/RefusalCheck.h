// Which statements of a planned run SQL Server would refuse because of what
// a database holds, and why.
//
// The check works in steps, each a plain function, so that `check` asks a
// live database and tests can hand in answers of their own:
//
//   1. ReadPlannedChanges (PlannedChanges.h) reads the planned statements
//      into changes: columns altered, keys and indexes made, rows inserted.
//   2. One batch asks which objects of another kind (procedures, functions,
//      synonyms...) hold names the plan uses, and the types, nullability,
//      defaults, keys and indexes of the tables holding rows that the run
//      changes (MetadataQuestion).
//   3. JudgeCatalogue follows the run over the catalogue it starts from and
//      refuses what the catalogue alone tells: a missing table or column,
//      a view or procedure where the run expects a table, the statement the
//      simulated run stopped at.
//   4. DataQuestions turns the rules (CheckRules.h) into one question per
//      table (a row of counts, and only where rows were found, up to five
//      example rows per condition) and Evaluate reads the answers into
//      refusals, what could not be judged, and warnings.
//
// No question stops the check: the questions convert no value (text is
// taken apart, numbers only compared) and name no column before the run
// adds it.  Should the server still refuse a question, the statements it
// was to judge are reported "not judged" with the server's reason.  The
// questions use only what SQL Server 2000 to 2012 all answer.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "check/CheckRules.h"
#include "check/PlannedChanges.h"
#include "database/Database.h"
#include "schema/CatalogueSnapshot.h"

namespace orvel {

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
    std::string table, column;  // what the statement changes; column empty when none, "A, B" for a key
    std::string rule;    // a short name: "not-null", "conversion", ...
    long error = 0;      // SQL Server's error number; 0 when the check does not know it
    std::string reason;  // in plain words
    long rowsAtFault = 0;
    std::vector<RowExample> examples;
    std::string advice;
};

// A statement whose fate the check cannot tell: rows hold values whose
// conversion is not known, or the server refused the question.  Reported,
// never guessed; a run goes on.
struct NotJudged {
    std::size_t statementIndex = 0;
    std::optional<std::string> step;
    std::string statement;
    std::string rule;
    std::string reason;
    long rows = 0;  // rows whose fate is not known; 0 when the question itself failed
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
    // What was checked: the server and database as the connection names
    // them, and what the server says it is.
    std::string server, database;
    std::optional<ServerIdentity> identity;
    std::vector<Refusal> refusals;
    std::vector<NotJudged> notJudged;
    std::vector<RunWarning> warnings;
    // Why the rows were not asked about (a database that is no SQL Server);
    // only what the catalogue tells was then checked.
    std::optional<std::string> rowsNotAsked;
};

// "SQL Server 2012 (11.00.3000)" from what a server says it is.
std::string ServerDescription(const ServerIdentity& identity);

// A column as the database defines it.  `type` is the type in lower case
// as a statement writes it: "int", "nvarchar(50)", "nvarchar(max)".
struct ColumnFacts {
    std::string name;
    std::string type;
    bool nullable = true;
    bool hasDefault = false;
};

struct TableFacts {
    std::string name;
    std::vector<ColumnFacts> columns;
    std::vector<KeyFacts> keys;
};

// What the first batch tells: the tables by their name folded to lower
// case (A-Z only), and the kind of every other object holding a name the
// plan uses ("procedure", "function", ...), by folded name.
// The facts of each table, by folded name.
using TableMetadata = std::map<std::string, TableFacts>;

struct Metadata {
    TableMetadata tables;
    std::map<std::string, std::string> otherObjects;
    // The rows each table holds, by folded name, when they were asked.
    std::map<std::string, long> rowCounts;
};

// How the questions are written for the server asked: its binary
// collation and where its keys and indexes are listed.
struct QuestionDialect {
    bool catalogViews = true;  // SQL Server 2005 and later: sys.indexes; else sysindexes
    std::string binaryCollation = "Latin1_General_BIN2";
};
QuestionDialect DialectFor(const std::optional<ServerIdentity>& server);

// The names of tables and views the plan uses.
std::vector<std::string> NamesUsed(const PlannedChanges& planned);

// One batch: the objects of another kind named `names`, then the columns,
// keys and indexes of `tables` and, `withRows`, how many rows each holds
// (which is all a table the run only drops or empties needs).
std::string MetadataQuestion(const std::vector<std::string>& tables, const std::vector<std::string>& names,
                             const QuestionDialect& dialect, bool withRows = true);
Metadata ReadMetadata(const std::vector<ResultSet>& answers);

// What the catalogue alone tells, and what is left to ask of the rows.
struct CatalogueJudgement {
    std::vector<Refusal> refusals;
    std::vector<NotJudged> notJudged;
    // Changes of tables that held rows before the run, in plan order.
    std::vector<std::size_t> rowChanges;
    // Those tables, in the order first changed.
    std::vector<std::string> touchedTables;
};

// `otherObjects` none: they could not be asked (`whyNot` says why), and
// statements that create a table or view are not judged for them.
CatalogueJudgement JudgeCatalogue(const PlannedChanges& planned, const CatalogueSnapshot& start,
                                  const std::optional<std::map<std::string, std::string>>& otherObjects,
                                  const std::string& whyNot = {});

// What is asked of one table's rows for one rule.
struct Probe {
    std::size_t change = 0;  // index into PlannedChanges::changes
    const CheckRule* row = nullptr;  // the rule it asks
    std::string rule;
    long error = 0;
    std::string reason;
    std::string advice;
    CheckRule::Source source = CheckRule::Rows;
    std::string column;               // the column a TextValue or MoneyText source takes apart
    std::string plain;                // TextValue, MoneyText: rows that plainly convert, asked first
    std::string refused;              // rows SQL Server refuses; empty: none
    std::string unsure;               // rows whose fate is not known; empty: none
    bool grouped = false;             // Groups: rows of every group of equal values that holds more than one
    std::string groupBy;              // the key columns grouped by; empty: every row in one group
    std::string valueExpression;      // what an example shows as the offending value
    bool refusedWithoutRows = false;  // Always: refused whatever the table holds
};

struct TableQuestion {
    std::string table;
    std::vector<Probe> probes;
    std::vector<std::string> exampleKey;  // the columns examples name the row by
    std::vector<std::size_t> warnings;    // DropTable / DeleteRows / Insert changes counted here
    std::string sql;                      // one batch
};

std::vector<TableQuestion> DataQuestions(const PlannedChanges& planned, const CatalogueJudgement& judged,
                                         const Metadata& metadata, const QuestionDialect& dialect = {});

// The counts of one table's question: the rows, then r<n> (refused) and
// u<n> (not judged) of every probe over the table's rows, and c<n> for
// every probe over text: the rows that are not plainly numbers.
std::string DataSql(const TableQuestion& question, const QuestionDialect& dialect);
// For the probes over text whose c<n> `counts` found rows, r<n> and u<n>,
// in one pass over each column taken apart; empty when none found any.
std::string TextCountsSql(const TableQuestion& question, const std::vector<ResultSet>& counts,
                          const QuestionDialect& dialect);
// Up to five example rows of every condition `counts` found rows for, one
// result set each; empty when none found any.
std::string ExamplesSql(const TableQuestion& question, const std::vector<ResultSet>& counts,
                        const QuestionDialect& dialect);

// Adds the refusals, the not judged and the warnings the answers of one
// table's question show: the counts, then the example sets.
void Evaluate(const PlannedChanges& planned, const TableQuestion& question, const std::vector<ResultSet>& answers,
              CheckReport& report);

// The whole check on a database that answers reads.  `roundTrips`, when
// given, counts the reads.
CheckReport CheckPlannedRun(Database& db, const std::string& product, const CatalogueSnapshot& start,
                            std::vector<PlannedStatement> plan, std::optional<SimulatedStop> stop = {},
                            int* roundTrips = nullptr);

// Why the database refused `sql` just now, as far as its rows and catalogue
// tell: the check of a plan of that one statement (one catalogue reading and
// the questions).  Empty when nothing explains it.
std::vector<Refusal> ExplainRefusal(Database& db, const std::string& sql);

// An example as one line: `key=value  ...  value "offending"`.
std::string ExampleText(const RowExample& example);

// The refusals as lines to add under the database's own message when it
// refused a statement: the reason, the rows and the advice of each.
std::string RefusalExplanation(const std::vector<Refusal>& refusals);

// What could not be judged, as lines for standard error and the record.
std::string NotJudgedText(const std::vector<NotJudged>& notJudged);

// Kept for tests of other parts: the type texts' facts compared.
bool KeepsVariableLengthType(const std::string& from, const std::string& to);

}  // namespace orvel
