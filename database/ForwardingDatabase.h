// A database in front of another that passes every call on to it: the base
// of the decorators (the statement log, the safety copy, the test bridges),
// each of which overrides only what it changes.
#pragma once

#include "database/Database.h"

namespace orvel {

class ForwardingDatabase : public Database {
public:
    explicit ForwardingDatabase(Database& inner) : inner_(inner) {}

    void open(const std::string& connectionText) override { inner_.open(connectionText); }
    void close() override { inner_.close(); }
    bool isOpen() const override { return inner_.isOpen(); }
    std::optional<ServerIdentity> serverIdentity() const override { return inner_.serverIdentity(); }
    std::optional<std::string> currentDatabase() const override { return inner_.currentDatabase(); }
    std::unique_ptr<Database> newSession() const override { return inner_.newSession(); }
    void cancel() noexcept override { inner_.cancel(); }
    std::vector<std::string> tableNames() override { return inner_.tableNames(); }
    std::vector<std::string> columnNames(const std::string& table) override { return inner_.columnNames(table); }
    std::optional<std::vector<ListedObject>> listedObjects() override { return inner_.listedObjects(); }
    CatalogueListing readCatalogue() override { return inner_.readCatalogue(); }

protected:
    void doExecute(const std::string& sql) override { inner_.execute(sql); }
    void doExecuteQuery(const std::string& sql, const Parameters& parameters) override {
        inner_.executeQuery(sql, parameters);
    }
    std::vector<ResultSet> doReadResults(const std::string& sql) override { return inner_.readResults(sql); }

private:
    Database& inner_;
};

}  // namespace orvel
