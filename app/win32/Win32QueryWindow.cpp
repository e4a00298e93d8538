// The query window's drawing, binding and modal loop on Win32.
#include "app/win32/Win32QueryWindow.h"

#include <string>

#include "upgrade/WideText.h"
#include "app/win32/Win32PointerScope.h"

namespace orvel {

namespace {

constexpr wchar_t kWindowClass[] = L"OrvelQueryWindow";
constexpr DWORD kStyle = WS_CAPTION | WS_SYSMENU;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

}  // namespace

Win32QueryWindow::Win32QueryWindow(HWND mainWindow, QueryRunner& runner, MessageBoxes& messages)
    : owner_(mainWindow), handlers_(runner, messages, *this) {
    RegisterWin32Class(kWindowClass, DefWindowProcW, IDC_ARROW, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    const WindowTable& table = QueryWindowTable();
    RECT outer{0, 0, table.width, table.height};  // the client size, grown by the frame
    AdjustWindowRectEx(&outer, kStyle, FALSE, kExStyle);
    window_ = CreateWindowExW(kExStyle, kWindowClass, WideFromUtf8(table.caption).c_str(), kStyle, 0, 0,
                              outer.right - outer.left, outer.bottom - outer.top, mainWindow, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    RouteMessagesTo(window_, this);
    controls_.build(table, window_);
}

Win32QueryWindow::~Win32QueryWindow() {
    if (IsWindow(window_)) DestroyWindow(window_);
}

void Win32QueryWindow::showModal() {
    RECT main{}, own{};
    GetWindowRect(owner_, &main);
    GetWindowRect(window_, &own);
    const int width = own.right - own.left, height = own.bottom - own.top;
    SetWindowPos(window_, nullptr, main.left + (main.right - main.left - width) / 2,
                 main.top + (main.bottom - main.top - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);

    EnableWindow(owner_, FALSE);
    ShowWindow(window_, SW_SHOW);
    SetForegroundWindow(window_);
    handlers_.FormShow();
    open_ = true;
    MSG message;
    bool quitting = false;
    while (open_) {
        if (GetMessageW(&message, nullptr, 0, 0) <= 0) {
            quitting = true;
            break;
        }
        if (IsDialogMessageW(window_, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    // The main window is enabled before this one hides, so it, and not some
    // other program, comes to the front.
    EnableWindow(owner_, TRUE);
    ShowWindow(window_, SW_HIDE);
    SetActiveWindow(owner_);
    if (quitting) PostQuitMessage(static_cast<int>(message.wParam));
}

std::string Win32QueryWindow::typedText() const {
    HWND memo = controls_.get(ControlId::Memo1);
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(memo)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(memo, text.data(), static_cast<int>(text.size()))));
    return Utf8FromWide(text);
}

void Win32QueryWindow::setTypedText(std::string_view text) {
    SetWindowTextW(controls_.get(ControlId::Memo1), WideFromUtf8(text).c_str());
}

void Win32QueryWindow::focusTypedText() { SetFocus(controls_.get(ControlId::Memo1)); }

void Win32QueryWindow::closeWindow() { open_ = false; }

LRESULT Win32QueryWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND: {
        if (HIWORD(wParam) != BN_CLICKED) break;
        const int id = LOWORD(wParam);
        if (id == IDCANCEL) {  // Esc
            handlers_.BitBtn1Click();
            return 0;
        }
        if (id == IDOK) {  // Enter outside the text presses the focused button
            HWND focus = GetFocus();
            if (focus && IsChild(window_, focus) && focus != controls_.get(ControlId::Memo1))
                SendMessageW(focus, BM_CLICK, 0, 0);
            return 0;
        }
        const auto control = controls_.controlOf(id);
        if (control == ControlId::QueryBitBtn1) handlers_.BitBtn1Click();
        if (control == ControlId::QueryBitBtn2) {
            Win32PointerScope busy(Win32PointerScope::Wait);
            handlers_.BitBtn2Click();
        }
        return 0;
    }
    case WM_SETCURSOR:
        if (Win32PointerScope::showScopedPointer()) return TRUE;
        break;
    case WM_CLOSE:  // the close box: hide, never destroy (shown again later)
        handlers_.BitBtn1Click();
        return 0;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

}  // namespace orvel
