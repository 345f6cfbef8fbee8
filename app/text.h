#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace app {

// Splits UTF-8 text into its code points; a malformed byte becomes U+FFFD.
std::vector<std::string> code_points(std::string_view text);

std::size_t code_point_count(std::string_view text);

// The value of the first code point of UTF-8 text: U+FFFD when it is malformed, 0 when empty.
char32_t first_code_point(std::string_view text);

// One code point as UTF-8; U+FFFD for a surrogate or a value beyond U+10FFFF.
std::string to_utf8(char32_t code);

// True for the characters nobody can read off the screen, as of Unicode 15: the controls (Cc),
// the format characters (Cf: bidirectional marks and overrides, zero-width characters, the byte
// order mark) and the separators (Zs, Zl, Zp: every kind of space, line and paragraph breaks).
bool is_invisible(char32_t code);

// True for the combining marks, variation selectors included: alone they have no face of their
// own, and drawn into a password they would merge into the character before them.
bool is_combining_mark(char32_t code);

// True when the text is well-formed UTF-8 (no stray byte, overlong form or surrogate).
bool is_utf8(std::string_view text);

// "U+03A9" for "Ω": a character named so that any console shows it.
std::string code_point_name(std::string_view code_point);

// The text with its letters in upper case: the Latin, Greek and Cyrillic letters of the European
// alphabets, each on its own (ß stays ß). Other characters stay as they are.
std::string upper_case(std::string_view text);

// upper_case(a) == upper_case(b), without copying either when they differ in ASCII.
bool equal_ignoring_case(std::string_view a, std::string_view b);

}  // namespace app
