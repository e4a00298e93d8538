// The main window and the query window as data: every control's name, kind,
// position, caption, font, colour, reading direction, picture, tooltip and
// default, in one table per window.
//
// Both front-ends (Qt on Linux, Win32 on Windows) only draw these tables and
// bind them to the handlers, so the two windows cannot drift apart.  A
// position is in pixels as the user sees it (left, top, width, height),
// inside the client area or, for a control that stands in a frame, inside
// that frame; it is never mirrored, even in a window that reads right to
// left: only the text inside a control follows the reading direction.
#pragma once

#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace orvel {

enum class ControlKind {
    Frame,          // a group box with a caption; other controls may stand in it
    RadioGroup,     // a captionless frame of radio buttons in equal columns of one row
    ToolButton,     // a small flat button showing only its picture
    CheckBox,
    PictureButton,  // a push button with a 24 x 24 picture beside its caption
    RadioButton,
    SunkenStrip,    // a sunken panel split by a vertical line
    Label,          // one line of text, centred, changed while a run goes on
    Gauge,          // a progress bar drawn with its percentage as text
    ProductIcon,    // a picture with a hand cursor and a tooltip; clicking does nothing
    Caption,        // fixed text sized to its contents
    TextBox,        // multi-line text typed by the user
    ReportBox,      // multi-line text shown to be read, not typed, scrolled when long
};

enum class Reading { RightToLeft, LeftToRight };

struct Rgb {
    int red = 0, green = 0, blue = 0;
    bool operator==(const Rgb&) const = default;
};

struct Rect {
    int left = 0, top = 0, width = 0, height = 0;
    bool operator==(const Rect&) const = default;
};

struct FontChoice {
    std::string_view family;  // "Tahoma", "MS Sans Serif"
    int pixelSize = 13;       // height of the letters (em), in pixels
    bool bold = false;
};

// Every control either window has.  The handlers and the front-ends name
// controls by these ids; `ControlEntry::name` is the name the control carries
// in the window (its object name in Qt).
enum class ControlId {
    ProductFrame, ProductIcon0, ProductIcon1, ProductIcon2, ProductIcon3, ProductIcon4, ProductIcon5,
    ProductIcon6, RadioGroup1, SpeedButton1, CheckWeb, CheckBox9, BitBtn2, BitBtn3, KindFrame,
    RadioButton1, RadioButton2, RadioButton3, RadioGroup2, NameStrip, LNameTable, LNameField, TableGauge,
    OverallGauge, VersionCaption, VersionNumber,
    // The query window.
    Memo1, QueryBitBtn1, QueryBitBtn2,
    // The dialog the check before a run shows when it foresees a refusal.
    CheckHeading, CheckReport, CheckRunAnyway, CheckClose,
};

struct ControlEntry {
    ControlId id;
    std::string_view name;
    ControlKind kind;
    Rect rect;
    std::optional<ControlId> frame;  // the frame the position is measured in
    std::string_view caption;
    Reading reading = Reading::RightToLeft;
    std::optional<FontChoice> font;  // none: the window's font
    Rgb colour;                     // text colour; a gauge's fill colour
    std::string_view picture;       // a name from WindowPictures()
    std::string_view tooltip;
    std::vector<std::string_view> entries;  // a radio group's entries, in index order
    int initial = 0;  // a radio group's selected entry; 1 when a check or radio button starts on
    int split = 0;    // a sunken strip's dividing line, from the strip's left edge
};

struct WindowTable {
    std::string_view name;  // TForm1, TFQuery
    std::string_view caption;
    int width = 0, height = 0;  // outer size (main window) or client size (query window)
    bool outerSize = true;
    FontChoice font;
    Reading reading = Reading::RightToLeft;
    std::optional<Rgb> background;  // none: the system's colour for windows
    bool blackBorder = false;  // a thin black line around the client area
    ControlId initialFocus{};
    std::vector<ControlEntry> controls;

    const ControlEntry& control(ControlId id) const;
    // The control's position inside the client area (a frame's offset added).
    Rect clientRect(const ControlEntry& entry) const;
};

const WindowTable& MainWindowTable();
const WindowTable& QueryWindowTable();
const WindowTable& CheckDialogTable();

// The pictures the windows show, by the name the tables use: "program"
// (the program icon), "start", "exit", "run", "query", "product-0".."product-6".
std::span<const std::string_view> WindowPictures();

// Where a radio group's entries stand inside the group: equal columns of one
// row, below a margin of one line of the group's font (`lineHeight`, the
// toolkit's line spacing for it).  When the group reads right to left the
// first entry takes the rightmost column.
std::vector<Rect> RadioGroupEntryRects(const ControlEntry& group, int lineHeight);

// The product entries' dark blue and the version's blue.
inline constexpr Rgb kProductEntryColour{0, 0, 64};
inline constexpr Rgb kVersionColour{0, 64, 128};

}  // namespace orvel
