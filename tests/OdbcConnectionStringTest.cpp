// Connection texts translated into ODBC connection strings: the driver
// chosen, the keys renamed, and values that cannot add keys of their own.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "TestSupport.h"
#include "upgrade/ConnectionSettings.h"
#include "database/Database.h"
#include "database/OdbcConnectionString.h"

namespace orvel {
namespace {

using Drivers = std::vector<std::string>;

const Drivers kEveryDriver{"SQLite3", "FreeTDS", "ODBC Driver 17 for SQL Server", "ODBC Driver 18 for SQL Server",
                           "MDBTools", "Microsoft Access Driver (*.mdb, *.accdb)"};

OdbcDriverPreferences installed(Drivers drivers) { return {std::move(drivers), std::nullopt, std::nullopt}; }

TEST(ToOdbcConnectionString, TranslatesConnectionTexts) {
    const struct {
        const char* what;
        OdbcDriverPreferences preferences;
        const char* text;
        const char* expected;
    } cases[] = {
        {"an ODBC string is used as it is", installed(kEveryDriver),
         "DRIVER={SQLite3};Database=/tmp/a.db", "DRIVER={SQLite3};Database=/tmp/a.db"},
        {"a DSN, any letter case", installed({}), " dsn =Velora;UID=sa", " dsn =Velora;UID=sa"},
        {"an ODBC string ADO could not read", installed({}), "Driver={FreeTDS};PWD={a;b}", "Driver={FreeTDS};PWD={a;b}"},
        {"the default text", installed(kEveryDriver),
         "Provider=SQLOLEDB.1;Integrated Security=SSPI;Persist Security Info=False;Initial Catalog=Velora;"
         "Data Source=PC1\\SQLEXPRESS",
         "Driver={ODBC Driver 18 for SQL Server};Server=PC1\\SQLEXPRESS;Trusted_Connection=yes;Database=Velora;"
         "Encrypt=Optional"},
        {"no server named: the local default instance", installed({"ODBC Driver 17 for SQL Server", "FreeTDS"}),
         "Provider=SQLOLEDB.1;Integrated Security=SSPI;Persist Security Info=False;Initial Catalog=Velora;",
         "Driver={ODBC Driver 17 for SQL Server};Server=(local);Trusted_Connection=yes;Database=Velora"},
        {"an empty server with FreeTDS", installed({"SQLite3", "FreeTDS"}),
         "Provider=SQLOLEDB.1;Initial Catalog=tamrix2;Data Source=",
         "Driver={FreeTDS};Server=localhost;Database=tamrix2"},
        {"no provider: a SQL Server login", installed(kEveryDriver),
         "Data Source=198.51.100.7;Initial Catalog=Velora;User ID=velora_user;Password=012345678;",
         "Driver={ODBC Driver 18 for SQL Server};Server=198.51.100.7;Database=Velora;UID=velora_user;PWD=012345678;"
         "Encrypt=Optional"},
        {"the hosted server's key order", installed({"FreeTDS"}),
         "Provider=SQLOLEDB.1;Password=0123456789;Persist Security Info=True;User ID=tamrix2_user;"
         "Initial Catalog=Tamrix2;Data Source=192.0.2.10",
         "Driver={FreeTDS};Server=192.0.2.10;PWD=0123456789;UID=tamrix2_user;Database=Tamrix2"},
        {"keys ignore case and blanks, values quoted", installed({"FreeTDS"}),
         "provider = sqloledb.1 ;INITIAL CATALOG= 'My;Db' ; data source =  S1 ;Password=\"p\"\"q\"",
         "Driver={FreeTDS};Server=S1;Database={My;Db};PWD=p\"q"},
        {"a quoted value cannot add a key", installed(kEveryDriver),
         "Password=\"x;Driver={Evil}\";User ID=u",
         "Driver={ODBC Driver 18 for SQL Server};Server=(local);PWD={x;Driver={Evil}}};UID=u;Encrypt=Optional"},
        {"a value starting with a brace or a blank", installed({"FreeTDS"}),
         "User ID=\" sa\";Password={abc}", "Driver={FreeTDS};Server=localhost;UID={ sa};PWD={{abc}}}"},
        {"the text's own encryption setting", installed(kEveryDriver),
         "Initial Catalog=V;Use Encryption for Data=True;Trust Server Certificate=True",
         "Driver={ODBC Driver 18 for SQL Server};Server=(local);Database=V;Encrypt=yes;TrustServerCertificate=yes"},
        {"Encrypt as ODBC spells it", installed(kEveryDriver), "Initial Catalog=V;encrypt=Strict",
         "Driver={ODBC Driver 18 for SQL Server};Server=(local);Database=V;Encrypt=Strict"},
        {"Integrated Security off adds nothing", installed({"FreeTDS"}), "Integrated Security=False;Data Source=h",
         "Driver={FreeTDS};Server=h"},
        {"driver options are passed on", installed({"FreeTDS"}), "Data Source=h;Port=1433;TDS_Version=7.4",
         "Driver={FreeTDS};Server=h;Port=1433;TDS_Version=7.4"},
        {"the environment names the driver", {{"FreeTDS"}, "SQL Server Native Client 11.0", std::nullopt},
         "Initial Catalog=V", "Driver={SQL Server Native Client 11.0};Server=(local);Database=V"},
        {"the environment names Driver 18", {{}, "odbc driver 18 for sql server", std::nullopt}, "Initial Catalog=V",
         "Driver={odbc driver 18 for sql server};Server=(local);Database=V;Encrypt=Optional"},
        {"the Access text", installed(kEveryDriver),
         "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\Data\\Velora.mdb;Persist Security Info=False; "
         "Jet OLEDB:Database Password=5062917348",
         "Driver={Microsoft Access Driver (*.mdb, *.accdb)};DBQ=C:\\Data\\Velora.mdb;PWD=5062917348"},
        {"an Access path that would add a key", installed({"MDBTools"}),
         "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=\"/srv/a;PWD=1}.mdb\"",
         "Driver={MDBTools};DBQ={/srv/a;PWD=1}}.mdb}"},
        {"the environment names the Access driver", {{}, std::nullopt, "Access (x) {1}"},
         "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/srv/a.mdb", "Driver={Access (x) {1}}};DBQ=/srv/a.mdb"},
    };
    for (const auto& c : cases) EXPECT_EQ(ToOdbcConnectionString(c.text, c.preferences), c.expected) << c.what;
}

TEST(ToOdbcConnectionString, RefusesTextsItCannotTranslate) {
    const struct {
        const char* what;
        OdbcDriverPreferences preferences;
        const char* text;
        std::vector<std::string> messageParts;
    } cases[] = {
        {"an unknown provider", installed(kEveryDriver), "Provider=MSDASQL.1;Data Source=x", {"\"MSDASQL.1\""}},
        {"no SQL Server driver", installed({"SQLite3", "MDBTools"}), "Initial Catalog=Velora",
         {"ODBC Driver 18 for SQL Server", "ORVEL_SQLSERVER_DRIVER"}},
        {"no Access driver", installed({"SQLite3", "FreeTDS"}), "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=a.mdb",
         {"Microsoft Access Driver (*.mdb, *.accdb)", "ORVEL_ACCESS_DRIVER"}},
        {"a part without a key", installed(kEveryDriver), "Initial Catalog=Velora;stray text", {"\"stray text\""}},
        {"an Access path holding a driver", installed(kEveryDriver),
         "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\x;Driver={Evil}.mdb;Persist Security Info=False",
         {"\"Driver\"", "\";\""}},
        {"an Access path holding another key", installed({"MDBTools"}),
         "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/srv/a;b=c.mdb; Jet OLEDB:Database Password=1",
         {"\"b\"", "move or rename"}},
        {"a server name holding a data source", installed(kEveryDriver),
         "Provider=SQLOLEDB.1;Initial Catalog=Velora;Data Source=PC1;DSN=Other", {"\"DSN\""}},
        {"an empty key", installed(kEveryDriver), "Initial Catalog=Velora; =x", {"\"=x\""}},
        {"an unterminated quote", installed(kEveryDriver), "Password=\"abc;Initial Catalog=V", {"Password=\"abc"}},
        {"text after a quote", installed(kEveryDriver), "Password='a'b;Initial Catalog=V", {"Password='a'b"}},
    };
    for (const auto& c : cases) {
        try {
            ToOdbcConnectionString(c.text, c.preferences);
            ADD_FAILURE() << c.what << ": no error";
        } catch (const DatabaseError& e) {
            EXPECT_EQ(e.errorClass(), "ConnectionTextError") << c.what;
            for (const auto& part : c.messageParts)
                EXPECT_NE(std::string(e.what()).find(part), std::string::npos) << c.what << ": " << e.what();
        }
    }
}

TEST(ToOdbcConnectionString, ValuesOfTheSettingsReachTheDriverWhole) {
    // A password from the remote connections file, or an Access file chosen
    // in the dialog, holding what could end a value early or add a key.
    const struct {
        const char* what;
        std::string value;
        std::string expectedPart;
    } cases[] = {
        {"a password with \";\"", "p;Driver={Evil}", "PWD={p;Driver={Evil}}}"},
        {"a password starting with a quote", "\"q'x", "PWD=\"q'x"},
        {"a password with blanks around it", " pw ", "PWD={ pw }"},
        {"a plain password", "Pw0123", "PWD=Pw0123"},
        {"an Access file in a folder with \";\"", "/srv/a;b=c/Velora.mdb", "DBQ={/srv/a;b=c/Velora.mdb}"},
    };
    for (const auto& c : cases) {
        test::TempDir dir;
        dir.write(kRemoteConnectionsFile, nlohmann::json{{"Tamrix2Hosted",
                                                          {{"Password", c.value},
                                                           {"User ID", "t2user"},
                                                           {"Initial Catalog", "Tamrix2DB"},
                                                           {"Data Source", "192.0.2.10"}}}}
                                              .dump());
        test::FakeSystem system;
        system.directory = dir.path();
        test::ScriptedDialog dialog;
        dialog.answer = c.value;
        ConnectionSettings settings(system, dialog);
        const bool access = c.expectedPart.starts_with("DBQ");
        ASSERT_TRUE(settings.Prepare(access ? RunOptions{2, DatabaseKind::Access} : RunOptions{1})) << c.what;
        const std::string odbc = ToOdbcConnectionString(settings.ConnectionText(), installed(kEveryDriver));
        EXPECT_NE(odbc.find(c.expectedPart + ";"), std::string::npos) << c.what << ": " << odbc;
    }
}

TEST(OdbcValue, BracesOnlyWhatCouldEndOrOpenAValue) {
    const struct {
        const char* value;
        const char* expected;
    } cases[] = {
        {"", ""},
        {"Velora", "Velora"},
        {"C:\\My Data\\a.mdb", "C:\\My Data\\a.mdb"},
        {"a=b{c", "a=b{c"},
        {"a;b", "{a;b}"},
        {"a}b", "{a}}b}"},
        {"{a", "{{a}"},
        {" a", "{ a}"},
        {"a ", "{a }"},
        {"}", "{}}}"},
    };
    for (const auto& c : cases) EXPECT_EQ(OdbcValue(c.value), c.expected) << c.value;
}

}  // namespace
}  // namespace orvel
