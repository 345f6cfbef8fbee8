#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace app {

// Splits UTF-8 text into its code points; a malformed byte becomes U+FFFD.
std::vector<std::string> code_points(std::string_view text);

std::size_t code_point_count(std::string_view text);

// The text with its letters in upper case: the Latin, Greek and Cyrillic letters of the European
// alphabets, each on its own (ß stays ß). Other characters stay as they are.
std::string upper_case(std::string_view text);

// upper_case(a) == upper_case(b), without copying either when they differ in ASCII.
bool equal_ignoring_case(std::string_view a, std::string_view b);

}  // namespace app
