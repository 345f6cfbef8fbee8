#pragma once

#include <string>
#include <string_view>

namespace platform::win32 {

// The program's text is UTF-8; the window system's is UTF-16.
std::wstring wide(std::string_view text);
std::string narrow(std::wstring_view text);

// The UTF-16 offset of the code point at `index` in `text` (the end when past it).
std::size_t utf16_offset(std::wstring_view text, std::size_t index);

}  // namespace platform::win32
