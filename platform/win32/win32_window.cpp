#include "platform/win32/win32_window.h"

#include <commctrl.h>
#include <uxtheme.h>

#include <algorithm>
#include <cmath>

#include "app/frm_main.h"
#include "app/inventory.h"
#include "platform/win32/win32_controls.h"
#include "platform/win32/win32_window_art.h"
#include "platform/win32/win32_window_text.h"

namespace platform::win32 {
namespace {

constexpr wchar_t kWindowClass[] = L"KeymintMainWindow";
constexpr DWORD kWindowStyle =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kWindowExStyle = WS_EX_CONTROLPARENT;
constexpr int kFirstControlId = 100;
constexpr int kFirstMenuId = 1000;

template <typename Function>
Function user32_function(const char* name) {
    FARPROC found = GetProcAddress(GetModuleHandleW(L"user32.dll"), name);
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(found));
}

// The window's dots per inch, or the main screen's without a window.
UINT window_dpi(HWND window) {
    static const auto get_dpi = user32_function<UINT(WINAPI*)(HWND)>("GetDpiForWindow");
    if (get_dpi != nullptr && window != nullptr) {
        return get_dpi(window);
    }
    HDC screen = GetDC(window);
    int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(window, screen);
    return static_cast<UINT>(dpi);
}

void adjust_for_frame(RECT& rect, UINT dpi) {
    static const auto adjust =
        user32_function<BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT)>("AdjustWindowRectExForDpi");
    if (adjust != nullptr) {
        adjust(&rect, kWindowStyle, FALSE, kWindowExStyle, dpi);
    } else {
        AdjustWindowRectEx(&rect, kWindowStyle, FALSE, kWindowExStyle);
    }
}

// The layer a control lies in, top first: what takes the focus (in focus order), other
// controls, the picture boxes that group options, frames, and the tab control at the bottom.
int layer(app::ControlKind kind) {
    using K = app::ControlKind;
    switch (kind) {
        case K::TabControl:
            return 4;
        case K::Frame:
            return 3;
        case K::Container:
            return 2;
        default:
            return takes_focus(kind) ? 0 : 1;
    }
}

}  // namespace

Win32Window::Win32Window() = default;

Win32Window::~Win32Window() {
    if (window_ != nullptr) {
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
    for (auto& [name, menu] : menus_) {
        DestroyMenu(menu);
    }
    for (HGDIOBJ object : {static_cast<HGDIOBJ>(font_), static_cast<HGDIOBJ>(link_font_),
                           static_cast<HGDIOBJ>(tab_background_)}) {
        if (object != nullptr) {
            DeleteObject(object);
        }
    }
    for (HICON icon : {icon_, small_icon_}) {
        if (icon != nullptr) {
            DestroyIcon(icon);
        }
    }
}

bool Win32Window::init_common_controls() {
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_USEREX_CLASSES | ICC_STANDARD_CLASSES |
                                                     ICC_TAB_CLASSES | ICC_UPDOWN_CLASS |
                                                     ICC_BAR_CLASSES};
    return InitCommonControlsEx(&classes) != FALSE;
}

void Win32Window::create_window() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    icon_ = program_icon(GetSystemMetrics(SM_CXICON));
    small_icon_ = program_icon(GetSystemMetrics(SM_CXSMICON));
    static const ATOM registered = [instance] {
        WNDCLASSEXW window_class{};
        window_class.cbSize = sizeof window_class;
        window_class.lpfnWndProc = window_procedure;
        window_class.hInstance = instance;
        window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        window_class.lpszClassName = kWindowClass;
        return RegisterClassExW(&window_class);
    }();
    (void)registered;
    taskbar_created_ = RegisterWindowMessageW(L"TaskbarCreated");
    // Made at the size for the main screen; a window opening on another screen is sized again.
    dpi_ = window_dpi(nullptr);
    SIZE size = frame_size();
    window_ = CreateWindowExW(kWindowExStyle, kWindowClass, wide(app::kWindowTitle).c_str(),
                              kWindowStyle, CW_USEDEFAULT, CW_USEDEFAULT, size.cx, size.cy, nullptr,
                              nullptr, instance, this);
    SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small_icon_));
    dpi_ = window_dpi(window_);
}

SIZE Win32Window::frame_size() const {
    RECT frame{0, 0, pixels(app::kClientWidthTwips), pixels(app::kClientHeightTwips)};
    adjust_for_frame(frame, dpi_);
    return {frame.right - frame.left, frame.bottom - frame.top};
}

