// The database interface over the ODBC API (unixODBC, or Windows' own
// driver manager).  No ODBC type is visible outside OdbcDatabase.cpp.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "database/Database.h"
#include "database/OdbcConnectionString.h"

namespace orvel {

class OdbcDatabase : public Database {
public:
    OdbcDatabase();
    ~OdbcDatabase() override;
    OdbcDatabase(const OdbcDatabase&) = delete;
    OdbcDatabase& operator=(const OdbcDatabase&) = delete;

    // Accepts an ADO-style connection text (translated) or an ODBC string.
    void open(const std::string& connectionText) override;
    void close() override;
    bool isOpen() const override;
    // SQL_DBMS_NAME and SQL_DBMS_VER, as the driver answered when it opened.
    std::optional<ServerIdentity> serverIdentity() const override;
    // SQL_ATTR_CURRENT_CATALOG, as the driver keeps it.
    std::optional<std::string> currentDatabase() const override;
    // Another OdbcDatabase, with an environment of its own.
    std::unique_ptr<Database> newSession() const override;
    // SQLCancel on the statement under way, from any thread.
    void cancel() noexcept override;

    std::vector<std::string> tableNames() override;
    std::vector<std::string> columnNames(const std::string& table) override;
    // TABLE_TYPE and TABLE_SCHEM of each row of the table list.
    std::optional<std::vector<ListedObject>> listedObjects() override;
    // The table list, then every column in one SQLColumns call with the
    // pattern "%"; names that call cannot answer exactly are asked one by one.
    CatalogueListing readCatalogue() override;

    // The drivers installed and the environment's driver choices.
    static OdbcDriverPreferences DriverPreferences();
    // The ODBC string `open` would use for this text on this machine.
    static std::string ConnectionStringFor(const std::string& connectionText);

protected:
    void doExecute(const std::string& sql) override;
    void doExecuteQuery(const std::string& sql, const Parameters& parameters) override;
    // Every result set, count of rows changed, and the driver's
    // informational diagnostics (the server's messages) of each result.
    void doExecuteAnswered(const std::string& sql, const AnswerReceiver& answered) override;
    std::vector<ResultSet> doReadResults(const std::string& sql) override;

private:
    struct Handles;
    std::unique_ptr<Handles> handles_;
};

}  // namespace orvel
