// Making and checking the safety copy of a server database or an Access file.
#include "upgrade/SafetyCopy.h"

#include <array>
#include <fstream>

#include <fmt/chrono.h>
#include <fmt/format.h>

#include "database/ConnectionText.h"
#include "database/NameMatching.h"
#include "database/SqlTokens.h"
#include "database/Utf8Path.h"

namespace orvel {

namespace {

constexpr const char* kNothingSent = "Nothing was sent; the database is as it was";

[[noreturn]] void refuse(const std::string& what, const std::string& reason) {
    throw SafetyCopyError("The safety copy " + what + " cannot be made: " + reason + ". " + kNothingSent);
}

// --- Access --------------------------------------------------------------

// The lock file the Access engine keeps beside a file while it is open.
std::optional<std::filesystem::path> lockFileOf(const std::filesystem::path& file) {
    for (const char* extension : {".ldb", ".laccdb"}) {
        std::filesystem::path lock = file;
        lock.replace_extension(extension);
        std::error_code error;
        if (std::filesystem::exists(lock, error)) return lock;
    }
    return std::nullopt;
}

bool sameBytes(const std::filesystem::path& a, const std::filesystem::path& b) {
    std::ifstream first(a, std::ios::binary), second(b, std::ios::binary);
    if (!first || !second) return false;
    std::array<char, 1 << 16> x{}, y{};
    while (true) {
        first.read(x.data(), x.size());
        second.read(y.data(), y.size());
        if (first.gcount() != second.gcount()) return false;
        if (!std::equal(x.begin(), x.begin() + first.gcount(), y.begin())) return false;
        if (first.gcount() == 0 || !first) return first.eof() && second.eof() && !first.bad() && !second.bad();
    }
}

// --- SQL Server ----------------------------------------------------------

// The first value of the first row of a read; none when the read gives no
// row or a NULL.
std::optional<std::string> firstValue(Database& connection, const std::string& sql) {
    for (const auto& result : connection.readResults(sql))
        if (!result.rows.empty() && !result.rows.front().empty()) return result.rows.front().front();
    return std::nullopt;
}

// The value of column `column` in the first row of a read.
std::optional<std::string> valueOf(Database& connection, const std::string& sql, std::string_view column) {
    for (const auto& result : connection.readResults(sql)) {
        if (result.rows.empty()) continue;
        for (std::size_t i = 0; i < result.columns.size(); ++i)
            if (EqualIgnoringAsciiCase(result.columns[i], column) && i < result.rows.front().size())
                return result.rows.front()[i];
    }
    return std::nullopt;
}

// SQL Server 2000 (major version 8) knows neither copy-only backups nor
// backup checksums.
bool knowsCopyOnly(const Database& connection) {
    const auto identity = connection.serverIdentity();
    if (!identity) return true;
    try {
        return std::stoi(identity->version) >= 9;
    } catch (const std::exception&) {
        return true;
    }
}

// The instance's default backup folder: a server property from SQL Server
// 2019 on, the instance's registry setting before.
std::string defaultBackupFolder(Database& connection) {
    std::string reason = "the server names none";
    try {
        const auto property = firstValue(
            connection, "SELECT CONVERT(nvarchar(4000), SERVERPROPERTY('InstanceDefaultBackupPath'))");
        if (property && !property->empty()) return *property;
        const auto registry = firstValue(
            connection,
            "DECLARE @folder nvarchar(4000);\n"
            "EXEC master.dbo.xp_instance_regread N'HKEY_LOCAL_MACHINE', "
            "N'Software\\Microsoft\\MSSQLServer\\MSSQLServer', N'BackupDirectory', @folder OUTPUT;\n"
            "SELECT @folder");
        if (registry && !registry->empty()) return *registry;
    } catch (const DatabaseError& e) {
        reason = std::string("the server says: ") + e.what();
    }
    refuse("of the database", "the server does not tell its default backup folder (" + reason +
                                  "); name a folder on the server with --safety-copy DIR");
}

// `folder` and `file` joined with the separator the folder already uses.
std::string serverPath(const std::string& folder, const std::string& file) {
    if (folder.ends_with('\\') || folder.ends_with('/')) return folder + file;
    const bool slashes = folder.find('/') != std::string::npos && folder.find('\\') == std::string::npos;
    return folder + (slashes ? "/" : "\\") + file;
}

std::optional<std::uintmax_t> asSize(const std::optional<std::string>& text) {
    if (!text) return std::nullopt;
    try {
        std::size_t used = 0;
        const unsigned long long value = std::stoull(*text, &used);
        if (used == 0) return std::nullopt;
        return value;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

// The size of the backup just written, from the server's backup history or
// else from the backup's own header; none when neither can be read.
std::optional<std::uintmax_t> backupSize(Database& connection, const std::string& catalog, const std::string& path) {
    try {
        if (auto size = asSize(firstValue(
                connection,
                "SELECT TOP 1 CONVERT(varchar(30), s.backup_size) FROM msdb.dbo.backupset s "
                "JOIN msdb.dbo.backupmediafamily m ON m.media_set_id = s.media_set_id "
                "WHERE s.database_name = " + UnicodeLiteral(catalog) +
                    " AND m.physical_device_name = " + UnicodeLiteral(path) +
                    " ORDER BY s.backup_finish_date DESC")))
            return size;
    } catch (const DatabaseError&) {
        // No right to read the history: the header may still tell.
    }
    try {
        return asSize(valueOf(connection, "RESTORE HEADERONLY FROM DISK = " + UnicodeLiteral(path), "BackupSize"));
    } catch (const DatabaseError&) {
        return std::nullopt;
    }
}

}  // namespace

std::string SafetyCopyStamp(std::time_t when) { return fmt::format("{:%Y%m%d-%H%M%S}", fmt::localtime(when)); }

std::string SafetyCopyFileName(std::string_view name, std::string_view stamp, std::string_view extension) {
    std::string file;
    for (char c : name) {
        const bool forbidden = static_cast<unsigned char>(c) < 0x20 ||
                               std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos;
        file += forbidden ? '_' : c;
    }
    return file + "-before-upgrade-" + std::string(stamp) + std::string(extension);
}

SafetyCopy CopyAccessFile(const std::filesystem::path& file, const std::filesystem::path& folder,
                          std::string_view stamp) {
    const std::string shown = "of \"" + Utf8FromPath(file) + "\"";
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error)) refuse(shown, "there is no such file");
    if (const auto lock = lockFileOf(file))
        refuse(shown, "the file is in use (its lock file \"" + Utf8FromPath(*lock) +
                          "\" exists); close every program that has it open, or delete a lock file left by one "
                          "that ended, and run again");
    std::filesystem::path into = folder.empty() ? file.parent_path() : folder;
    if (into.empty()) into = ".";
    const auto copy = into / PathFromUtf8(SafetyCopyFileName(Utf8FromPath(file.stem()), stamp,
                                                             Utf8FromPath(file.extension())));
    if (std::filesystem::exists(copy, error)) refuse(shown, "\"" + Utf8FromPath(copy) + "\" exists already");
    if (!std::filesystem::copy_file(file, copy, error)) {
        std::error_code ignored;
        std::filesystem::remove(copy, ignored);
        refuse(shown, "copying it to \"" + Utf8FromPath(copy) + "\" failed (" + error.message() + ")");
    }
    const auto bytes = std::filesystem::file_size(file, error);
    const bool equal = !error && std::filesystem::file_size(copy, error) == bytes && !error && sameBytes(file, copy);
    if (!equal) {
        std::error_code ignored;
        std::filesystem::remove(copy, ignored);
        refuse(shown, "the copy \"" + Utf8FromPath(copy) + "\" differs from the original (removed again)");
    }
    return {Utf8FromPath(copy), bytes, "compared byte for byte with the original"};
}

SafetyCopy BackUpServerDatabase(Database& connection, const std::string& folder, std::string_view stamp) {
    std::string shown = "of the database";
    try {
        const std::string catalog = firstValue(connection, "SELECT DB_NAME()").value_or("");
        if (catalog.empty()) refuse(shown, "the server does not name the database of the connection");
        shown = "of " + BracketedName(catalog);
        const std::string path = serverPath(folder.empty() ? defaultBackupFolder(connection) : folder,
                                            SafetyCopyFileName(catalog, stamp, ".bak"));
        const bool modern = knowsCopyOnly(connection);
        connection.execute("BACKUP DATABASE " + BracketedName(catalog) + " TO DISK = " + UnicodeLiteral(path) +
                           (modern ? " WITH COPY_ONLY, CHECKSUM, INIT" : " WITH INIT"));
        connection.execute("RESTORE VERIFYONLY FROM DISK = " + UnicodeLiteral(path) +
                           (modern ? " WITH CHECKSUM" : ""));
        return {path, backupSize(connection, catalog, path),
                modern ? "verified by the server with its checksums" : "verified by the server"};
    } catch (const DatabaseError& e) {
        refuse(shown, std::string("the server says: ") + e.what());
    }
}

nlohmann::ordered_json SafetyCopyJson(const SafetyCopy& copy) {
    nlohmann::ordered_json made;
    made["path"] = copy.path;
    made["bytes"] = copy.bytes ? nlohmann::ordered_json(*copy.bytes) : nlohmann::ordered_json(nullptr);
    made["check"] = copy.check;
    nlohmann::ordered_json line;
    line["safetyCopy"] = std::move(made);
    return line;
}

std::string DescribeSafetyCopy(const SafetyCopy& copy) {
    const std::string size = copy.bytes ? fmt::format("{} bytes", *copy.bytes) : std::string("size not told");
    return fmt::format("safety copy: {} ({}), {}", copy.path, size, copy.check);
}

void SafetyCopyingDatabase::open(const std::string& connectionText) {
    if (made_) {
        connection_.open(connectionText);
        return;
    }
    const std::string stamp = SafetyCopyStamp(std::time(nullptr));
    if (const auto file = DescribeConnectionText(connectionText).file) {
        made_ = CopyAccessFile(PathFromUtf8(*file), PathFromUtf8(folder_), stamp);
        if (onMade) onMade(*made_);
        connection_.open(connectionText);
        return;
    }
    connection_.open(connectionText);
    try {
        const auto identity = connection_.serverIdentity();
        if (!identity || identity->product.find("SQL Server") == std::string::npos)
            refuse("of the database",
                   "it is neither on SQL Server nor an Access file, and this program makes copies of no other (the "
                   "driver names it \"" + (identity ? identity->product : std::string("nothing")) + "\")");
        made_ = BackUpServerDatabase(connection_, folder_, stamp);
    } catch (...) {
        connection_.close();
        throw;
    }
    if (onMade) onMade(*made_);
}

}  // namespace orvel
