// Connection texts from the options, ServerName.txt and the remote file.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "upgrade/ConnectionSettings.h"

namespace orvel {
namespace {

using test::FakeSystem;
using test::ScriptedDialog;
using test::TempDir;

constexpr const char* kIntegrated =
    "Provider=SQLOLEDB.1;Integrated Security=SSPI;Persist Security Info=False;Initial Catalog=";

constexpr const char* kRemoteFile = R"({
  "Tamrix2Hosted": {"Password": "Pw0123456X", "User ID": "t2user", "Initial Catalog": "Tamrix2DB",
                    "Data Source": "192.0.2.10"},
  "VeloraWeb": {"Data Source": "198.51.100.7", "Initial Catalog": "VeloraWeb", "User ID": "vuser",
                "Password": "Pw9876543"}
})";

struct Fixture {
    TempDir dir;
    FakeSystem system;
    ScriptedDialog dialog;
    ConnectionSettings settings{system, dialog};

    Fixture() { system.directory = dir.path(); }

    std::string textFor(RunOptions options) {
        settings.clearRunAborted();
        settings.Button2Click(options);
        settings.Button3Click(options);
        return settings.ConnectionText();
    }
};

RunOptions options(int entry, ServerVersion version = ServerVersion::Sql2008, bool local = false,
                   bool web = false, DatabaseKind kind = DatabaseKind::SqlServer) {
    return RunOptions{entry, kind, version, local, web};
}

TEST(ConnectionSettings, SqlServerTextsByProductVersionAndFlags) {
    const std::string server = "Data Source=WORKSTATION7\\SQLEXPRESS";
    const std::string hosted =
        "Provider=SQLOLEDB.1;Password=Pw0123456X;Persist Security Info=True;User ID=t2user;"
        "Initial Catalog=Tamrix2DB;Data Source=192.0.2.10";
    const std::string web = "Data Source=198.51.100.7;Initial Catalog=VeloraWeb;User ID=vuser;Password=Pw9876543;";
    const struct {
        const char* what;
        RunOptions options;
        std::string expected;
    } cases[] = {
        {"defaults", options(0), kIntegrated + std::string("Velora;") + server},
        {"SQL 2000 names no server", options(0, ServerVersion::Sql2000), kIntegrated + std::string("Velora;")},
        {"SQL 2005", options(5, ServerVersion::Sql2005), kIntegrated + std::string("Kestin;") + server},
        {"SQL 2012 names no server", options(6, ServerVersion::Sql2012), kIntegrated + std::string("Zorbex;")},
        {"Local for network marketing", options(1, ServerVersion::Sql2000, true),
         kIntegrated + std::string("tamrix2")},
        {"network marketing hosted", options(1, ServerVersion::Sql2008), hosted},
        {"Web for network marketing changes nothing", options(1, ServerVersion::Sql2008, false, true), hosted},
        {"Web for insurance office", options(0, ServerVersion::Sql2000, false, true), web},
        {"Web and Local for insurance office", options(0, ServerVersion::Sql2008, true, true), web},
        {"Local for another product changes nothing", options(2, ServerVersion::Sql2008, true),
         kIntegrated + std::string("Pelsa;") + server},
    };
    for (const auto& c : cases) {
        Fixture f;
        f.dir.write("RemoteConnections.json", kRemoteFile);
        EXPECT_EQ(f.textFor(c.options), c.expected) << c.what;
        EXPECT_FALSE(f.settings.RunAborted()) << c.what;
    }
}

