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
};

}  // namespace platform
