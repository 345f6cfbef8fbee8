// The main window at the screen's dots per inch: its frame, its fonts, each control's place, and
// the picture of the tab control's pages that lies behind the controls on them.
#include <windows.h>

#include <commctrl.h>
#include <uxtheme.h>

#include <algorithm>

#include "app/inventory.h"
#include "platform/win32/win32_window.h"
#include "platform/win32/win32_window_art.h"
#include "platform/win32/win32_window_text.h"

namespace platform::win32 {
namespace {

constexpr wchar_t kWindowClass[] = L"KeymintMainWindow";
constexpr DWORD kWindowStyle =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kWindowExStyle = WS_EX_CONTROLPARENT;

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

}  // namespace

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
    app::PixelRect client = app::client_area(dpi_);
    RECT frame{0, 0, client.width, client.height};
    adjust_for_frame(frame, dpi_);
    return {frame.right - frame.left, frame.bottom - frame.top};
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
            SendMessageW(native.handle, WM_SETFONT, reinterpret_cast<WPARAM>(font_for(native)),
                         FALSE);
        }
    }
    SendMessageW(tooltips_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    SendMessageW(tooltips_, TTM_SETMAXTIPWIDTH, 0, pixels(4500));
}

HFONT Win32Window::font_for(const Native& native) const {
    return planned(native).link ? link_font_ : font_;
}

int Win32Window::pixels(int twips) const {
    return app::twips_to_pixels(twips, dpi_);
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
    app::PixelRect at = plan_->window_rect(index_of(native), dpi_);
    return {at.left, at.top, at.left + at.width, at.top + at.height};
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

}  // namespace platform::win32
