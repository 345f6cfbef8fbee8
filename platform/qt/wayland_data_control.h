#pragma once

#include <memory>

namespace platform::qt {

// The data-control protocol of KDE Plasma and the wlroots compositors (sway, Hyprland, ...),
// which lets a program change the clipboard without having the focus, over a connection of its
// own to the compositor. Where the session is not Wayland, or the compositor does not offer it,
// available() is false.
class WaylandDataControl {
  public:
    WaylandDataControl();
    ~WaylandDataControl();
    WaylandDataControl(const WaylandDataControl&) = delete;
    WaylandDataControl& operator=(const WaylandDataControl&) = delete;

    bool available() const;
    // Empties the clipboard, or the primary selection; false where that cannot be done.
    bool clear(bool primary);

    struct Connection;  // the compositor's answers reach it from plain C callbacks

  private:
    std::unique_ptr<Connection> connection_;
};

}  // namespace platform::qt
