// The two windows' tables: the main window TForm1 and the query window TFQuery.
#include "app/WindowLayout.h"

#include <array>
#include <stdexcept>

#include "app/CheckDialogText.h"
#include "products/Products.h"
#include "upgrade/Messages.h"

namespace orvel {

namespace {

constexpr FontChoice kTahoma13{"Tahoma", 13, false};
constexpr Rgb kWhite{255, 255, 255};

// Product icons stand in the product frame, one above each product entry.
constexpr std::array<int, 7> kProductIconLefts{24, 121, 225, 321, 417, 512, 600};
constexpr std::array<ControlId, 7> kProductIconIds{
    ControlId::ProductIcon0, ControlId::ProductIcon1, ControlId::ProductIcon2, ControlId::ProductIcon3,
    ControlId::ProductIcon4, ControlId::ProductIcon5, ControlId::ProductIcon6,
};
constexpr std::array<std::string_view, 7> kProductIconNames{
    "ProductIcon0", "ProductIcon1", "ProductIcon2", "ProductIcon3", "ProductIcon4", "ProductIcon5", "ProductIcon6",
};
constexpr std::array<std::string_view, 7> kProductPictures{
    "product-0", "product-1", "product-2", "product-3", "product-4", "product-5", "product-6",
};

constexpr std::array<std::string_view, 12> kPictures{
    "program", "start", "exit", "run", "query", "product-0", "product-1",
    "product-2", "product-3", "product-4", "product-5", "product-6",
};

WindowTable buildMainWindow() {
    WindowTable window;
    window.name = "TForm1";
    window.caption =
        "به روز رساني بانک اطلاعاتي محصولات اورول سيستم ترنک _  DataBase Updater for Orvel System Tarnak's "
        "productions";
    window.width = 710;
    window.height = 440;
    window.font = kTahoma13;
    window.background = kWhite;
    window.blackBorder = true;
    // Start holds the focus, so Enter starts a run.
    window.initialFocus = ControlId::BitBtn2;

    auto& c = window.controls;
    using K = ControlKind;
    using Id = ControlId;
    const auto ltr = Reading::LeftToRight;
    const auto rtl = Reading::RightToLeft;

    c.push_back({Id::ProductFrame, "ProductFrame", K::Frame, {8, 8, 689, 65}, {}, "  نام محصول  "});
    for (const auto& product : Products()) {
        const auto entry = static_cast<std::size_t>(product.entry);
        ControlEntry icon{kProductIconIds[entry], kProductIconNames[entry], K::ProductIcon,
                         {kProductIconLefts[entry], 25, 41, 35}, Id::ProductFrame};
        icon.picture = kProductPictures[entry];
        icon.tooltip = product.tooltip;
        c.push_back(icon);
    }

    // The product entries read left to right, entry 0 leftmost, in small
    // dark blue letters.
    ControlEntry products{Id::RadioGroup1, "RadioGroup1", K::RadioGroup, {8, 65, 689, 40}, {}, {}, ltr,
                         FontChoice{"Tahoma", 11, false}, kProductEntryColour};
    for (const auto& product : Products()) products.entries.push_back(product.persianName);
    c.push_back(products);

    ControlEntry query{Id::SpeedButton1, "SpeedButton1", K::ToolButton, {8, 107, 25, 22}};
    query.picture = "query";
    c.push_back(query);
    c.push_back({Id::CheckWeb, "CheckWeb", K::CheckBox, {40, 109, 57, 17}, {}, "Web", ltr});
    c.push_back({Id::CheckBox9, "CheckBox9", K::CheckBox, {144, 109, 49, 17}, {}, "Local", rtl});

    ControlEntry start{Id::BitBtn2, "BitBtn2", K::PictureButton, {6, 130, 299, 47}, {}, "شروع عمليات ارتقاء       "};
    start.picture = "start";
    c.push_back(start);
    ControlEntry exit{Id::BitBtn3, "BitBtn3", K::PictureButton, {6, 180, 299, 47}, {},
                     "خروج                          "};
    exit.picture = "exit";
    c.push_back(exit);

    c.push_back({Id::KindFrame, "KindFrame", K::Frame, {312, 126, 385, 101}, {}, "  نوع ديتا بيس  "});
    c.push_back({Id::RadioButton1, "RadioButton1", K::RadioButton, {128, 27, 129, 17}, Id::KindFrame,
                 "ديتا بيس Access"});
    ControlEntry sqlServer{Id::RadioButton2, "RadioButton2", K::RadioButton, {112, 51, 145, 17}, Id::KindFrame,
                          "ديتا بيس SQL Server"};
    sqlServer.initial = 1;
    c.push_back(sqlServer);
    c.push_back({Id::RadioButton3, "RadioButton3", K::RadioButton, {128, 75, 129, 17}, Id::KindFrame,
                 "ديتابيس  Oracle"});

    ControlEntry versions{Id::RadioGroup2, "RadioGroup2", K::RadioGroup, {312, 230, 385, 40}};
    versions.entries = {"SQL 2000", "SQL 2005", "SQL 2008", "SQL 2012"};
    versions.initial = 2;
    c.push_back(versions);

    ControlEntry strip{Id::NameStrip, "NameStrip", K::SunkenStrip, {8, 273, 689, 26}};
    strip.split = 299;  // the line at left 307 of the client area
    c.push_back(strip);
    c.push_back({Id::LNameTable, "LNameTable", K::Label, {32, 276, 257, 20}, {}, "نام جدول", ltr});
    c.push_back({Id::LNameField, "LNameField", K::Label, {384, 276, 168, 20}, {}, "نام فيلد", ltr});

    c.push_back({Id::TableGauge, "TableGauge", K::Gauge, {8, 304, 689, 25}, {}, {}, rtl, {}, Rgb{82, 188, 252}});
    c.push_back({Id::OverallGauge, "OverallGauge", K::Gauge, {8, 336, 689, 25}, {}, {}, rtl, {}, Rgb{187, 232, 9}});

    c.push_back({Id::VersionCaption, "VersionCaption", K::Caption, {236, 369, 0, 0}, {}, "نسخه: ", rtl,
                 FontChoice{"Tahoma", 12, false}, kVersionColour});
    c.push_back({Id::VersionNumber, "VersionNumber", K::Caption, {169, 369, 0, 0}, {}, kProgramVersion, ltr,
                 FontChoice{"Tahoma", 12, true}, kVersionColour});
    return window;
}

WindowTable buildQueryWindow() {
    WindowTable window;
    window.name = "TFQuery";
    window.caption = "اجراي دستورات";
    window.width = 638;
    window.height = 225;
    window.outerSize = false;
    window.font = FontChoice{"MS Sans Serif", 11, false};
    window.reading = Reading::LeftToRight;
    window.initialFocus = ControlId::Memo1;

    using K = ControlKind;
    const auto ltr = Reading::LeftToRight;
    window.controls.push_back({ControlId::Memo1, "Memo1", K::TextBox, {8, 8, 625, 177}, {}, {}, ltr});
    ControlEntry exit{ControlId::QueryBitBtn1, "BitBtn1", K::PictureButton, {8, 192, 75, 30}, {}, "خروج", ltr};
    exit.picture = "exit";
    window.controls.push_back(exit);
    ControlEntry run{ControlId::QueryBitBtn2, "BitBtn2", K::PictureButton, {88, 192, 75, 30}, {}, "اجرا", ltr};
    run.picture = "run";
    window.controls.push_back(run);
    return window;
}

// The dialog of the check before a run: a heading, the refusals foreseen,
// and the choice between running anyway and closing.  Close holds the
// focus, so Enter sends nothing.
WindowTable buildCheckDialog() {
    WindowTable window;
    window.name = "TCheckDialog";
    window.caption = kCheckDialogCaption;
    window.width = 640;  // the heading on one line of Tahoma, on Windows too
    window.height = 360;
    window.outerSize = false;
    window.font = kTahoma13;
    window.initialFocus = ControlId::CheckClose;

    using K = ControlKind;
    auto& c = window.controls;
    c.push_back({ControlId::CheckHeading, "CheckHeading", K::Label, {8, 8, 624, 20}, {}, kCheckDialogHeading});
    c.push_back({ControlId::CheckReport, "CheckReport", K::ReportBox, {8, 34, 624, 270}});
    ControlEntry close{ControlId::CheckClose, "CheckClose", K::PictureButton, {8, 314, 200, 38}, {},
                       kCheckDialogClose};
    close.picture = "exit";
    c.push_back(close);
    ControlEntry runAnyway{ControlId::CheckRunAnyway, "CheckRunAnyway", K::PictureButton, {432, 314, 200, 38}, {},
                           kCheckDialogRunAnyway};
    runAnyway.picture = "start";
    c.push_back(runAnyway);
    return window;
}

}  // namespace

const ControlEntry& WindowTable::control(ControlId id) const {
    for (const auto& entry : controls)
        if (entry.id == id) return entry;
    throw std::logic_error("the window " + std::string(name) + " has no such control");
}

Rect WindowTable::clientRect(const ControlEntry& entry) const {
    Rect rect = entry.rect;
    if (entry.frame) {
        const Rect& frame = control(*entry.frame).rect;
        rect.left += frame.left;
        rect.top += frame.top;
    }
    return rect;
}

const WindowTable& MainWindowTable() {
    static const WindowTable window = buildMainWindow();
    return window;
}

const WindowTable& QueryWindowTable() {
    static const WindowTable window = buildQueryWindow();
    return window;
}

const WindowTable& CheckDialogTable() {
    static const WindowTable window = buildCheckDialog();
    return window;
}

std::span<const std::string_view> WindowPictures() { return kPictures; }

std::vector<Rect> RadioGroupEntryRects(const ControlEntry& group, int lineHeight) {
    std::vector<Rect> rects;
    if (group.entries.empty()) return rects;
    const int count = static_cast<int>(group.entries.size());
    const int columnWidth = (group.rect.width - 10) / count;
    const int top = lineHeight + 1;
    const int height = group.rect.height - top - 5;
    for (int i = 0; i < count; ++i) {
        int left = 8 + i * columnWidth;
        if (group.reading == Reading::RightToLeft) left = group.rect.width - left - columnWidth;
        rects.push_back({left, top, columnWidth, height});
    }
    return rects;
}

}  // namespace orvel
