// The query window TFQuery on Win32: draws QueryWindowTable() and binds it to
// QueryWindowHandlers.
//
// Created hidden at start-up and shown modally over the main window: while
// it is open the main window is disabled, so it takes no input.  Each
// showing is centred over the main window and runs FormShow (an empty text,
// the United States keyboard layout).  Esc and the close box close it, as
// its exit button does.
#pragma once

#include "app/win32/Win32Controls.h"

#include "query/QueryWindowHandlers.h"

namespace orvel {

class Win32QueryWindow : public QueryWindowView {
public:
    Win32QueryWindow(HWND mainWindow, QueryRunner& runner, MessageBoxes& messages);
    ~Win32QueryWindow() override;
    Win32QueryWindow(const Win32QueryWindow&) = delete;
    Win32QueryWindow& operator=(const Win32QueryWindow&) = delete;

    // Shows the window and returns when it is closed.
    void showModal();

    std::string typedText() const override;
    void setTypedText(std::string_view text) override;
    void focusTypedText() override;
    void closeWindow() override;

    // The window's messages (RouteMessagesTo).
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);

private:

    HWND owner_;
    HWND window_ = nullptr;
    bool open_ = false;
    Win32Controls controls_;
    QueryWindowHandlers handlers_;
};

}  // namespace orvel
