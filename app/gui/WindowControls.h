// A window's controls, made with Qt from its table (MainWindowTable(),
// QueryWindowTable()) and found again by their ids.
//
// Positions come from the table as they are: Qt never mirrors a child's
// geometry, so they hold in the right-to-left window too.  Each control's
// object name is its name in the table (RadioGroup1, BitBtn2, LNameTable,
// ...), which the tests look controls up by.
#pragma once

#include <map>

#include "app/WindowLayout.h"

class QButtonGroup;
class QWidget;

namespace orvel {

class WindowControls {
public:
    // Creates every control of `table` on `window`, with its caption,
    // picture, font, colour, reading direction and default.
    void build(const WindowTable& table, QWidget* window);

    // The control of `id`, cast to the Qt class it was made as.
    template <class Widget>
    Widget* get(ControlId id) const {
        return static_cast<Widget*>(widgets_.at(id));
    }
    // A radio group's buttons, with the entry indexes as ids.
    QButtonGroup* group(ControlId id) const { return groups_.at(id); }

private:
    std::map<ControlId, QWidget*> widgets_;
    std::map<ControlId, QButtonGroup*> groups_;
};

}  // namespace orvel
