// The check dialog's drawing, binding and modal loop on Win32.
#include "app/win32/Win32CheckDialog.h"

#include <string>

#include "app/win32/Win32Look.h"
#include "app/win32/Win32PointerScope.h"
#include "upgrade/WideText.h"

namespace orvel {

namespace {

constexpr wchar_t kWindowClass[] = L"OrvelCheckDialog";
constexpr DWORD kStyle = WS_CAPTION | WS_SYSMENU;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT | WS_EX_RTLREADING | WS_EX_RIGHT;

// An edit control breaks lines at a carriage return and line feed.
std::wstring EditText(std::string_view text) {
    std::wstring out;
    for (wchar_t c : WideFromUtf8(text)) {
        if (c == L'\n') out += L'\r';
        out += c;
    }
    return out;
}

}  // namespace

Win32CheckDialog::Win32CheckDialog(HWND mainWindow, std::string_view report) : owner_(mainWindow) {
    const WindowTable& table = CheckDialogTable();
    window_ = CreateOwnedWindow(kWindowClass, kStyle, kExStyle, table.caption, table.width, table.height, mainWindow);
    RouteMessagesTo(window_, this);
    controls_.build(table, window_);
    SetWindowTextW(controls_.get(ControlId::CheckReport), EditText(report).c_str());
}

Win32CheckDialog::~Win32CheckDialog() {
    if (IsWindow(window_)) DestroyWindow(window_);
}

bool Win32CheckDialog::runAnyway() {
    Win32PointerScope reading(Win32PointerScope::Own);
    open_ = true;
    lastFocus_ = controls_.get(CheckDialogTable().initialFocus);
    const bool answered = RunModal(owner_, window_, open_, [this] { SetFocus(lastFocus_); });
    return runAnyway_ && answered;
}

LRESULT Win32CheckDialog::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND: {
        if (HIWORD(wParam) != BN_CLICKED) break;
        const int id = LOWORD(wParam);
        if (id == IDCANCEL) {  // Esc
            open_ = false;
            return 0;
        }
        if (id == IDOK) {  // Enter presses the focused button
            HWND focus = GetFocus();
            if (focus && IsChild(window_, focus)) SendMessageW(focus, BM_CLICK, 0, 0);
            return 0;
        }
        const auto control = controls_.controlOf(id);
        if (control == ControlId::CheckRunAnyway) {
            runAnyway_ = true;
            open_ = false;
        }
        if (control == ControlId::CheckClose) open_ = false;
        return 0;
    }
    case WM_ACTIVATE:
    case WM_SETFOCUS:
        KeepFocusedControl(window_, message, wParam, lastFocus_);
        return 0;
    case WM_SETCURSOR:
        if (Win32PointerScope::showScopedPointer()) return TRUE;
        break;
    case WM_CLOSE:
        open_ = false;
        return 0;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

}  // namespace orvel
