// orvel-updater-cli as a user runs it: where the ODBC string comes from
// (ORVEL_ODBC, --odbc-file, --odbc), connection-text without passwords, and
// the records that upgrade and exec leave, listed and shown by `records`,
// against databases made through the SQLite ODBC driver.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "CliRunner.h"
#include "upgrade/Messages.h"
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

    // The same records as JSON, newest first.
    const auto json = nlohmann::json::parse(RunCli("records --format json").out);
    ASSERT_EQ(json.size(), ids.size());
    for (const auto& record : json) {
        const std::string id = record["id"];
        EXPECT_NE(std::find(ids.begin(), ids.end(), id), ids.end()) << id;
        const bool run = id.ends_with("-Pelsa");
        EXPECT_EQ(record["kind"], run ? "run" : "query");
        EXPECT_EQ(record["result"], run ? "failed" : "closed");
        const bool pelsa = id.find("-Pelsa") != std::string::npos;  // the run, and the query naming it
        EXPECT_EQ(record["product"], pelsa ? nlohmann::json("Pelsa") : nlohmann::json()) << id;
        EXPECT_EQ(record["stoppedIn"], run ? nlohmann::json("TCapability") : nlohmann::json()) << id;
        EXPECT_EQ(record["statements"], 1);
        EXPECT_EQ(record["file"], (recordsFolder() / (id + ".jsonl")).string());
    }
    // In the order the table lists them.
    for (std::size_t i = 1; i < json.size(); ++i)
        EXPECT_LT(listing.out.find(json[i - 1]["id"].get<std::string>() + " "),
                  listing.out.find(json[i]["id"].get<std::string>() + " "));
    EXPECT_EQ(nlohmann::json::parse(RunCli("records --count 1 --format json").out).size(), 1u);

    const auto unknown = RunCli({"records", "show", "20200101-000000-Nothing"});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_NE(unknown.err.find("no record"), std::string::npos) << unknown.err;
}

// `exec` shows each result set as a table with its row count, and the
// success sentence; `--format json` gives the same as data, also when the
// text failed.  (The SQLite driver takes one statement a text; several
// result sets and the server's messages are tested on a live server.)
TEST_F(CliWithRecords, ExecShowsTheRowsItGetsAsATableAndAsJson) {
    const std::string db = sqlite("rows.db");
    ASSERT_EQ(RunCli({"exec", "--odbc", db, "--sql", "create table T(ID integer, Name text)"}).exitCode, 0);
    const auto inserted = RunCli({"exec", "--odbc", db, "--sql",
                                  "insert into T values (1, '\xD9\x8A\xDA\xA9'), (2, NULL), (3, 'a' || char(13) || "
                                  "'b'), (10, ''), (11, ' x ')"});
    EXPECT_EQ(inserted.out, "(5 rows affected)\n\n" + std::string(kQuerySucceededMessage) + "\n");

    const auto table = RunCli({"exec", "--odbc", db, "--sql", "select ID, Name as [Name of it] from T order by ID"});
    ASSERT_EQ(table.exitCode, 0) << table.err;
    EXPECT_EQ(table.out,
              "ID  Name of it\n"
              "--  ----------\n"
              "1   \xD9\x8A\xDA\xA9\n"
              "2   NULL\n"
              "3   a\\rb\n"
              "10\n"
              "11   x \n"
              "\n"
              "(5 rows)\n"
              "\n" +
                  std::string(kQuerySucceededMessage) + "\n");
    EXPECT_EQ(RunCli({"exec", "--odbc", db, "--sql", "select ID from T where ID > 99"}).out,
              "ID\n--\n\n(0 rows)\n\n" + std::string(kQuerySucceededMessage) + "\n");

    const auto json = RunCli({"exec", "--odbc", db, "--product", "pelsa", "--sql", "select * from T order by ID",
                              "--format", "json"});
    ASSERT_EQ(json.exitCode, 0) << json.err;
    const auto answer = nlohmann::json::parse(json.out);
    EXPECT_EQ(answer["product"], "Pelsa");
    EXPECT_EQ(answer["database"], (dir.path() / "rows.db").string());
    EXPECT_EQ(answer["result"], "success");
    ASSERT_EQ(answer["resultSets"].size(), 1u);
    EXPECT_EQ(answer["resultSets"][0]["columns"], nlohmann::json({"ID", "Name"}));
    EXPECT_EQ(answer["resultSets"][0]["rowCount"], 5);
    EXPECT_EQ(answer["resultSets"][0]["rows"][1], nlohmann::json({"2", nullptr}));
    EXPECT_EQ(answer["resultSets"][0]["rows"][2], nlohmann::json({"3", "a\rb"}));
    EXPECT_EQ(answer["resultSets"][0]["rows"][3], nlohmann::json({"10", ""}));
    EXPECT_FALSE(answer.contains("error"));

    const auto failed = RunCli({"exec", "--odbc", db, "--sql", "select * from Nowhere", "--format", "json"});
    EXPECT_EQ(failed.exitCode, 1);
    const auto failure = nlohmann::json::parse(failed.out);
    EXPECT_EQ(failure["result"], "failed");
    EXPECT_EQ(failure["error"], "[SQLite]no such table: Nowhere (1)");
    EXPECT_EQ(failure["resultSets"], nlohmann::json::array());
    EXPECT_EQ(failed.err, "orvel-updater-cli: error: running the statement (" + (dir.path() / "rows.db").string() +
                              "): [SQLite]no such table: Nowhere (1)\n");
}

