// orvel-updater-cli as a user runs it: output streams and exit codes.
#include <gtest/gtest.h>

#include <fmt/format.h>

#include <nlohmann/json.hpp>

#include "CliRunner.h"
#include "upgrade/Messages.h"
#include "upgrade/Platform.h"

namespace orvel {
namespace {

using Result = test::CliResult;
using test::RunCli;

int lineCount(const std::string& text) { return static_cast<int>(std::count(text.begin(), text.end(), '\n')); }

TEST(Cli, ExitCodesAndStreams) {
    test::TempDir settings;  // no ServerName.txt, no RemoteConnections.json
    const std::string dir = " --settings-dir " + settings.path().string();
    test::TempDir files;
    files.write("empty.json", "{}");
    const std::string emptyCatalogue = (files.path() / "empty.json").string();
    const struct {
        const char* what;
        std::string arguments;
        int exitCode;
        bool stdoutEmpty;
        const char* stderrHas;
    } cases[] = {
        {"products", "products", 0, false, ""},
        {"plan of a product without steps", "plan --product Brivo", 0, true, "0 statements"},
        {"unknown product", "plan --product Orvel", 2, true, "unknown product \"Orvel\""},
        {"unknown option", "plan --product Pelsa --bogus", 2, true, "bogus"},
        {"no command: the usage", "", 2, false, ""},
        {"missing catalogue file", "plan --product Pelsa --catalog /nonexistent.json", 2, true, "nonexistent"},
        {"Oracle aborts", "connection-text --product Velora --kind oracle" + dir, 3, true, "Oracle"},
        {"Access without a file aborts", "upgrade --product Pelsa --kind access" + dir, 3, true, "--access-file"},
        {"steps as transactions on Access", "upgrade --product Pelsa --kind access --whole-steps" + dir, 2, true,
         "--whole-steps runs steps as transactions of SQL Server"},
        {"exec with Oracle aborts", "exec --product Pelsa --kind oracle --sql x" + dir, 3, true, "Oracle"},
        {"exec needs a statement", "exec --product Pelsa", 2, true, "--sql"},
        {"hosted connection without its file", "connection-text --product Tamrix2" + dir, 1, true,
         "RemoteConnections.json"},
        {"snapshot names no database", "snapshot", 2, true, "--product or --odbc"},
        {"drift without a catalogue", "drift --product Pelsa", 2, true, "--catalog, --odbc or --live"},
        {"drift of a file and a database", "drift --product Pelsa --odbc x --catalog " + emptyCatalogue, 2,
         true, "excludes"},
        {"plan with Oracle aborts", "plan --product Pelsa --kind oracle", 3, true, "Oracle"},
        {"snapshot that cannot connect", "snapshot --odbc 'DRIVER={No Such Driver}'", 1, true,
         "orvel-updater-cli: error: connecting: "},
        {"drift that cannot connect", "drift --product Pelsa --odbc 'DRIVER={No Such Driver}'", 1, true,
         "orvel-updater-cli: error: connecting: "},
    };
    for (const auto& c : cases) {
        const Result r = RunCli(c.arguments);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.what << "\n" << r.err;
        EXPECT_EQ(r.out.empty(), c.stdoutEmpty) << c.what << "\n" << r.out;
        EXPECT_NE(r.err.find(c.stderrHas), std::string::npos) << c.what << "\n" << r.err;
        if (c.exitCode == 2 && *c.stderrHas) {
            EXPECT_EQ(lineCount(r.err), 1) << c.what << "\n" << r.err;
        }
    }
}

// What a user types first: the usage, the version, a command mistyped, a
// product id in another letter case, the SQL Server version under its own
// name.
TEST(Cli, CommandsAsPeopleTypeThem) {
    const std::string version = std::string(kProgramVersion);
    const struct {
        const char* what;
        std::string arguments;
        int exitCode;
        std::string out;  // what standard output begins with
        std::string err;  // standard error, exactly
    } cases[] = {
        {"help", "help", 0, "orvel-updater-cli: brings", ""},
        {"a bare call", "", 2, "orvel-updater-cli: brings", ""},
        {"--version", "--version", 0, "orvel-updater-cli " + version + "\n", ""},
        {"a command mistyped", "upgrad --product Velora", 2, "",
         "orvel-updater-cli: error: unknown command \"upgrad\": the nearest is \"upgrade\" (orvel-updater-cli --help "
         "lists every command)\n"},
        {"a command begun", "rec", 2, "",
         "orvel-updater-cli: error: unknown command \"rec\": the nearest is \"records\" (orvel-updater-cli --help "
         "lists every command)\n"},
        {"letters swapped", "sanpshot", 2, "",
         "orvel-updater-cli: error: unknown command \"sanpshot\": the nearest is \"snapshot\" (orvel-updater-cli "
         "--help lists every command)\n"},
        {"help of a command mistyped", "help chek", 2, "",
         "orvel-updater-cli: error: unknown command \"chek\": the nearest is \"check\" (orvel-updater-cli --help "
         "lists every command)\n"},
        {"an option before any command", "--product Velora upgrade", 2, "",
         "orvel-updater-cli: error: unknown option \"--product\": a command comes first (orvel-updater-cli --help "
         "lists every command)\n"},
        {"help of a command", "help exec", 0, "Run one statement text", ""},
        {"help of a subcommand", "help records show", 0, "Print one record", ""},
        {"the old SQL Server option", "upgrade --product Velora --version 2008", 2, "",
         "orvel-updater-cli: error: --version is no option of upgrade: the SQL Server version is chosen with "
         "--server-version (orvel-updater-cli --version prints the program's version)\n"},
        {"an unknown option", "plan --product Pelsa --bogus", 2, "",
         "orvel-updater-cli: error: The following argument was not expected: --bogus (orvel-updater-cli plan --help "
         "lists the options)\n"},
        {"a product id in lower case", "plan --product pelsa --summary", 0, "Pelsa: 8 steps, 181 statements\n", ""},
        {"a product id in upper case", "plan --product TAMRIX2 --summary", 0, "Tamrix2: 49 steps", ""},
        {"the SQL Server version", "connection-text --product Mornale --server-version 2000 --settings-dir /nonexistent",
         0, "Provider=SQLOLEDB.1", ""},
    };
    for (const auto& c : cases) {
        const Result r = RunCli(c.arguments);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.what << "\n" << r.err;
        EXPECT_TRUE(r.out.starts_with(c.out)) << c.what << "\n" << r.out;
        EXPECT_EQ(r.err, c.err) << c.what;
    }
    // `help COMMAND` and `COMMAND --help` tell the same.
    for (const char* command : {"upgrade", "drift", "records"})
        EXPECT_EQ(RunCli(std::string("help ") + command).out, RunCli(std::string(command) + " --help").out) << command;
}

// Each command's --help ends with the exit codes it can give and the
// environment variables it reads, and no others.
TEST(Cli, EachCommandsHelpListsItsExitCodesAndEnvironment) {
    const std::vector<int> everyCode = {0, 1, 2, 3, 4, 5, 6, 130, 143};
    const struct {
        const char* command;
        std::vector<int> codes;
        std::vector<const char*> variables;
    } cases[] = {
        {"products", {0, 1, 2}, {}},
        {"plan", {0, 1, 2, 3}, {"ORVEL_ODBC", "ORVEL_SQLSERVER_DRIVER"}},
        {"drift", {0, 1, 2, 3, 4}, {"ORVEL_ODBC", "ORVEL_ACCESS_DRIVER"}},
        {"check", {0, 1, 2, 3, 5, 6}, {"ORVEL_ODBC"}},
        {"upgrade", {0, 1, 2, 3, 5, 130, 143}, {"ORVEL_ODBC", "XDG_STATE_HOME"}},
        {"exec", {0, 1, 2, 3}, {"ORVEL_ODBC", "XDG_STATE_HOME"}},
        {"records", {0, 1, 2}, {"XDG_STATE_HOME"}},
        {"records show", {0, 1, 2}, {"XDG_STATE_HOME"}},
    };
    for (const auto& c : cases) {
        const Result r = RunCli(std::string(c.command) + " --help");
        ASSERT_EQ(r.exitCode, 0) << c.command;
        const auto codes = r.out.find("\nExit codes:\n");
        ASSERT_NE(codes, std::string::npos) << c.command << "\n" << r.out;
        const std::string tail = r.out.substr(codes);
        for (const int code : everyCode) {
            const bool listed = tail.find(fmt::format("\n  {:<5}", code)) != std::string::npos;
            const bool expected = std::find(c.codes.begin(), c.codes.end(), code) != c.codes.end();
            EXPECT_EQ(listed, expected) << c.command << ": exit code " << code << "\n" << tail;
        }
        EXPECT_EQ(tail.find("\nEnvironment:\n") != std::string::npos, !c.variables.empty()) << c.command;
        for (const char* variable : c.variables)
            EXPECT_NE(tail.find(std::string("\n  ") + variable), std::string::npos) << c.command << ": " << variable;
        if (c.variables.empty()) {
            EXPECT_EQ(tail.find("ORVEL_ODBC"), std::string::npos) << c.command;
        }
    }
    // The program's own help lists every code.
    const std::string usage = RunCli("help").out;
    for (const int code : everyCode)
        EXPECT_NE(usage.find(fmt::format("\n  {:<5}", code)), std::string::npos) << code;
}

// `products --format json`: one object per product, as the table lists them.
TEST(Cli, ProductsAsJson) {
    const Result table = RunCli("products");
    const Result json = RunCli("products --format json");
    ASSERT_EQ(json.exitCode, 0) << json.err;
    const auto products = nlohmann::json::parse(json.out);
    ASSERT_EQ(products.size(), 7u);
    for (const auto& product : products) {
        const std::string row =
            fmt::format("{:<6}{:<10}{:>6}  {}\n", product["entry"].get<int>(), product["id"].get<std::string>(),
                        product["steps"].get<int>(), product["product"].get<std::string>());
        EXPECT_NE(table.out.find(row), std::string::npos) << row;
    }
    EXPECT_EQ(products[1]["id"], "Tamrix2");
    EXPECT_EQ(products[1]["steps"], 49);
}

// Every command reports an error in one shape on standard error:
// "orvel-updater-cli: error: <doing> (<server>/<database>): <message>",
// the parts it does not know left out, with the exit code of its kind.
TEST(Cli, EveryErrorHasOneShape) {
    test::TempDir dir;
    const std::string file = (dir.path() / "shape.db").string();
    const std::string sqlite = "DRIVER={SQLite3};Database=" + file;
    const std::string missing = (dir.path() / "missing" / "x.db").string();
    std::filesystem::create_directory(dir.path() / "settings");
    std::filesystem::create_directory(dir.path() / "drivers");
    dir.write("settings/ServerName.txt", "SRV\\INST\r\n");
    dir.write("drivers/odbcinst.ini", "");
    test::ScopedEnvironment noDriverChosen("ORVEL_SQLSERVER_DRIVER", std::nullopt);
    ASSERT_EQ(RunCli({"exec", "--odbc", sqlite, "--sql", "create table T(ID integer)"}).exitCode, 0);
    const struct {
        const char* what;
        std::vector<std::string> arguments;
        int exitCode;
        std::string err;  // what standard error begins with
    } cases[] = {
        {"exec: a statement refused", {"exec", "--odbc", sqlite, "--sql", "selec 1"}, 1,
         "orvel-updater-cli: error: running the statement (" + file + "): [SQLite]near \"selec\": syntax error (1)\n"},
        {"exec: no connection", {"exec", "--odbc", "DRIVER={SQLite3};Database=" + missing, "--sql", "select 1"}, 1,
         "orvel-updater-cli: error: connecting (" + missing + "): "},
        {"upgrade: a step refused", {"upgrade", "--product", "Pelsa", "--odbc", sqlite}, 1,
         "orvel-updater-cli: error: upgrading Pelsa, step TCapability (" + file +
             "): [SQLite]unknown database dbo (1)\n"},
        {"upgrade: the connection of the choices, no driver installed",
         {"upgrade", "--product", "Velora", "--settings-dir", (dir.path() / "settings").string()}, 1,
         "orvel-updater-cli: error: connecting (SRV\\INST/Velora): No SQL Server ODBC driver is installed."},
        {"snapshot: no driver", {"snapshot", "--odbc", "DRIVER={No Such Driver};Server=h;Database=d"}, 1,
         "orvel-updater-cli: error: connecting (h/d): "},
        {"check: no driver", {"check", "--product", "Kestin", "--odbc", "DRIVER={No Such Driver};Server=h"}, 1,
         "orvel-updater-cli: error: connecting (h/(default database)): "},
        {"connection-text: a hosted product without its file",
         {"connection-text", "--product", "Tamrix2", "--settings-dir", (dir.path() / "settings").string()}, 1,
         "orvel-updater-cli: error: building the connection text: "},
        {"upgrade: Oracle", {"upgrade", "--product", "Pelsa", "--kind", "oracle"}, 3,
         "orvel-updater-cli: error: connecting: Oracle databases are not served: nothing was opened\n"},
        {"exec: Access without a file", {"exec", "--product", "Pelsa", "--kind", "access", "--sql", "x"}, 3,
         "orvel-updater-cli: error: connecting: Access was chosen without --access-file: nothing was opened\n"},
        {"plan: an unknown product", {"plan", "--product", "Orvel"}, 2,
         "orvel-updater-cli: error: unknown product \"Orvel\" (ids: Velora, Tamrix2, Pelsa, Brivo, Mornale, Kestin, "
         "Zorbex)\n"},
        {"records show: an unknown record", {"records", "show", "20200101-000000-Nothing"}, 2,
         "orvel-updater-cli: error: no record \"20200101-000000-Nothing\" in "},
        {"exec: a password quoted in a usage error is hidden",
         {"exec", "--odbc", sqlite, "--sql", "select 1", "Server=h;PWD=secret1"}, 2,
         "orvel-updater-cli: error: The following argument was not expected: Server=h;PWD=***"},
    };
    for (const auto& c : cases) {
        // The drivers the driver manager knows: none, for the case that needs none.
        std::optional<test::ScopedEnvironment> drivers;
        if (std::string_view(c.what).ends_with("no driver installed"))
            drivers.emplace("ODBCSYSINI", (dir.path() / "drivers").string());
        const Result r = RunCli(c.arguments);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.what << "\n" << r.err;
        // The error follows whatever progress was shown.
        const auto error = r.err.find("orvel-updater-cli: error: ");
        ASSERT_NE(error, std::string::npos) << c.what << "\n" << r.err;
        EXPECT_TRUE(r.err.substr(error).starts_with(c.err)) << c.what << "\n" << r.err;
        EXPECT_EQ(r.err.find("secret1"), std::string::npos) << c.what;
        EXPECT_EQ(r.out, "") << c.what;
    }
}

TEST(Cli, ConnectionTextUsesThisComputersName) {
    test::TempDir settings;
    const Result r = RunCli("connection-text --product Velora --settings-dir " + settings.path().string());
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "Provider=SQLOLEDB.1;Integrated Security=SSPI;Persist Security Info=False;"
                     "Initial Catalog=Velora;Data Source=" +
                         LocalSystem().computerName() + "\\SQLEXPRESS\n");
}

TEST(Cli, PlanWritesAndReadsCatalogueSnapshots) {
    test::TempDir dir;
    dir.write("start.json", R"({"tables": {"Login": ["ID"]}, "views": {}})");
    const auto out = dir.path() / "after.json";
    const Result r = RunCli("plan --product Brivo --catalog " + (dir.path() / "start.json").string() +
                            " --catalog-out " + out.string());
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(CatalogueSnapshot::Load(out).tables.front().name, "Login");
}

// The copy of an Access file is made before the connection opens, so it
// is made and checked here although no Access driver is installed: the run
// then stops at the connection, as it would without the option.
TEST(Cli, SafetyCopyOfAnAccessFileEqualsTheOriginalAndAFileInUseIsNotCopied) {
    test::TempDir dir;
    std::string original(70'000, '\0');
    for (std::size_t i = 0; i < original.size(); ++i) original[i] = static_cast<char>(i * 31 % 251);
    dir.write("office.mdb", original);
    const auto log = dir.path() / "run.jsonl";
    const auto upgrade = [&] {
        return RunCli(std::vector<std::string>{"upgrade", "--product", "Pelsa", "--kind", "access", "--access-file",
                                               (dir.path() / "office.mdb").string(), "--safety-copy", "--log",
                                               log.string()});
    };
    const auto filesCalled = [&](const std::string& start) {
        std::vector<std::filesystem::path> found;
        for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
            if (entry.path().filename().string().starts_with(start)) found.push_back(entry.path());
        return found;
    };

    const Result made = upgrade();
    EXPECT_EQ(made.exitCode, 1) << made.err;
    const auto copies = filesCalled("office-before-upgrade-");
    ASSERT_EQ(copies.size(), 1u) << made.err;
    EXPECT_EQ(copies.front().extension(), ".mdb");
    EXPECT_TRUE(test::FileText(copies.front()) == original);
    EXPECT_NE(made.err.find("safety copy: " + copies.front().string() + " (70000 bytes)"), std::string::npos)
        << made.err;
    // In the log, after the run's own line.
    const auto logged = test::ReadLines(log);
    ASSERT_EQ(logged.size(), 2u) << test::FileText(log);
    EXPECT_TRUE(logged[0].starts_with("{\"run\":")) << logged[0];
    EXPECT_EQ(logged[1], "{\"safetyCopy\":{\"path\":\"" + copies.front().string() +
                             "\",\"bytes\":70000,\"check\":\"compared byte for byte with the original\"}}");

    std::filesystem::remove(copies.front());
    dir.write("office.ldb", "");
    const Result inUse = upgrade();
    EXPECT_EQ(inUse.exitCode, 1);
    EXPECT_NE(inUse.err.find("the file is in use"), std::string::npos) << inUse.err;
    EXPECT_TRUE(filesCalled("office-before-upgrade-").empty());
    // The log keeps the first run's lines and gains the second run's own.
    const auto after = test::ReadLines(log);
    ASSERT_EQ(after.size(), 3u) << test::FileText(log);
    EXPECT_EQ(after[1], logged[1]);
    EXPECT_TRUE(after[2].starts_with("{\"run\":")) << after[2];
}

}  // namespace
}  // namespace orvel
