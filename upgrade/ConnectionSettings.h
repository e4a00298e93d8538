// Turning the window's options into the connection of a run.
//
// Button2Click works out the product and the server part of the connection
// text; Button3Click builds the connection text for the chosen database kind,
// or marks the attempt aborted (Oracle, or the file dialog cancelled).  The
// values live as long as the program and keep their last contents between
// attempts.  Connect() is the calling order every caller uses; Prepare() and
// OpenConnection() are its two halves, for callers that do something between
// them (start the record of a run).
#pragma once

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>

#include "upgrade/Platform.h"
#include "upgrade/RunOptions.h"
#include "database/Database.h"

namespace orvel {

// A settings input that cannot be used: an unreadable ServerName.txt, a
// missing or malformed remote connections file.
class SettingsError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The file-open dialog for Access database files (OpenDialog1).
class AccessFileDialog {
public:
    virtual ~AccessFileDialog() = default;
    // The full path of the confirmed file, or nothing when cancelled.
    virtual std::optional<std::string> chooseFile(const std::string& filter) = 0;
};

inline constexpr const char* kAccessFileFilter = "DataBase Files(*.mdb)|*.mdb";
inline constexpr const char* kServerNameFile = "ServerName.txt";
inline constexpr const char* kRemoteConnectionsFile = "RemoteConnections.json";
inline constexpr const char* kAccessDatabasePassword = "5062917348";

class ConnectionSettings {
public:
    ConnectionSettings(const SystemInfo& system, AccessFileDialog& fileDialog);

    void Button2Click(const RunOptions& options);
    void Button3Click(const RunOptions& options);

    // Clears RunAborted, runs Button2Click and Button3Click; unless aborted,
    // closes the connection when open and opens it with ConnectionText.
    // Returns false when the attempt was aborted (nothing opened, no message).
    bool Connect(Database& db, const RunOptions& options);
    // The first half of Connect: returns false when the attempt was aborted.
    bool Prepare(const RunOptions& options);

    const std::string& ProductId() const noexcept { return productId_; }
    const std::string& ComputerName() const noexcept { return computerName_; }
    const std::string& DataSourcePart() const noexcept { return dataSourcePart_; }
    const std::string& AccessFileName() const noexcept { return accessFileName_; }
    const std::string& ConnectionText() const noexcept { return connectionText_; }
    bool RunAborted() const noexcept { return runAborted_; }
    void clearRunAborted() noexcept { runAborted_ = false; }

private:
    std::string serverName() const;
    std::string remoteConnectionText(const char* entry) const;

    const SystemInfo& system_;
    AccessFileDialog& fileDialog_;
    std::string productId_;
    std::string computerName_;
    std::string dataSourcePart_;
    std::string accessFileName_;
    std::string connectionText_;
    bool runAborted_ = false;
};

// The second half of Connect: closes `db` when it is open and opens it with
// `connectionText`.
void OpenConnection(Database& db, const std::string& connectionText);

// The first line of a settings file: the characters before the first
// carriage return or line feed, nothing trimmed but an editor's UTF-8 byte
// order mark.  Throws SettingsError when the file cannot be read.
std::string ReadFirstLine(const std::filesystem::path& file);

}  // namespace orvel