void Win32Window::build(app::frmMain& form) {
    form_ = &form;
    create_window();
    tooltips_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    make_fonts();
    for (auto& control : form.controls()) {
        const auto& definition = control.definition();
        if (definition.kind == app::ControlKind::MenuItem) {
            create_menu_item(control);
            continue;
        }
        const int container =
            definition.container.empty() ? -1 : static_cast<int>(by_name_.at(definition.container));
        by_name_[definition.name] = natives_.size();
        natives_.push_back({&control, nullptr, container});
    }
    plan_stacking();
    create_controls(form.SSTab1.value());
    size_window();
    form.set_observer(this);
    if (!tab_order_.empty()) {
        focus_ = natives_[tab_order_.front()].handle;
    }
}

void Win32Window::plan_stacking() {
    // Top first: what takes the focus (in focus order), other controls, containers, frames, and
    // the tab control at the bottom.
    stacking_.resize(natives_.size());
    for (std::size_t i = 0; i < stacking_.size(); ++i) {
        stacking_[i] = i;
    }
    std::stable_sort(stacking_.begin(), stacking_.end(), [this](std::size_t a, std::size_t b) {
        const auto& first = natives_[a].control->definition();
        const auto& second = natives_[b].control->definition();
        int first_layer = layer(first.kind);
        int second_layer = layer(second.kind);
        if (first_layer != second_layer) {
            return first_layer < second_layer;
        }
        return first_layer == 0 && first.tab_index < second.tab_index;
    });
    const app::Control* previous = nullptr;
    for (std::size_t index : stacking_) {
        Native& native = natives_[index];
        if (!takes_focus(native.control->kind())) {
            continue;
        }
        tab_order_.push_back(index);
        // Option buttons sharing a container form one group for the arrow keys.
        native.starts_group =
            previous == nullptr || previous->kind() != app::ControlKind::OptionButton ||
            native.control->kind() != app::ControlKind::OptionButton ||
            previous->definition().container != native.control->definition().container;
        previous = native.control;
    }
    std::stable_sort(tab_order_.begin(), tab_order_.end(), [this](std::size_t a, std::size_t b) {
        return natives_[a].control->definition().tab_index <
               natives_[b].control->definition().tab_index;
    });
}

void Win32Window::create_controls(int tab) {
    // Only the controls of the tab shown are made at start-up, the others when their tab first
    // shows. Each is made where it belongs, in its place in the stacking and as it starts, so
    // that nothing is moved, restacked or shown afterwards.
    const int shown = tabs_ != nullptr ? static_cast<int>(SendMessageW(tabs_, TCM_GETCURSEL, 0, 0))
                                       : form_->SSTab1.value();
    // The first controls are made top first, each going below those made before it; later
    // ones are put in their place under the control above them.
    const bool restack = tabs_ != nullptr;
    HWND above = HWND_TOP;
    for (std::size_t index : stacking_) {
        Native& native = natives_[index];
        const app::Control& control = *native.control;
        const int on = control.definition().tab;
        if (native.handle != nullptr) {
            above = native.handle;
            continue;
        }
        if (on != app::kOnEveryTab && on != tab) {
            continue;
        }
        DWORD style = native.starts_group ? WS_GROUP : 0;
        if (on == app::kOnEveryTab || on == shown) {
            style |= WS_VISIBLE;
        }
        if (!control.enabled()) {
            style |= WS_DISABLED;
        }
        int id = kFirstControlId + static_cast<int>(index);
        native.handle = create_control(window_, control, id, placement(native), style);
        if (restack) {
            SetWindowPos(native.handle, above, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOREDRAW);
        }
        above = native.handle;
        finish_control(native);
    }
}

void Win32Window::create_all_controls() {
    if (all_created_) {
        return;
    }
    const int tabs = static_cast<int>(app::tab_captions().size());
    for (int tab = 0; tab < tabs; ++tab) {
        create_controls(tab);
    }
    all_created_ = true;
}

