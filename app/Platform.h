// The few things the core asks of the operating system.
//
// Everything platform-specific lives in Platform.cpp: the computer's name,
// the directory of the running program, the process locale, and the
// keyboard layout switch of the query window.
#pragma once

#include <filesystem>
#include <string>

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

// Puts the process in the user's locale, falling back to C.UTF-8, so that
// text handed to ODBC drivers without wide entry points converts correctly.
void UseUtf8Locale();

// Loads and activates the United States English keyboard layout, so that
// statements are typed in Latin letters.  Windows only; elsewhere the layout
// belongs to the desktop session and this does nothing.
void ActivateUsKeyboardLayout();

}  // namespace orvel
