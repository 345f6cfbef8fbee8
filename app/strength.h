#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace app {

// Bits of entropy of a password of `length` characters drawn independently from `pool`: the
// Shannon entropy of one draw (a character that occurs k times in a pool of n is drawn with
// probability k/n) times the length. For a pool without duplicates that is length * log2(n).
double entropy_bits(std::string_view pool, int length);

// Bits of entropy of a password of `length` characters drawn uniformly from the passwords that
// hold at least one character of every class (classes of these sizes, no character in two): the
// log2 of their number, counted exactly by inclusion-exclusion as a share of all passwords of the
// pool, so that no power overflows.
double every_class_bits(const std::vector<std::size_t>& class_sizes, int length);

// Bands after KeePassXC's generator: below 40 bits weak, below 75 fair, below 100 strong.
enum class StrengthLevel { Weak, Fair, Strong, VeryStrong };

StrengthLevel strength_level(int whole_bits);
std::string_view strength_word(StrengthLevel level);

// The meter's colour for a level, as 0xRRGGBB: red, amber, light green, green.
std::uint32_t strength_colour(StrengthLevel level);

// The contrast of two 0xRRGGBB colours as WCAG measures it: 1 (the same) to 21 (black on white).
double contrast_ratio(std::uint32_t first, std::uint32_t second);

// What the meter fills with on a window of colour `background`: the level's colour, or, where
// a theme (a high-contrast one, say) makes its background so like it that the bar would
// disappear, `text`, the colour the theme writes in.
std::uint32_t meter_fill(StrengthLevel level, std::uint32_t background, std::uint32_t text);

// The bits rounded down: 8 draws from 4 characters are 16 bits, not 15.
int whole_bits(double bits);

// The strength meter's value: the whole bits, at least 1 and at most 100, so that the level of
// the value is the level of the password.
int meter_value(double bits);

// "51 bits — fair"
std::string strength_tooltip(double bits);

}  // namespace app
