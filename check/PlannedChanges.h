// The planned statements read into what they do to tables, columns, keys
// and rows: the input of the check's rules.
//
// ReadPlannedChanges reads every statement of a batch by the table of
// statement shapes (StatementShapes.cpp): each shape is a row, a pattern of
// words and parts ({table}, {column}, {type}, {columns}, {values}, ...) and
// the change it makes.  A statement behind an IF is marked guarded: the
// server decides whether it runs.  Nothing here knows the database; the
// catalogue and the rows are judged by the rules afterwards.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace orvel {

// A statement of the planned run, with the step that sends it.
struct PlannedStatement {
    std::optional<std::string> step;
    std::string sql;
};

// What a planned run's simulation met: the statement the simulated
// database refused and its message.  The run stops there, so nothing after
// it is planned.
struct SimulatedStop {
    std::size_t statementIndex = 0;
    std::string message;
};

// One change a planned statement makes.
struct PlannedChange {
    enum Kind {
        AlterColumn,    // `columns`[0] to `type`, `notNull`
        AddPrimaryKey,  // over `columns`
        AddUnique,      // a unique constraint or unique index over `columns`
        AddIndex,       // an index that is not unique, over `columns`
        AddColumn,      // `columns`[0] of `type`, `notNull`, `hasDefault`
        AlterTable,     // any other ALTER TABLE of `table` (a foreign key, a check, a default)
        Insert,         // `columns` (empty: every column in order) = `values`
        InsertSelect,   // an INSERT of rows a query gives
        DropTable,      // a table the run drops
        DeleteRows,     // every row deleted
        FillColumn,     // an UPDATE setting `columns` on every row it matches
        DropKey,        // a constraint or index `keyName` dropped
        CreateTable,
        CreateView,
        DropView,
    };
    // How the server decides whether a guarded statement runs.
    enum Guard {
        Unguarded,
        IfObjectPresent,  // IF OBJECT_ID('table') IS NOT NULL: any object of that name
        IfObjectMissing,  // IF OBJECT_ID('table') IS NULL
        OtherGuard,       // any other IF: the server decides
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
    Guard guard = Unguarded;
    // The error SQL Server gives when the table is missing, by the
    // statement's shape (4902 ALTER TABLE, 1088 CREATE INDEX, 208 INSERT).
    long missingTableError = 0;
};

struct PlannedChanges {
    std::vector<PlannedStatement> statements;
    std::vector<PlannedChange> changes;
    std::optional<SimulatedStop> stop;
};

PlannedChanges ReadPlannedChanges(std::vector<PlannedStatement> plan, std::optional<SimulatedStop> stop = {});

}  // namespace orvel
