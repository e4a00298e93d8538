// The ODBC adapter against a real driver: the SQLite ODBC driver on a fresh
// database file per test.
//
// Data written can only be checked through the interface (it returns no
// rows), so the tables that receive text carry CHECK constraints: a value
// that arrives altered makes the insert fail.  char(1610, 1705) is YEH and
// KEHEH built from their code points, independent of any encoding.
#include <algorithm>
#include <cstdlib>
#include <functional>
#include <optional>

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "schema/CataloguePicture.h"
#include "database/OdbcDatabase.h"

namespace orvel {
namespace {

using Strings = std::vector<std::string>;

const std::string kYehKeheh = "\xD9\x8A\xDA\xA9";         // U+064A U+06A9
const std::string kFarsiYehKaf = "\xDB\x8C\xD9\x83";      // U+06CC U+0643: the look-alikes
const std::string kPersianColumn = "\xD8\xB3\xD8\xB1\xDB\x8C";  // a column name in Persian letters

Strings sorted(Strings names) {
    std::sort(names.begin(), names.end());
    return names;
}

class SqliteOdbc : public testing::Test {
protected:
    void SetUp() override { db.open(connectionString()); }

    std::string connectionString() const {
        return "DRIVER={SQLite3};Database=" + OdbcValue((directory.path() / "test.db").string());
    }

    // The message of the error `action` raises; fails the test when none.
    template <typename Action>
    DatabaseError errorOf(Action action) {
        try {
            action();
        } catch (const DatabaseError& e) {
            return e;
        }
        ADD_FAILURE() << "no DatabaseError";
        return DatabaseError("", "");
    }

