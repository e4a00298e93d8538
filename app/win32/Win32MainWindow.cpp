// The main window's drawing and binding on Win32.  The buttons that start work
// run their handlers under the wait cursor; the query window, which waits for
// typing, shows the windows' own pointers.
#include "app/win32/Win32MainWindow.h"

#include "upgrade/WideText.h"
#include "app/win32/Win32CheckDialog.h"
#include "app/win32/Win32Look.h"
#include "app/win32/Win32PointerScope.h"
#include "app/win32/Win32QueryWindow.h"

namespace orvel {

namespace {

constexpr wchar_t kWindowClass[] = L"OrvelMainWindow";

bool isPushButton(HWND control) {
    wchar_t name[16] = {};
    GetClassNameW(control, name, 16);
    if (lstrcmpiW(name, L"BUTTON") != 0) return false;
    const LONG_PTR type = GetWindowLongPtrW(control, GWL_STYLE) & BS_TYPEMASK;
    return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON;
}

}  // namespace

Win32MainWindow::Win32MainWindow(const WindowServices& services) : handlers_(services, *this) {
    RegisterWin32Class(kWindowClass, DefWindowProcW, IDC_ARROW, nullptr, true);
    const WindowTable& table = MainWindowTable();
    background_ = CreateSolidBrush(table.background ? Win32Colour(*table.background) : GetSysColor(COLOR_WINDOW));
    RECT area{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    const int left = area.left + (area.right - area.left - table.width) / 2;
    const int top = area.top + (area.bottom - area.top - table.height) / 2;
    window_ = CreateWindowExW(WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT | WS_EX_RTLREADING | WS_EX_RIGHT, kWindowClass,
                              WideFromUtf8(table.caption).c_str(), WS_CAPTION | WS_SYSMENU, left,
                              top, table.width, table.height, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    RouteMessagesTo(window_, this);
    SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(Win32Font(table.font)), FALSE);
    controls_.build(table, window_);
    lastFocus_ = controls_.get(table.initialFocus);
}

Win32MainWindow::~Win32MainWindow() {
    if (IsWindow(window_)) DestroyWindow(window_);
    DeleteObject(background_);
}

void Win32MainWindow::show() {
    ShowWindow(window_, SW_SHOW);
    UpdateWindow(window_);
    SetForegroundWindow(window_);
    SetFocus(lastFocus_);
}

int Win32MainWindow::selectedEntry(ControlId radioGroup) const { return controls_.selectedEntry(radioGroup); }

bool Win32MainWindow::isChecked(ControlId button) const { return controls_.isChecked(controls_.get(button)); }

void Win32MainWindow::showText(ControlId label, std::string_view text) {
    HWND control = controls_.get(label);
    SetWindowTextW(control, WideFromUtf8(text).c_str());
    RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void Win32MainWindow::showGauge(ControlId gauge, const Gauge& state) { controls_.showGauge(gauge, state); }

void Win32MainWindow::giveFocus(ControlId control) {
    lastFocus_ = controls_.get(control);
    SetFocus(lastFocus_);
}

void Win32MainWindow::closeWindow() { PostMessageW(window_, WM_CLOSE, 0, 0); }

void Win32MainWindow::showQueryWindow() {
    Win32PointerScope typing(Win32PointerScope::Own);
    if (queryWindow_) queryWindow_->showModal();
}

void Win32MainWindow::discardQueuedInput() { DiscardQueuedWin32Input(); }

bool Win32MainWindow::askRunDespiteRefusals(std::string_view report) {
    Win32CheckDialog dialog(window_, report);
    return dialog.runAnyway();
}

LRESULT Win32MainWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND: {
        // The white client area with its thin black border.
        auto dc = reinterpret_cast<HDC>(wParam);
        RECT client;
        GetClientRect(window_, &client);
        FillRect(dc, &client, background_);
        if (MainWindowTable().blackBorder) FrameRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        return 1;
    }
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window_, &paint);
        controls_.paintOnWindow(dc);
        EndPaint(window_, &paint);
        return 0;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
        auto dc = reinterpret_cast<HDC>(wParam);
        const ControlEntry* entry = controls_.entryOf(reinterpret_cast<HWND>(lParam));
        SetTextColor(dc, entry ? Win32Colour(entry->colour) : RGB(0, 0, 0));
        SetBkColor(dc, MainWindowTable().background ? Win32Colour(*MainWindowTable().background)
                                                   : GetSysColor(COLOR_WINDOW));
        return reinterpret_cast<LRESULT>(background_);
    }
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED) command(LOWORD(wParam), reinterpret_cast<HWND>(lParam));
        return 0;
    case WM_ACTIVATE:
    case WM_SETFOCUS:
        KeepFocusedControl(window_, message, wParam, lastFocus_);
        return 0;
    case WM_SETCURSOR:
        if (Win32PointerScope::showScopedPointer()) return TRUE;
        break;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

void Win32MainWindow::command(int commandId, HWND from) {
    if (commandId == IDCANCEL) {  // Esc (Action1)
        handlers_.BitBtn3Click();
        return;
    }
    if (commandId == IDOK) {  // Enter presses the focused push button
        HWND focus = GetFocus();
        if (focus && IsChild(window_, focus) && isPushButton(focus)) SendMessageW(focus, BM_CLICK, 0, 0);
        return;
    }
    const auto control = controls_.controlOf(commandId);
    if (!control || !from) return;
    switch (*control) {
    case ControlId::BitBtn2: {
        Win32PointerScope busy(Win32PointerScope::Wait);
        handlers_.BitBtn2Click();
        break;
    }
    case ControlId::BitBtn3:
        handlers_.BitBtn3Click();
        break;
    case ControlId::SpeedButton1: {
        Win32PointerScope busy(Win32PointerScope::Wait);
        handlers_.SpeedButton1Click();
        break;
    }
    default:
        break;
    }
}

int RunWin32MessageLoop() {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        HWND front = GetAncestor(message.hwnd, GA_ROOT);
        if (front && IsDialogMessageW(front, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

void DiscardQueuedWin32Input() {
    MSG message;
    while (PeekMessageW(&message, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
    }
    while (PeekMessageW(&message, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) {
    }
    while (PeekMessageW(&message, nullptr, WM_NCMOUSEMOVE, WM_NCXBUTTONDBLCLK, PM_REMOVE)) {
    }
}

}  // namespace orvel
