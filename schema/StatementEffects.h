// What a statement does to the tables, views and columns a catalogue lists.
//
// One reading of statement texts serves both the catalogue simulator, which
// applies the change to its catalogue, and the catalogue picture, which
// keeps its copy of a real database's catalogue exact without asking it
// again.  The shapes read exactly are the ones the steps send: CREATE TABLE
// (with or without a column list), CREATE VIEW (with or without one), ALTER
// TABLE ... ADD columns, DROP TABLE and DROP VIEW, the last two also behind
// an IF OBJECT_ID('name') IS [NOT] NULL guard.  Everything else is sorted
// into statements that cannot change a table, view or column name (data
// statements, declarations, ALTER COLUMN, constraints, indexes, procedures,
// functions, triggers, and the bodies of modules, which creating a module
// does not run) and statements that may (sp_rename, EXEC of anything,
// SELECT ... INTO a table, DROP COLUMN, ALTER SCHEMA, USE, and any other
// CREATE, ALTER or DROP): in doubt, a statement may.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvel {

struct CatalogueChange {
    enum Kind {
        CreateTable,  // `columns`: the column definitions, constraints left out
        CreateView,   // `columns` when the view names them; else columnsKnown is false
        AlterView,    // the view's columns may change
        AddColumns,   // `columns` added to table `name`
        DropTable,
        DropView,
    };
    enum Guard {
        Unguarded,
        IfMissing,  // IF OBJECT_ID('name') IS NULL ...
        IfPresent,  // IF OBJECT_ID('name') IS NOT NULL ...
    };

    Kind kind = CreateTable;
    std::string name;                   // brackets and quotes off, schema off
    std::optional<std::string> schema;  // as the statement qualifies the name
    std::vector<std::string> columns;   // brackets and quotes off
    // For CreateTable and AddColumns: what follows each column's name in its
    // definition ("nvarchar(50) NOT NULL"), as written; one per column.
    std::vector<std::string> definitions;
    bool columnsKnown = true;
    Guard guard = Unguarded;
    // The server's answer to a definition it cannot take (a column without
    // a type, an empty column list entry); empty when the shape is sound.
    std::string fault;
};

// A column whose type an ALTER TABLE ... ALTER COLUMN changes.
struct AlteredColumn {
    std::string table;       // brackets and quotes off, schema off
    std::string column;      // brackets and quotes off
    std::string definition;  // what follows the column's name, as written

    bool operator==(const AlteredColumn&) const = default;
};

struct StatementEffect {
    // The change read from the statement's shape, when it has one of the
    // shapes read exactly.
    std::optional<CatalogueChange> change;
    // The statement may create, drop or rename a table, view or column in a
    // way `change` does not describe.
    bool mayChangeMore = false;
    // Every ALTER COLUMN anywhere in the statement, behind an IF or not, in
    // order (none of them changes a name).
    std::vector<AlteredColumn> alteredColumns;
};

StatementEffect ReadStatementEffect(std::string_view sql);

}  // namespace orvel
