// Fonts and pictures of the Win32 windows, cached.
#include "app/win32/Win32Look.h"

#include <commctrl.h>

#include <algorithm>
#include <map>
#include <tuple>

#include "upgrade/WideText.h"

namespace orvel {

void UseWin32Look() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    DisableProcessWindowsGhosting();
}

HFONT Win32Font(const FontChoice& font) {
    static std::map<std::tuple<std::string_view, int, bool>, HFONT> fonts;
    const auto key = std::make_tuple(font.family, font.pixelSize, font.bold);
    if (auto found = fonts.find(key); found != fonts.end()) return found->second;
    // A negative height asks for the letters' height, not the line's.
    HFONT handle = CreateFontW(-font.pixelSize, 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                               ARABIC_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                               DEFAULT_PITCH | FF_DONTCARE, WideFromUtf8(font.family).c_str());
    fonts.emplace(key, handle);
    return handle;
}

HICON Win32Picture(std::string_view name, int width, int height) {
    static std::map<std::tuple<std::string_view, int, int>, HICON> pictures;
    const auto key = std::make_tuple(name, width, height);
    if (auto found = pictures.find(key); found != pictures.end()) return found->second;
    const auto all = WindowPictures();
    const auto at = std::find(all.begin(), all.end(), name);
    HICON icon = nullptr;
    if (at != all.end()) {
        const int id = 1 + static_cast<int>(at - all.begin());
        icon = static_cast<HICON>(
            LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, width, height, 0));
    }
    pictures.emplace(key, icon);
    return icon;
}

HICON Win32ProgramIcon(int size) { return Win32Picture("program", size, size); }

void RegisterWin32Class(const wchar_t* name, WNDPROC procedure, const wchar_t* cursor, HBRUSH background,
                        bool withProgramIcon) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, cursor);
    windowClass.hbrBackground = background;
    if (withProgramIcon) {
        windowClass.hIcon = Win32ProgramIcon(32);
        windowClass.hIconSm = Win32ProgramIcon(16);
    }
    windowClass.lpszClassName = name;
    RegisterClassExW(&windowClass);
}

SIZE Win32TextSize(HFONT font, const std::wstring& text) {
    SIZE size{};
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return size;
}

HWND CreateOwnedWindow(const wchar_t* windowClass, DWORD style, DWORD exStyle, std::string_view caption, int width,
                       int height, HWND owner) {
    RegisterWin32Class(windowClass, DefWindowProcW, IDC_ARROW, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    RECT outer{0, 0, width, height};  // the client size, grown by the frame
    AdjustWindowRectEx(&outer, style, FALSE, exStyle);
    return CreateWindowExW(exStyle, windowClass, WideFromUtf8(caption).c_str(), style, 0, 0, outer.right - outer.left,
                           outer.bottom - outer.top, owner, nullptr, GetModuleHandleW(nullptr), nullptr);
}

bool RunModal(HWND owner, HWND window, const bool& open, const std::function<void()>& shown) {
    RECT main{}, own{};
    GetWindowRect(owner, &main);
    GetWindowRect(window, &own);
    const int width = own.right - own.left, height = own.bottom - own.top;
    SetWindowPos(window, nullptr, main.left + (main.right - main.left - width) / 2,
                 main.top + (main.bottom - main.top - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    EnableWindow(owner, FALSE);
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    if (shown) shown();
    MSG message;
    bool quitting = false;
    while (open) {
        if (GetMessageW(&message, nullptr, 0, 0) <= 0) {
            quitting = true;
            break;
        }
        if (IsDialogMessageW(window, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    // The owner is enabled before this window hides, so it, and not some
    // other program, comes to the front.
    EnableWindow(owner, TRUE);
    ShowWindow(window, SW_HIDE);
    SetActiveWindow(owner);
    if (quitting) PostQuitMessage(static_cast<int>(message.wParam));
    return !quitting;
}

bool KeepFocusedControl(HWND window, UINT message, WPARAM wParam, HWND& lastFocus) {
    if (message == WM_ACTIVATE) {
        if (LOWORD(wParam) == WA_INACTIVE) {
            HWND focus = GetFocus();
            if (focus && IsChild(window, focus)) lastFocus = focus;
        } else if (lastFocus) {
            SetFocus(lastFocus);
        }
        return true;
    }
    if (message == WM_SETFOCUS) {
        if (lastFocus) SetFocus(lastFocus);
        return true;
    }
    return false;
}

}  // namespace orvel
