#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "app/controls.h"
#include "app/window_plan.h"
#include "platform/win32/win32_accessible.h"
#include "platform/window_system.h"

namespace app {
class frmMain;
}

namespace platform::win32 {

// The real main window, built from frmMain's control inventory with the native controls. It
// mirrors every property change of the model onto them and turns the user's actions into the
// model's events.
class Win32Window : public app::ControlObserver, public WindowSystem {
  public:
    Win32Window();
    ~Win32Window() override;
    Win32Window(const Win32Window&) = delete;
    Win32Window& operator=(const Win32Window&) = delete;

    // Creates one native control per control of `form` and starts observing it.
    void build(app::frmMain& form);

    HWND handle() const { return window_; }
    // The native control built for a control of the model (made now if its tab has not shown
    // yet), or nullptr.
    HWND control_handle(const std::string& name);
    HICON icon() const { return icon_; }
    UINT dpi() const { return dpi_; }
    int pixels(int twips) const;

    // Keyboard navigation and the window's own keys; true when the message was used up.
    // Call for every message before dispatching it.
    bool translate(MSG& message);

    // Raised by the tray icon's notifications (1 left button, 2 right button) and when
    // Explorer comes back and the icon must be added again.
    std::function<void(int button)> on_tray_mouse;
    std::function<void()> on_taskbar_created;
    // Ends the process; the default ends the message loop.
    std::function<void()> on_end_process;

    // ControlObserver
    void property_changed(const app::Control& control, app::Property property) override;

    // WindowSystem
    bool init_common_controls() override;
    void show_window() override;
    void hide_window() override;
    bool window_visible() const override;
    void set_window_state(WindowState state) override;
    WindowState window_state() const override;
    void popup_menu(const std::string& menu) override;
    void end_process() override;
    void set_busy(bool busy) override;

  private:
    // A control of the model and its native control, in the plan's order.
    struct Native {
        app::Control* control;
        HWND handle;
        std::unique_ptr<AccessibleSource> accessible{};
    };

    static LRESULT CALLBACK window_procedure(HWND, UINT, WPARAM, LPARAM);
    static LRESULT CALLBACK control_procedure(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    LRESULT handle_message(UINT message, WPARAM wparam, LPARAM lparam);
    LRESULT handle_control_message(Native& native, HWND handle, UINT message, WPARAM wparam,
                                   LPARAM lparam);
    bool handle_command(WPARAM wparam, LPARAM lparam);
    LRESULT handle_notify(NMHDR& header);
    LRESULT handle_colour(HDC dc, HWND child, bool edit);
    // The brush behind a control, lined up for drawing into `dc`.
    HBRUSH background(HDC dc, const Native& native);
    void handle_draw(DRAWITEMSTRUCT& item);
    bool handle_tray_callback(WPARAM wparam, LPARAM lparam);

    void create_window();
    void create_menu_item(app::Control& control);
    void add_tooltip(HWND control, const std::string& text);
    void remove_tooltip(HWND control);
    // Makes the controls of `tab` (and those on every tab) that are not made yet.
    void create_controls(int tab);
    void finish_control(Native& native);
    // Tells screen readers what the plan says of the control.
    void make_accessible(Native& native);
    void create_all_controls();
    static constexpr UINT_PTR kMakeOtherTabs = 1;
    static constexpr UINT kMakeOtherTabsDelay = 100;  // milliseconds after the window shows
    void set_item_height(HWND list);
    // Moves every control to its place for the screen's dots per inch, then sizes the window.
    void layout();
    void size_window();
    // The window's outer size for its client area at the current dots per inch.
    SIZE frame_size() const;
    void make_fonts();
    HFONT font_for(const Native& native) const;
    void paint_tab_background();
    void show_tab(int index);
    void mirror(const Native& native, app::Property property);
    void close_request(int unload_mode);
    bool move_focus(bool backwards);
    Native* find(HWND handle);
    std::size_t index_of(const Native& native) const {
        return static_cast<std::size_t>(&native - natives_.data());
    }
    const app::WindowPlan::Entry& planned(const Native& native) const {
        return (*plan_)[index_of(native)];
    }
    // Where a control lies in the window's client area.
    RECT placement(const Native& native) const;
    void place(const Native& native);

    app::frmMain* form_ = nullptr;
    HWND window_ = nullptr;
    bool busy_ = false;
    HWND tabs_ = nullptr;
    HWND tooltips_ = nullptr;
    HFONT font_ = nullptr;
    HFONT link_font_ = nullptr;
    HICON icon_ = nullptr;
    HICON small_icon_ = nullptr;
    HBRUSH tab_background_ = nullptr;
    UINT dpi_ = 96;
    UINT taskbar_created_ = 0;
    std::optional<app::WindowPlan> plan_;
    std::vector<Native> natives_;
    std::unordered_map<HWND, std::size_t> by_handle_;
    std::unordered_map<std::string, std::size_t> by_name_;
    std::unordered_map<std::string, HMENU> menus_;
    std::unordered_map<UINT, app::Control*> menu_items_;
    HWND focus_ = nullptr;  // where the focus goes back to when the window is activated
    wchar_t high_surrogate_ = 0;
    bool mirroring_ = false;
    bool session_ending_ = false;
    bool all_created_ = false;
};

}  // namespace platform::win32
