// Reading a catalogue snapshot from a database: one reading of the whole
// catalogue; names the database lists more than once, ignoring the case of
// A-Z, become one entry, so that the snapshot keeps every column the schema
// operations would see (a JSON object cannot hold a name twice).
#include <gtest/gtest.h>

#include "schema/CatalogueReader.h"
#include "schema/CatalogueSimulator.h"

namespace orvel {
namespace {

TEST(CatalogueReader, ReadsEachNameOnceWithEveryColumnListedUnderIt) {
    const struct {
        const char* what;
        const char* database;
        const char* snapshot;
    } cases[] = {
        {"tables and views", R"({"tables": {"A": ["ID", "Name"], "B": []}, "views": {"V": ["ID"]}})",
         R"({"tables": {"A": ["ID", "Name"], "B": []}, "views": {"V": ["ID"]}})"},
        {"a table and a view of one name", R"({"tables": {"X": ["a"]}, "views": {"x": ["b"]}})",
         R"({"tables": {"X": ["a", "b"]}, "views": {}})"},
        {"two views of one name", R"({"tables": {}, "views": {"V": ["a"], "v": ["b"]}})",
         R"({"tables": {}, "views": {"V": ["a", "b"]}})"},
    };
    for (const auto& c : cases) {
        CatalogueSimulator database(CatalogueSnapshot::FromJson(c.database));
        database.open("database");
        const CatalogueSnapshot read = ReadCatalogueSnapshot(ReadOnlyCatalogue(database));
        EXPECT_EQ(read, CatalogueSnapshot::FromJson(c.snapshot)) << c.what << "\n" << read.ToJson();
        EXPECT_EQ(database.catalogueReads(), 1) << c.what;
        EXPECT_TRUE(database.statements().empty()) << c.what;

        CatalogueSimulator loaded(read);
        loaded.open("snapshot");
        for (const auto& name : database.tableNames())
            EXPECT_EQ(loaded.columnNames(name), database.columnNames(name)) << c.what << ": " << name;
    }
}

}  // namespace
}  // namespace orvel
