// What a run names before it changes anything, and the server's own
// databases it refuses: the release of a SQL Server version, the sentence
// and the record's line for each kind of target, and a run on a system
// database stopped before anything is sent, whether the connection named
// that database or landed in it.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "upgrade/RunDriver.h"
#include "upgrade/RunTarget.h"
#include "products/StepLists.h"

namespace orvel {
namespace {

using Strings = std::vector<std::string>;

// A connection that says what it is and which database it is in; with
// `sessions`, the sessions it makes (for the run lock) say the same.
class ReportingSession : public CatalogueSimulator {
public:
    ReportingSession(std::optional<ServerIdentity> identity, std::optional<std::string> database, bool sessions = true)
        : identity_(std::move(identity)), database_(std::move(database)), sessions_(sessions) {}

    std::optional<ServerIdentity> serverIdentity() const override { return identity_; }
    std::optional<std::string> currentDatabase() const override { return isOpen() ? database_ : std::nullopt; }
    std::unique_ptr<Database> newSession() const override {
        if (!sessions_) return nullptr;
        return std::make_unique<ReportingSession>(identity_, database_, false);
    }

protected:
    // The lock is granted: "0".
    std::vector<ResultSet> doReadResults(const std::string&) override { return {{{""}, {{"0"}}}}; }

private:
    std::optional<ServerIdentity> identity_;
    std::optional<std::string> database_;
    bool sessions_;
};

const ServerIdentity kSqlServer2014{"Microsoft SQL Server", "12.00.2000"};

// A driver of the office-automation run on `db`, each step sending one
// statement, with records of its own.
struct PelsaRun {
    explicit PelsaRun(Database& db) : progress(display), driver(db, progress, stepsSendingOne(), options, &records) {}

    static const StepRegistry& stepsSendingOne() {
        static const StepRegistry registry = [] {
            StepRegistry steps;
            for (const auto& entry : StepListFor("Pelsa"))
                if (!entry.isReconnectPoint())
                    steps.add(std::string(entry.step), [](SchemaOperations& schema) { schema.database().execute("x"); });
            return steps;
        }();
        return registry;
    }
    Strings recordLines() const { return test::ReadLines(records.fileOf(records.list().front().id).value()); }

