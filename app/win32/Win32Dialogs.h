// The dialogs a person answers, on Win32: message boxes and the Access file
// dialog.  The handlers only know the interfaces (MessageBoxes,
// AccessFileDialog).  While a box or the dialog waits for its answer the
// pointer is the windows' own, also in the middle of a run
// (Win32PointerScope).
#pragma once

#include <optional>
#include <string>

#include "upgrade/ConnectionSettings.h"
#include "upgrade/MessageBoxes.h"

namespace orvel {

// MessageBoxW over the window in front, captioned with the application
// title, with one OK button; text that reads right to left is laid out so.
class Win32MessageBoxes : public MessageBoxes {
public:
    void inform(const std::string& text) override;
    void showError(const std::string& text) override;
};

// OpenDialog1: the system's file-open dialog over the window in front.
class Win32AccessFileDialog : public AccessFileDialog {
public:
    std::optional<std::string> chooseFile(const std::string& filter) override;
};

// "Description|pattern|..." as the file dialog wants it: the parts
// separated by NUL characters, two at the end.
std::wstring Win32FileFilter(const std::string& filter);

}  // namespace orvel
