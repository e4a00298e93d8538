// What a database lacks against a product's table steps: the tables they
// would create and the columns they would add; and the columns whose type,
// length or nullability differ from what the product creates.
//
// The tables and columns come from the table steps of the product's step
// list themselves (the table, the first column and the add entries), tested
// against the catalogue with the name tests the schema operations use, so a
// table or column counts as present exactly when a run would find it.
// Object steps and further statements do not take part: they are sent on
// every run whatever the database holds.  A step list naming a step this
// program lacks is refused rather than judged on the steps it has.
//
// What the product creates is what a run on an empty SQL Server database
// leaves: the run is planned on the simulator and its statements read in
// order (CREATE TABLE and ALTER TABLE ADD define a column, ALTER COLUMN,
// guarded or not, redefines it, DROP TABLE forgets the table), each
// definition read as schema/ColumnDefinition.h reads it.  The database's
// columns are those the check's metadata question reads (INFORMATION_SCHEMA,
// so SQL Server 2000 answers too); a column differs when no column of that
// name in a table of that name (any schema, a view counting as the table of
// its name) has the same type, length and nullability.  Types are compared
// only on a database that says it is SQL Server; a snapshot file holds no
// types.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "check/RefusalCheck.h"
#include "schema/CatalogueSnapshot.h"
#include "schema/ColumnDefinition.h"

namespace orvel {

struct MissingTable {
    std::string table;
    std::string step;                  // the first step that names it
    std::vector<std::string> columns;  // as the database would list them
};

struct MissingColumn {
    std::string table;
    std::string column;  // as the database would list it
    std::string type;    // the catalogue's type text
    std::string step;
};

struct DifferentColumn {
    std::string table;   // as the product's statements name it
    std::string column;
    std::string step;    // the step whose statement last defined it
    DeclaredColumn product;
    DeclaredColumn database;
    std::vector<std::string> differences;  // "type", "length", "nullability"
};

struct Drift {
    std::string product;
    std::vector<MissingTable> tables;
    std::vector<MissingColumn> columns;
    std::vector<DifferentColumn> differentColumns;
    // Why the types were not compared; nothing when they were.
    std::optional<std::string> typesNotCompared;

    bool nothingMissing() const { return tables.empty() && columns.empty(); }
    bool nothingFound() const { return nothingMissing() && differentColumns.empty(); }
};

// The tables and columns missing; `columnTypes` (the database's, by table)
// adds the columns that differ, or else `typesNotCompared` says why not.
Drift FindDrift(const std::string& productId, const CatalogueSnapshot& catalogue,
                const std::optional<TableMetadata>& columnTypes, const std::string& typesNotCompared);

// The tables the product's table steps name, each once.
std::vector<std::string> ProductTables(const std::string& productId);

// The columns a run on an empty SQL Server database leaves, in the order
// they were made.
struct ProductColumn {
    std::string table;
    std::string column;
    std::string step;
    DeclaredColumn declared;
};
std::vector<ProductColumn> ProductColumns(const std::string& productId);

// For people: a heading line, then one line per missing table, missing
// column and column that differs.
std::string FormatDriftTable(const Drift& drift);
// For tools: {"product", "missingTables": [...], "missingColumns": [...],
// "differentColumns": [{"table", "column", "step", "product", "database",
// "differences"}], "typesCompared", "typesNotCompared"}, each column
// definition as {"type", "nullable"}.
std::string FormatDriftJson(const Drift& drift);

}  // namespace orvel
