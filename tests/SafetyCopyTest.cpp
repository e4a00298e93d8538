// The safety copy: its name, the copy of an Access file checked against the
// original, and what is sent to a server to back a database up and check
// the backup (SQL Server's backups cannot run here: these pin the text).
#include <gtest/gtest.h>

#include <fstream>

#include "TestSupport.h"
#include "upgrade/SafetyCopy.h"
#include "schema/CatalogueSimulator.h"

namespace orvel {
namespace {

using Strings = std::vector<std::string>;

std::string fileText(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(SafetyCopy, FileNameHasTheNameTheStampAndNoCharacterAFileNameCannotHold) {
    const struct {
        const char* name;
        const char* extension;
        const char* file;
    } cases[] = {
        {"Velora", ".bak", "Velora-before-upgrade-20250114-093012.bak"},
        {"office", ".mdb", "office-before-upgrade-20250114-093012.mdb"},
        {"a/b\\c:d*e?f\"g<h>i|j", ".bak", "a_b_c_d_e_f_g_h_i_j-before-upgrade-20250114-093012.bak"},
        {"بیمه", ".bak", "بیمه-before-upgrade-20250114-093012.bak"},
    };
    for (const auto& c : cases) EXPECT_EQ(SafetyCopyFileName(c.name, "20250114-093012", c.extension), c.file);
}

std::string bytesOfEveryValue(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 7 % 256);
    return bytes;
}

TEST(SafetyCopy, AnAccessFileIsCopiedBesideItOrIntoTheFolderGivenAndEqualsTheOriginal) {
    test::TempDir dir;
    const std::string original = bytesOfEveryValue(200'000);  // more than one block of the comparison
    dir.write("office.mdb", original);
    std::filesystem::create_directory(dir.path() / "copies");
    const struct {
        const char* what;
        std::filesystem::path folder;
        std::filesystem::path expected;
    } cases[] = {
        {"beside it", {}, dir.path() / "office-before-upgrade-20250114-093012.mdb"},
        {"into a folder", dir.path() / "copies", dir.path() / "copies" / "office-before-upgrade-20250114-093012.mdb"},
    };
    for (const auto& c : cases) {
        const SafetyCopy copy = CopyAccessFile(dir.path() / "office.mdb", c.folder, "20250114-093012");
        EXPECT_EQ(copy.path, c.expected.string()) << c.what;
        EXPECT_EQ(copy.bytes, original.size()) << c.what;
        EXPECT_EQ(fileText(c.expected), original) << c.what;
    }
}

TEST(SafetyCopy, AnAccessFileThatCannotBeCopiedIsRefusedWithTheReasonAndNoCopyLeft) {
    const struct {
        const char* what;
        std::function<void(const test::TempDir&)> arrange;
        const char* reason;
    } cases[] = {
        {"the file is missing", [](const test::TempDir&) {}, "there is no such file"},
        {"the file is in use",
         [](const test::TempDir& dir) {
             dir.write("office.mdb", "data");
             dir.write("office.ldb", "");
         },
         "the file is in use"},
        {"a copy of that name exists",
         [](const test::TempDir& dir) {
             dir.write("office.mdb", "data");
             dir.write("office-before-upgrade-20250114-093012.mdb", "an earlier copy");
         },
         "exists already"},
        {"the folder cannot be written", [](const test::TempDir& dir) { dir.write("office.mdb", "data"); },
         "copying it to"},
    };
    for (const auto& c : cases) {
        test::TempDir dir;
        c.arrange(dir);
        const auto folder = std::string(c.reason) == "copying it to" ? dir.path() / "no such folder"
                                                                      : std::filesystem::path();
        const auto before = std::distance(std::filesystem::directory_iterator(dir.path()), {});
        try {
            CopyAccessFile(dir.path() / "office.mdb", folder, "20250114-093012");
            ADD_FAILURE() << c.what << ": no error";
        } catch (const SafetyCopyError& e) {
            EXPECT_NE(std::string(e.what()).find(c.reason), std::string::npos) << c.what << ": " << e.what();
            EXPECT_NE(std::string(e.what()).find("Nothing was sent"), std::string::npos) << e.what();
        }
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), before) << c.what;
    }
}

// A server that answers reads from a script, keeps what it is sent and
// refuses the statements that start with one of `refused`.
class ScriptedServer : public Database {
public:
    std::string version = "12.00.2000";
    std::string product = "Microsoft SQL Server";
    std::map<std::string, std::optional<std::string>> answers;  // first value of a read, by its start
    Strings refused;
    Strings sent;  // reads and statements, in order
    bool open_ = false;

