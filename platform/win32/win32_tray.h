#pragma once

#include <windows.h>

#include "platform/tray.h"

namespace platform::win32 {

// The program's icon in the notification area. Its notifications arrive at the window given to
// `attach` as that window's mouse-move message.
class Win32Tray : public Tray {
  public:
    void attach(HWND window, HICON icon);
    bool available() const override;
    void add(const NotifyIconData& icon) override;
    void remove(const NotifyIconData& icon) override;
    // Explorer started again and forgot the icons: adds ours back when it was shown.
    void restore();

  private:
    bool send(DWORD message, const NotifyIconData& icon);

    HWND window_ = nullptr;
    HICON icon_ = nullptr;
    NotifyIconData shown_{};
    bool added_ = false;
};

}  // namespace platform::win32
