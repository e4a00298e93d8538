// The schema operations, statement for statement as the steps rely on them.
#include "schema/SchemaOperations.h"

#include <utility>

namespace orvel {

SchemaOperations::SchemaOperations(Database& db, Progress& progress, KindSource databaseKind)
    : db_(db), progress_(progress), databaseKind_(std::move(databaseKind)) {}

int SchemaOperations::CountTables() { return static_cast<int>(db_.tableNames().size()); }

int SchemaOperations::CountColumns(const std::string& table) {
    return static_cast<int>(db_.columnNames(table).size());
}

bool SchemaOperations::TableExists(const std::string& table) {
    return ContainsNameIgnoreCase(table, db_.tableNames());
}

void SchemaOperations::CreateTableIfMissing(const std::string& table, const std::string& firstColumn,
                                            const std::string& firstType) {
    progress_.showTableName(table);
    if (TableExists(table)) return;
    std::string sql = "create table dbo." + table;
    if (sqlServerChosen()) sql += "( " + firstColumn + "  " + firstType + ")";
    send(sql);
}

void SchemaOperations::AddColumnIfMissing(const std::string& table, const std::string& column,
                                          const std::string& type) {
    progress_.showFieldName(column);
    const auto columns = db_.columnNames(table);
    std::string sentType = type;
    if (sqlServerChosen()) {
        // Takes out the words PRIMARY KEY (eleven characters from the first
        // upper-case "PRIMARY"); whatever follows them stays.
        if (auto at = sentType.find("PRIMARY"); at != std::string::npos) sentType.erase(at, 11);
    }
    if (!ContainsNameIgnoreCase(ColumnTestName(column), columns))
        send("ALTER TABLE " + table + " ADD " + column + " " + sentType);
    progress_.advanceTableGauge();
}

void SchemaOperations::AlterColumnIfPresent(const std::string& table, const std::string& column,
                                            const std::string& type) {
    const auto columns = db_.columnNames(table);
    if (ContainsNameIgnoreCase(ColumnTestName(column), columns))
        send("ALTER TABLE " + table + " ALTER COLUMN " + column + " " + type);
    progress_.advanceTableGauge();
}

void SchemaOperations::DropTableIfPresent(const std::string& table) {
    progress_.showTableName(table);
    if (TableExists(table)) send("drop table " + table);
}

}  // namespace orvel
