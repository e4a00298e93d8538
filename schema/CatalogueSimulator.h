// An in-memory database that knows tables, views and their columns.
//
// It answers the table and column lists from its catalogue (the whole
// catalogue in one round trip too), applies every statement shape the steps
// send that creates or drops a table or view or adds a column, and records
// every other statement without effect.  Like a
// server it rejects what cannot be applied (creating an existing table,
// adding a column to a missing table or a second time, an unguarded drop of
// a missing table, a drop of a table that is a view or of a view that is a
// table, guarded by OBJECT_ID or not).  It records every statement, counts round trips, can
// wait a fixed time per round trip (benchmarks) and can be told to fail
// (tests of error paths).
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "schema/CatalogueSnapshot.h"
#include "database/Database.h"
#include "database/StatementLog.h"

namespace orvel {

class CatalogueSimulator : public Database {
public:
    explicit CatalogueSimulator(CatalogueSnapshot catalogue = {});

    void open(const std::string& connectionText) override;
    void close() override;
    bool isOpen() const override { return open_; }
    std::vector<std::string> tableNames() override;
    std::vector<std::string> columnNames(const std::string& table) override;
    // The tables, then the views, as tableNames() lists them.
    std::optional<std::vector<ListedObject>> listedObjects() override;
    CatalogueListing readCatalogue() override;

    const CatalogueSnapshot& catalogue() const noexcept { return catalogue_; }
    const std::vector<StatementRecord>& statements() const noexcept { return statements_; }
    void clearStatements() { statements_.clear(); }
    const std::vector<std::string>& openedWith() const noexcept { return openedWith_; }
    int closeCount() const noexcept { return closeCount_; }
    // Every list asked for counts one: the table list, a column list, the
    // whole catalogue.
    int catalogueReads() const noexcept { return catalogueReads_; }

    // Every later round trip (list or statement) waits this long first.
    void setRoundTripDelay(std::chrono::microseconds delay) { delay_ = delay; }
    // The k-th statement from now on (1 = the next) is rejected with `message`.
    void failStatement(int k, std::string message);
    // Every statement containing `fragment` is rejected with `message`.
    void failStatementsContaining(std::string fragment, std::string message);
    // The next open is rejected with `message`.
    void failNextOpen(std::string message);

protected:
    void doExecute(const std::string& sql) override;
    void doExecuteQuery(const std::string& sql, const Parameters& parameters) override;

private:
    void roundTrip();
    void catalogueRoundTrip();
    std::vector<ListedObject> objects() const;
    std::vector<std::string> columnsOf(const std::string& table) const;
    void send(Sender via, const std::string& sql, const Parameters& parameters);
    void apply(const std::string& sql);

    CatalogueSnapshot catalogue_;
    bool open_ = false;
    std::vector<StatementRecord> statements_;
    std::vector<std::string> openedWith_;
    int closeCount_ = 0;
    int catalogueReads_ = 0;
    std::chrono::microseconds delay_{0};
    std::optional<std::pair<int, std::string>> failAt_;
    std::vector<std::pair<std::string, std::string>> failFragments_;
    std::optional<std::string> failOpen_;
};

}  // namespace orvel
