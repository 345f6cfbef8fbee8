#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace registry {

using ByteArray = std::vector<std::uint8_t>;

// What a registry value reads as or is written from: nothing, a text, a 16-bit or 32-bit
// signed integer, or bytes.
using Variant = std::variant<std::monostate, std::string, std::int16_t, std::int32_t, ByteArray>;

// The variant as text: integers in decimal, bytes as the characters they encode, nothing as "".
std::string to_text(const Variant& value);

}  // namespace registry
