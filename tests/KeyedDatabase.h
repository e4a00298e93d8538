// A SQL Server's rules about keys, indexes and column alterations, kept by a
// decorator over the catalogue simulator, which knows tables and columns only.
//
// The double reads every statement before the simulator gets it and follows
// what a server would hold: each column's type and nullability, and the
// primary keys, unique constraints, foreign keys and indexes.  A statement a
// server would reject is sent on to the simulator marked to fail with the
// server's message, so it ends the run and stands in the statement log like
// any other rejection.  The rules (messages after the server's):
//
// - ALTER COLUMN is refused on a column that a primary key or a foreign key
//   depends on (its own columns or the ones it refers to), even when nothing
//   would change; an index or a unique constraint allows it only when the
//   column stays varchar, nvarchar or varbinary and does not get shorter.
// - A primary key needs NOT NULL columns and is one per table; a constraint
//   name is one per database, an index name one per table; a foreign key
//   needs a primary key, a unique constraint or a unique index on exactly
//   the columns it refers to; every named column must exist.
// - An unguarded drop needs its object; a table that a foreign key refers
//   to cannot be dropped.
//
// Statement shapes read (letter case and blanks free, names with or without
// brackets or "dbo."): CREATE TABLE with column definitions (NOT NULL,
// PRIMARY KEY, UNIQUE, IDENTITY) and table-level PRIMARY KEY (...) or
// UNIQUE (...); DROP TABLE; ALTER TABLE ADD columns, ADD CONSTRAINT name
// PRIMARY KEY | UNIQUE | FOREIGN KEY (...) [REFERENCES t (...)], ALTER COLUMN
// c type [NOT NULL], DROP CONSTRAINT; CREATE [UNIQUE] [NONCLUSTERED] INDEX
// ... ON t (...) [INCLUDE (...)] [WITH (...)] [ON [PRIMARY]]; DROP INDEX i ON t.
// A batch is read statement by statement (split at semicolons), and a guard
// covers the one statement after it, as on a server.  Guards read:
//
//   IF OBJECT_ID('x') IS [NOT] NULL            x a table or a constraint
//   IF [NOT] EXISTS (SELECT 1|*|name FROM sys.<view> WHERE c AND c ...)
//     sys.columns:      name='c', object_id=object_id('t') (both required),
//                       is_nullable=0|1, type_name(user_type_id)='int'|...,
//                       max_length=n (known for int and (n)(var)char(n),
//                       (var)binary(n) only)
//     sys.indexes:      name='i' (required), object_id=object_id('t');
//                       a primary key's or unique constraint's index counts
//     sys.foreign_keys: name='f'
//
// A column's type is its type text in lower case without blanks, as the
// statement gave it ("integer", "nvarchar(50)"); type_name() calls integer
// int.  A column takes NULL unless its definition says NOT NULL, PRIMARY KEY
// or IDENTITY or a table-level primary key names it; ALTER COLUMN sets both
// type and nullability anew.  Statements that change no schema (data
// statements, declarations) pass unread.  Anything else that creates, alters
// or drops, and any guard in front of such a statement that is not one of the
// shapes above, throws std::logic_error: the test fails rather than the
// double guessing.  It does not check that an altered column exists (a
// product may expect older columns the simulator does not hold) and knows no
// data, so it cannot see rejections that depend on rows.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "schema/CatalogueSimulator.h"
#include "database/ForwardingDatabase.h"
#include "schema/Progress.h"
#include "schema/SchemaOperations.h"
#include "schema/TableStep.h"

namespace orvel::test {

// A primary key, unique constraint, foreign key or index; names in lower case.
struct KeyOrIndex {
    enum Kind { PrimaryKey, Unique, ForeignKey, UniqueIndex, Index };

    std::string name, table;
    std::vector<std::string> columns;
    std::vector<std::string> included;  // an index's INCLUDE columns
    Kind kind;
    std::string referencedTable;  // a foreign key's
    std::vector<std::string> referencedColumns;

    bool operator==(const KeyOrIndex&) const = default;
};

struct ColumnFacts {
    std::string type;  // "nvarchar(50)"
    bool nullable;

    bool operator==(const ColumnFacts&) const = default;
};

// What the double knows: tables with their columns, keys and indexes, every
// name in lower case.
struct KeyedCatalogue {
    std::map<std::string, std::map<std::string, ColumnFacts>> tables;
    std::vector<KeyOrIndex> keysAndIndexes;
};

class KeyedDatabase : public ForwardingDatabase {
public:
    // `inner` must be empty: everything the double knows comes from the
    // statements it reads.
    explicit KeyedDatabase(CatalogueSimulator& inner);

    // Ordered by table, then name.
    std::vector<KeyOrIndex> keysAndIndexes() const;

protected:
    void doExecute(const std::string& sql) override;
    void doExecuteQuery(const std::string& sql, const Parameters& parameters) override;

private:
    template <typename Send>
    void judgeThenSend(const std::string& sql, Send send);

    CatalogueSimulator& inner_;
    KeyedCatalogue catalogue_;
};

// Schema operations for SQL Server on a keyed database that starts empty.
struct KeyedRun {
    KeyedRun() : keyed(db), progress(display), schema(keyed, progress, [] { return DatabaseKind::SqlServer; }) {
        keyed.open("test");
    }
    // Sends the statements in order; returns the 1-based index of the one
    // rejected, 0 when every one passes.
    int send(const std::vector<std::string>& statements);
    // Runs the steps in order; returns "<step>: <message>" for the step whose
    // statement was rejected, empty when every step completes.
    std::string runSteps(const std::vector<TableStep>& steps);

    CatalogueSimulator db;
    KeyedDatabase keyed;
    SilentDisplay display;
    Progress progress;
    SchemaOperations schema;
};

}  // namespace orvel::test