void Win32Window::finish_control(Native& native) {
    const app::Control& control = *native.control;
    by_handle_[native.handle] = static_cast<std::size_t>(&native - natives_.data());
    SendMessageW(native.handle, WM_SETFONT, reinterpret_cast<WPARAM>(font_for(control)), FALSE);
    if (!control.tooltip().empty()) {
        add_tooltip(native.handle, control.tooltip());
    }
    switch (control.kind()) {
        case app::ControlKind::TabControl:
            tabs_ = native.handle;
            [[fallthrough]];
        case app::ControlKind::TextBox:
        case app::ControlKind::Frame:
            SetWindowSubclass(native.handle, control_procedure, 1,
                              reinterpret_cast<DWORD_PTR>(this));
            break;
        case app::ControlKind::UpDown:
            // The up-down control steps the length box beside it, also with the arrow keys. It
            // narrows itself on creation, so it is put back in its place.
            SendMessageW(native.handle, UDM_SETBUDDY,
                         reinterpret_cast<WPARAM>(control_handle("intUzunluk")), 0);
            place(native);
            break;
        case app::ControlKind::ListBox:
            set_item_height(native.handle);
            mirror(native, app::Property::Items);
            if (control.list_index() >= 0) {
                show_property(native.handle, control, app::Property::ListIndex);
            }
            break;
        default:
            break;
    }
    if (control.value() != 0 && control.kind() != app::ControlKind::TabControl) {
        show_property(native.handle, control, app::Property::Value);
    }
}

void Win32Window::create_menu_item(app::Control& control) {
    HMENU& menu = menus_[control.definition().container];
    if (menu == nullptr) {
        menu = CreatePopupMenu();
    }
    UINT id = kFirstMenuId + static_cast<UINT>(menu_items_.size());
    AppendMenuW(menu, MF_STRING, id, wide(control.caption()).c_str());
    menu_items_[id] = &control;
}