    void open(const std::string&) override { open_ = true; }
    void close() override { open_ = false; }
    bool isOpen() const override { return open_; }
    std::optional<ServerIdentity> serverIdentity() const override { return ServerIdentity{product, version}; }
    std::vector<std::string> tableNames() override { return {}; }
    std::vector<std::string> columnNames(const std::string&) override { return {}; }

protected:
    void doExecute(const std::string& sql) override { answer(sql); }
    void doExecuteQuery(const std::string& sql, const Parameters&) override { answer(sql); }
    std::vector<ResultSet> doReadResults(const std::string& sql) override {
        for (const auto& [start, value] : answers)
            if (sql.starts_with(start)) {
                answer(sql);
                return {{{"BackupSize"}, {{value}}}};  // the name a backup's header gives its size
            }
        answer(sql);
        return {};
    }

private:
    void answer(const std::string& sql) {
        sent.push_back(sql);
        for (const auto& start : refused)
            if (sql.starts_with(start)) throw DatabaseError("E_FAIL", "[SQL Server]" + start + " refused");
    }
};

constexpr const char* kProperty = "SELECT CONVERT(nvarchar(4000), SERVERPROPERTY('InstanceDefaultBackupPath'))";
constexpr const char* kRegistry = "DECLARE @folder";
constexpr const char* kHistory = "SELECT TOP 1 CONVERT(varchar(30), s.backup_size)";

TEST(SafetyCopy, AServerDatabaseIsBackedUpCopyOnlyWithChecksumsAndVerified) {
    const std::string path = "D:\\Backups\\Velora-before-upgrade-20250114-093012.bak";
    const struct {
        const char* what;
        std::string version;
        std::map<std::string, std::optional<std::string>> answers;
        std::string folder;  // given
        Strings refused;
        Strings statements;  // what is sent that is not a read
        std::optional<std::uintmax_t> bytes;
    } cases[] = {
        {"the default folder as a server property",
         "15.00.2000",
         {{kProperty, "D:\\Backups"}, {kHistory, "123456"}},
         "",
         {},
         {"BACKUP DATABASE [Velora] TO DISK = N'" + path + "' WITH COPY_ONLY, CHECKSUM, INIT",
          "RESTORE VERIFYONLY FROM DISK = N'" + path + "' WITH CHECKSUM"},
         123456},
        {"the default folder from the registry, the size from the header",
         "11.00.3000",
         {{kProperty, std::nullopt}, {kRegistry, "D:\\Backups\\"}, {"RESTORE HEADERONLY", "999"}},
         "",
         {kHistory},
         {"BACKUP DATABASE [Velora] TO DISK = N'" + path + "' WITH COPY_ONLY, CHECKSUM, INIT",
          "RESTORE VERIFYONLY FROM DISK = N'" + path + "' WITH CHECKSUM"},
         999},
        {"a folder given; SQL Server 2000 has no copy-only backups or checksums",
         "08.00.2039",
         {},
         "D:\\Backups",
         {},
         {"BACKUP DATABASE [Velora] TO DISK = N'" + path + "' WITH INIT",
          "RESTORE VERIFYONLY FROM DISK = N'" + path + "'"},
         std::nullopt},
    };
    for (const auto& c : cases) {
        ScriptedServer server;
        server.open_ = true;
        server.version = c.version;
        server.answers = c.answers;
        server.answers["SELECT DB_NAME()"] = "Velora";
        server.refused = c.refused;
        const SafetyCopy copy = BackUpServerDatabase(server, c.folder, "20250114-093012");
        EXPECT_EQ(copy.path, path) << c.what;
        EXPECT_EQ(copy.bytes, c.bytes) << c.what;
        Strings statements;
        for (const auto& sql : server.sent)
            if (sql.starts_with("BACKUP") || sql.starts_with("RESTORE VERIFYONLY")) statements.push_back(sql);
        EXPECT_EQ(statements, c.statements) << c.what;
    }
}

TEST(SafetyCopy, AServerBackupThatCannotBeMadeStopsWithTheReason) {
    const struct {
        const char* what;
        Strings refused;
        std::string folder;
        const char* reason;
    } cases[] = {
        {"no default folder told", {kRegistry}, "", "name a folder on the server with --safety-copy DIR"},
        {"the backup refused", {"BACKUP"}, "D:\\Backups", "BACKUP refused"},
        {"the verification refused", {"RESTORE VERIFYONLY"}, "D:\\Backups", "RESTORE VERIFYONLY refused"},
    };
    for (const auto& c : cases) {
        ScriptedServer server;
        server.open_ = true;
        server.answers = {{"SELECT DB_NAME()", "Velora"}, {kProperty, std::nullopt}};
        server.refused = c.refused;
        try {
            BackUpServerDatabase(server, c.folder, "20250114-093012");
            ADD_FAILURE() << c.what << ": no error";
        } catch (const SafetyCopyError& e) {
            EXPECT_NE(std::string(e.what()).find(c.reason), std::string::npos) << c.what << ": " << e.what();
        }
    }
}

TEST(SafetyCopy, TheGuardedConnectionCopiesAnAccessFileBeforeItOpensAndRefusesOtherDatabases) {
    test::TempDir dir;
    dir.write("office.mdb", "data");
    ScriptedServer access;
    SafetyCopyingDatabase guarded(access, "");
    std::optional<SafetyCopy> told;
    guarded.onMade = [&](const SafetyCopy& copy) {
        told = copy;
        EXPECT_FALSE(access.isOpen()) << "copied after the file was opened";
    };
    guarded.open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + (dir.path() / "office.mdb").string());
    ASSERT_TRUE(told);
    EXPECT_EQ(told, guarded.made());
    EXPECT_EQ(fileText(told->path), "data");
    EXPECT_TRUE(access.isOpen());

    ScriptedServer other;
    other.product = "SQLite";
    SafetyCopyingDatabase refusing(other, "");
    EXPECT_THROW(refusing.open("DRIVER={SQLite3};Database=x.db"), SafetyCopyError);
    EXPECT_FALSE(other.isOpen());
    EXPECT_TRUE(other.sent.empty());
}

}  // namespace
}  // namespace orvel
