// The tables of an older version of a product's database, worked out from
// the product's own table steps, for suites that upgrade databases holding
// rows.
//
// An older version lacks every third table of the list (the run creates it)
// and has the others as the run creates them, the first column with the
// step's own type and key; in them it lacks every second column the steps
// add (the run adds it).  It always has the columns a later statement of the step changes the
// type of (with the older type, where one is given) and the columns a key,
// an index or a NOT NULL alter of the step is about: those are key columns,
// a different value in every row, as a database the product kept holds
// them.  Tables given whole by a CREATE statement (the columns an older
// version created and no step adds) take the place of the derived ones.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "RowFixtures.h"

namespace orvel::test {

struct OlderVersion {
    std::string product;
    // "TABLE.COLUMN" -> the type an older version gave the column, where the
    // run changes it.
    std::map<std::string, std::string> olderTypes;
    // Tables an older version created whole, as CREATE statements.
    std::vector<std::string> createdWhole;
    // Tables created but left without rows.
    std::vector<std::string> leftEmpty;
    // Tables the older version has wherever they stand in the list.
    std::vector<std::string> alwaysPresent;
    // "TABLE.COLUMN": columns a statement of the run keys that an older
    // version left NULL in some rows, for the run to fill.
    std::vector<std::string> filledByTheRun;
};

std::vector<FixtureTable> OlderProductTables(const OlderVersion& version);

// A table from "create table NAME (col type, col type PRIMARY KEY, ...)",
// each column as written; a column with PRIMARY KEY or NOT NULL is a key
// column.
FixtureTable FixtureTableFromCreate(const std::string& create);

}  // namespace orvel::test