void Win32Window::add_tooltip(HWND control, const std::string& text) {
    std::wstring tip = wide(text);
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = window_;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = tip.data();
    SendMessageW(tooltips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void Win32Window::remove_tooltip(HWND control) {
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = window_;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    SendMessageW(tooltips_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void Win32Window::make_fonts() {
    for (HFONT* font : {&font_, &link_font_}) {
        if (*font != nullptr) {
            DeleteObject(*font);
        }
    }
    // The font the window was laid out for, at 8 points, grown with the screen's dots per inch.
    LOGFONTW description{};
    description.lfHeight = -MulDiv(8, static_cast<int>(dpi_), 72);
    description.lfWeight = FW_NORMAL;
    description.lfCharSet = DEFAULT_CHARSET;
    description.lfQuality = CLEARTYPE_QUALITY;
    wcscpy(description.lfFaceName, L"MS Sans Serif");
    font_ = CreateFontIndirectW(&description);
    description.lfUnderline = TRUE;
    description.lfCharSet = TURKISH_CHARSET;
    link_font_ = CreateFontIndirectW(&description);
    for (const auto& native : natives_) {
        if (native.handle != nullptr) {
            SendMessageW(native.handle, WM_SETFONT,
                         reinterpret_cast<WPARAM>(font_for(*native.control)), FALSE);
        }
    }
    SendMessageW(tooltips_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    SendMessageW(tooltips_, TTM_SETMAXTIPWIDTH, 0, pixels(4500));
}

HFONT Win32Window::font_for(const app::Control& control) const {
    return is_link(control) ? link_font_ : font_;
}

int Win32Window::pixels(int twips) const {
    return static_cast<int>(
        std::lround(twips * static_cast<double>(dpi_) / (96.0 * app::kTwipsPerPixelAt96Dpi)));
}

POINT Win32Window::origin(const Native& native) const {
    const auto& rect = native.control->definition().rect;
    POINT point{pixels(rect.left), pixels(rect.top)};
    if (native.container >= 0) {
        POINT outer = origin(natives_[static_cast<std::size_t>(native.container)]);
        point.x += outer.x;
        point.y += outer.y;
    }
    return point;
}

void Win32Window::layout() {
    for (const auto& native : natives_) {
        if (native.handle == nullptr) {
            continue;
        }
        place(native);
        if (native.control->kind() == app::ControlKind::ListBox) {
            set_item_height(native.handle);
        }
    }
    size_window();
}

RECT Win32Window::placement(const Native& native) const {
    POINT at = origin(native);
    const auto& rect = native.control->definition().rect;
    return {at.x, at.y, at.x + pixels(rect.width), at.y + pixels(rect.height)};
}

void Win32Window::place(const Native& native) {
    RECT rect = placement(native);
    SetWindowPos(native.handle, nullptr, rect.left, rect.top, rect.right - rect.left,
                 rect.bottom - rect.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Window::size_window() {
    SIZE size = frame_size();
    RECT now{};
    GetWindowRect(window_, &now);
    if (now.right - now.left != size.cx || now.bottom - now.top != size.cy) {
        SetWindowPos(window_, nullptr, 0, 0, size.cx, size.cy,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    paint_tab_background();
}

void Win32Window::set_item_height(HWND list) {
    HDC dc = GetDC(list);
    HGDIOBJ old = SelectObject(dc, font_);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(list, dc);
    SendMessageW(list, LB_SETITEMHEIGHT, 0, metrics.tmHeight + 2);
}

void Win32Window::paint_tab_background() {
    if (tabs_ == nullptr) {
        return;
    }
    if (tab_background_ != nullptr) {
        DeleteObject(tab_background_);
        tab_background_ = nullptr;
    }
    // Unthemed, the pages are the dialog face, which is what controls get without a picture.
    if (!IsAppThemed()) {
        return;
    }
    // What the tab control paints under its pages, so that captions on it show that behind them.
    RECT area{};
    GetClientRect(tabs_, &area);
    HDC screen = GetDC(tabs_);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP picture = CreateCompatibleBitmap(screen, std::max<LONG>(area.right, 1),
                                             std::max<LONG>(area.bottom, 1));
    HGDIOBJ old = SelectObject(memory, picture);
    FillRect(memory, &area, GetSysColorBrush(COLOR_BTNFACE));
    SendMessageW(tabs_, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory),
                 PRF_CLIENT | PRF_ERASEBKGND);
    SelectObject(memory, old);
    tab_background_ = CreatePatternBrush(picture);
    DeleteObject(picture);
    DeleteDC(memory);
    ReleaseDC(tabs_, screen);
}

void Win32Window::show_tab(int index) {
    if (tabs_ != nullptr && SendMessageW(tabs_, TCM_GETCURSEL, 0, 0) != index) {
        SendMessageW(tabs_, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
    }
    create_controls(index);
    auto shown_on = [index](const Native& native) {
        int tab = native.control->definition().tab;
        return tab == app::kOnEveryTab || tab == index;
    };
    if (Native* focused = find(GetFocus()); focused != nullptr && !shown_on(*focused)) {
        SetFocus(tabs_);
    }
    // The page is painted once, when all of it has changed. Turning drawing off and on again
    // also clears and sets the window's visible style, so that is done on a shown window only.
    const bool shown_window = IsWindowVisible(window_) != FALSE;
    if (shown_window) {
        SendMessageW(window_, WM_SETREDRAW, FALSE, 0);
    }
    for (const auto& native : natives_) {
        bool shown = shown_on(native);
        if (native.handle != nullptr &&
            shown != ((GetWindowLongPtrW(native.handle, GWL_STYLE) & WS_VISIBLE) != 0)) {
            ShowWindow(native.handle, shown ? SW_SHOWNA : SW_HIDE);
        }
    }
    if (shown_window) {
        SendMessageW(window_, WM_SETREDRAW, TRUE, 0);
        RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    }
}

HWND Win32Window::control_handle(const std::string& name) {
    auto found = by_name_.find(name);
    if (found == by_name_.end()) {
        return nullptr;
    }
    Native& native = natives_[found->second];
    if (native.handle == nullptr && window_ != nullptr) {
        create_controls(native.control->definition().tab);
    }
    return native.handle;
}

Win32Window::Native* Win32Window::find(HWND handle) {
    auto found = by_handle_.find(handle);
    return found == by_handle_.end() ? nullptr : &natives_[found->second];
}

void Win32Window::property_changed(const app::Control& control, app::Property property) {
    auto found = by_name_.find(control.name());
    if (found != by_name_.end()) {
        mirror(natives_[found->second], property);
    }
}

void Win32Window::mirror(const Native& native, app::Property property) {
    if (native.handle == nullptr) {
        return;  // made later, as the model has it then
    }
    // Changes made here come from the model and go back to it as no event.
    bool was_mirroring = mirroring_;
    mirroring_ = true;
    const app::Control& control = *native.control;
    if (control.kind() == app::ControlKind::TabControl && property == app::Property::Value) {
        show_tab(control.value());
    } else if (property == app::Property::Items) {
        if (control.kind() == app::ControlKind::ListBox) {
            SendMessageW(native.handle, LB_SETCOUNT, control.items().size(), 0);
        }
    } else if (property == app::Property::Background) {
        InvalidateRect(native.handle, nullptr, TRUE);
    } else if (property == app::Property::ToolTip) {
        remove_tooltip(native.handle);
        if (!control.tooltip().empty()) {
            add_tooltip(native.handle, control.tooltip());
        }
    } else {
        show_property(native.handle, control, property);
    }
    mirroring_ = was_mirroring;
}

}  // namespace platform::win32