    test::TempDir directory;
    OdbcDatabase db;
};

TEST_F(SqliteOdbc, ListsTablesAndViewsAndNothingElse) {
    db.execute("create table Alpha(ID integer)");
    db.execute("create table beta(ID integer, Name text)");
    db.execute("create view V_Gamma as select ID from Alpha");
    db.execute("create index IX_Alpha on Alpha(ID)");
    db.execute("create trigger TR_Alpha after insert on Alpha begin select 1; end");
    // No AUTOINCREMENT here: it makes SQLite create sqlite_sequence, which
    // this driver reports with the type TABLE, as it does user tables.
    EXPECT_EQ(sorted(db.tableNames()), (Strings{"Alpha", "V_Gamma", "beta"}));
}

TEST_F(SqliteOdbc, ListsTheColumnsOfOneTableOnly) {
    db.execute("create table Alpha(ID integer, Name text, [TO] integer, Amount real)");
    db.execute("create view V_Alpha as select Name from Alpha");
    // Each asked-for name next to a table whose name it matches as a pattern.
    db.execute("create table AXFASQ(Wrong integer)");
    db.execute("create table A_FASQ(ID integer)");
    db.execute("create table PX1(Wrong integer)");
    db.execute("create table [P%1](ID integer)");
    db.execute("create table [K\\X1](Wrong integer)");
    db.execute("create table [K\\_1](ID integer)");
    const struct {
        const char* table;
        Strings columns;
    } cases[] = {
        {"Alpha", {"ID", "Name", "TO", "Amount"}},
        {"ALPHA", {"ID", "Name", "TO", "Amount"}},
        {"V_Alpha", {"Name"}},
        {"A_FASQ", {"ID"}},
        {"P%1", {"ID"}},
        {"K\\_1", {"ID"}},
        {"A_FAS_", {}},
        {"%", {}},
        {"Missing", {}},
        {"", {}},
    };
    for (const auto& c : cases) EXPECT_EQ(db.columnNames(c.table), c.columns) << c.table;
}

TEST_F(SqliteOdbc, ReadsTheWholeCatalogueAsNameByNameReadsWould) {
    db.execute("create table Alpha(ID integer, Name text, [TO] integer, " + kPersianColumn + " real)");
    db.execute("create view V_Alpha as select Name from Alpha");
    db.execute("create table AXFASQ(Wrong integer)");
    db.execute("create table A_FASQ(ID integer)");
    db.execute("create table [P%1](ID integer)");
    const CatalogueListing whole = db.readCatalogue();
    // The default reading: the table list, then one column call per name.
    EXPECT_EQ(whole, db.Database::readCatalogue());
    EXPECT_EQ(whole.objects.size(), 5u);
    EXPECT_EQ(whole.objects[1], (ListedObject{"V_Alpha", ObjectKind::View}));
}

TEST_F(SqliteOdbc, ThePictureAnswersAsTheDriverAfterEveryOperation) {
    db.execute("attach database '" + (directory.path() / "test.db").string() + "' as dbo");
    db.execute("create table AXFASQ(ID integer, Wrong integer)");
    db.execute("create view V_Report as select ID from AXFASQ");
    CataloguePicture picture(db);
    test::RecordingDisplay display;
    Progress progress(display);
    SchemaOperations schema(picture, progress, [] { return DatabaseKind::SqlServer; });
    const std::vector<std::function<void()>> operations = {
        [&] { schema.CreateTableIfMissing("A_FASQ", "ID", "Integer PRIMARY KEY"); },
        [&] { schema.AddColumnIfMissing("a_fasq", "[TO]", "Integer PRIMARY KEY"); },
        [&] { schema.AddColumnIfMissing("A_FASQ", "Wrong", "nvarchar(50)"); },
        [&] { schema.send("create view V_FASQ as select ID, [TO] from A_FASQ"); },
        [&] { schema.send("drop view V_Report"); },
        [&] { schema.DropTableIfPresent("AXFASQ"); },
    };
    for (std::size_t i = 0; i < operations.size(); ++i) {
        operations[i]();
        EXPECT_EQ(sorted(picture.tableNames()), sorted(db.tableNames())) << "after operation " << i + 1;
        for (const auto& name : {"A_FASQ", "AXFASQ", "V_Report", "V_FASQ"})
            EXPECT_EQ(picture.columnNames(name), db.columnNames(name)) << name << " after operation " << i + 1;
    }
}

TEST_F(SqliteOdbc, ReadsLongAndPersianNamesExactly) {
    const std::string longName(300, 'c');
    db.execute("create table Names(" + longName + " integer, " + kPersianColumn + " text)");
    EXPECT_EQ(db.columnNames("Names"), (Strings{longName, kPersianColumn}));
}

TEST_F(SqliteOdbc, RaisesTheDriversDiagnostics) {
    const auto error = errorOf([&] { db.execute("SELEC 1"); });
    EXPECT_EQ(error.errorClass(), "OdbcError");
    EXPECT_EQ(std::string(error.what()), "[SQLite]near \"SELEC\": syntax error (1)");
    EXPECT_EQ(error.sqlState(), "HY000");
    EXPECT_EQ(error.nativeCode(), 1);
}

TEST_F(SqliteOdbc, ExecutesAndRaisesEveryFailingStatementOfABatch) {
    db.execute("create table T(ID integer primary key)");
    db.execute("insert into T values(1)");
    db.execute("delete from T where ID = 42");  // no row touched is still success
    db.execute("select * from T");              // rows are discarded
    // This driver runs several statements in one call only for some
    // statement kinds; whatever it refuses or fails must surface.
    const struct {
        const char* sql;
        const char* message;
    } cases[] = {
        {"create table W(ID integer); SELEC", "near \"SELEC\": syntax error"},
        {"insert into T values(2); insert into T values(3)", "only one SQL statement allowed"},
        {"insert into T values(1)", "UNIQUE constraint failed"},
    };
    for (const auto& c : cases) {
        const auto error = errorOf([&] { db.execute(c.sql); });
        EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << c.sql << ": " << error.what();
    }
}

TEST_F(SqliteOdbc, BindsNamedParametersInMarkerOrder) {
    db.execute("create table Pairs(A text check (A = 'one'), B text check (B = 'two'), C text check (C = ''))");
    db.executeQuery("insert into Pairs(B, A, C) values(:Two, :one, :empty)",
                    {{"one", "one"}, {"empty", ""}, {"two", "two"}});
    db.execute("create table Twice(A text, B text, check (A = B and A = 'same'))");
    db.executeQuery("insert into Twice(A, B) values(:v, :V)", {{"v", "same"}});
    db.executeQuery("insert into Twice(A, B) values('same', 'same')");

    const auto missing = errorOf([&] { db.executeQuery("insert into Pairs(A) values(:nope)", {{"one", "one"}}); });
    EXPECT_EQ(missing.errorClass(), "ParameterError");
    const auto altered = errorOf([&] { db.executeQuery("insert into Pairs(A, B, C) values(:a, 'two', '')", {{"a", "one "}}); });
    EXPECT_EQ(altered.errorClass(), "OdbcError");
}

TEST_F(SqliteOdbc, SendsPersianTextExactly) {
    db.execute("create table Texts(V text check (V = char(1610, 1705)))");
    db.executeQuery("insert into Texts(V) values(:v)", {{"v", kYehKeheh}});
    db.execute("insert into Texts(V) values('" + kYehKeheh + "')");
    db.execute("create table Wide(V text check (V = char(128512)))");
    db.executeQuery("insert into Wide(V) values(:v)", {{"v", "\xF0\x9F\x98\x80"}});  // U+1F600, a surrogate pair
    // The look-alike letters are different text: the check tells them apart.
    EXPECT_THROW(db.executeQuery("insert into Texts(V) values(:v)", {{"v", kFarsiYehKaf}}), DatabaseError);
    EXPECT_THROW(db.execute("insert into Texts(V) values('" + kFarsiYehKaf + "')"), DatabaseError);
}

TEST_F(SqliteOdbc, SendsAndReadsLongTextsWhole) {
    // Up to the longest nvarchar(n) a parameter is bound as a text of that
    // length, beyond it as a long text; past 65,535 bytes the lengths no
    // longer fit 16 bits.  Each is bound, read back and measured by the
    // driver.
    db.execute("create table Long(ID int, V text)");
    const std::size_t letters[] = {1, 4000, 4001, 70000};
    for (const std::size_t count : letters) {
        SCOPED_TRACE(std::to_string(count) + " letters");
        std::string text;
        for (std::size_t i = 0; i < count; ++i) text += i % 2 ? "x" : "\xD9\x8A";  // YEH and x in turn
        db.executeQuery("insert into Long(ID, V) values(" + std::to_string(count) + ", :v)", {{"v", text}});
        const auto read = db.readResults("select V, length(V) from Long where ID = " + std::to_string(count));
        ASSERT_EQ(read.size(), 1u);
        ASSERT_EQ(read[0].rows.size(), 1u);
        EXPECT_EQ(read[0].rows[0][0].value_or("").size(), text.size());
        EXPECT_TRUE(read[0].rows[0][0] == text) << "came back changed";
        EXPECT_EQ(read[0].rows[0][1], std::to_string(count));
    }
}

TEST_F(SqliteOdbc, ReadsEveryResultSetWithNullsAndPersianText) {
    db.execute("create table T(ID int, V text)");
    db.executeQuery("insert into T values(1, :v)", {{"v", kYehKeheh}});
    db.execute("insert into T values(2, NULL)");
    const auto results = db.readResults("select ID, V as Value from T order by ID");
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].columns, (Strings{"ID", "Value"}));
    EXPECT_EQ(results[0].rows, (std::vector<ResultSet::Row>{{"1", kYehKeheh}, {"2", std::nullopt}}));
    // A value longer than one fetch buffer arrives whole.
    EXPECT_EQ(db.readResults("select printf('%.600c', 'x')")[0].rows[0][0], std::string(600, 'x'));
    EXPECT_EQ(db.readResults("select ID from T where ID > 5")[0].rows.size(), 0u);
    EXPECT_THROW(db.readResults("select Missing from T"), DatabaseError);
}

