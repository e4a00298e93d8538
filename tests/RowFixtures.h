// Tables holding rows, for the live suites that upgrade filled databases.
//
// A FixtureTable describes a table of an older database as data: its columns
// with their SQL types, and which columns hold a key (never NULL, one value
// per row).  SampleRows fills it with rows that reach the edges of every
// type (the longest Persian text a column holds, empty text, NULL, the
// largest and smallest numbers, a plain value); InsertBatch sends a whole
// database of them as one batch.  A TableDump is what a table holds, read
// through Database::readResults with its rows in a fixed order, so that two
// dumps compare with a readable list of what differs.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "database/Database.h"

namespace orvel::test {

struct FixtureColumn {
    std::string name;
    std::string type;  // as in a CREATE TABLE: "nvarchar(50)", "money"
    bool key = false;  // never NULL, a different value in every row
};

struct FixtureTable {
    std::string name;
    std::vector<FixtureColumn> columns;
    bool filled = true;  // false: created empty
};

// "create table [name] ([c1] type1, ...)".
std::string CreateStatement(const FixtureTable& table);

// Rows of SQL literals, one per column: the longest values, the empty or
// smallest ones, NULLs, and an ordinary row (integers 2, a solar date in
// ten-character text); key columns hold 1, 2, 3... or N'ک1', N'ک2'...
std::vector<std::vector<std::string>> SampleRows(const FixtureTable& table);

// Creates every table and inserts its sample rows, as one batch.
std::string CreateAndFillBatch(const std::vector<FixtureTable>& tables);

// A column as the server lists it, with its type spelled as SQL: the type a
// CAST to it gives back unchanged.
struct ServerColumn {
    std::string name;
    std::string type;  // "nvarchar(50)", "nvarchar(max)", "int", "decimal(18,2)"
};

// The columns of each of `tables`, in their order, from one read; a table
// the database lacks has none.
std::vector<std::vector<ServerColumn>> ServerColumns(Database& database, const std::vector<std::string>& tables);

// The base tables of the database, in name order.
std::vector<std::string> BaseTables(Database& database);

struct TableDump {
    std::string table;
    std::vector<std::string> columns;
    std::vector<ResultSet::Row> rows;  // sorted, so that dumps compare whatever order the server read
};

// One dump per SELECT of `selects`, all read in one batch.
std::vector<TableDump> Dump(Database& database, const std::vector<std::string>& tables,
                            const std::vector<std::string>& selects);

// "SELECT * FROM t" for each table, in one batch.
std::vector<TableDump> DumpWhole(Database& database, const std::vector<std::string>& tables);

// What differs between two dumps of a table, one line per row: a row whose
// first value both hold with other values changed ("T row ID = '1': CK was
// '2', is '7';"), a row lost, a row gained; empty when both hold the same
// rows.
std::string RowDifference(const TableDump& expected, const TableDump& actual);

// The rows of `after` that `before` lacks (counted with repeats).
std::vector<ResultSet::Row> RowsAdded(const TableDump& before, const TableDump& after);

// "('1', NULL, 'يکی...' (50 characters))": long values cut short.
std::string RowText(const ResultSet::Row& row);

}  // namespace orvel::test
