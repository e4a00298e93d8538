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
    const WindowTable& table = QueryWindowTable();
    window_ = CreateOwnedWindow(kWindowClass, kStyle, kExStyle, table.caption, table.width, table.height, mainWindow);
    RouteMessagesTo(window_, this);
    controls_.build(table, window_);
}

Win32QueryWindow::~Win32QueryWindow() {
    if (IsWindow(window_)) DestroyWindow(window_);
}

void Win32QueryWindow::showModal() {
    open_ = true;
    RunModal(owner_, window_, open_, [this] { handlers_.FormShow(); });
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
