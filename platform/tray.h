#pragma once

#include <cstdint>
#include <string>

namespace platform {

// What identifies the program's icon in the notification area and what it shows.
struct NotifyIconData {
    std::uint32_t cbSize = 88;
    std::uint32_t uID = 1;
    std::uint32_t uFlags = 7;                // message, icon and tip
    std::uint32_t uCallbackMessage = 0x200;  // mouse activity arrives as the window's mouse move
    std::string szTip;
};

// The notification area. Mouse activity over the icon reaches the window as a button value:
// 1 for the left button, 2 for the right.
class Tray {
  public:
    virtual ~Tray() = default;
    // False where the desktop has no notification area.
    virtual bool available() const = 0;
    // Shows the icon; adding an icon that is already there changes nothing.
    virtual void add(const NotifyIconData& icon) = 0;
    virtual void remove(const NotifyIconData& icon) = 0;
};

}  // namespace platform
