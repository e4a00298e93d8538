// The idempotent schema operations every step is built from.
//
// Each operation first asks the database it is given what exists (a fresh
// name list per call: the connection itself, or the catalogue picture in
// front of it, which answers as a reading at that moment would) and sends
// its statement only when it is still needed, so a run can be repeated on a
// database of any older version.  The operations drive the progress display
// and read the chosen database kind live, as the window's option is read at
// the moment it is needed.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "database/Database.h"
#include "database/DatabaseKind.h"
#include "database/NameMatching.h"
#include "schema/Progress.h"

namespace orvel {

class SchemaOperations {
public:
    using KindSource = std::function<DatabaseKind()>;

    SchemaOperations(Database& db, Progress& progress, KindSource databaseKind);

    Database& database() noexcept { return db_; }
    Progress& progress() noexcept { return progress_; }
    bool sqlServerChosen() const { return databaseKind_() == DatabaseKind::SqlServer; }

    // The table of the running table step; it keeps its last value.
    const std::string& CurrentTableName() const noexcept { return currentTableName_; }
    void setCurrentTableName(std::string table) { currentTableName_ = std::move(table); }

    int CountTables();
    int CountColumns(const std::string& table);
    bool TableExists(const std::string& table);

    void CreateTableIfMissing(const std::string& table, const std::string& firstColumn,
                              const std::string& firstType);
    void AddColumnIfMissing(const std::string& table, const std::string& column,
                            const std::string& type);
    void AlterColumnIfPresent(const std::string& table, const std::string& column,
                              const std::string& type);
    void DropTableIfPresent(const std::string& table);

    // Sends through the command object, as every statement of a run is sent.
    void send(const std::string& sql) { db_.execute(sql); }
    // Sends through the query object, with named text parameters.
    void sendQuery(const std::string& sql, const Parameters& parameters = {}) {
        db_.executeQuery(sql, parameters);
    }

private:
    Database& db_;
    Progress& progress_;
    KindSource databaseKind_;
    std::string currentTableName_;
};

}  // namespace orvel
