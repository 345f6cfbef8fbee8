#pragma once

#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <utility>

#include "platform/tasks.h"

namespace platform::win32 {

// One worker thread; each result comes back as a message to a message-only window of the thread
// that made this object, so `done` runs inside that thread's message loop.
class Win32Tasks : public Tasks {
  public:
    Win32Tasks();
    // Waits for the task that is running; queued tasks and results not yet delivered are dropped.
    ~Win32Tasks() override;
    Win32Tasks(const Win32Tasks&) = delete;
    Win32Tasks& operator=(const Win32Tasks&) = delete;

    void run(std::function<void()> work, std::function<void()> done) override;

  private:
    using Task = std::pair<std::function<void()>, std::function<void()>>;

    static LRESULT CALLBACK receive(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    void work_through_queue();
    // Runs the results that came back, in order.
    void deliver();
    // Tells the receiver that results wait, until the message is posted or this object goes.
    void wake_receiver();

    HWND receiver_ = nullptr;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Task> queue_;
    // Results wait here rather than in the message, so that none is lost when a message cannot
    // be posted (a full message queue): the next message that arrives delivers them all.
    std::deque<std::function<void()>> finished_;
    bool stopping_ = false;
    std::thread worker_;
};

}  // namespace platform::win32
