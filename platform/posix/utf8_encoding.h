#pragma once

#include "platform/text_encoding.h"

namespace platform::posix {

// Files on Linux are UTF-8, which holds every character.
class Utf8Encoding : public TextEncoding {
  public:
    bool can_encode(std::string_view code_point) const override { return !code_point.empty(); }
    bool is_utf8() const override { return true; }
};

}  // namespace platform::posix
