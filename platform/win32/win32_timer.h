#pragma once

#include <windows.h>

#include <functional>

#include "platform/timer.h"

namespace platform::win32 {

// A timer of the window's thread: the callback arrives through its message loop.
class Win32Timer : public Timer {
  public:
    Win32Timer() = default;
    ~Win32Timer() override { cancel(); }
    Win32Timer(const Win32Timer&) = delete;
    Win32Timer& operator=(const Win32Timer&) = delete;

    void start(int milliseconds, std::function<void()> callback) override;
    void cancel() override;

  private:
    static void CALLBACK elapsed(HWND window, UINT message, UINT_PTR id, DWORD time);

    UINT_PTR id_ = 0;
    std::function<void()> callback_;
};

}  // namespace platform::win32
