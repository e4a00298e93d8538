// Masking passwords in connection texts and messages, and naming where a
// connection text leads; every text the settings build, remote ones and
// Access included, and every statement the products send.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "upgrade/ConnectionSettings.h"
#include "upgrade/Messages.h"
#include "products/Products.h"
#include "upgrade/RunDriver.h"
#include "database/ConnectionText.h"

namespace orvel {
namespace {

TEST(MaskPasswords, HidesEveryFormOfPasswordValue) {
    const struct {
        const char* what;
        std::string text;
        std::string masked;
    } cases[] = {
        {"ODBC string", "UID=sa;PWD=secret;Database=x", "UID=sa;PWD=***;Database=x"},
        {"at the end", "UID=sa;PWD=secret", "UID=sa;PWD=***"},
        {"any letter case", "pwd=secret;PassWord=other", "pwd=***;PassWord=***"},
        {"blanks around =", "PWD = secret ;X=1", "PWD = ***;X=1"},
        {"braced, with a doubled brace", "PWD={a;b}}c};Server=s", "PWD=***;Server=s"},
        {"braced after a blank", "PWD= {a;b};Server=s", "PWD= ***;Server=s"},
        {"unclosed brace runs to the end", "PWD={a;Server=s", "PWD=***"},
        {"double quotes", "Password=\"a;b\";User ID=u", "Password=***;User ID=u"},
        {"single quotes, doubled", "Password='it''s';x=1", "Password=***;x=1"},
        {"empty value", "PWD=;UID=u", "PWD=***;UID=u"},
        {"Access database password",
         "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\d.mdb;Persist Security Info=False; Jet OLEDB:Database "
         "Password=5062917348",
         "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\d.mdb;Persist Security Info=False; Jet OLEDB:Database "
         "Password=***"},
        {"Jet key in lower case", "jet oledb:database password = {x}", "jet oledb:database password = ***"},
        {"a message quoting a part", "cannot be read at \"Password=\"ab\": every part",
         "cannot be read at \"Password=***: every part"},
        {"a line of a message", "Error class: E\rError message: login PWD=abc\rnext", "Error class: E\rError message: login PWD=***\rnext"},
        {"T-SQL", "ALTER LOGIN sa WITH PASSWORD = 'N3w;pw' ", "ALTER LOGIN sa WITH PASSWORD = *** "},
        {"words that are not keys", "PasswordHint=x;NoPWD=y;PWDX=1;Password is wrong",
         "PasswordHint=x;NoPWD=y;PWDX=1;Password is wrong"},
        {"no password", "Provider=SQLOLEDB.1;Integrated Security=SSPI;Persist Security Info=False",
         "Provider=SQLOLEDB.1;Integrated Security=SSPI;Persist Security Info=False"},
        {"Persian text around it", "خطا PWD=رمز;", "خطا PWD=***;"},
    };
    for (const auto& c : cases) EXPECT_EQ(MaskPasswords(c.text), c.masked) << c.what;
}

TEST(MaskPasswords, NoPasswordSurvivesInAnyTextTheSettingsBuildOrAMessageQuotingIt) {
    // Passwords that a careless masker would cut short: braces, blanks,
    // quotes, a ";" (which puts the value in quotes).
    const std::string hostedPassword = "Pw0}1;{23 4x";
    const std::string webPassword = "W'eb9\"8";
    test::TempDir dir;
    dir.write(kRemoteConnectionsFile, nlohmann::json{{"Tamrix2Hosted",
                                                      {{"Password", hostedPassword},
                                                       {"User ID", "t2user"},
                                                       {"Initial Catalog", "Tamrix2DB"},
                                                       {"Data Source", "192.0.2.10"}}},
                                                     {"VeloraWeb",
                                                      {{"Data Source", "198.51.100.7"},
                                                       {"Initial Catalog", "VeloraWeb"},
                                                       {"User ID", "vuser"},
                                                       {"Password", webPassword}}}}
                                          .dump());
    test::FakeSystem system;
    system.directory = dir.path();
    test::ScriptedDialog dialog;
    dialog.answer = "/data/pelsa.mdb";
    ConnectionSettings settings(system, dialog);

    const struct {
        const char* what;
        RunOptions options;
        std::string password;
    } cases[] = {
        {"network marketing hosted", {1}, hostedPassword},
        {"insurance office on the web", {0, DatabaseKind::SqlServer, ServerVersion::Sql2008, false, true}, webPassword},
        {"Access", {2, DatabaseKind::Access}, kAccessDatabasePassword},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(settings.Prepare(c.options)) << c.what;
        const std::string& text = settings.ConnectionText();
        ASSERT_NE(text.find(c.password), std::string::npos) << c.what << ": the password is sent";
        for (const std::string& shown :
             {MaskPasswords(text), ErrorBoxText("Login failed for \"" + text + "\""),
              QueryErrorText("OdbcError", "Cannot open " + text + "\r(check the server)")}) {
            EXPECT_EQ(shown.find(c.password), std::string::npos) << c.what << ": " << shown;
            EXPECT_NE(shown.find(kMaskedPassword), std::string::npos) << c.what << ": " << shown;
        }
    }
}

TEST(MaskPasswords, LeavesEveryStatementOfEveryProductAsItIs) {
    // Records and --log mask what they write: the products' own statements
    // must come through exactly.
    const StepRegistry registry = BuildStepRegistry();
    for (const auto& product : Products()) {
        for (const bool web : {false, true}) {
            CatalogueSimulator db;
            test::RecordingDisplay display;
            Progress progress(display);
            FixedOptions options;
            options.edit().web = web;
            RunDriver driver(db, progress, registry, options);
            int statements = 0;
            driver.onStatementSent = [&](const StatementRecord& record) {
                ++statements;
                EXPECT_EQ(MaskPasswords(record.sql), record.sql) << product.id;
                for (const auto& parameter : record.parameters)
                    EXPECT_EQ(MaskPasswords(parameter.value), parameter.value) << product.id;
            };
            db.open("connection");
            driver.RunProduct(std::string(product.id), "connection");
            EXPECT_EQ(statements, static_cast<int>(db.statements().size())) << product.id;
        }
    }
}

TEST(DescribeConnectionText, NamesServerCatalogAndFile) {
    using Text = std::optional<std::string>;
    const struct {
        const char* what;
        std::string text;
        Text server, catalog, file;
    } cases[] = {
        {"SQL 2008", "Provider=SQLOLEDB.1;Integrated Security=SSPI;Persist Security Info=False;Initial Catalog=Velora;"
                     "Data Source=PC1\\SQLEXPRESS",
         "PC1\\SQLEXPRESS", "Velora", {}},
        {"SQL 2000 names no server", "Provider=SQLOLEDB.1;Initial Catalog=Velora;", {}, "Velora", {}},
        {"hosted", "Provider=SQLOLEDB.1;Password=x;Persist Security Info=True;User ID=u;Initial Catalog=T2;"
                   "Data Source=192.0.2.10",
         "192.0.2.10", "T2", {}},
        {"web, no provider", "Data Source=198.51.100.7;Initial Catalog=VW;User ID=u;Password=p;", "198.51.100.7", "VW",
         {}},
        {"Access", "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/d/p.mdb;Persist Security Info=False; Jet "
                   "OLEDB:Database Password=1",
         {}, {}, "/d/p.mdb"},
        {"ODBC with braces", "Driver={FreeTDS};Server={a;b};Port=1433;Database=Velora;UID=sa;PWD={x;y}", "a;b",
         "Velora", {}},
        {"ODBC Access", "Driver={Microsoft Access Driver (*.mdb)};DBQ=C:\\x.mdb;PWD=1", {}, {}, "C:\\x.mdb"},
        {"an empty value names nothing", "Server=;Database=Pelsa", {}, "Pelsa", {}},
        {"nothing", "", {}, {}, {}},
    };
    for (const auto& c : cases) {
        const ConnectionTarget target = DescribeConnectionText(c.text);
        EXPECT_EQ(target.server, c.server) << c.what;
        EXPECT_EQ(target.catalog, c.catalog) << c.what;
        EXPECT_EQ(target.file, c.file) << c.what;
    }
}

}  // namespace
}  // namespace orvel
