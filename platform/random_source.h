#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

// Unpredictable bytes from the operating system.
class RandomSource {
  public:
    virtual ~RandomSource() = default;
    virtual void fill(std::uint8_t* bytes, std::size_t count) = 0;
};

}  // namespace platform
