#pragma once

namespace platform {

class Sound {
  public:
    virtual ~Sound() = default;
    // The platform's default beep.
    virtual void beep() = 0;
};

}  // namespace platform
