#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "app/char_classes.h"
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

// How the pool is formed: from the ticked classes, or from the user's own list.
struct PoolOptions {
    bool from_classes = true;  // false: the custom list
    // Which of kCharClasses are ticked.
    std::array<bool, kClassCount> ticked = {true, true, true, true};
    // Leaves out the characters one is easily read as another (kLookAlikes).
    bool no_look_alikes = false;
    // Every ticked class at least once; for the classes only, a custom list is one class.
    bool every_class = false;
    // Characters never drawn, whatever else the options say; a class they empty drops out.
    std::string exclude = {};
};

// Characters read for one another on paper or on screen: l 1 I |, O 0 o, and the quotes.
inline constexpr std::string_view kLookAlikes = "l1I|O0o`'\"";

// The ticked classes' characters, one string each, in the pool's order; without the look-alikes
// when the options say so, and without the excluded characters (a class left empty is dropped).
// Empty for a custom list.
std::vector<std::string> chosen_classes(const PoolOptions& options);

// The characters a password is drawn from, in order; duplicates of a custom list keep their
// weight. Empty when the options give no character.
std::string character_pool(const PoolOptions& options, std::string_view custom_list,
                           const platform::TextEncoding& encoding);

// Whether `password` holds at least one character of each of `classes`.
bool has_every_class(std::string_view password, const std::vector<std::string>& classes);

// A password of `length` characters (code points), each drawn uniformly from `pool`, which must
// not be empty.
std::string draw_password(std::string_view pool, int length, platform::RandomSource& random);
// The same from the pool already split into its code points.
std::string draw_password(const std::vector<std::string>& pool, int length,
                          platform::RandomSource& random);
// Uniform over the passwords that hold every one of `classes`: draws and draws again until one
// does. `pool` must be the classes joined and `length` at least their number.
std::string draw_with_every_class(const std::vector<std::string>& pool,
                                  const std::vector<std::string>& classes, int length,
                                  platform::RandomSource& random);

// Whether a character may be drawn into a password: one a user can read off the screen on its own
// (not invisible, not a combining mark) and that the records file's encoding holds, so the record
// matches what is shown.
bool pool_character(char32_t code, const platform::TextEncoding& encoding);

// The custom list as the generator uses it: only its pool characters.
std::string custom_pool(std::string_view text, const platform::TextEncoding& encoding);

// The characters of a custom list left out of the pool only because the records file's encoding
// cannot hold them (on Windows, the ANSI code page), each once, in order: the user is told.
std::string unencodable_characters(std::string_view text, const platform::TextEncoding& encoding);

}  // namespace app
