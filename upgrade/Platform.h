// The few things the core asks of the operating system.
//
// Everything platform-specific lives in Platform.cpp: the computer's name,
// the directory of the running program, the user's records folder and the
// making of a new file in it, the environment, the process locale and, on
// Windows, the program's arguments.  The keyboard layout switch of the query
// window has a file of its own, KeyboardLayout.cpp, so that programs without
// a window do not link the Windows user-interface library; the UTF-8 and
// UTF-16 conversions of every Windows-only part are in WideText.h.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

namespace orvel {

// What connection settings need from the machine; tests supply their own.
class SystemInfo {
public:
    virtual ~SystemInfo() = default;
    // The computer's name as the system reports it; empty when the query fails.
    virtual std::string computerName() const = 0;
    // The directory that holds the running program.
    virtual std::filesystem::path programDirectory() const = 0;
};

class LocalSystem : public SystemInfo {
public:
    std::string computerName() const override;
    std::filesystem::path programDirectory() const override;
};

// The folder where both programs keep the records of runs: "orvel-updater"
// in the user's own data folder, %LOCALAPPDATA% on Windows, $XDG_STATE_HOME
// (or ~/.local/state) elsewhere.  Empty when the system names no such folder.
std::filesystem::path UserRecordsFolder();

// Makes `file` as a new empty file that only the user may read and write,
// unless a file of that name exists: then false, with `error` clear.  Looking
// and making are one step, so two programs never both make the same file.
bool CreateNewFile(const std::filesystem::path& file, std::error_code& error);

// An environment variable's value as UTF-8; nothing when it is not set.
std::optional<std::string> EnvironmentText(const char* name);

// Puts the process in the user's locale, falling back to C.UTF-8, so that
// text handed to ODBC drivers without wide entry points converts correctly.
void UseUtf8Locale();

// Loads and activates the United States English keyboard layout, so that
// statements are typed in Latin letters.  Windows only; elsewhere the layout
// belongs to the desktop session and this does nothing.
void ActivateUsKeyboardLayout();

#ifdef _WIN32
// The arguments wmain() received (UTF-16) after the program's name, as UTF-8.
std::vector<std::string> Utf8Arguments(int argc, wchar_t** argv);
#endif

}  // namespace orvel
