// orvel-updater-cli as a user runs it: where the ODBC string comes from
// (ORVEL_ODBC, --odbc-file, --odbc), connection-text without passwords, and
// the records that upgrade and exec leave, listed and shown by `records`,
// against databases made through the SQLite ODBC driver.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "CliRunner.h"
#include "upgrade/RunRecords.h"
#include "database/OdbcConnectionString.h"
#include "database/OdbcDatabase.h"

namespace orvel {
namespace {

using Strings = std::vector<std::string>;
using test::RunCli;
using test::ScopedEnvironment;

int countOf(const std::string& text, const std::string& part) {
    int count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

std::string fileText(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Records go to a folder of the test's own; no ODBC string in the environment.
class CliWithRecords : public testing::Test {
protected:
    std::filesystem::path recordsFolder() const { return state.path() / "orvel-updater"; }

    std::string sqlite(const std::string& name) const {
        return "DRIVER={SQLite3};Database=" + OdbcValue((dir.path() / name).string());
    }

    test::TempDir dir, state;
    ScopedEnvironment stateHome{"XDG_STATE_HOME", state.path().string()};
    ScopedEnvironment noOdbc{"ORVEL_ODBC", std::nullopt};
};

TEST_F(CliWithRecords, AnOdbcStringFromTheEnvironmentOrAFileLosesToAnExplicitOne) {
    dir.write("odbc.txt", sqlite("file.db") + "\r\nnot read\n");
    dir.write("empty.txt", "\nDRIVER={SQLite3}\n");
    const std::string file = (dir.path() / "odbc.txt").string();
    const std::string statement = " --sql 'create table Here(ID integer)'";
    const struct {
        const char* what;
        bool environment;
        std::string options;
        int exitCode;
        const char* database;  // where the table was made; "" for none
    } cases[] = {
        {"the environment", true, "", 0, "environment.db"},
        {"a file", false, "--odbc-file " + file, 0, "file.db"},
        {"a file before the environment", true, "--odbc-file " + file, 0, "file.db"},
        {"--odbc before the environment", true, "--odbc '" + sqlite("given.db") + "'", 0, "given.db"},
        {"--odbc before a file", false, "--odbc-file " + file + " --odbc '" + sqlite("given.db") + "'", 0,
         "given.db"},
        {"the environment is not used when an option says where", true,
         "--product Pelsa --kind oracle --settings-dir " + dir.path().string(), 3, ""},
        {"a file that cannot be read", true, "--odbc-file " + (dir.path() / "missing.txt").string(), 2, ""},
        {"a file whose first line is empty", true, "--odbc-file " + (dir.path() / "empty.txt").string(), 2, ""},
        {"nothing names the database", false, "", 2, ""},
    };
    for (const auto& c : cases) {
        for (const char* name : {"environment.db", "file.db", "given.db"}) std::filesystem::remove(dir.path() / name);
        ScopedEnvironment odbc("ORVEL_ODBC", c.environment ? std::optional(sqlite("environment.db")) : std::nullopt);
        const auto result = RunCli("exec " + c.options + statement);
        EXPECT_EQ(result.exitCode, c.exitCode) << c.what << "\n" << result.err;
        for (const char* name : {"environment.db", "file.db", "given.db"}) {
            bool made = false;
            if (std::filesystem::exists(dir.path() / name)) {
                OdbcDatabase db;
                db.open(sqlite(name));
                made = !db.columnNames("Here").empty();
            }
            EXPECT_EQ(made, std::string(name) == c.database) << c.what << ": " << name;
        }
    }
}

// An ODBC string serves the database it names: with ORVEL_ODBC set, the
// choices that name another kind of database are refused before anything
// opens or is recorded, and a run on the variable's database is recorded
// as the kind it is.
TEST_F(CliWithRecords, ChoicesAnOdbcStringCannotServeAreUsageErrors) {
    const std::string mdb = (dir.path() / "office.mdb").string();
    const struct {
        const char* what;
        bool environment;
        Strings arguments;
        int exitCode;
        const char* says;  // on standard error; "" for nothing in particular
    } cases[] = {
        {"Access with the variable", true, {"upgrade", "--product", "Pelsa", "--kind", "access"}, 2,
         "--kind access cannot be used with an ODBC string that names no Access file (DBQ=) (ORVEL_ODBC is set): "
         "unset ORVEL_ODBC to use the choices"},
        {"an Access file with the variable", true,
         {"upgrade", "--product", "Pelsa", "--kind", "access", "--access-file", mdb}, 2,
         "--access-file cannot be used while ORVEL_ODBC is set"},
        {"Oracle with the variable", true, {"upgrade", "--product", "Pelsa", "--kind", "oracle"}, 2,
         "--kind oracle cannot be used with an ODBC string (ORVEL_ODBC is set)"},
        {"Oracle with --odbc", false,
         {"upgrade", "--product", "Pelsa", "--kind", "oracle", "--odbc", sqlite("environment.db")}, 2,
         "--kind oracle cannot be used with an ODBC string: Oracle databases are not served"},
        {"check for Access with the variable", true, {"check", "--product", "Pelsa", "--kind", "access"}, 2,
         "--kind access"},
        {"exec for Oracle with the variable", true, {"exec", "--kind", "oracle", "--sql", "select 1"}, 2,
         "--kind oracle"},
        {"a plan for Access reads no database", true, {"plan", "--product", "Pelsa", "--access", "--summary"}, 0,
         ""},
    };
    for (const auto& c : cases) {
        std::filesystem::remove(dir.path() / "environment.db");
        ScopedEnvironment odbc("ORVEL_ODBC", c.environment ? std::optional(sqlite("environment.db")) : std::nullopt);
        const auto result = RunCli(c.arguments);
        EXPECT_EQ(result.exitCode, c.exitCode) << c.what << "\n" << result.err;
        EXPECT_NE(result.err.find(c.says), std::string::npos) << c.what << "\n" << result.err;
        EXPECT_FALSE(std::filesystem::exists(dir.path() / "environment.db")) << c.what << ": a database was opened";
        EXPECT_FALSE(std::filesystem::exists(recordsFolder())) << c.what << ": a record was written";
    }

    ScopedEnvironment odbc("ORVEL_ODBC", sqlite("environment.db"));
    ASSERT_EQ(RunCli({"upgrade", "--product", "Brivo"}).exitCode, 0);
    const auto header = nlohmann::json::parse(test::ReadLines(std::filesystem::directory_iterator(recordsFolder())->path()).front());
    EXPECT_EQ(header["databaseKind"], "SQL Server");
    EXPECT_EQ(header["connectionText"], "given");
}

// `--log` appends: what the file held stays, and each run begins with a
// line naming it (its record, time, product, server and database, options).
TEST_F(CliWithRecords, UpgradeAppendsToItsLogAndEachRunBeginsWithALineNamingIt) {
    const std::string db = sqlite("logged.db");
    const auto log = dir.path() / "upgrade.jsonl";
    dir.write("upgrade.jsonl", "a line written before\n");
    const Strings runs[] = {
        {"upgrade", "--product", "Brivo", "--odbc", db, "--log", log.string()},
        {"upgrade", "--product", "Brivo", "--odbc", db, "--log", log.string(), "--catalogue-reads",
         "every-operation"},
    };
    for (const auto& arguments : runs) ASSERT_EQ(RunCli(arguments).exitCode, 0);

    const auto lines = test::ReadLines(log);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), "a line written before");
    std::vector<nlohmann::json> runLines;
    for (const auto& line : lines)
        if (line.starts_with(R"({"run":)")) runLines.push_back(nlohmann::json::parse(line)["run"]);
    ASSERT_EQ(runLines.size(), 2u) << test::FileText(log);
    EXPECT_TRUE(lines[1].starts_with(R"({"run":)")) << lines[1];
    const auto kept = RunRecords(recordsFolder(), "").list();
    ASSERT_EQ(kept.size(), 2u);
    for (std::size_t i = 0; i < runLines.size(); ++i) {
        const auto& run = runLines[i];
        // Records are listed newest first.
        EXPECT_EQ(run["record"], kept[kept.size() - 1 - i].id) << run;
        EXPECT_EQ(run["start"], kept[kept.size() - 1 - i].start) << run;
        EXPECT_EQ(run["product"], "Brivo");
        EXPECT_EQ(run["server"], nullptr);
        EXPECT_EQ(run["database"], (dir.path() / "logged.db").string());
        EXPECT_EQ(run["options"]["databaseKind"], "SQL Server");
        EXPECT_EQ(run["options"]["connectionText"], "given");
        EXPECT_EQ(run["options"]["catalogueReads"], i == 0 ? "once" : "every-operation");
        EXPECT_EQ(run["options"]["wholeSteps"], false);
        EXPECT_EQ(run["options"]["safetyCopy"], false);
    }
}

TEST_F(CliWithRecords, ConnectionTextShowsPasswordsOnlyWhenAsked) {
    const std::string hosted = "Pw0}1{23 4x", web = "W'eb9\"8", given = "a;b}c";
    dir.write("RemoteConnections.json",
              nlohmann::json{{"Tamrix2Hosted",
                              {{"Password", hosted}, {"User ID", "t2"}, {"Initial Catalog", "T2"},
                               {"Data Source", "192.0.2.10"}}},
                             {"VeloraWeb",
                              {{"Data Source", "198.51.100.7"}, {"Initial Catalog", "VW"}, {"User ID", "v"},
                               {"Password", web}}}}
                  .dump());
    ScopedEnvironment sqlServerDriver(kSqlServerDriverVariable, "Test SQL Driver");
    ScopedEnvironment accessDriver(kAccessDriverVariable, "Test Access Driver");
    const struct {
        const char* what;
        Strings arguments;
        std::string password;
        bool alwaysOdbc;  // the text given is an ODBC string already
    } cases[] = {
        {"hosted", {"--product", "Tamrix2"}, hosted, false},
        {"web", {"--product", "Velora", "--web"}, web, false},
        {"Access", {"--product", "Pelsa", "--kind", "access", "--access-file", "/data/p.mdb"}, kAccessDatabasePassword,
         false},
        {"given", {"--product", "Pelsa", "--odbc", "Driver={X};Server=s;PWD=" + OdbcValue(given)}, given, true},
    };
    for (const auto& c : cases) {
        for (const bool odbcString : {false, true}) {
            for (const bool show : {false, true}) {
                Strings arguments = {"connection-text", "--settings-dir", dir.path().string()};
                arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
                if (odbcString) arguments.push_back("--odbc-string");
                if (show) arguments.push_back("--show-password");
                const auto result = RunCli(arguments);
                const std::string what = std::string(c.what) + (odbcString ? " odbc" : "") + (show ? " shown" : "");
                ASSERT_EQ(result.exitCode, 0) << what << "\n" << result.err;
                const std::string written = odbcString || c.alwaysOdbc ? OdbcValue(c.password) : c.password;
                EXPECT_EQ(result.out.find(written) != std::string::npos, show) << what << ": " << result.out;
                EXPECT_EQ(result.out.find("***") != std::string::npos, !show) << what << ": " << result.out;
            }
        }
    }
}

TEST_F(CliWithRecords, UpgradeAndExecAreRecordedListedAndShown) {
    const std::string db = sqlite("records.db");
    const std::string log = (dir.path() / "upgrade.jsonl").string();
    ASSERT_EQ(RunCli({"exec", "--odbc", db, "--sql", "create table T(ID integer)"}).exitCode, 0);
    ASSERT_EQ(RunCli({"exec", "--odbc", db, "--product", "Pelsa", "--sql", "select * from Nowhere"}).exitCode, 1);
    // SQLite knows no schema dbo: the first statement of the run fails.
    const auto upgrade = RunCli({"upgrade", "--product", "Pelsa", "--odbc", db, "--log", log});
    ASSERT_EQ(upgrade.exitCode, 1);
    ASSERT_EQ(RunCli({"plan", "--product", "Pelsa"}).exitCode, 0);

    const auto listing = RunCli("records");
    ASSERT_EQ(listing.exitCode, 0) << listing.err;
    EXPECT_NE(listing.out.find(recordsFolder().string()), std::string::npos) << listing.out;
    Strings ids;
    for (const auto& entry : std::filesystem::directory_iterator(recordsFolder()))
        ids.push_back(entry.path().stem().string());
    ASSERT_EQ(ids.size(), 3u) << "plan writes no record\n" << listing.out;
    for (const auto& id : ids) {
        // The id's row: what kind, how it ended, where it stopped.
        const auto row = listing.out.substr(listing.out.find(id + " "));
        const std::string line = row.substr(0, row.find('\n'));
        const bool run = id.ends_with("-Pelsa");
        EXPECT_NE(line.find(run ? " run " : " query "), std::string::npos) << line;
        EXPECT_NE(line.find(run ? " failed " : " closed "), std::string::npos) << line;
        EXPECT_EQ(line.ends_with(" 1  TCapability"), run) << line;
    }
    EXPECT_EQ(countOf(RunCli("records --count 1").out, "\n"), 4) << "title, blank line, heading, one record";

    const auto run = std::find_if(ids.begin(), ids.end(), [](const auto& id) { return id.ends_with("-Pelsa"); });
    ASSERT_NE(run, ids.end());
    const auto shown = RunCli({"records", "show", *run});
    EXPECT_EQ(shown.exitCode, 0);
    EXPECT_EQ(shown.out, fileText(recordsFolder() / (*run + ".jsonl")));
    // The run lock's note (a SQLite file gives none), the target, then the
    // statement lines; the log holds the run's own line, then the same
    // target and statement lines.
    const auto lines = test::ReadLines(recordsFolder() / (*run + ".jsonl"));
    ASSERT_EQ(lines.size(), 5u) << shown.out;
    EXPECT_EQ(lines[1],
              R"({"note":"no run lock: the database (SQLite) gives no application lock; the run goes on without one"})");
    EXPECT_TRUE(lines[2].starts_with(R"({"target":{"product":"Pelsa","server":null,)")) << lines[2];
    const auto logged = test::ReadLines(log);
    ASSERT_EQ(logged.size(), 3u) << fileText(log);
    EXPECT_EQ(nlohmann::json::parse(logged[0])["run"]["record"], *run);
    EXPECT_EQ(logged[1], lines[2]);
    EXPECT_EQ(logged[2], lines[3]);
    const auto result = nlohmann::json::parse(lines[4]);
    EXPECT_EQ(result["stoppedIn"], "TCapability");
    EXPECT_EQ(result["message"], "[SQLite]unknown database dbo (1)");

    const auto unknown = RunCli({"records", "show", "20200101-000000-Nothing"});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_NE(unknown.err.find("no record"), std::string::npos) << unknown.err;
}

TEST_F(CliWithRecords, AFolderThatCannotBeWrittenCostsOneWarningLine) {
    dir.write("a-file", "");
    const std::string db = sqlite("unrecorded.db");
    const Strings commands[] = {
        {"exec", "--odbc", db, "--sql", "create table T(ID integer)"},
        {"upgrade", "--product", "Brivo", "--odbc", db},
    };
    for (const auto& command : commands) {
        const auto recorded = RunCli(command);
        ScopedEnvironment unwritable("XDG_STATE_HOME", (dir.path() / "a-file").string());
        std::filesystem::remove(dir.path() / "unrecorded.db");
        const auto unrecorded = RunCli(command);
        EXPECT_EQ(unrecorded.exitCode, 0) << command.front() << unrecorded.err;
        EXPECT_EQ(unrecorded.out, recorded.out) << command.front();
        EXPECT_EQ(countOf(unrecorded.err, "warning"), 1) << unrecorded.err;
        EXPECT_EQ(countOf(unrecorded.err, "\n"), countOf(recorded.err, "\n") + 1) << unrecorded.err;
    }
}

}  // namespace
}  // namespace orvel
