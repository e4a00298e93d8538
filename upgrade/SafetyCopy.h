// A copy of the database made before a run sends anything, to go back to
// when the run leaves it in a state nobody wants.
//
// SQL Server: a copy-only full backup with checksums into a folder on the
// server (by default the instance's default backup folder), verified by the
// server afterwards; copy-only, so the customer's own backup chain goes on
// as before.  Access: a copy of the file, made before the connection opens
// and compared byte for byte with the original.  Either is named
// <catalog or file name>-before-upgrade-<yyyymmdd-hhmmss> with the
// original's extension (.bak for a backup).
//
// SafetyCopyingDatabase puts this in front of a connection: its first open
// makes the copy (for an Access file before the file is opened, for a
// server just after), and a copy that cannot be made fails the open, so
// the run stops with the reason before anything is sent.  What it sends to
// make and check the copy is no statement of the run: it goes to the
// connection past the run's log.
#pragma once

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "database/Database.h"
#include "database/ForwardingDatabase.h"

namespace orvel {

struct SafetyCopy {
    std::string path;                     // a path on the server's disk, or of the copied file
    std::optional<std::uintmax_t> bytes;  // its size; none when the server does not tell it
    std::string check;                    // how the copy was checked

    bool operator==(const SafetyCopy&) const = default;
};

// The copy could not be made; nothing has been sent.
class SafetyCopyError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The local time `when` as yyyymmdd-hhmmss.
std::string SafetyCopyStamp(std::time_t when);

// <name>-before-upgrade-<stamp><extension>; a character no file name may
// hold (\ / : * ? " < > | and control characters) becomes "_".
std::string SafetyCopyFileName(std::string_view name, std::string_view stamp, std::string_view extension);

// Copies the Access file `file` into `folder` (beside it when empty) and
// compares the copy with it byte for byte.  A file in use (its lock file
// exists), a copy that cannot be written or that differs is refused and
// any partial copy removed.
SafetyCopy CopyAccessFile(const std::filesystem::path& file, const std::filesystem::path& folder,
                          std::string_view stamp);

// Backs up the database `connection` is open on into `folder` on the server
// (its default backup folder when empty), then has the server verify the
// backup.  The size comes from the server's backup history, or from the
// backup's header when the history cannot be read.
SafetyCopy BackUpServerDatabase(Database& connection, const std::string& folder, std::string_view stamp);

// {"safetyCopy": {"path": ..., "bytes": ..., "check": ...}}: the line of a
// record or a `--log` file that names the copy.
nlohmann::ordered_json SafetyCopyJson(const SafetyCopy& copy);
// "safety copy: PATH (N bytes), CHECK" for the user.
std::string DescribeSafetyCopy(const SafetyCopy& copy);

class SafetyCopyingDatabase : public ForwardingDatabase {
public:
    // `folder` is where the copy goes (empty: the default for the kind).
    SafetyCopyingDatabase(Database& connection, std::string folder)
        : ForwardingDatabase(connection), connection_(connection), folder_(std::move(folder)) {}

    // Called once the copy is made and checked.
    std::function<void(const SafetyCopy&)> onMade;
    const std::optional<SafetyCopy>& made() const noexcept { return made_; }

    // The first open makes the copy; later opens (reconnect points) pass on.
    void open(const std::string& connectionText) override;

private:
    void backUpServer();

    Database& connection_;
    std::string folder_;
    std::optional<SafetyCopy> made_;
};

}  // namespace orvel
