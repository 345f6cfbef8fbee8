#pragma once

#include "platform/random_source.h"

namespace platform::posix {

// The kernel's cryptographically secure generator (getrandom).
class PosixRandomSource : public RandomSource {
  public:
    void fill(std::uint8_t* bytes, std::size_t count) override;
};

}  // namespace platform::posix
