#pragma once

#include <windows.h>

#include <shellapi.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "platform/tray.h"

namespace platform::win32 {

// The program's icon in the notification area. Its notifications arrive at the window given to
// `attach` as that window's mouse-move message.
//
// The shell answers each change only once Explorer has handled it, which can take long when
// Explorer is busy, so the changes go out in order from a thread of their own and the window
// never waits for them. Changes still queued when the object goes are sent first.
class Win32Tray : public Tray {
  public:
    Win32Tray() = default;
    ~Win32Tray() override;
    Win32Tray(const Win32Tray&) = delete;
    Win32Tray& operator=(const Win32Tray&) = delete;

    void attach(HWND window, HICON icon);
    bool available() const override;
    void add(const NotifyIconData& icon) override;
    void remove(const NotifyIconData& icon) override;
    // Explorer started again and forgot the icons: adds ours back when it was shown.
    void restore();

  private:
    void send(DWORD message, const NotifyIconData& icon);
    void send_queued();

    HWND window_ = nullptr;
    HICON icon_ = nullptr;
    NotifyIconData shown_{};
    bool shown_wanted_ = false;

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::pair<DWORD, NOTIFYICONDATAW>> queue_;
    bool stopping_ = false;
    std::thread sender_;
};

}  // namespace platform::win32
