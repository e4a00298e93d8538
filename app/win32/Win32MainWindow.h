// The main window TForm1 on Win32: draws MainWindowTable() and binds it to
// MainWindowHandlers.
//
// The window holds no behaviour of its own: its buttons, Enter and Esc call
// the handlers, and the handlers read the options and show the progress
// through the MainWindowView this class implements over its controls.  What
// is Win32's alone lives here: a fixed dialog frame of 710 x 440 centred on
// the screen, the white client area with its black border, colours for the
// controls, the focus kept across activations, and the keys and clicks that
// queued up while a handler blocked the window thrown away.
#pragma once

#include "app/win32/Win32Controls.h"

#include "app/MainWindowHandlers.h"

namespace orvel {

class Win32QueryWindow;

class Win32MainWindow : public MainWindowView {
public:
    explicit Win32MainWindow(const WindowServices& services);
    ~Win32MainWindow() override;
    Win32MainWindow(const Win32MainWindow&) = delete;
    Win32MainWindow& operator=(const Win32MainWindow&) = delete;

    HWND handle() const noexcept { return window_; }
    void setQueryWindow(Win32QueryWindow* queryWindow) { queryWindow_ = queryWindow; }
    // What the query window runs its texts through (the handlers' own).
    QueryRunner& queryRunner() noexcept { return handlers_.queryRunner(); }
    void show();

    int selectedEntry(ControlId radioGroup) const override;
    bool isChecked(ControlId button) const override;
    void showText(ControlId label, std::string_view text) override;
    void showGauge(ControlId gauge, const Gauge& state) override;
    void giveFocus(ControlId control) override;
    void closeWindow() override;
    void showQueryWindow() override;
    void discardQueuedInput() override;
    bool askRunDespiteRefusals(std::string_view report) override;

    // The window's messages (RouteMessagesTo).
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);

private:
    void command(int commandId, HWND from);

    HWND window_ = nullptr;
    HWND lastFocus_ = nullptr;
    HBRUSH background_ = nullptr;
    Win32Controls controls_;
    MainWindowHandlers handlers_;
    Win32QueryWindow* queryWindow_ = nullptr;
};

// The program's message loop; returns the exit code once the main window
// has closed.  Keyboard navigation (Tab, arrows, Enter, Esc) goes to the
// window in front.
int RunWin32MessageLoop();

// Throws away the keys and clicks waiting in this thread's queue.
void DiscardQueuedWin32Input();

}  // namespace orvel