TEST_F(SqliteOdbc, RefusesEmptyTextsClosedConnectionsAndBadUtf8) {
    EXPECT_EQ(errorOf([&] { db.execute(""); }).errorClass(), "CommandTextError");
    EXPECT_EQ(errorOf([&] { db.execute("select '\xFF'"); }).errorClass(), "TextEncodingError");
    db.close();
    EXPECT_FALSE(db.isOpen());
    EXPECT_EQ(errorOf([&] { db.execute("select 1"); }).errorClass(), "ConnectionError");
    EXPECT_EQ(errorOf([&] { db.executeQuery("select :a", {{"a", "1"}}); }).errorClass(), "ConnectionError");
    EXPECT_EQ(errorOf([&] { db.tableNames(); }).errorClass(), "ConnectionError");
    EXPECT_EQ(errorOf([&] { db.columnNames("T"); }).errorClass(), "ConnectionError");
    EXPECT_EQ(errorOf([&] { db.readResults("select 1"); }).errorClass(), "ConnectionError");
    db.open(connectionString());
    EXPECT_TRUE(db.isOpen());
}

TEST_F(SqliteOdbc, OpeningFailsWithTheReasonAndLeavesItClosed) {
    const auto noDriver = errorOf([&] { db.open("DRIVER={Orvel No Such Driver};Database=x"); });
    EXPECT_EQ(noDriver.errorClass(), "OdbcError");
    EXPECT_NE(std::string(noDriver.what()).find("Orvel No Such Driver"), std::string::npos) << noDriver.what();
    EXPECT_FALSE(noDriver.sqlState().empty());
    EXPECT_FALSE(db.isOpen());
    const auto provider = errorOf([&] { db.open("Provider=MSDASQL.1;Data Source=x"); });
    EXPECT_EQ(provider.errorClass(), "ConnectionTextError");
    EXPECT_FALSE(db.isOpen());
}

