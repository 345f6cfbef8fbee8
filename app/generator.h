#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/random_source.h"
#include "platform/text_encoding.h"

namespace app {

inline constexpr int kMinimumLength = 1;
inline constexpr int kMaximumLength = 50;

// A uniformly chosen index in [0, count), by rejection sampling. `count` must not be 0.
std::size_t uniform_index(platform::RandomSource& random, std::size_t count);

struct LengthCheck {
    enum Result { Valid, BelowMinimum, AboveMaximum };
    Result result;
    int length;  // meaningful when Valid
};

// Reads the length box: digits only (surrounding blanks ignored). Anything else, empty
// included, counts as below the minimum; a digit string of any size above 50 as above it.
LengthCheck check_length(std::string_view text);

// The length the up-down arrows write: one step from the box's number (0 when it holds none),
// kept within 1 to 50.
int spin_length(std::string_view text, int step);

// Whether a character may be drawn into a password: one a user can read off the screen (not
// invisible) and that the records file's encoding holds, so the record matches what is shown.
bool pool_character(char32_t code, const platform::TextEncoding& encoding);

// The custom list as the generator uses it: only its pool characters.
std::string custom_pool(std::string_view text, const platform::TextEncoding& encoding);

}  // namespace app
