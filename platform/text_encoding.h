#pragma once

#include <string_view>

namespace platform {

// The narrow encoding the program's files are written in.
class TextEncoding {
  public:
    virtual ~TextEncoding() = default;
    // True when the encoding holds this one character (a UTF-8 code point) unchanged.
    virtual bool can_encode(std::string_view code_point) const = 0;
    // True where the files' encoding is UTF-8 itself.
    virtual bool is_utf8() const = 0;
};

}  // namespace platform
