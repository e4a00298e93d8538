// The schema operations against a real SQL Server, opt-in: set
// ORVEL_TEST_ODBC to a connection string (ODBC, or a connection text the
// adapter translates).  Without it every test here is reported as skipped.
//
// The tests create tables with names of their own in the dbo schema of that
// database and drop them again.
#include <chrono>
#include <cstdlib>

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "schema/OdbcDatabase.h"

namespace orvel {
namespace {

using Strings = std::vector<std::string>;

class LiveSqlServer : public testing::Test {
protected:
    void SetUp() override {
        const char* connection = std::getenv("ORVEL_TEST_ODBC");
        if (!connection || !*connection)
            GTEST_SKIP() << "ORVEL_TEST_ODBC is not set: set it to the ODBC connection string of a SQL Server "
                            "database to run the live suite";
        db.open(connection);
    }

    void TearDown() override {
        if (!db.isOpen()) return;
        for (const auto& table : created) {
            try {
                db.execute("IF OBJECT_ID('dbo." + table + "') IS NOT NULL DROP TABLE dbo." + table);
            } catch (const DatabaseError&) {
                // Leave the rest to be cleaned; the test already reported.
            }
        }
    }

    // A table name no other run uses; `prefix` may hold "_".
    std::string tableName(const std::string& prefix) {
        static const auto stamp = std::chrono::system_clock::now().time_since_epoch().count() % 1000000000;
        created.push_back(prefix + std::to_string(stamp) + "_" + std::to_string(created.size()));
        return created.back();
    }

    OdbcDatabase db;
    Strings created;
};

TEST_F(LiveSqlServer, SchemaOperationsBringATableToShapeOnce) {
    const std::string table = tableName("Orvel_T");
    const std::string decoy = "OrvelXT" + table.substr(7);
    created.push_back(decoy);
    db.execute("create table dbo." + decoy + "(Wrong int)");
    test::RecordingDisplay display;
    Progress progress(display);
    SchemaOperations schema(db, progress, [] { return DatabaseKind::SqlServer; });

    for (int round = 0; round < 2; ++round) {
        schema.CreateTableIfMissing(table, "ID", "Integer PRIMARY KEY");
        schema.AddColumnIfMissing(table, "Wrong", "nvarchar(50)");
        schema.AddColumnIfMissing(table, "[TO]", "bit");
        schema.AlterColumnIfPresent(table, "Wrong", "nvarchar(100)");
        schema.AlterColumnIfPresent(table, "Missing", "money");
    }
    EXPECT_EQ(db.columnNames(table), (Strings{"ID", "Wrong", "TO"}));
    EXPECT_EQ(db.columnNames(decoy), Strings{"Wrong"});
    EXPECT_TRUE(schema.TableExists(table));

    schema.DropTableIfPresent(table);
    schema.DropTableIfPresent(table);
    EXPECT_FALSE(ContainsNameIgnoreCase(table, db.tableNames()));
    EXPECT_EQ(db.columnNames(table), Strings{});
}

TEST_F(LiveSqlServer, SendsPersianTextExactlyAndRaisesLaterErrorsOfABatch) {
    const std::string table = tableName("Orvel_P");
    db.execute("create table dbo." + table + "(V nvarchar(10) check (V = NCHAR(1610) + NCHAR(1705)))");
    const std::string yehKeheh = "\xD9\x8A\xDA\xA9";
    db.executeQuery("insert into dbo." + table + "(V) values(:v)", {{"v", yehKeheh}});
    db.execute("insert into dbo." + table + "(V) values(N'" + yehKeheh + "')");
    EXPECT_THROW(db.executeQuery("insert into dbo." + table + "(V) values(:v)", {{"v", "\xDB\x8C\xD9\x83"}}),
                 DatabaseError);

    try {
        db.execute("select 1\rRAISERROR('orvel batch check', 16, 1)");
        ADD_FAILURE() << "the error of the batch's second statement was lost";
    } catch (const DatabaseError& e) {
        EXPECT_EQ(e.errorClass(), "OdbcError");
        EXPECT_NE(std::string(e.what()).find("orvel batch check"), std::string::npos) << e.what();
        EXPECT_EQ(e.nativeCode(), 50000);
    }
}

}  // namespace
}  // namespace orvel
