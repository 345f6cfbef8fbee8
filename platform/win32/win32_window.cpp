#include "platform/win32/win32_window.h"

#include <commctrl.h>

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

UINT window_dpi(HWND window) {
    static const auto get_dpi = user32_function<UINT(WINAPI*)(HWND)>("GetDpiForWindow");
    if (get_dpi != nullptr) {
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
    window_ =
        CreateWindowExW(kWindowExStyle, kWindowClass, wide(app::kWindowTitle).c_str(), kWindowStyle,
                        CW_USEDEFAULT, CW_USEDEFAULT, 0, 0, nullptr, nullptr, instance, this);
    SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small_icon_));
    dpi_ = window_dpi(window_);
}

void Win32Window::build(app::frmMain& form) {
    form_ = &form;
    create_window();
    for (auto& control : form.controls()) {
        const auto& definition = control.definition();
        if (definition.kind == app::ControlKind::MenuItem) {
            create_menu_item(control);
            continue;
        }
        int container = -1;
        bool on_tab = false;
        if (!definition.container.empty()) {
            container = static_cast<int>(by_name_.at(definition.container));
            on_tab = natives_[static_cast<std::size_t>(container)].handle == tabs_;
        }
        int id = kFirstControlId + static_cast<int>(natives_.size());
        HWND handle = create_control(window_, control, id);
        if (control.kind() == app::ControlKind::TabControl) {
            tabs_ = handle;
        }
        by_handle_[handle] = natives_.size();
        by_name_[definition.name] = natives_.size();
        natives_.push_back({&control, handle, container, on_tab});
    }
    tooltips_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    for (auto& native : natives_) {
        const auto& definition = native.control->definition();
        if (!definition.tooltip.empty()) {
            add_tooltip(native.handle, definition.tooltip);
        }
        auto kind = native.control->kind();
        if (kind == app::ControlKind::TextBox || kind == app::ControlKind::TabControl ||
            kind == app::ControlKind::Frame) {
            SetWindowSubclass(native.handle, control_procedure, 1,
                              reinterpret_cast<DWORD_PTR>(this));
        }
        if (kind == app::ControlKind::UpDown) {
            // The up-down control steps the length box beside it, also with the arrow keys.
            SendMessageW(native.handle, UDM_SETBUDDY,
                         reinterpret_cast<WPARAM>(control_handle("intUzunluk")), 0);
        }
        for (auto property : {app::Property::Enabled, app::Property::Value,
                              app::Property::Background, app::Property::Items}) {
            mirror(native, property);
        }
    }
    order_controls();
    make_fonts();
    layout();
    show_tab(form.SSTab1.value());
    form.set_observer(this);
    if (!tab_order_.empty()) {
        focus_ = natives_[tab_order_.front()].handle;
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

void Win32Window::order_controls() {
    std::vector<std::size_t> order(natives_.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        order[i] = i;
    }
    std::stable_sort(order.begin(), order.end(), [this](std::size_t a, std::size_t b) {
        const auto& first = natives_[a].control->definition();
        const auto& second = natives_[b].control->definition();
        int first_layer = layer(first.kind);
        int second_layer = layer(second.kind);
        if (first_layer != second_layer) {
            return first_layer < second_layer;
        }
        return first_layer == 0 && first.tab_index < second.tab_index;
    });
    // Each call puts a control below all others, so the first placed ends on top.
    const app::Control* previous = nullptr;
    for (std::size_t index : order) {
        const Native& native = natives_[index];
        SetWindowPos(native.handle, HWND_BOTTOM, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        if (!takes_focus(native.control->kind())) {
            continue;
        }
        tab_order_.push_back(index);
        // Option buttons sharing a container form one group for the arrow keys.
        bool grouped = previous != nullptr && previous->kind() == app::ControlKind::OptionButton &&
                       native.control->kind() == app::ControlKind::OptionButton &&
                       previous->definition().container == native.control->definition().container;
        LONG_PTR style = GetWindowLongPtrW(native.handle, GWL_STYLE);
        SetWindowLongPtrW(native.handle, GWL_STYLE, grouped ? style & ~WS_GROUP : style | WS_GROUP);
        previous = native.control;
    }
    std::stable_sort(tab_order_.begin(), tab_order_.end(), [this](std::size_t a, std::size_t b) {
        return natives_[a].control->definition().tab_index <
               natives_[b].control->definition().tab_index;
    });
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
        HFONT font = native.control->kind() == app::ControlKind::Label ? link_font_ : font_;
        SendMessageW(native.handle, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    SendMessageW(tooltips_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    SendMessageW(tooltips_, TTM_SETMAXTIPWIDTH, 0, pixels(4500));
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
    RECT frame{0, 0, pixels(app::kClientWidthTwips), pixels(app::kClientHeightTwips)};
    adjust_for_frame(frame, dpi_);
    SetWindowPos(window_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    for (const auto& native : natives_) {
        POINT at = origin(native);
        const auto& rect = native.control->definition().rect;
        SetWindowPos(native.handle, nullptr, at.x, at.y, pixels(rect.width), pixels(rect.height),
                     SWP_NOZORDER | SWP_NOACTIVATE);
        if (native.control->kind() == app::ControlKind::ListBox) {
            HDC dc = GetDC(native.handle);
            HGDIOBJ old = SelectObject(dc, font_);
            TEXTMETRICW metrics{};
            GetTextMetricsW(dc, &metrics);
            SelectObject(dc, old);
            ReleaseDC(native.handle, dc);
            SendMessageW(native.handle, LB_SETITEMHEIGHT, 0, metrics.tmHeight + 2);
        }
    }
    paint_tab_background();
}

void Win32Window::paint_tab_background() {
    if (tabs_ == nullptr) {
        return;
    }
    if (tab_background_ != nullptr) {
        DeleteObject(tab_background_);
        tab_background_ = nullptr;
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
    HWND focus = GetFocus();
    for (const auto& native : natives_) {
        int tab = native.control->definition().tab;
        bool shown = tab == app::kOnEveryTab || tab == index;
        if (!shown && native.handle == focus) {
            SetFocus(tabs_);
        }
        ShowWindow(native.handle, shown ? SW_SHOWNA : SW_HIDE);
    }
}

HWND Win32Window::control_handle(const std::string& name) const {
    auto found = by_name_.find(name);
    return found == by_name_.end() ? nullptr : natives_[found->second].handle;
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
    } else {
        show_property(native.handle, control, property);
    }
    mirroring_ = was_mirroring;
}

}  // namespace platform::win32
