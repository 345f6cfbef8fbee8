#pragma once

#include <string>

namespace platform {

enum class WindowState { Normal = 0, Minimized = 1 };

// What the program asks of the window system about its one main window.
class WindowSystem {
  public:
    virtual ~WindowSystem() = default;
    // Prepares the native controls; false when that failed.
    virtual bool init_common_controls() = 0;
    // Shows the main window, modeless and without an owner.
    virtual void show_window() = 0;
    virtual void hide_window() = 0;
    virtual bool window_visible() const = 0;
    virtual void set_window_state(WindowState state) = 0;
    virtual WindowState window_state() const = 0;
    // Pops a menu of the window up at the mouse pointer.
    virtual void popup_menu(const std::string& menu) = 0;
    // Ends the process as soon as the current handler returns; nothing else runs.
    virtual void end_process() = 0;
    // Shows that the program is working (the busy pointer) while the window stays responsive.
    virtual void set_busy(bool busy) = 0;
};

}  // namespace platform