TEST(ConnectionSettings, ServerNameFileVariants) {
    const struct {
        const char* what;
        std::optional<std::string> content;
        std::string dataSource;
    } cases[] = {
        {"no file", std::nullopt, "Data Source=WORKSTATION7\\SQLEXPRESS"},
        {"first line", "SRV01\\PROD\r\nignored\r\n", "Data Source=SRV01\\PROD"},
        {"line feed only", "SRV02\nignored", "Data Source=SRV02"},
        {"no line break", "SRV03", "Data Source=SRV03"},
        {"empty first line", "\r\nSRV04", "Data Source=WORKSTATION7\\SQLEXPRESS"},
        {"empty file", "", "Data Source=WORKSTATION7\\SQLEXPRESS"},
        {"blanks kept", "  SRV05 ", "Data Source=  SRV05 "},
        {"byte order mark dropped", "\xEF\xBB\xBFSRV06\r\n", "Data Source=SRV06"},
    };
    for (const auto& c : cases) {
        Fixture f;
        if (c.content) f.dir.write("ServerName.txt", *c.content);
        EXPECT_EQ(f.textFor(options(0)), kIntegrated + std::string("Velora;") + c.dataSource) << c.what;
    }
}

TEST(ConnectionSettings, ComputerNameQueryFailureLeavesOnlyTheInstance) {
    Fixture f;
    f.system.name.clear();
    EXPECT_EQ(f.textFor(options(0)), kIntegrated + std::string("Velora;Data Source=\\SQLEXPRESS"));
}

TEST(ConnectionSettings, UnreadableServerNameFileIsAnError) {
    Fixture f;
    std::filesystem::create_directory(f.dir.path() / "ServerName.txt");
    EXPECT_THROW(f.textFor(options(0)), SettingsError);
}

TEST(ConnectionSettings, MissingOrIncompleteRemoteFileNamesTheFile) {
    for (const char* content : {static_cast<const char*>(nullptr), "{", "{\"VeloraWeb\": {\"Data Source\": \"x\"}}",
                                "{\"Other\": {}}"}) {
        Fixture f;
        if (content) f.dir.write("RemoteConnections.json", content);
        try {
            f.textFor(options(1));
            FAIL() << "expected a settings error";
        } catch (const SettingsError& e) {
            EXPECT_NE(std::string(e.what()).find("RemoteConnections.json"), std::string::npos) << e.what();
        }
    }
}

TEST(ConnectionSettings, AccessAsksForTheFileAndCancelKeepsTheOldText) {
    Fixture f;
    f.dialog.answer = "/data/Velora.mdb";
    EXPECT_EQ(f.textFor(options(0, ServerVersion::Sql2008, false, true, DatabaseKind::Access)),
              "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/data/Velora.mdb;Persist Security Info=False; "
              "Jet OLEDB:Database Password=5062917348");
    EXPECT_EQ(f.dialog.filtersShown, std::vector<std::string>{"DataBase Files(*.mdb)|*.mdb"});
    EXPECT_EQ(f.settings.ProductId(), "Velora");

    const std::string before = f.settings.ConnectionText();
    f.dialog.answer.reset();
    f.textFor(options(4, ServerVersion::Sql2008, false, false, DatabaseKind::Access));
    EXPECT_TRUE(f.settings.RunAborted());
    EXPECT_EQ(f.settings.ConnectionText(), before);
    EXPECT_EQ(f.settings.AccessFileName(), "/data/Velora.mdb");
    EXPECT_EQ(f.settings.ProductId(), "Mornale");
}

TEST(ConnectionSettings, OracleAbortsAndConnectOpensNothing) {
    Fixture f;
    CatalogueSimulator db;
    EXPECT_FALSE(f.settings.Connect(db, options(0, ServerVersion::Sql2008, false, false, DatabaseKind::Oracle)));
    EXPECT_TRUE(f.settings.RunAborted());
    EXPECT_FALSE(db.isOpen());

    EXPECT_TRUE(f.settings.Connect(db, options(3)));
    EXPECT_TRUE(f.settings.Connect(db, options(3)));
    EXPECT_EQ(db.closeCount(), 1);
    EXPECT_EQ(db.openedWith().back(), kIntegrated + std::string("Brivo;Data Source=WORKSTATION7\\SQLEXPRESS"));
}

}  // namespace
}  // namespace orvel