// The schema operations of every step, against the real driver.  Attaching
// the database file a second time as "dbo" lets SQLite take the statements
// in their SQL Server form (create table dbo.X).
TEST_F(SqliteOdbc, SchemaOperationsWorkAgainstTheDriver) {
    db.execute("attach database '" + (directory.path() / "test.db").string() + "' as dbo");
    db.execute("create table AXFASQ(ID integer, Wrong integer)");
    db.execute("create view V_Report as select ID from AXFASQ");
    test::RecordingDisplay display;
    Progress progress(display);
    SchemaOperations schema(db, progress, [] { return DatabaseKind::SqlServer; });

    // Each operation repeated: sending its statement twice would fail.
    for (int round = 0; round < 2; ++round) {
        schema.CreateTableIfMissing("A_FASQ", "ID", "Integer PRIMARY KEY");
        schema.AddColumnIfMissing("A_FASQ", "Wrong", "nvarchar(50)");
        schema.AddColumnIfMissing("a_fasq", "[TO]", "Integer PRIMARY KEY");
        schema.AlterColumnIfPresent("A_FASQ", "Missing", "money");
        schema.CreateTableIfMissing("v_report", "ID", "integer");
    }
    EXPECT_EQ(db.columnNames("A_FASQ"), (Strings{"ID", "Wrong", "TO"}));
    EXPECT_EQ(schema.CountTables(), 3);
    EXPECT_EQ(schema.CountColumns("A_FASQ"), 3);
    EXPECT_EQ(errorOf([&] { schema.AlterColumnIfPresent("A_FASQ", "Wrong", "money"); }).errorClass(), "OdbcError");

    schema.DropTableIfPresent("a_fasq");
    schema.DropTableIfPresent("A_FASQ");
    EXPECT_EQ(sorted(db.tableNames()), (Strings{"AXFASQ", "V_Report"}));
}

// Sets an environment variable for the life of the object.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        set(value);
    }
    ~ScopedVariable() { set(old_ ? old_->c_str() : nullptr); }

private:
    void set(const char* value) {
#ifdef _WIN32
        _putenv_s(name_, value ? value : "");
#else
        if (value)
            setenv(name_, value, 1);
        else
            unsetenv(name_);
#endif
    }
    const char* name_;
    std::optional<std::string> old_;
};

TEST(OdbcDriverPreferences, ListsInstalledDriversAndTheEnvironmentsChoice) {
    ScopedVariable sqlServer(kSqlServerDriverVariable, "Orvel Test Driver");
    ScopedVariable access(kAccessDriverVariable, "");
    const auto preferences = OdbcDatabase::DriverPreferences();
    EXPECT_TRUE(ContainsNameIgnoreCase("SQLite3", preferences.installedDrivers));
    EXPECT_EQ(preferences.sqlServerDriver, "Orvel Test Driver");
    EXPECT_EQ(preferences.accessDriver, std::nullopt);
    EXPECT_EQ(OdbcDatabase::ConnectionStringFor("Initial Catalog=Velora"),
              "Driver={Orvel Test Driver};Server=(local);Database=Velora");
}

}  // namespace
}  // namespace orvel
