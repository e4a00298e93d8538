// The ODBC adapter against a live server (TDS through FreeTDS on the T-SQL
// engine that ./test starts, or the SQL Server ORVEL_TEST_ODBC names): the
// schema operations, Persian text both ways, the errors of a batch, the
// answers a driver gives to statements that return nothing, and texts,
// results and numbers past 16- and 32-bit bounds.  Each test works in a
// scratch database of its own.
#include <gtest/gtest.h>

#include "LiveServer.h"
#include "TestSupport.h"
#include "database/OdbcDatabase.h"

namespace orvel {
namespace {

using Strings = std::vector<std::string>;

const std::string kYehKeheh = "\xD9\x8A\xDA\xA9";  // U+064A U+06A9

class LiveOdbcAdapter : public testing::Test {
protected:
    void SetUp() override {
        ORVEL_SKIP_WITHOUT_LIVE_SERVER();
        scratch.emplace("orvel_live_adapter_");
        db.open(scratch->connectionString());
    }

    std::optional<test::ScratchDatabase> scratch;
    OdbcDatabase db;
};

TEST_F(LiveOdbcAdapter, SchemaOperationsBringATableToShapeOnce) {
    // "_" in a catalogue search pattern matches any character: the decoy's
    // column must not count as the table's.
    const std::string table = "Orvel_T", decoy = "OrvelXT";
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
    // SQL Server lists the name as created; the engine lists it lower-cased.
    EXPECT_TRUE(ContainsNameIgnoreCase(table, db.tableNames()));

    schema.DropTableIfPresent(table);
    schema.DropTableIfPresent(table);
    EXPECT_FALSE(ContainsNameIgnoreCase(table, db.tableNames()));
    EXPECT_EQ(db.columnNames(table), Strings{});
}

TEST_F(LiveOdbcAdapter, PersianTextRoundTripsExactly) {
    // In a statement (an N'' literal) and as a bound parameter; the server
    // is asked for the code points it stored, so no client decoding hides a
    // change.  A Persian column name comes back through the catalogue.
    const std::string column = "\xD9\x86\xD8\xA7\xD9\x85";  // نام
    db.execute("create table dbo.Persian(ID int, V nvarchar(10), [" + column + "] int)");
    db.executeQuery("insert into dbo.Persian(ID, V) values(1, :v)", {{"v", kYehKeheh}});
    db.execute("insert into dbo.Persian(ID, V) values(2, N'" + kYehKeheh + "')");

    test::ServerSession session(scratch->connectionString());
    const auto rows = session.rows(
        "select ID, unicode(substring(V, 1, 1)), unicode(substring(V, 2, 1)), len(V), V from dbo.Persian order by ID");
    ASSERT_EQ(rows.size(), 2u);
    for (const auto& row : rows) {
        EXPECT_EQ(row[1], "1610") << "row " << *row[0];
        EXPECT_EQ(row[2], "1705") << "row " << *row[0];
        EXPECT_EQ(row[3], "2") << "row " << *row[0];
        EXPECT_EQ(row[4], kYehKeheh) << "row " << *row[0];
    }
    // The engine's catalogue answers a column name in a one-byte code page
    // (Persian letters come back as "?"); SQL Server's keeps it.
    if (!test::LiveServerIsTsqlEngine()) {
        EXPECT_EQ(db.columnNames("Persian"), (Strings{"ID", "V", column}));
    }
}

TEST_F(LiveOdbcAdapter, ReportsTheErrorOfALaterStatementOfABatch) {
    try {
        db.execute("select 1\rRAISERROR('orvel batch check', 16, 1)");
        ADD_FAILURE() << "the error of the batch's second statement was lost";
    } catch (const DatabaseError& e) {
        EXPECT_EQ(e.errorClass(), "OdbcError");
        EXPECT_NE(std::string(e.what()).find("orvel batch check"), std::string::npos) << e.what();
        EXPECT_EQ(e.nativeCode(), 50000);
    }
    EXPECT_THROW(db.execute("select * from OrvelNoSuchTable"), DatabaseError);
}

TEST_F(LiveOdbcAdapter, StatementsThatReturnNothingSucceed) {
    // FreeTDS answers DDL and an update of no rows with SQL_NO_DATA, a PRINT
    // with SQL_SUCCESS_WITH_INFO: all are success.
    const char* statements[] = {
        "create table dbo.Quiet(ID int)",
        "update dbo.Quiet set ID = 2 where ID = 1",
        "delete from dbo.Quiet",
        "print 'orvel'",
        "if object_id('dbo.Quiet') is not null drop table dbo.Quiet",
    };
    for (const char* sql : statements) EXPECT_NO_THROW(db.execute(sql)) << sql;
    EXPECT_FALSE(ContainsNameIgnoreCase("Quiet", db.tableNames()));
}

TEST_F(LiveOdbcAdapter, ReadsEveryResultSetOfABatch) {
    // A batch that starts with a declaration (no result), then two result
    // sets; Persian text and NULL come back as stored.
    db.execute("create table dbo.Rows(ID int, V nvarchar(10))");
    db.execute("insert into dbo.Rows values(1, N'" + kYehKeheh + "'), (2, NULL)");
    const auto results = db.readResults(
        "DECLARE @n int; SET @n = (SELECT COUNT(*) FROM dbo.Rows); "
        "SELECT @n AS Counted; SELECT ID, V FROM dbo.Rows ORDER BY ID");
    ASSERT_EQ(results.size(), 2u);
    EXPECT_EQ(results[0].columns, Strings{"Counted"});
    EXPECT_EQ(results[0].rows, std::vector<ResultSet::Row>{{"2"}});
    EXPECT_EQ(results[1].rows, (std::vector<ResultSet::Row>{{"1", kYehKeheh}, {"2", std::nullopt}}));
    EXPECT_THROW(db.readResults("SELECT Missing FROM dbo.Rows"), DatabaseError);
}

TEST_F(LiveOdbcAdapter, TellsWhichServerItIs) {
    const auto identity = db.serverIdentity();
    ASSERT_TRUE(identity.has_value());
    EXPECT_NE(identity->product.find("SQL Server"), std::string::npos) << identity->product;
    EXPECT_FALSE(identity->version.empty());
}

TEST_F(LiveOdbcAdapter, ACatalogueThatDoesNotExistIsRefusedWithTheServersMessage) {
    OdbcDatabase other;
    try {
        other.open(scratch->connectionString() + "_missing");
        ADD_FAILURE() << "opened a database that does not exist";
    } catch (const DatabaseError& e) {
        EXPECT_EQ(e.errorClass(), "OdbcError");
        EXPECT_NE(std::string(e.what()).find(scratch->name() + "_missing"), std::string::npos) << e.what();
    }
    EXPECT_FALSE(other.isOpen());
}

// `piece` `times` times over.
std::string Repeated(std::string_view piece, std::size_t times) {
    std::string text;
    text.reserve(piece.size() * times);
    for (std::size_t i = 0; i < times; ++i) text += piece;
    return text;
}

TEST_F(LiveOdbcAdapter, LongTextsComeBackWhole) {
    // Lengths past the bounds where a length stops fitting a smaller
    // integer: the longest nvarchar(n), 16 bits of bytes, and texts of
    // 100,000 bytes and more.  Each is stored as a bound parameter (its
    // length passed as SQLLEN) and inside the statement (a statement text
    // that long), and read back in pieces through SQLGetData (each piece's
    // length an SQLLEN).  The 32-bit programs have 4-byte SQLLEN, size_t
    // and pointers: the i386 build runs this too.
    const std::string kLetterOutsideTheBmp = "\xF0\x9D\x90\x80";  // U+1D400, a surrogate pair in UTF-16
    struct Case {
        const char* what;
        std::string text;
        std::optional<int> length;  // as the server's len() counts; not asked where servers count differently
    };
    const Case cases[] = {
        {"4,000 letters, the longest nvarchar(n)", std::string(4000, 'a'), 4000},
        {"4,001 letters", std::string(4001, 'a'), 4001},
        {"32,767 Persian letters, 65,534 bytes", Repeated(kYehKeheh, 16383) + "\xD9\x8A", 32767},
        {"32,768 Persian letters, 65,536 bytes", Repeated(kYehKeheh, 16384), 32768},
        {"70,000 letters, Latin and Persian: 105,000 bytes in UTF-8, 140,000 in UTF-16", Repeated("ab" + kYehKeheh, 17500), 70000},
        {"a letter outside the BMP across the adapter's first and second piece",
         std::string(254, 'a') + kLetterOutsideTheBmp + std::string(300, 'b'), std::nullopt},
    };
    db.execute("create table dbo.Long(ID int, V nvarchar(max))");
    int id = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const int bound = ++id, literal = ++id;
        db.executeQuery("insert into dbo.Long(ID, V) values(" + std::to_string(bound) + ", :v)", {{"v", c.text}});
        db.execute("insert into dbo.Long(ID, V) values(" + std::to_string(literal) + ", N'" + c.text + "')");
        for (const int row : {bound, literal}) {
            const auto results = db.readResults("select V, len(V) from dbo.Long where ID = " + std::to_string(row));
            ASSERT_EQ(results.size(), 1u);
            ASSERT_EQ(results[0].rows.size(), 1u);
            const auto& read = results[0].rows[0];
            ASSERT_TRUE(read[0].has_value()) << "row " << row;
            EXPECT_EQ(read[0]->size(), c.text.size()) << "row " << row;
            EXPECT_TRUE(*read[0] == c.text) << "row " << row << " came back changed";
            if (c.length) {
                EXPECT_EQ(read[1], std::to_string(*c.length)) << "row " << row;
            }
        }
    }
}

TEST_F(LiveOdbcAdapter, ManyRowsAndLargeNumbersComeBackWhole) {
    // A result of more rows than 16 bits count, every row in order; and
    // numbers on both sides of the 32-bit bounds, as the server prints them.
    db.execute("create table dbo.Digits(D int)");
    db.execute("insert into dbo.Digits values(0), (1), (2), (3), (4), (5), (6), (7), (8), (9)");
    const auto many = db.readResults(
        "select N from (select a.D + 10 * b.D + 100 * c.D + 1000 * d.D + 10000 * e.D as N "
        "from dbo.Digits a cross join dbo.Digits b cross join dbo.Digits c cross join dbo.Digits d "
        "cross join dbo.Digits e) numbers where N < 70000 order by N");
    ASSERT_EQ(many.size(), 1u);
    ASSERT_EQ(many[0].rows.size(), 70000u);
    for (std::size_t i = 0; i < many[0].rows.size(); ++i) {
        if (many[0].rows[i] != ResultSet::Row{std::to_string(i)}) {
            ADD_FAILURE() << "row " << i << " came back as " << many[0].rows[i][0].value_or("NULL");
            break;
        }
    }

    const Strings numbers = {"2147483647", "2147483648", "-2147483648", "-2147483649",
                             "4294967295", "4294967296", "9223372036854775807", "-9223372036854775808"};
    std::string select;
    for (const auto& number : numbers) select += (select.empty() ? "select " : ", ") + ("cast(" + number + " as bigint)");
    const auto large = db.readResults(select);
    ASSERT_EQ(large.size(), 1u);
    ASSERT_EQ(large[0].rows.size(), 1u);
    EXPECT_EQ(large[0].rows[0], ResultSet::Row(numbers.begin(), numbers.end()));
}

}  // namespace
}  // namespace orvel
