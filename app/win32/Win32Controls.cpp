// Win32 controls for each kind of control of the windows' tables, and the
// two kinds drawn here: the gauge and the product icon.
#include "app/win32/Win32Controls.h"

#include <commctrl.h>
#include <uxtheme.h>

#include <string>

#include "upgrade/WideText.h"

namespace orvel {

namespace {

constexpr wchar_t kGaugeClass[] = L"OrvelGauge";
constexpr wchar_t kPictureClass[] = L"OrvelPicture";
constexpr int kFirstCommandId = 100;  // above IDOK, IDCANCEL and the other dialog ids

// What a gauge window draws: its state, fill colour, direction and font.
struct GaugeLook {
    Gauge state;
    COLORREF fill;
    bool rightToLeft;
    HFONT font;
};

// The bar: a grey border, white inside, the filled part in the gauge's colour
// (from the right in a window that reads right to left), and the percentage
// in black, centred over the whole bar.
void paintGauge(HWND window, HDC dc, const GaugeLook& look) {
    RECT all;
    GetClientRect(window, &all);
    HBRUSH border = CreateSolidBrush(RGB(122, 122, 122));
    FrameRect(dc, &all, border);
    DeleteObject(border);
    RECT inside{all.left + 1, all.top + 1, all.right - 1, all.bottom - 1};
    FillRect(dc, &inside, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    const int maximum = look.state.maximum();
    const long width = inside.right - inside.left;
    const long filled = maximum > 0 ? width * look.state.position() / maximum : 0;
    RECT part = inside;
    if (look.rightToLeft)
        part.left = inside.right - filled;
    else
        part.right = inside.left + filled;
    HBRUSH fill = CreateSolidBrush(look.fill);
    FillRect(dc, &part, fill);
    DeleteObject(fill);
    const std::wstring percent = std::to_wstring(look.state.percent()) + L"%";
    HGDIOBJ old = SelectObject(dc, look.font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    DrawTextW(dc, percent.c_str(), static_cast<int>(percent.size()), &inside,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, old);
}

LRESULT CALLBACK gaugeProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* look = reinterpret_cast<GaugeLook*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        if (look) paintGauge(window, dc, *look);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_NCDESTROY:
        delete look;
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// A product icon: the picture, a hand cursor (the class cursor); clicking
// does nothing.
LRESULT CALLBACK pictureProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        RECT all;
        GetClientRect(window, &all);
        auto icon = reinterpret_cast<HICON>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (icon) DrawIconEx(dc, 0, 0, icon, all.right, all.bottom, 0, nullptr, DI_NORMAL);
        EndPaint(window, &paint);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void registerClasses() {
    RegisterWin32Class(kGaugeClass, gaugeProcedure, IDC_ARROW);
    RegisterWin32Class(kPictureClass, pictureProcedure, IDC_HAND);
}

bool rightToLeft(const ControlEntry& control) { return control.reading == Reading::RightToLeft; }

// Styles that make text read right to left without moving anything: the
// reading order, the text against the right edge, and for check and radio
// buttons the box on the right.
DWORD readingExStyle(const ControlEntry& control) { return rightToLeft(control) ? WS_EX_RTLREADING : 0; }

HWND create(const wchar_t* windowClass, const std::wstring& text, DWORD style, DWORD exStyle, const Rect& rect,
            HWND parent, int commandId) {
    return CreateWindowExW(exStyle, windowClass, text.c_str(), WS_CHILD | WS_VISIBLE | style, rect.left, rect.top,
                           rect.width, rect.height, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(commandId)), GetModuleHandleW(nullptr),
                           nullptr);
}

// A push button with its picture beside the caption; in a button that reads
// right to left the picture stands on the right, as the eye starts there.
void setButtonPicture(HWND button, const ControlEntry& control, int size) {
    HICON icon = Win32Picture(control.picture, size, size);
    if (!icon) return;
    HIMAGELIST list = ImageList_Create(size, size, ILC_COLOR32, 1, 0);
    ImageList_AddIcon(list, icon);
    BUTTON_IMAGELIST images{list, {6, 0, 6, 0},
                            static_cast<UINT>(rightToLeft(control) ? BUTTON_IMAGELIST_ALIGN_RIGHT
                                                                : BUTTON_IMAGELIST_ALIGN_LEFT)};
    SendMessageW(button, BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&images));
}

void addTooltip(HWND tooltips, HWND tool, const ControlEntry& control) {
    std::wstring text = WideFromUtf8(control.tooltip);
    TOOLINFOW info{};
    info.cbSize = sizeof info;
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS | (rightToLeft(control) ? TTF_RTLREADING : 0);
    info.hwnd = GetParent(tool);
    info.uId = reinterpret_cast<UINT_PTR>(tool);
    info.lpszText = text.data();
    SendMessageW(tooltips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

}  // namespace

void Win32Controls::build(const WindowTable& table, HWND window) {
    registerClasses();
    table_ = &table;
    HFONT windowFont = Win32Font(table.font);
    HWND tooltips = nullptr;
    int nextId = kFirstCommandId;

    for (const ControlEntry& control : table.controls) {
        const Rect rect = table.clientRect(control);
        const std::wstring caption = WideFromUtf8(control.caption);
        const DWORD exStyle = readingExStyle(control);
        const DWORD alignment = rightToLeft(control) ? BS_RIGHT | BS_RIGHTBUTTON : BS_LEFT;
        HFONT font = control.font ? Win32Font(*control.font) : windowFont;
        const int id = nextId++;
        HWND handle = nullptr;

        switch (control.kind) {
        case ControlKind::Frame:
            handle = create(L"BUTTON", caption, BS_GROUPBOX | WS_GROUP | (rightToLeft(control) ? BS_RIGHT : 0),
                            exStyle, rect, window, id);
            break;
        case ControlKind::RadioGroup: {
            handle = create(L"BUTTON", L"", BS_GROUPBOX | WS_GROUP, exStyle, rect, window, id);
            TEXTMETRICW metrics{};
            HDC dc = GetDC(window);
            HGDIOBJ old = SelectObject(dc, font);
            GetTextMetricsW(dc, &metrics);
            SelectObject(dc, old);
            ReleaseDC(window, dc);
            const auto places = RadioGroupEntryRects(control, metrics.tmHeight + metrics.tmExternalLeading);
            auto& buttons = entries_[control.id];
            for (std::size_t i = 0; i < places.size(); ++i) {
                const Rect place{rect.left + places[i].left, rect.top + places[i].top, places[i].width,
                                 places[i].height};
                const int entryId = nextId++;
                HWND entry = create(L"BUTTON", WideFromUtf8(control.entries[i]),
                                    BS_AUTORADIOBUTTON | alignment | (i == 0 ? WS_GROUP | WS_TABSTOP : 0), exStyle,
                                    place, window, entryId);
                SendMessageW(entry, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
                if (static_cast<int>(i) == control.initial) SendMessageW(entry, BM_SETCHECK, BST_CHECKED, 0);
                // Themed buttons ignore the text colour the window gives them.
                if (control.colour != Rgb{}) SetWindowTheme(entry, L"", L"");
                buttons.push_back(entry);
                entryOfWindow_[entry] = &control;
                commands_[entryId] = control.id;
            }
            break;
        }
        case ControlKind::ToolButton:
            handle = create(L"BUTTON", L"", BS_PUSHBUTTON | BS_ICON | BS_FLAT | WS_TABSTOP | WS_GROUP, 0, rect,
                            window, id);
            SendMessageW(handle, BM_SETIMAGE, IMAGE_ICON,
                         reinterpret_cast<LPARAM>(Win32Picture(control.picture, 16, 16)));
            break;
        case ControlKind::CheckBox:
            handle = create(L"BUTTON", caption, BS_AUTOCHECKBOX | alignment | WS_TABSTOP | WS_GROUP, exStyle, rect,
                            window, id);
            if (control.initial) SendMessageW(handle, BM_SETCHECK, BST_CHECKED, 0);
            break;
        case ControlKind::PictureButton:
            handle = create(L"BUTTON", caption, BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP, exStyle, rect, window, id);
            setButtonPicture(handle, control, 24);
            break;
        case ControlKind::RadioButton: {
            // The first radio button after another kind of control starts a group.
            const bool first = &control == &table.controls.front() || (&control - 1)->kind != ControlKind::RadioButton;
            handle = create(L"BUTTON", caption, BS_AUTORADIOBUTTON | alignment | (first ? WS_GROUP | WS_TABSTOP : 0),
                            exStyle, rect, window, id);
            if (control.initial) SendMessageW(handle, BM_SETCHECK, BST_CHECKED, 0);
            break;
        }
        case ControlKind::SunkenStrip:
            break;  // painted on the window (paintOnWindow)
        case ControlKind::Label:
            // One line; text wider than the label ends in "..." rather than
            // losing both its ends.
            handle = create(L"STATIC", caption, SS_CENTER | SS_CENTERIMAGE | SS_NOPREFIX | SS_ENDELLIPSIS | WS_GROUP,
                            exStyle, rect, window, id);
            break;
        case ControlKind::Gauge:
            // The window text is the percentage too, for screen readers.
            handle = create(kGaugeClass, L"0%", WS_GROUP, 0, rect, window, id);
            SetWindowLongPtrW(handle, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(new GaugeLook{
                                  Gauge{}, Win32Colour(control.colour), rightToLeft(control), font}));
            break;
        case ControlKind::ProductIcon: {
            handle = create(kPictureClass, L"", WS_GROUP, 0, rect, window, id);
            SetWindowLongPtrW(handle, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(Win32Picture(control.picture, rect.width, rect.height)));
            if (!tooltips) {
                tooltips = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                           WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                                           CW_USEDEFAULT, CW_USEDEFAULT, window, nullptr,
                                           GetModuleHandleW(nullptr), nullptr);
                SendMessageW(tooltips, TTM_SETMAXTIPWIDTH, 0, 420);
                SendMessageW(tooltips, WM_SETFONT, reinterpret_cast<WPARAM>(windowFont), FALSE);
            }
            addTooltip(tooltips, handle, control);
            break;
        }
        case ControlKind::Caption: {
            // Sized to its text.  Should the drawn text still come out wider
            // (another font standing in), it stays on its one line and ends in
            // "...": a static that wraps would move the rest below its height,
            // out of sight.
            const SIZE size = Win32TextSize(font, caption);
            handle = create(L"STATIC", caption, SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS | WS_GROUP, exStyle,
                            {rect.left, rect.top, size.cx, size.cy}, window, id);
            break;
        }
        case ControlKind::TextBox:
            handle = create(L"EDIT", L"",
                            ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL | WS_TABSTOP | WS_GROUP,
                            WS_EX_CLIENTEDGE, rect, window, id);
            SendMessageW(handle, EM_SETLIMITTEXT, 0, 0);  // no limit beyond memory
            break;
        case ControlKind::ReportBox:
            handle = create(L"EDIT", L"",
                            ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY | WS_VSCROLL | WS_TABSTOP | WS_GROUP |
                                (rightToLeft(control) ? ES_RIGHT : 0),
                            WS_EX_CLIENTEDGE | exStyle, rect, window, id);
            SendMessageW(handle, EM_SETLIMITTEXT, 0, 0);
            break;
        }
        if (!handle) continue;
        SendMessageW(handle, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        windows_[control.id] = handle;
        entryOfWindow_[handle] = &control;
        commands_[id] = control.id;
    }
}

std::optional<ControlId> Win32Controls::controlOf(int commandId) const {
    if (auto found = commands_.find(commandId); found != commands_.end()) return found->second;
    return std::nullopt;
}

const ControlEntry* Win32Controls::entryOf(HWND child) const {
    if (auto found = entryOfWindow_.find(child); found != entryOfWindow_.end()) return found->second;
    return nullptr;
}

bool Win32Controls::isChecked(HWND button) const {
    return SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

int Win32Controls::selectedEntry(ControlId radioGroup) const {
    const auto& buttons = entries(radioGroup);
    for (std::size_t i = 0; i < buttons.size(); ++i)
        if (isChecked(buttons[i])) return static_cast<int>(i);
    return -1;
}

void Win32Controls::showGauge(ControlId gauge, const Gauge& state) const {
    HWND handle = get(gauge);
    if (auto* look = reinterpret_cast<GaugeLook*>(GetWindowLongPtrW(handle, GWLP_USERDATA))) look->state = state;
    SetWindowTextW(handle, (std::to_wstring(state.percent()) + L"%").c_str());
    RedrawWindow(handle, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void Win32Controls::paintOnWindow(HDC dc) const {
    if (!table_) return;
    for (const ControlEntry& control : table_->controls) {
        if (control.kind != ControlKind::SunkenStrip) continue;
        const Rect rect = table_->clientRect(control);
        RECT strip{rect.left, rect.top, rect.left + rect.width, rect.top + rect.height};
        DrawEdge(dc, &strip, BDR_SUNKENOUTER, BF_RECT);
        RECT line{rect.left + control.split - 1, rect.top + 1, rect.left + control.split + 1, rect.top + rect.height - 1};
        DrawEdge(dc, &line, BDR_SUNKENOUTER, BF_LEFT | BF_RIGHT);
    }
}

}  // namespace orvel
