// orvel-window-probe.exe: prints what the visible windows of the wine
// session show, for the window tests to read: each top-level window with a
// caption, and each of its controls with its class, text, check state,
// whether it has the keyboard focus and the screen point of its centre (where
// xdotool clicks it).  It reads other programs' windows without sending them
// anything that could wait on a busy window: texts of buttons and labels are
// read from the window itself, those of edit and combo boxes through a
// message with a time limit.
//
// One line per window or control, fields separated by tabs:
//   window  <enabled 0|1>  <outer width>x<outer height>  <left>,<top>  <caption>
//   control <class>  <checked 0|1>  <focused 0|1>  <x>,<y>  <text>
//   tooltip <left>,<top>     (a tooltip being shown)
//   pointer <handle>         (the mouse pointer the window in front shows: a
//                             cursor handle of its own program, 0 for none)
// A label that shows an icon (a message box's) has the text [icon].
// With the argument "pointer" only the pointer line is printed: it asks the
// windows nothing, so it answers at once even while a window is busy.
// A carriage return in a text is written as \r, a line feed as \n.
#ifndef NOMINMAX
#  define NOMINMAX
#endif
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "upgrade/WideText.h"

namespace {

std::string shown(const std::wstring& text) {
    std::string out;
    for (char character : orvel::Utf8FromWide(text)) {
        if (character == '\r')
            out += "\\r";
        else if (character == '\n')
            out += "\\n";
        else
            out += character;
    }
    return out;
}

std::wstring className(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

std::wstring textOf(HWND window) {
    const std::wstring kind = className(window);
    if (lstrcmpiW(kind.c_str(), L"Edit") == 0 || lstrcmpiW(kind.c_str(), L"ComboBox") == 0) {
        DWORD_PTR length = 0;
        if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length)) return L"?";
        std::wstring text(length + 1, L'\0');
        DWORD_PTR copied = 0;
        SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                            2000, &copied);
        text.resize(copied);
        return text;
    }
    if (lstrcmpiW(kind.c_str(), L"Static") == 0 && (GetWindowLongW(window, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
        DWORD_PTR icon = 0;
        SendMessageTimeoutW(window, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, 2000, &icon);
        return icon ? L"[icon]" : L"";
    }
    wchar_t text[4096] = {};
    const int length = InternalGetWindowText(window, text, 4096);
    return {text, static_cast<std::size_t>(length)};
}

HWND focusOf(HWND top) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(top, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

void print(const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
}

BOOL CALLBACK control(HWND window, LPARAM focus) {
    if (!IsWindowVisible(window)) return TRUE;
    RECT rect;
    GetWindowRect(window, &rect);
    DWORD_PTR checked = 0;
    if (lstrcmpiW(className(window).c_str(), L"Button") == 0)
        SendMessageTimeoutW(window, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 2000, &checked);
    print("control\t" + shown(className(window)) + "\t" + (checked == BST_CHECKED ? "1" : "0") + "\t" +
          (reinterpret_cast<HWND>(focus) == window ? "1" : "0") + "\t" + std::to_string((rect.left + rect.right) / 2) +
          "," + std::to_string((rect.top + rect.bottom) / 2) + "\t" + shown(textOf(window)));
    return TRUE;
}

BOOL CALLBACK topLevel(HWND window, LPARAM) {
    if (!IsWindowVisible(window)) return TRUE;
    RECT rect;
    GetWindowRect(window, &rect);
    if (lstrcmpiW(className(window).c_str(), L"tooltips_class32") == 0) {
        print("tooltip\t" + std::to_string(rect.left) + "," + std::to_string(rect.top));
        return TRUE;
    }
    if (GetWindowTextLengthW(window) == 0) return TRUE;
    print(std::string("window\t") + (IsWindowEnabled(window) ? "1" : "0") + "\t" +
          std::to_string(rect.right - rect.left) + "x" + std::to_string(rect.bottom - rect.top) + "\t" +
          std::to_string(rect.left) + "," + std::to_string(rect.top) + "\t" + shown(textOf(window)));
    EnumChildWindows(window, control, reinterpret_cast<LPARAM>(focusOf(window)));
    return TRUE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    _setmode(_fileno(stdout), _O_BINARY);  // lines end in a line feed alone
    if (argc < 2 || lstrcmpW(argv[1], L"pointer") != 0) EnumWindows(topLevel, 0);
    CURSORINFO pointer{};
    pointer.cbSize = sizeof pointer;
    if (GetCursorInfo(&pointer))
        print("pointer\t" + std::to_string(reinterpret_cast<std::uintptr_t>(pointer.hCursor)));
    std::fflush(stdout);
    return 0;
}