    test::TempDir dir;
    RunRecords records{dir.path(), "orvel-test"};
    FixedOptions options;
    test::RecordingDisplay display;
    Progress progress;
    RunDriver driver;
};

TEST(RunTarget, TheReleaseOfASqlServerVersion) {
    const struct {
        const char* version;
        const char* release;
    } cases[] = {
        {"08.00.2039", "SQL Server 2000"}, {"09.00.5000", "SQL Server 2005"}, {"10.00.1600", "SQL Server 2008"},
        {"10.50.1600", "SQL Server 2008 R2"}, {"11.00.3000", "SQL Server 2012"}, {"12.00.2000", "SQL Server 2014"},
        {"15.00.2000", "SQL Server 2019"}, {"16.00.1000", "SQL Server 2022"}, {"07.00.0623", ""},
        {"99.00.0001", ""}, {"", ""}, {"version", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(SqlServerRelease(c.version), c.release) << c.version;
}

TEST(RunTarget, TheSentenceAndTheLineNameServerDatabaseProductAndVersion) {
    const struct {
        const char* what;
        std::optional<ServerIdentity> identity;
        std::optional<std::string> current;
        const char* connectionText;
        const char* product;
        std::string sentence;
        const char* database;  // the line's "database"; "" for null
    } cases[] = {
        {"SQL Server, database named", kSqlServer2014, "Velora", "Driver={X};Server=PC\\SQL;Database=Velora",
         "Velora",
         "This run changes the database \"Velora\" on the server \"PC\\SQL\" for the product Velora (insurance "
         "office); the server is SQL Server 2014 (12.00.2000).",
         "Velora"},
        {"the database the login landed in", kSqlServer2014, "tamrix2", "Driver={X};Server=192.0.2.5,1433",
         "Tamrix2",
         "This run changes the database \"tamrix2\" on the server \"192.0.2.5,1433\" for the product Tamrix2 "
         "(network marketing); the server is SQL Server 2014 (12.00.2000).",
         "tamrix2"},
        {"the local default instance", ServerIdentity{"Microsoft SQL Server", "10.50.1600"}, "Pelsa",
         "Provider=SQLOLEDB.1;Integrated Security=SSPI;Initial Catalog=Pelsa", "Pelsa",
         "This run changes the database \"Pelsa\" on this computer's default server for the product Pelsa "
         "(office automation); the server is SQL Server 2008 R2 (10.50.1600).",
         "Pelsa"},
        {"an Access file", ServerIdentity{"ACCESS", "04.00.0000"}, "C:\\data\\office", 
         "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\data\\office.mdb", "Pelsa",
         "This run changes the Access file \"C:\\data\\office.mdb\" for the product Pelsa (office automation); "
         "the database is ACCESS 04.00.0000.",
         ""},
        {"a database that tells nothing", std::nullopt, std::nullopt, "Driver={X};Server=s", "Kestin",
         "This run changes the login's default database on the server \"s\" for the product Kestin (treasury).",
         ""},
    };
    for (const auto& c : cases) {
        ReportingSession db(c.identity, c.current);
        db.open(c.connectionText);
        const RunTarget target = DescribeRunTarget(db, c.product, c.connectionText);
        EXPECT_EQ(RunTargetSentence(target), c.sentence) << c.what;
        const auto line = RunTargetJson(target)["target"];
        EXPECT_EQ(line["product"], c.product) << c.what;
        EXPECT_EQ(line["database"], *c.database ? nlohmann::ordered_json(c.database) : nlohmann::ordered_json())
            << c.what;
        EXPECT_EQ(line["dbmsVersion"], c.identity ? nlohmann::ordered_json(c.identity->version) : nlohmann::ordered_json())
            << c.what;
    }
}

TEST(RunTarget, SystemDatabasesAreKnownInAnyLetterCase) {
    for (const char* name : {"master", "MASTER", "Model", "msdb", "TempDB"}) EXPECT_TRUE(IsSystemDatabase(name)) << name;
    for (const char* name : {"", "masters", "tempdb2", "Velora", "master "}) EXPECT_FALSE(IsSystemDatabase(name)) << name;
}

// A run whose connection leads to a system database: the lock's session,
// the run's first contact with the server, is where it is refused, so the
// run's own connection never opens; a database that gives no session is
// refused once its connection opens.  Nothing is sent either way.
TEST(RunTarget, ARunOnASystemDatabaseIsRefusedBeforeAnythingIsSent) {
    const struct {
        const char* what;
        const char* connectionText;
        const char* current;
        bool sessions;
        const char* start;       // how the message begins
        const char* stoppedIn;
    } cases[] = {
        {"named", "Driver={X};Server=s;Database=master", "master", true,
         "The connection names the database \"master\", one of the server's own databases and no product's",
         "opening the connection"},
        {"landed in", "Driver={X};Server=s", "master", true,
         "The connection names no database, so it landed in the login's default database, \"master\", one of "
         "the server's own",
         "opening the connection"},
        {"tempdb in capitals", "Driver={X};Server=s;Database=TEMPDB", "TEMPDB", true,
         "The connection names the database \"TEMPDB\"", "opening the connection"},
        {"a database without sessions", "Driver={X};Server=s;Database=msdb", "msdb", false,
         "The connection names the database \"msdb\"", "before the first step"},
    };
    for (const auto& c : cases) {
        ReportingSession db(kSqlServer2014, c.current, c.sessions);
        PelsaRun run(db);
        bool named = false;
        run.driver.onTargetKnown = [&named](const RunTarget&) { named = true; };
        try {
            run.driver.RunWithConnectionText("Pelsa", c.connectionText);
            ADD_FAILURE() << c.what << ": not refused";
        } catch (const SystemDatabaseRefused& e) {
            const std::string message = e.what();
            EXPECT_TRUE(message.starts_with(c.start)) << c.what << ": " << message;
            EXPECT_NE(message.find("nothing was sent. Name the product's database in the connection"),
                      std::string::npos)
                << c.what << ": " << message;
        }
        EXPECT_EQ(db.isOpen(), !c.sessions) << c.what;
        EXPECT_TRUE(db.statements().empty()) << c.what;
        EXPECT_FALSE(named) << c.what;
        const Strings lines = run.recordLines();
        EXPECT_NE(lines.back().find(std::string("\"stoppedIn\":\"") + c.stoppedIn + "\""), std::string::npos)
            << c.what << ": " << lines.back();
    }
}

TEST(RunTarget, ARunNamesItsTargetInTheRecordBeforeItsFirstStatement) {
    ReportingSession db(kSqlServer2014, "Pelsa");
    PelsaRun run(db);
    Strings events;
    run.driver.onTargetKnown = [&events](const RunTarget& target) { events.push_back(RunTargetSentence(target)); };
    run.driver.onStatementSent = [&events](const StatementRecord& statement) { events.push_back(statement.sql); };
    run.driver.RunWithConnectionText("Pelsa", "Driver={X};Server=s;Database=Pelsa");
    ASSERT_FALSE(events.empty());
    EXPECT_TRUE(events.front().starts_with("This run changes the database \"Pelsa\" on the server \"s\""))
        << events.front();
    const Strings lines = run.recordLines();
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[1], R"({"note":"run lock taken"})");
    EXPECT_EQ(lines[2],
              R"({"target":{"product":"Pelsa","server":"s","database":"Pelsa","dbms":"Microsoft SQL Server",)"
              R"("dbmsVersion":"12.00.2000","sqlServer":"SQL Server 2014"}})");
    EXPECT_TRUE(lines[3].starts_with(R"({"step":)")) << lines[3];
}

}  // namespace
}  // namespace orvel
