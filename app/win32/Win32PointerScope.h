// The mouse pointer while the windows work or wait for a person, on Win32.
//
// A handler blocks the GUI thread for the whole run or query, including the
// wait for the connection to open; the wait cursor says so.  Whatever then
// asks the person something (a message box, the file dialog, the query
// window) shows the windows' own pointers while it waits, and the wait cursor
// comes back once it is answered.  Scopes nest: each ends by restoring what
// was shown before it began.
//
// Windows set the pointer again whenever the mouse moves over them
// (WM_SETCURSOR); the program's windows answer it with the scope's choice
// (showScopedPointer), so a mouse move seen during a run does not bring the
// arrow back.
#pragma once

#ifndef NOMINMAX
#  define NOMINMAX
#endif
#include <windows.h>

namespace orvel {

class Win32PointerScope {
public:
    enum Shown {
        Wait,  // the wait cursor over every window of the program
        Own,   // each window's own pointer: a wait cursor shown so far is set aside
    };

    explicit Win32PointerScope(Shown shown) : before_(current_) {
        current_ = shown == Wait ? LoadCursorW(nullptr, IDC_WAIT) : nullptr;
        if (current_ != before_) show();
    }
    ~Win32PointerScope() {
        const bool changes = current_ != before_;
        current_ = before_;
        if (changes) show();
    }

    Win32PointerScope(const Win32PointerScope&) = delete;
    Win32PointerScope& operator=(const Win32PointerScope&) = delete;

    // For WM_SETCURSOR: shows the pointer a scope chose and returns true, or
    // returns false when the window's own pointer is to be shown.
    static bool showScopedPointer() {
        if (!current_) return false;
        SetCursor(current_);
        return true;
    }

private:
    // The chosen pointer at once; the arrow stands for the windows' own until
    // the mouse next moves over one of them.
    static void show() { SetCursor(current_ ? current_ : LoadCursorW(nullptr, IDC_ARROW)); }

    HCURSOR before_;
    inline static HCURSOR current_ = nullptr;  // null: the windows' own pointers
};

}  // namespace orvel
