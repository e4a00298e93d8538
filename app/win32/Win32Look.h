// How the Win32 windows look: fonts, pictures and colours from the window
// tables, made once and kept for the program's life.
//
// Fonts ask for the Arabic character set, so that the system picks a face
// that draws Persian (Tahoma does on Windows).  Pictures are the icons
// compiled into the program as resources, one for each name of
// WindowPictures(), numbered in that order from 1 (1 is the program icon).
#pragma once

#ifndef NOMINMAX
#  define NOMINMAX
#endif
#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

#include "app/WindowLayout.h"

namespace orvel {

// Common controls (version 6, from the manifest), and no "not responding"
// ghost window in place of the main window while a run blocks it, so the
// labels and bars stay visible as they repaint.
void UseWin32Look();

HFONT Win32Font(const FontChoice& font);
// The picture of `name` at its size; null when it is not among the program's
// resources.
HICON Win32Picture(std::string_view name, int width, int height);
HICON Win32ProgramIcon(int size);

inline COLORREF Win32Colour(const Rgb& rgb) {
    return RGB(rgb.red, rgb.green, rgb.blue);
}

// The width and height of one line of `text` in `font`.
SIZE Win32TextSize(HFONT font, const std::wstring& text);

// Registers a window class of this program (again is harmless).  `cursor` is
// a system cursor (IDC_ARROW, IDC_HAND); `background` null: the window
// paints its own; `withProgramIcon`: the class carries the program icon.
void RegisterWin32Class(const wchar_t* name, WNDPROC procedure, const wchar_t* cursor,
                        HBRUSH background = nullptr, bool withProgramIcon = false);

// A window of class `windowClass` (registered here) owned by `owner`, whose
// client area is `width` x `height`, captioned `caption`; hidden until shown.
HWND CreateOwnedWindow(const wchar_t* windowClass, DWORD style, DWORD exStyle, std::string_view caption, int width,
                       int height, HWND owner);

// Shows `window` centred over `owner`, which takes no input meanwhile, and
// runs the program's messages while `open` stays true (`shown` runs once the
// window is in front).  Gives `owner` back its input and the front when done.
// Returns false when the program was asked to quit meanwhile (the quit is
// posted again, for the main loop).
bool RunModal(HWND owner, HWND window, const bool& open, const std::function<void()>& shown);

// A window that is not a dialog does not keep its focused control when
// another window comes in front (a message box): this keeps it in
// `lastFocus` on WM_ACTIVATE and gives it back on activation and on
// WM_SETFOCUS.  True when `message` was one of those two, handled.
bool KeepFocusedControl(HWND window, UINT message, WPARAM wParam, HWND& lastFocus);

// Sends `window`'s messages to owner->handle(message, wParam, lParam) from
// now on (those of its creation went to the class's DefWindowProcW).
template <class Owner>
LRESULT CALLBACK RouteToOwner(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return reinterpret_cast<Owner*>(GetWindowLongPtrW(window, GWLP_USERDATA))->handle(message, wParam, lParam);
}
template <class Owner>
void RouteMessagesTo(HWND window, Owner* owner) {
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(owner));
    SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RouteToOwner<Owner>));
}

}  // namespace orvel
