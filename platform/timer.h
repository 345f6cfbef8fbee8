#pragma once

#include <functional>

namespace platform {

// Runs one callback later, on the thread that runs the window's events.
class Timer {
  public:
    virtual ~Timer() = default;
    // Runs `callback` once after `milliseconds`; a callback still waiting is dropped.
    virtual void start(int milliseconds, std::function<void()> callback) = 0;
    // Drops the waiting callback, if any.
    virtual void cancel() = 0;
};

}  // namespace platform
