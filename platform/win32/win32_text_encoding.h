#pragma once

#include "platform/text_encoding.h"

namespace platform::win32 {

// The ANSI code page the program's files are written in.
class Win32TextEncoding : public TextEncoding {
  public:
    bool can_encode(std::string_view code_point) const override;
    bool is_utf8() const override { return false; }
};

}  // namespace platform::win32
