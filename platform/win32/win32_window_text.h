#pragma once

#include <string_view>

#include "platform/win32/win32_text.h"

namespace platform::win32 {

// The UTF-16 offset of the code point at `index` in `text` (the end when past it).
std::size_t utf16_offset(std::wstring_view text, std::size_t index);

}  // namespace platform::win32
