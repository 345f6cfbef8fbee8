#pragma once

#include <string>
#include <string_view>

namespace platform::win32 {

// The program's UTF-8 for the wide calls, and their UTF-16 back.
std::wstring wide(std::string_view utf8);
std::string narrow(std::wstring_view utf16);

// UTF-8 to the ANSI code page, the encoding of the program's files, and back. A character the
// code page cannot hold becomes its default character ("?"), never a look-alike.
std::string to_ansi(std::string_view utf8);
std::string from_ansi(std::string_view ansi);
bool is_ascii(std::string_view bytes);

// The system's sentence for an error code, ending in a full stop.
std::string describe_error(unsigned long code);

}  // namespace platform::win32