// A finished upgrade ends with the success sentence and one summary line;
// `--format json` gives the run's result instead, also of a run that failed.
TEST_F(CliWithRecords, AnUpgradeEndsWithItsSummaryOrItsResultAsJson) {
    const std::string db = sqlite("summary.db");
    const std::string log = (dir.path() / "summary.jsonl").string();
    const auto recorded = [&](const std::string& id) { return std::filesystem::exists(recordsFolder() / (id + ".jsonl")); };

    const auto text = RunCli({"upgrade", "--product", "Brivo", "--odbc", db, "--log", log});
    ASSERT_EQ(text.exitCode, 0) << text.err;
    const std::string start = std::string(kRunSucceededMessage) + "\nBrivo upgraded: 0 statements sent in ";
    const std::string end = "; log " + log + "\n";
    ASSERT_TRUE(text.out.starts_with(start) && text.out.ends_with(end)) << text.out;
    EXPECT_EQ(std::count(text.out.begin(), text.out.end(), '\n'), 2) << text.out;
    const std::string middle = text.out.substr(start.size(), text.out.size() - start.size() - end.size());
    const auto record = middle.find(" s; record ");  // "0.0 s; record ID"
    ASSERT_NE(record, std::string::npos) << middle;
    EXPECT_NO_THROW((void)std::stod(middle.substr(0, record))) << middle;
    EXPECT_TRUE(recorded(middle.substr(record + 11))) << middle;

    const auto json = RunCli({"upgrade", "--product", "BRIVO", "--odbc", db, "--format", "json"});
    ASSERT_EQ(json.exitCode, 0) << json.err;
    const auto result = nlohmann::json::parse(json.out);
    EXPECT_EQ(result["product"], "Brivo");
    EXPECT_EQ(result["database"], (dir.path() / "summary.db").string());
    EXPECT_EQ(result["result"], "success");
    EXPECT_EQ(result["statements"], 0);
    EXPECT_GE(result["seconds"].get<double>(), 0.0);
    EXPECT_TRUE(recorded(result["recordId"])) << result;
    EXPECT_EQ(result["log"], nullptr);

    // SQLite knows no schema dbo: the run's first statement is refused.
    // The log names the run and its target before the one statement sent.
    const std::string failedLog = (dir.path() / "failed.jsonl").string();
    const auto failed = RunCli({"upgrade", "--product", "Pelsa", "--odbc", db, "--log", failedLog, "--format", "json"});
    EXPECT_EQ(failed.exitCode, 1);
    const auto failure = nlohmann::json::parse(failed.out);
    EXPECT_EQ(failure["result"], "failed");
    EXPECT_EQ(failure["statements"], 1);
    const auto logged = test::ReadLines(failedLog);
    const auto statementsLogged = std::count_if(logged.begin(), logged.end(), [](const std::string& line) {
        return nlohmann::json::parse(line).contains("sql");
    });
    EXPECT_EQ(failure["statements"], statementsLogged);
    EXPECT_EQ(failure["log"], failedLog);
    EXPECT_EQ(failure["error"], "[SQLite]unknown database dbo (1)");
    EXPECT_TRUE(recorded(failure["recordId"])) << failure;
    EXPECT_TRUE(failed.err.ends_with("orvel-updater-cli: error: upgrading Pelsa, step TCapability (" +
                                     (dir.path() / "summary.db").string() + "): [SQLite]unknown database dbo (1)\n"))
        << failed.err;
}

// The program's Persian sentences reach a terminal between left-to-right
// marks, so that the full stop written first stands at the sentence's end
// for a reader; a pipe gets them byte for byte.  (`script` gives the
// program a terminal.)
TEST_F(CliWithRecords, PersianSentencesOnATerminalAreWrappedInDirectionMarks) {
    const std::string mark = "\xE2\x80\x8E";
    const std::string db = sqlite("marks.db");
    const struct {
        Strings arguments;
        std::string sentence;
    } cases[] = {
        {{"exec", "--odbc", db, "--sql", "create table T(ID integer)"}, std::string(kQuerySucceededMessage)},
        {{"upgrade", "--product", "Brivo", "--odbc", db}, std::string(kRunSucceededMessage)},
    };
    for (const auto& c : cases) {
        std::string command;
        for (const auto& argument : c.arguments) command += " '" + argument + "'";
        const std::string line = "script -qec \"" + std::string(ORVEL_CLI_PATH) + command + " 2>/dev/null\" /dev/null";
        FILE* pipe = popen(line.c_str(), "r");
        ASSERT_NE(pipe, nullptr);
        std::string shown;
        char buffer[4096];
        for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) shown.append(buffer, n);
        pclose(pipe);
        EXPECT_NE(shown.find(mark + c.sentence + mark + "\r\n"), std::string::npos) << shown;
        std::filesystem::remove(dir.path() / "marks.db");

        const auto piped = RunCli(c.arguments);
        EXPECT_NE(piped.out.find(c.sentence + "\n"), std::string::npos) << piped.out;
        EXPECT_EQ(piped.out.find(mark), std::string::npos) << piped.out;
        std::filesystem::remove(dir.path() / "marks.db");
    }
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
        // The same output, but for an upgrade's summary line, which names
        // the record and the seconds taken.
        const auto beforeSummary = [](const std::string& out) { return out.substr(0, out.find(" upgraded: ")); };
        EXPECT_EQ(beforeSummary(unrecorded.out), beforeSummary(recorded.out)) << command.front();
        if (command.front() == "upgrade") {
            EXPECT_NE(recorded.out.find("; record "), std::string::npos) << recorded.out;
            EXPECT_NE(unrecorded.out.find("; no record kept; "), std::string::npos) << unrecorded.out;
        }
        EXPECT_EQ(countOf(unrecorded.err, "warning"), 1) << unrecorded.err;
        EXPECT_EQ(countOf(unrecorded.err, "\n"), countOf(recorded.err, "\n") + 1) << unrecorded.err;
    }
}

}  // namespace
}  // namespace orvel
