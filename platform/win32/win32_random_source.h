#pragma once

#include "platform/random_source.h"

namespace platform::win32 {

// The system's preferred cryptographically secure generator (BCryptGenRandom).
class Win32RandomSource : public RandomSource {
  public:
    void fill(std::uint8_t* bytes, std::size_t count) override;
};

}  // namespace platform::win32
