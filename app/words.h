#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"
#include "platform/random_source.h"
#include "platform/text_encoding.h"

namespace app {

inline constexpr int kMinimumWords = 1;
inline constexpr int kMaximumWords = 20;
inline constexpr const char* kWordListFile = "words.txt";

// The words of a list, each once, in the order of their first line: a line's last field (the EFF
// list puts the dice numbers first), blank lines skipped. A word with a character that could not
// be read off the screen, or that the records file's encoding cannot hold, is left out.
// `unheld`, when given, receives how many words were left out as the encoding cannot hold them.
std::vector<std::string> parse_word_list(std::string_view text,
                                         const platform::TextEncoding& encoding,
                                         std::size_t* unheld = nullptr);

// The text of a word list file: UTF-8 when it is valid UTF-8 (a byte-order mark dropped), else in
// the files' own encoding, where that is not UTF-8; a list that is neither is refused with a
// FileError that says so.
std::string read_word_list(platform::FileSystem& files, const std::string& path,
                           const platform::TextEncoding& encoding);

// The number of words as typed: 1 to 20, or 0 when the text is no such number.
int check_word_count(std::string_view text);

// Whether a separator can stand in a record: spaces and the characters a custom list may hold.
bool usable_separator(std::string_view separator, const platform::TextEncoding& encoding);
// Why the separator cannot be used, naming the characters the records' code page cannot hold
// (`name` shows each); empty when it can.
std::string separator_refusal(std::string_view separator, const platform::TextEncoding& encoding,
                              std::string (*name)(std::string_view code_point));

// `count` words, each drawn uniformly from `words` (at least 2), joined by `separator`.
std::string draw_passphrase(const std::vector<std::string>& words, int count,
                            std::string_view separator, platform::RandomSource& random);

// Bits of entropy of a passphrase: count × log2(list size).
double passphrase_bits(std::size_t list_size, int count);

// Every different passphrase the list gives, when there are at most `limit` word sequences;
// empty otherwise. Two sequences can run into the same text (an empty separator), hence a set.
std::vector<std::string> every_passphrase(const std::vector<std::string>& words, int count,
                                          std::string_view separator, std::uint64_t limit);

}  // namespace app
