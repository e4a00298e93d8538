// The check dialog on Win32: draws CheckDialogTable() with the refusals the
// check foresees and waits, modally over the main window, for "Run anyway"
// or "Close" (Esc and the close box close it too).  The main window shows
// it from askRunDespiteRefusals.
#pragma once

#include <string_view>

#include "app/win32/Win32Controls.h"

namespace orvel {

class Win32CheckDialog {
public:
    Win32CheckDialog(HWND mainWindow, std::string_view report);
    ~Win32CheckDialog();
    Win32CheckDialog(const Win32CheckDialog&) = delete;
    Win32CheckDialog& operator=(const Win32CheckDialog&) = delete;

    // Shows the dialog; true when "Run anyway" closed it.
    bool runAnyway();

    // The dialog's messages (RouteMessagesTo).
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);

private:
    HWND owner_;
    HWND window_ = nullptr;
    Win32Controls controls_;
    bool open_ = false;
    bool runAnyway_ = false;
    HWND lastFocus_ = nullptr;  // given back when the dialog is activated again
};

}  // namespace orvel
