// orvel-updater-cli as a user runs it: output streams and exit codes.
#include <gtest/gtest.h>

#include "CliRunner.h"
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
        {"no command", "", 2, true, "subcommand"},
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
         "Cannot connect to the database: "},
        {"drift that cannot connect", "drift --product Pelsa --odbc 'DRIVER={No Such Driver}'", 1, true,
         "Cannot connect to the database: "},
    };
    for (const auto& c : cases) {
        const Result r = RunCli(c.arguments);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.what << "\n" << r.err;
        EXPECT_EQ(r.out.empty(), c.stdoutEmpty) << c.what << "\n" << r.out;
        EXPECT_NE(r.err.find(c.stderrHas), std::string::npos) << c.what << "\n" << r.err;
        if (c.exitCode == 2) {
            EXPECT_EQ(lineCount(r.err), 1) << c.what << "\n" << r.err;
        }
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
