#pragma once

namespace platform {

class InstanceFlag {
  public:
    virtual ~InstanceFlag() = default;
    // True when another copy of the same program is already running.
    virtual bool previous_instance() = 0;
};

}  // namespace platform
