// A window's controls, made with the Win32 API from its table
// (MainWindowTable(), QueryWindowTable(), CheckDialogTable()) and found again
// by their ids.
//
// Every control is a child of the window itself, also the ones that stand
// in a frame (the frame's offset is added), so that their notifications
// reach the window.  Positions are never mirrored: the window does not use
// the mirrored layout (WS_EX_LAYOUTRTL), and text that reads right to left
// gets the right-to-left reading styles instead.  The gauges and the product
// icons are drawn here: Windows' progress bar shows no text, and the icons
// need a hand cursor and a tooltip.
#pragma once

#include "app/win32/Win32Look.h"

#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "app/WindowLayout.h"
#include "schema/Progress.h"

namespace orvel {

class Win32Controls {
public:
    // Creates every control of `table` on `window`.
    void build(const WindowTable& table, HWND window);

    // The control of `id` (a radio group's frame for a radio group).
    HWND get(ControlId id) const { return windows_.at(id); }
    // A radio group's entry buttons, in index order.
    const std::vector<HWND>& entries(ControlId radioGroup) const { return entries_.at(radioGroup); }
    // The control (and, in a radio group, the entry) behind a command id.
    std::optional<ControlId> controlOf(int commandId) const;
    // The table's entry for a child window of this window, if it is one.
    const ControlEntry* entryOf(HWND child) const;

    bool isChecked(HWND button) const;
    int selectedEntry(ControlId radioGroup) const;
    void showGauge(ControlId gauge, const Gauge& state) const;

    // Draws what is painted on the window itself: the sunken strips.
    void paintOnWindow(HDC dc) const;

private:
    const WindowTable* table_ = nullptr;
    std::map<ControlId, HWND> windows_;
    std::map<ControlId, std::vector<HWND>> entries_;
    std::map<HWND, const ControlEntry*> entryOfWindow_;
    std::map<int, ControlId> commands_;
};

}  // namespace orvel
