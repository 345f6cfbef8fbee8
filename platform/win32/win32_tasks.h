#pragma once

#include <windows.h>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include "platform/tasks.h"

namespace platform::win32 {

// One worker thread; each task's `done` comes back to the creating thread as a window message.
class Win32Tasks : public Tasks {
  public:
    Win32Tasks();
    ~Win32Tasks() override;
    Win32Tasks(const Win32Tasks&) = delete;
    Win32Tasks& operator=(const Win32Tasks&) = delete;

    void run(std::function<void()> work, std::function<void()> done) override;
    // No task waits, runs or has its `done` still to come.
    bool idle();

  private:
    struct Task {
        std::function<void()> work;
        std::function<void()> done;
    };
    static LRESULT CALLBACK procedure(HWND, UINT, WPARAM, LPARAM);
    void serve();
    void finish();

    HWND receiver_ = nullptr;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Task> waiting_;
    std::deque<std::function<void()>> finished_;
    int unfinished_ = 0;
    bool stopping_ = false;
    std::thread worker_;
};

}  // namespace platform::win32
