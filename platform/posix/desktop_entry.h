#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/registry.h"

namespace platform::posix {

// Marks an entry written from a REG_EXPAND_SZ value.
inline constexpr std::string_view kTypeKey = "X-Keymint-Value-Type";

// The general escapes of string values in desktop entries, and back. Reading leaves a backslash
// that starts no escape of this layer in place, for the quoting rules of the key.
std::string escape_value(std::string_view text);
std::string unescape_value(std::string_view text);

// Desktop entries hold UTF-8 text only.
bool valid_utf8(std::string_view text);

// What the program reads from a desktop entry: the keys of its first group.
struct ParsedEntry {
    std::optional<std::string> exec;  // as it stands in the file, escapes and all
    bool hidden = false;
    std::uint32_t type = reg::kSz;
};

ParsedEntry parse_entry(std::string_view contents);

// A program folder's own entry with its Exec naming `program` and its Icon `icon`, the rest as it
// stands; nothing when it names them already.
std::optional<std::string> entry_following(std::string_view contents, const std::string& program,
                                           const std::string& icon);

}  // namespace platform::posix
