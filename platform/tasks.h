#pragma once

#include <functional>

namespace platform {

// Work that would freeze the window if it ran in an event handler: reading or rewriting a large
// file. `work` runs on a worker thread, then `done` on the window's thread. Tasks run one at a
// time, in the order they were given, and their `done` calls come in that order. `work` must not
// throw and must not touch the window; `done` is not called once the Tasks object is gone.
class Tasks {
  public:
    virtual ~Tasks() = default;
    virtual void run(std::function<void()> work, std::function<void()> done) = 0;
};

}  // namespace platform
